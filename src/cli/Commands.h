// The commands of `movila`, each writing to the streams it is given.
#pragma once

#include "cli/CommandLine.h"

#include <ostream>

namespace ExitStatus
{
constexpr int Ok = 0;
constexpr int ProgramError = 1;
constexpr int RunTimeError = 2;
constexpr int Usage = 64;
constexpr int NoInput = 66;
constexpr int CannotCreate = 73;
} // namespace ExitStatus

int RunCommand(const CommandRequest& request, std::ostream& out, std::ostream& err);
