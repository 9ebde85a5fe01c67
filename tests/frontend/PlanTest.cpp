// Expressions and assignments replayed from what their first execution recorded must do exactly
// what reading them again does: the same output, the same run-time error at the same place,
// whichever pass of a loop or call meets it.
#include "StatementTestSupport.h"

#include "frontend/QbPascalSyntaxe.h"

#include <gtest/gtest.h>

#include <span>

namespace {

// A program that stops with `Error` on a later pass or execution (at `Line` when it is not 0).
struct LaterError
{
    const char* What;
    const char* Program;
    ErrorNumber Error;
    int Line = 0;
};

class PlanTest : public StatementTest
{
  protected:
    // Each program stops with its error, read or planned alike (Both compares the places).
    void ExpectLaterErrors(std::span<const LaterError> cases)
    {
        for (const LaterError& c : cases) {
            SCOPED_TRACE(c.What);
            const RunOutcome outcome = Both(c.Program);
            EXPECT_EQ(outcome.RunError, ToInt(c.Error));
            if (c.Line != 0) {
                EXPECT_EQ(outcome.Line, c.Line);
            }
        }
    }

    // The program read from its text at every execution, run with the plans of expressions
    // (a host that may stop), and run with the plans of statements too (a quiet host): all
    // must agree, down to the number of times ESC was polled and the statement ends the heap's
    // view was told of (a predefined function replayed is no call it is told of: nothing of
    // the heap changes in one).
    RunOutcome Both(const std::string& text)
    {
        driver->KeepPlans = false;
        ResetCounts();
        const RunOutcome read = Run(text);
        const int polls = host.Polls;
        const int statementEnds = host.StatementEnds;
        driver->KeepPlans = true;
        RunOutcome planned;
        for (const bool quiet : {false, true}) {
            SCOPED_TRACE(quiet ? "statement plans" : "expression plans");
            host.Quiet = quiet;
            ResetCounts();
            planned = Run(text);
            EXPECT_EQ(host.StatementEnds, statementEnds) << text;
            host.Quiet = false;
            EXPECT_EQ(planned.CheckError, read.CheckError) << text;
            EXPECT_EQ(planned.RunError, read.RunError) << text;
            EXPECT_EQ(planned.Line, read.Line) << text;
            EXPECT_EQ(planned.Column, read.Column) << text;
            EXPECT_EQ(planned.Output, read.Output) << text;
            EXPECT_EQ(host.Polls, polls) << text;
        }
        EXPECT_EQ(planned.CheckError, 0)
            << "check stopped at " << planned.Line << ":" << planned.Column << " in\n"
            << text;
        return planned;
    }

    void ResetCounts()
    {
        host.Polls = 0;
        host.StatementEnds = 0;
        host.CallEnds = 0;
    }
};

TEST_F(PlanTest, ValuesFollowTheVariablesOfEveryPassAndFrame)
{
    // Globals, locals of recursive activations, VAR parameters bound to other variables on
    // each call, indexes (nested ones too), fields, pointers, reals, chars, enumerations.
    const RunOutcome outcome =
        Both("program p;\n"
             "type color = (red, green, blue); link = ^cell;\n"
             "  cell = record v : integer; n : link end;\n"
             "var i, s, a, b : integer; t : array[1..5] of integer; u : array[1..5] of integer;\n"
             "  r : real; c : char; k : color; q, h : link; m : array[1..2, 1..3] of longint;\n"
             "  ok : boolean;\n"
             "procedure bump(var x : integer); begin x := x * 2 + 1 end;\n"
             "function f(n : integer) : longint;\n"
             "var d : integer;\n"
             "begin d := n - 1; if n < 2 then f := n else f := f(d) + f(n - 2) end;\n"
             "begin\n"
             "  s := 0; a := 1; b := 10;\n"
             "  for i := 1 to 5 do begin t[i] := i * i; u[6 - i] := i end;\n"
             "  for i := 1 to 5 do s := s + t[u[i]] - (i mod 2);\n"
             "  for i := 1 to 3 do begin bump(a); bump(b) end;\n"
             "  r := 0; for i := 1 to 4 do r := r + i / 8;\n"
             "  c := 'a'; for i := 1 to 3 do c := succ(c);\n"
             "  k := red; ok := false;\n"
             "  for i := 1 to 2 do begin k := succ(k); ok := not ok and (k > red) end;\n"
             "  h := nil; for i := 1 to 3 do begin new(q); q^.v := i * 10; q^.n := h; h := q end;\n"
             "  q := h; s := s + 0; while q <> nil do begin s := s + q^.v; q := q^.n end;\n"
             "  for i := 1 to 6 do m[(i - 1) div 3 + 1, (i - 1) mod 3 + 1] := -i;\n"
             "  writeln(s, ' ', a, ' ', b, ' ', r:0:3, ' ', c, ' ', ord(k), ' ', ok, ' ', f(10),\n"
             "          ' ', m[2, 3] - m[1, 1]);\n"
             "end.\n");
    EXPECT_EQ(outcome.RunError, 0);
    EXPECT_EQ(outcome.Output, "112 15 87 1.250 d 2 FALSE 55 -5\r\n");
}

TEST_F(PlanTest, AnErrorOnALaterPassIsReportedWhereItsTextStands)
{
    const LaterError cases[] = {
        {"an index out of bounds on the fourth pass, where the next variable's memory lies",
         "program p; var i, s : integer; t, v : array[1..3] of integer;\n"
         "begin for i := 1 to 3 do begin t[i] := i; v[i] := i end; s := 0;\n"
         "  for i := 1 to 5 do\n"
         "    s := s + t[i];\n"
         "  writeln(s) end.\n",
         ErrorNumber::InvalidValue, 4},
        {"an index plus one beyond INTEGER on the fourth pass",
         "program p; var i, s : integer; t : array[32760..32767] of byte;\n"
         "begin for i := 32760 to 32767 do t[i] := 1; s := 0;\n"
         "  for i := 32764 to 32767 do\n"
         "    s := s + t[i + 1];\n"
         "  writeln(s) end.\n",
         ErrorNumber::SizeTooLarge, 4},
        {"an index minus one below its bounds on the third pass",
         "program p; var i, s : integer; t : array[1..3] of integer;\n"
         "begin for i := 1 to 3 do t[i] := i; s := 0;\n"
         "  for i := 3 downto 0 do\n"
         "    s := s + t[i - 1] * 2;\n"
         "  writeln(s) end.\n",
         ErrorNumber::InvalidValue, 4},
        {"an INTEGER overflow on the third pass",
         "program p; var i, s : integer;\n"
         "begin s := 7; for i := 1 to 5 do\n"
         "  s := s * 100; writeln(s) end.\n",
         ErrorNumber::SizeTooLarge, 3},
        {"a store beyond the target's subrange",
         "program p; var i : integer; d : 1..5;\n"
         "begin for i := 1 to 9 do\n"
         "  d := i + 0; writeln(d) end.\n",
         ErrorNumber::InvalidValue, 3},
        {"a WHILE condition (read with its DO) whose index leaves its bounds",
         "program p; var i : integer; t, v : array[1..3] of integer;\n"
         "begin for i := 1 to 3 do begin t[i] := 1; v[i] := 1 end; i := 0;\n"
         "  while t[i + 1] > 0 do\n"
         "    i := i + 1; writeln(i) end.\n",
         ErrorNumber::InvalidValue, 3},
        {"a division by zero once the divisor reaches it",
         "program p; var i, s : integer;\n"
         "begin s := 0; for i := 3 downto -1 do\n"
         "  s := s + 12 div i; writeln(s) end.\n",
         ErrorNumber::DivisionByZero, 3},
        {"a local assigned on the first call only, read on the second",
         "program p; var i : integer;\n"
         "procedure q(n : integer); var v : integer;\n"
         "begin if n = 1 then v := 5; writeln(v + n) end;\n"
         "begin for i := 1 to 2 do q(i) end.\n",
         ErrorNumber::VariableNotAssigned, 3},
        {"the last holder of a heap cell let go: the counts of references are the reading's",
         "program p; type c = record v : integer end; l = ^c;\n"
         "var i : integer; b, x : l;\n"
         "begin new(x); x^.v := 1;\n"
         "  for i := 1 to 3 do begin\n"
         "    b := x;\n"
         "    if i = 2 then x := nil end;\n"
         "  writeln(b^.v) end.\n",
         ErrorNumber::HeapDataUnreachable, 5},
        {"a pointer that became nil (another one still holds its cell)",
         "program p; type c = record v : integer end; l = ^c; var i, s : integer; q, h : l;\n"
         "begin new(q); h := q; q^.v := 2; s := 0;\n"
         "  for i := 1 to 3 do begin s := s + q^.v; if i = 2 then q := nil end;\n"
         "  writeln(s, h^.v) end.\n",
         ErrorNumber::NilDereference, 3},
    };
    ExpectLaterErrors(cases);
    // The passes before the error ran and printed.
    EXPECT_EQ(Both(cases[7].Program).Output, "6\r\n");
}

TEST_F(PlanTest, ConstructsAPlanCannotRepeatAreReadEveryTime)
{
    // Calls, short-circuit operators, strings, sets, WITH fields and labels next to planned
    // assignments: each execution must read them.
    const RunOutcome outcome =
        Both("program p; type pt = record x, y : integer end;\n"
             "var i, s : integer; b : byte; w : string; z : set of byte; e : pt; calls : integer;\n"
             "function g(n : integer) : integer; begin calls := calls + 1; g := n * 3 end;\n"
             "begin s := 0; w := ''; z := []; calls := 0; e.x := 0; e.y := 0;\n"
             "  for i := 1 to 4 do begin\n"
             "    s := s + g(i);\n"
             "    if (i > 2) and_then (g(i) > 0) then s := s + 1;\n"
             "    w := w + chr(ord('0') + i);\n"
             "    b := i; z := z + [b];\n"
             "    with e do begin x := x + i; y := x * 2 end;\n"
             "  end;\n"
             "  writeln(s, ' ', calls, ' ', w, ' ', 3 in z, ' ', e.x, ' ', e.y);\n"
             "end.\n");
    EXPECT_EQ(outcome.RunError, 0);
    EXPECT_EQ(outcome.Output, "32 6 1234 TRUE 10 20\r\n");
}

TEST_F(PlanTest, SteppingSeesEveryStatementWhetherPlannedOrNot)
{
    const std::string program = "program p; var i, s : integer;\n"
                                "begin s := 0;\n"
                                "  for i := 1 to 4 do begin\n"
                                "    s := s + i;\n"
                                "    s := s * 2 end;\n"
                                "  writeln(s) end.\n";
    driver->KeepPlans = false;
    EXPECT_EQ(Run(program, RunMode::StartStepping).RunError, 0);
    const int waits = host.Waits;
    host.Waits = 0;
    driver->KeepPlans = true;
    const RunOutcome outcome = Run(program, RunMode::StartStepping);
    EXPECT_EQ(outcome.RunError, 0);
    EXPECT_EQ(outcome.Output, "52\r\n");
    EXPECT_EQ(host.Waits, waits);
    EXPECT_GT(waits, 8);
}

// A CASE executed again goes from its selector's value straight to the arm it took before.
TEST_F(PlanTest, CaseArmsAreTheReadingsArms)
{
    // Ranges, lists, ELSE, a value no arm takes, nested CASEs, chars and enumerations, a CASE
    // in a recursive function, arms taken for the first time on a later pass.
    const RunOutcome outcome =
        Both("program p; type color = (red, green, blue);\n"
             "var i, s : integer; c : char; k : color; w : string;\n"
             "function f(n : integer) : integer;\n"
             "begin case n of 0, 1: f := n; else f := f(n - 1) + f(n - 2) end end;\n"
             "begin s := 0; w := '';\n"
             "  for i := -2 to 12 do\n"
             "    case i mod 7 of\n"
             "      0: s := s + 1;\n"
             "      1..3, 5: case i of\n"
             "                 1, 8: s := s + 10;\n"
             "                 2..4: begin s := s + 100; w := w + 'a' end\n"
             "               else s := s + 1000 end;\n"
             "      -2: w := w + 'n';\n"
             "    end;\n"
             "  for c := 'a' to 'f' do case c of 'a', 'e': w := w + c; 'b'..'d': ; end;\n"
             "  k := red; for i := 1 to 5 do begin\n"
             "    case k of red: k := blue; green: k := red; blue: k := green end;\n"
             "    w := w + chr(ord('0') + ord(k)) end;\n"
             "  writeln(s, ' ', w, ' ', f(8));\n"
             "end.\n");
    EXPECT_EQ(outcome.RunError, 0);
    EXPECT_EQ(outcome.Output, "4222 naaae21021 21\r\n");
}

TEST_F(PlanTest, CaseErrorsAndSteppingAreTheReadings)
{
    // An error in an arm first taken on a later pass, and one in an arm taken before.
    for (const char* program :
         {"program p; var i, s : integer;\n"
          "begin s := 0; for i := 1 to 5 do case i of 1..3: s := s + i;\n"
          "  4: s := s div (i - 4) end; writeln(s) end.\n",
          "program p; var i, s : integer;\n"
          "begin s := 0; for i := 5 downto 1 do case i of 1..3: s := s div (i - 1);\n"
          "  4, 5: s := s + i end; writeln(s) end.\n"}) {
        const RunOutcome outcome = Both(program);
        EXPECT_EQ(outcome.RunError, ToInt(ErrorNumber::DivisionByZero)) << program;
        EXPECT_GE(outcome.Line, 2) << program;
    }
    // Stepping shows the same places in the same order.
    const std::string program = "program p; var i, s : integer;\n"
                                "begin s := 0;\n"
                                "  for i := 1 to 6 do\n"
                                "    case i mod 3 of\n"
                                "      0: s := s + 1;\n"
                                "      1: begin s := s * 2;\n"
                                "           s := s + i end\n"
                                "    end;\n"
                                "  writeln(s) end.\n";
    driver->KeepPlans = false;
    EXPECT_EQ(Run(program, RunMode::StartStepping).RunError, 0);
    const auto shown = host.Shown;
    host.Shown.clear();
    driver->KeepPlans = true;
    const RunOutcome outcome = Run(program, RunMode::StartStepping);
    EXPECT_EQ(outcome.Output, "9\r\n");
    EXPECT_EQ(host.Shown, shown);
    EXPECT_GT(shown.size(), 10u);
}

// Calls of the pupil's functions inside planned expressions: arguments and results are the
// plan's, bodies are executed as always.
TEST_F(PlanTest, CallsInPlansDoWhatTheReadingDoes)
{
    const RunOutcome outcome =
        Both("program p; var i, s, calls : integer; b : byte; t : array[1..3] of integer;\n"
             "function sq(n : integer) : integer; begin calls := calls + 1; sq := n * n end;\n"
             "function two : integer; begin calls := calls + 1; two := 2 end;\n"
             "function half(x : byte) : integer; begin half := x div 2 end;\n"
             "function fib(n : integer) : longint;\n"
             "begin if n < 2 then fib := n else fib := fib(n - 1) + fib(n - 2) end;\n"
             "begin s := 0; calls := 0;\n"
             "  for i := 1 to 3 do t[i] := sq(i) + two;\n"
             "  for i := 1 to 4 do begin s := s + sq(sq(i) - i) * two; b := i * 50;\n"
             "    s := s + half(b) end;\n"
             "  if sq(3) > two then s := s + 1;\n"
             "  while sq(i) > 1 do i := i - 1;\n"
             "  writeln(s, ' ', calls, ' ', t[1] + t[2] + t[3], ' ', fib(8), ' ', i);\n"
             "end.\n");
    EXPECT_EQ(outcome.RunError, 0);
    EXPECT_EQ(outcome.Output, "619 24 20 21 1\r\n");
}

TEST_F(PlanTest, AnErrorAroundACallOnALaterPassIsTheReadings)
{
    const LaterError cases[] = {
        {"in the body, on the fourth call",
         "program p; var i, s : integer;\n"
         "function f(n : integer) : integer; begin f := 12 div (4 - n) end;\n"
         "begin s := 0; for i := 1 to 5 do s := s + f(i); writeln(s) end.\n",
         ErrorNumber::DivisionByZero},
        {"in the operator after the call",
         "program p; var i, s : integer;\n"
         "function f(n : integer) : integer; begin f := n * 10000 end;\n"
         "begin s := 0; for i := 1 to 3 do s := 1 + f(1) + f(i) + 100; writeln(s) end.\n",
         ErrorNumber::SizeTooLarge},
        {"in a second argument, after a first call was made",
         "program p; var i, s : integer;\n"
         "function f(n : integer) : integer; begin f := n + 1 end;\n"
         "begin s := 0; for i := 1 to 5 do\n"
         "  s := s + f(i) + f(100 div (3 - i)); writeln(s) end.\n",
         ErrorNumber::DivisionByZero},
        {"an argument outside its byte parameter",
         "program p; var i, s : integer;\n"
         "function f(n : byte) : integer; begin f := n end;\n"
         "begin s := 0; for i := 1 to 5 do s := s + f(i * 100); writeln(s) end.\n",
         ErrorNumber::InvalidValue},
        {"a result not given on the third call",
         "program p; var i, s : integer;\n"
         "function f(n : integer) : integer; begin if n <> 3 then f := n end;\n"
         "begin s := 0; for i := 1 to 5 do s := s + f(i); writeln(s) end.\n",
         ErrorNumber::FunctionResultMissing},
        {"an index, a global variable, beyond its bounds after the call",
         "program p; var i, s : integer; t : array[1..3] of integer;\n"
         "function f(n : integer) : integer; begin f := n end;\n"
         "begin for i := 1 to 3 do t[i] := i; s := 0;\n"
         "  for i := 1 to 5 do s := s + f(i) + t[i] * 2; writeln(s) end.\n",
         ErrorNumber::InvalidValue, 4},
    };
    ExpectLaterErrors(cases);
}

// Steps taken together (an operator with the constant before it, an argument's check with its
// binding, a local against a constant, a local target's store) fail where the steps one by one
// fail, with the reading's error at the reading's place.
TEST_F(PlanTest, StepsTakenTogetherFailAsTheReadingFails)
{
    const LaterError cases[] = {
        {"an operator on a held value and a constant, in an argument",
         "program p; var i, s : integer;\n"
         "function f(n : integer) : integer; begin f := n end;\n"
         "begin s := 0; for i := 1 to 5 do s := f(i * 10000 - 1); writeln(s) end.\n",
         ErrorNumber::SizeTooLarge},
        {"an operator on a local and a constant, in a recursive call",
         "program p; var i : integer; s : longint;\n"
         "function f(n : integer) : longint; begin\n"
         "  if n < 2 then f := n else f := f(n - 1) + f(n * 16384 - 2) end;\n"
         "begin s := 0; for i := 1 to 3 do s := s + f(i); writeln(s) end.\n",
         ErrorNumber::SizeTooLarge, 3},
        {"an argument outside its byte parameter, checked as it is bound",
         "program p; var i, s : integer;\n"
         "function f(n : byte) : integer; begin f := n end;\n"
         "begin s := 0; for i := 1 to 5 do s := s + f(i - 2); writeln(s) end.\n",
         ErrorNumber::InvalidValue},
        {"a local against a constant, the local unassigned on the third call",
         "program p; var i, s : integer;\n"
         "function f(n : integer) : integer; var k : integer;\n"
         "begin if n <> 3 then k := n; if k < 2 then f := 1 else f := 2 end;\n"
         "begin s := 0; for i := 1 to 5 do s := s + f(i); writeln(s) end.\n",
         ErrorNumber::VariableNotAssigned, 3},
        {"a local plus a constant stored into a local, too large on the fourth call",
         "program p; var i, s : integer;\n"
         "function f(n : integer) : integer; var k : integer;\n"
         "begin k := n + 32000; f := k end;\n"
         "begin s := 0; for i := 1 to 5 do s := f(i * 200); writeln(s) end.\n",
         ErrorNumber::SizeTooLarge, 3},
    };
    ExpectLaterErrors(cases);
    // A local target stored straight keeps the value its type holds, and is assigned.
    const RunOutcome stored =
        Both("program p; var i, s : integer;\n"
             "function f(n : integer) : integer; var k, m : integer;\n"
             "begin k := n; m := k - 1; f := m + k end;\n"
             "begin s := 0; for i := 1 to 5 do s := s + f(i); writeln(s) end.\n");
    EXPECT_EQ(stored.RunError, 0);
    EXPECT_EQ(stored.Output, "25\r\n");
}

TEST_F(PlanTest, FunctionResultsHeldMeetOtherValuesAsTheReadingsStackedOnes)
{
    // Results of every integer kind, and of kinds never held (REAL, CHAR), as operands on either
    // side of an operator, as indexes and as arguments. The output is the one a native compiler
    // gives for the same program.
    const RunOutcome outcome =
        Both("program hr;\n"
             "var i, s : integer; n : longint; w : word; b : byte; r : real; ok : boolean;\n"
             "  t : array[0..9] of integer;\n"
             "function sq(k : integer) : integer; begin sq := k * k end;\n"
             "function big(k : integer) : longint; begin big := k * longint(1000) end;\n"
             "function wb(k : integer) : word; begin wb := k + 40000 end;\n"
             "function by(k : integer) : byte; begin by := k * 20 end;\n"
             "function even(k : integer) : boolean; begin even := k mod 2 = 0 end;\n"
             "function half(k : integer) : real; begin half := k / 2 end;\n"
             "function letter(k : integer) : char; begin letter := chr(64 + k) end;\n"
             "begin\n"
             "  s := 0; n := 0; r := 0;\n"
             "  for i := 0 to 9 do t[i] := i * 3;\n"
             "  for i := 1 to 6 do begin\n"
             "    s := s * 2 + sq(i) - sq(i - 1) * 2;\n"
             "    n := n + big(i) * sq(2) - big(sq(i)) div (i + 1);\n"
             "    w := wb(i) - wb(1) + by(i) mod 11;\n"
             "    b := by(i) + sq(2);\n"
             "    ok := even(i) and (sq(i) > 9) or not even(sq(i) + 1);\n"
             "    r := r + half(i) * sq(i) + big(i) / 8;\n"
             "    s := s + t[sq(i) mod 10] - t[by(i) div 20];\n"
             "    writeln(i, ' ', s, ' ', n, ' ', w, ' ', b, ' ', ok, ' ', r:0:2, ' ', letter(i),\n"
             "      ord(letter(sq(2))) + sq(i));\n"
             "  end;\n"
             "end.\n");
    EXPECT_EQ(outcome.RunError, 0);
    EXPECT_EQ(outcome.Output, "1 1 3500 9 24 FALSE 125.50 A69\r\n"
                              "2 10 10167 8 44 TRUE 379.50 B72\r\n"
                              "3 39 19917 7 64 FALSE 768.00 C77\r\n"
                              "4 82 32717 6 84 TRUE 1300.00 D84\r\n"
                              "5 157 48551 5 104 FALSE 1987.50 E93\r\n"
                              "6 300 67409 15 124 TRUE 2845.50 F104\r\n");

    const LaterError cases[] = {
        {"two results whose product leaves INTEGER",
         "program p; var i, s : integer;\n"
         "function f(n : integer) : integer; begin f := n * 60 end;\n"
         "begin for i := 1 to 9 do begin\n"
         "  s := f(i) * f(i); writeln(s) end end.\n",
         ErrorNumber::SizeTooLarge, 4},
        {"a result that is a zero divisor, the dividend stacked below it",
         "program p; var i, s : integer;\n"
         "function f(n : integer) : integer; begin f := 3 - n end;\n"
         "begin for i := 1 to 5 do begin\n"
         "  s := f(1) + 100 div f(i); writeln(s) end end.\n",
         ErrorNumber::DivisionByZero, 4},
        {"a difference of WORD results stored below zero",
         "program p; var i : integer; w : word;\n"
         "function f(n : integer) : word; begin f := n + 40000 end;\n"
         "begin for i := 5 downto 1 do begin\n"
         "  w := f(i) - f(3); writeln(w) end end.\n",
         ErrorNumber::InvalidValue, 4},
        {"a result that indexes beyond its array",
         "program p; var i, s : integer; t : array[1..4] of integer;\n"
         "function f(n : integer) : integer; begin f := n * 2 end;\n"
         "begin for i := 1 to 4 do t[i] := i; s := 0; for i := 1 to 4 do begin\n"
         "  s := s + t[f(i)]; writeln(s) end end.\n",
         ErrorNumber::InvalidValue, 4},
    };
    ExpectLaterErrors(cases);
}

TEST_F(PlanTest, StringsAndPredefinedFunctionsDoWhatTheReadingDoes)
{
    // String constants of every length, characters of strings read and written, a store cut to
    // a short string, the string, ordinal and arithmetic functions nested in one another and
    // around the pupil's calls, and a CASE on a string's character. The output is the one a
    // native compiler gives for the same program.
    const RunOutcome outcome =
        Both("program p;\n"
             "var i, j, k, calls : integer; s, t, w : string; short : string[4]; c : char;\n"
             "  wd : word; r : real; d : 1..100; n : longint; found : boolean;\n"
             "function g(n : integer) : integer; begin calls := calls + 1; g := n + 64 end;\n"
             "begin\n"
             "  calls := 0; s := ''; t := 'the quick brown fox'; n := 0; r := 0;\n"
             "  for i := 1 to 6 do begin\n"
             "    wd := i * 300;\n"
             "    s := concat(s, copy(t, i * 3 - 2, 3), '-');\n"
             "    w := copy(t, i - 2, i);\n"
             "    short := concat('ab', w);\n"
             "    j := pos('o', copy(t, i * 2, 255)) + pos('', t) + pos('zz', t);\n"
             "    c := s[length(s) - 1];\n"
             "    s[1] := upcase(c);\n"
             "    k := ord(upcase(t[i + 4])) + length(c) + ord(odd(i)) + hi(wd) + lo(wd);\n"
             "    c := chr(g(i));\n"
             "    k := k + g(length(w)) + length(s);\n"
             "    d := abs(i - 4) + sqr(i) + trunc(i / 3) + round(i * 1.5);\n"
             "    r := r + sqrt(i) + ln(i) + sin(i) + int(i / 4) + abs(-r / 2) + sqr(0.5);\n"
             "    n := n + ord(succ(c)) + ord(pred(c)) + ord(chr(ord('a') + i));\n"
             "    found := pos(short, s) > 0;\n"
             "    case s[i] of\n"
             "      'a'..'z': n := n + 1;\n"
             "      'A'..'Z': n := n + 100;\n"
             "    else n := n + 10000\n"
             "    end;\n"
             "    writeln(i, ' ', s, ' ', w, ' ', short, ' ', j, ' ', c, ' ', k, ' ', d, ' ', n,\n"
             "            ' ', found);\n"
             "  end;\n"
             "  writeln(r:0:4, ' ', calls);\n"
             "end.\n");
    EXPECT_EQ(outcome.RunError, 0);
    EXPECT_EQ(outcome.Output, "1 Ehe- t abt 12 A 197 6 328 FALSE\r\n"
                              "2 Uhe- qu- th abth 10 B 250 9 560 FALSE\r\n"
                              "3 Khe- qu-ick- the abth 8 C 289 15 795 FALSE\r\n"
                              "4 Rhe- qu-ick- br- he q abhe 6 D 332 23 11032 FALSE\r\n"
                              "5 Nhe- qu-ick- br-own- e qui abe  4 E 391 35 21272 FALSE\r\n"
                              "6 Ohe- qu-ick- br-own- fo-  quick ab q 2 F 142 49 21516 FALSE\r\n"
                              "63.4386 12\r\n");
}

TEST_F(PlanTest, AnErrorOfAStringOrAFunctionOnALaterPassIsTheReadings)
{
    const LaterError cases[] = {
        {"a character beyond the string's declared length",
         "program p; var i : integer; s : string[5]; c : char;\n"
         "begin s := 'abcde'; for i := 1 to 8 do\n"
         "  c := s[i]; writeln(c) end.\n",
         ErrorNumber::InvalidValue, 3},
        {"a character stored beyond the string's declared length",
         "program p; var i : integer; s : string[3];\n"
         "begin s := 'abc'; for i := 1 to 5 do\n"
         "  s[i] := 'x'; writeln(s) end.\n",
         ErrorNumber::InvalidValue, 3},
        {"a concatenation that grows past 255 characters",
         "program p; var i : integer; s, t : string;\n"
         "begin s := ''; t := '0123456789012345678901234567890123456789012345678901234567';\n"
         "  for i := 1 to 9 do\n"
         "    s := concat(s, t, '!'); writeln(length(s)) end.\n",
         ErrorNumber::InvalidConcatenation, 4},
        {"a square root of a value that became negative",
         "program p; var i : integer; r : real;\n"
         "begin r := 0; for i := 3 downto -2 do\n"
         "  begin r := r + sqrt(i); writeln(r:0:2) end end.\n",
         ErrorNumber::ArgumentIncompatibleDomainDefinitionFunction, 3},
        {"a rounding that leaves the LONGINT range",
         "program p; var i : integer; r : real; n : longint;\n"
         "begin r := 1; for i := 1 to 20 do begin\n"
         "  r := r * 10; n := round(r) end; writeln(n) end.\n",
         ErrorNumber::InvalidValue, 3},
        {"a string read before anything was stored in it",
         "program p; var i : integer; s, t : string;\n"
         "begin t := 'x'; for i := 1 to 3 do begin\n"
         "  if i = 2 then t := s; writeln(length(t)) end end.\n",
         ErrorNumber::VariableNotAssigned, 3},
        {"a function's argument failing after a call was made",
         "program p; var i : integer; n : longint; r : real;\n"
         "function f(n : integer) : integer; begin f := n end;\n"
         "begin r := 4; n := 0; for i := 1 to 5 do begin\n"
         "  r := r - 1; n := n + f(i) + trunc(sqrt(r)) end; writeln(n) end.\n",
         ErrorNumber::ArgumentIncompatibleDomainDefinitionFunction, 4},
    };
    ExpectLaterErrors(cases);
    // The passes before the error ran and printed.
    EXPECT_EQ(Both(cases[3].Program).Output, "1.73\r\n3.15\r\n4.15\r\n4.15\r\n");
}

TEST_F(PlanTest, IntegersHeldBetweenStepsMeetOtherValuesInTheirOrder)
{
    // Integer operands and results meet reals, strings and characters, indexes of indexes and
    // comparisons. The output is the one a native compiler gives for the same program.
    const RunOutcome outcome = Both(
        "program h;\n"
        "var i, j, k : integer; n : longint; r, x : real; s : string; c : char; ok : boolean;\n"
        "  t : array[0..9] of integer; u : array[0..9] of real;\n"
        "begin\n"
        "  s := 'abcdefghij'; x := 0.5; n := 0; r := 0;\n"
        "  for i := 0 to 9 do begin t[i] := (i * 7) mod 10; u[i] := i / 4 end;\n"
        "  for i := 1 to 6 do begin\n"
        "    r := r + (i + 1) * 0.5 + (i * 2) * x - (i - 1) / 4;\n"
        "    j := t[t[i] mod 10] + t[(i + 3) mod 10] * 2;\n"
        "    c := s[(i * 3) mod 10 + 1];\n"
        "    ok := (i mod 2 = 0) = (j > 5);\n"
        "    n := n + ord(s[i + 1]) * (i + 2) + length(s) * i - j div (i + 1);\n"
        "    r := r + u[t[i]] * (i - 3) + i * u[i];\n"
        "    k := (i + j) * (i - j) + ord(ok) + ord(c);\n"
        "    writeln(i, ' ', r:0:3, ' ', j, ' ', c, ' ', ok, ' ', n, ' ', k);\n"
        "  end;\n"
        "end.\n");
    EXPECT_EQ(outcome.RunError, 0);
    EXPECT_EQ(outcome.Output, "1 -1.250 25 d FALSE 292 -524\r\n"
                              "2 2.000 18 g TRUE 702 -216\r\n"
                              "3 8.750 11 j FALSE 1230 -6\r\n"
                              "4 20.500 24 c TRUE 1872 -460\r\n"
                              "5 36.250 17 f FALSE 2634 -162\r\n"
                              "6 55.000 10 i TRUE 3517 42\r\n");

    // Indexes a global plus or minus a constant, each on either side of the array's middle.
    const RunOutcome offsets = Both("program o; var i, s : integer; t : array[-9..9] of integer;\n"
                                    "begin for i := -9 to 9 do t[i] := i * i + i; s := 0;\n"
                                    "  for i := 1 to 7 do begin\n"
                                    "    s := s * 3 + t[i - 2] - t[i + 2] + t[2 - i];\n"
                                    "    t[i - 4] := t[i + 1] - s mod 7;\n"
                                    "    write(s, ' ') end;\n"
                                    "  writeln(t[-3], ' ', t[0]) end.\n");
    EXPECT_EQ(offsets.RunError, 0);
    EXPECT_EQ(offsets.Output, "-10 -50 -178 -557 -1706 -5158 -15514 9 34\r\n");

    const LaterError cases[] = {
        {"an INTEGER product of held values that overflows",
         "program p; var i, k : integer;\n"
         "begin for i := 1 to 9 do begin\n"
         "  k := (i * 50) * (i * 20) + 1; writeln(k) end end.\n",
         ErrorNumber::SizeTooLarge, 3},
        {"a held divisor that reaches zero",
         "program p; var i, k : integer;\n"
         "begin for i := 1 to 9 do begin\n"
         "  k := 100 div (5 - i) + i * 2; writeln(k) end end.\n",
         ErrorNumber::DivisionByZero, 3},
        {"an index computed from held values that leaves its bounds",
         "program p; var i, k : integer; t : array[1..5] of integer;\n"
         "begin for i := 1 to 5 do t[i] := i; k := 0; for i := 1 to 9 do begin\n"
         "  k := k + t[(i + 1) div 2 + 1]; writeln(k) end end.\n",
         ErrorNumber::InvalidValue, 3},
    };
    ExpectLaterErrors(cases);
}

TEST_F(PlanTest, ArraysAndGlobalsOfEveryIntegerTypeAreTheReadingsInQuickReplays)
{
    // Bubble sort, a sieve, an array indexed by an enumeration, BYTE and WORD elements below
    // and above their middle, FOR bounds and WRITE arguments: the output is a native compiler's.
    const RunOutcome outcome = Both(
        "program q;\n"
        "type color = (red, green, blue);\n"
        "var i, j, n : integer; s, t : longint; w : word; c : color;\n"
        "  a : array[1..12] of longint; b : array[-3..8] of byte; f : array[0..20] of boolean;\n"
        "  v : array[color] of integer; m : array[1..6] of word;\n"
        "begin\n"
        "  s := 7;\n"
        "  for i := 1 to 12 do begin s := (171 * s) mod 30269; a[i] := s - 15000 end;\n"
        "  for i := 11 downto 1 do\n"
        "    for j := 1 to i do\n"
        "      if a[j] > a[j + 1] then begin t := a[j]; a[j] := a[j + 1]; a[j + 1] := t end;\n"
        "  for i := 1 to 12 do write(a[i], ' '); writeln;\n"
        "  for i := -3 to 8 do b[i] := (i + 3) * 20;\n"
        "  n := 0;\n"
        "  for i := -2 to 7 do n := n * 2 + b[i - 1] - b[i + 1] div 3 + ord(b[i] >= 100);\n"
        "  writeln(n);\n"
        "  for i := 0 to 20 do f[i] := true;\n"
        "  f[0] := false; f[1] := false;\n"
        "  i := 2;\n"
        "  while i * i <= 20 do begin\n"
        "    if f[i] then begin j := i * i; while j <= 20 do begin f[j] := false; j := j + i end "
        "end;\n"
        "    i := i + 1 end;\n"
        "  n := 0;\n"
        "  for i := 0 to 20 do if f[i] then begin n := n + 1; write(i, ' ') end;\n"
        "  writeln(n);\n"
        "  for c := red to blue do v[c] := 0;\n"
        "  c := red;\n"
        "  for i := 1 to 10 do begin\n"
        "    v[c] := v[c] + i;\n"
        "    if c = blue then c := red else if c = red then c := green else c := blue end;\n"
        "  writeln(v[red], ' ', v[green], ' ', v[blue]);\n"
        "  for i := 1 to 6 do m[i] := i * 5000 + 2767;\n"
        "  w := 0;\n"
        "  for i := 2 to 6 do begin w := m[i] - m[i - 1]; write(w + i, ' ', m[i] div 7 mod 100, ' "
        "') end;\n"
        "  writeln;\n"
        "  n := 3;\n"
        "  for i := 1 to 5 do begin\n"
        "    for j := n - i + 3 to a[i] mod 3 + 6 do write(j, ' ');\n"
        "    writeln(a[i + 2] - a[i], ' ', b[i - 3] + 1)\n"
        "  end;\n"
        "end.\n");
    EXPECT_EQ(outcome.RunError, 0);
    EXPECT_EQ(outcome.Output,
              "-13803 -8837 -8396 -5669 -4487 -3148 -449 5926 6613 8073 9727 13938 \r\n"
              "222\r\n"
              "2 3 5 7 11 13 17 19 8\r\n"
              "22 15 18\r\n"
              "5002 23 5003 38 5004 52 5005 66 5006 81 \r\n"
              "5 6 5407 21\r\n"
              "4 3168 41\r\n"
              "3 4 3909 61\r\n"
              "2 3 4 2521 81\r\n"
              "1 2 3 4 4038 101\r\n");

    const LaterError cases[] = {
        {"an element assigned below its array on a later pass",
         "program p; var i : integer; t : array[0..5] of integer;\n"
         "begin for i := 4 downto 0 do\n"
         "  t[i - 1] := i; writeln(t[0]) end.\n",
         ErrorNumber::InvalidValue, 3},
        {"an element read beyond its array on a later pass",
         "program p; var i, k : integer; t : array[1..5] of integer;\n"
         "begin for i := 1 to 5 do t[i] := i; k := 0; for i := 1 to 5 do\n"
         "  if t[i + 1] > k then k := k + t[i] end.\n",
         ErrorNumber::InvalidValue, 3},
        {"an index plus a constant beyond INTEGER",
         "program p; var j, k : integer; t : array[32760..32767] of integer;\n"
         "begin for j := 32760 to 32767 do t[j] := 1; k := 0; for j := 32764 to 32767 do\n"
         "  k := k + t[j + 1] end.\n",
         ErrorNumber::SizeTooLarge, 3},
        {"an array no element of which was assigned, read on a later pass",
         "program p; var k, n : integer; t : array[1..5] of longint;\n"
         "begin n := 0; for k := 1 to 4 do\n"
         "  if k > 2 then n := t[k] + 1 else n := n + k end.\n",
         ErrorNumber::VariableNotAssigned, 3},
        {"an index not assigned yet on a later pass",
         "program p; var k, m, n : integer; t : array[1..5] of integer;\n"
         "begin for k := 1 to 5 do t[k] := k; n := 0; for k := 1 to 4 do\n"
         "  if k < 3 then n := n + t[k] else n := t[m + 1] end.\n",
         ErrorNumber::VariableNotAssigned, 3},
        {"a BYTE element given a value beyond it on a later pass",
         "program p; var i : integer; b : array[1..5] of byte;\n"
         "begin for i := 1 to 5 do\n"
         "  b[i] := i * 60 end.\n",
         ErrorNumber::InvalidValue, 3},
        {"a subrange element given a value beyond it on a later pass",
         "program p; var i : integer; d : array[1..3] of -5..5;\n"
         "begin for i := 1 to 3 do d[i] := 0; for i := 1 to 9 do\n"
         "  d[i mod 3 + 1] := i * 2 - 6 end.\n",
         ErrorNumber::InvalidValue, 3},
        {"a subrange variable counted beyond it on a later pass",
         "program p; var i : integer; d : 1..10;\n"
         "begin d := 1; for i := 1 to 12 do\n"
         "  d := d + 1 end.\n",
         ErrorNumber::InvalidValue, 3},
        {"a sum of elements beyond INTEGER on a later pass",
         "program p; var i, k : integer; t : array[1..5] of integer;\n"
         "begin for i := 1 to 5 do t[i] := i * 6000; for i := 1 to 4 do\n"
         "  k := t[i] + t[i + 1] end.\n",
         ErrorNumber::SizeTooLarge, 3},
    };
    ExpectLaterErrors(cases);
}

TEST_F(PlanTest, RealsAndArraysOfSeveralDimensionsAreTheReadingsInQuickReplays)
{
    // Sums and products of REAL variables and elements, elements of two and three dimensions
    // indexed by globals and constants: the output is a native compiler's.
    const RunOutcome outcome =
        Both("program r;\n"
             "var i, j, k, n : integer; s, t, x : real;\n"
             "  a, b : array[1..4, 0..3] of real; c : array[-1..2, 1..3, 0..1] of integer;\n"
             "  v : array[1..6] of real;\n"
             "begin\n"
             "  for i := 1 to 4 do\n"
             "    for j := 0 to 3 do begin a[i, j] := i * 0.5 - j; b[i, j] := (i + j) * 0.25 end;\n"
             "  s := 0.0;\n"
             "  for k := 1 to 3 do\n"
             "    for i := 1 to 4 do\n"
             "      for j := 0 to 3 do begin\n"
             "        s := s + a[i, j] * b[5 - i, 3 - j];\n"
             "        t := a[i, j] - b[i, j] * s;\n"
             "        a[i, j] := t + 0.125\n"
             "      end;\n"
             "  writeln(s:0:4, ' ', t:0:4, ' ', a[2, 1]:0:4);\n"
             "  for i := -1 to 2 do for j := 1 to 3 do for k := 0 to 1 do c[i, j, k] := i * 100 + "
             "j * 10 + k;\n"
             "  n := 0;\n"
             "  for i := -1 to 2 do for j := 1 to 3 do begin\n"
             "    n := n + c[i, j, 1] - c[i, j - 1 + 1, 0] * 2;\n"
             "    if c[i, j, 0] > c[i + 1 - 1, j, 1] - 1 then n := n + 1\n"
             "  end;\n"
             "  writeln(n);\n"
             "  v[1] := 1.5;\n"
             "  for i := 2 to 6 do v[i] := v[i - 1] * v[i - 1] - 0.5;\n"
             "  x := 0.0;\n"
             "  for i := 1 to 6 do x := x + v[i];\n"
             "  writeln(x:0:3, ' ', v[6]:0:3);\n"
             "end.\n");
    EXPECT_EQ(outcome.RunError, 0);
    EXPECT_EQ(outcome.Output, "-141.9482 189.7727 -30.4142\r\n"
                              "-828\r\n"
                              "1365.463 1317.283\r\n");

    const LaterError cases[] = {
        {"a product of reals beyond REAL on a later pass",
         "program p; var i : integer; x, y : real;\n"
         "begin x := 1.0e30; y := 1.0e30; for i := 1 to 12 do\n"
         "  x := x * y end.\n",
         ErrorNumber::SizeTooLarge, 3},
        {"the second index of an element beyond its bounds on a later pass",
         "program p; var i, j : integer; a : array[1..3, 1..3] of real; s : real;\n"
         "begin for i := 1 to 3 do for j := 1 to 3 do a[i, j] := 0.5; s := 0.0;\n"
         "  for i := 1 to 3 do for j := 1 to 3 do s := s + a[j, i + 1] end.\n",
         ErrorNumber::InvalidValue, 3},
        {"a REAL element given a product beyond REAL on a later pass",
         "program p; var i : integer; a : array[1..2, 0..1] of real;\n"
         "begin a[1, 0] := 1.0; a[2, 1] := 1.0e200; for i := 1 to 2 do\n"
         "  a[i, i - 1] := a[i, i - 1] * a[2, 1] end.\n",
         ErrorNumber::SizeTooLarge, 3},
    };
    ExpectLaterErrors(cases);
}

TEST_F(PlanTest, ARoutinesOwnScalarsAreTheReadingsInQuickReplays)
{
    // Recursion, value parameters and locals of every scalar kind, a nested routine reaching
    // its enclosing routine's local, a VAR parameter, a local named as a global: the output is
    // a native compiler's.
    const RunOutcome outcome =
        Both("program l;\n"
             "var i, n, total : integer; w : longint; x : real;\n"
             "function fib(n : integer) : longint;\n"
             "begin\n"
             "  if n < 2 then fib := n else fib := fib(n - 1) + fib(n - 2)\n"
             "end;\n"
             "function mix(a : integer; b : byte; c : word; d : boolean; r : real) : integer;\n"
             "var k, s : integer; t : real; e : byte;\n"
             "begin\n"
             "  s := 0; e := b;\n"
             "  for k := 1 to a do begin\n"
             "    s := s + k * e - c div 3;\n"
             "    if d then s := s - 1;\n"
             "    e := e + 1\n"
             "  end;\n"
             "  t := r * r + r;\n"
             "  if t > 10.0 then s := s + 1;\n"
             "  mix := s\n"
             "end;\n"
             "procedure outer(m : integer);\n"
             "var depth : integer;\n"
             "  procedure inner;\n"
             "  begin\n"
             "    depth := depth + m;\n"
             "    total := total + depth\n"
             "  end;\n"
             "begin\n"
             "  depth := 0;\n"
             "  inner; inner;\n"
             "  total := total + depth\n"
             "end;\n"
             "procedure twice(var v : integer; n : integer);\n"
             "begin\n"
             "  v := v + n; v := v + n\n"
             "end;\n"
             "begin\n"
             "  w := 0;\n"
             "  for i := 1 to 8 do w := w + fib(i);\n"
             "  writeln(w);\n"
             "  total := 0;\n"
             "  for i := 1 to 5 do total := total + mix(i, 200 + i, 1000 * i, odd(i), i * 1.5);\n"
             "  writeln(total);\n"
             "  total := 0;\n"
             "  for i := 1 to 4 do outer(i);\n"
             "  writeln(total);\n"
             "  n := 1;\n"
             "  for i := 1 to 3 do twice(n, i);\n"
             "  writeln(n)\n"
             "end.\n");
    EXPECT_EQ(outcome.RunError, 0);
    EXPECT_EQ(outcome.Output, "54\r\n-11122\r\n50\r\n13\r\n");

    const LaterError cases[] = {
        {"a local with no value yet on a later call",
         "program p; var i, s : integer;\n"
         "function f(n : integer) : integer; var k : integer;\n"
         "begin if n > 2 then k := n; f := k + 1 end;\n"
         "begin s := 0; for i := 5 downto 1 do s := s + f(i) end.\n",
         ErrorNumber::VariableNotAssigned, 3},
        {"a BYTE local given a value beyond its type on a later call",
         "program p; var i : integer;\n"
         "procedure q(n : integer); var b : byte;\n"
         "begin b := n * 50 end;\n"
         "begin for i := 1 to 9 do q(i) end.\n",
         ErrorNumber::InvalidValue, 3},
        {"a function's result left without a value on a later call",
         "program p; var i, s : integer;\n"
         "function g(n : integer) : integer;\n"
         "begin if n < 3 then g := n * 2\n"
         "end;\n"
         "begin s := 0; for i := 1 to 5 do s := s + g(i) end.\n",
         ErrorNumber::FunctionResultMissing, 4},
        {"a sum of a parameter and a local beyond INTEGER on a later call",
         "program p; var i : integer;\n"
         "procedure q(n : integer); var s : integer;\n"
         "begin s := 30000; s := s + n * 1000 end;\n"
         "begin for i := 1 to 5 do q(i) end.\n",
         ErrorNumber::SizeTooLarge, 3},
        {"a product of REAL locals beyond REAL on a later call",
         "program p; var i : integer;\n"
         "procedure q(n : integer); var x : real;\n"
         "begin x := 1.0e154; x := x * x * n end;\n"
         "begin for i := 1 to 5 do q(i) end.\n",
         ErrorNumber::SizeTooLarge, 3},
    };
    ExpectLaterErrors(cases);
}

TEST_F(PlanTest, NewAndDisposeExecutedAgainAreTheReadings)
{
    // A list built, walked and disposed of on every pass of loops, and cells made through a
    // VAR parameter that names a global first, then heap fields: the output is a native
    // compiler's.
    const RunOutcome outcome =
        Both("program h;\n"
             "type pn = ^node; node = record v : integer; n : pn end;\n"
             "var p, q, head : pn; i, s : integer;\n"
             "procedure grow(var t : pn; k : integer);\n"
             "begin new(t); t^.v := k; t^.n := nil end;\n"
             "begin\n"
             "  head := nil;\n"
             "  for i := 1 to 6 do begin new(p); p^.v := i * i; p^.n := head; head := p end;\n"
             "  s := 0; p := head;\n"
             "  while p <> nil do begin s := s + p^.v; p := p^.n end;\n"
             "  writeln(s);\n"
             "  while head <> nil do begin p := head; head := head^.n; dispose(p) end;\n"
             "  grow(q, 5); grow(q^.n, 7); grow(q^.n^.n, 9);\n"
             "  s := 0; p := q;\n"
             "  while p <> nil do begin s := s * 10 + p^.v; p := p^.n end;\n"
             "  writeln(s);\n"
             "  p := nil;\n"
             "  for i := 1 to 3 do begin head := q; q := q^.n; head^.n := nil; dispose(head) end;\n"
             "  writeln(q = nil)\n"
             "end.\n");
    EXPECT_EQ(outcome.RunError, 0);
    EXPECT_EQ(outcome.Output, "91\r\n579\r\nTRUE\r\n");
    EXPECT_GT(host.StatementEnds, 0);
    EXPECT_GT(host.CallEnds, 0);
    // A host that ignores them is never told.
    host.IgnoreStatementEnds();
    host.Quiet = true;
    ResetCounts();
    EXPECT_EQ(Run("program h; type pn = ^integer; var p : pn; i : integer;\n"
                  "begin for i := 1 to 3 do begin new(p); dispose(p) end end.\n")
                  .RunError,
              0);
    EXPECT_EQ(host.StatementEnds, 0);
    EXPECT_EQ(host.CallEnds, 0);
    host.Quiet = false;

    const LaterError cases[] = {
        {"a cell left without a holder by NEW on a later pass",
         "program p; type pn = ^integer; var p : pn; i : integer;\n"
         "begin for i := 1 to 3 do\n"
         "  new(p) end.\n",
         ErrorNumber::HeapDataUnreachable, 3},
        {"a cell disposed of while another pointer holds it on a later pass",
         "program p; type pn = ^integer; var p, q : pn; i : integer;\n"
         "begin q := nil; for i := 1 to 3 do begin\n"
         "  new(p); if i = 2 then q := p;\n"
         "  dispose(p) end end.\n",
         ErrorNumber::HeapDataDisposedButReferenced, 4},
        {"a field of nil read on a later pass",
         "program p; type pn = ^node; node = record v : integer; n : pn end;\n"
         "var p : pn; i, s : integer;\n"
         "begin new(p); p^.v := 3; p^.n := nil; s := 0; for i := 1 to 3 do begin\n"
         "  s := s + p^.v; if i = 2 then p^.n := nil; if i = 2 then dispose(p) end end.\n",
         ErrorNumber::NilDereference, 4},
        {"a field of nil given a value on a later pass",
         "program p; type pn = ^node; node = record v : integer; n : pn end;\n"
         "var p, q : pn; i : integer;\n"
         "begin new(p); p^.n := nil; q := p; for i := 1 to 3 do begin\n"
         "  p^.v := i; if i = 2 then p := p^.n end end.\n",
         ErrorNumber::NilDereference, 4},
        {"a cell losing its last holder to a pointer assignment on a later pass",
         "program p; type pn = ^node; node = record v : integer; n : pn end;\n"
         "var p, q : pn; i : integer;\n"
         "begin new(p); new(q); q^.n := nil; p^.n := q; q := nil; for i := 1 to 3 do\n"
         "  if p <> nil then p := p^.n end.\n",
         ErrorNumber::HeapDataUnreachable, 4},
        {"a cell losing its last holder to a store into a global record's pointer on a later pass",
         "program p; type pn = ^integer; pair = record a, b : pn end;\n"
         "var r : pair; p, q : pn; i : integer;\n"
         "begin new(p); new(q); r.a := q; r.b := p; for i := 1 to 3 do begin\n"
         "  if i = 3 then p := nil; r.b := r.a; r.b := p end end.\n",
         ErrorNumber::HeapDataUnreachable, 4},
        {"a cell losing its last holder to a store into a global array of pointers on a later pass",
         "program p; type pn = ^integer; var t : array[1..2] of pn; p, q : pn; i : integer;\n"
         "begin new(p); new(q); t[1] := q; t[2] := p; for i := 1 to 3 do begin\n"
         "  if i = 3 then p := nil; t[2] := t[1]; t[2] := p end end.\n",
         ErrorNumber::HeapDataUnreachable, 3},
    };
    ExpectLaterErrors(cases);
}

TEST_F(PlanTest, ForLoopsOfEveryOrdinalTypeStepAsTheReadingSteps)
{
    // Global control variables of each ordinal type, up to the end of their range and down,
    // executed again from their plans. The output is the one a native compiler gives.
    const RunOutcome outcome =
        Both("program f;\n"
             "type color = (red, green, blue, black);\n"
             "var c : char; b : boolean; y : byte; w : word; k : color; n : longint;\n"
             "  i, s : integer;\n"
             "begin\n"
             "  s := 0;\n"
             "  for i := 1 to 3 do begin\n"
             "    for c := 'a' to 'e' do s := s + ord(c);\n"
             "    for b := false to true do s := s + ord(b);\n"
             "    for y := 250 to 255 do s := s + y;\n"
             "    for w := 65530 downto 65525 do s := s + w mod 7;\n"
             "    for k := red to black do s := s + ord(k) * 3;\n"
             "    for n := -3 to 3 do s := s + n;\n"
             "    for y := 3 downto 1 do s := s - y;\n"
             "    writeln(s, ' ', c, ' ', b, ' ', y, ' ', w, ' ', ord(k), ' ', n);\n"
             "  end;\n"
             "end.\n");
    EXPECT_EQ(outcome.RunError, 0);
    EXPECT_EQ(outcome.Output, "2040 e TRUE 1 65525 3 3\r\n"
                              "4080 e TRUE 1 65525 3 3\r\n"
                              "6120 e TRUE 1 65525 3 3\r\n");
}

TEST_F(PlanTest, SteppingOverCallsInPlansShowsTheReadingsPlaces)
{
    const std::string program = "program p; var i, s : integer;\n"
                                "function f(n : integer) : integer;\n"
                                "begin\n"
                                "  f := n * 2\n"
                                "end;\n"
                                "begin s := 0;\n"
                                "  for i := 1 to 4 do\n"
                                "    s := s + f(i);\n"
                                "  writeln(s) end.\n";
    for (const bool into : {false, true}) {
        SCOPED_TRACE(into ? "into" : "over");
        driver->StepInto = into;
        driver->KeepPlans = false;
        host.Shown.clear();
        host.Waits = 0;
        EXPECT_EQ(Run(program, RunMode::StartStepping).RunError, 0);
        const auto shown = host.Shown;
        const int waits = host.Waits;
        host.Shown.clear();
        host.Waits = 0;
        driver->KeepPlans = true;
        const RunOutcome outcome = Run(program, RunMode::StartStepping);
        EXPECT_EQ(outcome.Output, "20\r\n");
        EXPECT_EQ(host.Shown, shown);
        EXPECT_EQ(host.Waits, waits);
    }
}

// Statements executed again by a quiet host go by their plans: blocks, IF with a branch taken
// for the first time late, IF without THEN part, WHILE executed again, and the statements plans
// cannot carry (CASE, REPEAT, FOR, a call that EXITs) inside them.
TEST_F(PlanTest, StatementsExecutedAgainDoWhatTheReadingDoes)
{
    const RunOutcome outcome =
        Both("program p; var i, j, k, n, s : integer; t : array[1..5] of integer; c : char;\n"
             "procedure q(m : integer); var x : integer;\n"
             "begin x := 0; while true do begin x := x + 1; if x > m then exit end;\n"
             "  s := s + x * 100 end;\n"
             "begin s := 0;\n"
             "  for i := 1 to 5 do t[i] := 6 - i;\n"
             "  for k := 1 to 4 do begin\n"
             "    j := 1; n := 0;\n"
             "    while j <= 5 do begin\n"
             "      if t[j] > k then n := n + t[j] else if j mod 2 = 0 then n := n - 1 else ;\n"
             "      if k > 2 then else s := s + 1;\n"
             "      case j of 1: s := s + 2; 3..4: begin end; end;\n"
             "      repeat j := j + 1 until j mod 2 = 0;\n"
             "      for c := 'a' to 'b' do s := s + 1;\n"
             "    end;\n"
             "    s := s + n;\n"
             "    q(k);\n"
             "  end;\n"
             "  k := 0;\n"
             "  while k < 10 do begin k := k + 1; if k = 7 then k := 20 end;\n"
             "  writeln(s, ' ', k);\n"
             "end.\n");
    EXPECT_EQ(outcome.RunError, 0);
    EXPECT_EQ(outcome.Output, "68 20\r\n");
}

TEST_F(PlanTest, PlansMadeBeforeAVariableIsFirstAssignedSeeItAssignedOrNot)
{
    // A first assignment leaves the plans made before it in force: their loads still see
    // whether each variable holds a value on the pass that reads it.
    const RunOutcome outcome = Both("program p; var i, a, b, s : integer;\n"
                                    "begin s := 0;\n"
                                    "  for i := 1 to 6 do begin\n"
                                    "    if i = 3 then a := 10;\n"
                                    "    if i >= 4 then s := s + a + i;\n"
                                    "    if i = 5 then b := a * 2\n"
                                    "  end;\n"
                                    "  writeln(s, ' ', b);\n"
                                    "end.\n");
    EXPECT_EQ(outcome.RunError, 0);
    EXPECT_EQ(outcome.Output, "45 20\r\n");
    const LaterError unassigned[] = {
        {"read on the pass after another first assignment",
         "program p; var i, a, b, d, s : integer;\n"
         "begin s := 0;\n"
         "  for i := 1 to 3 do begin\n"
         "    if i = 1 then a := 1;\n"
         "    s := s + a;\n"
         "    if i = 2 then b := 1 else if i = 3 then s := s + d;\n"
         "  end\n"
         "end.\n",
         ErrorNumber::VariableNotAssigned, 6},
    };
    ExpectLaterErrors(unassigned);
}

TEST_F(PlanTest, ALoopReadTheFirstTimeGoesOnFromItsBodysPlan)
{
    // Each FOR below is read once: from its second pass its body runs from the plan the
    // first pass made, whatever the body is, and the reading goes on after the loop.
    const RunOutcome outcome =
        Both("program p; type c = (red, green, blue);\n"
             "var i, j, k, s : integer; e : set of char; h : c; t : array[1..4] of integer;\n"
             "procedure q(n : integer); begin s := s + n end;\n"
             "begin s := 0; e := [];\n"
             "  for i := 1 to 4 do t[i] := i * i;\n"
             "  for i := 1 to 4 do for j := i to 4 do s := s + t[j];\n"
             "  for i := 1 to 3 do begin k := i; while k > 0 do k := k - 1; s := s + k end;\n"
             "  for i := 1 to 3 do repeat s := s + 1 until s mod 2 = 0;\n"
             "  for i := 0 to 5 do e := e + [chr(48 + i * 2 mod 10)];\n"
             "  for h := red to blue do case h of red: s := s + 100; blue: q(7) end;\n"
             "  for i := 1 to 3 do ;\n"
             "  for i := 3 downto 1 do if odd(i) then write(i) else write('-');\n"
             "  writeln(' ', s, ' ', ord('4' in e), ord('5' in e), ' ', i, ' ', k)\n"
             "end.\n");
    EXPECT_EQ(outcome.RunError, 0);
    EXPECT_EQ(outcome.Output, "3-1 213 10 1 0\r\n");

    // The same for WHILE: a condition calling a function (called once a pass), a body whose
    // first passes change the table (its inner FOR's hidden limit), a body read every time.
    // Conditions and selectors that are one global, or one global and an operator.
    const RunOutcome shorts =
        Both("program p; var i, n, s : integer; ok : boolean; c : char; w : longint;\n"
             "begin s := 0; ok := false; w := 70000;\n"
             "  for i := 1 to 12 do begin\n"
             "    n := i mod 4; c := chr(96 + n); ok := not ok;\n"
             "    if ok then s := s + 1;\n"
             "    case n of 0: s := s + 10; 1, 2: s := s + 100 else s := s + 1000 end;\n"
             "    case c of 'a': s := s - 1 end;\n"
             "    if n = 2 then s := s * 2; if n <> i then w := w + n * i;\n"
             "    if w > 70100 then s := s + 7\n"
             "  end;\n"
             "  writeln(s, ' ', w) end.\n");
    EXPECT_EQ(shorts.RunError, 0);
    EXPECT_EQ(shorts.Output, "9877 70100\r\n");
    const RunOutcome whiles =
        Both("program p; var i, j, n, s, calls : integer; e : set of char;\n"
             "function more(k : integer) : boolean;\n"
             "begin calls := calls + 1; more := k < 5 end;\n"
             "begin s := 0; calls := 0; i := 0; e := [];\n"
             "  while more(i) do i := i + 1;\n"
             "  n := 0; while n < 4 do begin n := n + 1; for j := 1 to n do s := s + j end;\n"
             "  n := 0; while n < 3 do begin n := n + 1; e := e + [chr(48 + n)] end;\n"
             "  while n > 0 do n := n - 1;\n"
             "  writeln(i, ' ', calls, ' ', s, ' ', n, ' ', ord('2' in e))\n"
             "end.\n");
    EXPECT_EQ(whiles.RunError, 0);
    EXPECT_EQ(whiles.Output, "5 6 20 0 1\r\n");
    const LaterError errors[] = {
        {"the pass limit of a WHILE read the first time",
         "program p; var n : integer;\n"
         "begin n := 0; while n < 500 do\n"
         "  n := n + 1; writeln(n) end.\n",
         ErrorNumber::TooManyPasses, 3},
        {"a WHILE condition read the first time dividing by zero on a later pass",
         "program p; var n : integer;\n"
         "begin n := 3; while 12 div n > 0 do\n"
         "  n := n - 1; writeln(n) end.\n",
         ErrorNumber::DivisionByZero, 2},
    };
    ExpectLaterErrors(errors);
}

TEST_F(PlanTest, ErrorsInStatementsExecutedAgainAreTheReadings)
{
    const LaterError cases[] = {
        {"the pass limit of a WHILE executed for the third time",
         "program p; var k, n : integer;\n"
         "begin for k := 1 to 3 do begin n := 0;\n"
         "  while n < 40 * k do\n"
         "    begin if n >= 0 then begin n := n + 1 end end end;\n"
         "  writeln(n) end.\n",
         ErrorNumber::TooManyPasses},
        {"a WHILE condition that leaves its array on a later execution",
         "program p; var k, j : integer; t : array[1..8] of integer;\n"
         "begin for j := 1 to 8 do t[j] := 1;\n"
         "  for k := 1 to 4 do begin j := k;\n"
         "    while (j < k + 2) and (t[j * k] > 0) do j := j + 1 end end.\n",
         ErrorNumber::InvalidValue},
        {"a CASE selector adding to a global beyond INTEGER once its arms were all taken",
         "program p; var k, n, s : integer; t : array[1..4] of integer;\n"
         "begin t[1] := -2; t[2] := 32765; t[3] := -2; t[4] := 32766; s := 0;\n"
         "  for k := 1 to 4 do begin n := t[k];\n"
         "  case n + 2 of 0: s := s + 5; 32767: s := s + 1 end end end.\n",
         ErrorNumber::SizeTooLarge, 4},
        {"an IF comparing a global not assigned yet on a later execution",
         "program p; var k, m, n : integer;\n"
         "begin for k := 1 to 4 do begin\n"
         "  if k = 3 then m := 0; if k > 2 then if n < m then m := 1 end end.\n",
         ErrorNumber::VariableNotAssigned, 3},
        {"an IF condition dividing by zero on a later execution",
         "program p; var k, s : integer;\n"
         "begin s := 0; for k := 1 to 4 do begin\n"
         "  if 12 div (3 - k) > 0 then s := s + 1 else s := s - 1 end end.\n",
         ErrorNumber::DivisionByZero},
        {"the pass limit of a FOR read the first time, whose body went on from its plan",
         "program p; var j, n : integer;\n"
         "begin n := 0; for j := 1 to 150 do\n"
         "  n := n + 1; writeln(n) end.\n",
         ErrorNumber::TooManyPasses, 3},
        {"the pass limit of a FOR executed for the third time",
         "program p; var k, j, n : integer;\n"
         "begin for k := 1 to 3 do begin n := 0;\n"
         "  for j := 1 to 40 * k do\n"
         "    n := n + 1 end end.\n",
         ErrorNumber::TooManyPasses},
        {"a FOR start outside its byte variable on a later execution",
         "program p; var k, n : integer; b : byte;\n"
         "begin n := 0; for k := 1 to 5 do\n"
         "  for b := k * 60 to k * 60 + 3 do n := n + 1 end.\n",
         ErrorNumber::InvalidValue},
        {"a FOR limit outside its byte variable on a later execution",
         "program p; var k, n : integer; b : byte;\n"
         "begin n := 0; for k := 1 to 5 do\n"
         "  for b := k * 40 to k * 60 do n := n + 1 end.\n",
         ErrorNumber::InvalidValue},
        {"a store out of range in a branch first taken late",
         "program p; var k : integer; b : byte;\n"
         "begin for k := 1 to 4 do begin\n"
         "  if k < 3 then b := k else begin b := k; b := b * 100 end end end.\n",
         ErrorNumber::InvalidValue},
    };
    ExpectLaterErrors(cases);
}

TEST_F(PlanTest, EscapeStopsAStatementExecutedAgainAtTheSamePoll)
{
    // The second program's blocks end with statements always read (sets), and its loops are
    // each read once, going on from their bodies' plans.
    const std::string programs[] = {
        "program p; var k, n, s : integer;\n"
        "begin s := 0; for k := 1 to 50 do begin n := 0;\n"
        "  while n < 5 do begin n := n + 1; if n > 2 then begin s := s + n end end end;\n"
        "  writeln(s) end.\n",
        "program p; var k, n, s : integer; e : set of char;\n"
        "begin s := 0; n := 0; e := [];\n"
        "  for k := 1 to 200 do begin s := s + k; e := e + ['a'] end;\n"
        "  while n < 200 do begin n := n + 1; e := e - ['b'] end;\n"
        "  writeln(s, n) end.\n",
    };
    for (int at = 300; at < 360; ++at) {
        SCOPED_TRACE(at);
        const std::string& program = programs[at < 330 ? 0 : 1];
        host.EscapeAt = at;
        host.Quiet = true;
        driver->KeepPlans = false;
        host.Polls = 0;
        host.Shown.clear();
        EXPECT_EQ(Run(program).RunError, 0);
        EXPECT_TRUE(driver->Escaped);
        const auto shown = host.Shown;
        driver->KeepPlans = true;
        host.Polls = 0;
        host.Shown.clear();
        EXPECT_EQ(Run(program).RunError, 0);
        EXPECT_TRUE(driver->Escaped);
        EXPECT_EQ(host.Shown, shown);
        EXPECT_FALSE(shown.empty());
    }
}

// Routine bodies executed again by a quiet host go by their block plans; the reading's output,
// step points and places must not change, whichever call records or replays them.
TEST_F(PlanTest, BodiesExecutedAgainDoWhatTheReadingDoes)
{
    driver->SetOptionB(OptionB::ForbidLabels, false);
    const RunOutcome outcome =
        Both("program p; type pt = record x, y : integer end;\n"
             "var i, s, g, depth : integer; e : pt; log : string;\n"
             "function fib(n : integer) : longint;\n"
             "begin if n < 2 then fib := n else fib := fib(n - 1) + fib(n - 2) end;\n"
             "function twice(n : integer) : integer; var a, b : integer;\n"
             "begin a := n; b := a; twice := a + b end;\n"
             "procedure note(n : integer); var c : char;\n"
             "begin c := chr(ord('a') + n mod 26); log := log + c;\n"
             "  if n mod 3 = 0 then writeln('note ', n) end;\n"
             "function deep(n : integer) : integer;\n"
             "begin depth := depth + 1;\n"
             "  if n = 0 then begin g := 7; deep := g end else deep := deep(n - 1) + 1 end;\n"
             "function look(n : integer) : integer; label done;\n"
             "begin look := 0; if n > 2 then goto done; look := n * 10; done: end;\n"
             "function early(n : integer) : integer;\n"
             "begin early := n; if n > 1 then exit; early := -n end;\n"
             "procedure fields(n : integer);\n"
             "begin with e do begin x := x + n; y := x * 2 end end;\n"
             "begin s := 0; log := ''; depth := 0; e.x := 0; e.y := 0;\n"
             "  for i := 1 to 6 do begin\n"
             "    s := s + fib(i + 3) + twice(twice(i));\n"
             "    note(i); fields(i);\n"
             "    with e do s := s + look(i) + early(i) + x;\n"
             "    s := s + look(i + 1) * 2 + early(i - 2) * 3;\n"
             "    if i = 4 then s := s + deep(5)\n"
             "  end;\n"
             "  writeln(s, ' ', log, ' ', depth, ' ', g, ' ', e.x, ' ', e.y);\n"
             "end.\n");
    EXPECT_EQ(outcome.RunError, 0);
    EXPECT_EQ(outcome.Output, "note 3\r\nnote 6\r\n352 bcdefg 6 7 21 42\r\n");
}

TEST_F(PlanTest, ErrorsAroundABodyExecutedAgainAreTheReadings)
{
    driver->SetOptionB(OptionB::ForbidLabels, false);
    const LaterError cases[] = {
        {"a result not given deep in a recursion",
         "program p; var i : integer; s : longint;\n"
         "function f(n, k : integer) : longint;\n"
         "begin if n > k then f := f(n - 1, k) + 1 else if n > 0 then f := n\n"
         "end;\n"
         "begin s := 0; for i := 3 downto 0 do s := s + f(4, i); writeln(s) end.\n",
         ErrorNumber::FunctionResultMissing, 4},
        {"a result not given when the caller is a procedure",
         "program p; var i, s : integer;\n"
         "function f(n : integer) : integer; begin if n <> 3 then f := n end;\n"
         "procedure q(n : integer); begin s := s + f(n) end;\n"
         "begin s := 0; for i := 1 to 5 do q(i); writeln(s) end.\n",
         ErrorNumber::FunctionResultMissing, 2},
        {"an OUT parameter left unassigned on a later call",
         "program p; var i, s, v : integer;\n"
         "procedure q(n : integer; out x : integer);\n"
         "begin if n <> 3 then x := n\n"
         "end;\n"
         "begin s := 0; for i := 1 to 5 do begin q(i, v); s := s + v end; writeln(s) end.\n",
         ErrorNumber::OutParameterNotAssigned, 4},
        {"a pointer local letting go of the last holder of its cell on a later call",
         "program p; type c = record v : integer end; l = ^c; var i, s : integer;\n"
         "procedure q(n : integer); var t : l;\n"
         "begin new(t); t^.v := n; s := s + t^.v; if n <> 3 then dispose(t)\n"
         "end;\n"
         "begin s := 0; for i := 1 to 5 do q(i); writeln(s) end.\n",
         ErrorNumber::HeapDataUnreachable, 4},
        {"a division by zero at the bottom of a recursion on a later call",
         "program p; var i : integer; s : longint;\n"
         "function f(n, k : integer) : longint;\n"
         "begin if n = 0 then f := 12 div k else f := f(n - 1, k) + n end;\n"
         "begin s := 0; for i := 3 downto 0 do s := s + f(5, i); writeln(s) end.\n",
         ErrorNumber::DivisionByZero, 3},
        {"a result not given before EXIT on a later call",
         "program p; var i, s : integer;\n"
         "function f(n : integer) : integer;\n"
         "begin if n = 4 then exit; f := n; if n > 2 then exit; f := n * 2\n"
         "end;\n"
         "begin s := 0; for i := 1 to 5 do s := s + f(i) * 2; writeln(s) end.\n",
         ErrorNumber::FunctionResultMissing, 4},
        {"a division by zero after a GOTO on a later call",
         "program p; var i, s : integer;\n"
         "function f(n : integer) : integer; label halve; var r : integer;\n"
         "begin r := n; if n > 2 then goto halve; r := n * 2;\n"
         "  halve: f := r div (4 - n) end;\n"
         "begin s := 0; for i := 1 to 5 do s := s + f(i) * 2; writeln(s) end.\n",
         ErrorNumber::DivisionByZero, 4},
        {"a store out of a byte result's range on a later call",
         "program p; var i, s : integer;\n"
         "function f(n : integer) : byte; begin f := n * 60 end;\n"
         "begin s := 0; for i := 1 to 5 do s := s + f(i); writeln(s) end.\n",
         ErrorNumber::InvalidValue, 2},
    };
    ExpectLaterErrors(cases);
    // The calls before the error ran and printed.
    EXPECT_EQ(Both(cases[4].Program).Output, "");
}

TEST_F(PlanTest, RecursionDeeperThanTheStackStopsWhereTheReadingStops)
{
    const std::string program = "program p; var i : integer; s : longint;\n"
                                "function f(n : integer) : longint;\n"
                                "begin if n = 0 then f := 0 else f := f(n - 1) + 1 end;\n"
                                "begin s := 0; for i := 1 to 40 do s := s + f(i * 3);\n"
                                "  writeln(s) end.\n";
    const RunOutcome outcome = Both(program);
    EXPECT_EQ(outcome.RunError, ToInt(ErrorNumber::TooManyRoutinesInStack));
    EXPECT_EQ(outcome.Line, 3);
}

TEST_F(PlanTest, EscapeStopsABodyExecutedAgainAtTheSamePoll)
{
    const std::string program = "program p; var k, s : integer;\n"
                                "function f(n : integer) : integer;\n"
                                "begin\n"
                                "  if n < 2 then f := n\n"
                                "  else f := f(n - 1) + 1;\n"
                                "end;\n"
                                "procedure q(n : integer);\n"
                                "begin s := s + f(n); ; end;\n"
                                "begin s := 0; for k := 1 to 30 do q(k mod 5);\n"
                                "  writeln(s) end.\n";
    for (int at = 150; at < 190; ++at) {
        SCOPED_TRACE(at);
        host.EscapeAt = at;
        host.Quiet = true;
        driver->KeepPlans = false;
        host.Polls = 0;
        host.Shown.clear();
        EXPECT_EQ(Run(program).RunError, 0);
        EXPECT_TRUE(driver->Escaped);
        const auto shown = host.Shown;
        const std::string output = console.Output;
        driver->KeepPlans = true;
        host.Polls = 0;
        host.Shown.clear();
        EXPECT_EQ(Run(program).RunError, 0);
        EXPECT_TRUE(driver->Escaped);
        EXPECT_EQ(host.Shown, shown);
        EXPECT_EQ(console.Output, output);
        EXPECT_FALSE(shown.empty());
    }
}

} // namespace
