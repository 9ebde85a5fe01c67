// Addresses of an interpreted program: 32-bit numbers naming a byte of one of the interpreter's
// areas.
#pragma once

#include <cstdint>

// A pupil's pointer, a VAR parameter and the data manager's current address all hold one of
// these numbers, never a host address. The high part selects the area, the low part is the byte
// offset inside it, so that every access can be checked against the area's size.
//
//   0                       nil
//   1 .. 32                 an evaluation-stack slot (only ever a holder of heap references)
//   GlobalBase + offset     the global area (offset below 65536)
//   StackBase + offset      the data stack (offset below 32000)
//   HeapBase .. HeapLimit   blocks of the heap, numbered by the heap itself
//   ConstantBase + ...      the storage of typed constants: entry number << 16 | offset
namespace DataAddress {
constexpr std::uint32_t Nil = 0;
constexpr std::uint32_t EvaluationSlotLast = 32;
constexpr std::uint32_t GlobalBase = 0x00010000;
constexpr std::uint32_t StackBase = 0x00020000;
constexpr std::uint32_t AreaSpan = 0x00010000;
constexpr std::uint32_t HeapBase = 0x00100000;
constexpr std::uint32_t HeapLimit = 0x04000000;
constexpr std::uint32_t ConstantBase = 0x04000000;
constexpr std::uint32_t ConstantLimit = 0x08000000;

enum class Area : std::uint8_t
{
    None,
    EvaluationSlot,
    Global,
    Stack,
    Heap,
    Constant
};

// From the highest areas down: a heap address, the most frequent on the hot paths, is known
// after two comparisons.
constexpr Area AreaOf(std::uint32_t address)
{
    if (address >= HeapBase) {
        if (address < HeapLimit) {
            return Area::Heap;
        }
        return address >= ConstantBase && address < ConstantLimit ? Area::Constant : Area::None;
    }
    if (address >= StackBase) {
        return address < StackBase + AreaSpan ? Area::Stack : Area::None;
    }
    if (address >= GlobalBase) {
        return address < GlobalBase + AreaSpan ? Area::Global : Area::None;
    }
    return address != Nil && address <= EvaluationSlotLast ? Area::EvaluationSlot : Area::None;
}
static_assert(HeapBase >= StackBase + AreaSpan && StackBase >= GlobalBase + AreaSpan &&
              GlobalBase > EvaluationSlotLast && ConstantBase >= HeapLimit);

constexpr std::uint32_t Global(std::uint32_t offset)
{
    return GlobalBase + offset;
}
constexpr std::uint32_t Stack(std::uint32_t offset)
{
    return StackBase + offset;
}
constexpr std::uint32_t Constant(std::uint16_t entry, std::uint16_t offset)
{
    return ConstantBase + (static_cast<std::uint32_t>(entry) << 16) + offset;
}
// A 32-bit value (an address, a LONGINT) as it lies in memory: little-endian.
inline std::uint32_t Read(const std::uint8_t* bytes)
{
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
           (static_cast<std::uint32_t>(bytes[3]) << 24);
}
inline void Write(std::uint8_t* bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}
} // namespace DataAddress
