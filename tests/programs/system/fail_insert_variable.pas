{ INSERT needs a string variable to insert into. }
program InsertVariable;
var
  i: integer;
begin
  insert('a', i, 1)
end.
{ expect error 130 at 6:16 }
