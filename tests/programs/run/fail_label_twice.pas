{ A label is placed once. }
{ options: --allow-labels }
program LabelTwice;
label
  Here;
begin
Here:
  writeln('a');
Here:
  writeln('b')
end.
{ expect error 27 at 9:1 }
