// The array windows read the array's type from the symbol table and its elements from the data
// manager at every step.
#include "ide/ArrayViews.h"

#include "frontend/QbSyntaxe.h"
#include "ide/ExecutionViews.h"
#include "ide/IdeSupport.h"
#include "lexical/TextEncoding.h"
#include "runtime/DataAddress.h"
#include "runtime/QbGesdata.h"
#include "symbols/QbTable.h"

#include <QEvent>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>

namespace {
// The vocabulary's words for TRUE, FALSE and ARRAY.
constexpr std::uint16_t TrueWord = 54;
constexpr std::uint16_t FalseWord = 55;
constexpr std::uint16_t ArrayWord = 35;

QString Shown(const std::string& text)
{
    return QString::fromStdString(TextEncoding::Windows1252ToUtf8(text));
}

QString EnumerationName(const QbTable& table, EntryNumber enumType, std::int32_t ordinal)
{
    for (EntryNumber entry = 1; entry < table.NextFree(); ++entry) {
        if (table.Kind(entry) == EntryKind::EnumValue && table.Owner(entry) == enumType &&
            table.Link1(entry) == ordinal) {
            return Shown(table.GetName(entry));
        }
    }
    return QString::number(ordinal);
}
} // namespace

QString ArrayLayout::IndexLabel(QbSyntaxe& driver, std::uint16_t indexType, std::int32_t value)
{
    const QbTable& table = *driver.Table;
    const EntryNumber base = table.BaseType(indexType);
    std::uint8_t code = table.Code(base);
    if (code == TypeCode::Enumerated) {
        return EnumerationName(table, base, value);
    }
    if (code == TypeCode::Subrange) {
        // The index copies of CHAR, BOOLEAN and BYTE are subranges over them.
        code = static_cast<std::uint8_t>(table.Aux(base) & 0xFF);
    }
    switch (code) {
    case TypeCode::Char:
        if (value < 32 || value >= 128) {
            return QString("chr(%1)").arg(value);
        }
        return QString(QChar(value));
    case TypeCode::Boolean:
        return Shown(driver.Word(value != 0 ? TrueWord : FalseWord));
    default:
        return QString::number(value);
    }
}

bool ArrayLayout::Build(QbSyntaxe& driver, std::uint16_t arrayType, ArrayLayout& layout)
{
    QbTable& table = *driver.Table;
    QbGesdata& manager = *driver.Data;
    layout = {};
    const EntryNumber base = table.BaseType(arrayType);
    const int dimensions = table.Aux(base);
    if (table.Code(base) != TypeCode::Array || dimensions < 1 || dimensions > 2) {
        return false;
    }
    const auto firstIndex = static_cast<EntryNumber>(table.Link2(base));
    std::int32_t rowLow = 0;
    std::int32_t rowCount = 0;
    if (!table.IndexBounds(firstIndex, rowLow, rowCount)) {
        return false;
    }
    const std::uint16_t element = manager.TypeArgument(table.Link1(base));
    const QbGesdata::TypeInfo info = manager.Resolve(element);
    if (info.Size == 0) {
        return false;
    }
    if (dimensions == 2) {
        const auto secondIndex = static_cast<EntryNumber>(firstIndex + 1);
        std::int32_t columnLow = 0;
        std::int32_t columnCount = 0;
        if (!table.IndexBounds(secondIndex, columnLow, columnCount)) {
            return false;
        }
        for (std::int32_t c = 0; c < columnCount; ++c) {
            layout.ColumnLabels << IndexLabel(driver, secondIndex, columnLow + c);
            layout.ColumnOffsets.push_back(static_cast<std::uint32_t>(c) * info.Size);
            layout.ColumnTypes.push_back(element);
        }
        layout.RowStride = static_cast<std::uint32_t>(columnCount) * info.Size;
    } else if (info.Code == TypeCode::Record && info.Entry != 0) {
        EntryNumber field = table.Link2(table.BaseType(info.Entry));
        for (int steps = 0; steps <= QbTable::MaxEntries && table.IsEntry(field);
             ++steps, field = table.Link2(field)) {
            layout.ColumnLabels << Shown(table.GetName(field));
            layout.ColumnOffsets.push_back(table.Value(field));
            layout.ColumnTypes.push_back(manager.TypeArgument(table.Link1(field)));
        }
        layout.RowStride = info.Size;
    } else {
        layout.ColumnLabels << "CURRENT VALUE";
        layout.ColumnOffsets.push_back(0);
        layout.ColumnTypes.push_back(element);
        layout.RowStride = info.Size;
    }
    // The rows must lie inside the array's own bytes: a table that says otherwise is not drawn.
    if (layout.ColumnOffsets.empty() ||
        static_cast<std::uint64_t>(rowCount) * layout.RowStride > table.Value(base)) {
        layout = {};
        return false;
    }
    for (std::int32_t r = 0; r < rowCount; ++r) {
        layout.RowLabels << IndexLabel(driver, firstIndex, rowLow + r);
    }
    const std::string name = table.GetName(base);
    layout.TypeName = Shown(name.empty() ? driver.Word(ArrayWord) : name);
    return true;
}

TVisutab::TVisutab(const QString& variableCaption, QWidget* parent)
    : QTableWidget(parent), variable(variableCaption)
{
    verticalHeader()->hide();
    horizontalHeader()->setStretchLastSection(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setWindowTitle(variableCaption);
}

void TVisutab::BuildGrid()
{
    clear();
    setColumnCount(static_cast<int>(layout.ColumnOffsets.size()) + 1);
    setHorizontalHeaderLabels(QStringList{"INDEX"} + layout.ColumnLabels);
    setRowCount(static_cast<int>(layout.RowLabels.size()));
    for (int r = 0; r < rowCount(); ++r) {
        auto* label = new QTableWidgetItem(layout.RowLabels[r]);
        label->setBackground(ViewColours::NameGrey);
        setItem(r, 0, label);
        for (int c = 1; c < columnCount(); ++c) {
            setItem(r, c, new QTableWidgetItem);
        }
    }
    setWindowTitle(layout.TypeName + " : " + variable);
    drawn.assign(layout.CellCount(), QString());
    acknowledged.clear();
}

bool TVisutab::Show(QbSyntaxe& driver, std::uint32_t newAddress, std::uint16_t newType)
{
    if (newAddress != address || newType != arrayType || layout.ColumnOffsets.empty()) {
        address = newAddress;
        arrayType = newType;
        if (!ArrayLayout::Build(driver, arrayType, layout)) {
            clear();
            setRowCount(0);
            setColumnCount(0);
            drawn.clear();
            acknowledged.clear();
            return false;
        }
        BuildGrid();
    }
    QbGesdata& manager = *driver.Data;
    const bool assigned = IsAddressAssigned(driver, address);
    // A frame's storage holds what an earlier call left: it is shown once assigned; the global
    // area is zero-filled for every run.
    const bool showMemory = assigned || DataAddress::AreaOf(address) == DataAddress::Area::Global;
    const std::size_t columns = layout.ColumnOffsets.size();
    setUpdatesEnabled(false);
    for (int r = 0; r < rowCount(); ++r) {
        const std::uint32_t row = address + static_cast<std::uint32_t>(r) * layout.RowStride;
        for (std::size_t c = 0; c < columns; ++c) {
            const std::size_t cell = static_cast<std::size_t>(r) * columns + c;
            const QString text =
                Shown(manager.FormatValue(row + layout.ColumnOffsets[c], layout.ColumnTypes[c]));
            drawn[cell] = text;
            QTableWidgetItem* shown = item(r, static_cast<int>(c) + 1);
            if (shown == nullptr) {
                continue;
            }
            const QString visible = showMemory ? text : QString();
            if (shown->text() != visible) {
                shown->setText(visible);
            }
            const QColor colour = !assigned ? ViewColours::Unassigned
                                  : !acknowledged.empty() && acknowledged[cell] != text
                                      ? ViewColours::Changed
                                      : ViewColours::Unchanged;
            if (shown->background().color() != colour) {
                shown->setBackground(colour);
            }
        }
    }
    setUpdatesEnabled(true);
    return true;
}

void TVisutab::Acknowledge()
{
    acknowledged = drawn;
}

QString TVisutab::ValueText(int row, int column) const
{
    const QTableWidgetItem* cell = item(row, column + 1);
    return cell != nullptr ? cell->text() : QString();
}

QColor TVisutab::ValueColour(int row, int column) const
{
    const QTableWidgetItem* cell = item(row, column + 1);
    return cell != nullptr ? cell->background().color() : QColor();
}

ArrayViewHost::ArrayViewHost(QMdiArea& documentArea) : area(documentArea) {}

// The windows belong to the document area; the driver may already be gone with its editor.
ArrayViewHost::~ArrayViewHost() = default;

void ArrayViewHost::Bind(QbSyntaxe& runningDriver)
{
    Unbind();
    CloseAll();
    driver = &runningDriver;
    driver->Data->SetViews(this);
}

void ArrayViewHost::Unbind()
{
    if (driver != nullptr && driver->Data) {
        driver->Data->SetViews(nullptr);
    }
    driver = nullptr;
    for (const auto& [caption, window] : windows) {
        if (window != nullptr) {
            window->showMinimized();
        }
    }
}

void ArrayViewHost::Acknowledge()
{
    for (TVisutab* view : Windows()) {
        view->Acknowledge();
    }
}

void ArrayViewHost::CloseAll()
{
    for (auto& [caption, window] : windows) {
        delete window.data();
    }
    windows.clear();
}

TVisutab* ArrayViewHost::Find(const QString& caption) const
{
    const auto it = windows.find(caption);
    if (it == windows.end() || it->second == nullptr) {
        return nullptr;
    }
    return qobject_cast<TVisutab*>(it->second->widget());
}

std::vector<TVisutab*> ArrayViewHost::Windows() const
{
    std::vector<TVisutab*> views;
    for (const auto& [caption, window] : windows) {
        if (TVisutab* view = Find(caption)) {
            views.push_back(view);
        }
    }
    return views;
}

bool ArrayViewHost::IsArrayWindowOpen(const std::string& caption)
{
    return Find(Shown(caption)) != nullptr;
}

void ArrayViewHost::ShowArrayWindow(const std::string& caption, std::uint32_t address,
                                    std::uint16_t type)
{
    if (driver == nullptr || showing) {
        return;
    }
    struct Guard
    {
        bool& Flag;
        explicit Guard(bool& flag) : Flag(flag) { Flag = true; }
        ~Guard() { Flag = false; }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;
    } guard(showing);
    const QString name = Shown(caption);
    TVisutab* view = Find(name);
    if (view == nullptr) {
        view = new TVisutab(name);
        QMdiSubWindow* window = area.addSubWindow(view);
        window->installEventFilter(new MinimizeOnClose(window));
        windows[name] = window;
        if (view->Show(*driver, address, type)) {
            // Cascaded over the right part of the area, where the views stand while a program
            // runs, so that the editor's text stays in sight.
            const int width = std::clamp(90 + 110 * (view->columnCount() - 1), 220,
                                         std::max(220, area.width() * 9 / 20));
            const int step = 24 * static_cast<int>((windows.size() - 1) % 8);
            const int left = std::max(0, std::min(area.width() * 11 / 20, area.width() - width));
            window->setGeometry(left + step / 2, step, width, 280);
            window->setWindowTitle(view->windowTitle());
            window->show();
        }
    } else {
        view->Show(*driver, address, type);
        if (QWidget* window = view->parentWidget()) {
            window->setWindowTitle(view->windowTitle());
        }
    }
}

void ArrayViewHost::CloseArrayWindow(const std::string& caption)
{
    // A parameter shown while its call was being built carries the "_" mark in its caption; its
    // storage goes with the same frame.
    for (const QString& name : {Shown(caption), "_" + Shown(caption)}) {
        const auto it = windows.find(name);
        if (it != windows.end()) {
            delete it->second.data();
            windows.erase(it);
        }
    }
}

// The views are drawn again at every step, which shows the change.
void ArrayViewHost::AssignedChanged(std::uint32_t) {}

// File variables are not kept by the run time yet: no name to show.
std::string ArrayViewHost::FileName(std::uint32_t)
{
    return {};
}
