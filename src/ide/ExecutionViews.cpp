// The execution views read the symbol table and the data manager at every step.
#include "ide/ExecutionViews.h"

#include "diagnostics/ErrorNumber.h"
#include "frontend/ProgramOptions.h"
#include "frontend/QbSyntaxe.h"
#include "lexical/TextEncoding.h"
#include "runtime/DataAddress.h"
#include "runtime/QbGesdata.h"
#include "symbols/QbTable.h"

#include <QHeaderView>

namespace {
using ViewColours::Changed;
using ViewColours::NameGrey;
using ViewColours::Unassigned;
using ViewColours::Unchanged;

// Never a value text: texts come from single-byte program data converted to printable UTF-8.
const QString UnassignedMark = QStringLiteral("\x01unassigned");

QString Shown(const std::string& text)
{
    return QString::fromStdString(TextEncoding::Windows1252ToUtf8(text));
}

QColor FrameShade(int i)
{
    return QColor(255 - 20 * i, 250 - 20 * i, 245 - 20 * i);
}

bool IsReferenceMode(std::uint8_t mode)
{
    return mode == VariableMode::VarParameter || mode == VariableMode::OutParameter;
}

// The rows of one variable: a record gives one row per field (name "." field), anything else
// one row with the value text of the data manager. An unassigned variable's rows are red; they
// show its memory only when `showUnassigned` (the global area is zero-filled for every run, a
// frame's storage holds whatever an earlier call left there).
void AddValueRows(std::vector<ViewRow>& rows, const std::string& name, std::uint32_t address,
                  std::uint16_t type, bool assigned, bool showUnassigned, QbGesdata& manager,
                  QbTable& table)
{
    const QbGesdata::TypeInfo info = manager.Resolve(type);
    // An array's text also opens its window, which shows the array's state itself.
    const bool shown = assigned || showUnassigned || info.Code == TypeCode::Array;
    if (info.Code == TypeCode::Record && info.Entry != 0) {
        const EntryNumber record = table.BaseType(info.Entry);
        EntryNumber field = table.Link2(record);
        for (int steps = 0; steps <= QbTable::MaxEntries && table.IsEntry(field);
             ++steps, field = table.Link2(field)) {
            ViewRow row;
            row.Name = name + "." + table.GetName(field);
            row.Assigned = assigned;
            row.Value = shown ? manager.FormatValue(address + table.Value(field),
                                                    manager.TypeArgument(table.Link1(field)))
                              : std::string();
            rows.push_back(row);
        }
        return;
    }
    ViewRow row;
    row.Name = name;
    row.Assigned = assigned;
    row.Value = shown ? manager.FormatValue(address, type) : std::string();
    rows.push_back(row);
}
} // namespace

ValueGrid::ValueGrid(const QStringList& headers, QWidget* parent) : QTableWidget(parent)
{
    setColumnCount(headers.size());
    setHorizontalHeaderLabels(headers);
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
}

QString ValueGrid::RoutinePart(const QString& name)
{
    const int first = name.indexOf('.');
    if (first < 0) {
        return name;
    }
    if (first + 1 < name.size() && name[first + 1].isDigit()) {
        const int second = name.indexOf('.', first + 1);
        return second < 0 ? name : name.left(second);
    }
    return name.left(first);
}

void ValueGrid::ShowRows(const std::vector<ViewRow>& rows, bool shadeFrames)
{
    setRowCount(static_cast<int>(rows.size()));
    QMap<QString, QString> texts;
    int shade = 0;
    QString previousRoutine;
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const QString name = Shown(rows[r].Name);
        const QString value = Shown(rows[r].Value);
        auto* nameItem = new QTableWidgetItem(name);
        if (shadeFrames) {
            const QString routine = RoutinePart(name);
            if (r > 0 && routine != previousRoutine) {
                shade = (shade + 1) % 8;
            }
            previousRoutine = routine;
            nameItem->setBackground(FrameShade(shade));
        } else {
            nameItem->setBackground(NameGrey);
        }
        setItem(r, 0, nameItem);
        auto* valueItem = new QTableWidgetItem(value);
        const auto last = lastTexts.find(name);
        const bool assigned = rows[r].Assigned && !value.isEmpty();
        const QString kept = assigned ? value : UnassignedMark;
        if (!assigned) {
            valueItem->setBackground(Unassigned);
        } else if (last != lastTexts.end() && *last != kept) {
            valueItem->setBackground(Changed);
            valueItem->setData(Qt::UserRole, true);
        } else {
            valueItem->setBackground(Unchanged);
        }
        setItem(r, 1, valueItem);
        texts.insert(name, kept);
    }
    lastTexts = texts;
    if (!rows.empty()) {
        scrollToItem(item(rowCount() - 1, 0));
    }
}

void ValueGrid::Forget()
{
    lastTexts.clear();
    setRowCount(0);
}

QString ValueGrid::ValueOf(const QString& name) const
{
    for (int r = 0; r < rowCount(); ++r) {
        if (item(r, 0) != nullptr && item(r, 0)->text() == name) {
            return item(r, 1) != nullptr ? item(r, 1)->text() : QString();
        }
    }
    return {};
}

bool ValueGrid::IsChanged(const QString& name) const
{
    for (int r = 0; r < rowCount(); ++r) {
        if (item(r, 0) != nullptr && item(r, 0)->text() == name && item(r, 1) != nullptr) {
            return item(r, 1)->data(Qt::UserRole).toBool();
        }
    }
    return false;
}

QColor ValueGrid::ValueColour(const QString& name) const
{
    for (int r = 0; r < rowCount(); ++r) {
        if (item(r, 0) != nullptr && item(r, 0)->text() == name && item(r, 1) != nullptr) {
            return item(r, 1)->background().color();
        }
    }
    return {};
}

bool IsAddressAssigned(QbSyntaxe& driver, std::uint32_t address)
{
    QbGesdata& manager = *driver.Data;
    QbTable& table = *driver.Table;
    switch (DataAddress::AreaOf(address)) {
    case DataAddress::Area::Global: {
        std::uint32_t offset = 0;
        const EntryNumber variable = table.VariableAt(address - DataAddress::GlobalBase, offset);
        return variable == 0 || (table.Aux(variable) & VariableFlag::Run) != 0 ||
               driver.OptionB(OptionB::InitializeVariables);
    }
    case DataAddress::Area::Stack: {
        if (!manager.IsOpen()) {
            return true;
        }
        // The variable descriptor whose storage starts at the address, or the nearest one below
        // it (an element of a structure lies inside its variable).
        std::uint16_t best = 0;
        std::uint32_t bestStart = 0;
        for (std::uint16_t i = QbGesdata::DescriptorCount - 1; i > manager.DescriptorTop(); --i) {
            if (manager.IsFrameHeader(i)) {
                continue;
            }
            const std::uint32_t start = DataAddress::Stack(manager.DescriptorLink(i));
            if (start <= address && (best == 0 || start > bestStart)) {
                best = i;
                bestStart = start;
            }
        }
        return best == 0 || manager.IsAssigned(best);
    }
    default:
        return true;
    }
}

Texecpile::Texecpile(QWidget* parent) : ValueGrid({"NAME", "CURRENT VALUE"}, parent)
{
    setWindowTitle("Execution stack");
}

void Texecpile::Reset()
{
    Forget();
}

void Texecpile::Refresh(QbSyntaxe& driver)
{
    QbGesdata& manager = *driver.Data;
    QbTable& table = *driver.Table;
    std::vector<ViewRow> rows;
    if (!manager.IsOpen()) {
        ShowRows(rows, true);
        return;
    }
    // Descriptors grow downwards: a frame's variables lie above (at higher indices than) its
    // header, so walking down meets a frame's variables first, then its header.
    std::vector<std::uint16_t> pending;
    for (std::uint16_t i = QbGesdata::DescriptorCount - 1; i > manager.DescriptorTop(); --i) {
        if (!manager.IsFrameHeader(i)) {
            pending.push_back(i);
            continue;
        }
        const std::string caption = manager.RoutineCaption(manager.DescriptorSymbol(i), i);
        for (const std::uint16_t index : pending) {
            const std::uint16_t variable = manager.DescriptorSymbol(index);
            const std::string name = (manager.IsDescriptorMarked(index) ? "_" : "") + caption +
                                     "." + table.GetName(variable);
            std::uint32_t address = DataAddress::Stack(manager.DescriptorLink(index));
            if (IsReferenceMode(table.Code(variable))) {
                const std::uint8_t* bytes = manager.Bytes(address, 4);
                address = bytes == nullptr ? DataAddress::Nil
                                           : (bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
                                              (static_cast<std::uint32_t>(bytes[3]) << 24));
            }
            AddValueRows(rows, name, address, manager.TypeOfVariable(variable),
                         manager.IsAssigned(index), false, manager, table);
            if (static_cast<int>(rows.size()) >= MaxRows) {
                driver.Errors->Raise(252);
            }
        }
        pending.clear();
    }
    ShowRows(rows, true);
}

Tevalpile::Tevalpile(QWidget* parent) : QTableWidget(parent)
{
    setWindowTitle("Evaluation stack");
    setColumnCount(1);
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    Reset();
}

void Tevalpile::Reset()
{
    setRowCount(0);
    auto* header = new QTableWidgetItem("EMPTY STACK");
    header->setBackground(QColor(150, 230, 150));
    setHorizontalHeaderItem(0, header);
}

void Tevalpile::Refresh(QbSyntaxe& driver)
{
    const std::vector<std::string>& values = driver.Data->EvaluationRows();
    setRowCount(static_cast<int>(values.size()));
    for (int r = 0; r < static_cast<int>(values.size()); ++r) {
        setItem(r, 0, new QTableWidgetItem(Shown(values[r])));
    }
    horizontalHeaderItem(0)->setText(values.empty() ? "EMPTY STACK" : "CURRENT VALUES");
}

TGlobales::TGlobales(QWidget* parent) : ValueGrid({"NAME", "CURRENT VALUE"}, parent)
{
    setWindowTitle("Global variables");
}

void TGlobales::Reset()
{
    Forget();
}

void TGlobales::Refresh(QbSyntaxe& driver, int usageFlags)
{
    QbTable& table = *driver.Table;
    QbGesdata& manager = *driver.Data;
    std::vector<ViewRow> rows;
    const auto addModule = [&](std::uint16_t module, bool prefixed) {
        // The block's chain holds its variables last declared first; the pupil reads them in
        // the order of the declarations.
        std::vector<std::uint16_t> variables;
        for (std::uint16_t variable = table.NextVariable(module);
             variable != 0 && table.IsEntry(variable) &&
             variables.size() < static_cast<std::size_t>(QbTable::MaxEntries);
             variable = table.NextVariable(variable)) {
            variables.push_back(variable);
        }
        for (auto it = variables.rbegin(); it != variables.rend(); ++it) {
            const std::uint16_t variable = *it;
            // Names the program cannot write (a FOR loop's hidden bound) are the interpreter's own.
            if (table.Kind(variable) != EntryKind::Variable ||
                table.GetName(variable).find('~') != std::string::npos) {
                continue;
            }
            std::string name = table.GetName(variable);
            if (table.IsMarked(variable)) {
                name = "(" + name + ")";
            }
            if (manager.IsOpen()) {
                const bool assigned = (table.Aux(variable) & VariableFlag::Run) != 0 ||
                                      driver.OptionB(OptionB::InitializeVariables);
                AddValueRows(rows, prefixed ? table.GetName(module) + "." + name : name,
                             DataAddress::Global(table.Value(variable)),
                             manager.TypeOfVariable(variable), assigned, true, manager, table);
            }
        }
    };
    addModule(1, false);
    int guard = 0;
    for (std::uint16_t unit = table.FirstUnit(); unit != 0 && guard < QbTable::MaxEntries;
         unit = table.NextUnit(unit), ++guard) {
        const std::string name = table.GetName(unit);
        if ((name == "SYSTEM" && (usageFlags & 8) == 0) ||
            (name == "CRT" && (usageFlags & 16) == 0)) {
            continue;
        }
        addModule(unit, true);
    }
    ShowRows(rows, false);
}
