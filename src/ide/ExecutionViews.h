// The execution views: execution stack, evaluation stack and global variables of a run.
#pragma once

#include <QColor>
#include <QMap>
#include <QTableWidget>

#include <cstdint>
#include <string>
#include <vector>

class QbSyntaxe;

// The colours every grid view shares: value cells by their state, name and header cells grey.
namespace ViewColours {
inline const QColor Unassigned(255, 120, 120);
inline const QColor Changed(255, 255, 120);
inline const QColor Unchanged(Qt::white);
inline const QColor NameGrey(225, 225, 225);
} // namespace ViewColours

// Whether the variable that holds `address` (global area or data stack) has been assigned, as the
// data manager decides before it lets the program read it; true for any other address.
bool IsAddressAssigned(QbSyntaxe& driver, std::uint32_t address);

// One row of a view: the name, the value text and, for the execution stack, the routine part of
// the name that chooses the shade of its name cell.
struct ViewRow
{
    std::string Name;
    std::string Value;
    bool Assigned = true;
};

// A grid of names and values that shows what the last step changed: a value whose text differs
// from the one drawn at the previous step is yellow, an unchanged one white, a value never
// assigned red. Rows are matched by name, so a new frame pushed above does not make every row
// below it look changed.
class ValueGrid : public QTableWidget
{
    Q_OBJECT

  public:
    ValueGrid(const QStringList& headers, QWidget* parent);
    void ShowRows(const std::vector<ViewRow>& rows, bool shadeFrames);
    void Forget();
    // The value text of the row named `name`, empty when none (used by tests).
    QString ValueOf(const QString& name) const;
    bool IsChanged(const QString& name) const;
    // The background of the value cell of the row named `name` (used by tests).
    QColor ValueColour(const QString& name) const;

    static QString RoutinePart(const QString& name);

  private:
    // The text each row's value cell showed at the previous step; an unassigned value is kept as
    // a mark no text can equal, so that its first assignment shows as a change.
    QMap<QString, QString> lastTexts;
};

// The execution stack: every variable of every frame, newest frame at the bottom.
class Texecpile : public ValueGrid
{
    Q_OBJECT

  public:
    static constexpr int MaxRows = 600;
    explicit Texecpile(QWidget* parent = nullptr);
    // Rebuilds the rows from the driver's data manager; raises error 252 through the driver's
    // error manager when the frames need more rows than the view holds.
    void Refresh(QbSyntaxe& driver);
    void Reset();
};

// The evaluation stack: the values being computed, one row each.
class Tevalpile : public QTableWidget
{
    Q_OBJECT

  public:
    explicit Tevalpile(QWidget* parent = nullptr);
    void Refresh(QbSyntaxe& driver);
    void Reset();
};

// The global variables of the program and of its units (SYSTEM and CRT only when asked).
class TGlobales : public ValueGrid
{
    Q_OBJECT

  public:
    explicit TGlobales(QWidget* parent = nullptr);
    void Refresh(QbSyntaxe& driver, int usageFlags);
    void Reset();
    int RowsShown() const { return rowCount(); }
};
