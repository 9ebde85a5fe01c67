// The programs' console in the IDE: output to the text screen, keys typed during the run.
#pragma once

#include "runtime/ConsoleHost.h"

class IdeRunHost;
class Tecrantext;

// Owned by the main window and borrowed by every editor's driver. Reading waits in the run
// host's nested loop, so the window stays alive while the program waits for a key, and ESC (or
// closing the window) ends the wait: the read then reports that no input will come and the
// driver finds the pending ESC.
class IdeConsole : public ConsoleHost
{
  public:
    IdeConsole(Tecrantext& textScreen, IdeRunHost& runHost) : screen(textScreen), host(runHost) {}

    void Write(const std::string& text) override;
    void Echo(const std::string& text) override;
    // Typed characters are echoed as they come; Backspace takes the last one back.
    bool ReadLine(std::string& text) override;
    int ReadKey() override;
    bool KeyPressed() override;
    bool WaitForKey() override;
    TextScreen* Screen() override;
    // The pause ends early when the run is cancelled.
    void Delay(int milliseconds) override;

  private:
    void ShowScreen();

    Tecrantext& screen;
    IdeRunHost& host;
};
