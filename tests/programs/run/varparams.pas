{ VAR parameters: a swap, a VAR passed on to another VAR, arrays by value and by address. }
{ expectations from fpc -Mtp }
program VarParams;
type
  Row = array[1..3] of integer;
var
  a, b: integer;
  r: Row;

procedure Swap(var x, y: integer);
var
  t: integer;
begin
  t := x;
  x := y;
  y := t
end;

procedure SwapTwice(var x, y: integer);
begin
  Swap(x, y);
  Swap(x, y);
  Swap(x, y)
end;

procedure Fill(var v: Row; start: integer);
var
  i: integer;
begin
  for i := 1 to 3 do
    v[i] := start + i
end;

function Sum(v: Row): integer;
var
  i, s: integer;
begin
  s := 0;
  for i := 1 to 3 do
    s := s + v[i];
  v[1] := 0;
  Sum := s
end;

begin
  a := 1;
  b := 2;
  Swap(a, b);
  writeln(a, ' ', b);
  SwapTwice(a, b);
  writeln(a, ' ', b);
  Fill(r, 10);
  writeln(Sum(r), ' ', r[1])
end.
{ expect: 2 1 }
{ expect: 1 2 }
{ expect: 36 11 }
