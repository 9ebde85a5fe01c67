{ Typed lines are echoed on the screen, READLN ends the row; READKEY takes a key without echo;
  KEYPRESSED waits for a key and leaves it to be read. }
{ options: --screen }
program keys;
uses crt;
var name: string; c: char; n: integer;
begin
  write('name? ');
  readln(name);
  write('n? ');
  readln(n);
  writeln('hello ', name, ' ', n * 2);
  if keypressed then
    write('key: ');
  c := readkey;
  writeln(c, ' ', ord(readkey));
end.
{ input: Ada }
{ input: 21 }
{ input: z }
{ expect: name? Ada }
{ expect: n? 21 }
{ expect: hello Ada 42 }
{ expect: key: z 13 }
