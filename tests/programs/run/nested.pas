{ Nested routines reading and changing the variables of the routines around them. }
{ expectations from fpc -Mtp }
program Nested;
var
  total: integer;

procedure Outer(n: integer);
var
  level: integer;

  procedure Inner(k: integer);
  begin
    level := level + k;
    total := total + level
  end;

begin
  level := 0;
  while n > 0 do
  begin
    Inner(n);
    n := n - 1
  end;
  writeln('level ', level)
end;

begin
  total := 0;
  Outer(4);
  writeln('total ', total)
end.
{ expect: level 10 }
{ expect: total 30 }
