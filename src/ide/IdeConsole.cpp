// The IDE's console host.
#include "ide/IdeConsole.h"

#include "ide/IdeRunHost.h"
#include "ide/Tecrantext.h"

#include <QApplication>

void IdeConsole::ShowScreen()
{
    if (QWidget* window = screen.parentWidget()) {
        if (window->isMinimized()) {
            window->showNormal();
        }
        window->raise();
    }
}

void IdeConsole::Write(const std::string& text)
{
    screen.Write(text);
}

void IdeConsole::Echo(const std::string& text)
{
    for (char ch : text) {
        screen.Grid().PutChar(static_cast<unsigned char>(ch), true);
    }
    screen.Refresh();
}

bool IdeConsole::ReadLine(std::string& text)
{
    ShowScreen();
    text.clear();
    for (;;) {
        if (!host.WaitForKey(screen)) {
            return false;
        }
        const int key = screen.TakeKey();
        if (key == 0) {
            screen.TakeKey(); // an arrow or function key has no place in a line
        } else if (key == 13) {
            return true;
        } else if (key == 8) {
            if (!text.empty()) {
                text.pop_back();
                screen.Grid().PutChar(8, true);
                screen.Refresh();
            }
        } else if (key >= 32 && text.size() < 255) {
            text += static_cast<char>(key);
            screen.Echo(static_cast<char>(key));
        }
    }
}

int IdeConsole::ReadKey()
{
    ShowScreen();
    if (!host.WaitForKey(screen)) {
        return -1;
    }
    return screen.TakeKey();
}

bool IdeConsole::KeyPressed()
{
    QApplication::processEvents();
    return screen.HasKey();
}
