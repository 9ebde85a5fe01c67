{ EXIT leaves a procedure, a function after its result is set, and the main program. }
{ expectations from fpc -Mtp }
program ExitDemo;
var
  k: integer;

procedure Count(n: integer);
var
  i: integer;
begin
  for i := 1 to 10 do
  begin
    if i > n then
      exit;
    write(i)
  end;
  writeln(' never')
end;

function Find(x: integer): integer;
var
  i: integer;
begin
  Find := -1;
  for i := 1 to 20 do
    if i * i = x then
    begin
      Find := i;
      exit
    end
end;

begin
  Count(3);
  writeln;
  writeln(Find(49), ' ', Find(50));
  for k := 1 to 3 do
  begin
    writeln(k);
    if k = 2 then
      exit
  end;
  writeln('not reached')
end.
{ expect: 123 }
{ expect: 7 -1 }
{ expect: 1 }
{ expect: 2 }
