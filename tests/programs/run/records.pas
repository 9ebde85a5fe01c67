{ Records, nested records, WITH over one and two records, records as VAR parameters. }
{ expectations from fpc -Mtp }
program Records;
type
  Point = record
    x, y: integer
  end;
  Segment = record
    a, b: Point;
    name: string[10]
  end;
var
  p: Point;
  s: Segment;

procedure Move(var q: Point; dx, dy: integer);
begin
  q.x := q.x + dx;
  q.y := q.y + dy
end;

begin
  p.x := 1;
  p.y := 2;
  with s do
  begin
    a := p;
    b.x := 10;
    b.y := 20;
    name := 'diagonal'
  end;
  Move(s.a, 5, 5);
  with s, b do
    writeln(name, ' ', a.x, ',', a.y, ' ', x, ',', y);
  writeln(p.x, ' ', p.y)
end.
{ expect: diagonal 6,7 10,20 }
{ expect: 1 2 }
