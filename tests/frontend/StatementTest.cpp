// Statements checked and run in whole programs: what they print, the errors they stop with, and
// how loops, jumps, calls and the console behave.
#include "StatementTestSupport.h"

#include "runtime/SystemConsole.h"

#include <vector>

namespace {
struct OutputCase
{
    const char* Text;
    const char* Output;
};

struct ErrorCase
{
    const char* Text;
    int Error;
    bool AtRunTime;
    int Line;
    int Column;
};

std::string Program(const std::string& declarations, const std::string& body)
{
    return "program t;\n" + declarations + "\nbegin\n" + body + "\nend.\n";
}
} // namespace

TEST_F(StatementTest, StatementsPrintWhatTheyCompute)
{
    const std::vector<OutputCase> cases = {
        {"var i: integer;|for i := 1 to 0 do write(i); write('.')", "."},
        {"var i: integer;|for i := 5 to 5 do write(i)", "5"},
        {"var i: integer;|for i := 1 to 10 do ; write(i)", "10"},
        {"var c: char;|for c := 'd' downto 'a' do write(c)", "dcba"},
        {"var i: integer;|i := 0; while i > 0 do i := 99; write(i)", "0"},
        {"var i: integer;|i := 5; repeat i := i + 1 until true; write(i)", "6"},
        {"var i: integer;|i := 0; repeat i := i + 1; until i = 3; write(i)", "3"},
        {"var i: integer;|begin i := 1; end; write(i)", "1"},
        {"var b: boolean;|b := 2 > 1; if b then write('y') else write('n'); if not b then "
         "write('x')",
         "y"},
        {"var i: integer;|for i := 1 to 3 do if i = 2 then else write(i)", "13"},
        {"var c: char;|c := 'q'; case c of 'a'..'z', '_': write('L'); ',': write('C') else "
         "write('O') end",
         "L"},
        {"var i: integer;|for i := 1 to 4 do case i of 1: write('a'); 2, 3: write('b'); end",
         "abb"},
        {"var i: integer;|i := 9; case i of 1..3: write('a'); else write('z'); end", "z"},
        {"type r = record a, b: integer end;\nvar x: r;|with x do begin a := 1; b := 2 end; "
         "write(x.a + x.b)",
         "3"},
        {"var s: string[3];|s := 'abcdef'; write(s, '|')", "abc|"},
    };
    for (const OutputCase& c : cases) {
        std::string text = c.Text;
        const auto bar = text.find('|');
        EXPECT_EQ(Output(Program(text.substr(0, bar), text.substr(bar + 1))), c.Output) << c.Text;
    }
}

TEST_F(StatementTest, LoopsStopAtTheirPassLimit)
{
    // WHILE: the 100th execution of the body fails; REPEAT: the 100th false condition; FOR: the
    // 100th step.
    const std::vector<ErrorCase> cases = {
        {"var i: integer;|i := 0; while i < 99 do i := i + 1; write(i)", 0, true, 0, 0},
        {"var i: integer;|i := 0; while i < 100 do i := i + 1; write(i)", 239, true, 0, 0},
        {"var i: integer;|i := 0; repeat i := i + 1 until i = 100; write(i)", 0, true, 0, 0},
        {"var i: integer;|i := 0; repeat i := i + 1 until i = 101; write(i)", 239, true, 0, 0},
        {"var i, n: integer;|n := 0; for i := 1 to 100 do n := n + 1; write(n)", 0, true, 0, 0},
        {"var i, n: integer;|n := 0; for i := 1 to 101 do n := n + 1; write(n)", 239, true, 0, 0},
    };
    for (const ErrorCase& c : cases) {
        std::string text = c.Text;
        const auto bar = text.find('|');
        const RunOutcome outcome = Run(Program(text.substr(0, bar), text.substr(bar + 1)));
        EXPECT_EQ(outcome.CheckError, 0) << c.Text;
        EXPECT_EQ(outcome.RunError, c.Error) << c.Text;
    }
    driver->SetOptionB(OptionB::UnlimitedPasses, true);
    EXPECT_EQ(Output(Program("var i: integer;", "i := 0; while i < 1000 do i := i + 1; write(i)")),
              "1000");
}

TEST_F(StatementTest, AFailingForLoopHasRunItsBodyOneHundredTimes)
{
    const RunOutcome outcome =
        Run(Program("var i: integer;", "for i := 1 to 200 do if i mod 50 = 0 then write(i, ' ')"));
    EXPECT_EQ(outcome.RunError, 239);
    EXPECT_EQ(outcome.Output, "50 100 ");
}

TEST_F(StatementTest, StatementErrorsPointAtTheirPlace)
{
    const std::vector<ErrorCase> cases = {
        {"program t;\nvar i: integer;\nprocedure p;\nbegin\n  for i := 1 to 2 "
         "do\nend;\nbegin\nend.",
         30, false, 5, 7},
        {"program t;\nvar x: real;\nbegin\n  for x := 1 to 2 do\nend.", 31, false, 4, 7},
        {"program t;\nbegin\n  for k := 1 to 2 do\nend.", 32, false, 3, 7},
        {"program t;\nvar i: integer;\nbegin\n  with i do\nend.", 25, false, 4, 10},
        {"program t;\nbegin\n  goto 10\nend.", 90, false, 3, 3},
        {"program t;\nvar i: integer;\nbegin\n  i := 'a'\nend.", 28, false, 5, 1},
        {"program t;\nbegin\n  writeln('a');\n  inline(1 | 2 | 3)\nend.", 240, true, 4, 3},
        {"program t;\nvar d: 1..5;\n    i: integer;\nbegin\n  i := 6;\n  d := i\nend.", 224, true,
         7, 1},
        {"program t;\nfunction f: integer;\nbegin\nend;\nbegin\n  writeln(f)\nend.", 232, true, 4,
         1},
    };
    for (const ErrorCase& c : cases) {
        const RunOutcome outcome = Run(c.Text);
        EXPECT_EQ(c.AtRunTime ? outcome.RunError : outcome.CheckError, c.Error) << c.Text;
        EXPECT_EQ(outcome.Line, c.Line) << c.Text;
        EXPECT_EQ(outcome.Column, c.Column) << c.Text;
    }
}

TEST_F(StatementTest, LabelsNeedTheirOptionAndAreAnchoredOnce)
{
    driver->SetOptionB(OptionB::ForbidLabels, false);
    EXPECT_EQ(
        Output("program t;\nlabel a, b;\nvar i: integer;\nbegin\n  i := 0;\na: i := i + 1;\n"
               "  if i < 3 then goto a;\n  goto b;\n  write('skipped');\nb: write(i)\nend.\n"),
        "3");
    const RunOutcome twice = Run("program t;\nlabel a;\nbegin\na: ;\na: \nend.\n");
    EXPECT_EQ(twice.CheckError, 27);
    const RunOutcome other =
        Run("program t;\nlabel a;\nprocedure p;\nbegin\n  goto a\nend;\nbegin\na: p\nend.\n");
    EXPECT_EQ(other.CheckError, 23);
}

TEST_F(StatementTest, GotoOutOfNestedLoopsSkipsTheRest)
{
    driver->SetOptionB(OptionB::ForbidLabels, false);
    EXPECT_EQ(Output("program t;\nlabel done;\nvar i, j: integer;\nbegin\n"
                     "  for i := 1 to 5 do\n    for j := 1 to 5 do\n"
                     "      if i * j = 6 then goto done else write(i * j, ' ');\n"
                     "done: write('|', i, j)\nend.\n"),
              "1 2 3 4 5 2 4 |23");
}

TEST_F(StatementTest, CallsPassValuesAndVariablesAndReturn)
{
    EXPECT_EQ(Output("program t;\nvar a, b: integer;\n"
                     "procedure swap(var x, y: integer);\nvar t: integer;\n"
                     "begin t := x; x := y; y := t end;\n"
                     "function twice(n: integer): integer;\nbegin twice := 2 * n; n := 0 end;\n"
                     "begin\n  a := 1; b := 2; swap(a, b);\n  write(a, b, twice(b), b)\nend.\n"),
              "2121");
    EXPECT_EQ(Output("program t;\nfunction fact(n: integer): longint;\nbegin\n"
                     "  if n <= 1 then fact := 1 else fact := n * fact(n - 1)\nend;\n"
                     "begin\n  write(fact(9))\nend.\n"),
              "362880");
    EXPECT_EQ(Output("program t;\nprocedure p(n: integer);\nbegin\n  if n > 2 then exit;\n"
                     "  write(n);\n  p(n + 1);\n  write(n)\nend;\nbegin\n  p(1); exit;\n"
                     "  write('x')\nend.\n"),
              "1221");
}

TEST_F(StatementTest, RecursionOptionAndStackLimitStopCalls)
{
    const std::string text = "program t;\nprocedure p(n: integer);\nbegin\n  if n > 0 then "
                             "p(n - 1)\nend;\nbegin\n  p(20)\nend.\n";
    EXPECT_EQ(Run(text).RunError, 215);
    driver->SetLimits(5, 30, 100, 8);
    EXPECT_EQ(Run(text).RunError, 0);
    driver->SetOptionA(OptionA::ForbidRecursion, true);
    const RunOutcome outcome = Run(text);
    EXPECT_EQ(outcome.CheckError, 211);
    EXPECT_EQ(outcome.Line, 4);
}

TEST_F(StatementTest, HaltEndsTheRunWithItsCode)
{
    const RunOutcome outcome = Run(Program("", "write('a'); halt(7); write('b')"));
    EXPECT_EQ(outcome.RunError, 0);
    EXPECT_EQ(outcome.Output, "a");
    EXPECT_TRUE(driver->Halted);
    EXPECT_EQ(driver->HaltCode, 7);
}

TEST_F(StatementTest, EscapeCancelsARunningLoop)
{
    driver->SetOptionB(OptionB::UnlimitedPasses, true);
    host.EscapeAt = 50;
    const RunOutcome outcome = Run(Program("var i: integer;", "i := 0; while true do i := 1 - i"));
    EXPECT_EQ(outcome.RunError, 0);
    EXPECT_TRUE(driver->Escaped);
    EXPECT_FALSE(driver->Halted);
}

TEST_F(StatementTest, SteppingWaitsBeforeEveryStatementAndOnTheEnd)
{
    Run(Program("var i: integer;", "i := 1;\ni := 2"), RunMode::StartStepping);
    // Two statements and the END of the body.
    EXPECT_EQ(host.Waits, 3);
}

TEST_F(StatementTest, ReadTakesOneLinePerVariable)
{
    console.Input = {"12", "  -3 ", "Ada", "2.5", "xyz", ""};
    EXPECT_EQ(Output(Program("var a, b: integer; s: string; x: real; c: char;",
                             "readln(a); read(b); readln(s, x, c); readln; "
                             "write(a + b, s, x:4:1, c)")),
              "9Ada 2.5x");
    EXPECT_EQ(console.Echoed, "\r\n\r\n\r\n");

    const std::vector<std::pair<const char*, int>> bad = {{"twelve", 238}, {"70000", 224}};
    for (const auto& [typed, error] : bad) {
        console.Input = {typed};
        EXPECT_EQ(Run(Program("var n: integer;", "readln(n)")).RunError, error) << typed;
    }
    console.Input.clear();
    EXPECT_EQ(Run(Program("var n: integer;", "readln(n)")).RunError, 223);
    EXPECT_EQ(Run(Program("var b: boolean;", "readln(b)")).CheckError, 230);
}

TEST(ConsoleFormat, FieldsAreExactlyAsWideAsAskedWhenTheTextFits)
{
    using namespace ConsoleFormat;
    EXPECT_EQ(PadField("5", 3), "  5");
    EXPECT_EQ(PadField("ab", 2), "ab");
    EXPECT_EQ(PadField("abc", 2), "abc");
    EXPECT_EQ(PadField("x", -4), "x");
    EXPECT_EQ(PadField("x", 1 << 30).size(), static_cast<std::size_t>(MaxWidth));
    EXPECT_EQ(FixedReal(3.14159, 8, 2), "    3.14");
    EXPECT_EQ(FixedReal(-2.5, 0, 1), "-2.5");
    EXPECT_EQ(FixedReal(1.0, 3, -2), "  1");
    EXPECT_EQ(DefaultReal(1.5), " 1.5000000000E+00");
    EXPECT_EQ(DefaultReal(-1234.5), "-1.2345000000E+03");
    EXPECT_EQ(ScientificReal(3.14159, 10), " 3.142E+00");
    EXPECT_EQ(ScientificReal(3.14159, 2), " 3.1E+00");
}

TEST_F(StatementTest, WithOpensRecordsForItsStatementOnly)
{
    // A routine called inside WITH does not see the caller's records; sixteen records at once at
    // most.
    EXPECT_EQ(Output("program t;\ntype r = record a, b: integer end;\nvar x: r; a: integer;\n"
                     "procedure p;\nbegin write(a) end;\nbegin\n  a := 5; x.a := 1; x.b := 2;\n"
                     "  with x do begin write(b); p end;\n  write(a)\nend.\n"),
              "255");
    std::string records = "x";
    for (int i = 1; i < 16; ++i) {
        records += ", x";
    }
    const std::string declarations = "type r = record a: integer end;\nvar x: r;";
    EXPECT_EQ(Output(Program(declarations, "x.a := 2; with " + records + " do write(a)")), "2");
    const RunOutcome outcome =
        Run(Program(declarations, "x.a := 2; with " + records + ", x do write(a)"));
    EXPECT_EQ(outcome.CheckError, 54);
}

TEST_F(StatementTest, EmptyStatementsAreAcceptedBeforeEndAndUntil)
{
    EXPECT_EQ(Output(Program("var i: integer;", "i := 0; repeat i := i + 1; until i = 2; "
                                                "begin ; end; if i = 2 then ; write(i);")),
              "2");
}
