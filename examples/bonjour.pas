program Bonjour;
{ Greets the pupil, then counts to three.
  Re-word it with: movila translate bonjour.pas --to francais --config-dir config }
var
  i: integer;
  name: string;
begin
  write('Your name? ');
  readln(name);
  writeln('Bonjour ', name, '!');
  for i := 1 to 3 do
    writeln(i);
  if name = '' then
    writeln('You did not say your name.')
  else
    writeln('Your name has ', length(name), ' letters. See you soon, ', upcase(name[1]), '.');
end.
