// The CRT unit: default words.
#include "runtime/QbCrt.h"

#include <array>

namespace {
constexpr std::array<const char*, QbCrt::WordTotal> DefaultWordList = {
    // 1-16: colour constants 0-15
    "BLACK", "BLUE", "GREEN", "CYAN", "RED", "MAGENTA", "BROWN", "LIGHTGRAY", "DARKGRAY",
    "LIGHTBLUE", "LIGHTGREEN", "LIGHTCYAN", "LIGHTRED", "LIGHTMAGENTA", "YELLOW", "WHITE",
    // 17-19: variables
    "TEXTATTR", "WINDMIN", "WINDMAX",
    // 20-30: routines
    "CLREOL", "CLRSCR", "DELAY", "GOTOXY", "KEYPRESSED", "READKEY", "TEXTBACKGROUND", "TEXTCOLOR",
    "WHEREX", "WHEREY", "WINDOW"};
} // namespace

std::uint16_t QbCrt::DefaultWords()
{
    return FillDefaults("CRT", DefaultWordList.data(), WordTotal);
}

std::uint8_t QbCrt::ModuleNumber(std::uint8_t& /*counter*/)
{
    return 129;
}

std::uint8_t QbCrt::WordCategory() const
{
    return WordStyle::Crt;
}
