{ A WHILE loop stops with error 239 after the 100th execution of its body. }
program WhilePasses;
var
  i: integer;
begin
  i := 0;
  while i < 1000 do
    i := i + 1;
  writeln(i)
end.
{ expect run-time error 239 at 8:15 }
