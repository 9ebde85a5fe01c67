{ A FOR loop reads its variable again at every pass: a body that moves it moves the loop. A
  byte variable stepped past 255 wraps to 0, and the loop goes on from there until the pass
  limit stops it. }
program ForBodyMoves;
var
  i, n: integer;
  b: byte;
begin
  n := 0;
  for i := 1 to 10 do
  begin
    n := n + 1;
    if i = 4 then
      i := 8
  end;
  writeln(n, ' ', i);
  n := 0;
  for b := 250 to 255 do
    n := n + b;
  writeln(n, ' ', b);
  n := 0;
  for i := 10 downto 1 do
  begin
    n := n + 1;
    if i = 7 then
      i := 2
  end;
  writeln(n, ' ', i);
  for b := 1 to 10 do
    if b = 3 then
      b := 255
end.
{ expect: 6 10 }
{ expect: 1515 255 }
{ expect: 5 1 }
{ expect run-time error 239 at 30:5 }
