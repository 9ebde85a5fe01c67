// Expressions inside whole programs: checked, then run, as a pupil would see them.
#include "StatementTestSupport.h"

#include <vector>

namespace {
// A program, the output it must print, or the error it must stop with (check or run).
struct ProgramCase
{
    const char* Name;
    const char* Text;
    const char* Output;
    int CheckError;
    int RunError;
};

class ExpressionProgramTest : public StatementTest
{
};

const char* const Declarations = "PROGRAM T;\n"
                                 "TYPE Small = 1..10;\n"
                                 "     Colour = (Red, Green, Blue);\n"
                                 "     Point = RECORD X, Y: INTEGER END;\n"
                                 "     Row = ARRAY [1..3] OF INTEGER;\n"
                                 "VAR i, k: INTEGER; b: BYTE; c: CHAR; s: STRING; r: REAL;\n"
                                 "    p, q: Point; a: Row; col: Colour; l: LONGINT;\n"
                                 "    z: SET OF 0..20;\n";
} // namespace

TEST_F(ExpressionProgramTest, ProgramsComputeAndStopAsExpected)
{
    const std::vector<ProgramCase> cases = {
        {"arithmetic", "BEGIN i := 7; WRITELN(i / 2:0:1, ' ', i DIV 2, ' ', -i MOD 2) END.",
         "3.5 3 -1\r\n", 0, 0},
        {"constants",
         "CONST N = 2 * 5; M = N + 1; H = 'ab' + 'c';\nBEGIN WRITELN(N, ' ', M, ' ', H) END.",
         "10 11 abc\r\n", 0, 0},
        {"big literal", "BEGIN l := 32768; WRITELN(l, ' ', 1.5E3:0:0) END.", "32768 1500\r\n", 0,
         0},
        {"records", "BEGIN p.X := 1; p.Y := 2; q := p; WRITELN(p = q, ' ', q.X + q.Y) END.",
         "TRUE 3\r\n", 0, 0},
        {"record order", "BEGIN p.X := 1; WRITELN(p < q) END.", "", 109, 0},
        {"arrays", "BEGIN FOR i := 1 TO 3 DO a[i] := i * i; WRITELN(a[1] + a[2] + a[3]) END.",
         "14\r\n", 0, 0},
        {"array bounds", "BEGIN i := 4; a[i] := 0 END.", "", 0, 224},
        {"unassigned", "BEGIN k := i + 1 END.", "", 0, 202},
        {"narrowing", "BEGIN i := 200; b := i; c := 'a'; WRITELN(b, c) END.", "200a\r\n", 0, 0},
        {"narrowing out of range", "BEGIN i := 300; b := i END.", "", 0, 224},
        {"string index", "BEGIN s := 'cat'; s[1] := 'b'; i := 3; WRITELN(s, ' ', s[i], s[2]) END.",
         "bat ta\r\n", 0, 0},
        {"enumerations", "BEGIN col := Blue; WRITELN(col > Red, ' ', col = Green) END.",
         "TRUE FALSE\r\n", 0, 0},
        {"mixed enumerations", "VAR f: (Apple, Pear);\nBEGIN col := Apple END.", "", 28, 0},
        {"sets", "BEGIN z := [1, 3..5]; WRITELN(4 IN z, ' ', 2 IN z, ' ', z * [5..9] = [5]) END.",
         "TRUE FALSE TRUE\r\n", 0, 0},
        {"set elements", "BEGIN z := ['a'] END.", "", 28, 0},
        {"enumeration subranges",
         "VAR e: ARRAY [Red..Green] OF INTEGER; m: SET OF Red..Green;\n"
         "BEGIN e[Green] := 2; m := [Red]; col := Green; m := m + [col];\n"
         "  WRITELN(e[Green], ' ', Green IN m, ' ', Blue IN m) END.",
         "2 TRUE FALSE\r\n", 0, 0},
        {"short circuit", "BEGIN k := 0; WRITELN((k <> 0) AND_THEN (10 DIV k > 1)) END.",
         "FALSE\r\n", 0, 0},
        {"division by zero", "BEGIN k := 0; WRITELN((k <> 0) AND (10 DIV k > 1)) END.", "", 0, 200},
        {"with", "BEGIN WITH p DO BEGIN X := 3; Y := 4; WRITELN(X * X + Y * Y) END END.", "25\r\n",
         0, 0},
        {"unknown name", "BEGIN i := j + 1 END.", "", 4, 0},
    };
    for (const ProgramCase& c : cases) {
        const RunOutcome outcome = Run(std::string(Declarations) + c.Text);
        EXPECT_EQ(outcome.CheckError, c.CheckError) << c.Name;
        EXPECT_EQ(outcome.RunError, c.RunError) << c.Name;
        if (c.CheckError == 0 && c.RunError == 0) {
            EXPECT_EQ(outcome.Output, c.Output) << c.Name;
        }
    }
}

TEST_F(ExpressionProgramTest, FunctionsAndParameters)
{
    const std::vector<ProgramCase> cases = {
        {"nested calls",
         "FUNCTION Sq(x: INTEGER): INTEGER; BEGIN Sq := x * x END;\n"
         "BEGIN WRITELN(Sq(Sq(2)) + 1) END.",
         "17\r\n", 0, 0},
        {"recursion",
         "FUNCTION F(n: INTEGER): LONGINT; BEGIN IF n <= 1 THEN F := 1 ELSE F := n * F(n - 1) "
         "END;\nBEGIN WRITELN(F(10)) END.",
         "3628800\r\n", 0, 0},
        {"var parameters",
         "PROCEDURE Sw(VAR x, y: INTEGER); VAR t: INTEGER; BEGIN t := x; x := y; y := t END;\n"
         "BEGIN i := 1; k := 2; Sw(i, k); WRITELN(i, k) END.",
         "21\r\n", 0, 0},
        {"var parameter type", "PROCEDURE P(VAR x: INTEGER); BEGIN END;\nBEGIN P(b) END.", "", 61,
         0},
        {"value parameter type", "PROCEDURE P(x: INTEGER); BEGIN END;\nBEGIN P('a') END.", "", 60,
         0},
        {"value parameter range",
         "PROCEDURE P(x: Small); BEGIN WRITELN(x) END;\nBEGIN P(5); P(11) END.", "5\r\n", 0, 224},
        {"const parameter", "PROCEDURE P(CONST x: INTEGER); BEGIN x := 1 END;\nBEGIN P(1) END.", "",
         87, 0},
        {"out parameter read", "PROCEDURE P(OUT x: INTEGER); BEGIN i := x END;\nBEGIN P(k) END.",
         "", 88, 0},
        {"out parameter",
         "PROCEDURE P(OUT x: INTEGER); BEGIN x := 9 END;\nBEGIN P(k); WRITELN(k) END.", "9\r\n", 0,
         0},
    };
    for (const ProgramCase& c : cases) {
        const RunOutcome outcome = Run(std::string(Declarations) + c.Text);
        EXPECT_EQ(outcome.CheckError, c.CheckError) << c.Name;
        EXPECT_EQ(outcome.RunError, c.RunError) << c.Name;
        if (c.CheckError == 0) {
            EXPECT_EQ(outcome.Output, c.Output) << c.Name;
        }
    }
}

TEST_F(ExpressionProgramTest, ConstantsOfEveryKindAndTypedConstants)
{
    const RunOutcome outcome =
        Run("PROGRAM T;\n"
            "CONST T: ARRAY [1..3] OF INTEGER = (10, 20, 30);\n"
            "      Origin: RECORD X, Y: INTEGER END = (X: 1; Y: 2);\n"
            "      Count: INTEGER = 5; Greeting = 'hi'; Neg = -5; Big = 40000 * 2;\n"
            "      Half = 1 / 2; Letters = ['a'..'c']; Letter = 'q'; Yes = NOT FALSE;\n"
            "VAR c: CHAR;\n"
            "BEGIN\n"
            "  WRITELN(T[2] + T[3], ' ', Origin.Y, ' ', Count);\n"
            "  Count := Count + 1; T[1] := 7;\n"
            "  WRITELN(Count, ' ', T[1], ' ', Greeting, ' ', Neg, ' ', Big, ' ', Half:0:2);\n"
            "  c := 'b'; WRITELN(c IN Letters, ' ', 'z' IN Letters, ' ', Letter, ' ', Yes)\n"
            "END.");
    EXPECT_EQ(outcome.CheckError, 0);
    EXPECT_EQ(outcome.RunError, 0);
    EXPECT_EQ(outcome.Output, "50 2 5\r\n6 7 hi -5 80000 0.50\r\nTRUE FALSE q TRUE\r\n");
}

TEST_F(ExpressionProgramTest, RoutinesAsProceduralValues)
{
    const RunOutcome outcome =
        Run("PROGRAM T;\n"
            "TYPE Action = PROCEDURE (n: INTEGER); Calc = FUNCTION (n: INTEGER): INTEGER;\n"
            "VAR act: Action; f: Calc;\n"
            "PROCEDURE Show(n: INTEGER); BEGIN WRITELN(n) END;\n"
            "FUNCTION Twice(n: INTEGER): INTEGER; BEGIN Twice := 2 * n END;\n"
            "PROCEDURE Apply(a: Action; g: Calc); BEGIN a(g(5)) END;\n"
            "BEGIN act := Show; act(3); Apply(Show, Twice); f := Twice; WRITELN(f(4) + 1);\n"
            "  Apply(act, f) END.");
    EXPECT_EQ(outcome.CheckError, 0);
    EXPECT_EQ(outcome.RunError, 0);
    EXPECT_EQ(outcome.Output, "3\r\n10\r\n9\r\n10\r\n");
}

TEST_F(ExpressionProgramTest, ProceduralValuesMustMatchTheirType)
{
    const std::string declarations =
        "PROGRAM T;\n"
        "TYPE Action = PROCEDURE (n: INTEGER); Calc = FUNCTION (n: INTEGER): INTEGER;\n"
        "VAR act: Action; f: Calc;\n"
        "PROCEDURE Two(a, b: INTEGER); BEGIN END;\n"
        "PROCEDURE ByRef(VAR a: INTEGER); BEGIN END;\n"
        "PROCEDURE One(a: INTEGER); BEGIN END;\n"
        "FUNCTION Half(n: INTEGER): REAL; BEGIN Half := n / 2 END;\n";
    EXPECT_EQ(Run(declarations + "BEGIN act := One END.").CheckError, 0);
    EXPECT_EQ(Run(declarations + "BEGIN act := Two END.").CheckError, 28);
    EXPECT_EQ(Run(declarations + "BEGIN act := ByRef END.").CheckError, 28);
    EXPECT_EQ(Run(declarations + "BEGIN f := Half END.").CheckError, 28);
}

TEST_F(ExpressionProgramTest, AccessOptionsAreCheckedWhereTheVariableIsRead)
{
    driver->SetOptionA(OptionA::ForbidGlobal, true);
    const RunOutcome outcome =
        Run(std::string(Declarations) + "PROCEDURE P;\nBEGIN\n  k := 1;\n  WRITELN(i + 1)\nEND;\n"
                                        "BEGIN i := 1; P END.");
    EXPECT_EQ(outcome.CheckError, 93);
    EXPECT_EQ(outcome.Line, 11); // an assignment target is a use too
}
