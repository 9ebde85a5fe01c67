// The CRT unit: colour constants, window variables and the text-console routines.
#pragma once

#include "symbols/QbModule.h"

// The module CRT, number 129 (word codes 257-286): sixteen colour constants (1-16), TEXTATTR,
// WINDMIN, WINDMAX (17-19) and eleven routines (20-30) acting on the text screen that the
// console host shows. Without a screen (a plain output stream, a silent run) the cursor
// routines do nothing and WHEREX, WHEREY answer 1.
class QbCrt : public QbModule
{
  public:
    static constexpr int WordTotal = 30;
    static constexpr int FirstRoutine = 20;

    explicit QbCrt(QbDico& owner) : QbModule(owner) {}

    // Vocabulary side.
    std::uint16_t DefaultWords() override;
    std::uint8_t ModuleNumber(std::uint8_t& counter) override;
    std::uint8_t WordCategory() const override;
    // The colour constants (BYTE 0-15), the three variables and the routines with handlers.
    void RegisterNames(QbTable& table, std::uint16_t unit) override;
    std::string WordHint(const std::string& word, int vocabulary) const override;
};
