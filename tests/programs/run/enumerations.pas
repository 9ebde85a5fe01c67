{ Enumerated types: FOR over them, CASE on them, comparisons and subranges. }
{ expectations from fpc -Mtp }
program Enumerations;
type
  Day = (Mon, Tue, Wed, Thu, Fri, Sat, Sun);
  WorkDay = Mon..Fri;
var
  d: Day;
  w: WorkDay;
  count: integer;
begin
  count := 0;
  for d := Mon to Sun do
  begin
    case d of
      Mon: write('Mo');
      Tue, Wed, Thu: write('Mi');
      Fri: write('Fr');
    else
      write('We')
    end;
    if d < Sat then
      count := count + 1
  end;
  writeln(' ', count);
  count := 0;
  for w := Fri downto Tue do
    count := count + 1;
  writeln(count)
end.
{ expect: MoMiMiMiFrWeWe 5 }
{ expect: 4 }
