// The engine's hosts over a terminal: program input and output on the standard streams, and a
// run that nobody steps through but that Ctrl-C can cancel.
#pragma once

#include "frontend/RunHost.h"
#include "runtime/ConsoleHost.h"
#include "runtime/TextScreen.h"

#include <istream>
#include <ostream>

// Each input line is read from `in` (UTF-8 or Windows-1252, a final carriage return dropped).
// Every output also goes to a text screen, which the CRT unit works on. As a stream, output goes
// to `out` converted to UTF-8 with plain line feeds and nothing is echoed: the terminal already
// shows what the user types. With the screen shown instead (`run --screen`), typed lines go
// through the screen's keyboard rules and are echoed there, DELAY does not wait, and the
// screen's text is printed by PrintScreen at the end. Borrowed streams; lives for one command.
class TerminalConsole : public ConsoleHost
{
  public:
    TerminalConsole(std::istream& input, std::ostream& output) : in(input), out(output) {}

    // The emulated screen replaces the output stream; its size is brought into the limits.
    void ShowScreen(int rows, int columns);
    // Writes the screen's rows, trailing blanks removed, when the screen is shown.
    void PrintScreen();

    void Write(const std::string& text) override;
    void Echo(const std::string& text) override;
    bool ReadLine(std::string& text) override;
    int ReadKey() override;
    bool KeyPressed() override { return pendingLine; }
    // Waits for a line of input.
    bool WaitForKey() override;
    TextScreen* Screen() override { return &screen; }
    // Sleeps, in short slices so that Ctrl-C is not delayed; no pause on the shown screen.
    void Delay(int milliseconds) override;

  private:
    bool ReadInputLine(std::string& text);

    std::istream& in;
    std::ostream& out;
    TextScreen screen;
    bool screenShown = false;
    std::string pendingKeys; // the rest of a line read by ReadKey or WaitForKey
    bool pendingLine = false;
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
    // The flag itself, for a poll that reads it straight.
    static const volatile std::sig_atomic_t* Flag();
};

// Never stops at a step point; reports a pending Ctrl-C as the user's cancel.
class TerminalRunHost : public RunHost
{
  public:
    TerminalRunHost()
    {
        escapeFlag = InterruptGuard::Flag();
        neverStops = true;
        followsStatements = false;
    }
    int WaitForStep(int) override { return 2; }
    bool EscapePending() override;
    bool StopsAt(const std::string&, int) override { return false; }
    bool MayStop() const override { return false; }
    void RefreshViews() override {}
    void ShowLine(const std::string&, int, int) override {}
    void ShowReport(const std::string&, int, const std::string&, int, int) override {}
};
