// The driver shared by the Pascal and C front-ends: one entry point to check, run, step or compile.
#pragma once

#include "diagnostics/QbGeserreurs.h"
#include "frontend/ProgramOptions.h"
#include "frontend/RunHost.h"
#include "lexical/SourceText.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QbLexical;
class QbDico;
class QbModule;
class QbTable;
class QbGesdata;
class QbHeap;
class ConsoleHost;

// What a parsing routine returns for an expression or a reference: the type (a type code for
// the predefined scalar types, a type entry for structured and named types) and the subtype
// (the enumeration of an enumerated value, the element type of a set).
struct TypePair
{
    std::uint16_t Type = 0;
    std::uint16_t Subtype = 0;
};

// One (type, value) pair read by ParseSignedArguments for a predefined routine.
struct SignedArgument
{
    std::uint16_t Type = 0;
    std::uint32_t Value = 0; // a value, or an address for a variable argument
    std::string Text;        // the value of a string argument ("s")
};

enum class Language : std::uint8_t
{
    Pascal = 0,
    C = 1
};

// Where a driver finds its files and who watches it. Everything here is borrowed.
struct DriverEnvironment
{
    std::string ConfigDirectory;      // vocabulary files (SYSTEM.mvv, CRT.mvv, ...)
    std::string ApplicationDirectory; // mvinit.mvg, deferrf.mve
    std::string CatalogueFile;        // the teacher's message catalogue; empty: built-in
    bool ScenaristLevel = false;      // vocabulary files are accepted whatever their stamp
    bool HasMainWindow = false;       // false on the terminal: stamps are not checked either
    SourceText* Pages = nullptr;      // open editor pages; may be null
    RunHost* Host = nullptr;          // may be null: runs are then silent
    // Keyboard and text screen of the programs run; may be null: output then goes to
    // OutputText and reading finds no input.
    ConsoleHost* Console = nullptr;
};

// A predefined unit a USES clause can name.
struct ModuleSlot
{
    std::string Name;
    std::string AltName;
    int ModuleClass = 0; // which QbModule subclass the dictionary creates for it
    std::uint32_t Value = 0;
    std::uint8_t Flags = 0; // 1 active in this run, 2 has a window, 4 included automatically
};

// One driver belongs to each notebook and lives as long as it. It owns the lexer, the error
// manager and the dictionary (and, with the interpreter, the symbol table, data manager, heap and
// machine); each Run rebuilds what a run needs. A front-end subclass creates the lexer of its
// language in its constructor, right after this base is built.
class QbSyntaxe
{
  public:
    static constexpr int SlotCount = 4;

    QbSyntaxe(const DriverEnvironment& environment, Language language);
    virtual ~QbSyntaxe();
    QbSyntaxe(const QbSyntaxe&) = delete;
    QbSyntaxe& operator=(const QbSyntaxe&) = delete;

    // One check, run or compilation of `mainName` ("+file", "#name#text", or a file name) under
    // the RunMode bits; returns the error number, 0 for none.
    int Run(const std::string& mainName, int mode);

    // Front-end operations.
    virtual void ParseHeading(std::string& name) = 0;
    virtual void ParseMainBlock() = 0;
    virtual void PrepareRun(int mode) = 0;
    // 1 program word, 2 unit word, 3 models word, 0 otherwise (case-insensitive).
    virtual int HeadingKind(const std::string& word) = 0;
    virtual bool IsRoutineHeading(const std::string& line) = 0;

    // Executes the statement part of a routine (1: the program) from its recorded position.
    virtual void ExecuteRoutineBody(std::uint16_t routine) = 0;

    // The front-end's slots that the driver, the predefined routines and the views call.
    // A front-end without a construct raises 240 for it.
    virtual void ParseCondition();
    virtual TypePair ParseExpression();
    virtual TypePair ParseConstant(bool caseLabel);
    virtual void ParseActualParameter(std::uint16_t formal);
    virtual void CallRoutine(int kind, std::uint16_t routine);
    // Reads the arguments of a predefined routine by a signature string; returns their number.
    virtual int ParseSignedArguments(const std::string& signature,
                                     std::vector<SignedArgument>& arguments);
    virtual bool Compatible(std::uint16_t targetType, std::uint16_t sourceType,
                            std::uint16_t targetSub, std::uint16_t sourceSub,
                            std::int32_t sourceValue, std::int32_t targetValue);

    // Routine calls (kind 4 procedure statement, 5 function in an expression).
    void Call(int kind, std::uint16_t routine);
    void ExecuteCall(int kind, std::uint16_t routine);
    // A call's pieces, in their order, for a front-end that reads the arguments itself:
    // BeginCall (stepping over, the recursion check), OpenFrame (the frame the parameters
    // join; its answer goes to RunCalled), the parameters' variables, RunCalled (locals, body,
    // result), EndCall.
    struct CallScope
    {
        bool Stepping = false;
        bool Trace = false;
        bool StepOver = false;
    };
    CallScope BeginCall(std::uint16_t routine);
    // The formal parameters of a routine (or procedural type), in declaration order.
    static std::vector<std::uint16_t> FormalsOf(const QbTable& table, std::uint16_t owner);
    std::uint16_t OpenFrame();
    // A function's integer result, given `hold`, may be left in the accumulator instead of
    // pushed: the answer is then its type (none when it was pushed, or for a procedure).
    // A call `replayed` from an expression's plan brings back only the token start the reading
    // stood on: the reader itself is put where the replay ends by whoever replays it, as it is
    // when no call is made.
    std::optional<std::uint16_t> RunCalled(std::uint16_t called, std::uint16_t savedTop,
                                           bool hold = false, bool replayed = false);
    // The frame the arguments started made whole for `called` and entered: their marks
    // cleared, then the frame's header and the routine's locals.
    void EnterFrame(std::uint16_t called, std::uint16_t savedTop);
    // RunCalled once the body has run (`unread`: by its plan, the reader left where it was): a
    // function's result loaded (held as `hold` says, else pushed; a missing one reported on its
    // END), the frame left and the caller current again. The reader is the caller's to put back.
    // `savedTop` is OpenFrame's, where the frame's parameters started; `quiet`, that the routine
    // is known to leave quietly; `function`, whether it is a function, when the caller knows.
    std::optional<std::uint16_t> ReturnFromCall(std::uint16_t called, std::uint16_t caller,
                                                bool unread, bool hold, std::uint16_t savedTop,
                                                bool quiet = false,
                                                std::optional<bool> function = std::nullopt);
    void EndCall(const CallScope& scope);
    void CallPredefined(std::uint16_t routine);
    void ParseActualParameters(int kind, int routineKind, std::uint16_t routine,
                               bool hasParameters);
    // ParseExpression with Execute forced on, for constants and views; the value stays in the
    // data manager's accumulator.
    TypePair EvaluateForView();
    // Positions the lexer (and the editor) on a routine's source; true when the source changed.
    bool ShowPosition(std::uint16_t routine, int line, int column);

    // USES support.
    void UseUnit(const std::string& name);
    void ActivateModule(int slot);
    int FindModule(const std::string& name) const;

    // Code emission: the compiler's back-end fills these in; until then nothing is emitted.
    void Emit(int opcode, std::int32_t a, std::int32_t b);
    int NewLabel() { return LabelCounter++; }

    // A breakpoint condition `text` (named `name` in reports) read as an expression of the
    // program where the run stands. A condition that cannot be evaluated shows its report and
    // answers true; the run then ends at the step point as if ESC had been pressed.
    bool EvaluateCondition(const std::string& name, const std::string& text);

    // The statement boundary: breakpoints, views and step commands.
    void StepPoint()
    {
        // A host that shows nothing and never stops: only ESC is polled.
        if (quietPoll != nullptr) {
            if (*quietPoll != 0) {
                StopForEscape();
            }
            return;
        }
        if (environment.Host == nullptr || silent) {
            return;
        }
        RunHost& host = *environment.Host;
        if (!traceViews && !stepping && !host.MayStopNow()) {
            if (host.PollEscape()) {
                StopForEscape();
            }
            return;
        }
        WatchedStepPoint(host);
    }
    // StepPoint when micro-stepping; the data manager calls it at every push and pop.
    void MicroStepPoint()
    {
        if (MicroStep) {
            StepPoint();
        }
    }

    // Option accessors.
    bool OptionA(std::uint32_t bit) const { return (options.A & bit) != 0; }
    bool OptionB(std::uint32_t bit) const { return (options.B & bit) != 0; }
    bool OptionC(std::uint32_t bit) const { return (options.C & bit) != 0; }
    void SetOptionA(std::uint32_t bit, bool on);
    void SetOptionB(std::uint32_t bit, bool on);
    void SetOptionC(std::uint32_t bit, bool on);
    // The four numeric limits, set together as the options dialog does; out-of-range values are
    // brought into range.
    void SetLimits(int nesting, int stackMaximum, int passes, int digits);
    const ProgramOptions& GetOptions() const { return options; }
    void SetOptions(const ProgramOptions& newOptions);
    // The three option words as one number: the same words give the same key (what a plan
    // recorded under them compares).
    std::uint32_t OptionsKey() const { return optionsKey; }
    // Neither option that acts on a new frame (its locals set to zero, recursion refused) is
    // on: a frame may be made in one go.
    bool PlainFrames() const { return plainFrames; }

    // Vocabulary word `number` in the current vocabulary.
    std::string Word(std::uint16_t number) const;
    int CurrentLine() const;

    Language GetLanguage() const { return language; }
    const DriverEnvironment& Environment() const { return environment; }
    RunHost& Host() { return *runHost; }

    // Source file of the last report and whether it came from a nested source.
    const std::string& ReportSourceName() const { return reportSourceName; }

    // Owned parts.
    std::unique_ptr<QbLexical> Lexer;
    std::unique_ptr<QbGeserreurs> Errors;
    std::unique_ptr<QbDico> Dictionary;
    std::unique_ptr<QbTable> Table;
    // Declared before Data: the data manager borrows the heap and may still call it on closing.
    std::unique_ptr<QbHeap> Heap;
    std::unique_ptr<QbGesdata> Data;

    ExtraLetterSet ExtraLetters;
    ModuleSlot ModuleSlots[SlotCount];

    // Mode flags of the current run (those the plans test at every statement side by side).
    bool Execute = false;
    bool Generate = false;
    bool Checking = false;
    bool MicroStep = false;
    bool SearchingLabel = false;
    // The step point's modes: the run stops at each statement, the views follow it, nothing is
    // shown (a breakpoint's condition being evaluated). Set through their setters, which keep
    // the quiet step point's flag.
    bool Stepping() const { return stepping; }
    bool TraceViews() const { return traceViews; }
    bool Silent() const { return silent; }
    void SetStepping(bool on)
    {
        stepping = on;
        StepModesChanged();
    }
    void SetTraceViews(bool on)
    {
        traceViews = on;
        StepModesChanged();
    }
    void SetSilent(bool on)
    {
        silent = on;
        StepModesChanged();
    }
    bool StepInto = false;
    bool CalledFromMain = false;
    bool UpdateModels = false;
    bool ConstantContext = false;
    bool HeapActive = false;
    // The last NEW or DISPOSE executed, its pointer argument read: what a plan of the statement
    // calling it keeps (Made is cleared by the caller before the call).
    struct HeapCall
    {
        bool Made = false;
        bool Dispose = false;
        SignedArgument Pointer;
    };
    HeapCall LastHeapCall;
    int ViewEvaluations = 0;
    std::uint16_t UnitCount = 8;
    std::uint16_t GlobalsSize = 0;
    int LabelCounter = 2;
    std::uint16_t CurrentRoutine = 1;
    std::uint8_t UnitKind = 2; // 1 unit, 2 program, 3 models text
    std::uint32_t RandomSeed = 0;
    // The state of RANDOM's generator (seed = seed * 134775813 + 1); restarted from RandomSeed at
    // each execution when option B 8192 is on.
    std::uint32_t RandomState = 0;
    std::string OutputText;
    // How the last run ended by a signal: the program's HALT (with its code) or the user's
    // cancel.
    bool Halted = false;
    bool Escaped = false;
    int HaltCode = 0;
    std::vector<std::string> Messages;
    int LexerMode = -1;

    // Translation (mode 256): the vocabulary the text is re-worded into, the five 2-bit case
    // styles, and the lines produced.
    int TranslateTo = 0;
    std::uint32_t TranslateStyles = 0;
    std::vector<std::string> TranslatedLines;

  protected:
    // Binds the error manager to the lexer once the subclass has created it.
    void AttachLexer();
    // The host's answers that stay for a run, asked at its start: the ESC flag of a host that
    // shows nothing and never stops (null for any other), and whether it follows statements.
    const volatile std::sig_atomic_t* quietEscape = nullptr;
    bool hostFollowsStatements = true;
    void AskHost();
    // The step point's modes, and the ESC flag a step point only polls: quietEscape while the
    // run neither steps, nor traces, nor is silent (null otherwise).
    bool stepping = false;
    bool traceViews = false;
    bool silent = false;
    const volatile std::sig_atomic_t* quietPoll = nullptr;
    void StepModesChanged()
    {
        quietPoll = !stepping && !traceViews && !silent ? quietEscape : nullptr;
    }
    // Host().PollEscape(), from the flag when there is one.
    bool PollHostEscape()
    {
        return quietEscape != nullptr ? *quietEscape != 0 : Host().PollEscape();
    }
    // Host().MayStopNow(), answered at once for a host whose flag is read.
    bool HostMayStop() { return quietEscape == nullptr && Host().MayStopNow(); }
    // StepPoint for a host that shows lines or may stop.
    void WatchedStepPoint(RunHost& host);
    [[noreturn]] static void StopForEscape();
    // Set by ExecuteRoutineBody when the body was executed without being read and the reader
    // was not brought after its END: nothing after the body but a function's missing result
    // can raise an error, and that one is reported on the END the reader is then brought to.
    bool BodyLeftUnread = false;

  private:
    void ParseProgram();
    // Execution of a checked program: data areas, SYSTEM's run hooks, unit initialisations,
    // then the program's body (DriverCalls.cpp).
    void ExecuteProgram();

    DriverEnvironment environment;
    Language language;
    SilentRunHost silentHost;
    // The environment's host, or the silent one when it names none (asked at every statement).
    RunHost* runHost;
    bool conditionFailed = false;
    std::string reportSourceName;

    // Written through the setters only, which keep the key.
    ProgramOptions options;
    std::uint32_t optionsKey = 0;
    bool plainFrames = true;
    void OptionsChanged();
    // The option words met so far, by key; past the room, words met again take a new key.
    static constexpr std::size_t KeptOptionWords = 64;
    std::vector<std::array<std::uint32_t, 3>> optionWords;
    std::uint32_t nextOptionsKey = KeptOptionWords;
};
