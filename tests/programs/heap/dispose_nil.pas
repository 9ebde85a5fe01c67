program DisposeSetsNil;
{ DISPOSE and FREEMEM leave their variable nil; MARK and RELEASE drop later cells. }
type
  PCell = ^Cell;
  Cell = record
    N: integer;
    Next: PCell;
  end;
var
  P, Q: PCell;
  M: pointer;
  G: pointer;
begin
  New(P);
  Dispose(P);
  GetMem(G, 10);
  FreeMem(G, 10);
  WriteLn(P = nil, ' ', G = nil);
  Mark(M);
  New(Q);
  Q^.N := 3;
  New(Q^.Next);
  Q^.Next^.N := 4;
  WriteLn(Q^.N + Q^.Next^.N);
  Release(M);
  WriteLn('released');
end.
{ expect: TRUE TRUE }
{ expect: 7 }
{ expect: released }
