{ expectations from fpc -Mtp }
program MemoryRoutines;
{ FILLCHAR, MOVE, SIZEOF, GETMEM and FREEMEM on plain variables. }
type
  Pair = record
    A, B: integer;
  end;
  PInt = ^integer;
var
  Buffer: array[1..8] of byte;
  Copy: array[1..8] of byte;
  R: Pair;
  P: PInt;
  Q: pointer;
  I: integer;
begin
  FillChar(Buffer, SizeOf(Buffer), 7);
  Buffer[3] := 1;
  Move(Buffer, Copy, SizeOf(Copy));
  for I := 1 to 8 do
    Write(Copy[I]);
  WriteLn;
  WriteLn(SizeOf(Pair), ' ', SizeOf(R), ' ', SizeOf(Buffer), ' ', SizeOf(integer));
  FillChar(R, SizeOf(R), 0);
  WriteLn(R.A + R.B);
  New(P);
  P^ := 42;
  WriteLn(P^);
  Dispose(P);
  GetMem(Q, 16);
  FreeMem(Q, 16);
end.
{ expect: 77177777 }
{ expect: 4 4 8 2 }
{ expect: 0 }
{ expect: 42 }
