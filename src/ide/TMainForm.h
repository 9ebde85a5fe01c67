// The main window: the multiple-document frame, its commands and the phases of a run.
#pragma once

#include "frontend/QbSyntaxe.h"
#include "ide/IdeConsole.h"
#include "ide/IdeRunHost.h"
#include "ide/TEditForm.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>

#include <array>
#include <cstdint>
#include <memory>

class QAction;
class QMenu;
class Tecrantext;
class Texecpile;
class Tevalpile;
class TGlobales;
class Qbbkpoint;
class Tvisutas;
class ArrayViewHost;

// Where a child window stands in one mode.
struct WindowPlacement
{
    int Top = 0;
    int Left = 0;
    int Width = 0;
    int Height = 0;
    int State = 0; // 0 normal, 1 minimized, 2 maximized
    bool Stored = false;
};

// The main window owns the views and the run host, and every editor through the document area.
// Commands act on the active editor; each is a thin layer over the editor's driver, in the order
// the driver relies on: check, then (on success) run, with the edition and execution layouts
// around a run. Settings (placements, usage flags, folders) live in an INI file of the user's
// configuration folder.
class TMainForm : public QMainWindow
{
    Q_OBJECT

  public:
    static constexpr int ModeCount = 7;  // 0 edition, 1 execution, 2..6 the user's modes
    static constexpr int KindCount = 10; // window kinds 1..9; 0 is never placed
    static constexpr int DefaultUsageFlags = 870;

    // `configDirectory` holds the settings, the vocabularies and the logs folder; empty: the
    // user's configuration folder (~/.config/movila).
    explicit TMainForm(const QString& configDirectory = QString(), QWidget* parent = nullptr);
    ~TMainForm() override;

    // Start-up once shown: folders, password file, the file named on the command line.
    void Start(const QStringList& arguments);

    // Files.
    TEditForm* NewEditor(Language language);
    // Opens a file by its kind; sources become editors. Shows a message on failure when `tell`.
    void OpenByKind(const QString& path);
    TEditForm* OpenSourceFile(const QString& path, bool tell = true);
    TEditForm* FindEditor(const std::string& engineName) const;
    Qbbkpoint* FindBreakpoint(const std::string& name) const;
    TEditForm* ActiveEditor() const;
    void ActivateEditor(TEditForm& editor);
    QList<TEditForm*> Editors() const;

    // Commands.
    int CheckProgram();              // "Vérifier la syntaxe"; returns the error number
    int RunProgram(bool stepByStep); // "Exécuter pas à pas" / "Exécuter"
    int CompileProgram();            // "Compiler"
    // "Options..." (program): the options dialog over the active editor's driver.
    void EditProgramOptions();
    // Applies options edited in that dialog to the editor's driver; the program must be checked
    // again under them.
    void ApplyProgramOptions(TEditForm& editor, const ProgramOptions& options);

    // Run support for the host.
    bool SeeEvaluationStack() const { return (usageFlags & 4) != 0; }
    void RefreshExecutionViews();
    // A statement (or with `routineEnded` a call) of a run that keeps a heap has ended: the
    // heap view re-lays out what changed when the usage flags ask for it (64 at the end of
    // an instruction, 128 at the end of a procedure).
    void HeapStatementEnded(bool routineEnded);
    void DropPendingKeys();
    IdeRunHost& Host() { return *host; }

    // Teacher level.
    bool ScenaristLevel() const { return scenarist; }
    bool OpenScenaristLevel(const QString& password);
    void LeaveScenaristLevel();
    bool ChangePassword(const QString& password);
    std::uint32_t StoredDigest() const { return passwordDigest; }
    QString LogsFolder() const { return logsFolder; }

    // Window placements.
    void StorePlacements(int mode);
    void ApplyPlacements(int mode);
    WindowPlacement Placement(int mode, int kind) const { return placements[mode][kind]; }
    static int KindOf(QWidget* content);

    Language NewFileLanguage() const { return newFileLanguage; }
    void SetNewFileLanguage(Language language);
    int UsageFlags() const { return usageFlags; }
    Tecrantext& TextScreen() { return *textScreen; }
    Texecpile& ExecutionStack() { return *execStack; }
    Tevalpile& EvaluationStack() { return *evalStack; }
    TGlobales& Globals() { return *globals; }
    Tvisutas& HeapView() { return *heapView; }
    ArrayViewHost& ArrayViews() { return *arrayViews; }
    QMdiArea& Area() { return *area; }
    QAction* ActionNamed(const QString& text) const;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void CreateActions();
    void CreateMenus();
    void CreateViews();
    QMdiSubWindow* AddChild(QWidget* content, bool minimized);
    void UpdateMenus();
    void LoadSettings();
    void SaveSettings();
    void ReadPasswordFile();
    void MarkForbiddenBreakpoints(TEditForm& editor);
    void EnterExecutionMode(TEditForm& editor);
    void LeaveExecutionMode(TEditForm& editor);
    void DefaultPlacements();
    bool SaveEditor(TEditForm& editor, bool askName);
    void OpenDialog();
    void AskScenaristPassword();
    void AskNewPassword();
    void Paste();
    QAction* AddAction(QMenu* menu, const QString& text, const QKeySequence& shortcut,
                       void (TMainForm::*slot)());

    QMdiArea* area;
    std::unique_ptr<IdeRunHost> host;
    std::unique_ptr<IdeConsole> console;
    std::unique_ptr<ArrayViewHost> arrayViews;
    QSettings settings;
    QString configFolder;
    QString logsFolder;
    QString helpFolder;
    QString lastFolder;
    Language newFileLanguage = Language::Pascal;
    int usageFlags = DefaultUsageFlags;
    int visibilityFlags = 2 | 4 | 8 | 16 | 32 | 64 | 128;
    bool scenarist = false;
    bool machineRunning = false;
    bool closeAfterRun = false;
    std::uint32_t passwordDigest = 0;
    int editorCounter = 0;
    std::array<std::array<WindowPlacement, KindCount>, ModeCount> placements{};

    Tecrantext* textScreen = nullptr;
    Texecpile* execStack = nullptr;
    Tevalpile* evalStack = nullptr;
    TGlobales* globals = nullptr;
    Tvisutas* heapView = nullptr;

    QMenu* scenaristMenu = nullptr;
    QList<QAction*> editorActions;  // need an active editor
    QList<QAction*> runActions;     // refused while a program runs
    QList<QAction*> teacherActions; // enabled only at the teacher level
    QAction* newAction = nullptr;
};
