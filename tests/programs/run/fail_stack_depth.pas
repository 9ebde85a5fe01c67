{ More routines active at once than the execution stack allows (10 by default): error 215. }
program Deep;
function Depth(n: integer): integer;
begin
  if n = 0 then
    Depth := 0
  else
    Depth := Depth(n - 1) + 1
end;
begin
  writeln(Depth(5));
  writeln(Depth(50))
end.
{ expect: 5 }
{ expect run-time error 215 }
