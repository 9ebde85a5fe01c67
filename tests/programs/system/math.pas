{ The arithmetic functions: absolute values, squares, roots, logarithms, trigonometry, and the
  real-to-integer functions, with ROUND's ties going to the even neighbour. }
{ expectations from fpc -Mtp }
program MathDemo;
var
  i: integer;
  l: longint;
  r: real;
begin
  i := -12;
  l := -100000;
  r := -2.75;
  writeln(abs(i), ' ', abs(l), ' ', abs(r):0:2);
  writeln(sqr(i), ' ', sqr(r):0:4);
  writeln(sqrt(16):0:3, ' ', sqrt(2):0:6);
  writeln(ln(1):0:3, ' ', ln(10):0:6, ' ', exp(1):0:6);
  writeln(sin(0):0:3, ' ', cos(0):0:3, ' ', arctan(1) * 4:0:6, ' ', pi:0:6);
  writeln(frac(r):0:2, ' ', int(r):0:2, ' ', trunc(r), ' ', round(r));
  writeln(round(0.5), ' ', round(1.5), ' ', round(2.5), ' ', round(-2.5), ' ', round(2.51));
  writeln(trunc(7), ' ', frac(7):0:1);
end.
{ expect: 12 100000 2.75 }
{ expect: 144 7.5625 }
{ expect: 4.000 1.414214 }
{ expect: 0.000 2.302585 2.718282 }
{ expect: 0.000 1.000 3.141593 3.141593 }
{ expect: -0.75 -2.00 -2 -3 }
{ expect: 0 2 2 -2 3 }
{ expect: 7 0.0 }
