{ A FOR control variable must be ordinal. }
program ForReal;
var
  x: real;
begin
  for x := 1 to 3 do
    writeln(x)
end.
{ expect error 31 at 6:7 }
