// The heap view: the cells, arrows and anchors of an interpreted program's heap.
#pragma once

#include <QPointer>
#include <QScrollArea>

#include <cstdint>

class QbHeap;
class QbSyntaxe;
class HeapCanvas;

// The drawing of the heap model of the driver bound by Reset: a cell per block with one square
// per pointer field, an arrow from each of the first three squares to the cell it points to, an
// anchor beside each cell that variables hold. Moving the mouse over a square shows its arrow in
// yellow; over an anchor, a hint lists the variables. A right click re-lays out the structure
// under the mouse when the usage flags allow it. Created once with the main window and reset for
// every run; the driver is borrowed and forgotten when its editor goes.
class Tvisutas : public QScrollArea
{
    Q_OBJECT

  public:
    static constexpr int DefaultMaximalDepth = 5;
    static constexpr int DefaultWidth = 320;
    static constexpr int DefaultHeight = 240;

    // What lies under a point of the drawing.
    struct Hit
    {
        std::uint32_t Block = 0; // the cell's block; 0 for nothing
        int Square = 0;          // pointer square from 1; 0 for the value area or the anchor
        bool Anchor = false;
    };

    explicit Tvisutas(QWidget* parent = nullptr);

    // Binds the driver whose heap is drawn (may be null); `owner` is the widget that owns the
    // driver: once it is destroyed nothing is drawn.
    void Reset(QbSyntaxe* driver, QWidget* owner);
    // Draws the heap as it stands now.
    void Refresh();
    // Re-lays out what changed since the last reorganisation, with the options; the drawing
    // follows at the next processing of events.
    void Reorganize();
    // A right click at `point` of the drawing: re-lays out that structure when allowed.
    void ReorganizeAt(QPoint point);

    // Usage flags of the environment: 32 right click, 256 from the root of the structure.
    void SetUsageFlags(int flags) { usageFlags = flags; }
    // Depth of exact drawing of a binary tree, kept within 2..6.
    void SetMaximalDepth(int depth);
    int MaximalDepth() const { return maximalDepth; }

    // The heap drawn, null when no driver is bound or it keeps no heap.
    QbHeap* Heap() const;
    Hit HitAt(QPoint point) const;
    // The hint at `point`: the variables holding the cell of an anchor, one per line.
    QString HintAt(QPoint point) const;
    // The value text drawn in a cell.
    QString CellText(std::uint32_t block) const;
    // What is drawn, for tests: cells and arrows (to a cell) of the first three squares.
    int CellCount() const;
    int ArrowCount() const;
    // The arrow drawn in yellow: cell block and square (0 when none).
    std::uint32_t HighlightedBlock() const { return highlightBlock; }
    int HighlightedSquare() const { return highlightSquare; }
    void Highlight(std::uint32_t block, int square);
    QWidget& Canvas();

  private:
    friend class HeapCanvas;

    HeapCanvas* canvas;
    QbSyntaxe* driver = nullptr; // may be null
    QPointer<QWidget> owner;
    int usageFlags = 0;
    int maximalDepth = DefaultMaximalDepth;
    std::uint32_t highlightBlock = 0;
    int highlightSquare = 0;
    bool refreshPending = false;
};
