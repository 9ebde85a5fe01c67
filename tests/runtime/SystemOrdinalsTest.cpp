// The ordinal routines: values, result types, argument checks, and INC and DEC's range checks.
#include "SystemTestSupport.h"

TEST_F(SystemTest, OrdinalFunctionsComputeTheirValues)
{
    ExpectOutputs({
        {"", "write(ord('A'), ' ', ord(true), ' ', chr(66), ' ', chr(ord('a') + 1))", "65 1 B b"},
        {"type colour = (red, green, blue);", "write(ord(blue), ' ', ord(succ(red)))", "2 1"},
        {"", "write(succ('a'), pred('c'), ' ', succ(9), ' ', pred(0))", "bb 10 -1"},
        {"", "write(odd(3), ' ', odd(-4), ' ', odd(0))", "TRUE FALSE FALSE"},
        {"", "write(hi($1234), ' ', lo($1234), ' ', hi(-1), ' ', lo(300))", "18 52 255 44"},
        {"", "write(swap($1234), ' ', swap(1))", "13330 256"},
        {"var i: integer;", "i := $00FF; write(swap(i))", "-256"},
        {"var l: longint;", "l := $12345678; write(swap(l) = $12347856)", "TRUE"},
        {"", "write(upcase('q'), upcase('Q'), upcase('1'), upcase('{'))", "QQ1{"},
    });
}

TEST_F(SystemTest, SuccAndPredKeepTheirArgumentsType)
{
    ExpectOutputs({
        {"type colour = (red, green, blue);\nvar c: colour;",
         "c := succ(red); if c = green then write('green'); c := pred(blue); write(ord(c))",
         "green1"},
        {"var c: char;", "c := succ('y'); write(c)", "z"},
    });
    ExpectErrors({
        {"type colour = (red, green, blue);\nvar i: integer;", "i := succ(red)", 28, false},
        {"var c: char;", "c := succ(1)", 28, false},
    });
}

TEST_F(SystemTest, IncAndDecChangeTheirVariable)
{
    ExpectOutputs({
        {"var i: integer;", "i := 5; inc(i); inc(i, 10); dec(i, 3); dec(i); write(i)", "12"},
        {"var l: longint; b: byte;", "l := 70000; inc(l, l); b := 1; dec(b); write(l, ' ', b)",
         "140000 0"},
        {"var a: array[1..3] of word; i: integer;",
         "for i := 1 to 3 do a[i] := i; inc(a[2], 40); write(a[2])", "42"},
        {"var d: 1..10;", "d := 9; inc(d); write(d)", "10"},
    });
}

TEST_F(SystemTest, IncAndDecCheckTheirVariablesRange)
{
    ExpectErrors({
        {"var b: byte;", "b := 255; inc(b)", 224, true},
        {"var i: integer;", "i := -32768; dec(i)", 224, true},
        {"var w: word;", "w := 0; dec(w, 1)", 224, true},
        {"var d: 1..10;", "d := 10; inc(d)", 224, true},
        {"var l: longint;", "l := 2147483647; inc(l)", 224, true},
        {"var i: integer;", "inc(i)", 202, true},
    });
    driver->SetOptionC(OptionC::CheckOrdinalLimits, false);
    ExpectOutputs({
        {"var b: byte;", "b := 255; inc(b); write(b)", "0"},
        {"var i: integer;", "i := 32767; inc(i); write(i)", "-32768"},
    });
}

TEST_F(SystemTest, OrdinalArgumentsAreChecked)
{
    ExpectErrors({
        {"", "write(ord(1.5))", 66, false},
        {"", "write(ord('ab'))", 66, false},
        {"", "write(chr('a'))", 65, false},
        {"", "write(succ(1.5))", 66, false},
        {"", "write(odd('a'))", 65, false},
        {"", "write(hi(2.0))", 65, false},
        {"", "write(swap('a'))", 65, false},
        {"", "write(upcase(65))", 67, false},
        {"", "write(upcase('ab'))", 67, false},
        {"var c: char;", "inc(c)", 40, false},
        {"var r: real;", "dec(r)", 40, false},
        {"var i: integer;", "inc(i, 1.5)", 40, false},
        {"", "inc(3)", 44, false},
    });
}
