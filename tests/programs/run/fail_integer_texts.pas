{ Integers typed at READLN and given to VAL share one reading: blanks, a sign, decimal digits or
  "$" and hexadecimal digits, within the variable's range; the first character that spoils the
  text is VAL's code, and a typed value beyond LONGINT is error 238. }
{ input:  $1F  }
{ input: -2147483648 }
{ input: 2147483648 }
program IntegerTexts;
var
  l: longint;
  i, code: integer;
begin
  readln(l);
  writeln(l);
  readln(l);
  writeln(l);
  val(' $7F', i, code);
  writeln(i, ' ', code);
  val('-32768', i, code);
  writeln(i, ' ', code);
  val('32768', i, code);
  writeln(code);
  val('12x4', i, code);
  writeln(code);
  readln(l)
end.
{ expect: 31 }
{ expect: -2147483648 }
{ expect: 127 0 }
{ expect: -32768 0 }
{ expect: 5 }
{ expect: 3 }
{ expect run-time error 238 }
