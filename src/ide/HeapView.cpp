// The heap view paints the engine's heap model; the layout itself is the model's.
#include "ide/HeapView.h"

#include "frontend/QbSyntaxe.h"
#include "lexical/TextEncoding.h"
#include "runtime/DataAddress.h"
#include "runtime/QbGesdata.h"
#include "runtime/QbHeap.h"
#include "symbols/QbTable.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <vector>

namespace {
using Cell = QbHeap::Cell;

constexpr int AnchorSize = 10;
constexpr int AnchorLeft = 6;  // gap between the anchor and the cell's left edge
constexpr int AnchorAbove = 8; // gap between the anchor and the cell's top
constexpr int HeadSize = 4;    // arrow heads
constexpr int ApproachGap = 8; // where a routed arrow turns before its target
const QColor ValueBox(0, 255, 255);
const QColor EmptyBox(255, 0, 0);
const QColor LinkedSquare(128, 128, 128);
const QColor Background(Qt::black);

QString Shown(const std::string& text)
{
    return QString::fromStdString(TextEncoding::Windows1252ToUtf8(text));
}

QRect CellRect(const Cell& cell)
{
    return {cell.X, cell.Y, cell.Width(), QbHeap::CellHeight};
}

QRect AnchorRect(const Cell& cell)
{
    return {cell.X - AnchorLeft - AnchorSize, cell.Y - AnchorAbove - AnchorSize, AnchorSize,
            AnchorSize};
}

QRect SquareRect(const Cell& cell, int k)
{
    return {cell.X + QbHeap::ValueWidth + QbHeap::SquareWidth * (k - 1), cell.Y,
            QbHeap::SquareWidth, QbHeap::CellHeight};
}

const Cell* TargetOf(const QbHeap& heap, const Cell& cell, int k)
{
    if (k < 1 || k > QbHeap::DrawnTargets || k > cell.PointerFields()) {
        return nullptr;
    }
    const std::uint32_t target = cell.Targets[static_cast<std::size_t>(k - 1)];
    return target != DataAddress::Nil ? heap.FindCell(target) : nullptr;
}

void ArrowHead(QPainter& painter, QPoint tip)
{
    painter.drawLine(tip, tip + QPoint(-HeadSize, -HeadSize));
    painter.drawLine(tip, tip + QPoint(-HeadSize, HeadSize));
}

// From the centre of square k to the target's left edge: straight along the row from the last
// square when no cell stands between, else up above the row, across and down into the target.
void DrawArrow(QPainter& painter, const std::vector<const Cell*>& cells, const Cell& from, int k,
               const Cell& to)
{
    const QPoint start(from.X + QbHeap::SquareWidth * k + 50, from.Y + QbHeap::CellHeight / 2);
    const QPoint tip(to.X, to.Y + QbHeap::CellHeight / 2);
    bool straight = k == from.PointerFields() && to.Y == from.Y && to.X > from.X + from.Width();
    for (const Cell* other : cells) {
        if (!straight) {
            break;
        }
        straight = !(other != &from && other != &to && other->Y == from.Y && other->X > from.X &&
                     other->X < to.X);
    }
    if (straight) {
        painter.drawLine(start, tip);
    } else {
        const int above = from.Y - (4 * k + 6);
        const int turn = to.X - ApproachGap;
        const QPoint points[] = {start, {start.x(), above}, {turn, above}, {turn, tip.y()}, tip};
        painter.drawPolyline(points, 5);
    }
    ArrowHead(painter, tip);
}
} // namespace

// The surface the heap is painted on; the scroll area around it follows its size.
class HeapCanvas : public QWidget
{
  public:
    explicit HeapCanvas(Tvisutas& owner) : QWidget(&owner), view(owner) { setMouseTracking(true); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    void DrawCell(QPainter& painter, const QbHeap& heap, const Cell& cell);

    Tvisutas& view;
};

void HeapCanvas::DrawCell(QPainter& painter, const QbHeap& heap, const Cell& cell)
{
    const QRect whole = CellRect(cell);
    painter.fillRect(whole, Qt::white);
    const QRect value(cell.X + 1, cell.Y + 1, QbHeap::ValueWidth - 2, QbHeap::CellHeight - 2);
    const QString text = view.CellText(cell.Block);
    painter.fillRect(value, text.isEmpty() ? EmptyBox : ValueBox);
    painter.setPen(Qt::black);
    painter.drawText(value.adjusted(2, 0, -1, 0), Qt::AlignVCenter | Qt::AlignLeft,
                     painter.fontMetrics().elidedText(text, Qt::ElideRight, value.width() - 3));
    for (int k = 1; k <= cell.PointerFields(); ++k) {
        const QRect square = SquareRect(cell, k).adjusted(2, 2, -2, -2);
        const bool linked = TargetOf(heap, cell, k) != nullptr;
        painter.fillRect(square, linked ? LinkedSquare : EmptyBox);
        if (!linked) {
            painter.setPen(Qt::white);
            painter.drawLine(square.bottomLeft(), square.topRight());
        }
    }
}

void HeapCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Background);
    const QbHeap* heap = view.Heap();
    if (heap == nullptr) {
        return;
    }
    QFont small = font();
    small.setPointSize(7);
    painter.setFont(small);
    const std::vector<const Cell*> cells = heap->Cells();
    const Cell* highlighted = heap->FindCell(view.HighlightedBlock());
    const Cell* front =
        highlighted != nullptr ? TargetOf(*heap, *highlighted, view.HighlightedSquare()) : nullptr;
    painter.setPen(Qt::white);
    for (const Cell* cell : cells) {
        for (int k = 1; k <= std::min(cell->PointerFields(), QbHeap::DrawnTargets); ++k) {
            const Cell* target = TargetOf(*heap, *cell, k);
            if (target != nullptr && !(cell == highlighted && k == view.HighlightedSquare())) {
                DrawArrow(painter, cells, *cell, k, *target);
            }
        }
    }
    for (const Cell* cell : cells) {
        if (cell != front) {
            DrawCell(painter, *heap, *cell);
        }
        if (!heap->AnchorHolders(cell->Block).empty()) {
            const QRect anchor = AnchorRect(*cell);
            painter.fillRect(anchor, Qt::green);
            painter.setPen(Qt::white);
            const QPoint tip(cell->X, cell->Y + QbHeap::CellHeight / 2);
            const QPoint points[] = {
                {anchor.center().x(), anchor.bottom() + 1}, {anchor.center().x(), tip.y()}, tip};
            painter.drawPolyline(points, 3);
            ArrowHead(painter, tip);
        }
    }
    if (front != nullptr) {
        painter.setPen(QPen(Qt::yellow, 2));
        DrawArrow(painter, cells, *highlighted, view.HighlightedSquare(), *front);
        DrawCell(painter, *heap, *front);
    }
}

void HeapCanvas::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    const Tvisutas::Hit hit = view.HitAt(point);
    view.Highlight(hit.Square > 0 ? hit.Block : 0, hit.Square);
    const QString hint = view.HintAt(point);
    if (hint.isEmpty()) {
        QToolTip::hideText();
    } else {
        QToolTip::showText(event->globalPosition().toPoint(), hint, this);
    }
}

void HeapCanvas::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        view.ReorganizeAt(event->position().toPoint());
        return;
    }
    QWidget::mousePressEvent(event);
}

void HeapCanvas::leaveEvent(QEvent* event)
{
    view.Highlight(0, 0);
    QWidget::leaveEvent(event);
}

Tvisutas::Tvisutas(QWidget* parent) : QScrollArea(parent), canvas(new HeapCanvas(*this))
{
    setWindowTitle("Heap");
    setWidget(canvas);
    setWidgetResizable(false);
    setBackgroundRole(QPalette::Dark);
    resize(DefaultWidth, DefaultHeight);
    canvas->resize(DefaultWidth, DefaultHeight);
}

QWidget& Tvisutas::Canvas()
{
    return *canvas;
}

void Tvisutas::SetMaximalDepth(int depth)
{
    maximalDepth = std::clamp(depth, 2, 6);
}

void Tvisutas::Reset(QbSyntaxe* newDriver, QWidget* newOwner)
{
    driver = newDriver;
    owner = newOwner;
    highlightBlock = 0;
    highlightSquare = 0;
    Refresh();
}

QbHeap* Tvisutas::Heap() const
{
    if (driver == nullptr || owner == nullptr || !driver->Heap || !driver->Heap->IsOpen()) {
        return nullptr;
    }
    return driver->Heap.get();
}

void Tvisutas::Refresh()
{
    QSize size = viewport()->size();
    if (const QbHeap* heap = Heap()) {
        for (const Cell* cell : heap->Cells()) {
            size = size.expandedTo(QSize(cell->X + cell->Width() + QbHeap::LeftMargin,
                                         cell->Y + QbHeap::CellHeight + QbHeap::RowStep));
        }
    }
    if (canvas->size() != size) {
        canvas->resize(size);
    }
    canvas->update();
}

void Tvisutas::Reorganize()
{
    QbHeap* heap = Heap();
    if (heap == nullptr) {
        return;
    }
    heap->MaximalDepth = maximalDepth;
    heap->FromRoot = (usageFlags & 256) != 0;
    heap->Reorganize();
    // Called after every statement of a quick run: the drawing follows when events are next
    // processed, once however many statements ended meanwhile.
    if (!refreshPending) {
        refreshPending = true;
        QTimer::singleShot(0, this, [this] {
            refreshPending = false;
            Refresh();
        });
    }
}

void Tvisutas::ReorganizeAt(QPoint point)
{
    QbHeap* heap = Heap();
    const Hit hit = HitAt(point);
    if (heap == nullptr || hit.Block == 0 || (usageFlags & 32) == 0) {
        return;
    }
    heap->MaximalDepth = maximalDepth;
    heap->FromRoot = (usageFlags & 256) != 0;
    // An anchor is always drawn beside its cell: putting the cell back beside it moves nothing.
    heap->ReorganizeStructure(hit.Block);
    Refresh();
}

Tvisutas::Hit Tvisutas::HitAt(QPoint point) const
{
    Hit hit;
    const QbHeap* heap = Heap();
    if (heap == nullptr) {
        return hit;
    }
    // The last drawn is on top.
    const std::vector<const Cell*> cells = heap->Cells();
    for (auto it = cells.rbegin(); it != cells.rend(); ++it) {
        const Cell& cell = **it;
        if (CellRect(cell).contains(point)) {
            hit.Block = cell.Block;
            const int x = point.x() - cell.X - QbHeap::ValueWidth;
            hit.Square = x >= 0 ? x / QbHeap::SquareWidth + 1 : 0;
            return hit;
        }
        if (AnchorRect(cell).contains(point) && !heap->AnchorHolders(cell.Block).empty()) {
            hit.Block = cell.Block;
            hit.Anchor = true;
            return hit;
        }
    }
    return hit;
}

QString Tvisutas::HintAt(QPoint point) const
{
    const Hit hit = HitAt(point);
    const QbHeap* heap = Heap();
    if (!hit.Anchor || heap == nullptr) {
        return {};
    }
    QStringList names;
    for (const std::uint32_t holder : heap->AnchorHolders(hit.Block)) {
        try {
            const std::string name = driver->Data->NameOfAddress(holder);
            if (!name.empty()) {
                names << Shown(name);
            }
        } catch (...) {
            // A name the data manager refuses to build (recursion forbidden) is left out.
        }
    }
    return names.join('\n');
}

// A record shows its first field, another type its value, an array or a disposed cell nothing.
QString Tvisutas::CellText(std::uint32_t block) const
{
    const QbHeap* heap = Heap();
    const Cell* cell = heap != nullptr ? heap->FindCell(block) : nullptr;
    if (cell == nullptr || cell->Disposed || cell->Type == 0) {
        return {};
    }
    QbGesdata& manager = *driver->Data;
    QbTable& table = *driver->Table;
    try {
        std::uint16_t type = manager.TypeArgument(cell->Type);
        std::uint32_t address = cell->Block;
        QbGesdata::TypeInfo info = manager.Resolve(type);
        if (info.Code == TypeCode::Record && info.Entry != 0) {
            const EntryNumber field = table.Link2(table.BaseType(info.Entry));
            if (!table.IsEntry(field)) {
                return {};
            }
            address += table.Value(field);
            type = manager.TypeArgument(table.Link1(field));
            info = manager.Resolve(type);
        }
        if (info.Code == TypeCode::Array || info.Code == TypeCode::Record) {
            return {};
        }
        return Shown(manager.FormatValue(address, type));
    } catch (...) {
        // Painting never stops a run: a value that cannot be formatted is drawn empty.
        return {};
    }
}

int Tvisutas::CellCount() const
{
    const QbHeap* heap = Heap();
    return heap != nullptr ? static_cast<int>(heap->Cells().size()) : 0;
}

int Tvisutas::ArrowCount() const
{
    const QbHeap* heap = Heap();
    if (heap == nullptr) {
        return 0;
    }
    int arrows = 0;
    for (const Cell* cell : heap->Cells()) {
        for (int k = 1; k <= std::min(cell->PointerFields(), QbHeap::DrawnTargets); ++k) {
            arrows += TargetOf(*heap, *cell, k) != nullptr ? 1 : 0;
        }
    }
    return arrows;
}

void Tvisutas::Highlight(std::uint32_t block, int square)
{
    if (block == highlightBlock && square == highlightSquare) {
        return;
    }
    highlightBlock = block;
    highlightSquare = square;
    canvas->update();
}
