{ WITH needs a record. }
program WithInteger;
var
  i: integer;
begin
  with i do
    writeln('x')
end.
{ expect error 25 at 6:10 }
