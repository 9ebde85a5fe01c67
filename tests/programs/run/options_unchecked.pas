{ Program options from the command line: no range checks, variables that start at zero, and a
  higher pass limit. }
{ options: --no-range-checks --initialize-variables --max-passes 200 }
program Options;
var
  d: 1..10;
  i, never: integer;
begin
  i := 11;
  d := i;
  writeln(d);
  writeln(never);
  i := 0;
  while i < 150 do
    i := i + 1;
  writeln(i)
end.
{ expect: 11 }
{ expect: 0 }
{ expect: 150 }
