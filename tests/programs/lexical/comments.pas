program Comments;
{ a brace comment
  over two lines }
(* a parenthesis-star comment with a * inside *)
// a line comment with an unclosed { brace
var x: integer;
begin
  x := 1; { comment between tokens }x := (.1.);
  writeln('it''s {not} a comment');
end.
