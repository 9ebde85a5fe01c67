program Unreachable;
type
  PInt = ^integer;
var
  P: PInt;
begin
  New(P);
  P^ := 1;
  P := nil;
end.
{ expect run-time error 219 at 9:11 }
