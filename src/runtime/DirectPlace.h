// A whole global variable of a scalar type whose value goes straight between the accumulator
// and the global area: its code and width are found once for a place read or written again and
// again (a loop's control variable, a step of a plan).
#pragma once

#include <cstdint>

struct DirectPlace
{
    std::uint16_t Variable = 0;
    std::uint8_t Code = 0;
    std::uint8_t Width = 0;   // the bytes it takes; 0 when its value is not moved straight
    std::uint32_t Offset = 0; // of its first byte in the global area
};
