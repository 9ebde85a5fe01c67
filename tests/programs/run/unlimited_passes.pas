{ With unlimited passes a loop may run as long as it needs. }
{ expectations from fpc -Mtp }
{ options: --unlimited-passes }
program Unlimited;
var
  i: integer;
  n: longint;
begin
  n := 0;
  i := 0;
  while i < 5000 do
  begin
    i := i + 1;
    n := n + i
  end;
  writeln(n)
end.
{ expect: 12502500 }
