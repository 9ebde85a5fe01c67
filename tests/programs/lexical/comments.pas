program Comments;
{ a brace comment
  over two lines }
(* a parenthesis-star comment with a * inside *)
// a line comment with an unclosed { brace
var x: integer;
    a: array[1..2] of integer;
begin
  x := 1; { comment between tokens }a(.1.) := x;
  writeln('it''s {not} a comment');
end.
