// Parsing of the `movila` command line.
#include "cli/CommandLine.h"

#include <map>

namespace
{
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
    return word == "check" || word == "translate" || word == "catalogue" || word == "help" ||
           word == "version";
}
} // namespace

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
            const auto option = ValueOptions().find(word);
            if (option == ValueOptions().end()) {
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
            request.*(option->second) = value;
        } else {
            request.Files.push_back(word);
        }
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
    return "usage: movila COMMAND [OPTIONS] FILE...\n"
           "\n"
           "Commands:\n"
           "  check FILE...              check programs (.pas Pascal, .c C); print\n"
           "                             \"no errors detected\" or the first error of each\n"
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
           "Errors are printed as FILE:LINE:COLUMN: error N: MESSAGE on standard error.\n"
           "Exit status: 0 no error, 1 an error in the program, 64 a wrong command line,\n"
           "66 an input file that cannot be read, 73 an output file that cannot be written.\n";
}
