program WithShadow;
{ expectations from fpc -Mtp }
{ Inside WITH, a record's field hides a variable of the same name; negative numbers compare as numbers. }
type
  Point = record
    x, y: integer;
  end;
var
  p: Point;
  x: integer;
begin
  x := 100;
  p.x := -4;
  p.y := 3;
  with p do
    writeln(x, ' ', y, ' ', x < y, ' ', x > 3);
  writeln(x);
  writeln(-5 > 3, ' ', -5 < -4, ' ', -32768 < 32767)
end.
{ expect: -4 3 TRUE FALSE }
{ expect: 100 }
{ expect: FALSE TRUE TRUE }
