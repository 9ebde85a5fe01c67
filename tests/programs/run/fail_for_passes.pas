{ FOR i := 1 TO 101 fails at its 100th step, after the body ran 100 times. }
program ForPasses;
var
  i, n: integer;
begin
  n := 0;
  for i := 1 to 101 do
    n := n + 1;
  writeln(n)
end.
{ expect run-time error 239 at 8:5 }
