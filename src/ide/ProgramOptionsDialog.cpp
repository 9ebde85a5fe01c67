// The program options dialog.
#include "ide/ProgramOptionsDialog.h"

#include "lexical/TextEncoding.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {
std::uint32_t& WordOf(ProgramOptions& options, int word)
{
    return word == 0 ? options.A : word == 1 ? options.B : options.C;
}

std::uint32_t WordOf(const ProgramOptions& options, int word)
{
    return word == 0 ? options.A : word == 1 ? options.B : options.C;
}

// Short strings of the engine: at most 255 single-byte characters.
std::string EngineText(const QLineEdit* edit)
{
    return TextEncoding::Utf8ToWindows1252(edit->text().toStdString()).substr(0, 255);
}
} // namespace

ProgramOptionsDialog::ProgramOptionsDialog(const ProgramOptions& options, QWidget* parent)
    : QDialog(parent), original(options)
{
    setWindowTitle("Program options");
    auto* pages = new QTabWidget;
    pages->addTab(InterpreterPage(options), "Interpreter");
    pages->addTab(ExtensionsPage(options), "Extensions");
    pages->addTab(InstructionsPage(options), "Instructions");
    pages->addTab(CompilerPage(options), "Compiler");
    auto* buttons = new QDialogButtonBox;
    buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages);
    layout->addWidget(buttons);
}

QCheckBox* ProgramOptionsDialog::AddBit(const char* name, const QString& caption, int word,
                                        std::uint32_t bit, const ProgramOptions& options)
{
    auto* box = new QCheckBox(caption);
    box->setObjectName(name);
    box->setChecked((WordOf(options, word) & bit) != 0);
    bits.push_back({box, word, bit});
    return box;
}

QSpinBox* ProgramOptionsDialog::Counter(const char* name, int minimum, int maximum, int step,
                                        int value)
{
    auto* counter = new QSpinBox;
    counter->setObjectName(name);
    counter->setRange(minimum, maximum);
    counter->setSingleStep(step);
    counter->setValue(value);
    return counter;
}

QLineEdit* ProgramOptionsDialog::Edit(const char* name, const std::string& engineText)
{
    auto* edit = new QLineEdit(QString::fromStdString(TextEncoding::Windows1252ToUtf8(engineText)));
    edit->setObjectName(name);
    edit->setMaxLength(255);
    return edit;
}

QWidget* ProgramOptionsDialog::InterpreterPage(const ProgramOptions& options)
{
    auto* page = new QWidget;
    page->setObjectName("tsInterp");
    auto* limits = new QFormLayout;
    nesting = Counter("Udimbriq", 1, 9, 1, options.MaxNesting);
    stackMaximum = Counter("Uddanspile", 1, 600, 1, options.MaxStack);
    limits->addRow("Maximal number of imbrications", nesting);
    limits->addRow("Maximal number of routines in the execution stack", stackMaximum);

    auto* forbid = new QGroupBox("Forbid");
    auto* forbidLayout = new QVBoxLayout(forbid);
    forbidLayout->addWidget(
        AddBit("absolu", "absolute address", 0, OptionA::ForbidAbsolute, options));
    forbidLayout->addWidget(AddBit("inclus", "file inclusion", 0, OptionA::ForbidInclude, options));
    forbidLayout->addWidget(
        AddBit("manipseg", "segment manipulation", 0, OptionA::ForbidSegments, options));
    forbidLayout->addWidget(AddBit("norecurs", "recursion", 0, OptionA::ForbidRecursion, options));
    forbidLayout->addWidget(AddBit("accvarint", "access to intermediary variables", 0,
                                   OptionA::ForbidIntermediate, options));
    forbidLayout->addWidget(
        AddBit("accvarglob", "access to global variables", 0, OptionA::ForbidGlobal, options));
    forbidLayout->addWidget(AddBit("cbidreserv", "reserved words as identifiers", 0,
                                   OptionA::ForbidReservedAsIdentifier, options));
    forbidLayout->addWidget(AddBit("nolabels", "labels", 1, OptionB::ForbidLabels, options));
    forbidLayout->addWidget(
        AddBit("cbptrinv", "invalid pointers", 1, OptionB::ForbidInvalidPointers, options));
    forbidLayout->addWidget(
        AddBit("notranstyp", "transtyping", 2, OptionC::ForbidTypeCasts, options));
    forbidLayout->addWidget(
        AddBit("notypproc", "procedural types", 2, OptionC::ForbidProceduralTypes, options));
    forbidLayout->addWidget(AddBit("noptrarrow", "non simple pointers(record)", 2,
                                   OptionC::ForbidNonSimplePointers, options));

    auto* automatic = new QGroupBox("Automatic inclusion");
    auto* automaticLayout = new QVBoxLayout(automatic);
    automaticLayout->addWidget(AddBit("cbcrt", "Crt", 0, OptionA::AutoCrt, options));
    automaticLayout->addWidget(AddBit("cbgraph", "Graph", 0, OptionA::AutoGraph, options));

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(limits);
    layout->addWidget(forbid);
    layout->addWidget(automatic);
    layout->addStretch();
    return page;
}

QWidget* ProgramOptionsDialog::ExtensionsPage(const ProgramOptions& options)
{
    auto* page = new QWidget;
    page->setObjectName("tsExtens");
    specialLetters = Edit("edaccent", options.SpecialLetters);
    replaceBy = Edit("edaccremp", options.ReplaceBy);
    keyboardPrefix = Edit("edlect", options.KeyboardPrefix);
    screenPrefix = Edit("edecrit", options.ScreenPrefix);
    auto* form = new QFormLayout;
    form->addRow("Special letters", specialLetters);
    form->addRow(AddBit("desaccent", "Replace by", 0, OptionA::ReplaceAccents, options), replaceBy);
    form->addRow(AddBit("cbclavier", "Limit keyboard reading instructions only to", 1,
                        OptionB::LimitKeyboard, options),
                 keyboardPrefix);
    form->addRow(AddBit("cbecran", "Limit screen writing instructions only to", 1,
                        OptionB::LimitScreen, options),
                 screenPrefix);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addWidget(AddBit("cbvarinit", "Initialize variables at creation", 1,
                             OptionB::InitializeVariables, options));
    layout->addWidget(AddBit("cbprmpub", "Repeat parameters of public procedures", 0,
                             OptionA::RepeatPublicParameters, options));
    layout->addStretch();
    return page;
}

QWidget* ProgramOptionsDialog::InstructionsPage(const ProgramOptions& options)
{
    auto* page = new QWidget;
    page->setObjectName("tsInstruc");
    passes = Counter("udmaxit", 100, 30000, 100, options.MaxPasses);
    digits = Counter("udrprec", 5, 14, 1, options.RealDigits);
    auto* form = new QFormLayout;
    form->addRow("Maximal number of passages in an iteration", passes);
    form->addRow("", AddBit("cbinfini", "unlimited", 1, OptionB::UnlimitedPasses, options));
    form->addRow("Digits compared in reals", digits);
    form->addRow("", AddBit("cbrprec", "on all digits", 1, OptionB::RealsOnAllDigits, options));
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addWidget(AddBit("verifbornes", "Verify limits of ordinal types", 2,
                             OptionC::CheckOrdinalLimits, options));
    layout->addWidget(AddBit("cbsamerand", "Generate same series of random numbers", 1,
                             OptionB::SameRandomSeries, options));
    layout->addStretch();
    return page;
}

QWidget* ProgramOptionsDialog::CompilerPage(const ProgramOptions& options)
{
    auto* page = new QWidget;
    page->setObjectName("tsCompil");
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(
        AddBit("cbgenline", "Generate line instructions", 1, OptionB::LineInstructions, options));
    layout->addWidget(AddBit("cbgenminea", "Minimize effective addresses", 1,
                             OptionB::MinimizeAddresses, options));
    layout->addWidget(
        AddBit("cbgenarith", "Optimize integer arithmetic", 1, OptionB::OptimizeIntegers, options));
    layout->addWidget(AddBit("cbgennolab", "Remove labels", 1, OptionB::RemoveLabels, options));
    layout->addWidget(
        AddBit("cbcodeopt", "Send optimized code", 1, OptionB::SendOptimizedCode, options));
    auto* group = new QGroupBox("Group codes");
    group->setObjectName("rggroupcode");
    auto* groupLayout = new QVBoxLayout(group);
    grouping = new QButtonGroup(this);
    const char* const captions[] = {"by 1", "by 2", "by 4"};
    for (int i = 0; i < 3; ++i) {
        auto* choice = new QRadioButton(captions[i]);
        choice->setObjectName(QString("rbgroup%1").arg(i));
        choice->setChecked(options.CodeGrouping == i);
        grouping->addButton(choice, i);
        groupLayout->addWidget(choice);
    }
    layout->addWidget(group);
    layout->addStretch();
    return page;
}

ProgramOptions ProgramOptionsDialog::Edited() const
{
    ProgramOptions options = original;
    for (const BitBox& each : bits) {
        std::uint32_t& word = WordOf(options, each.Word);
        word = each.Box->isChecked() ? (word | each.Bit) : (word & ~each.Bit);
    }
    options.MaxNesting = nesting->value();
    options.MaxStack = stackMaximum->value();
    options.MaxPasses = passes->value();
    options.RealDigits = digits->value();
    options.SpecialLetters = EngineText(specialLetters);
    options.ReplaceBy = EngineText(replaceBy);
    options.KeyboardPrefix = EngineText(keyboardPrefix);
    options.ScreenPrefix = EngineText(screenPrefix);
    options.CodeGrouping = std::max(0, grouping->checkedId());
    return options;
}
