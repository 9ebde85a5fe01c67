{ The control variable of a FOR must belong to the routine that runs the loop. }
program ForGlobal;
var
  i: integer;
procedure P;
begin
  for i := 1 to 3 do
    writeln(i)
end;
begin
  P
end.
{ expect error 30 at 7:7 }
