// Pascal statements: statement lists, assignments, procedure calls, IF, WHILE, REPEAT, FOR, CASE,
// WITH, GOTO and labels, INLINE, and the execution of a routine body.
#include "frontend/QbPascalSyntaxe.h"

#include "diagnostics/Exceptions.h"
#include "frontend/PascalWords.h"
#include "frontend/ReadingPosition.h"
#include "lexical/QbDico.h"
#include "lexical/QbLexical.h"
#include "runtime/DataInline.h"
#include "runtime/QbGesdata.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace {
// Gives a counter back its value when a statement ends, also when a GOTO, EXIT or error unwinds
// through it.
class RestoreOnExit
{
  public:
    explicit RestoreOnExit(int& restored) : counter(restored), saved(restored) {}
    ~RestoreOnExit() { counter = saved; }
    int Saved() const { return saved; }
    RestoreOnExit(const RestoreOnExit&) = delete;
    RestoreOnExit& operator=(const RestoreOnExit&) = delete;

  private:
    int& counter;
    int saved;
};

bool IsOrdinalCode(std::uint8_t code)
{
    return code < TypeCode::Real;
}

bool IsIntegerCode(std::uint8_t code)
{
    return code >= TypeCode::Byte && code <= TypeCode::Longint;
}
} // namespace

// Helpers.

void QbPascalSyntaxe::TokenPosition(int& line, int& column) const
{
    // The error manager's token start is 0-based for the line; its column is the 1-based column
    // of the token's first character, which is where Reposition starts reading again.
    int startLine = 0;
    int startColumn = 0;
    Lexer->TokenStart(startLine, startColumn);
    line = startLine + 1;
    column = std::max(startColumn, 1);
}

std::uint8_t QbPascalSyntaxe::ResolvedCode(std::uint16_t type) const
{
    return Data->Resolve(type).Code;
}

bool QbPascalSyntaxe::InTypeRange(std::uint16_t type, std::int32_t value) const
{
    std::int32_t low = 0;
    std::int32_t high = 0;
    TypeRange(type, low, high);
    return value >= low && value <= high;
}

void QbPascalSyntaxe::TypeRange(std::uint16_t type, std::int32_t& low, std::int32_t& high) const
{
    const QbGesdata::TypeInfo info = Data->KeptInfo(type);
    if (info.Entry != 0) {
        Table->RangeOf(Table->BaseType(info.Entry), low, high);
    } else {
        QbTable::CodeRange(info.Code, low, high);
    }
}

// A pass through a loop body; the MaxPasses-th one is error 239 unless passes are unlimited.
void QbPascalSyntaxe::PassLoop(int& passes)
{
    if (OptionB(OptionB::UnlimitedPasses)) {
        return;
    }
    if (passes <= 1) {
        Errors->Raise(ErrorNumber::TooManyPasses);
    }
    --passes;
}

void QbPascalSyntaxe::SkipStatement()
{
    const bool executing = Execute;
    // A checked program being run: reading a statement without executing it changes nothing
    // but the reader's place, so once read from here it is jumped over. Not while searching a
    // label (the search executes what follows it) nor while checking or generating code, and
    // not kept when the reading changed the table (a label anchored, a hidden variable made).
    const bool keep = executing && !Checking && !Generate && !SearchingLabel;
    QbLexical::SkipMark mark;
    std::uint32_t generation = 0;
    if (keep) {
        mark = Lexer->BeginSkip();
        if (Lexer->SkipKept(mark)) {
            return;
        }
        generation = Table->Generation();
    }
    Execute = false;
    ParseStatement();
    // A GOTO search that found its label inside the statement goes on executing after it.
    Execute = executing || Execute;
    if (keep && !SearchingLabel && Table->Generation() == generation) {
        Lexer->EndSkip(mark);
    }
}

// statement-part = BEGIN statement-list
void QbPascalSyntaxe::ParseStatementPart(EntryNumber routine)
{
    Lexer->ExpectWord(PascalWord::Begin);
    int line = 0;
    int column = 0;
    TokenPosition(line, column);
    Table->SetSlot(routine, RoutineSlot::BodyStartLine, static_cast<std::uint16_t>(line));
    Table->SetSlot(routine, RoutineSlot::BodyStartColumn, static_cast<std::uint16_t>(column));
    ParseStatementList(true);
    Table->SetSlot(routine, RoutineSlot::BodyEndLine, static_cast<std::uint16_t>(BodyEndLine));
    Table->SetSlot(routine, RoutineSlot::BodyEndColumn, static_cast<std::uint16_t>(BodyEndColumn));
}

// statement-list = statement { ";" statement } END
// Executing, a step point comes before every statement and, for a body or a BEGIN block, once
// more on the END so that the pupil sees the block close.
void QbPascalSyntaxe::ParseStatementList(bool body)
{
    // A BEGIN block whose plan is being recorded notes its statements.
    StatementRecording* const recording =
        StatementRecord != nullptr && StatementRecord->Plan.What == StatementPlan::Kind::Compound &&
                StatementRecord->Plan.Parts.empty()
            ? StatementRecord
            : nullptr;
    for (;;) {
        if (Execute) {
            StepPoint();
            if (TraceViews()) {
                Host().RefreshViews();
            }
        }
        StatementPlan::Part part;
        if (recording != nullptr) {
            part = StartPart(*recording);
        }
        ParseStatement();
        if (recording != nullptr) {
            part.Statement = LastStatement;
            recording->Plan.Parts.push_back(std::move(part));
        }
        if (!Lexer->AcceptSymbol(";")) {
            break;
        }
    }
    if (Execute && body) {
        StepPoint();
    }
    TokenPosition(BodyEndLine, BodyEndColumn);
    if (recording != nullptr) {
        recording->Plan.EndLine = BodyEndLine;
        recording->Plan.EndColumn = BodyEndColumn;
    }
    Lexer->ExpectWord(PascalWord::End);
}

void QbPascalSyntaxe::ParseStatementKind()
{
    if (Execute && PollHostEscape()) {
        throw HaltExcept("escape");
    }
    ParseStatementBody();
}

void QbPascalSyntaxe::ParseStatementBody()
{
    // Most statements start with a name: one test tells that no statement word can follow.
    const bool word =
        Lexer->MayBeWord() &&
        Lexer->MayBeOneOf(StatementWords,
                          {PascalWord::End, PascalWord::Until, PascalWord::Begin, PascalWord::If,
                           PascalWord::While, PascalWord::Repeat, PascalWord::For, PascalWord::Case,
                           PascalWord::Goto, PascalWord::With, PascalWord::Inline});
    if (Lexer->TokenText() == ";" || (word && Lexer->IsWord(PascalWord::End)) ||
        (word && RepeatDepth > 0 && Lexer->IsWord(PascalWord::Until))) {
        NoteStatement(StatementPlan::Kind::Empty);
        return;
    }
    if (word && Lexer->AcceptWord(PascalWord::Begin)) {
        NoteStatement(StatementPlan::Kind::Compound);
        ParseStatementList(true);
    } else if (word && Lexer->AcceptWord(PascalWord::If)) {
        NoteStatement(StatementPlan::Kind::If);
        ParseIf();
    } else if (word && Lexer->AcceptWord(PascalWord::While)) {
        NoteStatement(StatementPlan::Kind::While);
        ParseWhile();
    } else if (word && Lexer->AcceptWord(PascalWord::Repeat)) {
        ParseRepeat();
    } else if (word && Lexer->AcceptWord(PascalWord::For)) {
        NoteStatement(StatementPlan::Kind::For);
        ParseFor();
    } else if (word && Lexer->AcceptWord(PascalWord::Case)) {
        NoteStatement(StatementPlan::Kind::Case);
        ParseCase();
    } else if (word && Lexer->IsWord(PascalWord::Goto)) {
        if (OptionB(OptionB::ForbidLabels)) {
            Errors->Raise(ErrorNumber::LabelsNotAllowed);
        }
        Lexer->NextToken();
        ParseGoto();
    } else if (word && Lexer->AcceptWord(PascalWord::With)) {
        ParseWith();
    } else if (word && Lexer->IsWord(PascalWord::Inline)) {
        // Machine code cannot be interpreted: the error points at INLINE.
        if (Execute) {
            Errors->Raise(ErrorNumber::NotImplemented);
        }
        Lexer->NextToken();
        ParseInline();
    } else if (PlansAllowed()) {
        PlannedStatement();
    } else {
        ParseNamedStatement();
    }
}

// A statement that starts with a name: a labelled statement, a procedure call or an assignment.
void QbPascalSyntaxe::ParseNamedStatement()
{
    {
        const std::string name = Lexer->TokenText();
        EntryNumber label = 0;
        if (Lexer->IsIdentifierStart(name.empty() ? ' ' : name[0]) &&
            Table->Lookup(name, EntryKind::Label, label, CurrentRoutine)) {
            AbandonPlan();
            AnchorLabel(label);
            Lexer->NextToken();
            Lexer->ExpectSymbol(":");
            ParseStatement();
            return;
        }
        EntryNumber procedure = 0;
        EntryNumber function = 0;
        const bool isProcedure =
            Table->Lookup(name, EntryKind::Procedure, procedure, CurrentRoutine);
        const bool isFunction = Table->Lookup(name, EntryKind::Function, function, CurrentRoutine);
        // A routine of the pupil's own unit is nearer than one of a used unit, and a deeper one
        // nearer than an enclosing one.
        const auto nearness = [this](EntryNumber routine) {
            const EntryNumber owner = Table->Owner(routine);
            return Table->Outermost(owner) == Table->Outermost(CurrentRoutine)
                       ? Table->Depth(owner) + 1
                       : 0;
        };
        if (isProcedure && (!isFunction || nearness(procedure) >= nearness(function))) {
            // A refused recursion points at the routine's name.
            if (procedure == CurrentRoutine && OptionA(OptionA::ForbidRecursion)) {
                Errors->Raise(ErrorNumber::RecursionNotAllowed);
            }
            AbandonPlan();
            Lexer->NextToken();
            LastHeapCall.Made = false;
            Call(4, procedure);
            if (StatementRecord != nullptr && LastHeapCall.Made &&
                (Table->Code(procedure) & RoutineFlag::Predefined) != 0) {
                NoteHeapCall();
            }
        } else {
            ParseAssignment(0);
        }
    }
}

// assignment = variable-reference ":=" expression
// A reference of procedural type followed by no assignment symbol is a call through it.
void QbPascalSyntaxe::ParseAssignment(EntryNumber)
{
    const TypePair target = ParseVariableReference(ReferenceContext::Target);
    const std::uint32_t address = Data->CurrentAddress();
    const std::uint8_t targetCode = ResolvedCode(target.Type);
    if (targetCode == TypeCode::ProcedureType || targetCode == TypeCode::FunctionType) {
        const std::string assignWord = Word(PascalWord::Assign);
        const bool assigning = assignWord.empty() ? Lexer->TokenText() == ":"
                                                  : Lexer->TokenText() == assignWord.substr(0, 1) ||
                                                        Lexer->IsWord(PascalWord::Assign);
        if (!assigning) {
            AbandonPlan();
            ParseProceduralCall(target);
            return;
        }
    }
    if (Execute) {
        PlanStep step;
        step.What = PlanStep::Kind::SaveTarget;
        RecordStep(step);
    }
    Lexer->ExpectCompound(PascalWord::Assign);
    const TypePair source = ParseExpression();
    if (!Compatible(target.Type, source.Type, target.Subtype, source.Subtype, Data->Acc.Integer,
                    0)) {
        Errors->Raise(ErrorNumber::ExpressionTypeNotCompatibleTypeAffectation);
    }
    if (!Execute) {
        return;
    }
    if (Recording != nullptr) {
        PlanStep step;
        step.What = PlanStep::Kind::Assign;
        step.Type = target.Type;
        step.Code = targetCode;
        step.Integer = ResolvedCode(source.Type) != TypeCode::Real ? 1 : 0;
        if (PlannableValue(targetCode)) {
            RecordStep(step);
        } else {
            AbandonPlan();
        }
    }
    FinishAssignment(target.Type, targetCode, ResolvedCode(source.Type) != TypeCode::Real,
                     PlanTarget{address});
}

void QbPascalSyntaxe::FinishAssignment(std::uint16_t type, std::uint8_t code, bool integerSource,
                                       const PlanTarget& target, const HeldResult* held)
{
    if (held != nullptr && held->Held) {
        Data->Acc.SetInteger(held->Value);
    } else {
        Data->PopType();
    }
    if (IsOrdinalCode(code) && code != TypeCode::Longint && OptionC(OptionC::CheckOrdinalLimits) &&
        !InTypeRange(type, Data->Acc.Integer)) {
        Data->Fail(ErrorNumber::InvalidValue);
    }
    if (integerSource && code == TypeCode::Real) {
        Data->Acc.SetReal(static_cast<double>(Data->Acc.Integer));
    }
    Data->SetCurrentAddress(target.Address);
    if (target.DirectWidth != 0 && target.Address == target.Start &&
        Data->StoreDirect({target.Variable, target.DirectCode, target.DirectWidth,
                           target.Start - DataAddress::GlobalBase})) {
        return;
    }
    if (target.Variable != 0) {
        Data->StoreInGlobal(target.Variable, target.Start, target.Size, type);
    } else {
        Data->StoreValue(type);
    }
}

// A statement naming a procedure variable: executing, the routine it holds is called.
void QbPascalSyntaxe::ParseProceduralCall(TypePair target)
{
    const QbGesdata::TypeInfo info = Data->Resolve(target.Type);
    Call(4, info.Entry != 0 ? info.Entry : target.Type);
}

// IF condition THEN statement [ELSE statement] [closing word 96]
void QbPascalSyntaxe::ParseIf()
{
    StatementRecording* const recording = StatementRecord;
    ParseConditionThen(PascalWord::Then);
    if (recording != nullptr) {
        recording->Plan.Plan = LastPlanTag;
        recording->Plan.Parts.resize(2);
        recording->Valid = recording->Valid && LastPlanTag >= 0;
    }
    const bool executing = Execute;
    bool taken = true;
    if (executing) {
        Data->Pop();
        taken = Data->Acc.Integer != 0;
    }
    const auto branch = [this, recording](bool run, std::size_t which) {
        StatementPlan::Part part;
        if (recording != nullptr) {
            part = StartPart(*recording);
        }
        if (run) {
            if (Execute && !Lexer->IsWord(PascalWord::Begin)) {
                StepPoint();
            }
            ParseStatement();
            part.Statement = LastStatement;
        } else {
            SkipStatement();
        }
        if (recording != nullptr) {
            recording->Plan.Parts[which] = std::move(part);
        }
    };
    // Not executing, both branches are read with Execute off; a GOTO search that finds its
    // label in the THEN branch turns execution on, and the ELSE branch is then skipped.
    if (!Lexer->IsWord(PascalWord::Else)) {
        if (recording != nullptr) {
            recording->Plan.Then = true;
        }
        branch(executing && taken, 0);
    }
    if (Lexer->AcceptWord(PascalWord::Else)) {
        if (recording != nullptr) {
            recording->Plan.Else = true;
        }
        branch(executing && !taken, 1);
    }
    Lexer->ExpectWord(PascalWord::Closing2);
}

// WHILE condition DO statement [closing word 95]
// Executing, the condition is read again from its saved position after each pass; the last
// reading of the body is done without execution, which moves the reader past the statement.
void QbPascalSyntaxe::ParseWhile()
{
    StatementRecording* const recording = StatementRecord;
    ReadingPosition condition;
    if (Execute) {
        SaveReading(*Lexer, condition);
    }
    if (recording != nullptr && !Lexer->TakeState(recording->Mark, recording->Plan.Condition)) {
        recording->Valid = false;
    }
    ReadWhile(condition, GetOptions().MaxPasses, recording);
}

// The passes of a WHILE from its condition at `condition`, `passes` left before error 239; the
// first one noted in `recording` when there is one.
void QbPascalSyntaxe::ReadWhile(const ReadingPosition& condition, int passes,
                                StatementRecording* recording)
{
    const bool executing = Execute;
    // Once a pass has made plans of the condition and of the body, the passes go on from them
    // as a WHILE executed from its own plan does; a condition whose plan fails is read again.
    int conditionPlan = -1;
    bool fromPlans = false;
    StatementPlan::Part planned;
    const void* text = nullptr;
    const bool closing =
        Dictionary != nullptr && !Dictionary->WordTextRef(PascalWord::Closing1).empty();
    for (;;) {
        if (fromPlans) {
            bool holds = false;
            // A body read again on the last pass without a plan to go on from: the passes
            // are read again from the condition.
            if (planned.Statement >= 0 &&
                StatementPlans[static_cast<std::size_t>(planned.Statement)].What !=
                    StatementPlan::Kind::Opaque &&
                RunConditionPlan(conditionPlan, holds)) {
                if (!holds) {
                    // The reader after the body, as the reading leaves it, then the closing word.
                    const StatementPlan& made =
                        StatementPlans[static_cast<std::size_t>(planned.Statement)];
                    if (made.What != StatementPlan::Kind::Opaque) {
                        if (!Lexer->JumpTo(made.Text, made.End)) {
                            Errors->Raise(ErrorNumber::NotImplemented);
                        }
                    } else {
                        if (!Lexer->JumpTo(text, planned.Start)) {
                            Errors->Raise(ErrorNumber::NotImplemented);
                        }
                        SkipStatement();
                    }
                    Lexer->ExpectWord(PascalWord::Closing1);
                    return;
                }
                ExecutePart(planned, text, closing);
                Lexer->ExpectWord(PascalWord::Closing1);
                if (!closing && passes <= 1 && !OptionB(OptionB::UnlimitedPasses) &&
                    planned.Statement >= 0) {
                    // Error 239 points where the reading stands: after the body.
                    const StatementPlan& made =
                        StatementPlans[static_cast<std::size_t>(planned.Statement)];
                    if (made.What != StatementPlan::Kind::Opaque &&
                        !Lexer->JumpTo(made.Text, made.End)) {
                        Errors->Raise(ErrorNumber::NotImplemented);
                    }
                }
                PassLoop(passes);
                continue;
            }
            RestoreReading(*Lexer, condition);
            fromPlans = false;
        }
        ParseConditionThen(PascalWord::WhileDo);
        const int conditionTag = LastPlanTag;
        bool go = false;
        if (executing) {
            Data->Pop();
            go = Data->Acc.Integer != 0;
        }
        StatementPlan::Part body;
        if (recording != nullptr) {
            recording->Plan.Plan = LastPlanTag;
            recording->Valid = recording->Valid && LastPlanTag >= 0;
            body = StartPart(*recording);
        }
        if (go) {
            ParseStatement();
            body.Statement = LastStatement;
        } else {
            SkipStatement();
        }
        if (recording != nullptr) {
            recording->Plan.Parts.assign(1, std::move(body));
            recording = nullptr;
        }
        Lexer->ExpectWord(PascalWord::Closing1);
        if (!executing || !go) {
            return;
        }
        const int made = LastStatement;
        PassLoop(passes);
        RestoreReading(*Lexer, condition);
        if (conditionTag >= 0 && made >= 0 && StatementPlansAllowed() &&
            StatementPlans[static_cast<std::size_t>(made)].What != StatementPlan::Kind::Opaque) {
            conditionPlan = conditionTag;
            fromPlans = true;
            planned.Statement = made;
            planned.Start = StatementPlans[static_cast<std::size_t>(made)].Start;
            text = StatementPlans[static_cast<std::size_t>(made)].Text;
        }
    }
}

// REPEAT statement { ";" statement } UNTIL condition
void QbPascalSyntaxe::ParseRepeat()
{
    RestoreOnExit depth(RepeatDepth);
    ++RepeatDepth;
    const bool executing = Execute;
    ReadingPosition body;
    int passes = GetOptions().MaxPasses;
    if (executing) {
        SaveReading(*Lexer, body);
    }
    for (;;) {
        for (;;) {
            if (Execute) {
                StepPoint();
            }
            ParseStatement();
            if (!Lexer->AcceptSymbol(";")) {
                break;
            }
        }
        Lexer->ExpectWord(PascalWord::Until);
        ParseCondition();
        if (!executing) {
            return;
        }
        Data->Pop();
        if (Data->Acc.Integer != 0) {
            return;
        }
        RestoreReading(*Lexer, body);
        PassLoop(passes);
    }
}

// The hidden variable "<control>~end" that keeps a FOR loop's final value, declared on first use
// in the routine that owns the control variable and placed after its other data.
EntryNumber QbPascalSyntaxe::ForLimitVariable(EntryNumber control)
{
    const EntryNumber routine = Table->Owner(control);
    const std::string name = Table->GetName(control) + "~end";
    EntryNumber limit = 0;
    if (Table->FindInBlock(name, EntryKind::Variable, routine, limit)) {
        return limit;
    }
    const EntryNumber type = Table->Link1(control);
    const std::uint16_t size = Data->Resolve(NormalType(type)).Size;
    limit = Table->Declare(name, EntryKind::Variable, routine);
    Table->SetLink1(limit, type);
    Table->SetCode(limit, VariableMode::Plain);
    // After the routine's other data: at the end of the global area for the program or a unit,
    // below the last local for a routine.
    Table->SetValue(limit, AllocateVariable(routine, size));
    Table->PushVariable(routine, limit);
    return limit;
}

// FOR variable ":=" start (TO | DOWNTO) final DO statement
// The control variable never moves beyond the final value: when it reaches it, the body is read
// once more without execution, which ends the statement.
void QbPascalSyntaxe::ParseFor()
{
    // The control variable's errors point at its name, which is consumed afterwards.
    const std::string name = Lexer->TokenText();
    if (name.empty() || !Lexer->IsIdentifierStart(name[0])) {
        Lexer->ExpectIdentifier();
    }
    EntryNumber control = 0;
    if (!Table->Lookup(name, EntryKind::Variable, control, CurrentRoutine)) {
        Errors->Raise(ErrorNumber::VariableIterationNotDeclared);
    }
    if (Table->Owner(control) != CurrentRoutine || Table->Code(control) != VariableMode::Plain) {
        Errors->Raise(ErrorNumber::VariableIterationLocal);
    }
    // The variable's type as a reference to it gives it: a code for the predefined types, the
    // type entry for declared ones.
    const TypePair target{NormalType(Table->Link1(control)), 0};
    const std::uint8_t code = ResolvedCode(target.Type);
    if (!IsOrdinalCode(code)) {
        Errors->Raise(ErrorNumber::VariableIterationInteger);
    }
    Lexer->NextToken();
    const bool executing = Execute;
    StatementRecording* const recording = StatementRecord;
    ForLoop loop;
    loop.Target = target;
    loop.Code = code;
    if (executing) {
        loop.Control = ForPlace(control);
    }
    // Start and final values: ordinal (34) and compatible with the variable (33).
    const auto readBound = [&](QbTextSource::KeptToken* after) {
        const TypePair bound = ParseExpression();
        if (!IsOrdinalCode(ResolvedCode(bound.Type))) {
            Errors->Raise(ErrorNumber::ExpressionOrdinal);
        }
        if (!Compatible(target.Type, bound.Type, target.Subtype, bound.Subtype, Data->Acc.Integer,
                        0)) {
            Errors->Raise(ErrorNumber::ExpressionNotCompatibleTypeVariable);
        }
        if (recording != nullptr) {
            recording->Valid = recording->Valid && LastPlanTag >= 0 &&
                               !Plans[static_cast<std::size_t>(LastPlanTag)].Calls &&
                               Lexer->TakeState(recording->Mark, *after);
        }
        return LastPlanTag;
    };
    Lexer->ExpectCompound(PascalWord::ForAssign);
    const int start = readBound(recording != nullptr ? &recording->Plan.AfterStart : nullptr);
    if (executing) {
        ForStore(loop, loop.Control);
    }
    if (!Lexer->AcceptWord(PascalWord::To)) {
        Lexer->ExpectWord(PascalWord::Downto);
        loop.Up = false;
    }
    const int final = readBound(recording != nullptr ? &recording->Plan.AfterLimit : nullptr);
    const EntryNumber limit = ForLimitVariable(control);
    if (executing) {
        loop.Limit = ForPlace(limit);
        ForStore(loop, loop.Limit);
    }
    Lexer->ExpectWord(PascalWord::ForDo);
    ReadingPosition body;
    if (executing) {
        SaveReading(*Lexer, body);
    }
    StatementPlan::Part part;
    if (recording != nullptr) {
        StatementPlan& plan = recording->Plan;
        plan.Plan = start;
        plan.Limit = final;
        plan.Control = control;
        plan.LimitVariable = limit;
        plan.Up = loop.Up;
        part = StartPart(*recording);
    }
    ForPasses(loop, body, recording != nullptr ? &part : nullptr, nullptr, nullptr);
    if (recording != nullptr) {
        recording->Plan.Parts.assign(1, std::move(part));
    }
}

QbPascalSyntaxe::ForVariable QbPascalSyntaxe::ForPlace(EntryNumber variable)
{
    // A global control variable and its limit do not move during a run: their places are
    // found once instead of at every pass (0: a local, looked for as always).
    ForVariable place;
    place.Address = Data->AddressOf(variable);
    if (!Data->WholeGlobal(place.Address, place.Global, place.Size)) {
        place.Global = 0;
        place.Size = 0;
    } else {
        place.Direct = Data->DirectPlaceOf(place.Global, place.Address, place.Size,
                                           NormalType(Table->Link1(variable)));
    }
    return place;
}

void QbPascalSyntaxe::ForStore(const ForLoop& loop, const ForVariable& variable)
{
    Data->PopType();
    if (OptionC(OptionC::CheckOrdinalLimits) && loop.Code != TypeCode::Longint &&
        !InTypeRange(loop.Target.Type, Data->Acc.Integer)) {
        Data->Fail(ErrorNumber::InvalidValue);
    }
    Data->Acc.SetInteger(Data->Acc.Integer);
    ForWrite(loop, variable);
}

// A FOR's variable written and read: straight when it is a global scalar holding a value, else
// by the general path (out of line).
[[gnu::always_inline]] inline void QbPascalSyntaxe::ForWrite(const ForLoop& loop,
                                                             const ForVariable& variable)
{
    Data->SetCurrentAddress(variable.Address);
    if (!Data->StoreDirect(variable.Direct)) {
        ForWriteGeneral(loop, variable);
    }
}

void QbPascalSyntaxe::ForWriteGeneral(const ForLoop& loop, const ForVariable& variable)
{
    if (variable.Global != 0) {
        Data->StoreInGlobal(variable.Global, variable.Address, variable.Size, loop.Target.Type);
    } else {
        Data->StoreValue(loop.Target.Type);
    }
}

[[gnu::always_inline]] inline std::int32_t QbPascalSyntaxe::ForLoad(const ForLoop& loop,
                                                                    const ForVariable& variable)
{
    Data->SetCurrentAddress(variable.Address);
    if (!Data->LoadDirect(variable.Direct)) {
        ForLoadGeneral(loop, variable);
    }
    return Data->Acc.Integer;
}

void QbPascalSyntaxe::ForLoadGeneral(const ForLoop& loop, const ForVariable& variable)
{
    if (variable.Global != 0) {
        Data->LoadInGlobal(variable.Global, variable.Address, variable.Size, loop.Target.Type);
    } else {
        Data->LoadValue(loop.Target.Type);
    }
}

void QbPascalSyntaxe::ForPasses(const ForLoop& loop, const ReadingPosition& body,
                                StatementPlan::Part* noted, StatementPlan::Part* planned,
                                const void* text)
{
    const bool executing = Execute;
    const std::uint8_t code = loop.Code;
    int passes = GetOptions().MaxPasses;
    // -1 the variable has not reached the limit, 0 it equals it, 1 it is beyond it. Each pass
    // reads the variable (the body may have changed it) and the limit; the variable is not read
    // again right after its step when the value stored is the value a load gives back.
    const auto order = [&loop](std::int32_t value, std::int32_t final) {
        if (value == final) {
            return 0;
        }
        return (value < final) == loop.Up ? -1 : 1;
    };
    const bool exactStore = code == TypeCode::Integer || code == TypeCode::Longint ||
                            code == TypeCode::Byte || code == TypeCode::Word ||
                            code == TypeCode::Char || code == TypeCode::Boolean;
    int cmp = executing ? order(ForLoad(loop, loop.Control), ForLoad(loop, loop.Limit)) : 1;
    // A loop being read goes on from its body's plan once the first pass has made one, as a
    // loop executed from its own plan does, and leaves the reader after the body at its end.
    StatementPlan::Part recorded;
    for (;;) {
        if (planned != nullptr) {
            // The body by its plan; the loop's own end is the caller's, or, for a loop being
            // read, the reader after the body (a pass that read it left it there already).
            if (cmp == 1) {
                const StatementPlan* made =
                    planned == &recorded && recorded.Statement >= 0
                        ? &StatementPlans[static_cast<std::size_t>(recorded.Statement)]
                        : nullptr;
                if (made != nullptr && made->What != StatementPlan::Kind::Opaque) {
                    if (!Lexer->JumpTo(made->Text, made->End)) {
                        Errors->Raise(ErrorNumber::NotImplemented);
                    }
                }
                return;
            }
            ExecutePart(*planned, text, false);
        } else if (executing && cmp != 1) {
            ParseStatement();
            if (noted != nullptr) {
                noted->Statement = LastStatement;
                noted = nullptr;
            }
            if (LastStatement >= 0 && StatementPlansAllowed() &&
                StatementPlans[static_cast<std::size_t>(LastStatement)].What !=
                    StatementPlan::Kind::Opaque) {
                const StatementPlan& made = StatementPlans[static_cast<std::size_t>(LastStatement)];
                recorded.Statement = LastStatement;
                recorded.Start = made.Start;
                planned = &recorded;
                text = made.Text;
            }
        } else {
            SkipStatement();
        }
        if (!executing || (cmp == 1 && planned == nullptr)) {
            return;
        }
        if (planned == nullptr) {
            RestoreReading(*Lexer, body);
        }
        const std::int32_t current = ForLoad(loop, loop.Control);
        const std::int32_t final = ForLoad(loop, loop.Limit);
        if (current == final) {
            cmp = 1;
            continue;
        }
        // A body that set the variable to the end of LONGINT wraps around instead of
        // overflowing; the pass limit or the limit stops the loop as for any other value.
        const auto value =
            static_cast<std::int32_t>(static_cast<std::int64_t>(current) + (loop.Up ? 1 : -1));
        Data->Acc.SetInteger(value);
        ForWrite(loop, loop.Control);
        if (planned != nullptr && passes <= 1 && !OptionB(OptionB::UnlimitedPasses)) {
            // Error 239 points where the reading stands: back at the body.
            Lexer->JumpTo(text, planned->Start);
        }
        PassLoop(passes);
        const bool same = exactStore && QbTable::CodeHolds(code, value);
        cmp = order(same ? value : ForLoad(loop, loop.Control), final);
    }
}

// CASE selector OF { labels ":" statement ";" } [ELSE statement [";"]] END
void QbPascalSyntaxe::ParseCase()
{
    StatementRecording* const statement = StatementRecord;
    const TypePair selector = ParseExpression();
    const int selectorPlan = LastPlanTag;
    if (!IsOrdinalCode(ResolvedCode(selector.Type))) {
        Errors->Raise(ErrorNumber::ExpressionOrdinal);
    }
    Lexer->ExpectWord(PascalWord::CaseOf);
    std::int32_t value = 0;
    if (Execute) {
        Data->PopType();
        value = Data->Acc.Integer;
    }
    // A statement plan of the CASE keeps its selector's plan and its CASE plan.
    const auto note = [this, statement, selectorPlan](int casePlan) {
        if (statement == nullptr) {
            return;
        }
        if (selectorPlan < 0 || Plans[static_cast<std::size_t>(selectorPlan)].Calls ||
            casePlan < 0) {
            statement->Valid = false;
            return;
        }
        statement->Plan.Plan = selectorPlan;
        statement->Plan.Limit = casePlan;
        statement->Plan.Parts.resize(CasePlans[static_cast<std::size_t>(casePlan)].Arms.size());
    };
    if (!PlansAllowed()) {
        ReadCaseArms(selector, value, 0, nullptr);
        note(-1);
        return;
    }
    // Executed again from here, the CASE goes by its plan straight to the arm.
    AbandonPlan();
    CaseRecording recording;
    recording.Mark = Lexer->BeginSkip();
    const int index = FindCasePlan(recording.Mark);
    if (index >= 0 &&
        ReplayCase(recording.Mark, static_cast<std::size_t>(index), value, selector)) {
        note(index);
        return;
    }
    if (recording.Mark.Text == nullptr) {
        ReadCaseArms(selector, value, 0, nullptr);
        note(-1);
        return;
    }
    int line = 0;
    int column = 0;
    Lexer->TokenStart(line, column);
    StartPlace(recording.Plan, recording.Mark.Text, line, column);
    ReadCaseArms(selector, value, 0, &recording);
    // A reading that changed the table (a label anchored) is read again next time.
    note(Table->Generation() == recording.Plan.Generation ? KeepCasePlan(recording, index) : -1);
}

void QbPascalSyntaxe::ReadCaseArms(const TypePair& selector, std::int32_t value, int resume,
                                   CaseRecording* recording)
{
    const bool executing = Execute;
    bool done = resume != 0;
    int number = 0; // the arm being read
    const auto arm = [&](bool matches) {
        if (executing && matches && !done) {
            if (recording != nullptr) {
                std::vector<CasePlan::Arm>& arms = recording->Plan.Arms;
                arms.resize(std::max(arms.size(), static_cast<std::size_t>(number) + 1));
                CasePlan::Arm& taken = arms[static_cast<std::size_t>(number)];
                taken.Known = Lexer->TakeState(recording->Mark, taken.Start);
                recording->Ran = number;
            }
            StepPoint();
            ParseStatement();
            if (recording != nullptr) {
                recording->AfterArm = Lexer->BeginSkip();
                Lexer->TokenStart(recording->ArmEndLine, recording->ArmEndColumn);
            }
            done = true;
        } else {
            SkipStatement();
        }
    };
    const auto readLabel = [&]() {
        const TypePair type = ParseConstant(true);
        if (!Compatible(selector.Type, type.Type, selector.Subtype, type.Subtype, Data->Acc.Integer,
                        0)) {
            Errors->Raise(ErrorNumber::ExpressionNotCompatibleTypeVariable);
        }
        return Data->Acc.Integer;
    };
    if (resume == 2) {
        Lexer->AcceptSymbol(";");
        Lexer->ExpectWord(PascalWord::CaseEnd);
        return;
    }
    bool more = resume != 1 || Lexer->AcceptSymbol(";");
    while (more && !Lexer->IsWord(PascalWord::CaseElse) && !Lexer->IsWord(PascalWord::CaseEnd)) {
        bool matches = false;
        {
            const bool wasConstant = ConstantContext;
            ConstantContext = true;
            do {
                const std::int32_t low = readLabel();
                std::int32_t high = low;
                if (Lexer->AcceptSymbol(".")) {
                    Lexer->ExpectSymbol(".");
                    high = readLabel();
                }
                matches = matches || (value >= low && value <= high);
                if (recording != nullptr) {
                    recording->Plan.Labels.push_back({low, high, number});
                }
            } while (Lexer->AcceptSymbol(","));
            ConstantContext = wasConstant;
        }
        Lexer->ExpectSymbol(":");
        arm(matches);
        ++number;
        more = Lexer->AcceptSymbol(";");
    }
    if (!Lexer->IsWord(PascalWord::CaseEnd)) {
        Lexer->ExpectWord(PascalWord::CaseElse);
        if (recording != nullptr) {
            recording->Plan.ElseArm = number;
        }
        arm(true);
        Lexer->AcceptSymbol(";");
    }
    Lexer->ExpectWord(PascalWord::CaseEnd);
    if (recording != nullptr) {
        const int arms = number + (recording->Plan.ElseArm >= 0 ? 1 : 0);
        recording->Plan.Arms.resize(
            std::max(recording->Plan.Arms.size(), static_cast<std::size_t>(arms)));
    }
}

// WITH record-reference { "," record-reference } DO statement
void QbPascalSyntaxe::ParseWith()
{
    RestoreOnExit depth(WithDepth);
    do {
        const TypePair type = ParseVariableReference(ReferenceContext::Plain);
        const QbGesdata::TypeInfo info = Data->Resolve(type.Type);
        if (info.Code != TypeCode::Record || info.Entry == 0) {
            Errors->Raise(ErrorNumber::RecordTypeExpected);
        }
        if (WithDepth > MaxWithDepth) {
            Errors->Raise(ErrorNumber::TooManyVariablesAbbreviated);
        }
        WithStack[static_cast<std::size_t>(WithDepth)] = {info.Entry,
                                                          Execute ? Data->CurrentAddress() : 0};
        ++WithDepth;
    } while (Lexer->AcceptSymbol(","));
    Lexer->ExpectWord(PascalWord::WithDo);
    ParseStatement();
}

bool QbPascalSyntaxe::FindWithField(std::string_view name, EntryNumber routine, EntryNumber& field)
{
    // Outside every WITH (nearly every lookup) there is nothing to search.
    if (WithDepth <= 1) {
        return false;
    }
    const int floor = std::max<int>(1, Table->Slot(routine, RoutineSlot::WithDepth));
    for (int i = WithDepth - 1; i >= floor && i <= MaxWithDepth; --i) {
        const EntryNumber record = WithStack[static_cast<std::size_t>(i)].RecordType;
        EntryNumber found = 0;
        if (Table->ChainFind(name, Table->Link2(record), found)) {
            field = found;
            WithFieldIndex = i;
            return true;
        }
    }
    return false;
}

void QbPascalSyntaxe::StoreWithDepth(EntryNumber routine)
{
    Table->SetSlot(routine, RoutineSlot::WithDepth, static_cast<std::uint16_t>(WithDepth));
}

// GOTO label
// Executing, the routine's body is read again from its start without execution until the label
// is met (ExecuteRoutineBody catches the signal).
void QbPascalSyntaxe::ParseGoto()
{
    if (OptionB(OptionB::ForbidLabels)) {
        Errors->Raise(ErrorNumber::LabelsNotAllowed);
    }
    const std::string name = Lexer->TokenText();
    EntryNumber label = 0;
    if (!Table->Lookup(name, EntryKind::Label, label, CurrentRoutine)) {
        Errors->Raise(ErrorNumber::LabelNotDeclared);
    }
    if (Table->Owner(label) != CurrentRoutine) {
        Errors->Raise(ErrorNumber::UseLabelOutsideDeclarationProcedure);
    }
    if (!Execute) {
        Lexer->NextToken();
        return;
    }
    const auto line = static_cast<std::int16_t>(Table->Value(label));
    if (line < 0) {
        Errors->Raise(ErrorNumber::LabelNotDeclared);
    }
    GotoLine = line;
    GotoColumn = Table->Aux(label);
    Execute = false;
    SearchingLabel = true;
    throw GotoExcept("goto");
}

// A label placed before a statement. Reading the text again (an execution, a GOTO search) meets
// the label where it was anchored; anchoring it anywhere else is error 27.
void QbPascalSyntaxe::AnchorLabel(EntryNumber label)
{
    if (OptionB(OptionB::ForbidLabels)) {
        Errors->Raise(ErrorNumber::LabelsNotAllowed);
    }
    if (Table->Owner(label) != CurrentRoutine) {
        Errors->Raise(ErrorNumber::UseLabelOutsideDeclarationProcedure);
    }
    int line = 0;
    int column = 0;
    TokenPosition(line, column);
    if (SearchingLabel) {
        if (line == GotoLine && column == GotoColumn) {
            SearchingLabel = false;
            Execute = true;
        }
        return;
    }
    const auto anchored = static_cast<std::int16_t>(Table->Value(label));
    if (anchored >= 0 && (anchored != line || Table->Aux(label) != column)) {
        Errors->Raise(ErrorNumber::LabelAlreadyAnchored);
    }
    Table->SetValue(label, static_cast<std::uint16_t>(line));
    Table->SetAux(label, static_cast<std::uint16_t>(column));
}

// INLINE "(" constant { "|" constant } ")"
void QbPascalSyntaxe::ParseInline()
{
    if (Execute) {
        Errors->Raise(ErrorNumber::NotImplemented);
    }
    Lexer->ExpectSymbol("(");
    int values = 0;
    do {
        const TypePair type = EvaluateForView();
        if (!IsIntegerCode(ResolvedCode(type.Type))) {
            Errors->Raise(ErrorNumber::OnlyOrdinalExpressionAllowed);
        }
        ++values;
    } while (Lexer->AcceptWord(PascalWord::Bar));
    Lexer->ExpectSymbol(")");
    if (Generate && values % 3 != 0) {
        Errors->Raise(ErrorNumber::ProcessorInstructionIncomplete);
    }
}

QbPascalSyntaxe::BodyScope::BodyScope(QbPascalSyntaxe& owner, EntryNumber body)
    : driver(owner), routine(body), caller(owner.CurrentRoutine), nesting(owner.BodyNesting),
      parseDepth(owner.ParseDepth), repeatDepth(owner.RepeatDepth), withDepth(owner.WithDepth),
      record(owner.StatementRecord)
{
    // The host stack a routine body may use, all nested calls included. An interpreted call
    // takes a few kilobytes of it (more under the sanitizers).
    constexpr std::uintptr_t StackBudget = 6u << 20;
    const char here = 0;
    const auto address = reinterpret_cast<std::uintptr_t>(&here);
    if (owner.BodyNesting == 0) {
        owner.StackStart = address;
    } else if (owner.StackStart > address && owner.StackStart - address > StackBudget) {
        owner.Data->Fail(ErrorNumber::ExecutionStackFull);
    }
    ++owner.BodyNesting;
    // Statements nest within one body; the calls between bodies are bounded by the stack
    // budget above.
    owner.ParseDepth = 0;
    owner.CurrentRoutine = body;
    // Records opened by WITH in a caller are not visible in the called routine.
    withFloor = owner.Table->Slot(body, RoutineSlot::WithDepth);
    if (body != 1 && withFloor != static_cast<std::uint16_t>(owner.WithDepth)) {
        owner.StoreWithDepth(body);
        stored = true;
    }
    // The statement being recorded where the call stands is not this body's.
    owner.StatementRecord = nullptr;
}

QbPascalSyntaxe::BodyScope::~BodyScope()
{
    // Only a body's own scope changes its slot while it runs (a nested call of it gives back
    // what it changed).
    if (stored) {
        driver.Table->SetSlot(routine, RoutineSlot::WithDepth, withFloor);
    }
    driver.StatementRecord = record;
    driver.WithDepth = withDepth;
    driver.RepeatDepth = repeatDepth;
    driver.ParseDepth = parseDepth;
    driver.BodyNesting = nesting;
}

void QbPascalSyntaxe::BodyScope::Unwound()
{
    driver.RepeatDepth = repeatDepth;
    driver.WithDepth = withDepth;
}

// Executes a routine's statement part from the position recorded by the check. A GOTO reads
// the part again from its start without execution until the label is found; EXIT goes to the
// closing END, which ends the part at once.
void QbPascalSyntaxe::ExecuteRoutineBody(std::uint16_t routine)
{
    if (Table->Slot(routine, RoutineSlot::BodyStartLine) == 0) {
        return;
    }
    BodyScope scope(*this, routine);
    // A quiet host executes a routine's body by its plan when it has one, and records one
    // while reading it otherwise; a GOTO or EXIT in it comes back to the reading.
    if (routine == 1 || !StatementPlansAllowed()) {
        ReadRoutineBody(routine, scope, false, BodyJump::None);
        return;
    }
    StatementPlan* plan = HeldBodyPlan(routine);
    if (plan == nullptr) {
        ReadRoutineBody(routine, scope, true, BodyJump::None);
        return;
    }
    const BodyJump jump = RunBodyParts(*plan);
    if (jump != BodyJump::None) {
        ReadRoutineBody(routine, scope, false, jump);
        return;
    }
    EndBodyPlan(routine, scope.Caller());
}

QbPascalSyntaxe::BodyJump QbPascalSyntaxe::JumpOf(const GotoExcept& thrown)
{
    return std::string_view(thrown.what()) == "exit" ? BodyJump::ToEnd : BodyJump::ToStart;
}

void QbPascalSyntaxe::ReadRoutineBody(EntryNumber routine, BodyScope& scope, bool record,
                                      BodyJump jump)
{
    const int startLine = Table->Slot(routine, RoutineSlot::BodyStartLine);
    const int startColumn = Table->Slot(routine, RoutineSlot::BodyStartColumn);
    int line = startLine;
    int column = startColumn;
    bool sourceChanged = false;
    for (;;) {
        if (jump != BodyJump::None) {
            scope.Unwound();
            if (jump == BodyJump::ToEnd) {
                Execute = true;
                SearchingLabel = false;
                line = Table->Slot(routine, RoutineSlot::BodyEndLine);
                column = Table->Slot(routine, RoutineSlot::BodyEndColumn);
            } else {
                line = startLine;
                column = startColumn;
            }
        }
        try {
            sourceChanged = ShowPosition(routine, line, column) || sourceChanged;
            if (record && !sourceChanged) {
                ReadBodyRecorded(routine);
            } else {
                ParseStatementList(true);
            }
            break;
        } catch (const GotoExcept& thrown) {
            record = false;
            jump = JumpOf(thrown);
        }
    }
    if (SearchingLabel) {
        Errors->Raise(ErrorNumber::LabelNotDeclared);
    }
    if (sourceChanged) {
        Lexer->CloseSource();
        if (!Silent() && Stepping()) {
            Host().ShowLine(Lexer->SourceName(false), Lexer->LineNumber(), Lexer->Column());
        }
    }
}

// The arguments of a predefined routine read by a signature: each character is one step (a
// variable, an expression of a given type, or a symbol to expect). Every argument read gets a
// pair in `arguments` with its type, so that a handler can check types in a check too; values,
// addresses and texts are filled only while executing. Returns the number of arguments read.
int QbPascalSyntaxe::ParseSignedArguments(const std::string& signature,
                                          std::vector<SignedArgument>& arguments)
{
    arguments.clear();
    int count = 0;
    for (const char step : signature) {
        switch (step) {
        case '+':
            // The next variable may name a procedure variable: the reference reader never calls
            // through a variable it only designates.
            break;
        case 'I':
        case 'W':
        case 'U': {
            const TypePair type = ParseVariableReference(ReferenceContext::VarArgument);
            const std::uint8_t code = ResolvedCode(type.Type);
            if ((step == 'I' && code != TypeCode::Integer) ||
                (step == 'W' && code != TypeCode::Word)) {
                Errors->Raise(ErrorNumber::OperandRespectTypeParameter);
            }
            ++count;
            arguments.push_back({type.Type, Execute ? Data->CurrentAddress() : 0, {}});
            break;
        }
        case 'i':
        case 'w':
        case 'y': {
            const TypePair type = ParseExpression();
            const std::uint16_t target = step == 'i'   ? TypeCode::Integer
                                         : step == 'w' ? TypeCode::Word
                                                       : TypeCode::Byte;
            if (!IsIntegerCode(ResolvedCode(type.Type)) ||
                !Compatible(target, type.Type, 0, type.Subtype, Data->Acc.Integer, 0)) {
                Errors->Raise(ErrorNumber::OperandRespectTypeParameter);
            }
            ++count;
            arguments.push_back({type.Type, 0, {}});
            if (Execute) {
                Data->PopType();
                arguments.back().Value = static_cast<std::uint32_t>(Data->Acc.Integer);
            }
            break;
        }
        case 's': {
            const TypePair type = ParseExpression();
            const std::uint8_t code = ResolvedCode(type.Type);
            if (code != TypeCode::Char && code != TypeCode::String) {
                Errors->Raise(ErrorNumber::TypeExpressionIncompatibleTypeParameter);
            }
            ++count;
            arguments.push_back({type.Type, 0, {}});
            if (Execute) {
                Data->PopType();
                arguments.back().Text = Data->Acc.Text();
            }
            break;
        }
        default:
            Lexer->ExpectSymbol(std::string(1, step));
            break;
        }
    }
    return count;
}
