{ HALT ends the program with an exit code; movila passes codes 4 to 63 on. }
{ expectations from fpc -Mtp }
{ expect exit 5 }
program HaltDemo;
procedure Stop;
begin
  writeln('stopping');
  halt(5);
  writeln('not reached')
end;
begin
  writeln('start');
  Stop;
  writeln('not reached')
end.
{ expect: start }
{ expect: stopping }
