{ A REPEAT loop stops with error 239 when its condition is false for the 100th time. }
program RepeatPasses;
var
  i: integer;
begin
  i := 0;
  repeat
    i := i + 1
  until i = 500;
  writeln(i)
end.
{ expect run-time error 239 }
