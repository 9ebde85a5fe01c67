{ Loop edges: empty and single passes, the final value of a FOR variable, CHAR DOWNTO, a WHILE
  whose condition is false at once, a REPEAT that runs once, and the 100 passes a FOR may make. }
{ expectations from fpc -Mtp }
program Loops;
var
  i, n: integer;
  c: char;
begin
  n := 0;
  for i := 1 to 0 do
    n := n + 1;
  writeln('none ', n);
  for i := 5 to 5 do
    n := n + 1;
  writeln('once ', n);
  for i := 1 to 10 do
    ;
  writeln('after ', i);
  for c := 'e' downto 'a' do
    write(c);
  writeln;
  while n > 100 do
    n := 0;
  writeln('while ', n);
  repeat
    n := n + 1
  until true;
  writeln('repeat ', n);
  n := 0;
  for i := 1 to 100 do
    n := n + i;
  writeln('sum ', n);
  i := 0;
  while i < 99 do
    i := i + 1;
  writeln('while ', i);
  i := 0;
  repeat
    i := i + 1;
  until i = 100;
  writeln('repeat ', i)
end.
{ expect: none 0 }
{ expect: once 1 }
{ expect: after 10 }
{ expect: edcba }
{ expect: while 1 }
{ expect: repeat 2 }
{ expect: sum 5050 }
{ expect: while 99 }
{ expect: repeat 100 }
