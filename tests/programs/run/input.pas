{ READ and READLN from the keyboard: one line of input per variable. }
{ expectations from fpc -Mtp }
{ input: 12 }
{ input: -7 }
{ input: Ada Lovelace }
{ input: 2.5 }
{ input: xyz }
{ input: }
program Input;
var
  a, b: integer;
  name: string;
  x: real;
  c: char;
begin
  readln(a);
  readln(b);
  readln(name);
  readln(x);
  readln(c);
  writeln(a + b, ' ', name, ' ', x * 2:0:2, ' ', c);
  readln
end.
{ expect: 5 Ada Lovelace 5.00 x }
