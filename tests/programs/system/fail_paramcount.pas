{ PARAMCOUNT is checked but not executed. }
program ParamCountDemo;
begin
  writeln(paramcount)
end.
{ expect run-time error 240 at 4:21 }
