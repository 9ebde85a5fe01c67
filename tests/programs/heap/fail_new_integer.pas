program NewInteger;
var
  I: integer;
begin
  New(I);
end.
{ expect error 45 at 5:9 }
