program LocalLeak;
type
  PInt = ^integer;

procedure Lose;
var
  P: PInt;
begin
  New(P);
  P^ := 5;
end;

begin
  Lose;
end.
{ expect run-time error 219 }
