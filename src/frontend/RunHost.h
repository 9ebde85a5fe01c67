// What a run needs from whoever started it: the IDE or the terminal.
#pragma once

#include <csignal>
#include <string>

// The driver borrows its host and never owns it. Every call comes from the driver's own thread,
// at a step point or at the end of a run.
class RunHost
{
  public:
    virtual ~RunHost() = default;
    // Waits at a step point for the pupil's next command and returns its mode bits (1 step,
    // 2 run on, 8 step into, 16 micro step); throws HaltExcept("escape") on ESC.
    virtual int WaitForStep(int modeBits) = 0;
    // True when ESC is waiting in the input; the pending keys are then dropped.
    virtual bool EscapePending() = 0;
    // True when a breakpoint of `fileName` stops the run at 1-based `line`.
    virtual bool StopsAt(const std::string& fileName, int line) = 0;
    // False when StopsAt never stops (no breakpoint can exist): the step points then skip it.
    virtual bool MayStop() const { return true; }
    // The execution views follow the run.
    virtual void RefreshViews() = 0;
    // Shows where the run is (1-based line and column) in the editor of `fileName`.
    virtual void ShowLine(const std::string& fileName, int line, int column) = 0;
    // The report of a check or run: number 0 is "no errors detected"; line and column 0-based,
    // -1 when there is no position.
    virtual void ShowReport(const std::string& fileName, int number, const std::string& message,
                            int line, int column) = 0;
    // A statement (or, with `routineEnded`, a call) of a run that keeps a heap has ended: the
    // heap view re-lays out what changed when its options ask for it. (Called only when
    // followsStatements is set, as it is unless a host clears it.)
    virtual void StatementEnded(bool routineEnded) { (void)routineEnded; }

    // EscapePending as the step points poll it: straight from the flag a host names (one that
    // only a signal's handler sets), through EscapePending otherwise.
    bool PollEscape() { return escapeFlag != nullptr ? *escapeFlag != 0 : EscapePending(); }
    // MayStop, answered at once by a host that never stops.
    bool MayStopNow() const { return !neverStops && MayStop(); }
    // False for a host whose StatementEnded does nothing: the driver then does not call it.
    bool FollowsStatements() const { return followsStatements; }
    // The flag PollEscape reads, for a host that never stops; null otherwise.
    const volatile std::sig_atomic_t* QuietEscapeFlag() const
    {
        return neverStops ? escapeFlag : nullptr;
    }

  protected:
    const volatile std::sig_atomic_t* escapeFlag = nullptr;
    bool neverStops = false;       // MayStop is false for good
    bool followsStatements = true; // StatementEnded is overridden
};

// A host for runs that nobody watches: no views, no breakpoints, never waits.
class SilentRunHost : public RunHost
{
  public:
    SilentRunHost() { followsStatements = false; }
    int WaitForStep(int) override { return 2; }
    bool EscapePending() override { return false; }
    bool StopsAt(const std::string&, int) override { return false; }
    bool MayStop() const override { return false; }
    void RefreshViews() override {}
    void ShowLine(const std::string&, int, int) override {}
    void ShowReport(const std::string&, int, const std::string&, int, int) override {}
};
