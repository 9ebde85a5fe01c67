// Catalogue numbers by name, generated from Messages.def.
#pragma once

#include <cstdint>

enum class ErrorNumber : std::int16_t
{
#define MESSAGE(number, name, text) name = number,
#include "diagnostics/Messages.def"
#undef MESSAGE
};

constexpr int ToInt(ErrorNumber number)
{
    return static_cast<int>(number);
}
