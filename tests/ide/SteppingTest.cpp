// Running a program step by step with the keys a pupil types.
#include "IdeTests.h"

#include "ide/ExecutionViews.h"
#include "ide/TMainForm.h"

#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <vector>

namespace {
const char* const Counting = "program Counting;\n"
                             "var i: integer;\n"
                             "begin\n"
                             "  i := 1;\n"
                             "  i := i + 1;\n"
                             "  i := i * 3;\n"
                             "end.\n";

// Answers every step point through `answer` (given the wait's number from 0) and records the
// line the editor showed at each.
class Stepper
{
  public:
    Stepper(TMainForm& mainForm, std::function<void(int wait)> answer)
        : window(mainForm), onWait(std::move(answer))
    {
        QObject::connect(&timer, &QTimer::timeout, &timer, [this] { Tick(); });
        timer.start(20);
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

TEditForm* StartEditor(TMainForm& window)
{
    window.resize(1000, 700);
    window.show();
    TEditForm* editor = window.NewEditor(Language::Pascal);
    editor->Text().setPlainText(Counting);
    editor->Text().document()->setModified(false);
    return editor;
}

QWidget* Target(TMainForm& window)
{
    return window.focusWidget() != nullptr ? window.focusWidget() : &window;
}

#define SKIP_UNTIL_STATEMENTS_RUN(result)                                                          \
    if ((result) == 240) {                                                                         \
        QSKIP("the interpreter does not execute statements yet (Run answers error 240)");          \
    }
} // namespace

void SteppingTest::init()
{
    folder = new QTemporaryDir;
}

void SteppingTest::cleanup()
{
    delete folder;
    folder = nullptr;
}

void SteppingTest::F8StopsAtEveryStatement()
{
    TMainForm window(folder->path());
    TEditForm* editor = StartEditor(window);
    std::vector<QString> values;
    std::vector<bool> changed;
    Stepper stepper(window, [&](int) {
        values.push_back(window.Globals().ValueOf("I"));
        changed.push_back(window.Globals().IsChanged("I"));
        QTest::keyClick(Target(window), Qt::Key_F8);
    });
    const int result = window.RunProgram(true);
    SKIP_UNTIL_STATEMENTS_RUN(result);
    QCOMPARE(result, 0);
    QVERIFY(stepper.Lines.size() >= 3);
    // Only the value the last step changed is marked.
    // The last stop is on the final "end.".
    QCOMPARE(values, (std::vector<QString>{"0", "1", "2", "6", "6"}));
    QCOMPARE(changed, (std::vector<bool>{false, true, true, true, false}));
    QCOMPARE(stepper.Lines[0], 3);
    QCOMPARE(stepper.Lines[1], 4);
    QCOMPARE(stepper.Lines[2], 5);
    QVERIFY(!editor->IsRunning());
    QVERIFY(!editor->Text().isReadOnly());
    QCOMPARE(window.Globals().ValueOf("I"), QString("6"));
}

void SteppingTest::F9RunsToTheEndWithoutStopping()
{
    TMainForm window(folder->path());
    StartEditor(window);
    Stepper stepper(window, [&](int) { QTest::keyClick(Target(window), Qt::Key_F9); });
    const int result = window.RunProgram(true);
    SKIP_UNTIL_STATEMENTS_RUN(result);
    QCOMPARE(result, 0);
    QCOMPARE(stepper.Lines.size(), std::size_t{1});
}

void SteppingTest::EscapeEndsTheRunWithoutReport()
{
    TMainForm window(folder->path());
    TEditForm* editor = StartEditor(window);
    Stepper stepper(window, [&](int wait) {
        QTest::keyClick(Target(window), wait == 0 ? Qt::Key_F8 : Qt::Key_Escape);
    });
    const int result = window.RunProgram(true);
    SKIP_UNTIL_STATEMENTS_RUN(result);
    QCOMPARE(result, 0);
    QCOMPARE(stepper.Lines.size(), std::size_t{2});
    QVERIFY(editor->ReportText().isEmpty());
    // The editor shows where the run stopped.
    QCOMPARE(editor->Text().StepLine(), 4);
    QVERIFY(!editor->IsRunning());
}

void SteppingTest::ClosingTheWindowEndsTheRun()
{
    TMainForm window(folder->path());
    TEditForm* editor = StartEditor(window);
    Stepper stepper(window, [&](int) { window.close(); });
    const int result = window.RunProgram(true);
    SKIP_UNTIL_STATEMENTS_RUN(result);
    QCOMPARE(result, 0);
    QCOMPARE(stepper.Lines.size(), std::size_t{1});
    QVERIFY(!editor->IsRunning());
    QTRY_VERIFY(!window.isVisible());
}

void SteppingTest::BreakpointStopsAQuickRun()
{
    TMainForm window(folder->path());
    TEditForm* editor = StartEditor(window);
    editor->Breakpoints().Add(editor->EngineName(), 4);
    Stepper stepper(window, [&](int) { QTest::keyClick(Target(window), Qt::Key_F9); });
    const int result = window.RunProgram(false);
    SKIP_UNTIL_STATEMENTS_RUN(result);
    QCOMPARE(result, 0);
    QCOMPARE(stepper.Lines, std::vector<int>{4});
}
