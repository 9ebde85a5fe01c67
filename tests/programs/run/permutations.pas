{ Recursion with a FOR loop in every activation: each keeps its own control variable and limit. }
{ expectations from fpc -Mtp }
program Permutations;
const
  N = 3;
var
  used: array[1..N] of boolean;
  chosen: array[1..N] of integer;
  k: integer;

procedure Place(position: integer);
var
  i, j: integer;
begin
  if position > N then
  begin
    for j := 1 to N do
      write(chosen[j]);
    writeln
  end
  else
    for i := 1 to N do
      if not used[i] then
      begin
        used[i] := true;
        chosen[position] := i;
        Place(position + 1);
        used[i] := false
      end
end;

begin
  for k := 1 to N do
    used[k] := false;
  Place(1)
end.
{ expect: 123 }
{ expect: 132 }
{ expect: 213 }
{ expect: 231 }
{ expect: 312 }
{ expect: 321 }
