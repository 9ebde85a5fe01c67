// The program options: three option words of bits and four numeric limits, as the dialog sets them.
#pragma once

#include <cstdint>
#include <string>

// Bits of the interpreter option word A.
namespace OptionA {
constexpr std::uint32_t ReplaceAccents = 1;
constexpr std::uint32_t ForbidAbsolute = 2;
constexpr std::uint32_t ForbidInclude = 4;
constexpr std::uint32_t ForbidSegments = 8;
constexpr std::uint32_t ForbidRecursion = 16;
constexpr std::uint32_t ForbidIntermediate = 32;
constexpr std::uint32_t ForbidGlobal = 64;
constexpr std::uint32_t AutoCrt = 128;
constexpr std::uint32_t AutoGraph = 256;
constexpr std::uint32_t ForbidReservedAsIdentifier = 512;
constexpr std::uint32_t RepeatPublicParameters = 1024;
constexpr std::uint32_t Reserved2048 = 2048;
constexpr std::uint32_t CaseInsensitive = 4096; // set by the Pascal front-end
constexpr std::uint32_t IoChecks = 0x2000;      // {$I+} / {$I-}
constexpr std::uint32_t FarCalls = 0x4000;      // {$F+}: 6-byte frame headers
constexpr std::uint32_t Defaults = 3087;
} // namespace OptionA

// Bits of the instruction and compiler option word B.
namespace OptionB {
constexpr std::uint32_t InitializeVariables = 1;
constexpr std::uint32_t ForbidLabels = 2;
constexpr std::uint32_t UnlimitedPasses = 4;
constexpr std::uint32_t LimitKeyboard = 8;
constexpr std::uint32_t LimitScreen = 16;
constexpr std::uint32_t ForbidInvalidPointers = 32;
constexpr std::uint32_t RealsOnAllDigits = 64;
constexpr std::uint32_t LineInstructions = 256;
constexpr std::uint32_t MinimizeAddresses = 512;
constexpr std::uint32_t OptimizeIntegers = 1024;
constexpr std::uint32_t RemoveLabels = 2048;
constexpr std::uint32_t SendOptimizedCode = 4096;
constexpr std::uint32_t SameRandomSeries = 8192;
constexpr std::uint32_t Defaults = 1826;
} // namespace OptionB

// Bits of the type-checking option word C.
namespace OptionC {
constexpr std::uint32_t CheckOrdinalLimits = 1;
constexpr std::uint32_t ForbidTypeCasts = 2;
constexpr std::uint32_t ForbidProceduralTypes = 4;
constexpr std::uint32_t ForbidNonSimplePointers = 8;
constexpr std::uint32_t Defaults = 9;
} // namespace OptionC

// Mode bits of one call of the driver's Run.
namespace RunMode {
constexpr int StartStepping = 1;
constexpr int Execute = 2;
constexpr int TraceViews = 4;
constexpr int StepInto = 8;
constexpr int MicroStep = 16;
constexpr int Check = 32;
constexpr int ShowReport = 64;
constexpr int Generate = 128;
constexpr int Translate = 256;
constexpr int NoModelRefresh = 512;
} // namespace RunMode

// Everything the program-options dialog (and an options file) sets on a driver.
struct ProgramOptions
{
    std::uint32_t A = OptionA::Defaults;
    std::uint32_t B = OptionB::Defaults;
    std::uint32_t C = OptionC::Defaults;
    std::string KeyboardPrefix;
    std::string ScreenPrefix;
    int MaxNesting = 5;   // 1..9, error 214
    int MaxStack = 10;    // routines in the execution stack, error 215
    int MaxPasses = 100;  // 100..30000 by 100, error 239
    int RealDigits = 8;   // 5..14: real comparison tolerance 10^-N
    int CodeGrouping = 0; // 0, 1 or 2
    // The accent table, Windows-1252: a letter of the first string is read as the letter at the
    // same place in the second.
    std::string SpecialLetters =
        "\xC7\xFC\xE9\xE2\xE4\xE0\xE5\xE7\xEA\xEB\xE8\xEF\xEE\xEC\xC4\xC5\xC9\xE6\xC6\xF4"
        "\xF6\xF2\xFB\xF9\xFF\xD6\xDC\xA2\xA3\xA5\xA5\x83\xE1\xED\xF3\xFA\xF1\xD1\xAA\xBA";
    std::string ReplaceBy = "cueaaaaceeeiiiaaeeeooouuyouclypfaiounnao";
};
