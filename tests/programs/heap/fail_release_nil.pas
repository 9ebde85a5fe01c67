program ReleaseNil;
var
  M: pointer;
begin
  M := nil;
  Release(M);
end.
{ expect run-time error 218 }
