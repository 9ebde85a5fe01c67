{ A function that returns without a result stops the run with error 232. }
program NoResult;
function F(x: integer): integer;
begin
  if x > 0 then
    F := x
end;
begin
  writeln(F(2));
  writeln(F(-2))
end.
{ expect: 2 }
{ expect run-time error 232 }
