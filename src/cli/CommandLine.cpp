// Parsing of the `movila` command line.
#include "cli/CommandLine.h"

#include "runtime/TextScreen.h"

#include <algorithm>
#include <map>

namespace {
// Options that take a value, and the request field each one fills.
const std::map<std::string, std::string CommandRequest::*>& ValueOptions()
{
    static const std::map<std::string, std::string CommandRequest::*> options = {
        {"--catalogue", &CommandRequest::CatalogueFile},
        {"--config-dir", &CommandRequest::ConfigDirectory},
        {"--to", &CommandRequest::TranslateTo},
        {"--from", &CommandRequest::TranslateFrom},
        {"--write", &CommandRequest::WriteFile},
    };
    return options;
}

bool IsKnownCommand(const std::string& word)
{
    return word == "check" || word == "run" || word == "translate" || word == "catalogue" ||
           word == "help" || word == "version";
}

// The numeric limits, each with the request field it fills.
const std::map<std::string, int CommandRequest::*>& LimitOptions()
{
    static const std::map<std::string, int CommandRequest::*> options = {
        {"--max-nesting", &CommandRequest::MaxNesting},
        {"--max-stack", &CommandRequest::MaxStack},
        {"--max-passes", &CommandRequest::MaxPasses},
        {"--real-digits", &CommandRequest::RealDigits},
    };
    return options;
}

const OptionFlag* FindFlag(const std::string& name)
{
    for (const OptionFlag& flag : ProgramOptionFlags()) {
        if (name == flag.Name) {
            return &flag;
        }
    }
    return nullptr;
}

bool ParseNumber(const std::string& text, int& value);

// COLUMNSxROWS, each within the text screen's limits.
bool ParseScreenSize(const std::string& text, CommandRequest& request)
{
    const auto cross = text.find_first_of("xX");
    int columns = 0;
    int rows = 0;
    if (cross == std::string::npos || !ParseNumber(text.substr(0, cross), columns) ||
        !ParseNumber(text.substr(cross + 1), rows) || columns < TextScreen::MinColumns ||
        columns > TextScreen::MaxColumns || rows < TextScreen::MinRows ||
        rows > TextScreen::MaxRows) {
        return false;
    }
    request.ScreenColumns = columns;
    request.ScreenRows = rows;
    return true;
}

bool ParseNumber(const std::string& text, int& value)
{
    if (text.empty() || text.size() > 9) {
        return false;
    }
    value = 0;
    for (const char ch : text) {
        if (ch < '0' || ch > '9') {
            return false;
        }
        value = value * 10 + (ch - '0');
    }
    return true;
}
} // namespace

const std::vector<OptionFlag>& ProgramOptionFlags()
{
    static const std::vector<OptionFlag> flags = {
        {"--no-accent-replacement", 'A', 1, false, "read special letters as written"},
        {"--allow-absolute", 'A', 2, false, "allow ABSOLUTE addresses"},
        {"--allow-include", 'A', 4, false, "allow {$I file} inclusion"},
        {"--allow-segments", 'A', 8, false, "allow segment routines (CSEG, DSEG, ...)"},
        {"--forbid-recursion", 'A', 16, true, "a routine may not call itself (error 211)"},
        {"--forbid-intermediate-access", 'A', 32, true,
         "forbid variables of enclosing routines (94, 212)"},
        {"--forbid-global-access", 'A', 64, true, "forbid global variables in routines (93, 213)"},
        {"--auto-crt", 'A', 128, true, "include the CRT unit without USES"},
        {"--auto-graph", 'A', 256, true, "include the GRAPH unit without USES"},
        {"--forbid-reserved-identifiers", 'A', 512, true,
         "forbid vocabulary words as identifiers (18)"},
        {"--no-repeat-parameters", 'A', 1024, false,
         "unit implementations need not repeat parameters"},
        {"--no-structured-results", 'A', 2048, false,
         "functions may not return arrays, sets, records (68)"},
        {"--case-sensitive", 'A', 4096, false, "read the source without upper-casing it"},
        {"--io-checks", 'A', 0x2000, true, "input-output failures are error 223"},
        {"--far-frames", 'A', 0x4000, true, "routines get 6-byte frame headers"},
        {"--initialize-variables", 'B', 1, true, "variables start at 0, '', FALSE or NIL"},
        {"--allow-labels", 'B', 2, false, "allow LABEL and GOTO"},
        {"--unlimited-passes", 'B', 4, true, "no limit on the passes through a loop (239)"},
        {"--allow-invalid-pointers", 'B', 32, false, "do not forbid invalid pointers"},
        {"--compare-reals-exactly", 'B', 64, true, "compare reals on all digits"},
        {"--no-line-instructions", 'B', 256, false, "compiled code without LINE instructions"},
        {"--no-minimize-addresses", 'B', 512, false, "do not minimize effective addresses"},
        {"--no-optimize-integers", 'B', 1024, false, "do not optimize integer arithmetic"},
        {"--remove-labels", 'B', 2048, true, "remove labels from loaded code"},
        {"--send-optimized-code", 'B', 4096, true, "do not call the external code generator"},
        {"--same-random-series", 'B', 8192, true, "every run draws the same random numbers"},
        {"--no-range-checks", 'C', 1, false, "do not check ordinal limits (224)"},
        {"--forbid-type-casts", 'C', 2, true, "forbid type conversions (210)"},
        {"--forbid-procedural-types", 'C', 4, true, "forbid procedural types (209)"},
        {"--allow-pointer-fields", 'C', 8, false, "allow pointer fields in records"},
    };
    return flags;
}

std::optional<CommandRequest> ParseCommandLine(const std::vector<std::string>& arguments,
                                               std::string& error)
{
    CommandRequest request;
    if (arguments.empty()) {
        error = "no command given";
        return std::nullopt;
    }
    std::size_t i = 0;
    const std::string& first = arguments[0];
    if (first == "--help" || first == "-h") {
        request.Command = "help";
        return request;
    }
    if (first == "--version") {
        request.Command = "version";
        return request;
    }
    if (!IsKnownCommand(first)) {
        error = "unknown command '" + first + "'";
        return std::nullopt;
    }
    request.Command = first;
    for (i = 1; i < arguments.size(); ++i) {
        std::string word = arguments[i];
        std::string value;
        bool hasInlineValue = false;
        if (word.rfind("--", 0) == 0) {
            const auto equals = word.find('=');
            if (equals != std::string::npos) {
                value = word.substr(equals + 1);
                word = word.substr(0, equals);
                hasInlineValue = true;
            }
            if (word == "--screen" && !hasInlineValue) {
                request.Screen = true;
                continue;
            }
            if (word == "--heap" && !hasInlineValue) {
                request.Heap = true;
                continue;
            }
            if (const OptionFlag* flag = FindFlag(word); flag != nullptr && !hasInlineValue) {
                request.Settings.push_back({flag->Word, flag->Bit, flag->On});
                continue;
            }
            const auto limit = LimitOptions().find(word);
            const bool prefix =
                word == "--keyboard-prefix" || word == "--screen-prefix" || word == "--screen-size";
            const auto option = ValueOptions().find(word);
            if (option == ValueOptions().end() && limit == LimitOptions().end() && !prefix) {
                error = "unknown option '" + word + "'";
                return std::nullopt;
            }
            if (!hasInlineValue) {
                if (i + 1 >= arguments.size()) {
                    error = "option '" + word + "' needs a value";
                    return std::nullopt;
                }
                value = arguments[++i];
            }
            if (limit != LimitOptions().end()) {
                if (!ParseNumber(value, request.*(limit->second))) {
                    error = "option '" + word + "' needs a number";
                    return std::nullopt;
                }
            } else if (word == "--keyboard-prefix") {
                request.KeyboardPrefix = value;
            } else if (word == "--screen-prefix") {
                request.ScreenPrefix = value;
            } else if (word == "--screen-size") {
                if (!ParseScreenSize(value, request)) {
                    error = "option '--screen-size' needs COLUMNSxROWS within 15x6 to 80x24";
                    return std::nullopt;
                }
                request.Screen = true;
            } else {
                request.*(option->second) = value;
            }
        } else {
            request.Files.push_back(word);
        }
    }
    if (request.Command == "run" && request.Files.size() != 1) {
        error = "'run' needs exactly one program file";
        return std::nullopt;
    }
    if ((request.Command == "check" || request.Command == "translate") && request.Files.empty()) {
        error = "'" + request.Command + "' needs a program file";
        return std::nullopt;
    }
    if (request.Command == "translate" && request.TranslateTo.empty()) {
        error = "'translate' needs --to VOCABULARY";
        return std::nullopt;
    }
    if (request.Command == "catalogue" && request.WriteFile.empty()) {
        error = "'catalogue' needs --write FILE.mve";
        return std::nullopt;
    }
    return request;
}

std::string UsageText()
{
    std::string text =
        "usage: movila COMMAND [OPTIONS] FILE...\n"
        "\n"
        "Commands:\n"
        "  check FILE...              check programs (.pas Pascal, .c C); print\n"
        "                             \"no errors detected\" or the first error of each\n"
        "  run FILE                   check a Pascal program, then run it: its output on\n"
        "                             standard output, its keyboard input (one line per\n"
        "                             variable read) from standard input\n"
        "      [--screen]             run it on an emulated text screen (40 x 24) and print\n"
        "                             the screen's final content instead\n"
        "      [--screen-size CxR]    the same on a screen of C columns and R rows\n"
        "      [--heap]               after the run, print the heap's cells (address, size,\n"
        "                             structure, place, references, pointers) and anchors\n"
        "  translate FILE --to NAME   print the program re-worded into vocabulary NAME\n"
        "            [--from NAME]    (the source's vocabulary comes from its extension)\n"
        "  catalogue --write FILE     write the built-in message catalogue (.mve)\n"
        "  help                       this text\n"
        "  version                    the program's version\n"
        "\n"
        "Options:\n"
        "  --catalogue FILE.mve       messages from this catalogue instead of the built-in one\n"
        "  --config-dir DIR           where vocabulary files (SYSTEM.mvv, ...) are found\n"
        "                             (default: $MOVILA_CONFIG_DIR, else ~/.config/movila)\n"
        "\n"
        "Program options (check and run; the defaults are those of a new installation):\n";
    // Each option on one line, its help in a column of its own.
    const auto option = [&text](const std::string& name, const std::string& help) {
        std::string line = "  " + name;
        line.resize(std::max<std::size_t>(line.size() + 1, 34), ' ');
        text += line + help + "\n";
    };
    for (const OptionFlag& flag : ProgramOptionFlags()) {
        option(flag.Name, flag.Help);
    }
    option("--keyboard-prefix PREFIX", "only routines named PREFIX... may read the keyboard (234)");
    option("--screen-prefix PREFIX", "only routines named PREFIX... may write (235)");
    option("--max-nesting N", "nesting of routine declarations, 1-9 (default 5; 214)");
    option("--max-stack N", "routines in the execution stack (default 10; 215)");
    option("--max-passes N", "passes through a loop, 100-30000 by 100 (default 100; 239)");
    option("--real-digits N", "digits compared between reals, 5-14 (default 8)");
    text += "\n"
            "Errors are printed as FILE:LINE:COLUMN: error N: MESSAGE on standard error, those\n"
            "found while a program runs too.\n"
            "Exit status: 0 no error, 1 an error in the program found by the check, 2 a run-time\n"
            "error, 64 a wrong command line, 66 an input file that cannot be read, 73 an output\n"
            "file that cannot be written, 130 a run interrupted by Ctrl-C. A program ended by\n"
            "HALT(N) exits with N when N is 0 or 4 to 63; any other code exits with 3 and is\n"
            "printed on standard error.\n";
    return text;
}
