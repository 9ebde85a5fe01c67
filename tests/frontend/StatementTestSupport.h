// A Pascal driver that checks and then runs whole programs held in memory, with a console and a
// run host that record what the program does.
#pragma once

#include "frontend/QbPascalSyntaxe.h"
#include "lexical/SourceText.h"
#include "runtime/ConsoleHost.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class StatementPages : public SourceText
{
  public:
    bool PageText(const std::string& name, std::string& text) override
    {
        const auto found = pages.find(name);
        if (found == pages.end()) {
            return false;
        }
        text = found->second;
        return true;
    }
    std::string CurrentPageName() override { return "TEST.PAS"; }

    std::map<std::string, std::string> pages;
};

// The keyboard gives the queued lines; the screen collects the output.
class RecordingConsole : public ConsoleHost
{
  public:
    void Write(const std::string& text) override { Output += text; }
    void Echo(const std::string& text) override { Echoed += text; }
    bool ReadLine(std::string& text) override
    {
        if (Input.empty()) {
            return false;
        }
        text = Input.front();
        Input.pop_front();
        return true;
    }
    int ReadKey() override { return -1; }
    bool KeyPressed() override { return false; }

    std::string Output;
    std::string Echoed;
    std::deque<std::string> Input;
};

// Counts the step points; cancels the run at the step point numbered EscapeAt (0: never).
class RecordingRunHost : public RunHost
{
  public:
    int WaitForStep(int) override
    {
        ++Waits;
        return Command;
    }
    bool EscapePending() override { return ++Polls >= EscapeAt && EscapeAt != 0; }
    bool StopsAt(const std::string&, int line) override
    {
        ++StepPoints;
        return line == BreakLine;
    }
    // A quiet host has no breakpoints: a run then carries out what it read once from plans.
    bool MayStop() const override { return !Quiet; }
    void RefreshViews() override {}
    void ShowLine(const std::string&, int line, int column) override
    {
        LastLine = line;
        Shown.emplace_back(line, column);
    }
    void ShowReport(const std::string&, int, const std::string&, int, int) override {}
    void StatementEnded(bool routineEnded) override { ++(routineEnded ? CallEnds : StatementEnds); }
    // A host whose StatementEnded does nothing says so: the driver then never calls it.
    void IgnoreStatementEnds() { followsStatements = false; }

    int Command = 1; // step on
    int BreakLine = 0;
    int EscapeAt = 0;
    int Polls = 0;
    int StatementEnds = 0; // of a run that keeps a heap
    int CallEnds = 0;
    bool Quiet = false;
    int Waits = 0;
    int StepPoints = 0;
    int LastLine = 0;
    std::vector<std::pair<int, int>> Shown; // every place shown, in order
};

// What a check and a run gave: the error (0 for none) of the check or of the run with its
// 1-based line and column, and the output.
struct RunOutcome
{
    int CheckError = 0;
    int RunError = 0;
    int Line = 0;
    int Column = 0;
    std::string Output;
};

class StatementTest : public ::testing::Test
{
  protected:
    StatementTest()
    {
        environment.Pages = &pages;
        environment.Console = &console;
        environment.Host = &host;
        driver = std::make_unique<QbPascalSyntaxe>(environment);
    }

    RunOutcome Run(const std::string& text, int mode = RunMode::Execute)
    {
        pages.pages["TEST.PAS"] = text;
        console.Output.clear();
        RunOutcome outcome;
        outcome.CheckError = driver->Run("+TEST.PAS", RunMode::Check);
        if (outcome.CheckError == 0) {
            outcome.RunError = driver->Run("+TEST.PAS", mode);
        }
        if (outcome.CheckError != 0 || outcome.RunError != 0) {
            outcome.Line = driver->Errors->Line() + 1;
            outcome.Column = driver->Errors->Column();
        }
        outcome.Output = console.Output;
        return outcome;
    }

    // A program that must check and run without error; returns its output.
    std::string Output(const std::string& text)
    {
        const RunOutcome outcome = Run(text);
        EXPECT_EQ(outcome.CheckError, 0)
            << "check stopped at " << outcome.Line << ":" << outcome.Column << " in\n"
            << text;
        EXPECT_EQ(outcome.RunError, 0)
            << "run stopped at " << outcome.Line << ":" << outcome.Column << " in\n"
            << text;
        return outcome.Output;
    }

    StatementPages pages;
    RecordingConsole console;
    RecordingRunHost host;
    DriverEnvironment environment;
    std::unique_ptr<QbPascalSyntaxe> driver;
};
