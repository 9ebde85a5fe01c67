// The four exceptions that unwind a check, a run or the machine to the place that ends them.
#pragma once

#include <stdexcept>
#include <string>

// A numbered language or run-time error, thrown only by the error manager.
class InterpExcept : public std::runtime_error
{
public:
    InterpExcept(const std::string& message, int number) : std::runtime_error(message), Number(number)
    {
    }
    int Number;
};

// GOTO or EXIT travelling to the statement list that owns its target; text "goto" or "exit".
class GotoExcept : public std::runtime_error
{
public:
    explicit GotoExcept(const std::string& what) : std::runtime_error(what) {}
};

// The user's cancel ("escape") or the program's HALT ("halt"); ends a run without a report.
class HaltExcept : public std::runtime_error
{
public:
    explicit HaltExcept(const std::string& what, int exitCode = 0)
        : std::runtime_error(what), ExitCode(exitCode)
    {
    }
    bool IsEscape() const { return std::string(what()) == "escape"; }
    int ExitCode;
};

// A fault of a compiled program inside the machine: a text, no catalogue number.
class MVMExcept : public std::runtime_error
{
public:
    explicit MVMExcept(const std::string& what) : std::runtime_error(what) {}
};
