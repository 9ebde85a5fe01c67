{ Bubble sort of ten integers. }
{ expectations from fpc -Mtp }
program Sorting;
const
  N = 10;
var
  a: array[1..N] of integer;
  i, j, t: integer;
  swapped: boolean;
begin
  a[1] := 31; a[2] := -4; a[3] := 15; a[4] := 9; a[5] := 26;
  a[6] := 5; a[7] := 35; a[8] := 8; a[9] := -97; a[10] := 9;
  i := N;
  repeat
    swapped := false;
    for j := 1 to i - 1 do
      if a[j] > a[j + 1] then
      begin
        t := a[j];
        a[j] := a[j + 1];
        a[j + 1] := t;
        swapped := true
      end;
    i := i - 1
  until not swapped;
  for i := 1 to N do
    write(a[i]:4);
  writeln
end.
{ expect:  -97  -4   5   8   9   9  15  26  31  35 }
