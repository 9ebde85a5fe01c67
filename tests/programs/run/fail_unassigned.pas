{ Reading a variable before anything was stored in it stops the run with error 202. }
program Unassigned;
var
  a, b: integer;
begin
  a := 1;
  writeln(a);
  a := b + 1;
  writeln(a)
end.
{ expect: 1 }
{ expect run-time error 202 at 8:10 }
