// The engine's hosts over a terminal: program input and output on the standard streams, and a
// run that nobody steps through but that Ctrl-C can cancel.
#pragma once

#include "frontend/RunHost.h"
#include "runtime/ConsoleHost.h"

#include <istream>
#include <ostream>

// Program output goes to `out` converted to UTF-8 with plain line feeds; each input line is read
// from `in` (UTF-8 or Windows-1252, a final carriage return dropped). Nothing is echoed: the
// terminal already shows what the user types. Borrowed streams; lives for one command.
class TerminalConsole : public ConsoleHost
{
  public:
    TerminalConsole(std::istream& input, std::ostream& output) : in(input), out(output) {}

    void Write(const std::string& text) override;
    void Echo(const std::string&) override {}
    bool ReadLine(std::string& text) override;
    int ReadKey() override;
    bool KeyPressed() override { return false; }

  private:
    std::istream& in;
    std::ostream& out;
    std::string pendingKeys; // the rest of a line read by ReadKey
    bool pendingLine = false;
};

// Never stops at a step point; reports a pending Ctrl-C as the user's cancel.
class TerminalRunHost : public RunHost
{
  public:
    int WaitForStep(int) override { return 2; }
    bool EscapePending() override;
    bool StopsAt(const std::string&, int) override { return false; }
    void RefreshViews() override {}
    void ShowLine(const std::string&, int, int) override {}
    void ShowReport(const std::string&, int, const std::string&, int, int) override {}
};

// Ctrl-C sets a flag that TerminalRunHost::EscapePending reports, and interrupts a blocked read;
// the previous handling is restored when the guard ends.
class InterruptGuard
{
  public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;
    static bool Interrupted();
};
