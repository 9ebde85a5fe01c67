program Segments;
begin
  WriteLn(CSeg);
end.
{ expect error 81 at 3:15 }
