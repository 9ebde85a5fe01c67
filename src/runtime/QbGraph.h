// The GRAPH unit: the routines of the 16-colour graphic screen.
#pragma once

#include "symbols/QbModule.h"

// The module GRAPH, number 130 (word codes 513-560). A routine's index is also its machine
// routine number minus 512; the indexes between the routines have no default wording.
class QbGraph : public QbModule
{
  public:
    static constexpr int WordTotal = 48;

    explicit QbGraph(QbDico& owner) : QbModule(owner) {}

    // Vocabulary side.
    std::uint16_t DefaultWords() override;
    std::uint8_t ModuleNumber(std::uint8_t& counter) override;
    std::uint8_t WordCategory() const override;
};
