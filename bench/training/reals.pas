program Reals;
{ Training for the optimised build: arrays of reals, one and two dimensions (measurements,
  their mean and spread, a grid smoothed step by step). }
const
  N = 60;
  G = 20;
  STEPS = 40;
var
  m: array[1..N] of REAL;
  grid, next: array[1..G, 1..G] of REAL;
  i, j, s, rounds: INTEGER;
  mean, spread, total, corner: REAL;
begin
  total := 0.0;
  for rounds := 1 to 24 do
  begin
    for i := 1 to N do
      m[i] := 15.0 + (i * 7 mod 23) / 4.0 + rounds * 0.5;
    mean := 0.0;
    for i := 1 to N do
      mean := mean + m[i];
    mean := mean / N;
    spread := 0.0;
    for i := 1 to N do
      spread := spread + (m[i] - mean) * (m[i] - mean);
    spread := spread / N;
    for i := 1 to G do
      for j := 1 to G do
        if (i = 1) or (j = 1) or (i = G) or (j = G) then
          grid[i, j] := 100.0
        else
          grid[i, j] := 0.0;
    next := grid;
    for s := 1 to STEPS do
    begin
      for i := 2 to G - 1 do
        for j := 2 to G - 1 do
          next[i, j] := (grid[i - 1, j] + grid[i + 1, j] + grid[i, j - 1] + grid[i, j + 1]) * 0.25;
      for i := 2 to G - 1 do
        for j := 2 to G - 1 do
          grid[i, j] := next[i, j];
    end;
    corner := grid[2, 2] + grid[G div 2, G div 2];
    total := total + mean + spread + corner;
  end;
  writeln(total:0:3);
end.
