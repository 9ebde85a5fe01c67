// Running a program step by step with the keys a pupil types.
#include "IdeTests.h"

#include "IdeTestSupport.h"
#include "ide/ExecutionViews.h"
#include "ide/TMainForm.h"
#include "ide/Tecrantext.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <vector>

namespace {
using namespace IdeTesting;

const char* const Counting = "program Counting;\n"
                             "var i: integer;\n"
                             "begin\n"
                             "  i := 1;\n"
                             "  i := i + 1;\n"
                             "  i := i * 3;\n"
                             "end.\n";

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
    TEditForm* editor = StartEditor(window, Counting);
    std::vector<QString> values;
    std::vector<bool> changed;
    Stepper stepper(window, [&](int) {
        values.push_back(window.Globals().ValueOf("I"));
        changed.push_back(window.Globals().IsChanged("I"));
        QTest::keyClick(FocusTarget(window), Qt::Key_F8);
    });
    const int result = window.RunProgram(true);
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
    StartEditor(window, Counting);
    Stepper stepper(window, [&](int) { QTest::keyClick(FocusTarget(window), Qt::Key_F9); });
    const int result = window.RunProgram(true);
    QCOMPARE(result, 0);
    QCOMPARE(stepper.Lines.size(), std::size_t{1});
}

void SteppingTest::EscapeEndsTheRunWithoutReport()
{
    TMainForm window(folder->path());
    TEditForm* editor = StartEditor(window, Counting);
    Stepper stepper(window, [&](int wait) {
        QTest::keyClick(FocusTarget(window), wait == 0 ? Qt::Key_F8 : Qt::Key_Escape);
    });
    const int result = window.RunProgram(true);
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
    TEditForm* editor = StartEditor(window, Counting);
    Stepper stepper(window, [&](int) { window.close(); });
    const int result = window.RunProgram(true);
    QCOMPARE(result, 0);
    QCOMPARE(stepper.Lines.size(), std::size_t{1});
    QVERIFY(!editor->IsRunning());
    QTRY_VERIFY(!window.isVisible());
}

void SteppingTest::BreakpointStopsAQuickRun()
{
    TMainForm window(folder->path());
    TEditForm* editor = StartEditor(window, Counting);
    editor->Breakpoints().Add(editor->EngineName(), 4);
    Stepper stepper(window, [&](int) { QTest::keyClick(FocusTarget(window), Qt::Key_F9); });
    const int result = window.RunProgram(false);
    QCOMPARE(result, 0);
    QCOMPARE(stepper.Lines, std::vector<int>{4});
}

void SteppingTest::ReadlnTakesTheLineTypedOnTheTextScreen()
{
    TMainForm window(folder->path());
    StartEditor(window, "program Greet;\n"
                        "var name: string;\n"
                        "begin\n"
                        "  write('Name? ');\n"
                        "  readln(name);\n"
                        "  writeln('Hi ', name);\n"
                        "end.\n");
    // The keys are typed on the editor: while the program runs they go to the text screen.
    QTimer::singleShot(200, &window, [&] {
        QTest::keyClicks(FocusTarget(window), "Al");
        QTest::keyClick(FocusTarget(window), Qt::Key_Backspace);
        QTest::keyClicks(FocusTarget(window), "nn");
        QTest::keyClick(FocusTarget(window), Qt::Key_Return);
    });
    const int result = window.RunProgram(false);
    QCOMPARE(result, 0);
    const TextScreen& grid = window.TextScreen().Grid();
    QVERIFY(grid.RowText(1).starts_with("Name? Ann "));
    QVERIFY(grid.CellAt(7, 1).Echo);
    QVERIFY(grid.RowText(2).starts_with("Hi Ann "));
    QVERIFY(!grid.CellAt(1, 2).Echo);
}

void SteppingTest::KeysTypedDuringAStepByStepReadlnReachTheProgram()
{
    TMainForm window(folder->path());
    StartEditor(window, "program Greet;\n"
                        "var name: string;\n"
                        "begin\n"
                        "  readln(name);\n"
                        "  writeln('Hi ', name);\n"
                        "end.\n");
    // F8 lets READLN start; the name is then typed on the editor, which forwards it to the
    // text screen through the run host's event filter.
    Stepper stepper(window, [&](int wait) {
        QTest::keyClick(FocusTarget(window), Qt::Key_F8);
        if (wait == 0) {
            QTimer::singleShot(100, &window, [&] {
                QTest::keyClicks(FocusTarget(window), "Ann");
                QTest::keyClick(FocusTarget(window), Qt::Key_Return);
            });
        }
    });
    const int result = window.RunProgram(true);
    QCOMPARE(result, 0);
    QVERIFY(window.TextScreen().Grid().Text().find("Hi Ann") != std::string::npos);
}

void SteppingTest::EscapeDuringReadlnEndsTheRun()
{
    TMainForm window(folder->path());
    TEditForm* editor = StartEditor(window, "program Wait;\n"
                                            "var name: string;\n"
                                            "begin\n"
                                            "  readln(name);\n"
                                            "  writeln('never');\n"
                                            "end.\n");
    QTimer::singleShot(200, &window, [&] { QTest::keyClick(FocusTarget(window), Qt::Key_Escape); });
    const int result = window.RunProgram(false);
    QCOMPARE(result, 0);
    QVERIFY(window.Host().Cancelled() || !window.Host().Running());
    QVERIFY(window.TextScreen().Grid().RowText(1).find("never") == std::string::npos);
    QVERIFY(editor->ReportText().isEmpty());
}

void SteppingTest::EscapeStopsAnEndlessQuickRun()
{
    TMainForm window(folder->path());
    TEditForm* editor = StartEditor(window, "program Forever;\n"
                                            "var i: integer;\n"
                                            "begin\n"
                                            "  i := 0;\n"
                                            "  while true do\n"
                                            "    i := (i + 1) mod 100;\n"
                                            "end.\n");
    editor->Driver().SetOptionB(OptionB::UnlimitedPasses, true);
    QTimer::singleShot(300, &window, [&] { QTest::keyClick(FocusTarget(window), Qt::Key_Escape); });
    const int result = window.RunProgram(false);
    QCOMPARE(result, 0);
    QVERIFY(!editor->IsRunning());
    QVERIFY(editor->ReportText().isEmpty());
}

void SteppingTest::F7ShowsTheCalledRoutinesFrame()
{
    TMainForm window(folder->path());
    StartEditor(window, "program Calls;\n"
                        "var total: integer;\n"
                        "procedure Add(n: integer);\n"
                        "var twice: integer;\n"
                        "begin\n"
                        "  twice := 2 * n;\n"
                        "  total := total + twice;\n"
                        "end;\n"
                        "begin\n"
                        "  total := 0;\n"
                        "  Add(5);\n"
                        "end.\n");
    QStringList rowsInside;
    Stepper stepper(window, [&](int) {
        Texecpile& stack = window.ExecutionStack();
        if (stack.rowCount() > 0 && rowsInside.isEmpty()) {
            for (int r = 0; r < stack.rowCount(); ++r) {
                rowsInside << stack.item(r, 0)->text() + "=" + stack.item(r, 1)->text();
            }
        }
        QTest::keyClick(FocusTarget(window), Qt::Key_F7);
    });
    const int result = window.RunProgram(true);
    QCOMPARE(result, 0);
    // The first stop inside the procedure shows its parameter (marked) and its local.
    QVERIFY2(rowsInside.size() == 2, qPrintable(rowsInside.join(" ")));
    QVERIFY2(rowsInside.join(" ").contains("ADD.N=5"), qPrintable(rowsInside.join(" ")));
    QVERIFY2(rowsInside.join(" ").contains("ADD.TWICE="), qPrintable(rowsInside.join(" ")));
    QVERIFY(std::find(stepper.Lines.begin(), stepper.Lines.end(), 5) != stepper.Lines.end());
}

void SteppingTest::EditingARunningProgramAsksToQuit()
{
    TMainForm window(folder->path());
    TEditForm* editor = StartEditor(window, Counting);
    bool asked = false;
    Stepper stepper(window, [&](int) {
        // Answer the question with Yes as soon as it shows.
        QTimer::singleShot(50, &window, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr) {
                asked = box->text() == "Do you want to quit execution mode ?";
                box->button(QMessageBox::Yes)->click();
            }
        });
        QTest::keyClick(&editor->Text(), Qt::Key_X);
    });
    const int result = window.RunProgram(true);
    QCOMPARE(result, 0);
    QVERIFY(asked);
    QCOMPARE(stepper.Lines.size(), std::size_t{1});
    QVERIFY(window.Host().Cancelled() || !editor->IsRunning());
    QVERIFY(!editor->Text().toPlainText().contains('x'));
}
