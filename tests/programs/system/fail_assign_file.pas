{ Files are checked but not executed: ASSIGN stops the run. }
program AssignFile;
var
  f: text;
begin
  writeln('before');
  assign(f, 'out.txt');
  writeln('after')
end.
{ expect: before }
{ expect run-time error 240 at 7:23 }
