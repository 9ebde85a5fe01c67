program Unfinished;
begin
  writeln('hello);
end.
{ expect error 79 at 3:11 }
