// The program options dialog: the language restrictions and limits one driver enforces.
#pragma once

#include "frontend/ProgramOptions.h"

#include <QDialog>

#include <cstdint>
#include <vector>

class QCheckBox;
class QLineEdit;
class QSpinBox;
class QButtonGroup;

// A modal dialog over a copy of a driver's options: it shows them, the pupil or teacher edits
// them, and Edited() gives them back for the caller to apply. Every control carries the name an
// option file stores it under, on the page whose name is the file's section, so a reader of such
// files can find the controls by name.
class ProgramOptionsDialog : public QDialog
{
    Q_OBJECT

  public:
    ProgramOptionsDialog(const ProgramOptions& options, QWidget* parent = nullptr);

    // The options as the controls now hold them; the limits as typed (the driver brings them
    // into range when they are applied).
    ProgramOptions Edited() const;

  private:
    // One check box for one bit of one option word, ticked exactly when the bit is set (the bits
    // under "Forbid" forbid when set).
    struct BitBox
    {
        QCheckBox* Box;
        int Word; // 0 A, 1 B, 2 C
        std::uint32_t Bit;
    };

    QWidget* InterpreterPage(const ProgramOptions& options);
    QWidget* ExtensionsPage(const ProgramOptions& options);
    QWidget* InstructionsPage(const ProgramOptions& options);
    QWidget* CompilerPage(const ProgramOptions& options);
    QCheckBox* AddBit(const char* name, const QString& caption, int word, std::uint32_t bit,
                      const ProgramOptions& options);
    static QSpinBox* Counter(const char* name, int minimum, int maximum, int step, int value);
    static QLineEdit* Edit(const char* name, const std::string& engineText);

    ProgramOptions original;
    std::vector<BitBox> bits;
    QSpinBox* nesting = nullptr;
    QSpinBox* stackMaximum = nullptr;
    QSpinBox* passes = nullptr;
    QSpinBox* digits = nullptr;
    QLineEdit* specialLetters = nullptr;
    QLineEdit* replaceBy = nullptr;
    QLineEdit* keyboardPrefix = nullptr;
    QLineEdit* screenPrefix = nullptr;
    QButtonGroup* grouping = nullptr;
};
