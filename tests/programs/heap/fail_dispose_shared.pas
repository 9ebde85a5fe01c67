program DisposeShared;
type
  PInt = ^integer;
var
  P, Q: PInt;
begin
  New(P);
  Q := P;
  Dispose(P);
end.
{ expect run-time error 220 at 9:13 }
