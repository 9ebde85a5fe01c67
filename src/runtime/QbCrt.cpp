// The CRT unit: default words, registration and the routines' handlers.
#include "runtime/QbCrt.h"

#include "diagnostics/Exceptions.h"
#include "frontend/QbSyntaxe.h"
#include "lexical/QbLexical.h"
#include "runtime/ConsoleHost.h"
#include "runtime/QbGesdata.h"
#include "runtime/TextScreen.h"
#include "symbols/QbTable.h"

#include <array>
#include <vector>

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

// Usage texts of the routines 20-30, in default words.
constexpr std::array<const char*, QbCrt::WordTotal - QbCrt::FirstRoutine + 1> Hints = {
    "CLREOL",
    "CLRSCR",
    "DELAY[(MS: WORD)]",
    "GOTOXY(X, Y: BYTE)",
    "KEYPRESSED: BOOLEAN",
    "READKEY: CHAR",
    "TEXTBACKGROUND(COLOUR: BYTE)",
    "TEXTCOLOR(COLOUR: BYTE)",
    "WHEREX: WORD",
    "WHEREY: WORD",
    "WINDOW(X1, Y1, X2, Y2: BYTE)"};

namespace Word {
constexpr int ClrEol = 20;
constexpr int ClrScr = 21;
constexpr int Delay = 22;
constexpr int GotoXY = 23;
constexpr int KeyPressed = 24;
constexpr int ReadKey = 25;
constexpr int TextBackground = 26;
constexpr int TextColor = 27;
constexpr int WhereX = 28;
constexpr int WhereY = 29;
constexpr int Window = 30;
} // namespace Word

ConsoleHost* Console(QbSyntaxe& driver)
{
    return driver.Silent() ? nullptr : driver.Environment().Console;
}

// The screen the routines act on; null when the output is no screen.
TextScreen* Screen(QbSyntaxe& driver)
{
    ConsoleHost* console = Console(driver);
    return console != nullptr ? console->Screen() : nullptr;
}

std::int32_t ArgumentValue(const std::vector<SignedArgument>& arguments, std::size_t index)
{
    return index < arguments.size() ? static_cast<std::int32_t>(arguments[index].Value) : 0;
}

// Reads the arguments by `signature`; true when executing.
bool ReadArguments(QbSyntaxe& driver, const char* signature, std::vector<SignedArgument>& arguments)
{
    driver.ParseSignedArguments(signature, arguments);
    return driver.Execute;
}

void PushResult(QbSyntaxe& driver, std::int32_t value, std::uint8_t type)
{
    driver.Data->Acc.SetInteger(value);
    driver.Data->Push(type);
}

// No key will come: the user's cancel ends the run, otherwise the input is exhausted.
[[noreturn]] void NoKey(QbSyntaxe& driver)
{
    if (driver.Host().EscapePending()) {
        throw HaltExcept("escape");
    }
    driver.Data->Fail(ErrorNumber::InputOutputError);
}

void ClrEolHandler(QbSyntaxe& driver)
{
    if (TextScreen* screen = driver.Execute ? Screen(driver) : nullptr) {
        screen->ClearToEndOfLine();
    }
}

void ClrScrHandler(QbSyntaxe& driver)
{
    if (TextScreen* screen = driver.Execute ? Screen(driver) : nullptr) {
        screen->Clear();
    }
}

// DELAY [ "(" milliseconds ")" ]: the host decides whether the program really waits.
void DelayHandler(QbSyntaxe& driver)
{
    std::vector<SignedArgument> arguments;
    if (driver.Lexer->AcceptSymbol("(")) {
        driver.ParseSignedArguments("w)", arguments);
    }
    ConsoleHost* console = driver.Execute ? Console(driver) : nullptr;
    const std::int32_t milliseconds = ArgumentValue(arguments, 0);
    if (console != nullptr && milliseconds > 0) {
        console->Delay(milliseconds & 0xFFFF);
    }
}

void GotoXYHandler(QbSyntaxe& driver)
{
    std::vector<SignedArgument> arguments;
    if (!ReadArguments(driver, "(y,y)", arguments)) {
        return;
    }
    if (TextScreen* screen = Screen(driver)) {
        screen->GotoXY(ArgumentValue(arguments, 0), ArgumentValue(arguments, 1));
    }
}

// KEYPRESSED waits for a key, which stays to be read, and answers TRUE.
void KeyPressedHandler(QbSyntaxe& driver)
{
    if (!driver.Execute) {
        return;
    }
    ConsoleHost* console = Console(driver);
    const bool pressed = console != nullptr && console->WaitForKey();
    if (!pressed && driver.Host().EscapePending()) {
        throw HaltExcept("escape");
    }
    PushResult(driver, pressed ? 1 : 0, TypeCode::Boolean);
}

// READKEY: the next key, not echoed.
void ReadKeyHandler(QbSyntaxe& driver)
{
    if (!driver.Execute) {
        return;
    }
    ConsoleHost* console = Console(driver);
    const int key = console != nullptr ? console->ReadKey() : -1;
    if (key < 0) {
        NoKey(driver);
    }
    PushResult(driver, key & 0xFF, TypeCode::Char);
}

// TEXTCOLOR and TEXTBACKGROUND: a colour 0-15, else error 224.
void ColourHandler(QbSyntaxe& driver, bool background)
{
    std::vector<SignedArgument> arguments;
    if (!ReadArguments(driver, "(y)", arguments)) {
        return;
    }
    const std::int32_t colour = ArgumentValue(arguments, 0);
    if (colour < 0 || colour > 15) {
        driver.Data->Fail(ErrorNumber::InvalidValue);
    }
    if (TextScreen* screen = Screen(driver)) {
        screen->SetTextAttr(background ? -1 : colour, background ? colour : -1);
    }
}

void WhereHandler(QbSyntaxe& driver, bool column)
{
    if (!driver.Execute) {
        return;
    }
    const TextScreen* screen = Screen(driver);
    const int value = screen == nullptr ? 1 : column ? screen->WhereX() : screen->WhereY();
    PushResult(driver, value, TypeCode::Word);
}

void WindowHandler(QbSyntaxe& driver)
{
    std::vector<SignedArgument> arguments;
    if (!ReadArguments(driver, "(y,y,y,y)", arguments)) {
        return;
    }
    if (TextScreen* screen = Screen(driver)) {
        screen->SetWindow(ArgumentValue(arguments, 0), ArgumentValue(arguments, 1),
                          ArgumentValue(arguments, 2), ArgumentValue(arguments, 3));
    }
}

using Handler = void (*)(QbSyntaxe&);

struct RoutineRow
{
    int Index;
    EntryKind Kind;
    std::uint8_t Result;
    std::uint16_t Parameters;
    Handler Run;
};

const std::array<RoutineRow, 11>& Routines()
{
    static const std::array<RoutineRow, 11> rows = {{
        {Word::ClrEol, EntryKind::Procedure, 0, 0, ClrEolHandler},
        {Word::ClrScr, EntryKind::Procedure, 0, 0, ClrScrHandler},
        {Word::Delay, EntryKind::Procedure, 0, 0, DelayHandler},
        {Word::GotoXY, EntryKind::Procedure, 0, 2, GotoXYHandler},
        {Word::KeyPressed, EntryKind::Function, TypeCode::Boolean, 0, KeyPressedHandler},
        {Word::ReadKey, EntryKind::Function, TypeCode::Char, 0, ReadKeyHandler},
        {Word::TextBackground, EntryKind::Procedure, 0, 1,
         [](QbSyntaxe& driver) { ColourHandler(driver, true); }},
        {Word::TextColor, EntryKind::Procedure, 0, 1,
         [](QbSyntaxe& driver) { ColourHandler(driver, false); }},
        {Word::WhereX, EntryKind::Function, TypeCode::Word, 0,
         [](QbSyntaxe& driver) { WhereHandler(driver, true); }},
        {Word::WhereY, EntryKind::Function, TypeCode::Word, 0,
         [](QbSyntaxe& driver) { WhereHandler(driver, false); }},
        {Word::Window, EntryKind::Procedure, 0, 4, WindowHandler},
    }};
    return rows;
}
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

void QbCrt::RegisterNames(QbTable& table, std::uint16_t unit)
{
    for (int colour = 0; colour < 16; ++colour) {
        table.DeclareConst(unit, CodeOf(colour + 1), static_cast<std::uint16_t>(colour),
                           TypeCode::Byte);
    }
    table.DeclareVar(unit, CodeOf(17), TypeCode::Byte);
    table.DeclareVar(unit, CodeOf(18), TypeCode::Word);
    table.DeclareVar(unit, CodeOf(19), TypeCode::Word);
    for (const RoutineRow& row : Routines()) {
        const Handler run = row.Run;
        const QbTable::RoutineHandler handler = [run](QbSyntaxe& driver, EntryNumber) {
            run(driver);
        };
        const EntryNumber entry = table.DeclareRoutine(unit, CodeOf(row.Index), handler, row.Result,
                                                       row.Kind, row.Parameters);
        table.SetHandler(entry, handler);
    }
}

std::string QbCrt::WordHint(const std::string& word, int vocabulary) const
{
    const std::uint16_t code = FindWord(word, vocabulary, FirstRoutine);
    const int index = code & 0xFF;
    if (code == 0 || index < FirstRoutine || index > WordTotal) {
        return {};
    }
    return Hints[static_cast<std::size_t>(index - FirstRoutine)];
}
