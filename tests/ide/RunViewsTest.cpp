// Breakpoints during runs, micro-steps on the evaluation stack, the editor's marks, and the
// whole road of a pupil's program through the main window.
#include "RunViewsTests.h"

#include "IdeTestSupport.h"
#include "ide/BreakpointDialog.h"
#include "ide/ExecutionViews.h"
#include "ide/TMainForm.h"
#include "ide/Tecrantext.h"

#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

#include <functional>
#include <vector>

namespace {
using namespace IdeTesting;

// Line 6 (0-based) is reached five times, with I = 1 to 5.
const char* const Loop = "program Loop;\n"
                         "var i, s: integer;\n"
                         "begin\n"
                         "  s := 0;\n"
                         "  for i := 1 to 5 do\n"
                         "  begin\n"
                         "    s := s + i;\n"
                         "  end;\n"
                         "  writeln('sum ', s);\n"
                         "end.\n";

// Selects whole lines [first, last] of the editor, their line breaks included.
QTextCursor SelectLines(CodeEditor& text, int first, int last)
{
    QTextCursor cursor(text.document()->findBlockByNumber(first));
    const QTextBlock end = text.document()->findBlockByNumber(last + 1);
    cursor.setPosition(end.position(), QTextCursor::KeepAnchor);
    text.setTextCursor(cursor);
    return cursor;
}

void ClickButton(QWidget& dialog, const QString& caption)
{
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        if (button->text() == caption) {
            button->click();
        }
    }
}

QString ScreenText(TMainForm& window)
{
    return QString::fromStdString(window.TextScreen().Grid().Text());
}

void Picture(TMainForm& window, const QString& name)
{
    const QString folder = qEnvironmentVariable("MOVILA_SCREENSHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        window.grab().save(folder + "/" + name + ".png");
    }
}

QStringList EvaluationRows(Tevalpile& view)
{
    QStringList rows;
    for (int r = 0; r < view.rowCount(); ++r) {
        rows << (view.item(r, 0) != nullptr ? view.item(r, 0)->text() : QString());
    }
    return rows;
}
} // namespace

void BreakpointRunTest::init()
{
    folder = new QTemporaryDir;
}

void BreakpointRunTest::cleanup()
{
    delete folder;
    folder = nullptr;
}

void BreakpointRunTest::ConditionalBreakpointStopsOnlyWhenItHolds()
{
    TMainForm window(folder->path());
    TEditForm* editor = StartEditor(window, Loop);
    editor->Breakpoints().Add(editor->EngineName(), 6).Condition = "(i > 3) and (s < 100)";
    QStringList seen;
    const auto stopAndRunOn = [&](int) {
        seen << window.Globals().ValueOf("I") + "/" + window.Globals().ValueOf("S");
        Press(window, Qt::Key_F9);
    };
    {
        Stepper stepper(window, stopAndRunOn);
        QCOMPARE(window.RunProgram(false), 0);
        // Stopped before the statement runs: S still holds the sum up to I - 1.
        QCOMPARE(seen, (QStringList{"4/6", "5/10"}));
        QCOMPARE(stepper.Lines, (std::vector<int>{6, 6}));
        QVERIFY(ScreenText(window).contains("sum 15"));
        QVERIFY(editor->ReportText().isEmpty());
    }
    // After F9 in a step-by-step run the same condition decides.
    seen.clear();
    Stepper stepper(window, stopAndRunOn);
    QCOMPARE(window.RunProgram(true), 0);
    QCOMPARE(stepper.Lines, (std::vector<int>{3, 6, 6}));
    QCOMPARE(seen.mid(1), (QStringList{"4/6", "5/10"}));
}

void BreakpointRunTest::ConditionThatCannotBeReadIsReportedAndEndsTheRun()
{
    TMainForm window(folder->path());
    TEditForm* editor = StartEditor(window, Loop);
    Qbbkpoint& point = editor->Breakpoints().Add(editor->EngineName(), 6);
    const std::string name = point.Name;
    // An unknown name, a value that is no condition, text left over: each ends the run at the
    // breakpoint with a report that names it, and the program's own output never comes.
    for (const char* condition : {"j > 3", "i + 1", "i > 3 s"}) {
        editor->Breakpoints().FindNamed(name)->Condition = condition;
        Stepper stepper(window, [&](int) { Press(window, Qt::Key_F9); });
        QCOMPARE(window.RunProgram(false), 0);
        QVERIFY2(stepper.Lines.empty(), condition);
        QVERIFY2(editor->ReportText().startsWith("Error "), qPrintable(editor->ReportText()));
        QVERIFY2(editor->ReportText().contains("condition of breakpoint NEWFILE_1.pas_7"),
                 qPrintable(editor->ReportText()));
        QCOMPARE(editor->Text().ErrorLine(), 6);
        Picture(window, "condition-error");
        QVERIFY(!ScreenText(window).contains("sum"));
        QVERIFY(!editor->IsRunning());
        QVERIFY(!editor->Text().isReadOnly());
        // The values stay as the run left them: the first pass, before its statement.
        QCOMPARE(window.Globals().ValueOf("I"), QString("1"));
    }
}

void BreakpointRunTest::NonSuspendingBreakpointOnlySwitchesOthers()
{
    TMainForm window(folder->path());
    TEditForm* editor = StartEditor(window, Loop);
    Qbbkpoint& last = editor->Breakpoints().Add(editor->EngineName(), 8);
    last.SetStatus(Qbbkpoint::Inactive);
    Qbbkpoint& inLoop = editor->Breakpoints().Add(editor->EngineName(), 6);
    inLoop.Suspend = false;
    inLoop.Condition = "i = 2";
    inLoop.ToActivate = {last.Name};
    Stepper stepper(window, [&](int) { Press(window, Qt::Key_F9); });
    QCOMPARE(window.RunProgram(false), 0);
    // The loop's breakpoint never stopped the run; it switched on the one after the loop.
    QCOMPARE(stepper.Lines, std::vector<int>{8});
    QCOMPARE(last.GetStatus(), int(Qbbkpoint::Active));
}

void BreakpointRunTest::DialogKeepsTheConditionAsTyped()
{
    TMainForm window(folder->path());
    TEditForm* editor = StartEditor(window, "program Names;\n"
                                            "var nom: string;\n"
                                            "begin\n"
                                            "  nom := 'Ana';\n"
                                            "  writeln(nom);\n"
                                            "  nom := 'José';\n"
                                            "  writeln(nom);\n"
                                            "end.\n");
    editor->Breakpoints().Add(editor->EngineName(), 4);
    editor->Breakpoints().Add(editor->EngineName(), 6);
    const QString condition = "nom = 'José'";
    for (int line : {4, 6}) {
        BreakpointDialog* dialog = editor->OpenBreakpointParameters(line);
        QVERIFY(dialog != nullptr);
        dialog->findChild<QLineEdit*>("condition")->setText("  " + condition + " ");
        ClickButton(*dialog, "OK");
        QTRY_VERIFY(editor->OpenDialog() == nullptr);
    }
    QCOMPARE(QString::fromStdString(editor->Breakpoints().Find(4)->Condition), condition);
    // Opened again, the dialog shows what was stored, accents included; Cancel changes nothing.
    BreakpointDialog* again = editor->OpenBreakpointParameters(6);
    QCOMPARE(again->findChild<QLineEdit*>("condition")->text(), condition);
    again->findChild<QLineEdit*>("condition")->setText("false");
    again->findChild<QCheckBox*>("suspend")->setChecked(false);
    ClickButton(*again, "Cancel");
    QTRY_VERIFY(editor->OpenDialog() == nullptr);
    QVERIFY(editor->Breakpoints().Find(6)->Suspend);
    // The program compares its own text with the condition's: only the second line stops.
    Stepper stepper(window, [&](int) { Press(window, Qt::Key_F9); });
    QCOMPARE(window.RunProgram(false), 0);
    QCOMPARE(stepper.Lines, std::vector<int>{6});
    QVERIFY(editor->ReportText().isEmpty());
}

void BreakpointRunTest::BreakpointsFollowTheirTextWhileEditing()
{
    TMainForm window(folder->path());
    TEditForm* editor = StartEditor(window, Loop);
    CodeEditor& text = editor->Text();
    Qbbklist& points = editor->Breakpoints();
    Qbbkpoint& sum = points.Add(editor->EngineName(), 6);
    Qbbkpoint& first = points.Add(editor->EngineName(), 3);
    first.ToActivate = {sum.Name};
    first.Suspend = false;

    // Typing within a line moves nothing (the first edit of a loaded text included).
    text.setFocus();
    QTextCursor word(text.document()->findBlockByNumber(0));
    word.movePosition(QTextCursor::EndOfBlock);
    text.setTextCursor(word);
    QTest::keyClicks(&text, " x");
    QTest::keyClick(&text, Qt::Key_Backspace);
    QTest::keyClick(&text, Qt::Key_Backspace);
    QCOMPARE(first.GetStatus(), int(Qbbkpoint::Active));
    QCOMPARE(first.Line, 3);
    QCOMPARE(sum.Line, 6);
    // A line typed above both: they move down, and the name of each follows its line.
    text.setTextCursor(QTextCursor(text.document()->findBlockByNumber(2)));
    QTest::keyClick(&text, Qt::Key_Return);
    QCOMPARE(first.Line, 4);
    QCOMPARE(sum.Line, 7);
    QCOMPARE(sum.Name, std::string("NEWFILE_1.pas_8"));
    QCOMPARE(first.ToActivate, std::vector<std::string>{"NEWFILE_1.pas_8"});
    // A line split after the breakpoint's text leaves it where it is.
    QTextCursor end(text.document()->findBlockByNumber(4));
    end.movePosition(QTextCursor::EndOfBlock);
    text.setTextCursor(end);
    QTest::keyClick(&text, Qt::Key_Return);
    QCOMPARE(first.Line, 4);
    QCOMPARE(sum.Line, 8);
    // Both blank lines removed again with Backspace and Delete.
    SelectLines(text, 2, 2);
    QTest::keyClick(&text, Qt::Key_Backspace);
    SelectLines(text, 4, 4);
    QTest::keyClick(&text, Qt::Key_Delete);
    QCOMPARE(first.Line, 3);
    QCOMPARE(sum.Line, 6);
    QCOMPARE(first.ToActivate, std::vector<std::string>{"NEWFILE_1.pas_7"});

    // The run stops on the breakpoint's own text.
    sum.Condition = "i = 2";
    QStringList seen;
    Stepper stepper(window, [&](int) {
        seen << window.Globals().ValueOf("I");
        Press(window, Qt::Key_F9);
    });
    QCOMPARE(window.RunProgram(false), 0);
    QCOMPARE(stepper.Lines, std::vector<int>{6});
    QCOMPARE(seen, QStringList{"2"});

    // Deleting the breakpoint's line kills it; the next purge removes it.
    SelectLines(text, 6, 6);
    QTest::keyClick(&text, Qt::Key_Delete);
    QVERIFY(points.Find(6) == nullptr || points.Find(6)->GetStatus() == Qbbkpoint::Dying);
    points.Purge(false);
    QCOMPARE(points.Points().size(), std::size_t{1});
    QVERIFY(!text.toPlainText().contains("s := s + i"));
    text.document()->setModified(false);
}

void BreakpointRunTest::ReplacingLinesMovesBreakpointsByWhatChanged()
{
    TMainForm window(folder->path());
    TEditForm* editor = StartEditor(window, Loop);
    CodeEditor& text = editor->Text();
    Qbbklist& points = editor->Breakpoints();
    Qbbkpoint& replaced = points.Add(editor->EngineName(), 3);
    Qbbkpoint& below = points.Add(editor->EngineName(), 6);
    // Lines 3 and 4 replaced by three lines: the line count grows by one only, but the
    // breakpoint of a replaced line has lost its text.
    QTextCursor cursor = SelectLines(text, 3, 4);
    cursor.insertText("  s := 0;\n  s := s;\n  for i := 1 to 5 do\n");
    QCOMPARE(replaced.GetStatus(), int(Qbbkpoint::Dying));
    QCOMPARE(below.Line, 7);
    QCOMPARE(text.document()->findBlockByNumber(below.Line).text(), QString("    s := s + i;"));
    // Pasted lines in the middle of a line move what follows the paste point only.
    QTextCursor middle(text.document()->findBlockByNumber(5));
    middle.movePosition(QTextCursor::EndOfBlock);
    middle.insertText("\n  { one }\n  { two }");
    QCOMPARE(below.Line, 9);
    QCOMPARE(text.document()->findBlockByNumber(below.Line).text(), QString("    s := s + i;"));
    text.document()->setModified(false);
}

void BreakpointRunTest::OpenDialogFollowsTheBreakpointsItNames()
{
    TMainForm window(folder->path());
    TEditForm* editor = StartEditor(window, Loop);
    CodeEditor& text = editor->Text();
    Qbbkpoint& edited = editor->Breakpoints().Add(editor->EngineName(), 6);
    const Qbbkpoint& other = editor->Breakpoints().Add(editor->EngineName(), 8);
    BreakpointDialog* dialog = editor->OpenBreakpointParameters(6);
    dialog->AddToActivate(other.Name);
    // Two lines typed above both while the dialog is open.
    QTextCursor top(text.document()->findBlockByNumber(1));
    top.insertText("\n\n");
    QCOMPARE(dialog->windowTitle(), QString("Breakpoint administration NEWFILE_1.pas_9"));
    QCOMPARE(dialog->ActivateNames(), QStringList{"NEWFILE_1.pas_11"});
    dialog->findChild<QLineEdit*>("condition")->setText("i = 3");
    ClickButton(*dialog, "OK");
    QTRY_VERIFY(editor->OpenDialog() == nullptr);
    QCOMPARE(edited.Condition, std::string("i = 3"));
    QCOMPARE(edited.ToActivate, std::vector<std::string>{other.Name});
    text.document()->setModified(false);
}

void BreakpointRunTest::RunTimeErrorIsShownAtItsLineAndColumn()
{
    TMainForm window(folder->path());
    TEditForm* editor = StartEditor(window, "program Divide;\n"
                                            "var a, b: integer;\n"
                                            "begin\n"
                                            "  a := 1;\n"
                                            "  b := 0;\n"
                                            "  a := a div b;\n"
                                            "  writeln(a);\n"
                                            "end.\n");
    const int number = window.RunProgram(false);
    QVERIFY(number >= 200);
    QCOMPARE(editor->Text().ErrorLine(), 5);
    QCOMPARE(editor->Text().textCursor().blockNumber(), 5);
    const QString expected = QString("Error %1 (6:%2)")
                                 .arg(number)
                                 .arg(editor->Text().textCursor().positionInBlock() + 1);
    QVERIFY2(editor->ReportText().startsWith(expected), qPrintable(editor->ReportText()));
    QVERIFY(!editor->Text().isReadOnly());
    // The highlighted line is the error's, not a step line left over from the run.
    QCOMPARE(editor->Text().StepLine(), -1);
    const QList<QTextEdit::ExtraSelection> marks = editor->Text().extraSelections();
    QCOMPARE(marks.size(), 1);
    QCOMPARE(marks[0].cursor.blockNumber(), 5);
}

void MicroStepTest::init()
{
    folder = new QTemporaryDir;
}

void MicroStepTest::cleanup()
{
    delete folder;
    folder = nullptr;
}

void MicroStepTest::F6StopsAtEveryPushAndPop()
{
    TMainForm window(folder->path());
    StartEditor(window, "program Sum;\n"
                        "var i: integer;\n"
                        "begin\n"
                        "  i := 2 + 3 * 4;\n"
                        "  i := i - 1;\n"
                        "end.\n");
    QVERIFY(window.SeeEvaluationStack());
    Tevalpile& view = window.EvaluationStack();
    std::vector<QStringList> rows;
    QStringList headers;
    Stepper stepper(window, [&](int) {
        rows.push_back(EvaluationRows(view));
        headers << view.horizontalHeaderItem(0)->text();
        if (rows.size() == 4) {
            Picture(window, "micro-step");
        }
        Press(window, Qt::Key_F6);
    });
    QCOMPARE(window.RunProgram(true), 0);
    QVERIFY(rows.size() > 6);
    // Before the first statement nothing is stacked; then each push shows one more row (type
    // name and value), and each pop one fewer.
    QCOMPARE(rows[0], QStringList{});
    QCOMPARE(headers[0], QString("EMPTY STACK"));
    const QString integer = rows[1].value(0).section(':', 0, 0);
    QVERIFY(!integer.isEmpty());
    const auto row = [&](int value) { return integer + ":  " + QString::number(value); };
    QCOMPARE(rows[1], QStringList{row(2)});
    QCOMPARE(rows[2], (QStringList{row(2), row(3)}));
    QCOMPARE(rows[3], (QStringList{row(2), row(3), row(4)}));
    // The line shown is the expression's, though the reader has reached the end of its line.
    QCOMPARE(stepper.Lines[3], 3);
    QCOMPARE(headers[3], QString("CURRENT VALUES"));
    // 3 * 4 replaces its operands, then 2 + 12 gives 14, which the assignment takes.
    const auto found = std::find(rows.begin(), rows.end(), QStringList{row(14)});
    QVERIFY(found != rows.end());
    QVERIFY(std::find(found, rows.end(), QStringList{}) != rows.end());
    QCOMPARE(window.Globals().ValueOf("I"), QString("13"));
}

void PupilRoadTest::init()
{
    folder = new QTemporaryDir;
}

void PupilRoadTest::cleanup()
{
    delete folder;
    folder = nullptr;
}

void PupilRoadTest::TypeCheckStepRunAndCancel()
{
    TMainForm window(folder->path());
    window.resize(1100, 750);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    TEditForm* editor = window.NewEditor(Language::Pascal);
    CodeEditor& text = editor->Text();
    text.setFocus();
    const QStringList lines = {"program Squares;",
                               "var i, total: integer;",
                               "begin",
                               "  total := 0;",
                               "  for i := 1 to 3 do",
                               "  begin",
                               "    total := total + i * i;",
                               "    writeln(i, ' ', i * i)",
                               "  end;",
                               "  writeln('total = ', total)",
                               "end."};
    // The first try forgets a quote, as pupils do.
    for (const QString& line : lines) {
        QTest::keyClicks(&text, line == "  writeln('total = ', total)"
                                    ? QString("  writeln('total = , total)")
                                    : line);
        QTest::keyClick(&text, Qt::Key_Return);
    }
    Picture(window, "1-typed");
    QVERIFY(window.CheckProgram() != 0);
    QCOMPARE(text.ErrorLine(), 9);
    QVERIFY(editor->ReportText().startsWith("Error "));
    Picture(window, "2-check-error");
    // Mended where the cursor stands: the report put it on the faulty line.
    QTextCursor cursor(text.document()->findBlockByNumber(9));
    cursor.movePosition(QTextCursor::EndOfBlock);
    cursor.movePosition(QTextCursor::StartOfBlock, QTextCursor::KeepAnchor);
    text.setTextCursor(cursor);
    QTest::keyClicks(&text, lines[9]);
    QCOMPARE(window.CheckProgram(), 0);
    QCOMPARE(text.ErrorLine(), -1);
    Picture(window, "3-check-ok");

    // Step by step: F8 over the statements, the views following.
    QStringList totals;
    Stepper stepper(window, [&](int wait) {
        totals << window.Globals().ValueOf("TOTAL");
        if (wait == 4) {
            Picture(window, "4-stepping");
        }
        Press(window, wait < 8 ? Qt::Key_F8 : Qt::Key_F9);
    });
    QCOMPARE(window.RunProgram(true), 0);
    // Stops before each statement: the loop's body is stepped into, the values follow.
    QCOMPARE(std::vector<int>(stepper.Lines.begin(), stepper.Lines.begin() + 5),
             (std::vector<int>{3, 4, 6, 7, 8}));
    QVERIFY(totals.contains("1") && totals.contains("5"));
    QVERIFY(ScreenText(window).contains("total = 14"));
    QVERIFY(!text.isReadOnly());
    Picture(window, "5-stepped");

    // Quick run: the same output again, no stop.
    Stepper none(window, [&](int) { Press(window, Qt::Key_F9); });
    QCOMPARE(window.RunProgram(false), 0);
    QVERIFY(none.Lines.empty());
    QVERIFY(ScreenText(window).contains("total = 14"));
    Picture(window, "6-run");

    // A long loop, cancelled with ESC while it runs.
    text.selectAll();
    QTest::keyClick(&text, Qt::Key_Delete);
    for (const char* line : {"program Long;", "var i, n: longint;", "begin", "  n := 0;",
                             "  for i := 1 to 100000000 do", "    n := (n + i) mod 7;",
                             "  writeln('done ', n)", "end."}) {
        QTest::keyClicks(&text, line);
        QTest::keyClick(&text, Qt::Key_Return);
    }
    editor->Driver().SetOptionB(OptionB::UnlimitedPasses, true);
    bool pictured = false;
    QTimer::singleShot(400, &window, [&] {
        Picture(window, "7-long-run");
        pictured = true;
        QTest::keyClick(&text, Qt::Key_Escape);
    });
    QCOMPARE(window.RunProgram(false), 0);
    QVERIFY(pictured);
    QVERIFY(window.Host().Cancelled());
    QVERIFY(!ScreenText(window).contains("done"));
    QVERIFY(editor->ReportText().isEmpty());
    QVERIFY(!text.isReadOnly());
    Picture(window, "8-cancelled");
    text.document()->setModified(false);
}

void PupilRoadTest::ClosingTheWindowDuringAQuickRunEndsIt()
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
    QTimer::singleShot(300, &window, [&] { window.close(); });
    QCOMPARE(window.RunProgram(false), 0);
    QVERIFY(!window.Host().Running());
    QVERIFY(!editor->IsRunning());
    QTRY_VERIFY(!window.isVisible());
}
