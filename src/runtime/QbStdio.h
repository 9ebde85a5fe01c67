// The C STDIO module: the names of the standard input/output library.
#pragma once

#include "symbols/QbModule.h"

// The module STDIO, number 137 (word codes 2305-2369): the three streams, the seek constants,
// the types size_t, fpos_t and FILE (1-9) and the library routines (10-65), which are checked
// but not executed.
class QbStdio : public QbModule
{
  public:
    static constexpr int WordTotal = 65;

    explicit QbStdio(QbDico& owner) : QbModule(owner) {}

    // Vocabulary side.
    std::uint16_t DefaultWords() override;
    std::uint8_t ModuleNumber(std::uint8_t& counter) override;
    std::uint8_t WordCategory() const override;
};
