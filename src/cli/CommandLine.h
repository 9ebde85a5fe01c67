// The words of a `movila` command line, parsed into one request.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct CommandRequest
{
    std::string Command;          // check, translate, catalogue, help, version
    std::vector<std::string> Files;
    std::string CatalogueFile;    // --catalogue
    std::string ConfigDirectory;  // --config-dir
    std::string TranslateTo;      // --to
    std::string TranslateFrom;    // --from
    std::string WriteFile;        // catalogue --write
};

// Parses argv; on a malformed line returns nothing and sets `error` to what was wrong.
std::optional<CommandRequest> ParseCommandLine(const std::vector<std::string>& arguments,
                                               std::string& error);

// The text of `movila help`.
std::string UsageText();
