// Breakpoints of one source file: the list the driver asks at every step point.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// One breakpoint on a 0-based line of its file. The list of its file owns it; the to-activate and
// to-deactivate lists only name other breakpoints of the project (by their name), so a breakpoint
// removed from its file never leaves a dangling pointer behind.
class Qbbkpoint
{
  public:
    enum Status
    {
        Active = 0,
        Inactive = 1,
        Forbidden = 2,
        Dying = 3
    };

    Qbbkpoint(const std::string& fileName, int line);

    int GetStatus() const;
    void SetStatus(int status);
    static std::string StatusName(int status);
    // "Breakpoint <name>", then the status, the pass limit and the condition, one per line.
    std::string Hint() const;

    std::string Name;
    int Line = 0;
    bool IsActive = true;
    bool IsForbidden = false;
    bool IsDying = false;
    bool Suspend = true;
    int PassLimit = 0;
    int Passes = 0;
    std::string Condition; // as typed (UTF-8); the driver gets it in its own encoding
    std::vector<std::string> ToActivate;
    std::vector<std::string> ToDeactivate;
};

// The breakpoints of one file, at most one per line, kept in the order they were set.
class Qbbklist
{
  public:
    // Evaluates a breakpoint condition as an expression of the program; may be empty, in which
    // case a condition is taken as true.
    using ConditionEvaluator = std::function<bool(const std::string& name, const std::string&)>;
    // Finds a breakpoint of the project by name (any file); may return null.
    using NameLookup = std::function<Qbbkpoint*(const std::string& name)>;

    Qbbkpoint* Find(int line);
    const Qbbkpoint* Find(int line) const;
    // No breakpoint there: the dying ones are purged and a new one added; a dying one is revived;
    // otherwise its active flag is inverted and the dying are purged. True when one was made.
    bool Toggle(const std::string& fileName, int line);
    Qbbkpoint& Add(const std::string& fileName, int line);
    void MarkDying(int line);
    // Removes every breakpoint (all) or only the dying ones; returns the lines of those removed.
    std::vector<int> Purge(bool all);
    void ResetPasses();
    // Whether the run stops on `line`; a breakpoint that fires also switches the breakpoints its
    // lists name.
    bool Triggered(int line, const ConditionEvaluator& evaluate, const NameLookup& lookup);
    // Old name to new name of the breakpoints an edit moved.
    using Renaming = std::map<std::string, std::string>;
    // Editing keeps breakpoints on their text. A breakpoint that moves takes the name of its new
    // line, and the switch lists of this file that named it follow; the renaming is returned for
    // whoever else holds names (an open parameters dialog).
    Renaming LineInserted(int at);
    Renaming LineDeleted(int at);
    // The breakpoint of that name; a living one is preferred to a dying one left on the same
    // line by a deletion. May return null.
    Qbbkpoint* FindNamed(const std::string& name);

    const std::vector<std::unique_ptr<Qbbkpoint>>& Points() const { return points; }
    bool Empty() const { return points.empty(); }

  private:
    // Renames the breakpoints whose line changed from `before` (one line per breakpoint, in the
    // order of `points`) and rewrites the switch lists that named them.
    Renaming Rename(const std::vector<int>& before);

    std::vector<std::unique_ptr<Qbbkpoint>> points;
};

// The name of a breakpoint: the file name (without folder), "_" and the 1-based line number.
std::string BreakpointName(const std::string& fileName, int line);
