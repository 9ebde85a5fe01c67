// What the IDE tests of stepped runs share: an editor holding a program, a key pressed where the
// focus is, and a watcher that answers each step point of a run.
#pragma once

#include "ide/IdeRunHost.h"
#include "ide/TEditForm.h"
#include "ide/TMainForm.h"

#include <QTest>
#include <QTimer>

#include <functional>
#include <utility>
#include <vector>

namespace IdeTesting {

// Shows the window and opens a new Pascal editor holding `program`, unmodified.
inline TEditForm* StartEditor(TMainForm& window, const char* program)
{
    window.resize(1100, 750);
    window.show();
    TEditForm* editor = window.NewEditor(Language::Pascal);
    editor->Text().setPlainText(QString::fromUtf8(program));
    editor->Text().document()->setModified(false);
    return editor;
}

inline QWidget* FocusTarget(TMainForm& window)
{
    return window.focusWidget() != nullptr ? window.focusWidget() : &window;
}

inline void Press(TMainForm& window, Qt::Key key)
{
    QTest::keyClick(FocusTarget(window), key);
}

// Answers every step point through `answer` (given the wait's number from 0), after recording
// the 0-based line the editor showed at it.
class Stepper
{
  public:
    Stepper(TMainForm& mainForm, std::function<void(int wait)> answer)
        : window(mainForm), onWait(std::move(answer))
    {
        QObject::connect(&timer, &QTimer::timeout, &timer, [this] { Tick(); });
        timer.start(10);
    }

    std::vector<int> Lines;

  private:
    void Tick()
    {
        IdeRunHost& host = window.Host();
        if (!host.Waiting() || host.WaitCount() == handled) {
            return;
        }
        handled = host.WaitCount();
        TEditForm* editor = host.RunningEditor();
        Lines.push_back(editor != nullptr ? editor->Text().StepLine() : -1);
        onWait(handled - 1);
    }

    TMainForm& window;
    std::function<void(int)> onWait;
    QTimer timer;
    int handled = 0;
};

// A Stepper that answers each step point with the key `key` returns.
class KeyStepper : public Stepper
{
  public:
    KeyStepper(TMainForm& mainForm, std::function<Qt::Key(int wait)> key)
        : Stepper(mainForm,
                  [&mainForm, key = std::move(key)](int wait) { Press(mainForm, key(wait)); })
    {
    }
};

} // namespace IdeTesting
