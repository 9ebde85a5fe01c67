{ A GOTO may only reach a label of its own routine. }
{ options: --allow-labels }
program GotoOther;
label
  Out;
procedure P;
begin
  goto Out
end;
begin
  P;
Out:
  writeln('end')
end.
{ expect error 23 at 8:8 }
