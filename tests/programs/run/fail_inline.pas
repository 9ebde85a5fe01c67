{ INLINE machine code is checked but cannot be interpreted. }
program InlineCode;
begin
  writeln('before');
  inline(1 | 2 | 3);
  writeln('after')
end.
{ expect: before }
{ expect run-time error 240 at 5:3 }
