program Heap;
{ Training for the optimised build: records and pointers, a sorted list and a binary tree built,
  walked and freed. }
type
  PItem = ^Item;
  Item = record
    key: INTEGER;
    next: PItem;
  end;
  PNode = ^Node;
  Node = record
    key: INTEGER;
    left, right: PNode;
  end;
var
  first, p, q, prev: PItem;
  root: PNode;
  i, k, seed: INTEGER;
  sum: LONGINT;

procedure insert(var t: PNode; key: INTEGER);
begin
  if t = nil then
  begin
    NEW(t);
    t^.key := key;
    t^.left := nil;
    t^.right := nil;
  end
  else if key < t^.key then
    insert(t^.left, key)
  else
    insert(t^.right, key);
end;

function total(t: PNode): LONGINT;
begin
  if t = nil then
    total := 0
  else
    total := t^.key + total(t^.left) + total(t^.right);
end;

procedure clear(var t: PNode);
begin
  if t <> nil then
  begin
    clear(t^.left);
    clear(t^.right);
    DISPOSE(t);
  end;
end;

begin
  sum := 0;
  seed := 7;
  for k := 1 to 30 do
  begin
    first := nil;
    for i := 1 to 300 do
    begin
      NEW(p);
      seed := (seed * 31 + 17) mod 1009;
      p^.key := seed;
      p^.next := first;
      first := p;
    end;
    p := first;
    while p <> nil do
    begin
      sum := sum + p^.key;
      p := p^.next;
    end;
    while first <> nil do
    begin
      q := first;
      first := first^.next;
      q^.next := nil;
      DISPOSE(q);
    end;
    prev := nil;
    root := nil;
    for i := 1 to 200 do
    begin
      seed := (seed * 13 + 5) mod 997;
      insert(root, seed);
    end;
    sum := sum + total(root);
    clear(root);
  end;
  writeln(sum);
end.
