// Breakpoint conditions read as expressions of the running program.
#include "StatementTestSupport.h"
#include "frontend/QbPascalSyntaxe.h"
#include "runtime/QbGesdata.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Stops on one line when a condition holds there, and records what every evaluation gave.
class ConditionHost : public RecordingRunHost
{
  public:
    bool StopsAt(const std::string&, int line) override
    {
        if (line != BreakLine || Driver == nullptr) {
            return false;
        }
        const bool stops = Driver->EvaluateCondition("TEST_" + std::to_string(line), Condition);
        Answers.push_back(stops);
        return stops;
    }
    void ShowReport(const std::string& name, int number, const std::string&, int, int) override
    {
        Reports.emplace_back(name, number);
    }

    QbSyntaxe* Driver = nullptr;
    std::string Condition;
    std::vector<bool> Answers;
    std::vector<std::pair<std::string, int>> Reports;
};

class ConditionTest : public ::testing::Test
{
  protected:
    ConditionTest()
    {
        environment.Pages = &pages;
        environment.Console = &console;
        environment.Host = &host;
        driver = std::make_unique<QbPascalSyntaxe>(environment);
        host.Driver = driver.get();
    }

    int RunWithCondition(const std::string& condition, int line)
    {
        pages.pages["TEST.PAS"] = program;
        EXPECT_EQ(driver->Run("+TEST.PAS", RunMode::Check), 0);
        host.Condition = condition;
        host.BreakLine = line;
        host.Command = 2; // run on after each stop
        return driver->Run("+TEST.PAS", RunMode::Execute);
    }

    // Line 7 is reached five times, with i = 1 to 5.
    const std::string program = "program p;\n"
                                "var i, s : integer;\n"
                                "begin\n"
                                "  s := 0;\n"
                                "  for i := 1 to 5 do\n"
                                "  begin\n"
                                "    s := s + i\n"
                                "  end;\n"
                                "  writeln(s)\n"
                                "end.\n";
    StatementPages pages;
    RecordingConsole console;
    ConditionHost host;
    DriverEnvironment environment;
    std::unique_ptr<QbPascalSyntaxe> driver;
};

TEST_F(ConditionTest, ConditionIsEvaluatedWithTheProgramsCurrentValues)
{
    EXPECT_EQ(RunWithCondition("(i > 3) and (s < 100)", 7), 0);
    EXPECT_EQ(host.Answers, (std::vector<bool>{false, false, false, true, true}));
    EXPECT_EQ(host.Waits, 2);
    // The run itself is untouched by the evaluations.
    EXPECT_EQ(console.Output, "15\r\n");
    EXPECT_TRUE(host.Reports.empty());
}

TEST_F(ConditionTest, FailingConditionReportsAndEndsTheRunAsEscape)
{
    // Unknown name, not boolean, trailing text: each is reported once under the condition's name
    // and the run ends at that step point without an error of its own.
    for (const char* condition : {"j > 3", "i + 1", "i > 3 s"}) {
        host.Reports.clear();
        console.Output.clear();
        EXPECT_EQ(RunWithCondition(condition, 7), 0) << condition;
        ASSERT_EQ(host.Reports.size(), 1U) << condition;
        EXPECT_EQ(host.Reports[0].first, "TEST_7");
        EXPECT_NE(host.Reports[0].second, 0);
        EXPECT_TRUE(driver->Escaped);
        EXPECT_EQ(console.Output, "");
        // The evaluation stack is left as the statement found it.
        EXPECT_EQ(driver->Data->EvaluationCount(), 0);
    }
}

TEST_F(ConditionTest, UnassignedVariableInConditionIsAReportNotACrash)
{
    EXPECT_EQ(RunWithCondition("s > 0", 4), 0);
    ASSERT_EQ(host.Reports.size(), 1U);
    EXPECT_TRUE(driver->Escaped);
}

TEST_F(ConditionTest, NoConditionOutsideARun)
{
    EXPECT_FALSE(driver->EvaluateCondition("X", "true"));
}

} // namespace
