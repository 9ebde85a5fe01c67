// The main window: construction, menus, files, settings and the teacher level.
#include "ide/TMainForm.h"

#include "ide/ArrayViews.h"
#include "ide/ExecutionViews.h"
#include "ide/HeapView.h"
#include "ide/IdeSupport.h"
#include "ide/Tecrantext.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTextStream>
#include <QToolBar>

namespace {
QString DefaultConfigFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/movila";
}

QString SourceFilter(Language language)
{
    return language == Language::C ? "C program (*.c *.h)" : "Pascal program (*.pas *.pp)";
}
} // namespace

TMainForm::TMainForm(const QString& configDirectory, QWidget* parent)
    : QMainWindow(parent), area(new QMdiArea(this)), host(std::make_unique<IdeRunHost>(*this)),
      settings((configDirectory.isEmpty() ? DefaultConfigFolder() : configDirectory) +
                   "/movila.ini",
               QSettings::IniFormat),
      configFolder(configDirectory.isEmpty() ? DefaultConfigFolder() : configDirectory)
{
    setWindowTitle("Movila 0.411");
    logsFolder = configFolder + "/logs";
    helpFolder = configFolder + "/aide";
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(area);
    CreateActions();
    CreateViews();
    arrayViews = std::make_unique<ArrayViewHost>(*area);
    console = std::make_unique<IdeConsole>(*textScreen, *host);
    host->SetKeyboardSink(textScreen);
    LoadSettings();
    statusBar()->showMessage("Movila 0.411");
    connect(area, &QMdiArea::subWindowActivated, this, [this] { UpdateMenus(); });
    setAcceptDrops(true);
    SetNewFileLanguage(newFileLanguage);
    UpdateMenus();
}

TMainForm::~TMainForm()
{
    // Editors go first: their drivers borrow the run host and the console. They are deleted,
    // not closed: nothing is asked of the user once the window is gone.
    for (QMdiSubWindow* window : area->subWindowList()) {
        delete window;
    }
}

QAction* TMainForm::AddAction(QMenu* menu, const QString& text, const QKeySequence& shortcut,
                              void (TMainForm::*slot)())
{
    QAction* action = menu->addAction(text);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
    }
    if (slot != nullptr) {
        connect(action, &QAction::triggered, this, slot);
    } else {
        action->setEnabled(false);
    }
    return action;
}

QAction* TMainForm::ActionNamed(const QString& text) const
{
    for (QAction* action : findChildren<QAction*>()) {
        if (action->text() == text) {
            return action;
        }
    }
    return nullptr;
}

void TMainForm::CreateActions()
{
    QMenu* file = menuBar()->addMenu("&Fichier");
    newAction = file->addAction("&Nouvel éditeur");
    newAction->setShortcut(QKeySequence("Ctrl+N"));
    connect(newAction, &QAction::triggered, this, [this] { NewEditor(newFileLanguage); });
    AddAction(file, "&Ouvrir", QKeySequence("Ctrl+O"), &TMainForm::OpenDialog);
    QAction* close = file->addAction("&Fermer");
    close->setShortcut(QKeySequence("Ctrl+F4"));
    connect(close, &QAction::triggered, this, [this] { area->closeActiveSubWindow(); });
    QAction* save = file->addAction("&Enregistrer");
    save->setShortcut(QKeySequence("Ctrl+S"));
    connect(save, &QAction::triggered, this, [this] {
        if (TEditForm* editor = ActiveEditor()) {
            SaveEditor(*editor, false);
        }
    });
    QAction* saveAs = file->addAction("En&registrer sous...");
    connect(saveAs, &QAction::triggered, this, [this] {
        if (TEditForm* editor = ActiveEditor()) {
            SaveEditor(*editor, true);
        }
    });
    QAction* saveProject = file->addAction("Enregistrer le &projet sous...");
    connect(saveProject, &QAction::triggered, this, [this] {
        TEditForm* editor = ActiveEditor();
        if (editor == nullptr || editor->IsUnnamed()) {
            return;
        }
        const QString name = QFileDialog::getSaveFileName(this, "Enregistrer le projet sous...",
                                                          lastFolder, "Project file (*.mvp)");
        if (name.isEmpty()) {
            return;
        }
        QFile project(name);
        if (!project.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
            QMessageBox::warning(this, "Saving file", "Unable to write the file");
            return;
        }
        const QTextCursor cursor = editor->Text().textCursor();
        QTextStream out(&project);
        out << "[Files]\n"
            << QFileInfo(name).absoluteDir().relativeFilePath(editor->FilePath()) << "="
            << cursor.selectionStart() << " " << cursor.selectionEnd() << "\n[Extras]\n";
    });
    editorActions << close << save << saveAs << saveProject;
    editorActions << AddAction(file, "Enregistrer le &code", {}, nullptr);
    QAction* print = file->addAction("Imprimer");
    print->setShortcut(QKeySequence("Ctrl+P"));
    connect(print, &QAction::triggered, this, [this] {
        if (TEditForm* editor = ActiveEditor()) {
            QPrinter printer;
            QPrintDialog dialog(&printer, this);
            if (dialog.exec() == QDialog::Accepted) {
                editor->Text().print(&printer);
            }
        }
    });
    editorActions << print;
    QAction* printSetup = file->addAction("Configuration de l'imprimante");
    connect(printSetup, &QAction::triggered, this, [this] {
        QPrinter printer;
        QPageSetupDialog(&printer, this).exec();
    });

    QMenu* edit = menuBar()->addMenu("&Edition");
    const auto editorCall = [this](void (QPlainTextEdit::*call)()) {
        return [this, call] {
            if (TEditForm* editor = ActiveEditor()) {
                (editor->Text().*call)();
            }
        };
    };
    QAction* undo = edit->addAction("Défaire");
    undo->setShortcut(QKeySequence("Ctrl+Z"));
    connect(undo, &QAction::triggered, this, editorCall(&QPlainTextEdit::undo));
    QAction* cut = edit->addAction("&Couper");
    cut->setShortcut(QKeySequence("Ctrl+X"));
    connect(cut, &QAction::triggered, this, editorCall(&QPlainTextEdit::cut));
    QAction* copy = edit->addAction("Co&pier");
    copy->setShortcut(QKeySequence("Ctrl+C"));
    connect(copy, &QAction::triggered, this, editorCall(&QPlainTextEdit::copy));
    QAction* paste = AddAction(edit, "C&oller", QKeySequence("Ctrl+V"), &TMainForm::Paste);
    editorActions << undo << cut << copy << paste;
    edit->addSeparator();
    QAction* find = edit->addAction("Chercher");
    find->setShortcut(QKeySequence("Ctrl+F"));
    QAction* replace = edit->addAction("Remplacer");
    replace->setShortcut(QKeySequence("Ctrl+R"));
    QAction* findNext = edit->addAction("Occurence suivante");
    findNext->setShortcut(QKeySequence("F3"));
    QAction* replaceThis = edit->addAction("Remplacer cette occurence");
    replaceThis->setShortcut(QKeySequence("Shift+F3"));
    connect(find, &QAction::triggered, this, [this] {
        bool ok = false;
        const QString text =
            QInputDialog::getText(this, "Chercher", "Chercher :", QLineEdit::Normal,
                                  settings.value("Search/Text").toString(), &ok);
        if (ok && !text.isEmpty()) {
            settings.setValue("Search/Text", text);
            if (TEditForm* editor = ActiveEditor()) {
                editor->Text().find(text);
            }
        }
    });
    connect(findNext, &QAction::triggered, this, [this] {
        if (TEditForm* editor = ActiveEditor()) {
            editor->Text().find(settings.value("Search/Text").toString());
        }
    });
    connect(replace, &QAction::triggered, this, [this] {
        bool ok = false;
        const QString text =
            QInputDialog::getText(this, "Remplacer", "Chercher :", QLineEdit::Normal,
                                  settings.value("Search/Text").toString(), &ok);
        if (!ok || text.isEmpty()) {
            return;
        }
        const QString by =
            QInputDialog::getText(this, "Remplacer", "Remplacer par :", QLineEdit::Normal,
                                  settings.value("Search/Replacement").toString(), &ok);
        if (ok) {
            settings.setValue("Search/Text", text);
            settings.setValue("Search/Replacement", by);
            if (TEditForm* editor = ActiveEditor()) {
                editor->Text().find(text);
            }
        }
    });
    connect(replaceThis, &QAction::triggered, this, [this] {
        TEditForm* editor = ActiveEditor();
        if (editor == nullptr || editor->IsRunning()) {
            return;
        }
        const QString text = settings.value("Search/Text").toString();
        QTextCursor cursor = editor->Text().textCursor();
        if (!text.isEmpty() && cursor.selectedText() == text) {
            cursor.insertText(settings.value("Search/Replacement").toString());
        }
        editor->Text().find(text);
    });
    editorActions << find << replace << findNext << replaceThis;

    QMenu* program = menuBar()->addMenu("&Programme");
    QAction* programOptions =
        AddAction(program, "Options...", QKeySequence("Ctrl+F2"), &TMainForm::EditProgramOptions);
    AddAction(program, "Charger un fichier d'options", {}, nullptr);
    AddAction(program, "Enregistrer un fichier d'options", {}, nullptr);
    program->addSeparator();
    QAction* checkProject = program->addAction("Vérifier la syntaxe du &projet");
    checkProject->setShortcut(QKeySequence("Ctrl+F7"));
    connect(checkProject, &QAction::triggered, this, [this] { CheckProgram(); });
    QAction* check = program->addAction("Vérifier la &syntaxe");
    check->setShortcut(QKeySequence("Shift+F7"));
    connect(check, &QAction::triggered, this, [this] { CheckProgram(); });
    QAction* step = program->addAction("Exéc&uter pas à pas");
    step->setShortcut(QKeySequence("Shift+F8"));
    connect(step, &QAction::triggered, this, [this] { RunProgram(true); });
    QAction* run = program->addAction("&Exécuter");
    run->setShortcut(QKeySequence("Shift+F9"));
    connect(run, &QAction::triggered, this, [this] { RunProgram(false); });
    QAction* compile = program->addAction("&Compiler");
    compile->setShortcut(QKeySequence("Ctrl+Shift+F7"));
    connect(compile, &QAction::triggered, this, [this] { CompileProgram(); });
    // The machine is not part of the engine yet: a driver without a machine runs no code.
    QAction* stepCode = program->addAction("Exécuter le code pas à pas");
    stepCode->setShortcut(QKeySequence("Ctrl+Shift+F8"));
    QAction* runCode = program->addAction("Exécuter le code");
    runCode->setShortcut(QKeySequence("Ctrl+Shift+F9"));
    runActions << checkProject << check << step << run << compile << stepCode << runCode;
    runActions << programOptions;
    editorActions << checkProject << check << step << run << compile << stepCode << runCode;

    QMenu* environment = menuBar()->addMenu("E&nvironnement");
    teacherActions << AddAction(environment, "Options...", QKeySequence("F2"), nullptr);
    teacherActions << AddAction(environment, "Charger un environnement", {}, nullptr);
    teacherActions << AddAction(environment, "Enregistrer un environnement", {}, nullptr);
    AddAction(environment, "Niveau scénariste", {}, &TMainForm::AskScenaristPassword);
    QMenu* positions = environment->addMenu("Mémoriser les positions");
    const QStringList modeNames = {"Mode Edition", "Mode Exécution", "Mode 2", "Mode 3",
                                   "Mode 4",       "Mode 5",         "Mode 6"};
    for (int mode = 0; mode < ModeCount; ++mode) {
        QAction* store = positions->addAction(modeNames[mode]);
        connect(store, &QAction::triggered, this, [this, mode] { StorePlacements(mode); });
    }

    scenaristMenu = menuBar()->addMenu("&Scénariste");
    AddAction(scenaristMenu, "Quitter le niveau scénariste", {}, &TMainForm::LeaveScenaristLevel);
    AddAction(scenaristMenu, "Changer de mot de passe", {}, &TMainForm::AskNewPassword);
    AddAction(scenaristMenu, "Editer le fichier de vocabulaire", {}, nullptr);
    scenaristMenu->menuAction()->setVisible(false);

    QMenu* windows = menuBar()->addMenu("Fe&nêtres");
    connect(windows->addAction("Cascade"), &QAction::triggered, area, &QMdiArea::cascadeSubWindows);
    connect(windows->addAction("Mosaïque"), &QAction::triggered, area, &QMdiArea::tileSubWindows);
    // The document area keeps minimized windows in a row of its own: nothing to arrange.
    windows->addAction("Réorganiser les icônes");
    connect(windows->addAction("Tout réduire"), &QAction::triggered, this, [this] {
        for (QMdiSubWindow* window : area->subWindowList()) {
            window->showMinimized();
        }
    });

    QToolBar* tools = addToolBar("Boutons");
    tools->setObjectName("Buttons");
    tools->addAction(newAction);
    tools->addAction(ActionNamed("&Ouvrir"));
    tools->addAction(save);
    tools->addSeparator();
    tools->addAction(check);
    tools->addAction(step);
    tools->addAction(run);
}

void TMainForm::CreateMenus()
{
    UpdateMenus();
}

QMdiSubWindow* TMainForm::AddChild(QWidget* content, bool minimized)
{
    QMdiSubWindow* window = area->addSubWindow(content);
    window->setAttribute(Qt::WA_DeleteOnClose, KindOf(content) == 1);
    window->setWindowTitle(content->windowTitle());
    if (minimized) {
        window->showMinimized();
    } else {
        window->show();
    }
    return window;
}

void TMainForm::CreateViews()
{
    textScreen = new Tecrantext;
    execStack = new Texecpile;
    evalStack = new Tevalpile;
    globals = new TGlobales;
    heapView = new Tvisutas;
    struct Caption
    {
        QWidget* View;
        const char* Restored;
        const char* Minimized;
    };
    const Caption captions[] = {{textScreen, "Text screen", "Text"},
                                {execStack, "Execution stack", "Exec S."},
                                {evalStack, "Evaluation stack", "Eval S."},
                                {globals, "Global variables", "Globals"},
                                {heapView, "Heap", "Heap"}};
    for (const Caption& caption : captions) {
        QMdiSubWindow* window = AddChild(caption.View, true);
        window->installEventFilter(new MinimizeOnClose(window));
        const QString restored = caption.Restored;
        const QString minimized = caption.Minimized;
        window->setWindowTitle(minimized);
        connect(window, &QMdiSubWindow::windowStateChanged, window,
                [window, restored, minimized](Qt::WindowStates, Qt::WindowStates now) {
                    window->setWindowTitle((now & Qt::WindowMinimized) ? minimized : restored);
                });
    }
}

int TMainForm::KindOf(QWidget* content)
{
    if (qobject_cast<TEditForm*>(content) != nullptr) {
        return 1;
    }
    if (qobject_cast<TGlobales*>(content) != nullptr) {
        return 2;
    }
    if (qobject_cast<Texecpile*>(content) != nullptr) {
        return 3;
    }
    if (qobject_cast<Tecrantext*>(content) != nullptr) {
        return 4;
    }
    if (qobject_cast<Tvisutas*>(content) != nullptr) {
        return 6;
    }
    if (qobject_cast<Tevalpile*>(content) != nullptr) {
        return 9;
    }
    return 0;
}

void TMainForm::UpdateMenus()
{
    const bool hasEditor = ActiveEditor() != nullptr;
    const bool running = host->Running();
    for (QAction* action : editorActions) {
        action->setEnabled(hasEditor);
    }
    for (QAction* action : runActions) {
        action->setEnabled(hasEditor && !running);
    }
    for (QAction* action : teacherActions) {
        action->setEnabled(false); // the environment dialogs are not built yet
    }
    if (QAction* action = ActionNamed("Enregistrer le &code")) {
        action->setEnabled(false);
    }
}

void TMainForm::SetNewFileLanguage(Language language)
{
    newFileLanguage = language;
    newAction->setIconText(language == Language::C ? "NEWC" : "NEWPAS");
}

TEditForm* TMainForm::NewEditor(Language language)
{
    EditorSettings editorSettings;
    editorSettings.ConfigDirectory = configFolder.toStdString();
    editorSettings.ApplicationDirectory = QCoreApplication::applicationDirPath().toStdString();
    editorSettings.ScenaristLevel = scenarist;
    editorSettings.UsageFlags = usageFlags;
    editorSettings.Console = console.get();
    auto* editor = new TEditForm(language, ++editorCounter, editorSettings, *host);
    connect(editor, &TEditForm::QuitExecutionRequested, this, [this] { host->RequestCancel(); });
    QMdiSubWindow* window = AddChild(editor, false);
    connect(editor, &QWidget::windowTitleChanged, window, &QWidget::setWindowTitle);
    const WindowPlacement& place = placements[0][1];
    if (place.Stored) {
        window->setGeometry(place.Left, place.Top, place.Width, place.Height);
    } else {
        window->setGeometry(0, 0, std::max(400, area->width() * 11 / 20),
                            std::max(300, area->height() - 30));
    }
    area->setActiveSubWindow(window);
    UpdateMenus();
    return editor;
}

TEditForm* TMainForm::OpenSourceFile(const QString& path, bool tell)
{
    if (path.isEmpty()) {
        return nullptr;
    }
    const std::string absolute = QFileInfo(path).absoluteFilePath().toStdString();
    if (TEditForm* open = FindEditor(absolute)) {
        ActivateEditor(*open);
        return open;
    }
    const QString suffix = QFileInfo(path).suffix().toLower();
    const Language language = suffix == "c" || suffix == "h"      ? Language::C
                              : suffix == "pas" || suffix == "pp" ? Language::Pascal
                                                                  : newFileLanguage;
    TEditForm* editor = NewEditor(language);
    QString failure;
    if (!editor->LoadFile(path, failure)) {
        editor->parentWidget()->close();
        if (tell) {
            QMessageBox::warning(this, "Reading file", failure);
        }
        return nullptr;
    }
    lastFolder = QFileInfo(path).absolutePath();
    return editor;
}

void TMainForm::OpenByKind(const QString& path)
{
    switch (KindOfFile(path)) {
    case OpenKind::NotOpened:
    case OpenKind::Scenario:
        return;
    case OpenKind::Environment:
    case OpenKind::ProgramOptions:
        // Environment and option files are read by their dialogs, which this window does not
        // have yet.
        statusBar()->showMessage(QFileInfo(path).fileName());
        return;
    case OpenKind::Project: {
        QFile project(path);
        if (!project.open(QIODevice::ReadOnly | QIODevice::Text)) {
            QMessageBox::warning(this, "Reading file", project.errorString());
            return;
        }
        const QDir folder = QFileInfo(path).absoluteDir();
        QTextStream in(&project);
        while (!in.atEnd()) {
            const QString line = in.readLine().trimmed();
            if (line.isEmpty() || line.startsWith('[')) {
                continue;
            }
            const int equals = line.lastIndexOf('=');
            OpenSourceFile(folder.absoluteFilePath(equals < 0 ? line : line.left(equals)));
        }
        return;
    }
    case OpenKind::Source:
        OpenSourceFile(path);
        return;
    }
}

void TMainForm::OpenDialog()
{
    const Language language =
        ActiveEditor() != nullptr ? ActiveEditor()->GetLanguage() : newFileLanguage;
    const QString filter = SourceFilter(language) +
                           ";;Project file (*.mvp);;Text file (*.txt);;Scenario (*.mvs);;"
                           "Compiled programs (*.mvm)";
    const QString name = QFileDialog::getOpenFileName(this, "Open file", lastFolder, filter);
    if (!name.isEmpty()) {
        OpenByKind(name);
    }
}

bool TMainForm::SaveEditor(TEditForm& editor, bool askName)
{
    QString name = editor.FilePath();
    if (askName || name.isEmpty()) {
        name = QFileDialog::getSaveFileName(this, "En&registrer sous...", lastFolder,
                                            SourceFilter(editor.GetLanguage()));
        if (name.isEmpty()) {
            return false;
        }
    }
    return editor.SaveFile(name);
}

void TMainForm::Paste()
{
    TEditForm* editor = ActiveEditor();
    if (editor == nullptr) {
        return;
    }
    if (QApplication::clipboard()->text().isEmpty()) {
        QMessageBox::information(this, "Coller", "No text in clipboard");
        return;
    }
    editor->Text().paste();
}

TEditForm* TMainForm::ActiveEditor() const
{
    QMdiSubWindow* window = area->activeSubWindow();
    if (window == nullptr) {
        // The views may hold the focus; the editor on top of the others is still the active one.
        const QList<QMdiSubWindow*> windows = area->subWindowList(QMdiArea::StackingOrder);
        for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
            if (auto* editor = qobject_cast<TEditForm*>((*it)->widget())) {
                return editor;
            }
        }
        return nullptr;
    }
    if (auto* editor = qobject_cast<TEditForm*>(window->widget())) {
        return editor;
    }
    const QList<QMdiSubWindow*> windows = area->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (auto* editor = qobject_cast<TEditForm*>((*it)->widget())) {
            return editor;
        }
    }
    return nullptr;
}

QList<TEditForm*> TMainForm::Editors() const
{
    QList<TEditForm*> editors;
    for (QMdiSubWindow* window : area->subWindowList()) {
        if (auto* editor = qobject_cast<TEditForm*>(window->widget())) {
            editors << editor;
        }
    }
    return editors;
}

TEditForm* TMainForm::FindEditor(const std::string& engineName) const
{
    for (TEditForm* editor : Editors()) {
        if (editor->IsNamed(engineName)) {
            return editor;
        }
    }
    return nullptr;
}

Qbbkpoint* TMainForm::FindBreakpoint(const std::string& name) const
{
    for (TEditForm* editor : Editors()) {
        if (Qbbkpoint* point = editor->Breakpoints().FindNamed(name)) {
            return point;
        }
    }
    return nullptr;
}

void TMainForm::ActivateEditor(TEditForm& editor)
{
    if (auto* window = qobject_cast<QMdiSubWindow*>(editor.parentWidget())) {
        if (area->activeSubWindow() != window) {
            area->setActiveSubWindow(window);
        }
    }
}

void TMainForm::DropPendingKeys()
{
    textScreen->DropKeys();
}

// Settings and start-up.

void TMainForm::LoadSettings()
{
    usageFlags = settings.value("Environment/UsageFlags", DefaultUsageFlags).toInt();
    heapView->SetMaximalDepth(
        settings.value("Heap/MaximalDepth", Tvisutas::DefaultMaximalDepth).toInt());
    lastFolder = settings.value("Environment/LastFolder", QDir::homePath()).toString();
    for (int mode = 0; mode < ModeCount; ++mode) {
        for (int kind = 1; kind < KindCount; ++kind) {
            const QStringList values =
                settings.value(QString("Placements/Mode%1_Kind%2").arg(mode).arg(kind))
                    .toString()
                    .split(' ', Qt::SkipEmptyParts);
            if (values.size() != 5) {
                continue;
            }
            WindowPlacement& place = placements[mode][kind];
            place.Top = values[0].toInt() & 0xFFFF;
            place.Left = values[1].toInt() & 0xFFFF;
            place.Width = values[2].toInt() & 0xFFFF;
            place.Height = values[3].toInt() & 0xFFFF;
            place.State = values[4].toInt() & 0xFF;
            place.Stored = place.Width > 0 && place.Height > 0;
        }
    }
}

void TMainForm::SaveSettings()
{
    settings.setValue("Environment/UsageFlags", usageFlags);
    settings.setValue("Heap/MaximalDepth", heapView->MaximalDepth());
    settings.setValue("Environment/LastFolder", lastFolder);
    for (int mode = 0; mode < ModeCount; ++mode) {
        for (int kind = 1; kind < KindCount; ++kind) {
            const WindowPlacement& place = placements[mode][kind];
            if (place.Stored) {
                settings.setValue(QString("Placements/Mode%1_Kind%2").arg(mode).arg(kind),
                                  QString("%1 %2 %3 %4 %5")
                                      .arg(place.Top)
                                      .arg(place.Left)
                                      .arg(place.Width)
                                      .arg(place.Height)
                                      .arg(place.State));
            }
        }
    }
    settings.sync();
}

void TMainForm::StorePlacements(int mode)
{
    if (mode < 0 || mode >= ModeCount) {
        return;
    }
    for (QMdiSubWindow* window : area->subWindowList()) {
        const int kind = KindOf(window->widget());
        if (kind == 0) {
            continue;
        }
        WindowPlacement& place = placements[mode][kind];
        const QRect geometry = window->isMinimized() || window->isMaximized()
                                   ? window->normalGeometry()
                                   : window->geometry();
        place.Top = geometry.top();
        place.Left = geometry.left();
        place.Width = geometry.width();
        place.Height = geometry.height();
        place.State = window->isMinimized() ? 1 : window->isMaximized() ? 2 : 0;
        place.Stored = place.Width > 0 && place.Height > 0;
    }
    SaveSettings();
}

void TMainForm::DefaultPlacements()
{
    const int width = std::max(area->width(), 640);
    const int height = std::max(area->height(), 400);
    const int editorWidth = width * 11 / 20;
    const int rest = width - editorWidth;
    const int third = height / 3;
    // Edition: the editor takes most of the area and the text screen keeps the last program's
    // output in sight; the views wait minimized.
    placements[0][1] = {0, 0, editorWidth, height - 30, 0, true};
    placements[0][4] = {0, editorWidth, rest, third, 0, true};
    for (int kind : {2, 3, 6, 9}) {
        placements[0][kind] = {0, editorWidth, rest, third, 1, true};
    }
    // Execution: the editor on the left, the text screen and the views on the right.
    placements[1][1] = {0, 0, editorWidth, height, 0, true};
    placements[1][4] = {0, editorWidth, rest, third, 0, true};
    placements[1][3] = {third, editorWidth, rest, third, 0, true};
    placements[1][2] = {2 * third, editorWidth, rest / 2, height - 2 * third, 0, true};
    // The heap view keeps its own size in the lower right corner of the editor.
    placements[1][6] = {height - Tvisutas::DefaultHeight,
                        editorWidth - Tvisutas::DefaultWidth,
                        Tvisutas::DefaultWidth,
                        Tvisutas::DefaultHeight,
                        0,
                        true};
    placements[1][9] = {2 * third,          editorWidth + rest / 2,       rest - rest / 2,
                        height - 2 * third, SeeEvaluationStack() ? 0 : 1, true};
}

void TMainForm::ApplyPlacements(int mode)
{
    if (mode < 0 || mode >= ModeCount) {
        return;
    }
    const auto stored = placements;
    DefaultPlacements();
    for (int m = 0; m < ModeCount; ++m) {
        for (int kind = 1; kind < KindCount; ++kind) {
            if (stored[m][kind].Stored) {
                placements[m][kind] = stored[m][kind];
            } else if (m > 1) {
                placements[m][kind] = {};
            }
        }
    }
    for (QMdiSubWindow* window : area->subWindowList()) {
        const int kind = KindOf(window->widget());
        const WindowPlacement& place = placements[mode][kind];
        if (kind == 0 || !place.Stored) {
            continue;
        }
        // An editor other than the running one keeps its place during a run.
        if (kind == 1 && mode == 1 && window->widget() != host->RunningEditor()) {
            continue;
        }
        window->showNormal();
        window->setGeometry(place.Left, place.Top, place.Width, place.Height);
        if (place.State == 1) {
            window->showMinimized();
        } else if (place.State == 2) {
            window->showMaximized();
        }
    }
    for (int m = 0; m < ModeCount; ++m) {
        for (int kind = 1; kind < KindCount; ++kind) {
            if (!stored[m][kind].Stored) {
                placements[m][kind].Stored = false;
            }
        }
    }
}

void TMainForm::ReadPasswordFile()
{
    const QString path = logsFolder + "/mv_log";
    if (!ReadDigestFile(path, passwordDigest)) {
        passwordDigest = DefaultPasswordDigest();
        WriteDigestFile(path, passwordDigest);
    }
}

void TMainForm::Start(const QStringList& arguments)
{
    QDir().mkpath(logsFolder);
    QDir().mkpath(helpFolder);
    ReadPasswordFile();
    const StartupArguments startup = ParseStartupArguments(arguments);
    SetNewFileLanguage(startup.NewFileLanguage);
    ApplyPlacements(0);
    if (!startup.FileName.isEmpty()) {
        OpenByKind(startup.FileName);
    }
}

// Teacher level.

bool TMainForm::OpenScenaristLevel(const QString& password)
{
    if (PasswordDigest(password.toStdString()) != (passwordDigest & 0xFFFF)) {
        return false;
    }
    scenarist = true;
    scenaristMenu->menuAction()->setVisible(true);
    UpdateMenus();
    return true;
}

void TMainForm::LeaveScenaristLevel()
{
    scenarist = false;
    scenaristMenu->menuAction()->setVisible(false);
    UpdateMenus();
}

bool TMainForm::ChangePassword(const QString& password)
{
    const std::uint32_t digest = PasswordDigest(password.toStdString());
    QDir().mkpath(logsFolder);
    if (!WriteDigestFile(logsFolder + "/mv_log", digest)) {
        QMessageBox::warning(this, "Saving file", "Unable to write the file");
        return false;
    }
    passwordDigest = digest;
    return true;
}

void TMainForm::AskScenaristPassword()
{
    QInputDialog dialog(this);
    dialog.setWindowTitle("Verification of password");
    dialog.setLabelText("Access to scenarist level\n\nPassword :");
    dialog.setTextEchoMode(QLineEdit::Password);
    if (dialog.exec() == QDialog::Accepted) {
        OpenScenaristLevel(dialog.textValue());
    }
}

void TMainForm::AskNewPassword()
{
    QInputDialog dialog(this);
    dialog.setWindowTitle("New password");
    dialog.setLabelText("Access to scenarist level\n\nPassword :");
    dialog.setTextEchoMode(QLineEdit::Password);
    if (dialog.exec() == QDialog::Accepted) {
        ChangePassword(dialog.textValue());
    }
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void TMainForm::dropEvent(QDropEvent* event)
{
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            OpenByKind(url.toLocalFile());
        }
    }
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    // A program on the call stack is ended first; the window closes once its run has unwound.
    if (host->Running()) {
        closeAfterRun = true;
        host->RequestCancel();
        event->ignore();
        return;
    }
    SaveSettings();
    area->closeAllSubWindows();
    // An editor that refused to close (its text not saved, a dialog open) keeps the window.
    if (!Editors().isEmpty()) {
        event->ignore();
        return;
    }
    event->accept();
}
