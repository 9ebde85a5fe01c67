program Unclosed;
begin
  writeln('hello');
end.
{ expect error 71 at 5:1 -- this comment never ends
