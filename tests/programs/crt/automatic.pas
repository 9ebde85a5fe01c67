{ With the automatic CRT option the unit's names are known without USES. }
{ options: --auto-crt --screen }
program automatic;
begin
  gotoxy(3, 2);
  write(wherex, ',', wherey);
  delay(10000);
  window(1, 1, 20, 10);
  textattr := white;
  write(' ', textattr)
end.
{ expect:  }
{ expect:   3,2 15 }
