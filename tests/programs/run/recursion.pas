{ Recursive functions: factorial in LONGINT, Fibonacci, Ackermann's small values. }
{ expectations from fpc -Mtp }
{ options: --max-stack 100 }
program Recursion;
var
  k: integer;

function Fact(n: integer): longint;
begin
  if n <= 1 then
    Fact := 1
  else
    Fact := n * Fact(n - 1)
end;

function Fib(n: integer): integer;
begin
  if n < 2 then
    Fib := n
  else
    Fib := Fib(n - 1) + Fib(n - 2)
end;

function Ack(m, n: integer): integer;
begin
  if m = 0 then
    Ack := n + 1
  else if n = 0 then
    Ack := Ack(m - 1, 1)
  else
    Ack := Ack(m - 1, Ack(m, n - 1))
end;

begin
  for k := 1 to 12 do
    writeln(k:2, '! = ', Fact(k));
  for k := 0 to 15 do
    write(Fib(k), ' ');
  writeln;
  writeln(Ack(2, 3))
end.
{ expect:  1! = 1 }
{ expect:  2! = 2 }
{ expect:  3! = 6 }
{ expect:  4! = 24 }
{ expect:  5! = 120 }
{ expect:  6! = 720 }
{ expect:  7! = 5040 }
{ expect:  8! = 40320 }
{ expect:  9! = 362880 }
{ expect: 10! = 3628800 }
{ expect: 11! = 39916800 }
{ expect: 12! = 479001600 }
{ expect: 0 1 1 2 3 5 8 13 21 34 55 89 144 233 377 610  }
{ expect: 9 }
