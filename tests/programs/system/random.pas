{ RANDOMIZE with a seed starts a known series: each state is the previous one times 134775813
  plus 1, modulo 2^32; RANDOM(n) takes the high 32 bits of state times n, RANDOM alone the state
  over 2^32. }
program RandomDemo;
var
  i: integer;
  r: real;
begin
  randomize(5);
  write(random(100));
  for i := 2 to 5 do
    write(' ', random(100));
  writeln;
  randomize(5);
  r := random;
  writeln((r >= 0.15) and (r < 0.16));
  randomize;
  i := random(10);
  writeln((i >= 0) and (i < 10));
end.
{ expect: 15 17 56 55 26 }
{ expect: TRUE }
{ expect: TRUE }
