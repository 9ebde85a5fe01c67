{ With recursion forbidden, a routine calling itself is refused at the call. }
{ options: --forbid-recursion }
program NoRecursion;
procedure Down(n: integer);
begin
  if n > 0 then
    Down(n - 1)
end;
begin
  Down(3)
end.
{ expect error 211 at 7:5 }
