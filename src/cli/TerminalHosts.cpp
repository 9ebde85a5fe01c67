// The engine's hosts over a terminal.
#include "cli/TerminalHosts.h"

#include "lexical/TextEncoding.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <signal.h>
#include <string>
#include <thread>

namespace {
// The one piece of state a signal handler may touch.
volatile std::sig_atomic_t interruptFlag = 0;
struct sigaction previousAction;

extern "C" void OnInterrupt(int)
{
    interruptFlag = 1;
}
} // namespace

void TerminalConsole::ShowScreen(int rows, int columns)
{
    screenShown = true;
    screen.SetSize(rows, columns);
}

void TerminalConsole::PrintScreen()
{
    if (screenShown) {
        out << TextEncoding::Windows1252ToUtf8(screen.Text());
        out.flush();
    }
}

void TerminalConsole::Write(const std::string& text)
{
    screen.PutString(text);
    if (screenShown) {
        return;
    }
    std::string plain;
    plain.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A line ends with carriage return and line feed on the text screen; a terminal wants
        // the line feed alone.
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        plain += text[i];
    }
    out << TextEncoding::Windows1252ToUtf8(plain);
}

void TerminalConsole::Echo(const std::string& text)
{
    screen.PutString(text, true);
}

bool TerminalConsole::ReadInputLine(std::string& text)
{
    out.flush();
    std::string line;
    if (!std::getline(in, line)) {
        return false;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    text = TextEncoding::LooksLikeUtf8(line) ? TextEncoding::Utf8ToWindows1252(line) : line;
    return true;
}

bool TerminalConsole::ReadLine(std::string& text)
{
    std::string line;
    if (pendingLine) {
        line = pendingKeys;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        pendingKeys.clear();
        pendingLine = false;
    } else if (!ReadInputLine(line)) {
        return false;
    }
    if (!screenShown) {
        // The typed characters were seen on the terminal; the screen keeps them too, so that
        // the CRT unit's cursor follows.
        screen.PutString(line, true);
        text = line;
        return true;
    }
    // Each character of the line is a key typed on the screen.
    text.clear();
    for (const char ch : line) {
        screen.TypeKey(text, static_cast<unsigned char>(ch));
    }
    return true;
}

bool TerminalConsole::WaitForKey()
{
    if (!pendingLine) {
        std::string line;
        if (!ReadInputLine(line)) {
            return false;
        }
        pendingKeys = line + "\r";
        pendingLine = true;
    }
    return true;
}

int TerminalConsole::ReadKey()
{
    if (!WaitForKey()) {
        return -1;
    }
    const int key = static_cast<unsigned char>(pendingKeys.front());
    pendingKeys.erase(0, 1);
    pendingLine = !pendingKeys.empty();
    return key;
}

void TerminalConsole::Delay(int milliseconds)
{
    if (screenShown) {
        return;
    }
    out.flush();
    constexpr int Slice = 10;
    for (int waited = 0; waited < milliseconds && !InterruptGuard::Interrupted(); waited += Slice) {
        std::this_thread::sleep_for(
            std::chrono::milliseconds(std::min(Slice, milliseconds - waited)));
    }
}

bool TerminalRunHost::EscapePending()
{
    return InterruptGuard::Interrupted();
}

InterruptGuard::InterruptGuard()
{
    interruptFlag = 0;
    struct sigaction action = {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no restart: a read waiting for input returns at once
    sigaction(SIGINT, &action, &previousAction);
}

InterruptGuard::~InterruptGuard()
{
    sigaction(SIGINT, &previousAction, nullptr);
}

bool InterruptGuard::Interrupted()
{
    return interruptFlag != 0;
}

const volatile std::sig_atomic_t* InterruptGuard::Flag()
{
    return &interruptFlag;
}
