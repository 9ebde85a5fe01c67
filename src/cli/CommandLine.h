// The words of a `movila` command line, parsed into one request.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One program option set from the command line: a bit of option word A, B or C.
struct OptionSetting
{
    char Word = 'A';
    std::uint32_t Bit = 0;
    bool On = false;
};

// A program option flag of the command line and what it does.
struct OptionFlag
{
    const char* Name;
    char Word;
    std::uint32_t Bit;
    bool On;
    const char* Help;
};

// Every program-option flag, in the order `movila help` lists them.
const std::vector<OptionFlag>& ProgramOptionFlags();

struct CommandRequest
{
    std::string Command; // check, run, translate, catalogue, help, version
    std::vector<std::string> Files;
    std::string CatalogueFile;   // --catalogue
    std::string ConfigDirectory; // --config-dir
    std::string TranslateTo;     // --to
    std::string TranslateFrom;   // --from
    std::string WriteFile;       // catalogue --write
    // Program options: bits set or cleared in order, the numeric limits (-1: unchanged) and the
    // prefixes of the routines allowed to read the keyboard or write to the screen.
    std::vector<OptionSetting> Settings;
    int MaxNesting = -1;
    int MaxStack = -1;
    int MaxPasses = -1;
    int RealDigits = -1;
    std::optional<std::string> KeyboardPrefix;
    std::optional<std::string> ScreenPrefix;
    // run --screen: the program's output on an emulated text screen of this size, whose final
    // content is printed.
    bool Screen = false;
    bool Heap = false; // print the heap's cells and anchors after the run
    int ScreenColumns = 40;
    int ScreenRows = 24;
};

// Parses argv; on a malformed line returns nothing and sets `error` to what was wrong.
std::optional<CommandRequest> ParseCommandLine(const std::vector<std::string>& arguments,
                                               std::string& error);

// The text of `movila help`.
std::string UsageText();
