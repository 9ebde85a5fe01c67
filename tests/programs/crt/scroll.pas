{ Long lines wrap at the last column; writing past the last row scrolls the screen up. }
{ options: --screen-size 15x6 }
program scroll;
var i: integer;
begin
  write('abcdefghijklmnopq');
  writeln;
  for i := 1 to 6 do
    writeln('line ', i);
  write('last')
end.
{ expect: line 2 }
{ expect: line 3 }
{ expect: line 4 }
{ expect: line 5 }
{ expect: line 6 }
{ expect: last }
