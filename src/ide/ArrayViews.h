// The array windows of a run, and the data manager's link to them.
#pragma once

#include "runtime/DataViewHost.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTableWidget>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class QMdiArea;
class QMdiSubWindow;
class QbSyntaxe;

// Where the cells of an array window come from: one row per value of the first index, one value
// column per field (array of records), per value of the second index (two dimensions) or a
// single one. Built from the symbol table alone, so it can be checked without a window.
struct ArrayLayout
{
    QStringList RowLabels;
    QStringList ColumnLabels; // the value columns, after "INDEX"
    std::uint32_t RowStride = 0;
    std::vector<std::uint32_t> ColumnOffsets; // byte offset of each value column inside a row
    std::vector<std::uint16_t> ColumnTypes;   // type argument of each value column
    QString TypeName;

    std::size_t CellCount() const
    {
        return static_cast<std::size_t>(RowLabels.size()) * ColumnOffsets.size();
    }
    // An array the windows can show: one or two dimensions whose bounds the table knows.
    static bool Build(QbSyntaxe& driver, std::uint16_t arrayType, ArrayLayout& layout);
    // The label of value `value` of index type `indexType`: the character itself (or "chr(n)"
    // outside 32..127), the vocabulary's boolean words, an enumeration's names, else the number.
    static QString IndexLabel(QbSyntaxe& driver, std::uint16_t indexType, std::int32_t value);
};

// One watched array variable: a grid whose first column "INDEX" labels the rows, the other
// columns hold the elements formatted by the data manager from memory. A value that differs from
// the one shown at the last acknowledged step is yellow, a value of an array not yet assigned
// red, any other white. Created by ArrayViewHost as a child of the document area, which frees it.
class TVisutab : public QTableWidget
{
    Q_OBJECT

  public:
    explicit TVisutab(const QString& variableCaption, QWidget* parent = nullptr);

    // Lays out the grid for the array at `address` of type `arrayType` (again only when either
    // changed) and draws its elements; false when the array cannot be shown.
    bool Show(QbSyntaxe& driver, std::uint32_t address, std::uint16_t arrayType);
    // The texts drawn now become the reference of the next step's changes.
    void Acknowledge();

    const QString& VariableCaption() const { return variable; }
    std::uint32_t Address() const { return address; }
    // The value cell at `row`, value column `column` (both from 0), for tests and hints.
    QString ValueText(int row, int column) const;
    QColor ValueColour(int row, int column) const;

  private:
    void BuildGrid();

    QString variable;
    std::uint32_t address = 0;
    std::uint16_t arrayType = 0;
    ArrayLayout layout;
    std::vector<QString> acknowledged; // per value cell, row by row; empty until the first step
    std::vector<QString> drawn;
};

// The data manager's view host of the main window: it opens, refreshes and closes the array
// windows while a run is bound to it. Owned by the main window; the windows it creates belong to
// the document area. Between runs the windows stay, minimized, until the next run begins.
class ArrayViewHost : public DataViewHost
{
  public:
    explicit ArrayViewHost(QMdiArea& area);
    ~ArrayViewHost() override;
    ArrayViewHost(const ArrayViewHost&) = delete;
    ArrayViewHost& operator=(const ArrayViewHost&) = delete;

    // A run starts: the last run's windows go, the driver's data manager reports to this host.
    void Bind(QbSyntaxe& driver);
    // The run ended: the data manager is told to forget this host, the windows are minimized.
    void Unbind();
    // After each step: the values shown become the reference for the next step's changes.
    void Acknowledge();

    TVisutab* Find(const QString& caption) const;
    std::vector<TVisutab*> Windows() const;

    // DataViewHost.
    bool IsArrayWindowOpen(const std::string& caption) override;
    void ShowArrayWindow(const std::string& caption, std::uint32_t address,
                         std::uint16_t type) override;
    void CloseArrayWindow(const std::string& caption) override;
    void AssignedChanged(std::uint32_t address) override;
    std::string FileName(std::uint32_t address) override;

  private:
    void CloseAll();

    QMdiArea& area;
    QbSyntaxe* driver = nullptr; // may be null: no run bound
    std::map<QString, QPointer<QMdiSubWindow>> windows;
    // A window being drawn formats its elements through the data manager, which may ask for a
    // window again (an element holding an array): such a nested request is ignored.
    bool showing = false;
};
