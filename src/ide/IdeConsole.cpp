// The IDE's console host.
#include "ide/IdeConsole.h"

#include "ide/IdeRunHost.h"
#include "ide/Tecrantext.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

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
            continue;
        }
        switch (screen.Grid().TypeKey(text, key)) {
        case TextScreen::LineKey::Finished:
            return true;
        case TextScreen::LineKey::Cancelled:
            host.RequestCancel();
            return false;
        default:
            screen.Refresh();
            break;
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

bool IdeConsole::WaitForKey()
{
    return host.WaitForKey(screen);
}

TextScreen* IdeConsole::Screen()
{
    return &screen.Grid();
}

void IdeConsole::Delay(int milliseconds)
{
    if (milliseconds <= 0 || host.Cancelled()) {
        return;
    }
    QEventLoop pause;
    QTimer::singleShot(milliseconds, &pause, &QEventLoop::quit);
    pause.exec();
}
