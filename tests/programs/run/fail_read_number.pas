{ Typed text that is no number, read into an integer: error 238. }
{ input: twelve }
program ReadNumber;
var
  n: integer;
begin
  readln(n);
  writeln(n)
end.
{ expect run-time error 238 }
