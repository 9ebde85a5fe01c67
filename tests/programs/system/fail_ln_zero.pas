{ LN is defined only above 0. }
program LnZero;
var
  i: integer;
begin
  i := 0;
  writeln(ln(i):0:2)
end.
{ expect run-time error 229 at 7:16 }
