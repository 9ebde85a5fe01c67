// The array windows, the heap view and the red of unassigned values, watched during stepped runs.
#include "ViewsTest.h"

#include "IdeTestSupport.h"
#include "ide/ArrayViews.h"
#include "ide/ExecutionViews.h"
#include "ide/HeapView.h"
#include "ide/TMainForm.h"
#include "runtime/QbHeap.h"

#include <QApplication>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <vector>

namespace {
using namespace IdeTesting;

const char* const Arrays = "program Arrays;\n"
                           "type\n"
                           "  Point = record x, y: integer end;\n"
                           "  Grid = array[1..2, 1..3] of integer;\n"
                           "  Holder = record a: array[1..2] of integer; n: integer end;\n"
                           "  Colour = (Red, Green, Blue);\n"
                           "var\n"
                           "  numbers: array[1..4] of integer;\n"
                           "  counts: array[char] of integer;\n"
                           "  points: array[1..2] of Point;\n"
                           "  grid: Grid;\n"
                           "  flags: array[boolean] of integer;\n"
                           "  holders: array[1..2] of Holder;\n"
                           "  shades: array[Colour] of integer;\n"
                           "begin\n"
                           "  numbers[2] := 5;\n"
                           "  counts['A'] := 1;\n"
                           "  points[1].y := 7;\n"
                           "  grid[2, 3] := 9;\n"
                           "  flags[true] := 1;\n"
                           "  holders[1].n := 3;\n"
                           "  shades[Blue] := 2;\n"
                           "end.\n";

const char* const Chain = "program Chain;\n"
                          "type\n"
                          "  Link = ^Node;\n"
                          "  Node = record value: integer; next: Link end;\n"
                          "var\n"
                          "  head, p: Link;\n"
                          "  i: integer;\n"
                          "begin\n"
                          "  new(head);\n"
                          "  head^.value := 1;\n"
                          "  p := head;\n"
                          "  for i := 2 to 4 do\n"
                          "  begin\n"
                          "    new(p^.next);\n"
                          "    p := p^.next;\n"
                          "    p^.value := i\n"
                          "  end;\n"
                          "end.\n";

const char* const Tree = "program Tree;\n"
                         "type\n"
                         "  Link = ^Node;\n"
                         "  Node = record value: integer; left, right: Link end;\n"
                         "var\n"
                         "  root: Link;\n"
                         "begin\n"
                         "  new(root);\n"
                         "  new(root^.left);\n"
                         "  new(root^.right);\n"
                         "  new(root^.left^.left);\n"
                         "end.\n";

bool IsMinimized(QWidget* view)
{
    auto* window = qobject_cast<QMdiSubWindow*>(view->parentWidget());
    return window != nullptr && window->isMinimized();
}

QString Header(const TVisutab& view, int column)
{
    const QTableWidgetItem* header = view.horizontalHeaderItem(column);
    return header != nullptr ? header->text() : QString();
}

QString RowLabel(const TVisutab& view, int row)
{
    const QTableWidgetItem* label = view.item(row, 0);
    return label != nullptr ? label->text() : QString();
}
} // namespace

void ViewsTest::init()
{
    folder = new QTemporaryDir;
}

void ViewsTest::cleanup()
{
    delete folder;
    folder = nullptr;
}

void ViewsTest::ArrayWindowsLayOutTheirIndexesAndColumns()
{
    TMainForm window(folder->path());
    StartEditor(window, Arrays);
    KeyStepper stepper(window, [](int) { return Qt::Key_F8; });
    QCOMPARE(window.RunProgram(true), 0);

    struct Expected
    {
        const char* Caption;
        const char* Title;
        QStringList Headers;
        int Rows;
        std::vector<std::pair<int, QString>> Labels;       // row, label
        std::vector<std::tuple<int, int, QString>> Values; // row, value column, text
    };
    const std::vector<Expected> cases = {
        {"ARRAYS.NUMBERS",
         "ARRAY : ARRAYS.NUMBERS",
         {"INDEX", "CURRENT VALUE"},
         4,
         {{0, "1"}, {3, "4"}},
         {{1, 0, "5"}, {0, 0, "0"}}},
        {"ARRAYS.COUNTS",
         "ARRAY : ARRAYS.COUNTS",
         {"INDEX", "CURRENT VALUE"},
         256,
         {{0, "chr(0)"},
          {1, "chr(1)"},
          {31, "chr(31)"},
          {32, " "},
          {65, "A"},
          {128, "chr(128)"},
          {255, "chr(255)"}},
         {{65, 0, "1"}, {66, 0, "0"}}},
        {"ARRAYS.POINTS",
         "ARRAY : ARRAYS.POINTS",
         {"INDEX", "X", "Y"},
         2,
         {{0, "1"}, {1, "2"}},
         {{0, 1, "7"}, {0, 0, "0"}}},
        {"ARRAYS.GRID",
         "GRID : ARRAYS.GRID",
         {"INDEX", "1", "2", "3"},
         2,
         {{0, "1"}, {1, "2"}},
         {{1, 2, "9"}, {0, 2, "0"}}},
        {"ARRAYS.FLAGS",
         "ARRAY : ARRAYS.FLAGS",
         {"INDEX", "CURRENT VALUE"},
         2,
         {{0, "FALSE"}, {1, "TRUE"}},
         {{1, 0, "1"}, {0, 0, "0"}}},
        {"ARRAYS.SHADES",
         "ARRAY : ARRAYS.SHADES",
         {"INDEX", "CURRENT VALUE"},
         3,
         {{0, "RED"}, {1, "GREEN"}, {2, "BLUE"}},
         {{2, 0, "2"}, {0, 0, "0"}}},
    };
    for (const Expected& expected : cases) {
        const TVisutab* view = window.ArrayViews().Find(expected.Caption);
        QVERIFY2(view != nullptr, expected.Caption);
        QCOMPARE(view->windowTitle(), QString(expected.Title));
        QStringList headers;
        for (int c = 0; c < view->columnCount(); ++c) {
            headers << Header(*view, c);
        }
        QCOMPARE(headers, expected.Headers);
        QCOMPARE(view->rowCount(), expected.Rows);
        for (const auto& [row, label] : expected.Labels) {
            QCOMPARE(RowLabel(*view, row), label);
        }
        for (const auto& [row, column, text] : expected.Values) {
            QCOMPARE(view->ValueText(row, column), text);
        }
        // A finished run leaves its windows minimized.
        QVERIFY(IsMinimized(const_cast<TVisutab*>(view)));
    }
}

void ViewsTest::ArrayWindowsMarkWhatTheLastStepChanged()
{
    TMainForm window(folder->path());
    StartEditor(window, Arrays);
    std::vector<QColor> second;  // NUMBERS[2] at each wait
    std::vector<QColor> first;   // NUMBERS[1]
    std::vector<QString> texts;  // NUMBERS[1]
    std::vector<QColor> pointY;  // POINTS[1].Y
    std::vector<bool> minimized; // NUMBERS' window
    KeyStepper stepper(window, [&](int) {
        TVisutab* numbers = window.ArrayViews().Find("ARRAYS.NUMBERS");
        TVisutab* points = window.ArrayViews().Find("ARRAYS.POINTS");
        if (numbers != nullptr && points != nullptr) {
            second.push_back(numbers->ValueColour(1, 0));
            first.push_back(numbers->ValueColour(0, 0));
            texts.push_back(numbers->ValueText(0, 0));
            pointY.push_back(points->ValueColour(0, 1));
            minimized.push_back(IsMinimized(numbers));
        }
        return Qt::Key_F8;
    });
    QCOMPARE(window.RunProgram(true), 0);
    QVERIFY2(second.size() >= 4, qPrintable(QString::number(second.size())));
    using namespace ViewColours;
    // Before the first statement nothing of the array is assigned; the global area shows zeros.
    QCOMPARE(second[0], Unassigned);
    QCOMPARE(first[0], Unassigned);
    QCOMPARE(texts[0], QString("0"));
    // NUMBERS[2] := 5 marks that element only, and only for one step.
    QCOMPARE(second[1], Changed);
    QCOMPARE(first[1], Unchanged);
    QCOMPARE(second[2], Unchanged);
    // POINTS[1].Y := 7 is the third statement.
    QCOMPARE(pointY[2], Unassigned);
    QCOMPARE(pointY[3], Changed);
    QCOMPARE(pointY.back(), Unchanged);
    // While the program is interpreted the window is restored.
    QCOMPARE(minimized, std::vector<bool>(minimized.size(), false));
}

// An element holding an array would ask for the window being drawn: the cell shows the data
// manager's text and the program runs to its end.
void ViewsTest::RecordHoldingAnArrayDoesNotReopenItsWindow()
{
    TMainForm window(folder->path());
    StartEditor(window, Arrays);
    KeyStepper stepper(window, [](int) { return Qt::Key_F8; });
    QCOMPARE(window.RunProgram(true), 0);
    const TVisutab* holders = window.ArrayViews().Find("ARRAYS.HOLDERS");
    QVERIFY(holders != nullptr);
    QCOMPARE(Header(*holders, 1), QString("A"));
    QCOMPARE(holders->ValueText(0, 0), QString("see window"));
    QCOMPARE(holders->ValueText(0, 1), QString("3"));
    QCOMPARE(window.ArrayViews().Windows().size(), std::size_t{7});
}

void ViewsTest::LocalArrayWindowClosesWhenItsRoutineReturns()
{
    TMainForm window(folder->path());
    StartEditor(window, "program Local;\n"
                        "procedure Fill;\n"
                        "var w: array[1..3] of integer;\n"
                        "begin\n"
                        "  w[1] := 4;\n"
                        "end;\n"
                        "begin\n"
                        "  Fill;\n"
                        "  Fill;\n"
                        "end.\n");
    std::vector<QString> seen; // at each wait: "-" for no window, else W[1] and its colour
    KeyStepper stepper(window, [&](int) {
        const TVisutab* view = window.ArrayViews().Find("FILL.W");
        if (view == nullptr) {
            seen.push_back("-");
        } else {
            const QColor colour = view->ValueColour(0, 0);
            seen.push_back(view->ValueText(0, 0) + (colour == ViewColours::Unassigned ? " red"
                                                    : colour == ViewColours::Changed  ? " yellow"
                                                                                      : " white"));
        }
        return Qt::Key_F7;
    });
    QCOMPARE(window.RunProgram(true), 0);
    const QString pattern = QStringList(seen.begin(), seen.end()).join(",");
    // Each call opens the window, unassigned (a frame's storage is not shown), then shows the
    // stored element; the return closes it.
    QVERIFY2(pattern.contains(" red,4 yellow"), qPrintable(pattern));
    QVERIFY2(pattern.contains("yellow,-") || pattern.contains("white,-"), qPrintable(pattern));
    QVERIFY2(pattern.endsWith("-"), qPrintable(pattern));
    QCOMPARE(seen.front(), QString("-"));
    QVERIFY(window.ArrayViews().Find("FILL.W") == nullptr);
}

// While a call's arguments are evaluated, a function called for a later argument shows the
// parameters already built, marked: the call's return closes that window as well.
void ViewsTest::ParameterArrayWindowsCloseWithTheirCall()
{
    TMainForm window(folder->path());
    StartEditor(window, "program Param;\n"
                        "type Vec = array[1..2] of integer;\n"
                        "var v: Vec;\n"
                        "function Twice(n: integer): integer;\n"
                        "begin\n"
                        "  Twice := 2 * n;\n"
                        "end;\n"
                        "procedure Show(a: Vec; n: integer);\n"
                        "begin\n"
                        "  writeln(a[1] + n);\n"
                        "end;\n"
                        "begin\n"
                        "  v[1] := 1;\n"
                        "  Show(v, Twice(1));\n"
                        "end.\n");
    QStringList seen;
    KeyStepper stepper(window, [&](int) {
        for (const TVisutab* view : window.ArrayViews().Windows()) {
            if (!seen.contains(view->VariableCaption())) {
                seen << view->VariableCaption();
            }
        }
        return Qt::Key_F7;
    });
    QCOMPARE(window.RunProgram(true), 0);
    QVERIFY2(seen.contains("SHOW.A"), qPrintable(seen.join(" ")));
    QVERIFY2(seen.contains("_SHOW.A"), qPrintable(seen.join(" ")));
    QVERIFY(window.ArrayViews().Find("SHOW.A") == nullptr);
    QVERIFY(window.ArrayViews().Find("_SHOW.A") == nullptr);
    QVERIFY(window.ArrayViews().Find("PARAM.V") != nullptr);
}

void ViewsTest::LinkedListIsDrawnAsOneRowOfCells()
{
    TMainForm window(folder->path());
    StartEditor(window, Chain);
    std::vector<int> cells;
    bool minimized = true;
    KeyStepper stepper(window, [&](int) {
        cells.push_back(window.HeapView().CellCount());
        minimized = minimized && IsMinimized(&window.HeapView());
        return Qt::Key_F8;
    });
    QCOMPARE(window.RunProgram(true), 0);
    QVERIFY(!minimized);
    // One cell more at each NEW.
    QVERIFY2(cells.front() == 0 && cells.back() == 4, qPrintable(QString::number(cells.back())));
    for (std::size_t i = 1; i < cells.size(); ++i) {
        QVERIFY(cells[i] == cells[i - 1] || cells[i] == cells[i - 1] + 1);
    }

    Tvisutas& view = window.HeapView();
    QCOMPARE(view.CellCount(), 4);
    QCOMPARE(view.ArrowCount(), 3);
    const std::vector<const QbHeap::Cell*> list = view.Heap()->Cells();
    for (std::size_t i = 1; i < list.size(); ++i) {
        QCOMPARE(list[i]->Y, list[0]->Y);
        QCOMPARE(list[i]->X, list[i - 1]->X + list[i - 1]->Width() + QbHeap::Gap);
    }
    QCOMPARE(list[0]->X, QbHeap::LeftMargin);
    QCOMPARE(view.CellText(list[0]->Block), QString("1"));
    QCOMPARE(view.CellText(list[3]->Block), QString("4"));

    // The anchors name their variables; the last cell is held by P alone.
    const QPoint firstAnchor(list[0]->X - 11, list[0]->Y - 13);
    const QPoint lastAnchor(list[3]->X - 11, list[3]->Y - 13);
    QCOMPARE(view.HintAt(firstAnchor), QString("HEAD"));
    QCOMPARE(view.HintAt(lastAnchor), QString("P"));
    QVERIFY(view.HintAt(QPoint(list[1]->X - 11, list[1]->Y - 13)).isEmpty());

    // Over the pointer square of the first cell its arrow is highlighted.
    const QPoint square(list[0]->X + QbHeap::ValueWidth + 5, list[0]->Y + 5);
    QCOMPARE(view.HitAt(square).Square, 1);
    QMouseEvent move(QEvent::MouseMove, QPointF(square), view.Canvas().mapToGlobal(QPointF(square)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&view.Canvas(), &move);
    QCOMPARE(view.HighlightedSquare(), 1);
    QCOMPARE(view.HighlightedBlock(), list[0]->Block);
    QVERIFY(view.Canvas().grab().save(folder->filePath("heap.png")));
}

void ViewsTest::HeapViewMinimizedForAProgramWithoutPointers()
{
    TMainForm window(folder->path());
    StartEditor(window, "program Plain;\nvar i: integer;\nbegin\n  i := 1;\nend.\n");
    std::vector<bool> minimized;
    KeyStepper stepper(window, [&](int) {
        minimized.push_back(IsMinimized(&window.HeapView()));
        return Qt::Key_F8;
    });
    QCOMPARE(window.RunProgram(true), 0);
    QVERIFY(!minimized.empty());
    QCOMPARE(minimized, std::vector<bool>(minimized.size(), true));
    QCOMPARE(window.HeapView().CellCount(), 0);
}

void ViewsTest::UnassignedValuesAreRed()
{
    TMainForm window(folder->path());
    StartEditor(window, "program Colours;\n"
                        "var a, b: integer;\n"
                        "procedure P;\n"
                        "var t: integer;\n"
                        "begin\n"
                        "  t := 1;\n"
                        "end;\n"
                        "begin\n"
                        "  a := 0;\n"
                        "  P;\n"
                        "end.\n");
    std::vector<QColor> a;
    std::vector<QColor> b;
    std::vector<QString> t; // P.T's text and colour while P runs
    KeyStepper stepper(window, [&](int) {
        a.push_back(window.Globals().ValueColour("A"));
        b.push_back(window.Globals().ValueColour("B"));
        Texecpile& stack = window.ExecutionStack();
        for (int r = 0; r < stack.rowCount(); ++r) {
            if (stack.item(r, 0)->text() == "P.T") {
                const QColor colour = stack.item(r, 1)->background().color();
                t.push_back(stack.item(r, 1)->text() + (colour == ViewColours::Unassigned ? "/red"
                                                        : colour == ViewColours::Changed
                                                            ? "/yellow"
                                                            : "/white"));
            }
        }
        return Qt::Key_F7;
    });
    QCOMPARE(window.RunProgram(true), 0);
    QVERIFY(a.size() >= 3);
    // Globals are listed in the order they were declared.
    QVERIFY(window.Globals().rowCount() >= 2);
    QCOMPARE(window.Globals().item(0, 0)->text(), QString("A"));
    QCOMPARE(window.Globals().item(1, 0)->text(), QString("B"));
    using namespace ViewColours;
    QCOMPARE(a[0], Unassigned);
    QCOMPARE(b[0], Unassigned);
    // Its first assignment shows as a change, even of a value the zeroed area already held.
    QCOMPARE(a[1], Changed);
    QCOMPARE(b[1], Unassigned);
    QCOMPARE(b.back(), Unassigned);
    QVERIFY2(t.size() >= 2, qPrintable(QStringList(t.begin(), t.end()).join(" ")));
    QCOMPARE(t.front(), QString("/red"));
    QVERIFY2(std::find(t.begin(), t.end(), QString("1/yellow")) != t.end(),
             qPrintable(QStringList(t.begin(), t.end()).join(" ")));
}

// Without re-laying out at the end of each instruction, a new cell hangs beside its parent until
// the pupil right-clicks its structure, which then takes the shape of a tree.
void ViewsTest::RightClickLaysOutATreeOnlyWhenAllowed()
{
    struct Case
    {
        int Flags;
        bool LaidOut;
    };
    for (const Case& test : {Case{870 & ~64, true}, Case{870 & ~(64 | 32), false}}) {
        {
            QSettings settings(folder->filePath("movila.ini"), QSettings::IniFormat);
            settings.setValue("Environment/UsageFlags", test.Flags);
        }
        TMainForm window(folder->path());
        StartEditor(window, Tree);
        QCOMPARE(window.RunProgram(false), 0);
        Tvisutas& view = window.HeapView();
        const std::vector<const QbHeap::Cell*> cells = view.Heap()->Cells();
        QCOMPARE(cells.size(), std::size_t{4});
        const QbHeap::Cell& root = *cells[0];
        const QbHeap::Cell& left = *cells[1];
        QCOMPARE(left.Y, root.Y);
        QMouseEvent click(QEvent::MouseButtonPress, QPointF(left.X + 5, left.Y + 5),
                          view.Canvas().mapToGlobal(QPointF(left.X + 5, left.Y + 5)),
                          Qt::RightButton, Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(&view.Canvas(), &click);
        if (!test.LaidOut) {
            QCOMPARE(left.Y, root.Y);
            continue;
        }
        // From the root: two levels below it, each 50 pixels lower, children either side, the
        // whole tree shifted to the left margin.
        QCOMPARE(left.Y, root.Y + QbHeap::RowStep);
        QCOMPARE(cells[2]->Y, root.Y + QbHeap::RowStep);
        QCOMPARE(cells[3]->Y, root.Y + 2 * QbHeap::RowStep);
        QVERIFY(left.X < root.X && root.X < cells[2]->X);
        QCOMPARE(cells[3]->X, QbHeap::LeftMargin);
    }
}
