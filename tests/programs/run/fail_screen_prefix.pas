{ Only routines whose name begins with the screen prefix may write. }
{ options: --screen-prefix SHOW }
program Prefix;
procedure ShowIt;
begin
  writeln('shown')
end;
procedure Other;
begin
  writeln('refused')
end;
begin
  ShowIt;
  Other
end.
{ expect: shown }
{ expect run-time error 235 at 10:10 }
