program Dangling;
{ options: --allow-invalid-pointers }
type
  PInt = ^integer;
var
  P, Q: PInt;
begin
  New(P);
  P^ := 12;
  Q := P;
  Dispose(P);
  WriteLn(Q^);
end.
{ expect run-time error 208 }
