// The Pascal System unit: the language's reserved words and predefined names, types and routines.
#pragma once

#include "symbols/QbModule.h"

// The module SYSTEM of the Pascal front-end, number 128. Words 1-99 are the reserved words and
// predefined type and constant names the parsers ask for by code; 128-215 are the predefined
// routines, whose word code is also their routine number and the machine's system-call number.
class QbPSystem : public QbModule
{
  public:
    static constexpr int WordTotal = 215;
    static constexpr int FirstRoutine = 128;

    explicit QbPSystem(QbDico& owner) : QbModule(owner) {}

    // Vocabulary side.
    std::uint16_t DefaultWords() override;
    // The predefined types (between the table's predefined-type marks), the routines, and the
    // TEXT variables INPUT and OUTPUT.
    void RegisterNames(QbTable& table, std::uint16_t unit) override;
    std::uint8_t ModuleNumber(std::uint8_t& counter) override;
    std::uint8_t WordCategory() const override;
    std::string TypeName(int typeCode, int vocabulary) const override;
    void ListWords(std::vector<std::string>& list, int vocabulary) const override;
    std::string WordHint(const std::string& word, int vocabulary) const override;
};
