// RANDOM and RANDOMIZE, IORESULT, COMPLEXITY, QUERY, and the routines that are checked but not
// executed by this build.
#include "SystemTestSupport.h"

TEST_F(SystemTest, RandomFollowsItsGenerator)
{
    // seed 5: 5 * 134775813 + 1 = 673879066, whose high 32 bits of a product by 100 are 15;
    // the next state over 2^32 is the real.
    ExpectOutputs({
        {"", "randomize(5); write(random(100))", "15"},
        {"", "randomize(0); write(random(1), random(0))", "00"},
        {"var r: real;", "randomize(5); r := random; write((r > 0.15) and (r < 0.16))", "TRUE"},
    });
    ExpectErrors({
        {"var i: integer;", "i := random", 28, false},
        {"", "write(random('a'))", 65, false},
        {"", "randomize(1.5)", 65, false},
    });
}

TEST_F(SystemTest, SameRandomSeriesRepeatsAcrossRuns)
{
    driver->SetOptionB(OptionB::SameRandomSeries, true);
    const std::string text =
        Program("var i: integer;", "randomize; for i := 1 to 5 do write(random(1000), ' ')");
    const std::string first = Output(text);
    EXPECT_EQ(Output(text), first);
    EXPECT_FALSE(first.empty());
}

TEST_F(SystemTest, ComplexityIsDeclaredOncePerRoutine)
{
    ExpectErrors({
        {"procedure p;\nbegin\n  complexity(1)\nend;", "p; complexity(2)", 0, true},
        {"", "complexity(1); complexity(2)", 241, false},
        {"", "complexity('a')", 65, false},
    });
}

TEST_F(SystemTest, UnexecutableRoutinesAreCheckedThenRefused)
{
    ExpectErrors({
        {"var f: text;", "assign(f, 'a.txt')", 240, true},
        {"var f: file of integer;", "reset(f)", 240, true},
        {"var f: file;", "rewrite(f, 128)", 240, true},
        {"var f: file; b: array[1..10] of byte;", "blockread(f, b, 10)", 240, true},
        {"", "write(paramcount)", 240, true},
        {"", "write(paramstr(1))", 240, true},
        {"var f: text;", "write(eof(f))", 240, true},
        {"", "write(eof, ioresult)", 0, true},
        {"var i: integer;", "assign(i, 'a')", 77, false},
        {"var f: file;", "append(f)", 78, false},
        {"var f: text;", "assign(f, 3)", 70, false},
        {"var f: file of integer;", "reset(f, 2)", 64, false},
        {"var f: file;", "reset(f, 'a')", 65, false},
        {"", "mkdir(1)", 70, false},
        {"var i: integer;", "getdir(0, i)", 130, false},
        {"var d: integer;", "write(query('a', 'b', d))", 135, false},
        {"var d: integer;", "write(query(1, 'b', d))", 70, false},
    });
}
