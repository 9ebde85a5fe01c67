{ SQRT of a negative value is outside the function's domain. }
program SqrtNegative;
var
  r: real;
begin
  r := -4;
  writeln(sqrt(r):0:2)
end.
{ expect run-time error 229 at 7:18 }
