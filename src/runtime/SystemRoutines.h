// The System unit's predefined routines other than the console and memory ones, in four groups,
// and the small helpers their handlers share.
#pragma once

#include "frontend/QbSyntaxe.h"
#include "symbols/QbTable.h"

#include <cstdint>
#include <functional>
#include <string>

// Each group declares its routines in `unit` (the SYSTEM unit's entry) with their handlers. A
// routine's word code is its routine number and its system-call number.
void RegisterMathRoutines(QbTable& table, EntryNumber unit);    // ABS ... PI
void RegisterOrdinalRoutines(QbTable& table, EntryNumber unit); // ORD ... INC, DEC
void RegisterStringRoutines(QbTable& table, EntryNumber unit);  // LENGTH ... VAL
void RegisterMiscRoutines(QbTable& table, EntryNumber unit);    // RANDOM, files, COMPLEXITY...

namespace SystemRoutine {
// Parameter counts as stored: an exact count below 256, 0xFFFF any number, else the low byte
// is the minimum and the high byte the maximum.
constexpr std::uint16_t AnyCount = 0xFFFF;
constexpr std::uint16_t Range(int minimum, int maximum)
{
    return static_cast<std::uint16_t>(maximum * 256 + minimum);
}

// The result given to Declare for a procedure.
constexpr std::uint8_t NoResult = 0xFF;

// Declares a predefined procedure (result NoResult) or function; an entry already declared keeps
// its place and receives the handler. A function whose arguments are all expressions read by
// ReadValue (or signature steps of one expression) may have an apply that repeats it.
void Declare(QbTable& table, EntryNumber unit, std::uint16_t word, std::uint8_t result,
             std::uint16_t count, const QbTable::RoutineHandler& handler,
             QbTable::RoutineApply apply = nullptr);

// The code deciding a value's representation (a subrange is its host).
std::uint8_t CodeOf(QbSyntaxe& driver, std::uint16_t type);
bool IsIntegerCode(std::uint8_t code); // BYTE to LONGINT
bool IsOrdinalCode(std::uint8_t code); // BOOLEAN to LONGINT
bool IsTextCode(std::uint8_t code);    // CHAR or STRING

// One expression argument; executing, its value is popped into the accumulator.
TypePair ReadValue(QbSyntaxe& driver);
// "(" expression ")" as ReadValue.
TypePair ReadOnlyArgument(QbSyntaxe& driver);

// The type the function call being read leaves (for results that follow their argument).
void SetResultType(QbSyntaxe& driver, TypePair type);
// Executing: pushes a function's value of `type`.
void PushInteger(QbSyntaxe& driver, std::int32_t value, std::uint16_t type);
void PushReal(QbSyntaxe& driver, double value);
void PushText(QbSyntaxe& driver, const std::string& text);

// An apply's arguments, popped from the top: an integer, a text.
std::int32_t PopInteger(QbSyntaxe& driver);
std::string PopText(QbSyntaxe& driver);

// A value fits the range of a variable's type (its subrange bounds when it has some; LONGINT
// is the 32-bit range).
bool FitsType(QbSyntaxe& driver, std::uint16_t type, std::int64_t value);

// The integer a text holds (READ's typed line, VAL's string): blanks, an optional sign, decimal
// digits or "$" and hexadecimal digits. Returns 0 and sets `value` when the whole text is valid
// and every value read on the way satisfies `fits`, else the 1-based position of the first
// character that makes it invalid.
std::size_t ScanIntegerText(const std::string& text, const std::function<bool(std::int64_t)>& fits,
                            std::int64_t& value);
} // namespace SystemRoutine
