{ Loop bodies and routines read again and again: comments over several lines, braces and
  quotes inside strings, (. .) brackets, a directive inside the body, mixed letter case and
  a body spread over lines must read the same on every pass. }
{ expectations from fpc -Mtp }
program ReRead;
var
  a: array[1..3] of integer;
  i, n, total: integer;
  s: string;

function Twice(k: integer): integer;
begin
  { a comment
    over two lines } Twice := k
    (* and another *) + K
end;

begin
  total := 0;
  s := '';
  for i := 1 to 3 do
  begin
    a(.i.) := Twice(i);  {$I+}
    s := s + '{' + 'x}' + '''';
    TOTAL := total +
      a[i] { inside
      an expression } * 2;
    n := i
  end;
  writeln(total, ' ', length(s), ' ', n, ' ', s = '{x}''{x}''{x}''');
  i := 0;
  while i < 4 do
    begin i := i + 1; if i mod 2 = 0 then write('even ') else write('odd ') end;
  writeln
end.
{ expect: 24 12 3 TRUE }
{ expect: odd even odd even  }
