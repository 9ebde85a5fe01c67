// The QTest classes for breakpoints during runs, micro-steps, the editor's marks and the whole
// road of a pupil's program.
#pragma once

#include <QObject>

class BreakpointRunTest : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void ConditionalBreakpointStopsOnlyWhenItHolds();
    void ConditionThatCannotBeReadIsReportedAndEndsTheRun();
    void NonSuspendingBreakpointOnlySwitchesOthers();
    void DialogKeepsTheConditionAsTyped();
    void BreakpointsFollowTheirTextWhileEditing();
    void ReplacingLinesMovesBreakpointsByWhatChanged();
    void OpenDialogFollowsTheBreakpointsItNames();
    void RunTimeErrorIsShownAtItsLineAndColumn();

  private:
    class QTemporaryDir* folder = nullptr;
};

class MicroStepTest : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void F6StopsAtEveryPushAndPop();

  private:
    class QTemporaryDir* folder = nullptr;
};

// Types a program, checks it, steps it, runs it and cancels a long run, as a pupil does. With
// MOVILA_SCREENSHOTS naming a folder, a picture of the window is saved there at every stage.
class PupilRoadTest : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void TypeCheckStepRunAndCancel();
    void ClosingTheWindowDuringAQuickRunEndsIt();

  private:
    class QTemporaryDir* folder = nullptr;
};

class ProgramOptionsTest : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void DialogGivesBackWhatItShows();
    void OptionsFromTheMenuApplyToTheActiveProgram();

  private:
    class QTemporaryDir* folder = nullptr;
};
