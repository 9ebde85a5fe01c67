{ The complexity of a routine is measured once. }
program ComplexityTwice;
begin
  complexity(1);
  complexity(2)
end.
{ expect error 241 at 5:13 }
