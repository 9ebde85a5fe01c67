{ expectations from fpc -Mtp }
program SearchTree;
{ A binary search tree: insertion through VAR parameters, recursive walks. }
type
  PTree = ^TreeNode;
  TreeNode = record
    Key: integer;
    Left, Right: PTree;
  end;
var
  Root: PTree;
  I: integer;

procedure Insert(var T: PTree; K: integer);
begin
  if T = nil then
  begin
    New(T);
    T^.Key := K;
    T^.Left := nil;
    T^.Right := nil;
  end
  else if K < T^.Key then
    Insert(T^.Left, K)
  else
    Insert(T^.Right, K);
end;

procedure Walk(T: PTree);
begin
  if T <> nil then
  begin
    Walk(T^.Left);
    Write(T^.Key, ' ');
    Walk(T^.Right);
  end;
end;

function Height(T: PTree): integer;
var
  L, R: integer;
begin
  if T = nil then
    Height := 0
  else
  begin
    L := Height(T^.Left);
    R := Height(T^.Right);
    if L > R then
      Height := L + 1
    else
      Height := R + 1;
  end;
end;

begin
  Root := nil;
  for I := 1 to 9 do
    Insert(Root, (I * 7) mod 10);
  Walk(Root);
  WriteLn;
  WriteLn('Height: ', Height(Root));
end.
{ expect: 1 2 3 4 5 6 7 8 9  }
{ expect: Height: 5 }
