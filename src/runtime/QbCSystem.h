// The C System module: C reserved words, basic types and the complexity statement.
#pragma once

#include "symbols/QbModule.h"

// The module SYSTEM of the C front-end, number 128: words 1-44 are reserved words and basic type
// names (lower case, read case-sensitively), 128 the complexity statement.
class QbCSystem : public QbModule
{
  public:
    static constexpr int WordTotal = 128;
    static constexpr int ComplexityWord = 128;

    explicit QbCSystem(QbDico& owner) : QbModule(owner) {}

    // Vocabulary side.
    std::uint16_t DefaultWords() override;
    std::uint8_t ModuleNumber(std::uint8_t& counter) override;
    std::uint8_t WordCategory() const override;
    void ListWords(std::vector<std::string>& list, int vocabulary) const override;
    std::string WordHint(const std::string& word, int vocabulary) const override;
};
