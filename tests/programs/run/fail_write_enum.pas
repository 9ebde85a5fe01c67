{ An enumeration value cannot be written. }
program WriteEnum;
type
  Colour = (Red, Green);
var
  c: Colour;
begin
  c := Red;
  writeln(c)
end.
{ expect error 69 at 9:12 }
