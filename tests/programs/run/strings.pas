{ Strings: concatenation, comparison, indexing, a short string that cuts what it is given. }
{ expectations from fpc -Mtp }
program Strings;
var
  s, t: string;
  short: string[4];
  i: integer;
  c: char;
begin
  s := 'Hello';
  t := s + ', ' + 'world';
  writeln(t);
  short := t;
  writeln(short, '|');
  writeln(s < t, ' ', 'abc' < 'abd', ' ', 'b' > 'abc');
  for i := 1 to 5 do
    write(s[i], '.');
  writeln;
  c := s[1];
  s[1] := 'J';
  writeln(c, ' ', s);
  t := '';
  for i := 1 to 3 do
    t := t + 'ab';
  writeln(t)
end.
{ expect: Hello, world }
{ expect: Hell| }
{ expect: TRUE TRUE TRUE }
{ expect: H.e.l.l.o. }
{ expect: H Jello }
{ expect: ababab }
