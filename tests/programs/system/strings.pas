{ The string routines: LENGTH, POS, COPY, CONCAT, INSERT and DELETE, counts and indexes that
  reach past the end included, and STR and VAL. }
{ expectations from fpc -Mtp }
program StringDemo;
var
  s, t: string;
  short: string[5];
  i, code: integer;
  l: longint;
  r: real;
begin
  s := 'hello world';
  writeln(length(s), ' ', length(''), ' ', pos('wor', s), ' ', pos('z', s));
  writeln(copy(s, 1, 5), '|', copy(s, 7, 100), '|', copy(s, 20, 2), '|', copy(s, 0, 2), '|');
  t := concat('[', s, ']', '!');
  writeln(t);
  insert('big ', s, 7);
  writeln(s);
  insert('...', s, 200);
  writeln(s);
  delete(s, 1, 6);
  writeln(s);
  delete(s, 4, 100);
  writeln(s);
  short := 'abc';
  insert('12345', short, 2);
  writeln(short);
  str(42, t);
  writeln('[', t, ']');
  str(-7:5, t);
  writeln('[', t, ']');
  str(3.14159:8:3, t);
  writeln('[', t, ']');
  val('123', i, code);
  writeln(i, ' ', code);
  val('-$1F', i, code);
  writeln(i, ' ', code);
  val('12a4', i, code);
  writeln(code);
  val('70000', l, code);
  writeln(l, ' ', code);
  val('2.5e2', r, code);
  writeln(r:0:1, ' ', code);
end.
{ expect: 11 0 7 0 }
{ expect: hello|world||he| }
{ expect: [hello world]! }
{ expect: hello big world }
{ expect: hello big world... }
{ expect: big world... }
{ expect: big }
{ expect: a1234 }
{ expect: [42] }
{ expect: [   -7] }
{ expect: [   3.142] }
{ expect: 123 0 }
{ expect: -31 0 }
{ expect: 3 }
{ expect: 70000 0 }
{ expect: 250.0 0 }
