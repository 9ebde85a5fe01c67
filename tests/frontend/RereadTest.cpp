// What the interpreter keeps between readings of the same text (tokens, lookups, keyword
// wordings) must never outlive what it was computed from.
#include "StatementTestSupport.h"

#include "frontend/QbPascalSyntaxe.h"

#include <gtest/gtest.h>

namespace {

using RereadTest = StatementTest;

TEST_F(RereadTest, AnEditedPageIsReadAnewOnTheNextRun)
{
    EXPECT_EQ(Output("program p; var i : integer;\n"
                     "begin for i := 1 to 3 do write(i) end.\n"),
              "123");
    // Same lines, same columns, other characters: nothing of the first text may be replayed.
    EXPECT_EQ(Output("program p; var i : integer;\n"
                     "begin for i := 7 to 9 do write(i) end.\n"),
              "789");
}

TEST_F(RereadTest, AccessOptionsChangedBetweenRunsApplyToTheNextRun)
{
    // The IDE checks once and may run many times, changing options in between: a lookup kept
    // from a run without the option must not hide the run-time error of a run with it.
    const std::string program = "program p; var g : integer;\n"
                                "procedure q; begin g := g + 1 end;\n"
                                "begin g := 0; q; q; write(g) end.\n";
    pages.pages["TEST.PAS"] = program;
    ASSERT_EQ(driver->Run("+TEST.PAS", RunMode::Check), 0);
    console.Output.clear();
    EXPECT_EQ(driver->Run("+TEST.PAS", RunMode::Execute), 0);
    EXPECT_EQ(console.Output, "2");
    driver->SetOptionA(OptionA::ForbidGlobal, true);
    EXPECT_EQ(driver->Run("+TEST.PAS", RunMode::Execute),
              ToInt(ErrorNumber::GlobalAccessForbiddenAtRun));
    driver->SetOptionA(OptionA::ForbidGlobal, false);
    console.Output.clear();
    EXPECT_EQ(driver->Run("+TEST.PAS", RunMode::Execute), 0);
    EXPECT_EQ(console.Output, "2");
}

TEST_F(RereadTest, RecursionAndLoopsGiveTheSameResultOnEveryPass)
{
    // Every call reads the routine's text again from kept tokens and lookups.
    EXPECT_EQ(Output("program p; var r : integer; t : longint;\n"
                     "function f(n : integer) : longint;\n"
                     "begin if n < 2 then f := n else f := f(n - 1) + f(n - 2) end;\n"
                     "begin t := 0; for r := 1 to 5 do t := t + f(3 + r); write(t) end.\n"),
              "50");
}

} // namespace
