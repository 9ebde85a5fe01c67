// The movila command: checks, runs and translates programs from a terminal or a grading script.
#include "cli/CommandLine.h"
#include "cli/Commands.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string error;
    const auto request = ParseCommandLine(arguments, error);
    if (!request) {
        std::cerr << "movila: " << error << "\n"
                  << "Try 'movila help'.\n";
        return ExitStatus::Usage;
    }
    return RunCommand(*request, std::cin, std::cout, std::cerr);
}
