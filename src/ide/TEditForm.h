// The editor window: one source file, its breakpoints and the driver that checks and runs it.
#pragma once

#include "frontend/QbSyntaxe.h"
#include "ide/BreakpointDialog.h"
#include "ide/CodeEditor.h"
#include "ide/Qbbkpoint.h"
#include "lexical/SourceText.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>

class ConsoleHost;
class RunHost;

// Where an editor's driver finds its files; the main window hands it to every new editor.
struct EditorSettings
{
    std::string ConfigDirectory;
    std::string ApplicationDirectory;
    bool ScenaristLevel = false;
    int UsageFlags = 870;
    ConsoleHost* Console = nullptr; // the programs' console; may be null
};

// An editor window holds one file (a notebook of one page) and owns the driver of that file, which
// lives as long as the window. The window answers the driver's lexer for its own text (an open
// file is read from the editor, not from disk) and shows the reports of checks and runs. The run
// host is borrowed from the main window, which outlives every editor.
class TEditForm : public QWidget, public SourceText
{
    Q_OBJECT

  public:
    // Files of this size or more are refused ("File too large").
    static constexpr qint64 MaxFileSize = 65499;

    TEditForm(Language language, int number, const EditorSettings& settings, RunHost& host,
              QWidget* parent = nullptr);
    ~TEditForm() override;

    // Reads a file into the editor; false with the reason in `failure`.
    bool LoadFile(const QString& path, QString& failure);
    bool SaveFile(const QString& path);
    QString FilePath() const { return filePath; }
    bool IsUnnamed() const { return filePath.isEmpty(); }
    // The name the driver opens: the file's path, or "NEWFILE_<n>" and the language's extension.
    std::string EngineName() const;
    bool IsNamed(const std::string& name) const;
    QString Caption() const;

    CodeEditor& Text() { return *text; }
    QbSyntaxe& Driver() { return *driver; }
    Qbbklist& Breakpoints() { return breakpoints; }
    Language GetLanguage() const { return language; }
    void SetUsageFlags(int flags) { usageFlags = flags; }

    // Runs the driver once; the vocabulary follows the file's extension.
    int RunDriver(int mode);

    void ShowReport(int number, const QString& message, int line, int column);
    // The report of a breakpoint condition that could not be evaluated: it names the breakpoint
    // and the 0-based column in the condition, and marks the breakpoint's line.
    void ShowConditionReport(int number, const QString& message, const std::string& pointName,
                             int column);
    void ClearErrorMarks();
    void ShowStepLine(int line);
    bool Checked() const { return checked; }
    void SetChecked(bool on) { checked = on; }
    void SetRunning(bool on);
    bool IsRunning() const { return running; }
    QString ReportText() const { return report->text(); }
    // Opens the parameters dialog of the breakpoint on `line` (a dialog already open is first
    // validated and closed); null when there is no breakpoint there.
    BreakpointDialog* OpenBreakpointParameters(int line);
    BreakpointDialog* OpenDialog() const { return dialog; }

    // SourceText: the engine reads this window's text as Windows-1252.
    bool PageText(const std::string& name, std::string& pageText) override;
    std::string CurrentPageName() override;

  signals:
    // The pupil tried to edit while the program runs and chose to quit execution mode.
    void QuitExecutionRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void OnGutterClick(int line, Qt::MouseButton button, bool doubleClick);
    void OnGutterClickWithDialog(int line, Qt::MouseButton button, bool doubleClick, bool easy);
    void OnContentsChange(int position, int removed, int added);

    Language language;
    int number;
    int usageFlags;
    QString filePath;
    CodeEditor* text;
    QLabel* report;
    std::unique_ptr<QbSyntaxe> driver;
    Qbbklist breakpoints;
    QPointer<BreakpointDialog> dialog; // at most one; owned by this window
    int lineCount = 1;
    bool checked = false;
    bool running = false;
};
