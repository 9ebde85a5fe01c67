program Texts;
{ Training for the optimised build: strings and characters, predefined functions, reals. }
var
  s, t, word: STRING;
  i, k, code: INTEGER;
  count: LONGINT;
  x, y: REAL;
  c: CHAR;
begin
  count := 0;
  for k := 1 to 600 do
  begin
    s := '';
    for i := 1 to 20 do
      s := s + chr(ord('a') + (i * k) mod 26);
    t := copy(s, 3, 10);
    if pos('e', s) > 0 then
      count := count + pos('e', s);
    word := '';
    for i := 1 to length(t) do
    begin
      c := upcase(t[i]);
      if c in ['A', 'E', 'I', 'O', 'U'] then
        count := count + 1
      else
        word := word + c;
    end;
    count := count + length(word);
    str(k * 3, t);
    val(t, i, code);
    count := count + i + code;
  end;
  x := 0;
  for i := 1 to 20000 do
  begin
    y := i / 7;
    x := x + sqrt(y) * 0.5 - y / 3 + abs(sin(y));
  end;
  writeln(count, ' ', x:0:3, ' ', round(x), ' ', trunc(x / 2));
end.
