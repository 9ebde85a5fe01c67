{ Without --screen the output stays a plain stream: cursor moves show nothing, yet WHEREX
  follows what was written. }
program stream;
uses crt;
begin
  write('abc');
  writeln(wherex);
  gotoxy(20, 10);
  clrscr;
  writeln(wherex, ' ', wherey);
  delay(20)
end.
{ expect: abc4 }
{ expect: 1 1 }
