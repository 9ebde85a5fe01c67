{ By default labels are forbidden. }
program NoLabels;
begin
  goto 10
end.
{ expect error 90 at 4:3 }
