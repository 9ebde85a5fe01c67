// The breakpoint parameters dialog.
#include "ide/BreakpointDialog.h"

#include "ide/Qbbkpoint.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QListWidget* NameList(const std::vector<std::string>& names, const QString& hint)
{
    auto* list = new QListWidget;
    list->setSortingEnabled(true);
    list->setToolTip(hint);
    for (const std::string& name : names) {
        list->addItem(QString::fromStdString(name));
    }
    return list;
}

QStringList Names(const QListWidget* list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i) {
        names << list->item(i)->text();
    }
    return names;
}
} // namespace

BreakpointDialog::BreakpointDialog(const Qbbkpoint& point, Lookup find, QWidget* parent)
    : QDialog(parent), name(point.Name), lookup(std::move(find)), status(new QComboBox),
      passes(new QLineEdit), condition(new QLineEdit),
      suspend(new QCheckBox("Suspend the execution")),
      activate(
          NameList(point.ToActivate, "Left click on a breakpoint to add\nDouble click to remove")),
      deactivate(NameList(point.ToDeactivate,
                          "Right click on a breakpoint to add\nDouble click to remove"))
{
    // Named for the tests that fill the dialog as a pupil would.
    status->setObjectName("status");
    passes->setObjectName("passes");
    condition->setObjectName("condition");
    suspend->setObjectName("suspend");
    const QString shownName = QString::fromStdString(name);
    setWindowTitle("Breakpoint administration " + shownName);
    for (int i = 0; i <= Qbbkpoint::Dying; ++i) {
        status->addItem(QString::fromStdString(Qbbkpoint::StatusName(i)));
    }
    status->setCurrentIndex(point.GetStatus());
    passes->setText(QString::number(point.Passes));
    condition->setText(QString::fromStdString(point.Condition));
    suspend->setChecked(point.Suspend);

    auto* form = new QFormLayout;
    form->addRow("Status", status);
    form->addRow("Number of passes : ", passes);
    form->addRow("Condition", condition);

    auto* action = new QGroupBox("Action");
    auto* actionLayout = new QVBoxLayout(action);
    actionLayout->addWidget(suspend);
    auto* lists = new QHBoxLayout;
    auto* activateBox = new QGroupBox("Activate");
    (new QVBoxLayout(activateBox))->addWidget(activate);
    auto* deactivateBox = new QGroupBox("Desactivate");
    (new QVBoxLayout(deactivateBox))->addWidget(deactivate);
    lists->addWidget(activateBox);
    lists->addWidget(deactivateBox);
    actionLayout->addLayout(lists);

    auto* buttons = new QDialogButtonBox;
    removeButton = buttons->addButton("Remove " + shownName, QDialogButtonBox::DestructiveRole);
    buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        Store();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(removeButton, &QPushButton::clicked, this, [this] {
        emit RemoveRequested(name);
        reject();
    });

    // A click moves an entry into the other list; a double click removes it.
    connect(activate, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { Move(activate, deactivate, item); });
    connect(deactivate, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { Move(deactivate, activate, item); });
    connect(activate, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { Forget(item->text().toStdString()); });
    connect(deactivate, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { Forget(item->text().toStdString()); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(action);
    layout->addWidget(buttons);
    setAttribute(Qt::WA_DeleteOnClose);
}

void BreakpointDialog::Move(QListWidget* from, QListWidget* to, QListWidgetItem* item)
{
    const QString name = item->text();
    delete from->takeItem(from->row(item));
    if (to->findItems(name, Qt::MatchExactly).isEmpty()) {
        to->addItem(name);
    }
}

void BreakpointDialog::AddToActivate(const std::string& other)
{
    Forget(other);
    activate->addItem(QString::fromStdString(other));
}

void BreakpointDialog::AddToDeactivate(const std::string& other)
{
    Forget(other);
    deactivate->addItem(QString::fromStdString(other));
}

void BreakpointDialog::Forget(const std::string& other)
{
    const QString text = QString::fromStdString(other);
    for (QListWidget* list : {activate, deactivate}) {
        for (QListWidgetItem* item : list->findItems(text, Qt::MatchExactly)) {
            delete list->takeItem(list->row(item));
        }
    }
}

void BreakpointDialog::Renamed(const std::map<std::string, std::string>& renaming)
{
    if (const auto found = renaming.find(name); found != renaming.end()) {
        name = found->second;
        setWindowTitle("Breakpoint administration " + QString::fromStdString(name));
        removeButton->setText("Remove " + QString::fromStdString(name));
    }
    for (QListWidget* list : {activate, deactivate}) {
        for (int i = 0; i < list->count(); ++i) {
            QListWidgetItem* item = list->item(i);
            if (const auto found = renaming.find(item->text().toStdString());
                found != renaming.end()) {
                item->setText(QString::fromStdString(found->second));
            }
        }
        list->sortItems();
    }
}

QStringList BreakpointDialog::ActivateNames() const
{
    return Names(activate);
}

QStringList BreakpointDialog::DeactivateNames() const
{
    return Names(deactivate);
}

void BreakpointDialog::Store()
{
    Qbbkpoint* found = lookup ? lookup(name) : nullptr;
    if (found == nullptr) {
        return;
    }
    Qbbkpoint& point = *found;
    point.SetStatus(status->currentIndex());
    bool number = false;
    const int value = passes->text().trimmed().toInt(&number);
    point.Passes = number ? value : 0;
    // A condition is a short string: at most 255 characters, never cut inside one.
    point.Condition = condition->text().trimmed().left(255).toStdString();
    point.Suspend = suspend->isChecked();
    point.ToActivate.clear();
    for (const QString& other : ActivateNames()) {
        point.ToActivate.push_back(other.toStdString());
    }
    point.ToDeactivate.clear();
    for (const QString& other : DeactivateNames()) {
        point.ToDeactivate.push_back(other.toStdString());
    }
    emit Stored();
}
