{ Storing a value outside a subrange stops the run with error 224. }
program Range;
var
  d: 1..10;
  i: integer;
begin
  i := 10;
  d := i;
  writeln(d);
  i := i + 1;
  d := i;
  writeln(d)
end.
{ expect: 10 }
{ expect run-time error 224 }
