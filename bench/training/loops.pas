program Loops;
{ Training for the optimised build: loops of every kind over arrays, CASE, integer and boolean
  arithmetic. }
const
  N = 400;
var
  a: array[1..N] of INTEGER;
  seen: array[0..99] of BOOLEAN;
  i, j, t, k, rounds: INTEGER;
  sum, checks: LONGINT;
  c: CHAR;
begin
  checks := 0;
  for rounds := 1 to 12 do
  begin
    for i := 1 to N do
      a[i] := (i * 37 + rounds * 11) mod 1000;
    for i := 1 to N - 1 do
      for j := N downto i + 1 do
        if a[j - 1] > a[j] then
        begin
          t := a[j - 1];
          a[j - 1] := a[j];
          a[j] := t;
        end;
    sum := 0;
    i := 1;
    while i <= N do
    begin
      sum := sum + a[i];
      i := i + 2;
    end;
    k := 0;
    repeat
      k := k + 1;
      case k mod 4 of
        0: sum := sum + 1;
        1: sum := sum - 2;
        2, 3: sum := sum + k div 3;
      end;
    until k >= 500;
    for i := 0 to 99 do
      seen[i] := (i mod 3 = 0) or (i mod 5 = 0);
    for i := 0 to 99 do
      if seen[i] and not (i mod 2 = 0) then
        checks := checks + i;
    c := 'a';
    while c < 'z' do
      c := succ(c);
    checks := checks + sum + ord(c);
  end;
  writeln(checks, ' ', a[1], ' ', a[N]);
end.
