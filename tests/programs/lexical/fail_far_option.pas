program FarOption;
{$F*}
begin
end.
{ expect error 80 at 2:1 }
