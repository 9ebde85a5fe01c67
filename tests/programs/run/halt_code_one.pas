{ HALT(1) collides with movila's own statuses: exit 3, and the code is printed. }
program HaltOne;
begin
  writeln('bye');
  halt(1)
end.
{ expect: bye }
{ expect exit 3 }
