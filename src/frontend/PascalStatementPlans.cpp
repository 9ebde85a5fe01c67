// Statements executed again from what their reading recorded: for a run nobody watches, a loop
// or a block that was read once is carried out from its plans without reading its text again.
#include "frontend/QbPascalSyntaxe.h"

#include "diagnostics/Exceptions.h"
#include "frontend/PascalWords.h"
#include "frontend/ReadingPosition.h"
#include "lexical/QbDico.h"
#include "lexical/QbLexical.h"
#include "runtime/DataInline.h"
#include "runtime/QbGesdata.h"
#include "runtime/SystemMemory.h"

#include <algorithm>
#include <optional>

namespace {
// Places kept per run at most; beyond them statements are read as they always were.
constexpr std::size_t MaxStatementPlans = 1u << 16;
} // namespace

// statement = [label ":"] ( compound | IF | WHILE | REPEAT | FOR | CASE | GOTO | WITH | INLINE
//             | procedure-call | assignment | empty )
void QbPascalSyntaxe::ParseStatement()
{
    ParseDepthGuard guard(*this);
    if (StatementPlansAllowed()) {
        PlannedStatementAt();
    } else {
        StatementRecordScope none(StatementRecord, nullptr);
        ParseStatementKind();
        LastStatement = -1;
    }
    StatementDone();
}

void QbPascalSyntaxe::PlannedStatementAt()
{
    QbLexical::SkipMark mark = Lexer->BeginSkip();
    if (mark.Text == nullptr) {
        StatementRecordScope none(StatementRecord, nullptr);
        ParseStatementKind();
        LastStatement = -1;
        return;
    }
    mark.Start.Options |= StatementKey;
    const int index = FindStatementPlan(mark);
    if (index >= 0) {
        StatementPlan& plan = StatementPlans[static_cast<std::size_t>(index)];
        if (PlanHolds(plan)) {
            if (plan.What == StatementPlan::Kind::Opaque) {
                StatementRecordScope none(StatementRecord, nullptr);
                ParseStatementKind();
            } else {
                ExecuteStatementPlan(plan, true);
            }
            LastStatement = index;
            return;
        }
    }
    StatementRecording recording;
    recording.Mark = mark;
    int line = 0;
    int column = 0;
    Lexer->TokenStart(line, column);
    StartPlace(recording.Plan, mark.Text, line, column);
    recording.Valid = Lexer->TakeState(mark, recording.Plan.Start);
    {
        StatementRecordScope scope(StatementRecord, &recording);
        ParseStatementKind();
    }
    StatementPlan& made = recording.Plan;
    if (!recording.Valid || !Lexer->TakeState(mark, made.End)) {
        made.What = StatementPlan::Kind::Opaque;
        made.Parts.clear();
    }
    if (Table->Generation() != made.Generation) {
        // The reading changed the table: the statement is recorded again next time.
        made.Generation = 0;
    }
    LastStatement = -1;
    if (index >= 0) {
        StatementPlan& place = StatementPlans[static_cast<std::size_t>(index)];
        if (place.Running == 0) {
            place = std::move(made);
        }
        LastStatement = index;
    } else if (StatementPlans.size() < MaxStatementPlans &&
               Lexer->EndPlan(mark, StatementTagBase +
                                        static_cast<std::int32_t>(StatementPlans.size()))) {
        StatementPlans.push_back(std::move(made));
        LastStatement = static_cast<int>(StatementPlans.size()) - 1;
    }
}

int QbPascalSyntaxe::FindStatementPlan(const QbLexical::SkipMark& mark) const
{
    return FindPlace(mark, StatementTagBase, StatementPlans);
}

StatementPlan::Part QbPascalSyntaxe::StartPart(StatementRecording& recording)
{
    StatementPlan::Part part;
    if (!Lexer->TakeState(recording.Mark, part.Start)) {
        recording.Valid = false;
    }
    return part;
}

bool QbPascalSyntaxe::RunConditionPlan(int tag, bool& truth)
{
    if (tag < 0 || static_cast<std::size_t>(tag) >= Plans.size()) {
        return false;
    }
    ExpressionPlan& plan = Plans[static_cast<std::size_t>(tag)];
    PlanTarget unused;
    HeldResult held;
    if (plan.Never || plan.Statement || plan.Closing == 0 || !PlanHolds(plan) ||
        !ReplayPlan(plan, unused, held)) {
        return false;
    }
    if (held.Held) {
        Data->Acc.SetInteger(held.Value);
    } else {
        Data->PopKept();
    }
    truth = Data->Acc.Integer != 0;
    return true;
}

// ExecuteStatementPlan for nothing between two separators (every block's last statement before
// END): ESC polled, and the reader after it when asked.
void QbPascalSyntaxe::ExecuteEmptyPlan(const StatementPlan& plan, bool positioned)
{
    const bool escape = Execute && PollHostEscape();
    if ((escape || positioned) && !Lexer->JumpTo(plan.Text, escape ? plan.Start : plan.End)) {
        Errors->Raise(ErrorNumber::NotImplemented);
    }
    if (escape) {
        throw HaltExcept("escape");
    }
}

// The reader to a state of the plan's text.
[[gnu::always_inline]] inline void QbPascalSyntaxe::JumpWithin(const StatementPlan& plan,
                                                               const QbTextSource::KeptToken& state)
{
    if (!Lexer->JumpTo(plan.Text, state)) {
        Errors->Raise(ErrorNumber::NotImplemented);
    }
}

// The poll of ESC an execution starts with: ESC stops the run with the reader at the
// statement's start, where the reading would have it.
[[gnu::always_inline]] inline void QbPascalSyntaxe::PollEscapeAtStart(const StatementPlan& plan)
{
    if (Execute && PollHostEscape()) {
        JumpWithin(plan, plan.Start);
        throw HaltExcept("escape");
    }
}

void QbPascalSyntaxe::ExecuteStatementPlan(StatementPlan& plan, bool positioned)
{
    // Assignments and blocks, the most frequent, by functions of their own with small frames.
    if (plan.What == StatementPlan::Kind::Assign) {
        ExecuteAssignmentPlan(plan, positioned);
    } else if (plan.What == StatementPlan::Kind::Compound) {
        ExecuteBlockPlan(plan, positioned);
    } else if (plan.What == StatementPlan::Kind::If) {
        ExecuteIfPlan(plan, positioned);
    } else {
        ExecuteCompositePlan(plan, positioned);
    }
}

// FinishAssignment of an integer the quick form held, when it goes straight into the target:
// false, with the accumulator and the current address as FinishAssignment sets them, when
// FinishAssignment must take it.
[[gnu::always_inline]] inline bool
QbPascalSyntaxe::QuickStore(const QuickForm& quick, const PlanTarget& target, std::int32_t value)
{
    if (!quick.Stores || value < quick.StoreLow || value > quick.StoreHigh) {
        return false;
    }
    QbGesdata& data = *Data;
    data.Acc.SetInteger(value);
    data.SetCurrentAddress(target.Address);
    if (quick.ToLocal) {
        return target.Descriptor != 0 ? data.StoreLocalAt(target.Descriptor, quick.Store.Code)
                                      : QuickStoreLocal(quick);
    }
    DirectPlace place = quick.Store;
    place.Offset = target.Address - DataAddress::GlobalBase;
    return data.StoreDirect(place);
}

// QuickStore into a scalar of the routine's frame, the accumulator and the current address set
// (out of line: the stores into globals stay small).
[[gnu::noinline]] bool QbPascalSyntaxe::QuickStoreLocal(const QuickForm& quick)
{
    std::uint32_t address = 0;
    return Data->StoreLocal(quick.Store.Variable, quick.Store.Code, quick.TargetElement.Distance,
                            address);
}

// The expression plan of an assignment's plan, when its tag names one.
[[gnu::always_inline]] inline ExpressionPlan*
QbPascalSyntaxe::AssignmentOf(const StatementPlan& plan)
{
    return plan.Plan >= 0 && static_cast<std::size_t>(plan.Plan) < Plans.size()
               ? &Plans[static_cast<std::size_t>(plan.Plan)]
               : nullptr;
}

// The store of an assignment whose expression has run: where the reading stores, after its
// expression; the reader is put there when something is to see it (an error of the store, the
// statement's caller).
[[gnu::always_inline]] inline void
QbPascalSyntaxe::StoreAssigned(const StatementPlan& plan, const ExpressionPlan& assignment,
                               const PlanTarget& target, const HeldResult& held, bool positioned)
{
    if (positioned) {
        JumpWithin(plan, plan.End);
    }
    if (!held.Held || !QuickStore(assignment.Quick, target, held.Value)) {
        FinishPlannedAssignment(plan, assignment, target, held, positioned);
    }
}

// The assignment by its expression's quick form, which reads nothing and calls nothing (nothing
// can record meanwhile): false, with nothing done, when the steps are to take it.
[[gnu::always_inline]] inline bool QbPascalSyntaxe::QuickAssignment(StatementPlan& plan,
                                                                    bool positioned)
{
    const ExpressionPlan* assignment = AssignmentOf(plan);
    PlanTarget target;
    HeldResult held;
    if (assignment == nullptr || !assignment->Quick.Assigns || !PlanHolds(*assignment) ||
        !RunQuickPlan(*assignment, target, held)) {
        return false;
    }
    StoreAssigned(plan, *assignment, target, held, positioned);
    return true;
}

// ExecuteAssignmentPlan's work, inline where a part is executed without its layers.
[[gnu::always_inline]] inline void QbPascalSyntaxe::AssignByPlan(StatementPlan& plan,
                                                                 bool positioned)
{
    PollEscapeAtStart(plan);
    if (!QuickAssignment(plan, positioned)) {
        ExecuteAssignmentSteps(plan, positioned);
    }
}

void QbPascalSyntaxe::ExecuteAssignmentPlan(StatementPlan& plan, bool positioned)
{
    AssignByPlan(plan, positioned);
}

// ExecuteAssignmentPlan by the steps (or, when one fails, by the reading).
void QbPascalSyntaxe::ExecuteAssignmentSteps(StatementPlan& plan, bool positioned)
{
    ExpressionPlan* assignment = AssignmentOf(plan);
    PlanTarget target;
    HeldResult held;
    {
        ScopedValue<int> running(plan.Running, plan.Running + 1);
        StatementRecordScope none(StatementRecord, nullptr);
        if (assignment == nullptr || assignment->Never || !assignment->Statement ||
            assignment->Steps.empty() || assignment->Steps.back().What != PlanStep::Kind::Assign ||
            !PlanHolds(*assignment) || !RunPlan(*assignment, target, &held)) {
            // A step that failed changed nothing but the evaluation stack: the statement is
            // read.
            JumpWithin(plan, plan.Start);
            ParseStatementBody();
            return;
        }
    }
    StoreAssigned(plan, *assignment, target, held, positioned);
}

// `work`, which the reading does after the statement's text: an error it raises is reported
// there, the reader put there first when it stands elsewhere (not `positioned`).
template <class Work>
void QbPascalSyntaxe::AtStatementEnd(const StatementPlan& plan, bool positioned, const Work& work)
{
    try {
        work();
    } catch (const InterpExcept&) {
        if (!positioned) {
            JumpWithin(plan, plan.End);
            Errors->Relocate();
        }
        throw;
    } catch (...) {
        if (!positioned) {
            JumpWithin(plan, plan.End);
        }
        throw;
    }
}

// The store of an assignment executed from its plan, an error of it reported after the
// assignment's expression, where the reading stores.
void QbPascalSyntaxe::FinishPlannedAssignment(const StatementPlan& plan,
                                              const ExpressionPlan& assignment,
                                              const PlanTarget& target, const HeldResult& held,
                                              bool positioned)
{
    const PlanStep& last = assignment.Steps.back();
    AtStatementEnd(plan, positioned, [&] {
        FinishAssignment(last.Type, last.Code, last.Integer != 0, target, &held);
    });
}

void QbPascalSyntaxe::NoteHeapCall()
{
    const SignedArgument& pointer = LastHeapCall.Pointer;
    std::uint16_t variable = 0;
    std::uint32_t size = 0;
    // Named by itself: no VAR parameter standing for it, no selector.
    if (!Data->SoleGlobal(pointer.Value, variable, size) || variable != LastReferenced ||
        size != 4 || Data->TypeOfVariable(variable) != pointer.Type ||
        Data->Resolve(pointer.Type).Code != TypeCode::Pointer) {
        return;
    }
    NoteStatement(StatementPlan::Kind::Heap);
    StatementPlan& plan = StatementRecord->Plan;
    plan.Up = !LastHeapCall.Dispose;
    plan.Control = pointer.Type;
    plan.Address = pointer.Value;
}

// What the reading does once it has read the argument, the reader after the statement (the
// handler's errors are reported there).
void QbPascalSyntaxe::ExecuteHeapPlan(StatementPlan& plan, bool positioned)
{
    if (positioned) {
        JumpWithin(plan, plan.End);
    }
    const CallScope scope = BeginCall(0);
    SignedArgument pointer;
    pointer.Type = plan.Control;
    pointer.Value = plan.Address;
    AtStatementEnd(plan, positioned, [&] {
        if (plan.Up) {
            NewPointed(*this, pointer);
        } else {
            DisposePointed(*this, pointer);
        }
    });
    EndCall(scope);
}

void QbPascalSyntaxe::ExecuteBlockPlan(StatementPlan& plan, bool positioned)
{
    ScopedValue<int> running(plan.Running, plan.Running + 1);
    StatementRecordScope none(StatementRecord, nullptr);
    PollEscapeAtStart(plan);
    RunBlockParts(plan);
    if (positioned) {
        JumpWithin(plan, plan.End);
    }
}

void QbPascalSyntaxe::ExecuteCompositePlan(StatementPlan& plan, bool positioned)
{
    ScopedValue<int> running(plan.Running, plan.Running + 1);
    StatementRecordScope none(StatementRecord, nullptr);
    PollEscapeAtStart(plan);
    const auto jump = [this, &plan](const QbTextSource::KeptToken& state) {
        JumpWithin(plan, state);
    };
    const auto stepAt = [this, &jump](const QbTextSource::KeptToken& state) {
        try {
            StepPoint();
        } catch (const HaltExcept&) {
            jump(state);
            throw;
        }
    };
    // A step that failed changed nothing but the evaluation stack: the statement is read.
    const auto read = [this, &plan, &jump] {
        jump(plan.Start);
        ParseStatementBody();
    };
    switch (plan.What) {
    case StatementPlan::Kind::Opaque:
        read();
        return;
    case StatementPlan::Kind::Empty:
        if (positioned) {
            jump(plan.End);
        }
        return;
    case StatementPlan::Kind::Assign:
        ExecuteAssignmentPlan(plan, positioned);
        return;
    case StatementPlan::Kind::Heap:
        ExecuteHeapPlan(plan, positioned);
        return;
    case StatementPlan::Kind::Compound:
        ExecuteBlockPlan(plan, positioned);
        return;
    case StatementPlan::Kind::If:
        ExecuteIfPlan(plan, positioned);
        return;
    case StatementPlan::Kind::While: {
        if (plan.Parts.size() != 1) {
            read();
            return;
        }
        int passes = GetOptions().MaxPasses;
        // A closing word after the body is read where the body ends.
        const bool closing =
            Dictionary != nullptr && !Dictionary->WordTextRef(PascalWord::Closing1).empty();
        StatementPlan::Part& body = plan.Parts[0];
        for (;;) {
            bool holds = false;
            if (!RunConditionPlan(plan.Plan, holds)) {
                // The condition is read from here on, the passes made counted.
                jump(plan.Condition);
                ReadingPosition condition;
                SaveReading(*Lexer, condition);
                ReadWhile(condition, passes, nullptr);
                return;
            }
            if (!holds) {
                break;
            }
            ExecutePart(body, plan.Text, closing);
            if (closing) {
                Lexer->ExpectWord(PascalWord::Closing1);
            }
            if (!closing && passes <= 1 && !OptionB(OptionB::UnlimitedPasses) &&
                body.Statement >= 0 &&
                StatementPlans[static_cast<std::size_t>(body.Statement)].What !=
                    StatementPlan::Kind::Opaque) {
                // Error 239 points where the reading stands: after the body (where a body
                // read as always left it).
                jump(StatementPlans[static_cast<std::size_t>(body.Statement)].End);
            }
            PassLoop(passes);
        }
        if (positioned) {
            jump(plan.End);
        }
        return;
    }
    case StatementPlan::Kind::Case: {
        // The selector's plan, then the arm its value takes by the CASE plan; an arm it does
        // not know, or whose end it cannot jump from, is left to the reading.
        if (plan.Limit < 0 || static_cast<std::size_t>(plan.Limit) >= CasePlans.size() ||
            plan.Plan < 0 || static_cast<std::size_t>(plan.Plan) >= Plans.size()) {
            read();
            return;
        }
        const CasePlan& cases = CasePlans[static_cast<std::size_t>(plan.Limit)];
        ExpressionPlan& selector = Plans[static_cast<std::size_t>(plan.Plan)];
        PlanTarget unused;
        HeldResult held;
        if (!PlanHolds(cases) || selector.Never || selector.Statement || selector.Closing != 0 ||
            selector.Calls || !PlanHolds(selector) || !ReplayPlan(selector, unused, held)) {
            read();
            return;
        }
        if (held.Held) {
            Data->Acc.SetInteger(held.Value);
        } else {
            Data->PopType();
        }
        const std::int32_t value = Data->Acc.Integer;
        const int arm = cases.ArmOf(value);
        if (arm < 0) {
            // No arm: the selector, read again, gives the same value and the reading goes on.
            if (!cases.NoArmJump) {
                read();
                return;
            }
            if (positioned) {
                jump(cases.End);
            }
            return;
        }
        const auto taken = static_cast<std::size_t>(arm);
        if (taken >= cases.Arms.size() || taken >= plan.Parts.size() || !cases.Arms[taken].Known ||
            !cases.Arms[taken].Jump) {
            read();
            return;
        }
        StatementPlan::Part& part = plan.Parts[taken];
        if (part.Statement < 0) {
            part.Start = cases.Arms[taken].Start;
        }
        stepAt(part.Start);
        ExecutePart(part, plan.Text, false);
        if (positioned) {
            // The CASE plan may have been kept again meanwhile: found again by its number.
            jump(CasePlans[static_cast<std::size_t>(plan.Limit)].End);
        }
        return;
    }
    case StatementPlan::Kind::For: {
        if (plan.Parts.size() != 1) {
            read();
            return;
        }
        ForLoop loop;
        loop.Target = {NormalType(Table->Link1(plan.Control)), 0};
        loop.Code = ResolvedCode(loop.Target.Type);
        loop.Up = plan.Up;
        const int stacked = Data->EvaluationCount();
        // A bound's plan, and the check its reading makes of the value.
        const auto bound = [this, &loop](int tag) {
            if (tag < 0 || static_cast<std::size_t>(tag) >= Plans.size()) {
                return false;
            }
            ExpressionPlan& expression = Plans[static_cast<std::size_t>(tag)];
            PlanTarget unused;
            return !expression.Never && !expression.Statement && expression.Closing == 0 &&
                   !expression.Calls && PlanHolds(expression) && ReplayPushed(expression, unused) &&
                   Compatible(loop.Target.Type, expression.Result.Type, loop.Target.Subtype,
                              expression.Result.Subtype, Data->Acc.Integer, 0);
        };
        // The bounds have no calls: reading the loop again from its start is what it did.
        const auto reread = [this, stacked, &read] {
            Data->DropEntriesAbove(stacked);
            read();
        };
        loop.Control = ForPlace(plan.Control);
        if (!bound(plan.Plan)) {
            reread();
            return;
        }
        jump(plan.AfterStart);
        ForStore(loop, loop.Control);
        if (!bound(plan.Limit)) {
            reread();
            return;
        }
        loop.Limit = ForPlace(plan.LimitVariable);
        jump(plan.AfterLimit);
        ForStore(loop, loop.Limit);
        const ReadingPosition unused;
        ForPasses(loop, unused, nullptr, &plan.Parts[0], plan.Text);
        if (positioned) {
            jump(plan.End);
        }
        return;
    }
    }
}

void QbPascalSyntaxe::ExecuteIfPlan(StatementPlan& plan, bool positioned)
{
    ScopedValue<int> running(plan.Running, plan.Running + 1);
    StatementRecordScope none(StatementRecord, nullptr);
    PollEscapeAtStart(plan);
    bool taken = false;
    if (plan.Parts.size() != 2 || !RunConditionPlan(plan.Plan, taken)) {
        // A step that failed changed nothing but the evaluation stack: the statement is read.
        JumpWithin(plan, plan.Start);
        ParseStatementBody();
        return;
    }
    StatementPlan::Part* part = nullptr;
    if (taken && plan.Then) {
        part = &plan.Parts[0];
    } else if (!taken && plan.Else) {
        part = &plan.Parts[1];
    }
    if (part != nullptr) {
        // A branch that is no BEGIN block has a step point of its own.
        bool block = false;
        if (part->Statement >= 0) {
            block = StatementPlans[static_cast<std::size_t>(part->Statement)].Block;
        } else {
            JumpWithin(plan, part->Start);
            block = Lexer->IsWord(PascalWord::Begin);
        }
        if (!block) {
            try {
                StepPoint();
            } catch (const HaltExcept&) {
                JumpWithin(plan, part->Start);
                throw;
            }
        }
        ExecuteUnpositionedPart(*part, plan.Text);
    }
    if (positioned) {
        JumpWithin(plan, plan.End);
    }
}

void QbPascalSyntaxe::RunBlockParts(StatementPlan& plan)
{
    // ESC stops the run with the reader where the reading would have it.
    const auto stepAt = [this, &plan](const QbTextSource::KeptToken& state) {
        try {
            StepPoint();
        } catch (const HaltExcept&) {
            if (!Lexer->JumpTo(plan.Text, state)) {
                Errors->Raise(ErrorNumber::NotImplemented);
            }
            throw;
        }
    };
    for (StatementPlan::Part& part : plan.Parts) {
        stepAt(part.Start);
        ExecuteUnpositionedPart(part, plan.Text);
    }
    // On END: the reader after the last statement, where that statement's plan ends (a
    // statement read as always left it there).
    const StatementPlan* last =
        !plan.Parts.empty() && plan.Parts.back().Statement >= 0
            ? &StatementPlans[static_cast<std::size_t>(plan.Parts.back().Statement)]
            : nullptr;
    if (last != nullptr && last->What != StatementPlan::Kind::Opaque) {
        stepAt(last->End);
    } else {
        StepPoint();
    }
    BodyEndLine = plan.EndLine;
    BodyEndColumn = plan.EndColumn;
}

StatementPlan* QbPascalSyntaxe::HeldBodyPlan(EntryNumber routine)
{
    if (routine >= BodyPlans.size()) {
        return nullptr;
    }
    const BodyPlan& body = BodyPlans[routine];
    if (body.Statement < 0 || body.Text != Lexer->TextNumber()) {
        return nullptr;
    }
    StatementPlan& plan = StatementPlans[static_cast<std::size_t>(body.Statement)];
    return PlanHoldsIn(plan, routine, 0) ? &plan : nullptr;
}

QbPascalSyntaxe::BodyJump QbPascalSyntaxe::RunBodyParts(StatementPlan& plan)
{
    try {
        // A reading of the same body meanwhile (a call under a changed table) keeps its own.
        ScopedValue<int> running(plan.Running, plan.Running + 1);
        RunBlockParts(plan);
    } catch (const GotoExcept& thrown) {
        return JumpOf(thrown);
    }
    return BodyJump::None;
}

void QbPascalSyntaxe::ReadBodyRecorded(EntryNumber routine)
{
    // Only the program's own routines: a unit's body is read from the unit's source.
    const QbLexical::SkipMark mark = Lexer->BeginSkip();
    if (mark.Text == nullptr || Table->Outermost(routine) != 1 || routine >= QbTable::MaxEntries) {
        ParseStatementList(true);
        return;
    }
    StatementRecording recording;
    recording.Mark = mark;
    recording.Plan.What = StatementPlan::Kind::Compound;
    int line = 0;
    int column = 0;
    Lexer->TokenStart(line, column);
    StartPlace(recording.Plan, mark.Text, line, column);
    recording.Valid = Lexer->TakeState(mark, recording.Plan.Start);
    const std::uint64_t text = Lexer->TextNumber();
    {
        StatementRecordScope scope(StatementRecord, &recording);
        ParseStatementList(true);
    }
    StatementPlan& made = recording.Plan;
    if (!recording.Valid || !Lexer->TakeState(mark, made.End) ||
        Table->Generation() != made.Generation) {
        return;
    }
    if (BodyPlans.size() <= routine) {
        BodyPlans.resize(static_cast<std::size_t>(routine) + 1);
    }
    BodyPlan& body = BodyPlans[routine];
    body.ReadyCaller = 0;
    if (body.Statement >= 0) {
        StatementPlan& place = StatementPlans[static_cast<std::size_t>(body.Statement)];
        if (place.Running == 0) {
            place = std::move(made);
            body.Text = text;
            body.QuietReturn = Data->LeavesQuietly(routine);
            body.EndKnown = EndRecorded(routine);
            body.Function = Table->Kind(routine) == EntryKind::Function;
        }
        return;
    }
    if (StatementPlans.size() < MaxStatementPlans) {
        StatementPlans.push_back(std::move(made));
        body.Statement = static_cast<int>(StatementPlans.size()) - 1;
        body.Text = text;
        body.QuietReturn = Data->LeavesQuietly(routine);
        body.EndKnown = EndRecorded(routine);
        body.Function = Table->Kind(routine) == EntryKind::Function;
    }
}

bool QbPascalSyntaxe::EndRecorded(EntryNumber routine) const
{
    return Table->Kind(routine) != EntryKind::Function ||
           Table->Slot(routine, RoutineSlot::BodyEndLine) != 0;
}

void QbPascalSyntaxe::EndBodyPlan(EntryNumber routine, EntryNumber caller)
{
    // Otherwise the reader goes after END, where the reading leaves it.
    const BodyPlan& body = BodyPlans[routine];
    if (ReturnsUnread(body, caller)) {
        BodyLeftUnread = true;
        return;
    }
    if (!Lexer->JumpTo(StatementPlans[static_cast<std::size_t>(body.Statement)].Text,
                       StatementPlans[static_cast<std::size_t>(body.Statement)].End)) {
        Errors->Raise(ErrorNumber::NotImplemented);
    }
}

bool QbPascalSyntaxe::RunPlannedCall(const PlanStep& step, std::uint16_t savedTop, bool hold,
                                     std::optional<std::uint16_t>& held)
{
    const EntryNumber called = step.Type;
    // What RunCalled and ExecuteRoutineBody would find: a body plan that holds, after which
    // EndBodyPlan leaves the reader where it is.
    const EntryNumber caller = CurrentRoutine;
    if (called == 1 || called >= BodyPlans.size() || !StatementPlansAllowed()) {
        return false;
    }
    BodyPlan& body = BodyPlans[called];
    const std::uint32_t generation = Table->Generation();
    StatementPlan* plan = nullptr;
    if (body.ReadyCaller == caller && body.ReadyGeneration == generation && generation != 0 &&
        body.ReadyOptions == OptionsKey() && body.Text == Lexer->TextNumber()) {
        plan = &StatementPlans[static_cast<std::size_t>(body.Statement)];
    } else {
        if (!ReturnsUnread(body, caller)) {
            return false;
        }
        plan = HeldBodyPlan(called);
        if (plan == nullptr) {
            return false;
        }
        body.ReadyCaller = caller;
        body.ReadyGeneration = generation;
        body.ReadyOptions = OptionsKey();
    }
    const bool function = body.Function;
    // The token start the reader was put on (as TokenStart gives it back).
    const int line = std::max(step.Line, 0);
    const int column = std::max(step.Column, 0);
    EnterFrame(called, savedTop);
    BodyJump jump = BodyJump::None;
    {
        BodyScope scope(*this, called);
        jump = RunBodyParts(*plan);
        if (jump != BodyJump::None) {
            ReadRoutineBody(called, scope, false, jump);
        }
    }
    // The body plan held: its routine leaves quietly (ReturnsUnread).
    held = ReturnFromCall(called, caller, jump == BodyJump::None, hold, savedTop, true, function);
    Lexer->MarkTokenStart(line + 1, column + 1);
    return true;
}

void QbPascalSyntaxe::ExecutePart(StatementPlan::Part& part, const void* text, bool positioned)
{
    if (positioned) {
        ReadOrExecutePart(part, text, true);
    } else {
        ExecuteUnpositionedPart(part, text);
    }
}

// ExecutePart through its layers: the part's plan at the depth its guard gives, or its reading.
void QbPascalSyntaxe::ReadOrExecutePart(StatementPlan::Part& part, const void* text,
                                        bool positioned)
{
    if (part.Statement >= 0) {
        ParseDepthGuard guard(*this);
        StatementPlan& plan = StatementPlans[static_cast<std::size_t>(part.Statement)];
        if (plan.What != StatementPlan::Kind::Opaque && PlanHolds(plan)) {
            if (plan.What == StatementPlan::Kind::Empty) {
                ExecuteEmptyPlan(plan, positioned);
            } else {
                ExecuteStatementPlan(plan, positioned);
            }
            StatementDone();
            return;
        }
    }
    if (!Lexer->JumpTo(text, part.Start)) {
        Errors->Raise(ErrorNumber::NotImplemented);
    }
    ParseStatement();
    part.Statement = LastStatement;
}

// ExecutePart of a part that leaves the reader where its plan leaves it. A plan that holds is
// executed without ExecutePart's layers, an assignment's inline: the most frequent parts,
// assignments and empty statements, then cost little besides their own work.
[[gnu::always_inline]] inline void
QbPascalSyntaxe::ExecuteUnpositionedPart(StatementPlan::Part& part, const void* text)
{
    if (part.Statement >= 0) {
        StatementPlan& plan = StatementPlans[static_cast<std::size_t>(part.Statement)];
        // At the depth ExecutePart's guard gives it (a plan recorded there is within the
        // guard's limit).
        if (plan.What != StatementPlan::Kind::Opaque &&
            PlanHoldsIn(plan, CurrentRoutine, ParseDepth + 1)) {
            ScopedValue<int> depth(ParseDepth, ParseDepth + 1);
            if (plan.What == StatementPlan::Kind::Empty) {
                ExecuteEmptyPlan(plan, false);
            } else if (plan.What == StatementPlan::Kind::Assign) {
                AssignByPlan(plan, false);
            } else {
                ExecuteStatementPlan(plan, false);
            }
            StatementDone();
            return;
        }
    }
    ReadOrExecutePart(part, text, false);
}
