// The System unit's console routines: WRITE, WRITELN, READ, READLN, and the signals EXIT and HALT.
#pragma once

#include "symbols/QbTable.h"

#include <cstdint>
#include <string>

class QbSyntaxe;

// Declares WRITE, WRITELN, READ, READLN, EXIT and HALT in `unit` (the SYSTEM unit's entry) with
// their handlers. A routine already declared keeps its entry and receives the handler.
void RegisterConsoleRoutines(QbTable& table, EntryNumber unit);

// Program output: to the driver's OutputText in silent runs or without a console, else to the
// console host.
void ConsoleWrite(QbSyntaxe& driver, const std::string& text);

// The optional field of a WRITE or STR value: ":" width [":" decimals], decimals only for a
// real (else 43). ReadField reads it; executing, PopField then takes the decimals, the width
// and the value from the evaluation stack (the value stays in the accumulator).
struct ValueField
{
    bool HasWidth = false;
    bool HasDecimals = false;
    int Width = 0;
    int Decimals = 0;
};
ValueField ReadField(QbSyntaxe& driver, std::uint8_t valueCode);
void PopField(QbSyntaxe& driver, ValueField& field);

// The texts WRITE makes of its arguments.
namespace ConsoleFormat {
// The widest field and the most decimals a WRITE argument is given; larger values are cut.
constexpr int MaxWidth = 32767;
constexpr int MaxDecimals = 255;
// Blanks in front of `text` up to `width` characters; a text as wide or wider stays as it is.
std::string PadField(const std::string& text, int width);
// A real without width: a sign position, one digit, a point, ten decimals and an exponent of at
// least two digits (" 1.5000000000E+00").
std::string DefaultReal(double value);
// A real with a width only: scientific notation filling the width (at least one decimal).
std::string ScientificReal(double value, int width);
// A real with width and decimals: fixed notation.
std::string FixedReal(double value, int width, int decimals);
} // namespace ConsoleFormat
