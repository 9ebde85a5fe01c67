// The QTest class of the array windows, the heap view and the colours of unassigned values.
#pragma once

#include <QObject>

class ViewsTest : public QObject
{
    Q_OBJECT

  private slots:
    void init();
    void cleanup();
    void ArrayWindowsLayOutTheirIndexesAndColumns();
    void ArrayWindowsMarkWhatTheLastStepChanged();
    void RecordHoldingAnArrayDoesNotReopenItsWindow();
    void LocalArrayWindowClosesWhenItsRoutineReturns();
    void ParameterArrayWindowsCloseWithTheirCall();
    void LinkedListIsDrawnAsOneRowOfCells();
    void HeapViewMinimizedForAProgramWithoutPointers();
    void RightClickLaysOutATreeOnlyWhenAllowed();
    void UnassignedValuesAreRed();

  private:
    class QTemporaryDir* folder = nullptr;
};
