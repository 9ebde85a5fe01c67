// The string routines: values, argument checks, and counts and indexes outside the string, which
// must neither read nor write beyond it.
#include "SystemTestSupport.h"

TEST_F(SystemTest, StringFunctionsComputeTheirValues)
{
    ExpectOutputs({
        {"var s: string;", "s := 'hello'; write(length(s), length(''), length('x'))", "501"},
        {"", "write(pos('lo', 'hello'), pos('z', 'hello'), pos('', 'abc'), pos('h', 'h'))", "4001"},
        {"",
         "write(copy('hello', 2, 3), '|', copy('hello', 4, 100), '|', copy('hello', 6, 1), '|')",
         "ell|lo||"},
        {"",
         "write(copy('hello', 0, 2), '|', copy('hello', -5, 2), '|', copy('hello', 2, -1), '|')",
         "he|he||"},
        {"", "write(concat('a', 'bc', 'd'), concat('x'))", "abcdx"},
    });
}

TEST_F(SystemTest, InsertAndDeleteChangeTheirVariable)
{
    ExpectOutputs({
        {"var s: string;", "s := 'held'; insert('l', s, 3); insert('o', s, 6); write(s)", "helldo"},
        {"var s: string;", "s := 'abc'; insert('X', s, 0); insert('Y', s, 99); write(s)", "XabcY"},
        {"var s: string;", "s := 'abcdef'; delete(s, 2, 3); write(s)", "aef"},
        {"var s: string;", "s := 'abcdef'; delete(s, 4, 100); write(s)", "abc"},
        {"var s: string;",
         "s := 'abc'; delete(s, 0, 2); delete(s, 4, 1); delete(s, 1, -1); write(s)", "abc"},
        {"var s: string[5];", "s := 'abc'; insert('12345', s, 2); write(s)", "a1234"},
    });
}

TEST_F(SystemTest, LongStringsStayWithinTheirStorage)
{
    // A 255-character string: INSERT keeps 255, CONCAT refuses 256, COPY and DELETE stay inside.
    const std::string fill =
        "var s, t: string;\nprocedure fill;\nvar i: integer;\nbegin\n  s := '';\n"
        "  for i := 1 to 51 do s := s + 'abcde'\nend;";
    ExpectOutputs({
        {fill.c_str(), "fill; insert('XY', s, 10); write(length(s), s[255], copy(s, 10, 3))",
         "255cXYe"},
        {fill.c_str(), "fill; insert('Z', s, 256); write(length(s), s[255])", "255e"},
        {fill.c_str(), "fill; t := copy(s, 250, 300); write(t)", "eabcde"},
        {fill.c_str(), "fill; delete(s, 255, 10); write(length(s))", "254"},
        {fill.c_str(), "fill; t := concat(copy(s, 1, 200), copy(s, 1, 55)); write(length(t))",
         "255"},
    });
    ExpectErrors({
        {fill.c_str(), "fill; t := concat(copy(s, 1, 200), copy(s, 1, 56))", 221, true},
        {fill.c_str(), "fill; t := concat(s, 'x')", 221, true},
    });
}

TEST_F(SystemTest, StrAndValConvertNumbers)
{
    ExpectOutputs({
        {"var s: string;", "str(42, s); write('[', s, ']'); str(-7:4, s); write('[', s, ']')",
         "[42][  -7]"},
        {"var s: string;", "str(3.14159:0:2, s); write(s); str(2.5:8:3, s); write('[', s, ']')",
         "3.14[   2.500]"},
        {"var i, c: integer;", "val('123', i, c); write(i, ' ', c)", "123 0"},
        {"var i, c: integer;", "val('-$1F', i, c); write(i, ' ', c)", "-31 0"},
        {"var i, c: integer;", "val('12a4', i, c); write(i, ' ', c)", "0 3"},
        {"var i, c: integer;", "val('', i, c); write(c)", "1"},
        {"var i, c: integer;", "val('40000', i, c); write(c)", "5"},
        {"var l: longint; c: integer;", "val('40000', l, c); write(l, ' ', c)", "40000 0"},
        {"var r: real; c: longint;", "val('2.5e2', r, c); write(r:0:1, ' ', c)", "250.0 0"},
        {"var r: real; c: integer;", "val('2.5x', r, c); write(c)", "4"},
    });
}

TEST_F(SystemTest, StringArgumentsAreChecked)
{
    ExpectErrors({
        {"", "write(length(3))", 70, false},
        {"", "write(pos(1, 'a'))", 65, false},
        {"", "write(copy(1, 1, 1))", 70, false},
        {"", "write(copy('a', 'b', 1))", 65, false},
        {"", "write(concat('a', 2))", 70, false},
        {"var i: integer;", "insert('a', i, 1)", 130, false},
        {"var s: string;", "insert(1, s, 1)", 70, false},
        {"var s: string;", "insert('a', s, 'b')", 65, false},
        {"var c: char;", "delete(c, 1, 1)", 130, false},
        {"var s: string;", "str('a', s)", 65, false},
        {"var i: integer;", "str(1, i)", 65, false},
        {"var r: real; i: integer;", "val(1, r, i)", 65, false},
        {"var s: string; i: integer;", "val('1', s, i)", 65, false},
        {"var r: real; w: word;", "val('1', r, w)", 65, false},
    });
}
