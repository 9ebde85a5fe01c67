{ WRITE formats: a field as wide as asked when the text fits, booleans by the vocabulary's words,
  and the notations of reals (hand-written: reals are shown in this system's own way). }
program WriteFormats;
var
  x: real;
  b: boolean;
begin
  writeln(5:3, '|', 'ab':2, '|', 'abc':2, '|', 'z':4, '|', -12:5, '|');
  b := 3 > 2;
  writeln(b, ' ', not b:7, '|');
  x := 3.14159;
  writeln(x:8:2, '|', x:0:3, '|', -x:9:1, '|');
  writeln(x);
  writeln(-x);
  writeln(x:10);
  writeln(1000000.0:12)
end.
{ expect:   5|ab|abc|   z|  -12| }
{ expect: TRUE   FALSE| }
{ expect:     3.14|3.142|     -3.1| }
{ expect:  3.1415900000E+00 }
{ expect: -3.1415900000E+00 }
{ expect:  3.142E+00 }
{ expect:  1.00000E+06 }
