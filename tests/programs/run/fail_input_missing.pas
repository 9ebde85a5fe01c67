{ A READ that finds no more input is an input-output error. }
program InputMissing;
var
  n: integer;
begin
  writeln('number?');
  readln(n)
end.
{ expect: number? }
{ expect run-time error 223 }
