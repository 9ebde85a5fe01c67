{ A colour outside 0..15 stops the run; the screen keeps what was written before. }
{ options: --screen }
program badcolour;
uses crt;
var c: integer;
begin
  textcolor(yellow);
  textbackground(blue);
  writeln('colours ', yellow, ' ', blue);
  c := lightgray + 9;
  textcolor(c);
  writeln('not reached')
end.
{ expect: colours 14 1 }
{ expect run-time error 224 }
