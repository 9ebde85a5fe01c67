// The parameters dialog of one breakpoint: status, passes, condition and the breakpoints it
// switches.
#pragma once

#include <QDialog>

#include <functional>
#include <map>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class Qbbkpoint;

// Non-modal, owned by the editor whose breakpoint it edits; at most one is open per editor. It
// edits copies of the breakpoint's fields: OK stores them, Cancel forgets them. It keeps only the
// breakpoint's name and finds it again through `lookup` when storing, so a breakpoint removed
// meanwhile is simply not written. While it is open, gutter clicks name other breakpoints for its
// lists (AddToActivate, AddToDeactivate, Forget).
class BreakpointDialog : public QDialog
{
    Q_OBJECT

  public:
    using Lookup = std::function<Qbbkpoint*(const std::string& name)>;
    BreakpointDialog(const Qbbkpoint& point, Lookup lookup, QWidget* parent);

    void AddToActivate(const std::string& name);
    void AddToDeactivate(const std::string& name);
    void Forget(const std::string& name);
    // Breakpoints moved by an edit of the text took new names (old name to new name): the
    // dialog's own breakpoint and its lists follow.
    void Renamed(const std::map<std::string, std::string>& renaming);
    const std::string& EditedName() const { return name; }

    QStringList ActivateNames() const;
    QStringList DeactivateNames() const;

  signals:
    // The pupil asked for the breakpoint to be removed from its file.
    void RemoveRequested(const std::string& name);
    void Stored();

  private:
    void Store();
    static void Move(QListWidget* from, QListWidget* to, QListWidgetItem* item);

    std::string name;
    Lookup lookup;
    QComboBox* status;
    QLineEdit* passes;
    QLineEdit* condition;
    QCheckBox* suspend;
    QListWidget* activate;
    QListWidget* deactivate;
    QPushButton* removeButton = nullptr;
};
