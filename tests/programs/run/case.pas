{ CASE with ranges, lists, an ELSE part, and a first matching arm that wins. }
{ expectations from fpc -Mtp }
program CaseDemo;
var
  c: char;
  s: string;
  i, letters, digits, others: integer;
begin
  s := 'Pupils, 2 of 3, write Pascal!';
  letters := 0;
  digits := 0;
  others := 0;
  for i := 1 to 29 do
  begin
    c := s[i];
    case c of
      'a'..'z', 'A'..'Z': letters := letters + 1;
      '0'..'9': digits := digits + 1;
      ',': write('[comma]');
    else
      others := others + 1
    end
  end;
  writeln;
  writeln(letters, ' ', digits, ' ', others);
  for i := 1 to 4 do
    case i of
      1: writeln('one');
      2, 3: writeln('two or three');
    end
end.
{ expect: [comma][comma] }
{ expect: 19 2 6 }
{ expect: one }
{ expect: two or three }
{ expect: two or three }
