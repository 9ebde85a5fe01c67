program NilPointer;
type
  PInt = ^integer;
var
  P: PInt;
begin
  P := nil;
  WriteLn(P^);
end.
{ expect run-time error 207 }
