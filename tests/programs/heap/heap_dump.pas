{ A list built at its head, dumped after the run: one structure laid out on one row, 120
  pixels apart, the anchor on the variable that still holds the head. }
{ options: --heap }
program Chain;
type
  PNode = ^Node;
  Node = record
    value: integer;
    next: PNode;
  end;
var
  head, p: PNode;
  i: integer;
begin
  head := nil;
  for i := 1 to 3 do
  begin
    new(p);
    p^.value := i;
    p^.next := head;
    head := p
  end;
  p := nil;
  writeln(head^.next^.value)
end.
{ expect: 2 }
{ expect: heap: }
{ expect: cell 1 $00100000 size 6 structure 1 gen 0 at 280,150 refs 1 -> nil }
{ expect: cell 2 $00100008 size 6 structure 1 gen 0 at 160,150 refs 1 -> $00100000 }
{ expect: cell 3 $00100010 size 6 structure 1 gen 0 at 40,150 refs 1 -> $00100008 }
{ expect: anchor $00100010: HEAD }
