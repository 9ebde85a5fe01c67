program Includes;
{$I other.inc}
begin
end.
{ expect error 92 at 2:1 }
