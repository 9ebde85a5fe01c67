// The main window's side of a run: stepping keys, ESC, breakpoints, views and reports.
#pragma once

#include "frontend/RunHost.h"

#include <QElapsedTimer>
#include <QObject>

#include <string>

class QEventLoop;
class TMainForm;
class TEditForm;
class Tecrantext;

// One per main window, borrowed by every editor's driver. Between BeginRun and EndRun it watches
// the keyboard of the whole application: at a step point WaitForStep runs a nested event loop
// until F6, F7, F8, F9 or ESC; while the program runs unpaused, EscapePending lets pending events
// through now and then and reports an ESC typed meanwhile.
class IdeRunHost : public QObject, public RunHost
{
    Q_OBJECT

  public:
    // Events are processed at most this often while a program runs unpaused.
    static constexpr int PollMilliseconds = 40;

    explicit IdeRunHost(TMainForm& mainForm);

    int WaitForStep(int modeBits) override;
    bool EscapePending() override;
    bool StopsAt(const std::string& fileName, int line) override;
    void RefreshViews() override;
    void ShowLine(const std::string& fileName, int line, int column) override;
    void ShowReport(const std::string& fileName, int number, const std::string& message, int line,
                    int column) override;
    void StatementEnded(bool routineEnded) override;

    // Waits in a nested loop until `screen` holds a typed key; false when the run was cancelled
    // meanwhile (the pending ESC is then still reported by EscapePending).
    bool WaitForKey(Tecrantext& screen);
    // While the program runs unpaused, the keys typed anywhere go to `sink` (the text screen):
    // the program owns the keyboard. May be null.
    void SetKeyboardSink(QWidget* sink) { keyboardSink = sink; }

    void BeginRun(TEditForm& editor);
    void EndRun();
    // The run in progress stops at its next step point or wait, as if ESC had been typed.
    void RequestCancel();
    bool Running() const { return running != nullptr; }
    bool Waiting() const { return loop != nullptr; }
    // How many step points have waited since the run began.
    int WaitCount() const { return waitCount; }
    bool Cancelled() const { return cancelled; }
    TEditForm* RunningEditor() const { return running; }
    // The editor whose command is in progress (check or run); reports without a known file go
    // there. May be null.
    void SetCommandEditor(TEditForm* editor) { commandEditor = editor; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TEditForm* EditorFor(const std::string& fileName) const;

    TMainForm& main;
    TEditForm* running = nullptr;       // may be null: no run in progress
    TEditForm* commandEditor = nullptr; // may be null
    QEventLoop* loop = nullptr;         // the nested loop of WaitForStep; null when not waiting
    QEventLoop* inputLoop = nullptr;    // the nested loop of WaitForKey; null when not reading
    QWidget* keyboardSink = nullptr;    // may be null
    bool forwardingKey = false;         // a key is on its way to the sink
    int answer = -1;
    int waitCount = 0;
    bool escapeTyped = false;
    bool cancelled = false;
    QElapsedTimer sincePoll;
    // While a breakpoint condition is evaluated: the editor of its breakpoint (may be null) and
    // the breakpoint's name, so that a report of the condition goes there.
    TEditForm* conditionEditor = nullptr;
    std::string conditionName;
};
