{ CONCAT refuses a result of 256 characters or more instead of cutting it. }
program ConcatLong;
var
  s: string;
  i: integer;
begin
  s := '';
  for i := 1 to 20 do
    s := s + '0123456789';
  writeln(length(concat(s, s)))
end.
{ expect run-time error 221 at 10:30 }
