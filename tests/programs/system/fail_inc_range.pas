{ Under the ordinal-limit check, INC past a BYTE's range is an invalid value. }
program IncRange;
var
  b: byte;
begin
  b := 250;
  inc(b, 6);
  writeln(b)
end.
{ expect run-time error 224 at 7:12 }
