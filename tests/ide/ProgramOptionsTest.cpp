// The program options dialog: what it shows, what it gives back, and its effect on a run.
#include "RunViewsTests.h"

#include "ide/ProgramOptionsDialog.h"
#include "ide/TMainForm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {
void ClickButton(QWidget& dialog, const QString& caption)
{
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        if (button->text() == caption) {
            button->click();
        }
    }
}

// Fills the modal options dialog once it shows, then presses `button`.
void WhenDialogShows(QObject* context, std::function<void(QDialog&)> fill, const QString& button)
{
    QTimer::singleShot(50, context, [fill, button] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        fill(*dialog);
        ClickButton(*dialog, button);
    });
}
} // namespace

void ProgramOptionsTest::init()
{
    folder = new QTemporaryDir;
}

void ProgramOptionsTest::cleanup()
{
    delete folder;
    folder = nullptr;
}

void ProgramOptionsTest::DialogGivesBackWhatItShows()
{
    // Every option the dialog has a control for is set away from its default.
    ProgramOptions options;
    options.A = ~OptionA::Defaults & 0x7FF;
    options.B = ~OptionB::Defaults & 0x3F7F;
    options.C = ~OptionC::Defaults & 0xF;
    options.MaxNesting = 3;
    options.MaxStack = 250;
    options.MaxPasses = 2500;
    options.RealDigits = 12;
    options.CodeGrouping = 2;
    options.KeyboardPrefix = "LIRE";
    options.ScreenPrefix = "\xC9"
                           "CRIRE"; // with an accented capital
    options.SpecialLetters = "\xE9\xE8";
    options.ReplaceBy = "ee";
    ProgramOptionsDialog dialog(options);
    if (const QString pictures = qEnvironmentVariable("MOVILA_SCREENSHOTS"); !pictures.isEmpty()) {
        dialog.show();
        dialog.grab().save(pictures + "/options.png");
    }
    const ProgramOptions shown = dialog.Edited();
    QCOMPARE(shown.A, options.A);
    QCOMPARE(shown.B, options.B);
    QCOMPARE(shown.C, options.C);
    QCOMPARE(shown.MaxNesting, 3);
    QCOMPARE(shown.MaxStack, 250);
    QCOMPARE(shown.MaxPasses, 2500);
    QCOMPARE(shown.RealDigits, 12);
    QCOMPARE(shown.CodeGrouping, 2);
    QCOMPARE(shown.KeyboardPrefix, options.KeyboardPrefix);
    QCOMPARE(shown.ScreenPrefix, options.ScreenPrefix);
    QCOMPARE(dialog.findChild<QLineEdit*>("edecrit")->text(), QString("ÉCRIRE"));
    QCOMPARE(shown.SpecialLetters, options.SpecialLetters);
    // Each box is one bit of one word, under the name an option file keeps it by.
    const struct
    {
        const char* Name;
        int Word;
        std::uint32_t Bit;
    } boxes[] = {{"norecurs", 0, OptionA::ForbidRecursion},
                 {"cbcrt", 0, OptionA::AutoCrt},
                 {"nolabels", 1, OptionB::ForbidLabels},
                 {"cbinfini", 1, OptionB::UnlimitedPasses},
                 {"cbsamerand", 1, OptionB::SameRandomSeries},
                 {"verifbornes", 2, OptionC::CheckOrdinalLimits},
                 {"noptrarrow", 2, OptionC::ForbidNonSimplePointers}};
    for (const auto& box : boxes) {
        QCheckBox* control = dialog.findChild<QCheckBox*>(box.Name);
        QVERIFY2(control != nullptr, box.Name);
        control->setChecked(!control->isChecked());
        const ProgramOptions edited = dialog.Edited();
        const std::uint32_t words[] = {edited.A ^ options.A, edited.B ^ options.B,
                                       edited.C ^ options.C};
        for (int word = 0; word < 3; ++word) {
            QCOMPARE(words[word], word == box.Word ? box.Bit : 0u);
        }
        control->setChecked(!control->isChecked());
    }
}

void ProgramOptionsTest::OptionsFromTheMenuApplyToTheActiveProgram()
{
    TMainForm window(folder->path());
    window.resize(1000, 700);
    window.show();
    TEditForm* editor = window.NewEditor(Language::Pascal);
    editor->Text().setPlainText("program Deep;\n"
                                "var n: integer;\n"
                                "procedure Down(k: integer);\n"
                                "begin\n"
                                "  if k > 0 then Down(k - 1);\n"
                                "end;\n"
                                "begin\n"
                                "  for n := 1 to 150 do Down(1);\n"
                                "end.\n");
    editor->Text().document()->setModified(false);
    QAction* options = window.ActionNamed("Options...");
    QVERIFY(options != nullptr && options->isEnabled());
    QCOMPARE(options->shortcut(), QKeySequence("Ctrl+F2"));
    QCOMPARE(window.RunProgram(false), 239); // 150 passes: above the default limit of 100

    // Cancel changes nothing.
    WhenDialogShows(
        &window,
        [](QDialog& dialog) { dialog.findChild<QCheckBox*>("cbinfini")->setChecked(true); },
        "Cancel");
    options->trigger();
    QVERIFY(!editor->Driver().OptionB(OptionB::UnlimitedPasses));

    WhenDialogShows(
        &window, [](QDialog& dialog) { dialog.findChild<QSpinBox*>("udmaxit")->setValue(200); },
        "OK");
    options->trigger();
    QCOMPARE(editor->Driver().GetOptions().MaxPasses, 200);
    QCOMPARE(window.RunProgram(false), 0);

    WhenDialogShows(
        &window,
        [](QDialog& dialog) { dialog.findChild<QCheckBox*>("norecurs")->setChecked(true); }, "OK");
    options->trigger();
    QCOMPARE(window.RunProgram(false), 211); // a routine calling itself
    QCOMPARE(editor->Text().ErrorLine(), 4);
}
