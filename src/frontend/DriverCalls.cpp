// The driver's routine calls, USES support and the front-end slots' defaults.
#include "frontend/QbSyntaxe.h"
#include "frontend/ReadingPosition.h"

#include "diagnostics/Exceptions.h"
#include "lexical/QbDico.h"
#include "lexical/QbLexical.h"
#include "runtime/DataInline.h"
#include "runtime/QbGesdata.h"
#include "runtime/QbHeap.h"
#include "runtime/SystemMemory.h"
#include "symbols/QbModule.h"
#include "symbols/QbTable.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

// A front-end that lacks a construct refuses it with the catalogue's own message.
void QbSyntaxe::ParseCondition()
{
    Errors->Raise(ErrorNumber::NotImplemented);
}

TypePair QbSyntaxe::ParseExpression()
{
    Errors->Raise(ErrorNumber::NotImplemented);
}

TypePair QbSyntaxe::ParseConstant(bool)
{
    Errors->Raise(ErrorNumber::NotImplemented);
}

void QbSyntaxe::ParseActualParameter(std::uint16_t)
{
    Errors->Raise(ErrorNumber::NotImplemented);
}

void QbSyntaxe::CallRoutine(int kind, std::uint16_t routine)
{
    Call(kind, routine);
}

int QbSyntaxe::ParseSignedArguments(const std::string&, std::vector<SignedArgument>&)
{
    Errors->Raise(ErrorNumber::NotImplemented);
}

bool QbSyntaxe::Compatible(std::uint16_t targetType, std::uint16_t sourceType, std::uint16_t,
                           std::uint16_t, std::int32_t, std::int32_t)
{
    return targetType == sourceType;
}

namespace {
bool IsParameterMode(std::uint8_t mode)
{
    return mode == VariableMode::ValueParameter || mode == VariableMode::VarParameter ||
           mode == VariableMode::ConstParameter || mode == VariableMode::OutParameter;
}

// The formal parameters of a routine or of a procedural type, in declaration order: the
// parameter entries its heading made right after its own entry (and a function's result).
// Calls `visit` for each; stops early when it returns false.
template <typename Visit>
void EachFormalParameter(const QbTable& table, EntryNumber owner, Visit visit)
{
    for (EntryNumber entry = owner + 1; entry != 0 && table.IsEntry(entry); ++entry) {
        if (table.Kind(entry) != EntryKind::Variable || table.Owner(entry) != owner) {
            break;
        }
        if (entry == owner + 1 && table.Kind(owner) == EntryKind::Function) {
            continue; // the result variable
        }
        if (!IsParameterMode(table.Code(entry)) || !visit(entry)) {
            break;
        }
    }
}

std::vector<EntryNumber> FormalParameters(const QbTable& table, EntryNumber owner)
{
    std::vector<EntryNumber> formals;
    EachFormalParameter(table, owner, [&formals](EntryNumber entry) {
        formals.push_back(entry);
        return true;
    });
    return formals;
}

bool HasFormalParameters(const QbTable& table, EntryNumber owner)
{
    bool any = false;
    EachFormalParameter(table, owner, [&any](EntryNumber) {
        any = true;
        return false;
    });
    return any;
}

std::string BaseName(const std::string& path)
{
    const auto separator = path.find_last_of("/\\");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}
} // namespace

void QbSyntaxe::ExecuteProgram()
{
    if (OptionB(OptionB::SameRandomSeries)) {
        RandomState = RandomSeed;
    }
    if (!Data->Open(std::max(GlobalsSize, Table->GlobalSize()))) {
        Errors->Raise(ErrorNumber::ExecutionStackFull);
    }
    // A fresh heap for every run (GETMEM needs one even in a program without typed pointers);
    // the last run's cells stay for the heap view until then. HeapActive tells the views that
    // the program has typed pointers.
    if (!Heap) {
        Heap = std::make_unique<QbHeap>(MakeHeapHooks(*this));
    }
    Heap->Close();
    Heap->Open(64);
    Data->SetHeap(Heap.get());
    QbModule* system = Dictionary->ModuleByName(ModuleSlots[0].Name);
    const int vocabulary = Dictionary->CurrentVocabulary();
    if (system != nullptr) {
        system->BeforeRun(*this, vocabulary);
    }
    try {
        // Every used unit's initialisation part first, in the order the table holds them.
        std::vector<EntryNumber> units;
        for (EntryNumber unit = Table->FirstUnit(); unit != 0 && units.size() < QbTable::MaxEntries;
             unit = Table->NextUnit(unit)) {
            if (unit != 1) {
                units.push_back(unit);
            }
        }
        std::sort(units.begin(), units.end());
        for (const EntryNumber unit : units) {
            ExecuteRoutineBody(unit);
        }
        CurrentRoutine = 1;
        ExecuteRoutineBody(1);
    } catch (...) {
        if (system != nullptr) {
            system->AfterRun(*this, vocabulary);
        }
        throw;
    }
    if (system != nullptr) {
        system->AfterRun(*this, vocabulary);
    }
}

// A routine call (kind 4: procedure statement, 5: function in an expression). Stepping over a
// call (F8) runs the routine without stopping unless a breakpoint inside it stops the run.
void QbSyntaxe::Call(int kind, std::uint16_t routine)
{
    const CallScope scope = BeginCall(routine);
    ExecuteCall(kind, routine);
    EndCall(scope);
}

QbSyntaxe::CallScope QbSyntaxe::BeginCall(std::uint16_t routine)
{
    CallScope scope;
    scope.Stepping = stepping;
    scope.Trace = traceViews;
    scope.StepOver = Execute && stepping && !StepInto;
    if (scope.StepOver) {
        SetStepping(false);
        SetTraceViews(false);
    }
    // A GOTO search reads calls without making them and goes on looking past them; an executed
    // call starts with no search pending.
    if (Execute) {
        SearchingLabel = false;
    }
    if (routine == CurrentRoutine && OptionA(OptionA::ForbidRecursion)) {
        Errors->Raise(ErrorNumber::RecursionNotAllowed);
    }
    return scope;
}

void QbSyntaxe::EndCall(const CallScope& scope)
{
    if (hostFollowsStatements && Execute && HeapActive) {
        Host().StatementEnded(true);
    }
    if (scope.StepOver) {
        SetStepping(scope.Stepping || stepping);
        SetTraceViews(scope.Trace);
        Host().RefreshViews();
    }
}

std::vector<std::uint16_t> QbSyntaxe::FormalsOf(const QbTable& table, std::uint16_t owner)
{
    return FormalParameters(table, owner);
}

std::uint16_t QbSyntaxe::OpenFrame()
{
    Data->MarkStackPointer();
    return Data->DescriptorTop();
}

// Parameters, frame, body and return, in the data manager's calling order: the actual
// parameters become variables of the frame being built while they are read, then the frame
// header and the locals are made, the routine entered, its body executed from its recorded
// position, and the reader comes back right after the call.
void QbSyntaxe::ExecuteCall(int kind, std::uint16_t routine)
{
    QbTable& table = *Table;
    if ((table.Code(routine) & RoutineFlag::Predefined) != 0 &&
        table.Kind(routine) != EntryKind::Type) {
        CallPredefined(routine);
        return;
    }
    if (CurrentRoutine == 1) {
        CalledFromMain = true;
    }
    EntryNumber called = routine;
    if (table.Kind(routine) == EntryKind::Type) {
        // A call through a procedure or function variable: the current address holds the
        // routine's entry number.
        if (Execute) {
            Data->LoadValue(routine);
            called = static_cast<EntryNumber>(Data->Acc.Integer);
            const EntryKind calledKind = table.Kind(called);
            if (!table.IsEntry(called) ||
                (calledKind != EntryKind::Procedure && calledKind != EntryKind::Function)) {
                Data->Fail(table.Code(table.BaseType(routine)) == TypeCode::FunctionType
                               ? ErrorNumber::FunctionVariableInvalid
                               : ErrorNumber::ProceduralVariableInvalid);
            }
            if ((table.Code(called) & RoutineFlag::Predefined) != 0) {
                CallPredefined(called);
                return;
            }
        }
    }
    const EntryNumber formalOwner = Execute ? called : routine;
    const bool hasParameters = HasFormalParameters(table, formalOwner);
    const std::uint16_t savedTop = Execute ? OpenFrame() : 0;
    ParseActualParameters(kind, static_cast<int>(table.Kind(called)), formalOwner, hasParameters);
    if (Execute) {
        RunCalled(called, savedTop);
    }
}

// The frame the parameters started is completed, the body executed from its recorded position,
// a function's result pushed, and the reader brought back where it stood.
std::optional<std::uint16_t> QbSyntaxe::RunCalled(std::uint16_t called, std::uint16_t savedTop,
                                                  bool hold, bool replayed)
{
    ReadingPosition position;
    if (replayed) {
        Lexer->TokenStart(position.Line, position.Column);
    } else {
        SaveReading(*Lexer, position);
    }
    const std::uint16_t caller = CurrentRoutine;
    EnterFrame(called, savedTop);
    if (traceViews) {
        Host().RefreshViews();
    }
    ExecuteRoutineBody(called);
    const bool unread = BodyLeftUnread;
    BodyLeftUnread = false;
    const std::optional<std::uint16_t> held =
        ReturnFromCall(called, caller, unread, hold, savedTop);
    if (replayed) {
        Lexer->MarkTokenStart(position.Line + 1, position.Column + 1);
    } else {
        RestoreReading(*Lexer, position);
    }
    return held;
}

void QbSyntaxe::EnterFrame(std::uint16_t called, std::uint16_t savedTop)
{
    if (!Data->EnterPlainFrame(called, savedTop)) {
        Data->ClearMarksSince(savedTop);
        Data->AllocateFrame(Data->FrameHeaderSize(called));
        Data->CreateLocals(called);
        Data->EnterRoutine(called);
    }
}

std::optional<std::uint16_t> QbSyntaxe::ReturnFromCall(std::uint16_t called, std::uint16_t caller,
                                                       bool unread, bool hold,
                                                       std::uint16_t savedTop, bool quiet,
                                                       std::optional<bool> function)
{
    QbTable& table = *Table;
    std::optional<std::uint16_t> held;
    // A missing result is reported on the function's END. A body executed without being read
    // leaves the reader elsewhere only when its END is where the reader is brought for it.
    if ((function ? *function : table.Kind(called) == EntryKind::Function) &&
        (!unread || !Data->LoadAssignedResult(called, hold ? &held : nullptr))) {
        const int endLine = table.Slot(called, RoutineSlot::BodyEndLine);
        if (endLine != 0 && table.Outermost(called) == table.Outermost(caller)) {
            Lexer->Reposition(endLine, table.Slot(called, RoutineSlot::BodyEndColumn));
        }
        Data->LoadFunctionResult(called);
    }
    // A held result is the accumulator's integer whatever leaving the frame does to it.
    const std::int32_t result = Data->Acc.Integer;
    Data->LeaveRoutine(savedTop, quiet);
    if (traceViews) {
        Host().RefreshViews();
    }
    Data->ReleaseFrame();
    CurrentRoutine = caller;
    if (held) {
        Data->Acc.Integer = result;
    }
    return held;
}

// The handler stored in the routine's entry by its module reads the arguments and, executing,
// performs the routine.
void QbSyntaxe::CallPredefined(std::uint16_t routine)
{
    // The routine's name, just read, is re-worded by its word code when translating.
    Lexer->Notify('P', Table->GetName(routine), Table->Value(routine));
    const QbTable::RoutineHandler handler = Table->Handler(routine);
    if (!handler) {
        Errors->Raise(ErrorNumber::NotImplemented);
    }
    handler(*this, routine);
}

// "(" actual { "," actual } ")" for the formals of `routine`. Each actual is read by the
// front-end's slot (a value on the evaluation stack, or a variable's address as the data
// manager's current address) and, executing, becomes the formal's variable in the frame being
// built.
void QbSyntaxe::ParseActualParameters(int, int, std::uint16_t routine, bool hasParameters)
{
    if (!hasParameters) {
        return;
    }
    const std::vector<EntryNumber> formals = FormalParameters(*Table, routine);
    Lexer->ExpectSymbol("(");
    for (std::size_t i = 0; i < formals.size(); ++i) {
        if (i > 0) {
            Lexer->ExpectSymbol(",");
        }
        ParseActualParameter(formals[i]);
        if (Execute) {
            Data->CreateVariable(formals[i], 8195);
        }
    }
    Lexer->ExpectSymbol(")");
}

TypePair QbSyntaxe::EvaluateForView()
{
    const bool executing = Execute;
    Execute = true;
    ++ViewEvaluations;
    try {
        const TypePair type = ParseExpression();
        Data->Pop();
        --ViewEvaluations;
        Execute = executing;
        return type;
    } catch (...) {
        --ViewEvaluations;
        Execute = executing;
        throw;
    }
}

// Positions the reader on a routine's text. A routine of a unit read from its own source has
// that source opened on top of the reader stack; the caller closes it when the routine ends.
bool QbSyntaxe::ShowPosition(std::uint16_t routine, int line, int column)
{
    if (routine == 0) {
        routine = CurrentRoutine;
    }
    bool changed = false;
    const EntryNumber unit = Table->Outermost(routine);
    if (unit > 1 && Table->Kind(unit) == EntryKind::Procedure) {
        const std::string name = Table->GetName(unit);
        std::string current = BaseName(Lexer->SourceName(true));
        std::string wanted = name;
        for (char& ch : wanted) {
            ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        }
        if (current != wanted) {
            if (!Lexer->OpenSource("+" + name)) {
                Errors->RaiseWith(ErrorNumber::CannotOpenInclude, name);
            }
            changed = true;
        }
    }
    Lexer->Reposition(line, column);
    if (stepping || traceViews) {
        Host().ShowLine(Lexer->SourceName(false), line, column);
    }
    return changed;
}

int QbSyntaxe::FindModule(const std::string& name) const
{
    for (int slot = 0; slot < SlotCount && !ModuleSlots[slot].Name.empty(); ++slot) {
        if (ModuleSlots[slot].Name == name || ModuleSlots[slot].AltName == name) {
            return slot;
        }
    }
    return -1;
}

void QbSyntaxe::Emit(int, std::int32_t, std::int32_t)
{
    // The machine's code blocks receive instructions here once the compiler exists.
}
