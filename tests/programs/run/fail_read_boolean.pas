{ A BOOLEAN cannot be read from the keyboard. }
program ReadBoolean;
var
  b: boolean;
begin
  readln(b)
end.
{ expect error 230 at 6:11 }
