// The commands of `movila`, each writing to the streams it is given.
#pragma once

#include "cli/CommandLine.h"

#include <istream>
#include <ostream>

namespace ExitStatus {
constexpr int Ok = 0;
constexpr int ProgramError = 1;
constexpr int RunTimeError = 2;
constexpr int HaltCodeNotShown = 3; // HALT with a code that is not 0 or 4..63
constexpr int FirstHaltCode = 4;
constexpr int LastHaltCode = 63;
constexpr int Usage = 64;
constexpr int NoInput = 66;
constexpr int CannotCreate = 73;
constexpr int Interrupted = 130;
} // namespace ExitStatus

// `in` is the keyboard of the programs that `run` executes.
int RunCommand(const CommandRequest& request, std::istream& in, std::ostream& out,
               std::ostream& err);
