program AfterRelease;
type
  PInt = ^integer;
var
  M: pointer;
  P: PInt;
begin
  Mark(M);
  New(P);
  P^ := 3;
  Release(M);
  WriteLn(P^);
end.
{ expect run-time error 208 }
