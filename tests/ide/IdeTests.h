// The QTest classes of the IDE.
#pragma once

#include <QObject>

class SupportTest : public QObject
{
    Q_OBJECT

  private slots:
    void SwitchesAndFileNames_data();
    void SwitchesAndFileNames();
    void FileKindsFollowTheExtension_data();
    void FileKindsFollowTheExtension();
    void PasswordDigestDoublesAndAdds();
    void DigestFileIsFourBytesLittleEndian();
    void StepKeysDependOnWhatIsPaused();
};

class BreakpointTest : public QObject
{
    Q_OBJECT

  private slots:
    void TogglingTwiceLeavesAnInactiveBreakpoint();
    void DeletedLineDiesAndLinesBelowMoveUp();
    void InsertedLineMovesBreakpointsDown();
    void FalseConditionNeitherStopsNorSwitches();
    void NonSuspendingBreakpointOnlySwitchesOthers();
    void StatusFollowsFlagsInOrder();
};

class TextScreenTest : public QObject
{
    Q_OBJECT

  private slots:
    void OutputAndEchoKeepTheirColours();
    void TypedKeysQueueForThePrograms();
    void WindowFollowsTheModelSize();
};

class MainFormTest : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void CheckShowsErrorAtItsLine();
    void CheckOfCorrectProgramShowsSuccess();
    void MenusCarryTheirShortcuts();
    void MissingPasswordFileIsCreatedAtStart();
    void ScenaristLevelNeedsThePassword();
    void PlacementsSurviveARestart();
    void OpenByKindIgnoresScenariosAndOpensSources();
    void CommandLineOpensTheNamedFile();
    void GutterClickTogglesBreakpoint();
    void ParametersDialogEditsTheSwitchLists();
    void CheckForbidsBreakpointsOutsideStatements();
    void CompileLeavesTheEditorWritable();

  private:
    class QTemporaryDir* folder = nullptr;
};

class SteppingTest : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void F8StopsAtEveryStatement();
    void F9RunsToTheEndWithoutStopping();
    void EscapeEndsTheRunWithoutReport();
    void ClosingTheWindowEndsTheRun();
    void BreakpointStopsAQuickRun();
    void ReadlnTakesTheLineTypedOnTheTextScreen();
    void KeysTypedDuringAStepByStepReadlnReachTheProgram();
    void EscapeDuringReadlnEndsTheRun();
    void EscapeStopsAnEndlessQuickRun();
    void F7ShowsTheCalledRoutinesFrame();
    void EditingARunningProgramAsksToQuit();

  private:
    class QTemporaryDir* folder = nullptr;
};
