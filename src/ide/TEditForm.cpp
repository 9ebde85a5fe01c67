// The editor window: file reading and writing, the driver's pages, reports and breakpoints.
#include "ide/TEditForm.h"

#include "ide/BreakpointDialog.h"

#include "frontend/QbCSyntaxe.h"
#include "frontend/QbPascalSyntaxe.h"
#include "lexical/QbDico.h"
#include "lexical/TextEncoding.h"

#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QSaveFile>
#include <QTextBlock>
#include <QToolTip>
#include <QVBoxLayout>

namespace {
std::string Upper(std::string text)
{
    for (char& ch : text) {
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    return text;
}
} // namespace

TEditForm::TEditForm(Language lang, int editorNumber, const EditorSettings& settings, RunHost& host,
                     QWidget* parent)
    : QWidget(parent), language(lang), number(editorNumber), usageFlags(settings.UsageFlags),
      text(new CodeEditor(this)), report(new QLabel(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(text);
    layout->addWidget(report);
    report->setMargin(3);
    report->setAutoFillBackground(true);
    report->hide();
    text->SetBreakpoints(&breakpoints);
    text->installEventFilter(this);
    text->viewport()->installEventFilter(this);
    connect(text, &CodeEditor::GutterClicked, this, &TEditForm::OnGutterClick);
    connect(text->document(), &QTextDocument::contentsChange, this, &TEditForm::OnContentsChange);
    connect(text->document(), &QTextDocument::modificationChanged, this,
            [this] { setWindowTitle(Caption()); });

    DriverEnvironment environment;
    environment.ConfigDirectory = settings.ConfigDirectory;
    environment.ApplicationDirectory = settings.ApplicationDirectory;
    environment.ScenaristLevel = settings.ScenaristLevel;
    environment.HasMainWindow = true;
    environment.Pages = this;
    environment.Host = &host;
    environment.Console = settings.Console;
    if (language == Language::C) {
        driver = std::make_unique<QbCSyntaxe>(environment);
    } else {
        driver = std::make_unique<QbPascalSyntaxe>(environment);
    }
    setWindowTitle(Caption());
}

TEditForm::~TEditForm() = default;

bool TEditForm::LoadFile(const QString& path, QString& failure)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        failure = file.errorString();
        return false;
    }
    if (file.size() >= MaxFileSize) {
        failure = "File too large";
        return false;
    }
    const QByteArray bytes = file.readAll();
    const std::string engineText =
        TextEncoding::DecodeFileText(std::string_view(bytes.constData(), bytes.size()));
    text->setPlainText(QString::fromStdString(TextEncoding::Windows1252ToUtf8(engineText)));
    text->document()->setModified(false);
    filePath = QFileInfo(path).absoluteFilePath();
    breakpoints.Purge(true);
    lineCount = text->blockCount();
    checked = false;
    setWindowTitle(Caption());
    return true;
}

bool TEditForm::SaveFile(const QString& path)
{
    // Files are written in the engine's own single-byte encoding, as they are read back.
    const std::string bytes = TextEncoding::Utf8ToWindows1252(text->toPlainText().toStdString());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !file.commit()) {
        QMessageBox::warning(this, "Saving file", "Unable to write the file");
        return false;
    }
    filePath = QFileInfo(path).absoluteFilePath();
    text->document()->setModified(false);
    setWindowTitle(Caption());
    return true;
}

std::string TEditForm::EngineName() const
{
    if (!filePath.isEmpty()) {
        return filePath.toStdString();
    }
    return "NEWFILE_" + std::to_string(number) + (language == Language::C ? ".c" : ".pas");
}

bool TEditForm::IsNamed(const std::string& name) const
{
    if (name.empty()) {
        return false;
    }
    const std::string own = EngineName();
    if (Upper(name) == Upper(own)) {
        return true;
    }
    // The lexer may name the page by its bare file name.
    const std::size_t slash = own.find_last_of('/');
    return name.find('/') == std::string::npos && slash != std::string::npos &&
           Upper(name) == Upper(own.substr(slash + 1));
}

QString TEditForm::Caption() const
{
    const QString path = QString::fromStdString(EngineName());
    const QString caption = "Editor <PROJECT_" + QString::number(number) + ">[" + path + "]";
    const QString modified = text->document()->isModified() ? " *" : "";
    if (width() > 0 && fontMetrics().horizontalAdvance(caption) > width() - 60) {
        return "Editor [" + QFileInfo(path).fileName() + "]" + modified;
    }
    return caption + modified;
}

int TEditForm::RunDriver(int mode)
{
    QbDico& dictionary = *driver->Dictionary;
    std::uint8_t vocabulary = dictionary.VocabularyOfFile(EngineName());
    if (vocabulary == QbDico::NoVocabulary) {
        vocabulary = 0;
    }
    dictionary.SelectVocabulary(vocabulary);
    return driver->Run("+" + EngineName(), mode);
}

void TEditForm::ShowReport(int errorNumber, const QString& message, int line, int column)
{
    QPalette colours = report->palette();
    if (errorNumber != 0) {
        report->setText(QString("Error %1 (%2:%3): %4")
                            .arg(errorNumber)
                            .arg(line + 1)
                            .arg(column + 1)
                            .arg(message));
        colours.setColor(QPalette::Window, QColor(255, 200, 200));
        text->SetErrorLine(line, column);
    } else {
        report->setText(message);
        colours.setColor(QPalette::Window, QColor(200, 240, 200));
    }
    report->setPalette(colours);
    report->show();
}

void TEditForm::ShowConditionReport(int errorNumber, const QString& message,
                                    const std::string& pointName, int column)
{
    const QString name = QString::fromStdString(pointName);
    report->setText(QString("Error %1 (condition of breakpoint %2, column %3): %4")
                        .arg(errorNumber)
                        .arg(name)
                        .arg(column + 1)
                        .arg(message));
    QPalette colours = report->palette();
    colours.setColor(QPalette::Window, QColor(255, 200, 200));
    report->setPalette(colours);
    report->show();
    for (const auto& point : breakpoints.Points()) {
        if (point->Name == pointName) {
            text->SetErrorLine(point->Line, 0);
        }
    }
}

void TEditForm::ClearErrorMarks()
{
    report->clear();
    report->hide();
    text->ClearMarks();
}

void TEditForm::ShowStepLine(int line)
{
    text->SetStepLine(line);
}

void TEditForm::SetRunning(bool on)
{
    running = on;
    text->setReadOnly(on);
    if (!on) {
        text->RedrawGutter();
    }
}

bool TEditForm::PageText(const std::string& name, std::string& pageText)
{
    if (!IsNamed(name)) {
        return false;
    }
    pageText = TextEncoding::Utf8ToWindows1252(text->toPlainText().toStdString());
    return true;
}

std::string TEditForm::CurrentPageName()
{
    return EngineName();
}

bool TEditForm::eventFilter(QObject* watched, QEvent* event)
{
    if (running && event->type() == QEvent::KeyPress &&
        (watched == text || watched == text->viewport())) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool edits = (!key->text().isEmpty() && key->text()[0].isPrint()) ||
                           key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete ||
                           key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (edits && (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0) {
            if (QMessageBox::question(this, "Execution of program",
                                      "Do you want to quit execution mode ?") == QMessageBox::Yes) {
                emit QuitExecutionRequested();
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TEditForm::closeEvent(QCloseEvent* event)
{
    // The driver is on the call stack while its program runs: the window waits for the run to
    // end (the pupil is asked to leave execution mode first).
    if (dialog != nullptr) {
        QMessageBox::warning(this, "Closing file",
                             "Unable to close a file when breakpoint window is opened");
        event->ignore();
        return;
    }
    if (running) {
        if (QMessageBox::question(this, "Execution of program",
                                  "Do you want to quit execution mode ?") == QMessageBox::Yes) {
            emit QuitExecutionRequested();
        }
        event->ignore();
        return;
    }
    // The pupil's text is never dropped without asking.
    if (text->document()->isModified()) {
        const auto answer = QMessageBox::question(
            this, "Closing file",
            "Save the changes to " + QString::fromStdString(EngineName()) + " ?",
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel) {
            event->ignore();
            return;
        }
        if (answer == QMessageBox::Yes) {
            QString path = filePath;
            if (path.isEmpty()) {
                path = QFileDialog::getSaveFileName(this, "En&registrer sous...", QString(),
                                                    language == Language::C
                                                        ? "C program (*.c *.h)"
                                                        : "Pascal program (*.pas *.pp)");
            }
            if (path.isEmpty() || !SaveFile(path)) {
                event->ignore();
                return;
            }
        }
    }
    breakpoints.Purge(true);
    event->accept();
}

BreakpointDialog* TEditForm::OpenBreakpointParameters(int line)
{
    const Qbbkpoint* point = breakpoints.Find(line);
    if (point == nullptr) {
        return nullptr;
    }
    if (dialog != nullptr) {
        dialog->accept();
        dialog->close();
    }
    dialog = new BreakpointDialog(
        *point, [this](const std::string& name) { return breakpoints.FindNamed(name); }, this);
    dialog->setWindowFlag(Qt::Window);
    connect(dialog, &BreakpointDialog::Stored, text, &CodeEditor::RedrawGutter);
    connect(dialog, &BreakpointDialog::RemoveRequested, this, [this](const std::string& name) {
        if (Qbbkpoint* removed = breakpoints.FindNamed(name)) {
            removed->SetStatus(Qbbkpoint::Dying);
        }
        breakpoints.Purge(false);
        text->RedrawGutter();
    });
    dialog->show();
    return dialog;
}

void TEditForm::OnGutterClickWithDialog(int line, Qt::MouseButton button, bool doubleClick,
                                        bool easy)
{
    const Qbbkpoint* point = breakpoints.Find(line);
    if (point == nullptr) {
        return;
    }
    if (doubleClick) {
        if (!easy) {
            dialog->Forget(point->Name);
        }
    } else if (button == Qt::LeftButton) {
        dialog->AddToActivate(point->Name);
    } else if (button == Qt::RightButton && !easy) {
        dialog->AddToDeactivate(point->Name);
    }
}

void TEditForm::OnGutterClick(int line, Qt::MouseButton button, bool doubleClick)
{
    const bool easy = (usageFlags & 512) != 0;
    if (dialog != nullptr) {
        OnGutterClickWithDialog(line, button, doubleClick, easy);
        return;
    }
    const std::string name = EngineName();
    if (easy) {
        if (button != Qt::LeftButton || doubleClick) {
            return;
        }
        if (breakpoints.Find(line) != nullptr) {
            breakpoints.MarkDying(line);
            breakpoints.Purge(false);
        } else {
            breakpoints.Add(name, line);
        }
    } else if (button == Qt::LeftButton && doubleClick) {
        breakpoints.MarkDying(line);
    } else if (button == Qt::LeftButton) {
        breakpoints.Toggle(name, line);
        if (const Qbbkpoint* point = breakpoints.Find(line)) {
            QToolTip::showText(QCursor::pos(), QString::fromStdString(point->Hint()), text);
        }
    } else if (button == Qt::RightButton) {
        OpenBreakpointParameters(line);
    }
    text->RedrawGutter();
}

void TEditForm::OnContentsChange(int position, int, int added)
{
    const int count = text->blockCount();
    QTextDocument& document = *text->document();
    // The lines a change added are the line breaks in its new text; the lines it removed are
    // what the count lacks beyond that. A replacement that spans lines does both: the removal
    // first, where it happened, then the insertion.
    int addedLines = 0;
    if (added > 0) {
        for (QTextBlock block = document.findBlock(position);
             block.isValid() && block.position() + block.length() <= position + added;
             block = block.next()) {
            ++addedLines;
        }
    }
    const int removedLines = lineCount + addedLines - count;
    lineCount = count;
    if (addedLines == 0 && removedLines == 0) {
        return;
    }
    const QTextBlock block = document.findBlock(position);
    const int at = block.isValid() ? block.blockNumber() : 0;
    // A change that starts at the beginning of a line moves that line itself.
    const bool atLineStart = block.isValid() && block.position() == position;
    const int first = atLineStart ? at : at + 1;
    // An open parameters dialog keeps the names it edits: each renaming reaches it in turn.
    for (int i = 0; i < removedLines; ++i) {
        const Qbbklist::Renaming renaming = breakpoints.LineDeleted(first);
        if (dialog != nullptr && !renaming.empty()) {
            dialog->Renamed(renaming);
        }
    }
    for (int i = 0; i < addedLines; ++i) {
        const Qbbklist::Renaming renaming = breakpoints.LineInserted(first);
        if (dialog != nullptr && !renaming.empty()) {
            dialog->Renamed(renaming);
        }
    }
    text->RedrawGutter();
}
