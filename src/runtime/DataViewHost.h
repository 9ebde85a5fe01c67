// What the data manager tells the execution views: array windows and assigned variables.
#pragma once

#include <cstdint>
#include <string>

// Implemented by the development environment; the data manager borrows it (may be absent) and
// never waits on it. Captions are "routine caption.variable" or "program.variable".
class DataViewHost
{
  public:
    virtual ~DataViewHost() = default;
    virtual bool IsArrayWindowOpen(const std::string& caption) = 0;
    // Opens the window of an array variable at `address` of type entry `type`, or refreshes it.
    virtual void ShowArrayWindow(const std::string& caption, std::uint32_t address,
                                 std::uint16_t type) = 0;
    virtual void CloseArrayWindow(const std::string& caption) = 0;
    // A variable became assigned (or unassigned): its row in the globals or execution-stack view
    // changes.
    virtual void AssignedChanged(std::uint32_t address) = 0;
    // The name, state and position rows of a file variable; the data manager shows the name.
    virtual std::string FileName(std::uint32_t address) = 0;
};
