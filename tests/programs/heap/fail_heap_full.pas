program HeapFull;
{ options: --unlimited-passes }
{ Cells kept in a list until the heap's bound is reached. }
type
  PBig = ^Big;
  Big = record
    Data: array[1..1000] of longint;
    Next: PBig;
  end;
var
  Head, P: PBig;
  N: longint;
begin
  Head := nil;
  N := 0;
  while true do
  begin
    New(P);
    P^.Next := Head;
    Head := P;
    N := N + 1;
  end;
end.
{ expect run-time error 248 }
