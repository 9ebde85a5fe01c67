{ The cursor routines on the emulated screen: GOTOXY, WHEREX, WHEREY, CLREOL, CLRSCR. }
{ options: --screen }
program cursor;
uses crt;
var x, y: integer;
begin
  writeln('erased by clrscr');
  clrscr;
  writeln('top line');
  gotoxy(10, 4);
  write('at 10,4');
  x := wherex;
  y := wherey;
  gotoxy(1, 3);
  write(x, ' ', y);
  gotoxy(0, 6);
  write('row 6');
  gotoxy(41, 25);
  write('!');
  gotoxy(1, 8);
  write('abcdefghij');
  gotoxy(4, 8);
  clreol;
  gotoxy(wherex, wherey);
  write('+');
end.
{ expect: top line }
{ expect:  }
{ expect: 17 4 }
{ expect:          at 10,4 }
{ expect:  }
{ expect:     row 6! }
{ expect:  }
{ expect: abc+ }
