// The main window: checks and their reports, menus, password, placements, opening files.
#include "IdeTests.h"

#include "ide/BreakpointDialog.h"
#include "ide/IdeSupport.h"
#include "ide/TMainForm.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextStream>

namespace {
TEditForm* EditorWith(TMainForm& window, const QString& text)
{
    TEditForm* editor = window.NewEditor(Language::Pascal);
    editor->Text().setPlainText(text);
    editor->Text().document()->setModified(false);
    return editor;
}

QString WriteFile(const QTemporaryDir& folder, const QString& name, const QString& text)
{
    const QString path = folder.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        QTextStream(&file) << text;
    }
    return path;
}
} // namespace

void MainFormTest::init()
{
    folder = new QTemporaryDir;
}

void MainFormTest::cleanup()
{
    delete folder;
    folder = nullptr;
}

void MainFormTest::CheckShowsErrorAtItsLine()
{
    TMainForm window(folder->path());
    window.resize(1000, 700);
    window.show();
    TEditForm* editor =
        EditorWith(window, "program Unfinished;\nbegin\n  writeln('hello);\nend.\n");
    QCOMPARE(window.CheckProgram(), 79);
    QCOMPARE(editor->Text().ErrorLine(), 2);
    QVERIFY(editor->ReportText().startsWith("Error 79 (3:"));
    QCOMPARE(editor->Text().textCursor().blockNumber(), 2);
    // The next check starts from a clean editor.
    editor->Text().setPlainText("program Fine;\nbegin\nend.\n");
    QCOMPARE(window.CheckProgram(), 0);
    QCOMPARE(editor->Text().ErrorLine(), -1);
}

void MainFormTest::CheckOfCorrectProgramShowsSuccess()
{
    TMainForm window(folder->path());
    TEditForm* editor = EditorWith(window, "program Fine;\nbegin\nend.\n");
    QCOMPARE(window.CheckProgram(), 0);
    QVERIFY(editor->Checked());
    QVERIFY(!editor->ReportText().isEmpty());
    QVERIFY(!editor->ReportText().startsWith("Error"));
}

void MainFormTest::MenusCarryTheirShortcuts()
{
    TMainForm window(folder->path());
    const struct
    {
        const char* Text;
        const char* Keys;
    } expected[] = {{"&Nouvel éditeur", "Ctrl+N"},
                    {"&Ouvrir", "Ctrl+O"},
                    {"&Fermer", "Ctrl+F4"},
                    {"&Enregistrer", "Ctrl+S"},
                    {"Imprimer", "Ctrl+P"},
                    {"Chercher", "Ctrl+F"},
                    {"Remplacer", "Ctrl+R"},
                    {"Occurence suivante", "F3"},
                    {"Remplacer cette occurence", "Shift+F3"},
                    {"Vérifier la syntaxe du &projet", "Ctrl+F7"},
                    {"Vérifier la &syntaxe", "Shift+F7"},
                    {"Exéc&uter pas à pas", "Shift+F8"},
                    {"&Exécuter", "Shift+F9"},
                    {"&Compiler", "Ctrl+Shift+F7"},
                    {"Exécuter le code pas à pas", "Ctrl+Shift+F8"},
                    {"Exécuter le code", "Ctrl+Shift+F9"}};
    for (const auto& item : expected) {
        QAction* action = window.ActionNamed(QString::fromUtf8(item.Text));
        QVERIFY2(action != nullptr, item.Text);
        QCOMPARE(action->shortcut(), QKeySequence(item.Keys));
    }
    // Without an editor the program commands do nothing and are disabled.
    QVERIFY(!window.ActionNamed(QString::fromUtf8("Vérifier la &syntaxe"))->isEnabled());
    QCOMPARE(window.CheckProgram(), -1);
}

void MainFormTest::MissingPasswordFileIsCreatedAtStart()
{
    TMainForm window(folder->path());
    window.Start({});
    std::uint32_t digest = 0;
    QVERIFY(ReadDigestFile(folder->filePath("logs/mv_log"), digest));
    QCOMPARE(digest, DefaultPasswordDigest());
}

void MainFormTest::ScenaristLevelNeedsThePassword()
{
    TMainForm window(folder->path());
    window.Start({});
    QVERIFY(!window.OpenScenaristLevel("wrong"));
    QVERIFY(!window.ScenaristLevel());
    QVERIFY(window.ChangePassword("secret"));
    TMainForm restarted(folder->path());
    restarted.Start({});
    QCOMPARE(restarted.StoredDigest(), std::uint32_t{PasswordDigest("secret")});
    QVERIFY(restarted.OpenScenaristLevel("secret"));
    QVERIFY(restarted.ScenaristLevel());
    restarted.LeaveScenaristLevel();
    QVERIFY(!restarted.ScenaristLevel());
}

void MainFormTest::PlacementsSurviveARestart()
{
    {
        TMainForm window(folder->path());
        window.resize(1000, 700);
        window.show();
        TEditForm* editor = EditorWith(window, "program A;\nbegin\nend.\n");
        editor->parentWidget()->setGeometry(10, 20, 300, 200);
        window.StorePlacements(1);
    }
    TMainForm restarted(folder->path());
    const WindowPlacement place = restarted.Placement(1, 1);
    QVERIFY(place.Stored);
    QCOMPARE(place.Left, 10);
    QCOMPARE(place.Top, 20);
    QCOMPARE(place.Width, 300);
    QCOMPARE(place.Height, 200);
    QVERIFY(!restarted.Placement(2, 1).Stored);
}

void MainFormTest::OpenByKindIgnoresScenariosAndOpensSources()
{
    TMainForm window(folder->path());
    const QString source = WriteFile(*folder, "prog.pas", "program Prog;\nbegin\nend.\n");
    window.OpenByKind(WriteFile(*folder, "lesson.mvs", "x"));
    window.OpenByKind(WriteFile(*folder, "env.MVC", "x"));
    QCOMPARE(window.Editors().size(), 0);
    window.OpenByKind(source);
    QCOMPARE(window.Editors().size(), 1);
    QCOMPARE(window.Editors().front()->FilePath(), source);
    // Opening the same file again activates its editor.
    window.OpenByKind(source);
    QCOMPARE(window.Editors().size(), 1);
}

void MainFormTest::CommandLineOpensTheNamedFile()
{
    TMainForm window(folder->path());
    QDir(folder->path()).mkdir("my folder");
    const QString source = WriteFile(*folder, "my folder/c prog.c", "int main() { }\n");
    window.Start({"-c", folder->filePath("my"), "folder/c", "prog.c"});
    QCOMPARE(window.NewFileLanguage(), Language::C);
    QCOMPARE(window.Editors().size(), 1);
    QCOMPARE(window.Editors().front()->FilePath(), source);
    QCOMPARE(window.Editors().front()->GetLanguage(), Language::C);
}

void MainFormTest::GutterClickTogglesBreakpoint()
{
    TMainForm window(folder->path());
    window.resize(1000, 700);
    window.show();
    TEditForm* editor = EditorWith(window, "program A;\nbegin\n  writeln(1);\nend.\n");
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    CodeEditor& text = editor->Text();
    const QRect line = text.cursorRect(QTextCursor(text.document()->findBlockByNumber(2)));
    QWidget* gutter = text.findChild<LineGutter*>();
    QVERIFY(gutter != nullptr);
    const QPoint where(5, line.center().y() + text.contentsRect().top());
    QCOMPARE(text.LineAt(line.center().y()), 2);
    QTest::mouseClick(gutter, Qt::LeftButton, {}, where);
    QVERIFY(editor->Breakpoints().Find(2) != nullptr);
    // Easy breakpoint management (on by default): a second click removes it.
    QTest::mouseClick(gutter, Qt::LeftButton, {}, where);
    QVERIFY(editor->Breakpoints().Find(2) == nullptr);
}

void MainFormTest::ParametersDialogEditsTheSwitchLists()
{
    TMainForm window(folder->path());
    TEditForm* editor =
        EditorWith(window, "program A;\nbegin\n  writeln(1);\n  writeln(2);\nend.\n");
    editor->SetUsageFlags(TMainForm::DefaultUsageFlags & ~512);
    CodeEditor& text = editor->Text();
    emit text.GutterClicked(2, Qt::LeftButton, false);
    emit text.GutterClicked(3, Qt::LeftButton, false);
    QVERIFY(editor->Breakpoints().Find(2) != nullptr && editor->Breakpoints().Find(3) != nullptr);
    emit text.GutterClicked(2, Qt::RightButton, false);
    BreakpointDialog* dialog = editor->OpenDialog();
    QVERIFY(dialog != nullptr);
    QCOMPARE(dialog->windowTitle(), QString("Breakpoint administration NEWFILE_1.pas_3"));
    // While the dialog is open, clicks fill its lists instead of toggling.
    emit text.GutterClicked(3, Qt::LeftButton, false);
    QCOMPARE(dialog->ActivateNames(), QStringList{"NEWFILE_1.pas_4"});
    emit text.GutterClicked(3, Qt::RightButton, false);
    QCOMPARE(dialog->ActivateNames(), QStringList{});
    QCOMPARE(dialog->DeactivateNames(), QStringList{"NEWFILE_1.pas_4"});
    QCOMPARE(editor->Breakpoints().Find(3)->GetStatus(), int(Qbbkpoint::Active));
    // A pass count that is no number is stored as 0.
    for (QLineEdit* field : dialog->findChildren<QLineEdit*>()) {
        if (field->text() == "0") {
            field->setText("many");
        }
    }
    for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text() == "OK") {
            button->click();
        }
    }
    QTRY_VERIFY(editor->OpenDialog() == nullptr);
    const Qbbkpoint* point = editor->Breakpoints().Find(2);
    QCOMPARE(point->ToDeactivate, std::vector<std::string>{"NEWFILE_1.pas_4"});
    QCOMPARE(point->Passes, 0);
    // Reaching it now switches the other one off.
    QVERIFY(editor->Breakpoints().Triggered(
        2, {}, [&](const std::string& name) { return window.FindBreakpoint(name); }));
    QCOMPARE(editor->Breakpoints().Find(3)->GetStatus(), int(Qbbkpoint::Inactive));
}

void MainFormTest::CheckForbidsBreakpointsOutsideStatements()
{
    TMainForm window(folder->path());
    TEditForm* editor = EditorWith(window, "program Calls;\n"
                                           "var total: integer;\n"
                                           "procedure Add(n: integer);\n"
                                           "var twice: integer;\n"
                                           "begin\n"
                                           "  twice := 2 * n;\n"
                                           "  total := total + twice;\n"
                                           "end;\n"
                                           "{ the main part }\n"
                                           "begin\n"
                                           "  total := 0;\n"
                                           "  Add(5);\n"
                                           "end.\n");
    Qbbklist& points = editor->Breakpoints();
    for (int line : {1, 3, 5, 8, 10}) {
        points.Add(editor->EngineName(), line);
    }
    points.Find(10)->SetStatus(Qbbkpoint::Inactive);
    QCOMPARE(window.CheckProgram(), 0);
    QCOMPARE(points.Find(1)->GetStatus(), int(Qbbkpoint::Forbidden)); // a declaration
    QCOMPARE(points.Find(8)->GetStatus(), int(Qbbkpoint::Forbidden)); // a comment between parts
    QCOMPARE(points.Find(5)->GetStatus(), int(Qbbkpoint::Active));    // in the procedure
    QCOMPARE(points.Find(10)->GetStatus(), int(Qbbkpoint::Inactive)); // in the main part
    QVERIFY(!points.Triggered(1, {}, {}));
}

void MainFormTest::CompileLeavesTheEditorWritable()
{
    TMainForm window(folder->path());
    TEditForm* editor = EditorWith(window, "program A;\nbegin\n  writeln(1);\nend.\n");
    window.CompileProgram();
    QVERIFY(!editor->Text().isReadOnly());
    // A program that does not check is not compiled.
    editor->Text().setPlainText("program A;\nbegin\n  writeln('x);\nend.\n");
    QCOMPARE(window.CompileProgram(), 79);
    QVERIFY(!editor->Text().isReadOnly());
    QCOMPARE(editor->Text().ErrorLine(), 2);
    editor->Text().document()->setModified(false);
}
