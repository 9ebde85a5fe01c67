{ UPCASE takes a character. }
program UpcaseType;
begin
  writeln(upcase('ab'))
end.
{ expect error 67 at 4:23 }
