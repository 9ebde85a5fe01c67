// The main window's commands on a program: check, run step by step or not, compile.
#include "ide/ArrayViews.h"
#include "ide/ExecutionViews.h"
#include "ide/HeapView.h"
#include "ide/ProgramOptionsDialog.h"
#include "ide/TMainForm.h"
#include "ide/Tecrantext.h"

#include "diagnostics/Exceptions.h"
#include "lexical/TextEncoding.h"
#include "runtime/QbGesdata.h"
#include "symbols/QbTable.h"

#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>

int TMainForm::CheckProgram()
{
    TEditForm* editor = ActiveEditor();
    if (editor == nullptr || host->Running()) {
        return -1;
    }
    editor->ClearErrorMarks();
    host->SetCommandEditor(editor);
    const int number = editor->RunDriver(RunMode::Check);
    editor->SetChecked(true);
    if (number == 0) {
        MarkForbiddenBreakpoints(*editor);
        const QString success = QString::fromStdString(
            TextEncoding::Windows1252ToUtf8(editor->Driver().Errors->MessageText(0)));
        editor->ShowReport(0, success, -1, -1);
        statusBar()->showMessage(success);
    }
    return number;
}

int TMainForm::RunProgram(bool stepByStep)
{
    TEditForm* editor = ActiveEditor();
    if (editor == nullptr || host->Running()) {
        return -1;
    }
    editor->ClearErrorMarks();
    host->SetCommandEditor(editor);
    int number = editor->RunDriver(RunMode::Check);
    if (number != 0) {
        return number;
    }
    MarkForbiddenBreakpoints(*editor);
    QbSyntaxe& driver = editor->Driver();
    if (driver.UnitKind != 2) {
        QMessageBox::information(this, "Execution of program", "No program available");
        return 0;
    }
    if ((usageFlags & 2) != 0 && !editor->IsUnnamed() && editor->Text().document()->isModified()) {
        editor->SaveFile(editor->FilePath());
    }
    const std::uint16_t globalsSize = std::max(driver.GlobalsSize, driver.Table->GlobalSize());
    if (!driver.Data->Open(globalsSize)) {
        QMessageBox::warning(this, "Execution of program", "Not enough memory to allocate");
        return 0;
    }
    EnterExecutionMode(*editor);
    host->BeginRun(*editor);
    try {
        number = editor->RunDriver(stepByStep ? RunMode::StartStepping | RunMode::TraceViews
                                              : RunMode::Execute);
    } catch (...) {
        LeaveExecutionMode(*editor);
        host->EndRun();
        UpdateMenus();
        throw;
    }
    const bool cancelled = host->Cancelled();
    // The views take the run's last state while the host still knows which run it was.
    LeaveExecutionMode(*editor);
    host->EndRun();
    UpdateMenus();
    // The line of an error, or the end of the program, replaces the last line stepped on; a
    // cancelled run keeps showing where it stopped.
    if (number != 0 || !cancelled) {
        editor->ShowStepLine(-1);
    }
    if (closeAfterRun) {
        QTimer::singleShot(0, this, &QWidget::close);
    }
    return number;
}

int TMainForm::CompileProgram()
{
    TEditForm* editor = ActiveEditor();
    if (editor == nullptr || host->Running()) {
        return -1;
    }
    editor->ClearErrorMarks();
    host->SetCommandEditor(editor);
    int number = editor->RunDriver(RunMode::Check);
    if (number != 0) {
        return number;
    }
    for (QWidget* view : std::initializer_list<QWidget*>{globals, execStack, evalStack, heapView}) {
        view->parentWidget()->showMinimized();
    }
    editor->SetRunning(true);
    number = editor->RunDriver(RunMode::Generate);
    editor->SetRunning(false);
    return number;
}

void TMainForm::EditProgramOptions()
{
    TEditForm* editor = ActiveEditor();
    if (editor == nullptr || host->Running()) {
        return;
    }
    ProgramOptionsDialog dialog(editor->Driver().GetOptions(), this);
    if (dialog.exec() == QDialog::Accepted) {
        ApplyProgramOptions(*editor, dialog.Edited());
    }
}

void TMainForm::ApplyProgramOptions(TEditForm& editor, const ProgramOptions& options)
{
    QbSyntaxe& driver = editor.Driver();
    // The same random series is switched through its own setter, which keeps the seed the
    // series restarts from.
    ProgramOptions applied = options;
    const std::uint32_t sameSeries = OptionB::SameRandomSeries;
    applied.B = (applied.B & ~sameSeries) | (driver.GetOptions().B & sameSeries);
    driver.SetOptions(applied);
    driver.SetOptionB(sameSeries, (options.B & sameSeries) != 0);
    editor.SetChecked(false);
}

// After a successful check, a breakpoint on a line outside every statement part of its program
// (a declaration, a comment between routines) can never be reached: it becomes forbidden.
void TMainForm::MarkForbiddenBreakpoints(TEditForm& editor)
{
    const QbTable& table = *editor.Driver().Table;
    if (!table.IsEntry(1)) {
        return;
    }
    const std::string module = table.GetName(1);
    for (const auto& point : editor.Breakpoints().Points()) {
        const int status = point->GetStatus();
        if ((status == Qbbkpoint::Active || status == Qbbkpoint::Inactive) &&
            !table.LineInUnit(module, point->Line + 1)) {
            point->SetStatus(Qbbkpoint::Forbidden);
        }
    }
    editor.Text().RedrawGutter();
}

void TMainForm::EnterExecutionMode(TEditForm& editor)
{
    editor.SetRunning(true);
    if (auto* window = qobject_cast<QMdiSubWindow*>(editor.parentWidget());
        window != nullptr && window->isMaximized()) {
        window->showNormal();
    }
    textScreen->parentWidget()->showNormal();
    execStack->Reset();
    globals->Reset();
    // The array windows follow this run's data manager; the heap view draws this driver's heap.
    arrayViews->Bind(editor.Driver());
    heapView->SetUsageFlags(usageFlags);
    heapView->Reset(&editor.Driver(), &editor);
    // The data manager keeps the evaluation stack's rows only while the view shows them.
    editor.Driver().Data->SetEvaluationViewOpen(SeeEvaluationStack());
    for (TEditForm* other : Editors()) {
        other->Breakpoints().ResetPasses();
    }
    ApplyPlacements(1);
    // A program without global variables has nothing to show in their view.
    globals->Refresh(editor.Driver(), usageFlags);
    if (globals->RowsShown() == 0) {
        globals->parentWidget()->showMinimized();
    }
    arrayViews->Acknowledge();
    // Only a program with typed pointers keeps a heap view.
    if (editor.Driver().HeapActive) {
        heapView->parentWidget()->showNormal();
    } else {
        heapView->parentWidget()->showMinimized();
    }
    UpdateMenus();
}

void TMainForm::LeaveExecutionMode(TEditForm& editor)
{
    // The views keep the state the run ended in, so the pupil can read the last values.
    try {
        RefreshExecutionViews();
    } catch (const InterpExcept&) {
        // The stack was too deep to show: the run already reported it.
    }
    arrayViews->Unbind();
    // The heap's last state stays drawn until the next run.
    heapView->Refresh();
    ApplyPlacements(0);
    evalStack->parentWidget()->showMinimized();
    editor.SetRunning(false);
    ActivateEditor(editor);
    UpdateMenus();
}

void TMainForm::RefreshExecutionViews()
{
    TEditForm* editor = host->RunningEditor();
    if (editor == nullptr) {
        return;
    }
    QbSyntaxe& driver = editor->Driver();
    execStack->Refresh(driver);
    globals->Refresh(driver, usageFlags);
    if (SeeEvaluationStack()) {
        evalStack->Refresh(driver);
    }
    heapView->Refresh();
    // What this step changed stays yellow until the next one.
    arrayViews->Acknowledge();
}

void TMainForm::HeapStatementEnded(bool routineEnded)
{
    if ((usageFlags & (routineEnded ? 128 : 64)) != 0) {
        heapView->Reorganize();
    }
}
