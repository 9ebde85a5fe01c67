{ An expression must be assignment-compatible with its target. }
program AssignType;
var
  i: integer;
begin
  i := 'text'
end.
{ expect error 28 at 7:1 }
