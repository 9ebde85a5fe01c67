// What an interpreted program needs from its console: the keyboard and the text screen.
#pragma once

#include <string>

class TextScreen;

// The host of the programs' input and output: the IDE's text screen or the terminal. The driver
// borrows it (DriverEnvironment::Console) and never owns it; every call comes from the driver's
// own thread while a program runs. Text is the engine's Windows-1252.
class ConsoleHost
{
  public:
    virtual ~ConsoleHost() = default;
    // Program output; a line ends with carriage return and line feed.
    virtual void Write(const std::string& text) = 0;
    // Shows text as typed by the user (the end of a READLN line); a terminal, which already
    // showed what was typed, ignores it.
    virtual void Echo(const std::string& text) = 0;
    // One line typed by the user, without its line end; false when no more input will come.
    virtual bool ReadLine(std::string& text) = 0;
    // The next key (its character code); -1 when no more input will come.
    virtual int ReadKey() = 0;
    // A key is waiting to be read.
    virtual bool KeyPressed() = 0;
    // Waits until a key is waiting to be read (KEYPRESSED); false when none will come. A host
    // that cannot wait answers at once.
    virtual bool WaitForKey() { return KeyPressed(); }
    // The text screen the output is shown on, for the CRT unit's cursor, attribute and window;
    // null when the output is a plain stream. Owned by the host.
    virtual TextScreen* Screen() { return nullptr; }
    // DELAY: the program pauses `milliseconds`; a host may skip the pause (tests do).
    virtual void Delay(int /*milliseconds*/) {}
};
