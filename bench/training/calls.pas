program Calls;
{ Training for the optimised build: recursion, parameters of every kind, nested routines. }
var
  i, n: INTEGER;
  total: LONGINT;
  moves: LONGINT;

function gcd(a, b: INTEGER): INTEGER;
begin
  if b = 0 then
    gcd := a
  else
    gcd := gcd(b, a mod b);
end;

function tri(k: INTEGER): LONGINT;
begin
  if k <= 1 then
    tri := k
  else
    tri := k + tri(k - 1);
end;

procedure hanoi(k: INTEGER; var count: LONGINT);
begin
  if k > 0 then
  begin
    hanoi(k - 1, count);
    count := count + 1;
    hanoi(k - 1, count);
  end;
end;

function power(base: LONGINT; e: INTEGER): LONGINT;
var
  r: LONGINT;
  k: INTEGER;
begin
  r := 1;
  for k := 1 to e do
    r := r * base;
  power := r;
end;

procedure swap(var a, b: INTEGER);
var
  t: INTEGER;
begin
  t := a;
  a := b;
  b := t;
end;

function ack(m, k: INTEGER): INTEGER;
begin
  if m = 0 then
    ack := k + 1
  else if k = 0 then
    ack := ack(m - 1, 1)
  else
    ack := ack(m - 1, ack(m, k - 1));
end;

begin
  total := 0;
  for i := 1 to 3000 do
    total := total + gcd(i * 7, 1001) + tri(i mod 12) + power(2, i mod 20);
  moves := 0;
  hanoi(16, moves);
  n := 3;
  i := 9;
  swap(n, i);
  writeln(total, ' ', moves, ' ', n, ' ', i, ' ', ack(2, 3));
end.
