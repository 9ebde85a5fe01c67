// The driver's Run: modes, reports, positions, opening failures and translation.
#include "diagnostics/Exceptions.h"
#include "frontend/QbPascalSyntaxe.h"
#include "lexical/QbDico.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <map>
#include <string>
#include <vector>

namespace {
// Editor pages held in memory.
class MemoryPages : public SourceText
{
  public:
    bool PageText(const std::string& name, std::string& text) override
    {
        const auto page = pages.find(name);
        if (page == pages.end()) {
            return false;
        }
        text = page->second;
        return true;
    }
    std::string CurrentPageName() override { return current; }
    std::map<std::string, std::string> pages;
    std::string current;
};

// Records the reports and step waits it is asked for; answers each wait with the next command.
class RecordingHost : public SilentRunHost
{
  public:
    struct Report
    {
        std::string File;
        int Number;
        std::string Message;
        int Line;
        int Column;
    };
    int WaitForStep(int) override
    {
        ++waits;
        if (commands.empty()) {
            return RunMode::Execute;
        }
        const int command = commands.front();
        commands.erase(commands.begin());
        if (command < 0) {
            throw HaltExcept("escape");
        }
        return command;
    }
    void ShowReport(const std::string& file, int number, const std::string& message, int line,
                    int column) override
    {
        reports.push_back({file, number, message, line, column});
    }
    std::vector<Report> reports;
    std::vector<int> commands;
    int waits = 0;
};

// A host that never stops and names the flag its ESC sets: the step points read the flag.
class FlagHost : public SilentRunHost
{
  public:
    explicit FlagHost(const volatile std::sig_atomic_t* flag)
    {
        escapeFlag = flag;
        neverStops = true;
    }
    bool EscapePending() override
    {
        ++asked;
        return false;
    }
    void ShowReport(const std::string&, int number, const std::string&, int, int) override
    {
        reports.push_back(number);
    }
    int asked = 0;
    std::vector<int> reports;
};

// A host that never stops and names its ESC flag, asked to step all the same: ESC is pressed as
// the pupil lets the run go on.
class SteppingFlagHost : public RecordingHost
{
  public:
    explicit SteppingFlagHost(volatile std::sig_atomic_t* flag) : pressed(flag)
    {
        escapeFlag = flag;
        neverStops = true;
    }
    int WaitForStep(int modes) override
    {
        const int command = RecordingHost::WaitForStep(modes);
        if ((command & RunMode::StartStepping) == 0) {
            *pressed = 1;
        }
        return command;
    }
    volatile std::sig_atomic_t* pressed;
};

struct DriverFixture : testing::Test
{
    MemoryPages pages;
    RecordingHost host;
};

const char* const Counting = "program Counting;\n"
                             "var i, total: integer;\n"
                             "begin\n"
                             "  total := 0;\n"
                             "  for i := 1 to 4 do\n"
                             "    total := total + i;\n"
                             "  writeln(total)\n"
                             "end.\n";
} // namespace

TEST_F(DriverFixture, CheckOfACorrectProgramReturnsZeroAndShowsNothing)
{
    pages.pages["count.pas"] = Counting;
    QbPascalSyntaxe driver(DriverEnvironment{"", "", "", false, false, &pages, &host});
    EXPECT_EQ(driver.Run("+count.pas", RunMode::Check), 0);
    EXPECT_TRUE(host.reports.empty());
    EXPECT_FALSE(driver.Execute);
    EXPECT_FALSE(driver.Checking);
}

TEST_F(DriverFixture, ShowReportModeReportsNoErrorsWithoutAPosition)
{
    pages.pages["count.pas"] = Counting;
    QbPascalSyntaxe driver(DriverEnvironment{"", "", "", false, false, &pages, &host});
    EXPECT_EQ(driver.Run("+count.pas", RunMode::Check | RunMode::ShowReport), 0);
    ASSERT_EQ(host.reports.size(), 1u);
    EXPECT_EQ(host.reports[0].Number, 0);
    EXPECT_EQ(host.reports[0].Message, "no errors detected");
    EXPECT_EQ(host.reports[0].Line, -1);
}

TEST_F(DriverFixture, AnErrorIsReportedWithItsNumberAndPosition)
{
    pages.pages["bad.pas"] = "program Bad;\nbegin\n  writeln(unknown)\nend.\n";
    QbPascalSyntaxe driver(DriverEnvironment{"", "", "", false, false, &pages, &host});
    EXPECT_EQ(driver.Run("+bad.pas", RunMode::Check), 4);
    ASSERT_EQ(host.reports.size(), 1u);
    EXPECT_EQ(host.reports[0].Number, 4);
    EXPECT_EQ(host.reports[0].Message, "invalid expression in constant ( UNKNOWN )");
    EXPECT_EQ(host.reports[0].Line, 2); // 0-based
    EXPECT_EQ(host.reports[0].Column, 11);
}

TEST_F(DriverFixture, ASourceThatCannotBeOpenedIsError75WithItsName)
{
    QbPascalSyntaxe driver(DriverEnvironment{"", "", "", false, false, &pages, &host});
    EXPECT_EQ(driver.Run("+/nonexistent/nowhere.pas", RunMode::Check), 75);
    EXPECT_NE(driver.Errors->Message().find("nowhere.pas"), std::string::npos);
}

TEST_F(DriverFixture, EachRunStartsWithoutThePreviousError)
{
    pages.pages["bad.pas"] = "program Bad;\nbegin\n  writeln(unknown)\nend.\n";
    pages.pages["count.pas"] = Counting;
    QbPascalSyntaxe driver(DriverEnvironment{"", "", "", false, false, &pages, &host});
    EXPECT_EQ(driver.Run("+bad.pas", RunMode::Check), 4);
    EXPECT_EQ(driver.Run("+count.pas", RunMode::Check), 0);
    EXPECT_EQ(driver.Errors->Number(), 0);
}

TEST_F(DriverFixture, SteppingWaitsAtStatementsAndEscapeEndsQuietly)
{
    pages.pages["count.pas"] = Counting;
    QbPascalSyntaxe driver(DriverEnvironment{"", "", "", false, false, &pages, &host});
    ASSERT_EQ(driver.Run("+count.pas", RunMode::Check), 0);
    host.commands = {RunMode::StartStepping, RunMode::StartStepping, -1};
    EXPECT_EQ(driver.Run("+count.pas", RunMode::StartStepping | RunMode::Execute), 0);
    EXPECT_EQ(host.waits, 3);
    EXPECT_TRUE(host.reports.empty());
}

TEST_F(DriverFixture, AHostsEscapeFlagStopsTheRunAtTheNextStatement)
{
    volatile std::sig_atomic_t flag = 0;
    FlagHost quiet(&flag);
    // Without ESC the loop ends on the pass limit (239).
    pages.pages["loop.pas"] = "program Loop;\n"
                              "var i: integer;\n"
                              "begin\n"
                              "  i := 0;\n"
                              "  while true do\n"
                              "    i := (i + 1) mod 10\n"
                              "end.\n";
    QbPascalSyntaxe driver(DriverEnvironment{"", "", "", false, false, &pages, &quiet});
    ASSERT_EQ(driver.Run("+loop.pas", RunMode::Check), 0);
    EXPECT_NE(driver.Run("+loop.pas", RunMode::Execute), 0);
    ASSERT_FALSE(quiet.reports.empty());
    EXPECT_EQ(quiet.reports.back(), 239);
    EXPECT_EQ(quiet.asked, 0);
    quiet.reports.clear();
    flag = 1;
    EXPECT_EQ(driver.Run("+loop.pas", RunMode::Execute), 0);
    EXPECT_TRUE(quiet.reports.empty());
    EXPECT_EQ(quiet.asked, 0);
}

// The step modes, not the host, decide whether a step point only polls the flag.
TEST_F(DriverFixture, AQuietHostStepsWhenAskedAndItsFlagStopsTheRunOnceItGoesOn)
{
    volatile std::sig_atomic_t flag = 0;
    SteppingFlagHost quiet(&flag);
    pages.pages["count.pas"] = Counting;
    QbPascalSyntaxe driver(DriverEnvironment{"", "", "", false, false, &pages, &quiet});
    ASSERT_EQ(driver.Run("+count.pas", RunMode::Check), 0);
    quiet.commands = {RunMode::StartStepping, RunMode::StartStepping, RunMode::Execute};
    EXPECT_EQ(driver.Run("+count.pas", RunMode::StartStepping | RunMode::Execute), 0);
    EXPECT_EQ(quiet.waits, 3);
    EXPECT_TRUE(driver.Escaped);
    EXPECT_TRUE(quiet.reports.empty());
    // Run without stepping, the flag alone stops it: nothing waits.
    quiet.waits = 0;
    EXPECT_EQ(driver.Run("+count.pas", RunMode::Execute), 0);
    EXPECT_EQ(quiet.waits, 0);
    EXPECT_TRUE(driver.Escaped);
    flag = 0;
    EXPECT_EQ(driver.Run("+count.pas", RunMode::Execute), 0);
    EXPECT_FALSE(driver.Escaped);
    // Stepping over a call: the call's body only polls, the statements after it wait again,
    // as they do for a host that may stop.
    pages.pages["over.pas"] = "program Over;\n"
                              "var t: integer;\n"
                              "procedure Q;\n"
                              "begin\n"
                              "  t := t + 1;\n"
                              "  t := t + 1\n"
                              "end;\n"
                              "begin\n"
                              "  t := 0;\n"
                              "  Q;\n"
                              "  t := t + 2;\n"
                              "  writeln(t)\n"
                              "end.\n";
    const std::vector<int> steps(12, RunMode::StartStepping);
    QbPascalSyntaxe watched(DriverEnvironment{"", "", "", false, false, &pages, &host});
    ASSERT_EQ(watched.Run("+over.pas", RunMode::Check), 0);
    host.commands = steps;
    EXPECT_EQ(watched.Run("+over.pas", RunMode::StartStepping | RunMode::Execute), 0);
    ASSERT_EQ(driver.Run("+over.pas", RunMode::Check), 0);
    quiet.waits = 0;
    quiet.commands = steps;
    EXPECT_EQ(driver.Run("+over.pas", RunMode::StartStepping | RunMode::Execute), 0);
    EXPECT_GE(host.waits, 4);
    EXPECT_EQ(quiet.waits, host.waits);
}

TEST_F(DriverFixture, RunningOnAfterStepsStopsWaiting)
{
    pages.pages["count.pas"] = Counting;
    QbPascalSyntaxe driver(DriverEnvironment{"", "", "", false, false, &pages, &host});
    ASSERT_EQ(driver.Run("+count.pas", RunMode::Check), 0);
    host.commands = {RunMode::StartStepping, RunMode::Execute};
    EXPECT_EQ(driver.Run("+count.pas", RunMode::StartStepping | RunMode::Execute), 0);
    EXPECT_EQ(host.waits, 2);
}

TEST_F(DriverFixture, OptionSettersKeepTheLimitsInRange)
{
    QbPascalSyntaxe driver(DriverEnvironment{"", "", "", false, false, &pages, &host});
    driver.SetLimits(12, 0, 150, 20);
    EXPECT_EQ(driver.GetOptions().MaxNesting, 9);
    EXPECT_EQ(driver.GetOptions().MaxStack, 1);
    EXPECT_EQ(driver.GetOptions().MaxPasses, 100);
    EXPECT_EQ(driver.GetOptions().RealDigits, 14);
    EXPECT_TRUE(driver.OptionA(OptionA::CaseInsensitive));
    EXPECT_EQ(driver.GetOptions().B, OptionB::Defaults);
    EXPECT_EQ(driver.GetOptions().C, OptionC::Defaults);
}

// Plans recorded under option words hold again when the same words come back, and never under
// other words, however many were met.
TEST_F(DriverFixture, TheOptionsKeyFollowsTheOptionWords)
{
    QbPascalSyntaxe driver(DriverEnvironment{"", "", "", false, false, &pages, &host});
    const std::uint32_t first = driver.OptionsKey();
    driver.SetOptionB(OptionB::InitializeVariables, true);
    EXPECT_NE(driver.OptionsKey(), first);
    driver.SetOptionB(OptionB::InitializeVariables, false);
    EXPECT_EQ(driver.OptionsKey(), first);
    driver.SetOptions(driver.GetOptions());
    EXPECT_EQ(driver.OptionsKey(), first);

    std::vector<std::uint32_t> keys;
    ProgramOptions words = driver.GetOptions();
    for (std::uint32_t c = 1; c <= 100; ++c) {
        words.C = c << 8;
        driver.SetOptions(words);
        keys.push_back(driver.OptionsKey());
        driver.SetOptionC(1u << 31, true);
        driver.SetOptionC(1u << 31, false);
        EXPECT_NE(driver.OptionsKey(), first);
    }
    std::vector<std::uint32_t> sorted = keys;
    sorted.push_back(first);
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());
    // The first words met keep their key; words met past the room take a new one.
    words.C = 1u << 8;
    driver.SetOptions(words);
    EXPECT_EQ(driver.OptionsKey(), keys.front());
    words.C = 100u << 8;
    driver.SetOptions(words);
    EXPECT_EQ(std::find(keys.begin(), keys.end(), driver.OptionsKey()), keys.end());
    EXPECT_NE(driver.OptionsKey(), first);
}

TEST_F(DriverFixture, AutomaticUnitsExistAsModulesExactlyWhileTheirOptionIsOn)
{
    QbPascalSyntaxe driver(DriverEnvironment{"", "", "", false, false, &pages, &host});
    EXPECT_EQ(driver.Dictionary->ModuleByName("CRT"), nullptr);
    driver.SetOptionA(OptionA::AutoCrt, true);
    EXPECT_NE(driver.Dictionary->ModuleByName("CRT"), nullptr);
    EXPECT_EQ(driver.Word(257), "BLACK");
    driver.SetOptionA(OptionA::AutoCrt, false);
    EXPECT_EQ(driver.Dictionary->ModuleByName("CRT"), nullptr);
    EXPECT_EQ(driver.Word(257), "");
}
