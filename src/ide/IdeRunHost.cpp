// The run host of the main window.
#include "ide/IdeRunHost.h"

#include "diagnostics/Exceptions.h"
#include "ide/IdeSupport.h"
#include "ide/TEditForm.h"
#include "ide/TMainForm.h"
#include "ide/Tecrantext.h"
#include "lexical/TextEncoding.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QStatusBar>

#include <algorithm>

IdeRunHost::IdeRunHost(TMainForm& mainForm) : main(mainForm) {}

void IdeRunHost::BeginRun(TEditForm& editor)
{
    running = &editor;
    escapeTyped = false;
    cancelled = false;
    waitCount = 0;
    sincePoll.start();
    qApp->installEventFilter(this);
}

void IdeRunHost::EndRun()
{
    qApp->removeEventFilter(this);
    running = nullptr;
    main.statusBar()->clearMessage();
}

void IdeRunHost::RequestCancel()
{
    if (running == nullptr) {
        return;
    }
    escapeTyped = true;
    if (loop != nullptr) {
        loop->quit();
    }
    if (inputLoop != nullptr) {
        inputLoop->quit();
    }
}

bool IdeRunHost::WaitForKey(Tecrantext& screen)
{
    while (!screen.HasKey()) {
        if (escapeTyped || running == nullptr) {
            return false;
        }
        QEventLoop waiting;
        const QMetaObject::Connection typed =
            connect(&screen, &Tecrantext::KeyTyped, &waiting, &QEventLoop::quit);
        inputLoop = &waiting;
        waiting.exec();
        inputLoop = nullptr;
        disconnect(typed);
    }
    return true;
}

int IdeRunHost::WaitForStep(int)
{
    if (escapeTyped) {
        escapeTyped = false;
        cancelled = true;
        main.DropPendingKeys();
        throw HaltExcept("escape");
    }
    main.statusBar()->showMessage(StepKeysText(true, main.SeeEvaluationStack(), false));
    QEventLoop waiting;
    loop = &waiting;
    ++waitCount;
    answer = -1;
    waiting.exec();
    loop = nullptr;
    main.statusBar()->clearMessage();
    if (escapeTyped) {
        escapeTyped = false;
        cancelled = true;
        main.DropPendingKeys();
        throw HaltExcept("escape");
    }
    // The loop also ends when the application quits: the program then runs on.
    return answer >= 0 ? answer : 2;
}

bool IdeRunHost::EscapePending()
{
    if (sincePoll.elapsed() >= PollMilliseconds) {
        QApplication::processEvents();
        sincePoll.restart();
    }
    if (!escapeTyped) {
        return false;
    }
    escapeTyped = false;
    cancelled = true;
    main.DropPendingKeys();
    return true;
}

bool IdeRunHost::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || running == nullptr) {
        return QObject::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (key->key() == Qt::Key_Escape && modifiers == Qt::NoModifier) {
        RequestCancel();
        return true;
    }
    if (loop != nullptr) {
        // Paused: the stepping keys answer; any other key goes where it was typed.
        const int bits = modifiers == Qt::NoModifier
                             ? StepAnswer(key->key(), true, main.SeeEvaluationStack(), false)
                             : -1;
        if (bits >= 0) {
            answer = bits;
            loop->quit();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
    // Running: the program owns the keyboard (letters typed with Shift included).
    const bool command = (modifiers & (Qt::ControlModifier | Qt::AltModifier)) != 0;
    // The forwarded event passes this filter again on its way to the sink: it must go through,
    // not be forwarded once more.
    if (!command && keyboardSink != nullptr && watched != keyboardSink && !forwardingKey) {
        forwardingKey = true;
        QCoreApplication::sendEvent(keyboardSink, event);
        forwardingKey = false;
        return true;
    }
    return QObject::eventFilter(watched, event);
}

TEditForm* IdeRunHost::EditorFor(const std::string& fileName) const
{
    if (TEditForm* editor = main.FindEditor(fileName)) {
        return editor;
    }
    return fileName.empty() ? (running != nullptr ? running : commandEditor) : nullptr;
}

bool IdeRunHost::StopsAt(const std::string& fileName, int line)
{
    // Asked at every statement of a quick run: a line without a breakpoint answers at once.
    TEditForm* editor = EditorFor(fileName);
    if (editor == nullptr || editor->Breakpoints().Find(line - 1) == nullptr) {
        return false;
    }
    // The condition is read by the driver that runs, in the scope its run has reached; the
    // breakpoint may belong to another file of the program (a unit open in its own editor).
    const Qbbklist::ConditionEvaluator evaluate = [this, editor](const std::string& name,
                                                                 const std::string& condition) {
        if (running == nullptr) {
            return true;
        }
        conditionEditor = editor;
        conditionName = name;
        // The driver opens the condition as the source "#<name>#<text>": a "#" in a file name
        // would cut the name short.
        std::string sourceName = name;
        std::replace(sourceName.begin(), sourceName.end(), '#', '_');
        const bool holds = running->Driver().EvaluateCondition(
            sourceName, TextEncoding::Utf8ToWindows1252(condition));
        conditionEditor = nullptr;
        return holds;
    };
    const bool stops = editor->Breakpoints().Triggered(
        line - 1, evaluate, [this](const std::string& name) { return main.FindBreakpoint(name); });
    editor->Text().RedrawGutter();
    if (stops) {
        main.ActivateEditor(*editor);
    }
    return stops;
}

void IdeRunHost::RefreshViews()
{
    main.RefreshExecutionViews();
}

void IdeRunHost::StatementEnded(bool routineEnded)
{
    main.HeapStatementEnded(routineEnded);
}

void IdeRunHost::ShowLine(const std::string& fileName, int line, int)
{
    if (TEditForm* editor = EditorFor(fileName)) {
        editor->ShowStepLine(line - 1);
    }
}

void IdeRunHost::ShowReport(const std::string& fileName, int number, const std::string& message,
                            int line, int column)
{
    QString shown = QString::fromStdString(TextEncoding::Windows1252ToUtf8(message));
    if (conditionEditor != nullptr) {
        // A breakpoint condition that cannot be read: the report names the breakpoint and
        // points into the condition's text, not into the program.
        main.ActivateEditor(*conditionEditor);
        conditionEditor->ShowConditionReport(number, shown, conditionName, column);
        main.statusBar()->showMessage(shown);
        return;
    }
    TEditForm* editor = EditorFor(fileName);
    if (editor == nullptr) {
        // An error in a file no editor holds (a unit read from disk): the file opens to show it.
        editor = main.OpenSourceFile(QString::fromStdString(fileName), false);
    }
    if (editor == nullptr) {
        editor = commandEditor;
        shown += " [" + QString::fromStdString(fileName) + "]";
    }
    if (editor != nullptr) {
        main.ActivateEditor(*editor);
        editor->ShowReport(number, shown, line, column);
    }
    main.statusBar()->showMessage(shown);
}
