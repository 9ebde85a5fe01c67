{ GOTO forward out of a loop and backward; labels need the option that allows them. }
{ expectations from fpc -Mtp }
{ options: --allow-labels }
program GotoDemo;
label
  Again, Done;
var
  i, tries: integer;
begin
  tries := 0;
Again:
  tries := tries + 1;
  i := 0;
  while true do
  begin
    i := i + 1;
    if i = 3 then
      goto Done;
    writeln('i = ', i)
  end;
Done:
  writeln('left at ', i);
  if tries < 2 then
    goto Again;
  writeln('tries ', tries)
end.
{ expect: i = 1 }
{ expect: i = 2 }
{ expect: left at 3 }
{ expect: i = 1 }
{ expect: i = 2 }
{ expect: left at 3 }
{ expect: tries 2 }
