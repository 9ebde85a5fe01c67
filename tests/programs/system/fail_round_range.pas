{ ROUND of a real beyond the LONGINT range has no result. }
program RoundRange;
var
  r: real;
begin
  r := 1e15;
  writeln(round(r))
end.
{ expect run-time error 224 at 7:19 }
