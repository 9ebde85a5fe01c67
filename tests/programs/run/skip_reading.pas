{ Statements read without being executed, again and again: IF branches, CASE arms, the last
  reading of loop bodies, a label inside a branch that is skipped and later reached by GOTO,
  and a directive in a branch never taken. Each must leave the reading where it was read
  the first time. }
{ expectations from fpc -Mtp }
{ options: --allow-labels }
program SkipReading;
label Ten, Again, Finish;
var
  i, j, n: integer;
  c: char;
begin
  n := 0;
  for i := 1 to 6 do
  begin
    if i mod 2 = 0 then
      n := n + 10
    else if i mod 3 = 0 then
      n := n + 100
    else
      n := n + 1;
    case i of
      1: n := n + 1000;
      2, 3: begin j := 0; while j < 2 do j := j + 1; n := n + j end;
      4..5: if i = 4 then n := n + 7 else begin {$I-} n := n + 9 {$I+} end
    else
      for c := 'a' to 'c' do
        n := n + ord(c) - ord('a')
    end
  end;
  writeln(n);
  i := 0;
Again:
  i := i + 1;
  if i > 10 then
  begin
Ten:
    writeln('reached ten at ', i);
    goto Finish
  end;
  if i < 4 then goto Again;
  if i = 4 then
  begin
    i := 12;
    goto Ten
  end;
Finish:
  writeln('end ', i)
end.
{ expect: 1155 }
{ expect: reached ten at 12 }
{ expect: end 12 }
