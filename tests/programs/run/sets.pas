{ Sets of characters and of small integers. }
{ expectations from fpc -Mtp }
program Sets;
type
  Digits = set of 0..9;
var
  vowels, seen: set of char;
  odd, small: Digits;
  text: string;
  i: integer;
  c: char;
begin
  vowels := ['A', 'E', 'I', 'O', 'U'];
  seen := [];
  text := 'EDUCATION';
  for i := 1 to 9 do
    if text[i] in vowels then
      seen := seen + [text[i]];
  for c := 'A' to 'Z' do
    if c in seen then
      write(c);
  writeln;
  odd := [1, 3, 5, 7, 9];
  small := [0..4];
  for i := 0 to 9 do
    if i in odd * small then
      write(i);
  writeln;
  for i := 0 to 9 do
    if i in small - odd then
      write(i);
  writeln;
  writeln(odd = [9, 7, 5, 3, 1], ' ', small <= odd)
end.
{ expect: AEIOU }
{ expect: 13 }
{ expect: 024 }
{ expect: TRUE FALSE }
