// The engine's hosts over a terminal.
#include "cli/TerminalHosts.h"

#include "lexical/TextEncoding.h"

#include <csignal>
#include <signal.h>
#include <string>

namespace {
// The one piece of state a signal handler may touch.
volatile std::sig_atomic_t interruptFlag = 0;
struct sigaction previousAction;

extern "C" void OnInterrupt(int)
{
    interruptFlag = 1;
}
} // namespace

void TerminalConsole::Write(const std::string& text)
{
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

bool TerminalConsole::ReadLine(std::string& text)
{
    out.flush();
    if (pendingLine) {
        text = pendingKeys;
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        pendingKeys.clear();
        pendingLine = false;
        return true;
    }
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

int TerminalConsole::ReadKey()
{
    if (!pendingLine) {
        std::string line;
        if (!ReadLine(line)) {
            return -1;
        }
        pendingKeys = line + "\r";
        pendingLine = true;
    }
    const int key = static_cast<unsigned char>(pendingKeys.front());
    pendingKeys.erase(0, 1);
    pendingLine = !pendingKeys.empty();
    return key;
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
