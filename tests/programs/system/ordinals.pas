{ The ordinal functions, and INC and DEC on variables, array elements and subranges. }
{ expectations from fpc -Mtp }
program OrdinalDemo;
type
  colour = (red, green, blue);
var
  c: colour;
  ch: char;
  i: integer;
  w: word;
  d: 1..10;
  a: array[1..3] of integer;
begin
  c := succ(red);
  writeln(ord(c), ' ', ord(pred(blue)), ' ', ord('A'), ' ', chr(66), ' ', ord(true));
  ch := 'x';
  writeln(succ(ch), pred(ch), ' ', upcase(ch), upcase('Z'), upcase('5'));
  writeln(odd(7), ' ', odd(10), ' ', hi($1234), ' ', lo($1234), ' ', swap($1234));
  w := $ABCD;
  writeln(hi(w), ' ', lo(w), ' ', swap(w));
  i := 5;
  inc(i);
  inc(i, 10);
  dec(i, 3);
  dec(i);
  writeln(i);
  d := 1;
  inc(d, 8);
  a[2] := 40;
  inc(a[2], 2);
  writeln(d, ' ', a[2]);
end.
{ expect: 1 1 65 B 1 }
{ expect: yw XZ5 }
{ expect: TRUE FALSE 18 52 13330 }
{ expect: 171 205 52651 }
{ expect: 12 }
{ expect: 9 42 }
