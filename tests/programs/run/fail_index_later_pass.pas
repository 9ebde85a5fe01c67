{ An index that leaves its bounds on the fourth pass of a loop stops the run at the index, as on
  the first pass: the passes before it run from what the first one kept. }
program IndexLaterPass;
var
  i, s: integer;
  t, v: array[1..3] of integer;
begin
  for i := 1 to 3 do
  begin
    t[i] := i * 10;
    v[i] := i
  end;
  s := 0;
  for i := 1 to 5 do
  begin
    s := s + t[i];
    writeln(s)
  end
end.
{ expect: 10 }
{ expect: 30 }
{ expect: 60 }
{ expect run-time error 224 at 16:17 }
