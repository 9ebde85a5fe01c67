{ expectations from fpc -Mtp }
program LinkedList;
{ A list built at its head, walked, then disposed cell by cell. }
type
  PNode = ^Node;
  Node = record
    Value: integer;
    Next: PNode;
  end;
var
  Head, P: PNode;
  I, Sum: integer;
begin
  Head := nil;
  for I := 1 to 5 do
  begin
    New(P);
    P^.Value := I * I;
    P^.Next := Head;
    Head := P;
  end;
  Sum := 0;
  P := Head;
  while P <> nil do
  begin
    Sum := Sum + P^.Value;
    Write(P^.Value, ' ');
    P := P^.Next;
  end;
  WriteLn;
  WriteLn('Sum = ', Sum);
  while Head <> nil do
  begin
    P := Head;
    Head := Head^.Next;
    Dispose(P);
  end;
  WriteLn(Head = nil);
end.
{ expect: 25 16 9 4 1  }
{ expect: Sum = 55 }
{ expect: TRUE }
