// Expressions and assignments executed where they stand: recorded once, replayed without
// reading their text.
#include "frontend/QbPascalSyntaxe.h"

#include "diagnostics/Exceptions.h"
#include "frontend/PlanShapes.h"
#include "lexical/QbLexical.h"
#include "runtime/DataAddress.h"
#include "runtime/DataInline.h"
#include "runtime/QbGesdata.h"

#include <algorithm>
#include <array>
#include <limits>
#include <new>

using namespace PlanShapes;

namespace {
// Places kept per run at most; beyond them expressions are read as they always were.
constexpr std::size_t MaxPlans = 1u << 16;
// Indexed references nested in one another's indexes that a plan follows.
constexpr int MaxIndexNesting = 8;
// Calls in one another's arguments that a plan follows.
constexpr int MaxCallNesting = 8;

// Room for a value of T made only when it is needed: a replay that opens no index or call
// does not pay for setting up every entry of its arrays.
template <class T> union Slot
{
    Slot() {}
    T Value;
};
} // namespace

bool QbPascalSyntaxe::PlannableCode(std::uint8_t code)
{
    const Representation representation = QbGesdata::RepresentationOf(code);
    // Pointers too: the steps make the same calls the reading makes, which keep the heap's
    // counts of references.
    return representation == Representation::Integer ||
           representation == Representation::Character || representation == Representation::Real ||
           representation == Representation::Pointer;
}

void QbPascalSyntaxe::StartPlace(PlanPlace& plan, const void* text, int line, int column) const
{
    plan.Generation = Table->Generation();
    plan.OptionsKey = OptionsKey();
    plan.Routine = CurrentRoutine;
    plan.ParseDepth = ParseDepth;
    plan.Text = text;
    plan.TokenLine = line;
    plan.TokenColumn = column;
}

// The steps make the pushes and pops the reading made, and close every index they open.
bool QbPascalSyntaxe::PlanBalanced(const ExpressionPlan& plan)
{
    std::uint32_t pushes = 0;
    std::uint32_t pops = 0;
    int open = 0;
    int calls = 0;
    for (const PlanStep& step : plan.Steps) {
        switch (step.What) {
        case PlanStep::Kind::Load:
        case PlanStep::Kind::GlobalLoad:
        case PlanStep::Kind::Constant:
            ++pushes;
            break;
        case PlanStep::Kind::Operate:
            pops += 2;
            ++pushes;
            break;
        case PlanStep::Kind::Not:
        case PlanStep::Kind::Negate:
            ++pops;
            ++pushes;
            break;
        case PlanStep::Kind::Index:
            if (open <= 0) {
                return false;
            }
            ++pops;
            break;
        case PlanStep::Kind::BeginIndex:
            if (++open > MaxIndexNesting) {
                return false;
            }
            break;
        case PlanStep::Kind::EndIndex:
            if (--open < 0) {
                return false;
            }
            break;
        case PlanStep::Kind::StringIndex:
            if (--open < 0) {
                return false;
            }
            ++pops;
            break;
        case PlanStep::Kind::Predefined:
            if (step.Count < 0) {
                return false;
            }
            pops += static_cast<std::uint32_t>(step.Count);
            ++pushes;
            break;
        case PlanStep::Kind::Assign:
            ++pops;
            break;
        case PlanStep::Kind::Fits:
            ++pops;
            ++pushes;
            break;
        case PlanStep::Kind::Bind:
            if (calls <= 0) {
                return false;
            }
            ++pops;
            break;
        case PlanStep::Kind::CallOpen:
            if (++calls > MaxCallNesting) {
                return false;
            }
            break;
        case PlanStep::Kind::CallEnter:
            if (--calls < 0) {
                return false;
            }
            ++pushes;
            break;
        case PlanStep::Kind::Clear:
        case PlanStep::Kind::Address:
        case PlanStep::Kind::Fixed:
        case PlanStep::Kind::Field:
        case PlanStep::Kind::Dereference:
        case PlanStep::Kind::SaveTarget:
            break;
        case PlanStep::Kind::IndexByGlobal:
            // Made after this check, from steps it counts: a recording never holds one.
            return false;
        }
    }
    const std::uint32_t left = plan.Statement ? 0 : 1;
    return open == 0 && calls == 0 && pushes == plan.Pushes && pops == plan.Pops &&
           pushes == pops + left;
}

// A whole global variable read: its place in the global area is known once, not looked for at
// every reading.
void QbPascalSyntaxe::FuseGlobalLoads(ExpressionPlan& plan) const
{
    std::vector<PlanStep>& steps = plan.Steps;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        PlanStep step = steps[i];
        std::uint16_t variable = 0;
        std::uint32_t size = 0;
        if (step.What == PlanStep::Kind::Fixed && i + 1 < steps.size() &&
            steps[i + 1].What == PlanStep::Kind::Load &&
            Data->WholeGlobal(step.Stride, variable, size) && variable == step.Type &&
            size <= static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
            step.What = PlanStep::Kind::GlobalLoad;
            step.Type = steps[i + 1].Type;
            step.Integer = variable;
            step.Count = static_cast<std::int32_t>(size);
            ++i;
        }
        steps[kept++] = step;
    }
    steps.resize(kept);
    // The integers a replay may hold instead of pushing.
    for (PlanStep& step : steps) {
        if ((step.What == PlanStep::Kind::Load || step.What == PlanStep::Kind::GlobalLoad ||
             step.What == PlanStep::Kind::Constant) &&
            QbGesdata::RepresentationOf(Data->KeptCode(step.Type)) == Representation::Integer) {
            step.Code = HeldInteger;
        }
        // An operator's result code, which its sum, difference and product are held to.
        if (step.What == PlanStep::Kind::Operate) {
            step.DirectCode = Data->KeptCode(step.Type);
        }
    }
    // A global variable indexed, a field of it, or an assignment's target: the values inside
    // it are its own, unless another variable shares its bytes.
    for (PlanStep& step : steps) {
        std::uint16_t variable = 0;
        std::uint32_t size = 0;
        if (step.What == PlanStep::Kind::Fixed && Data->SoleGlobal(step.Stride, variable, size) &&
            variable == step.Type &&
            size <= static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())) {
            step.Count = static_cast<std::int32_t>(size);
        }
    }
    // Whole global scalars read, or assigned, straight.
    const auto direct = [this](PlanStep& step, std::uint16_t variable, std::uint32_t start,
                               std::uint32_t size, std::uint16_t type) {
        const DirectPlace place = Data->DirectPlaceOf(variable, start, size, type);
        step.DirectCode = place.Code;
        step.DirectWidth = place.Width;
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        PlanStep& step = steps[i];
        if (step.What == PlanStep::Kind::GlobalLoad) {
            direct(step, static_cast<std::uint16_t>(step.Integer), step.Stride,
                   static_cast<std::uint32_t>(step.Count), step.Type);
        } else if (step.What == PlanStep::Kind::SaveTarget && i > 0 &&
                   steps[i - 1].What == PlanStep::Kind::Fixed && steps[i - 1].Count > 0 &&
                   steps.back().What == PlanStep::Kind::Assign) {
            // The target is the whole variable the Fixed step before it names.
            const PlanStep& fixed = steps[i - 1];
            direct(step, fixed.Type, fixed.Stride, static_cast<std::uint32_t>(fixed.Count),
                   steps.back().Type);
        }
    }
    // A scalar of the routine's frame read: its place is found from where its descriptor lay
    // at the last reading.
    for (std::size_t i = 0; i + 1 < steps.size(); ++i) {
        PlanStep& step = steps[i];
        std::uint8_t code = 0;
        if (step.What == PlanStep::Kind::Address && steps[i + 1].What == PlanStep::Kind::Load &&
            StraightLocal(step.Type, steps[i + 1].Type, code)) {
            step.DirectCode = code;
            step.DirectWidth = static_cast<std::uint8_t>(QbGesdata::DirectWidth(code));
            step.Count = 0;
        } else if (step.What == PlanStep::Kind::Address &&
                   steps[i + 1].What == PlanStep::Kind::SaveTarget &&
                   steps.back().What == PlanStep::Kind::Assign &&
                   StraightLocal(step.Type, steps.back().Type, code)) {
            // An assignment's target: its place only.
            step.DirectCode = code;
            step.DirectWidth = static_cast<std::uint8_t>(QbGesdata::DirectWidth(code));
            step.Count = 0;
        }
    }
    // A value or CONST parameter of a scalar type: its code and size, found once.
    for (PlanStep& step : steps) {
        if (step.What == PlanStep::Kind::Bind && step.Code == 1) {
            const QbGesdata::TypeInfo type = Data->KeptInfo(Data->TypeOfVariable(step.Type));
            const std::uint32_t width = QbGesdata::DirectWidth(type.Code);
            if (width != 0 && width <= type.Size) {
                step.DirectCode = type.Code;
                step.DirectWidth = static_cast<std::uint8_t>(width);
                step.Count = static_cast<std::int32_t>(type.Size);
            }
        }
    }
    // An index that is a global integer, or one plus or minus a constant: one step does the
    // four (or six) steps, which stay behind it for a replay that cannot hold the index.
    const auto at = [&steps](std::size_t i, PlanStep::Kind kind) {
        return i < steps.size() && steps[i].What == kind;
    };
    std::vector<PlanStep> fused;
    fused.reserve(steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (at(i, PlanStep::Kind::BeginIndex) && i + 1 < steps.size() &&
            StraightHeld(steps[i + 1])) {
            std::size_t index = i + 2;
            if (i + 2 < steps.size() && ConstantHeld(steps[i + 2]) &&
                at(i + 3, PlanStep::Kind::Operate) &&
                (steps[i + 3].Integer == static_cast<int>(Operator::Plus) ||
                 steps[i + 3].Integer == static_cast<int>(Operator::Minus))) {
                index = i + 4;
            }
            if (at(index, PlanStep::Kind::Index) && at(index + 1, PlanStep::Kind::EndIndex)) {
                PlanStep step = steps[index];
                step.What = PlanStep::Kind::IndexByGlobal;
                step.Code = static_cast<std::uint8_t>(index + 2 - i);
                fused.push_back(step);
            }
        }
        fused.push_back(steps[i]);
    }
    steps.swap(fused);
    MakeQuickForm(plan);
}

// An expression's reading as its plan records it: the accumulator cleared, then the relation.
TypePair QbPascalSyntaxe::ReadRecordedRelation()
{
    PlanStep step;
    step.What = PlanStep::Kind::Clear;
    RecordStep(step);
    Data->ClearAccumulator();
    return ParseRelation();
}

TypePair QbPascalSyntaxe::PlannedExpression()
{
    if (Recording != nullptr && Recording->Arguments > 0) {
        // An argument of a call being recorded: its steps are the call's.
        const int arguments = Recording->Arguments;
        const int joined = Recording->Joined;
        Recording->Arguments = 0;
        ExpressionPlan* const plan = Recording;
        const TypePair result = ReadRecordedRelation();
        // The arguments of calls inside this one's are not counted with it.
        plan->Arguments = arguments;
        plan->Joined = joined + 1;
        return result;
    }
    if (Recording != nullptr && Recording->Statement && !Recording->InExpression) {
        // The expression of an assignment being recorded: its steps join the assignment's.
        Recording->InExpression = true;
        const TypePair result = ReadRecordedRelation();
        if (Recording != nullptr) {
            Recording->InExpression = false;
        }
        return result;
    }
    // An expression read inside another one's recording (a call's argument, a conversion)
    // ends that recording: the outer reading is more than its steps.
    AbandonPlan();
    return Planned(false, 0, [this] { return ReadRecordedRelation(); });
}

// A condition and the word that follows it (THEN, DO), read as one, so that a kept reading jumps
// straight to the statement after the word.
void QbPascalSyntaxe::ParseConditionThen(std::uint16_t word)
{
    if (!PlansAllowed()) {
        LastPlanTag = -1;
        ParseCondition();
        Lexer->ExpectWord(word);
        return;
    }
    AbandonPlan();
    Planned(false, word, [this, word] {
        const TypePair type = ReadRecordedRelation();
        RequireBoolean(type);
        Lexer->ExpectWord(word);
        return type;
    });
}

void QbPascalSyntaxe::PlannedStatement()
{
    AbandonPlan();
    Planned(true, 0, [this] {
        ParseNamedStatement();
        return TypePair{};
    });
    if (StatementRecord != nullptr && LastPlanTag >= 0) {
        NoteStatement(StatementPlan::Kind::Assign);
        StatementRecord->Plan.Plan = LastPlanTag;
    }
}

template <class Read>
TypePair QbPascalSyntaxe::Planned(bool statement, std::uint16_t closing, const Read& read)
{
    // What the reading's own plans (a call's body) leave here is not this construct's.
    const auto readOnly = [this, &read] {
        const TypePair type = read();
        LastPlanTag = -1;
        return type;
    };
    const QbLexical::SkipMark mark = Lexer->BeginSkip();
    if (mark.Text == nullptr) {
        return readOnly();
    }
    int line = 0;
    int column = 0;
    Lexer->TokenStart(line, column);
    const QbTextSource::KeptToken* found = Lexer->PlanKept(mark);
    const std::int32_t tag = found != nullptr ? found->Tag : -1;
    ExpressionPlan* kept = nullptr;
    if (tag >= 0 && static_cast<std::size_t>(tag) < Plans.size()) {
        ExpressionPlan& candidate = Plans[static_cast<std::size_t>(tag)];
        if (candidate.Text == mark.Text && candidate.TokenLine == line &&
            candidate.TokenColumn == column && candidate.Statement == statement &&
            candidate.Closing == closing) {
            kept = &candidate;
        }
    }
    PlanTarget target;
    HeldResult held;
    if (kept != nullptr && !kept->Never && PlanHolds(*kept) &&
        (statement ? ReplayPlan(*kept, target, held) : ReplayPushed(*kept, target))) {
        Lexer->ReplayPlan(mark, kept->End);
        // An assignment stores last, where the reading would store: after its expression, so
        // that an error of the store (a value out of the target's range, the last reference
        // to a heap cell let go) is reported there. A store may fail after changing memory,
        // so it is never read again.
        if (!kept->Steps.empty() && kept->Steps.back().What == PlanStep::Kind::Assign) {
            const PlanStep& last = kept->Steps.back();
            FinishAssignment(last.Type, last.Code, last.Integer != 0, target, &held);
        }
        LastPlanTag = tag;
        return kept->Result;
    }
    const bool record = kept != nullptr ? !kept->Never : tag < 0 && Plans.size() < MaxPlans;
    if (!record) {
        return readOnly();
    }

    ExpressionPlan plan;
    plan.Statement = statement;
    plan.Closing = closing;
    StartPlace(plan, mark.Text, line, column);
    const std::uint32_t pushes = Data->PushCount();
    const std::uint32_t pops = Data->PopCount();
    TypePair result;
    {
        ScopedValue<ExpressionPlan*> scope(Recording, &plan);
        result = read();
    }
    plan.Result = result;
    plan.Pushes = Data->PushCount() - pushes - plan.HiddenPushes;
    plan.Pops = Data->PopCount() - pops - plan.HiddenPops;
    if (!Execute || plan.ParseDepth != ParseDepth || !PlanBalanced(plan) ||
        !Lexer->TakeState(mark, plan.End)) {
        plan.Never = true;
    }
    if (Table->Generation() != plan.Generation) {
        // The reading changed the table (a variable's first assignment marks it): what it
        // recorded is read again next time, under the table as it now stands.
        plan.Generation = 0;
    }
    LastPlanTag = -1;
    if (plan.Never) {
        plan.Steps.clear();
        plan.Steps.shrink_to_fit();
    } else {
        FuseGlobalLoads(plan);
    }
    if (kept != nullptr) {
        // Read again under a changed table or options: the place keeps its number. The
        // reading may have made new plans, so the place is found again by its number; a
        // replay of it still under way (a body calling its own caller) keeps it.
        ExpressionPlan& place = Plans[static_cast<std::size_t>(tag)];
        if (place.Running == 0) {
            place = std::move(plan);
        }
        LastPlanTag = place.Never ? -1 : tag;
    } else if (Lexer->EndPlan(mark, static_cast<std::int32_t>(Plans.size()))) {
        Plans.push_back(std::move(plan));
        LastPlanTag = Plans.back().Never ? -1 : static_cast<int>(Plans.size()) - 1;
    }
    return result;
}

// The steps repeated, an assignment's store excepted (its target is left in `target`).
// A step that fails (an unassigned variable, an index out of range, an overflow)
// changed nothing but the evaluation stack: it returns false, the construct is then read as
// always, and the reading reports the error where its text stands.
// The steps an IndexByGlobal step at `at` stands for, done at once as they would go with the
// values held (`holding` are held already): the place the base's element, what the replay
// knows of it unchanged, the accumulator the index's. The number of steps it did, 0 when the
// steps behind it are to do the work.
[[gnu::noinline]] int QbPascalSyntaxe::IndexByGlobal(const PlanStep* at, const PlanStep* end,
                                                     int holding)
{
    const PlanStep& step = *at;
    const int covered = step.Code;
    const int values = covered == 4 ? 1 : 2;
    if (end - at <= covered || holding + values > MaxHeld || !Data->RoomFor(holding + values)) {
        return 0;
    }
    const PlanStep& loaded = at[2];
    const std::uint32_t base = Data->CurrentAddress();
    Data->SetCurrentAddress(loaded.Stride);
    if (!Data->LoadDirect(StraightPlace(loaded))) {
        Data->SetCurrentAddress(base);
        return 0;
    }
    std::int64_t value = Data->Acc.Integer;
    if (covered != 4) {
        // The constant added or taken away; beyond the result's type, the steps behind raise
        // what they raise.
        std::int32_t sum = 0;
        if (!Data->OperateHeld(static_cast<Operator>(at[4].Integer), value, at[3].Integer,
                               at[4].Type, sum)) {
            Data->SetCurrentAddress(base);
            return 0;
        }
        value = sum;
    }
    if (value < step.Integer || value >= static_cast<std::int64_t>(step.Integer) + step.Count) {
        Data->Fail(ErrorNumber::InvalidValue);
    }
    Data->SetCurrentAddress(base + static_cast<std::uint32_t>(value - step.Integer) * step.Stride);
    return covered;
}

bool QbPascalSyntaxe::RunPlan(ExpressionPlan& plan, PlanTarget& target, HeldResult* result)
{
    // The global variable the current address lies in, when a step made it known (Variable 0
    // when none did).
    struct KnownGlobal
    {
        std::uint16_t Variable = 0;
        std::uint32_t Start = 0;
        std::uint32_t Size = 0;
    };
    KnownGlobal known;
    // Only the entries below `open` and `calling` are ever read: they are made first.
    struct OpenIndex
    {
        std::uint32_t Base;
        std::uint32_t Offset;
        KnownGlobal Known;
    };
    std::array<Slot<OpenIndex>, MaxIndexNesting> indexes;
    int open = 0;
    struct OpenCall
    {
        CallScope Scope;
        std::uint16_t SavedTop;
    };
    std::array<Slot<OpenCall>, MaxCallNesting> calls;
    int calling = 0;
    // Once a call has begun, the steps' effects cannot be taken back: an error from then on is
    // reported at the token the reading stood on when it met it.
    bool committed = false;
    const int stacked = Data->EvaluationCount();
    const std::uint32_t address = Data->CurrentAddress();
    const int errorBefore = Errors->Number();
    Accumulator& acc = Data->Acc;
    const auto load = [this](const KnownGlobal& place, std::uint16_t type) {
        if (place.Variable != 0) {
            Data->LoadInGlobal(place.Variable, place.Start, place.Size, type);
        } else {
            Data->LoadValue(type);
        }
    };
    // The integers the steps push are held here while only other integer steps take them
    // (operators, indexes), and pushed, in their order, before any other step uses the stack.
    // Only values the stack has room for are held: a full stack stops the run as it would.
    struct Held
    {
        std::int32_t Value;
        std::uint16_t Type;
    };
    std::array<Held, MaxHeld> held;
    int holding = 0;
    const auto pushHeld = [this, &held, &holding, &acc] {
        for (int k = 0; k < holding; ++k) {
            acc.SetInteger(held[static_cast<std::size_t>(k)].Value);
            Data->PushKept(held[static_cast<std::size_t>(k)].Type);
        }
        holding = 0;
    };
    // Most steps find nothing held: the test stays where they are.
    const auto flush = [&holding, &pushHeld] {
        if (holding > 0) {
            pushHeld();
        }
    };
    // The value a step is to push is held (the step's Code says it is an integer); when it is
    // not, the values held are pushed before the accumulator takes it.
    const auto holds = [this, &holding, &flush](const PlanStep& step) {
        if (step.Code == HeldInteger && holding < MaxHeld && Data->RoomFor(holding + 1)) {
            return true;
        }
        flush();
        return false;
    };
    // The value the accumulator has just taken, of `type`, held or pushed as `holds` said.
    const auto push = [this, &held, &holding, &acc](bool hold, std::uint16_t type) {
        if (hold) {
            held[static_cast<std::size_t>(holding++)] = {acc.Integer, type};
        } else {
            Data->PushKept(type);
        }
    };
    // The top value as an integer index: held, or popped.
    const auto take = [this, &held, &holding, &acc]() -> std::int32_t {
        if (holding > 0) {
            return held[static_cast<std::size_t>(--holding)].Value;
        }
        Data->PopKept();
        return acc.Integer;
    };
    // Once committed, the reader stands on the token of the step that runs: the steps that run
    // other code (a call, a predefined routine) put it there first; for the others it is put
    // there only when they fail, or when the steps end.
    const PlanStep* current = nullptr;
    const auto mark = [this](const PlanStep& step) {
        Lexer->MarkTokenStart(step.Line + 1, step.Column + 1);
    };
    ScopedValue<int> running(plan.Running, plan.Running + 1);
    try {
        // The steps stay where they are while they run: no replay records into its own plan.
        const PlanStep* const end = plan.Steps.data() + plan.Steps.size();
        for (PlanStep* at = plan.Steps.data(); at != end; ++at) {
            const PlanStep& step = *at;
            current = at;
            switch (step.What) {
            case PlanStep::Kind::CallOpen: {
                committed = true;
                mark(step);
                flush();
                OpenCall& call =
                    *::new (&calls[static_cast<std::size_t>(calling++)].Value) OpenCall;
                call.Scope = BeginCall(step.Type);
                if (CurrentRoutine == 1) {
                    CalledFromMain = true;
                }
                call.SavedTop = OpenFrame();
                break;
            }
            case PlanStep::Kind::Fits:
                // An argument held until its Bind: checked there, never pushed.
                if (holding > 0 && at + 1 != end && at[1].What == PlanStep::Kind::Bind &&
                    at[1].Code == 1 &&
                    FitsType(step.Type, held[static_cast<std::size_t>(holding - 1)].Value)) {
                    held[static_cast<std::size_t>(holding - 1)].Type =
                        static_cast<std::uint16_t>(step.Stride);
                    current = ++at;
                    goto bind;
                }
                flush();
                Data->PopKept();
                if (!FitsType(step.Type, acc.Integer)) {
                    Data->Fail(ErrorNumber::InvalidValue);
                }
                Data->PushKept(static_cast<std::uint16_t>(step.Stride));
                break;
            case PlanStep::Kind::Bind:
            bind : {
                const PlanStep& parameter = *at;
                if (holding > 0 && parameter.Code == 1) {
                    // The argument, held: the values held below it are pushed first.
                    const Held argument = held[static_cast<std::size_t>(--holding)];
                    flush();
                    acc.SetInteger(argument.Value);
                    if (parameter.DirectWidth != 0) {
                        Data->BindScalar(parameter.Type, parameter.DirectCode,
                                         static_cast<std::uint32_t>(parameter.Count));
                    } else {
                        Data->CreateVariable(parameter.Type, 8195, false);
                    }
                    break;
                }
                flush();
                Data->CreateVariable(parameter.Type, 8195);
                break;
            }
            case PlanStep::Kind::CallEnter: {
                mark(step);
                flush();
                const OpenCall call = calls[static_cast<std::size_t>(--calling)].Value;
                // An integer result is held as a Load's would be (nothing is held below it).
                const bool hold = Data->RoomFor(1);
                std::optional<std::uint16_t> type;
                if (!RunPlannedCall(step, call.SavedTop, hold, type)) {
                    type = RunCalled(step.Type, call.SavedTop, hold, true);
                }
                const std::int32_t value = acc.Integer;
                EndCall(call.Scope);
                if (type) {
                    held[static_cast<std::size_t>(holding++)] = {value, *type};
                }
                known.Variable = 0;
                break;
            }
            case PlanStep::Kind::Clear:
                Data->ClearAccumulator();
                break;
            case PlanStep::Kind::SaveTarget:
            saveTarget:
                target = {};
                target.Address = Data->CurrentAddress();
                if (known.Variable != 0) {
                    target.Variable = known.Variable;
                    target.Start = known.Start;
                    target.Size = known.Size;
                }
                target.DirectCode = at->DirectCode;
                target.DirectWidth = at->DirectWidth;
                break;
            case PlanStep::Kind::Assign:
                // Left to the caller, once the reader stands where the reading stores.
                break;
            case PlanStep::Kind::Address:
                known.Variable = 0;
                if (step.DirectWidth != 0 && at + 1 != end &&
                    at[1].What == PlanStep::Kind::SaveTarget) {
                    // A target's place, found as AddressOf finds it when it lies where it lay.
                    std::uint32_t place = 0;
                    if (Data->LocalPlace(step.Type, step.DirectCode, at->Count, place)) {
                        Data->SetCurrentAddress(place);
                        current = ++at;
                        goto saveTarget;
                    }
                } else if (step.DirectWidth != 0 && at + 1 != end) {
                    // The Load after it done with it, when the variable lies where it lay.
                    const bool hold = holds(at[1]);
                    if (Data->LoadLocal(step.Type, step.DirectCode, at->Count)) {
                        ++at;
                        push(hold, at->Type);
                        break;
                    }
                }
                Data->SetCurrentAddress(Data->AddressOf(step.Type));
                break;
            case PlanStep::Kind::Fixed:
                Data->SetCurrentAddress(step.Stride);
                known.Variable = 0;
                if (step.Count > 0) {
                    known = {step.Type, step.Stride, static_cast<std::uint32_t>(step.Count)};
                }
                break;
            case PlanStep::Kind::BeginIndex:
                ::new (&indexes[static_cast<std::size_t>(open++)].Value)
                    OpenIndex{Data->CurrentAddress(), 0, known};
                break;
            case PlanStep::Kind::IndexByGlobal:
                at += IndexByGlobal(at, end, holding);
                break;
            case PlanStep::Kind::Index: {
                const std::int64_t value = take();
                if (value < step.Integer ||
                    value >= static_cast<std::int64_t>(step.Integer) + step.Count) {
                    Data->Fail(ErrorNumber::InvalidValue);
                }
                indexes[static_cast<std::size_t>(open - 1)].Value.Offset +=
                    static_cast<std::uint32_t>(value - step.Integer) * step.Stride;
                break;
            }
            case PlanStep::Kind::EndIndex: {
                const OpenIndex& index = indexes[static_cast<std::size_t>(--open)].Value;
                Data->SetCurrentAddress(index.Base + index.Offset);
                known = index.Known;
                break;
            }
            case PlanStep::Kind::StringIndex: {
                const std::int32_t value = take();
                const OpenIndex& index = indexes[static_cast<std::size_t>(--open)].Value;
                const std::uint32_t base = index.Base;
                known = index.Known;
                const std::uint8_t* length = Data->BytesOrFail(base, 1);
                const bool outside = value < 0 || value >= step.Integer;
                const bool beyondText = value == 0 || value > *length;
                if (outside || (OptionC(OptionC::CheckOrdinalLimits) && beyondText)) {
                    Data->Fail(ErrorNumber::InvalidValue);
                }
                Data->SetCurrentAddress(base + static_cast<std::uint32_t>(value));
                break;
            }
            case PlanStep::Kind::Predefined: {
                if (committed) {
                    mark(step);
                }
                flush();
                const QbTable::RoutineApply apply = Table->Apply(step.Type);
                if (apply == nullptr) {
                    Data->Fail(ErrorNumber::NotImplemented);
                }
                apply(*this, step.Count, static_cast<std::uint16_t>(step.Stride));
                known.Variable = 0;
                break;
            }
            case PlanStep::Kind::Field:
                Data->SetCurrentAddress(Data->CurrentAddress() +
                                        static_cast<std::uint32_t>(step.Integer));
                break;
            case PlanStep::Kind::Dereference: {
                load(known, step.Type);
                known.Variable = 0;
                const auto pointed = static_cast<std::uint32_t>(acc.Integer);
                const DataAddress::Area area = DataAddress::AreaOf(pointed);
                if (pointed == DataAddress::Nil || area == DataAddress::Area::None ||
                    area == DataAddress::Area::EvaluationSlot) {
                    Data->Fail(ErrorNumber::NilDereference);
                }
                Data->SetCurrentAddress(pointed);
                break;
            }
            case PlanStep::Kind::Load: {
                const bool hold = holds(step);
                load(known, step.Type);
                known.Variable = 0;
                push(hold, step.Type);
                break;
            }
            case PlanStep::Kind::GlobalLoad: {
                const bool hold = holds(step);
                known.Variable = 0;
                Data->SetCurrentAddress(step.Stride);
                if (!Data->LoadDirect(StraightPlace(step))) {
                    Data->LoadInGlobal(static_cast<std::uint16_t>(step.Integer), step.Stride,
                                       static_cast<std::uint32_t>(step.Count), step.Type);
                }
                push(hold, step.Type);
                break;
            }
            case PlanStep::Kind::Constant: {
                const bool hold = holds(step);
                if (hold && step.Count == 0 && at + 1 != end &&
                    at[1].What == PlanStep::Kind::Operate) {
                    // An integer constant an operator takes at once (`n - 1`): held, and the
                    // operator run on it, which sets every slot of the accumulator the
                    // constant would have set.
                    held[static_cast<std::size_t>(holding++)] = {step.Integer, step.Type};
                    current = ++at;
                    goto operate;
                }
                acc.Integer = step.Integer;
                acc.Real = step.Real;
                if (step.Count > 0) {
                    acc.SetText(plan.Texts[static_cast<std::size_t>(step.Count - 1)]);
                } else {
                    acc.String[0] = step.Text[0];
                    acc.String[1] = step.Text[1];
                }
                push(hold, step.Type);
                break;
            }
            case PlanStep::Kind::Operate:
            operate : {
                const PlanStep& op = *at;
                std::int32_t value = 0;
                if (holding >= 2 && op.Integer >= 0 &&
                    op.Integer <= static_cast<int>(Operator::Power) &&
                    Data->OperateHeldAs(static_cast<Operator>(op.Integer),
                                        held[static_cast<std::size_t>(holding - 2)].Value,
                                        held[static_cast<std::size_t>(holding - 1)].Value,
                                        op.DirectCode, value)) {
                    --holding;
                    held[static_cast<std::size_t>(holding - 1)] = {value, op.Type};
                    break;
                }
                // The left operand stacked below the steps' own (a call's result held, one
                // made before the call stacked): taken off once the operator has its value.
                std::int32_t left = 0;
                if (holding == 1 && Data->EvaluationCount() > stacked && op.Integer >= 0 &&
                    op.Integer <= static_cast<int>(Operator::Power) &&
                    Data->PeekKeptInteger(left) &&
                    Data->OperateHeldAs(static_cast<Operator>(op.Integer), left, held[0].Value,
                                        op.DirectCode, value)) {
                    Data->PopKept();
                    acc.SetInteger(value);
                    held[0] = {value, op.Type};
                    break;
                }
                flush();
                Data->Operate(op.Integer, op.Type);
                break;
            }
            case PlanStep::Kind::Not: {
                flush();
                Data->PopKept();
                const std::int32_t value = acc.Integer;
                acc.SetInteger(step.Code == TypeCode::Boolean ? (value != 0 ? 0 : 1) : ~value);
                Data->PushKept(step.Type);
                break;
            }
            case PlanStep::Kind::Negate:
                flush();
                Data->PopKept();
                if (step.Code == TypeCode::Real) {
                    acc.SetReal(-acc.Real);
                } else {
                    if (acc.Integer == std::numeric_limits<std::int32_t>::min()) {
                        Data->Fail(ErrorNumber::SizeTooLarge);
                    }
                    acc.SetInteger(-acc.Integer);
                }
                Data->PushKept(step.Type);
                break;
            }
        }
        if (result != nullptr && holding == 1 && Data->EvaluationCount() == stacked) {
            result->Held = true;
            result->Value = held[0].Value;
        } else {
            flush();
        }
        if (committed) {
            mark(*current);
        }
    } catch (const InterpExcept&) {
        if (committed) {
            // An error of a step that runs no other code is reported at its token; one from a
            // call or a predefined routine was reported where that code stood.
            const PlanStep::Kind kind = current->What;
            if (kind != PlanStep::Kind::CallEnter && kind != PlanStep::Kind::Predefined &&
                kind != PlanStep::Kind::CallOpen) {
                mark(*current);
                Errors->Relocate();
            }
            throw;
        }
        Data->DropEntriesAbove(stacked);
        Data->SetCurrentAddress(address);
        if (errorBefore == 0) {
            Errors->RaiseWith(0, "");
        }
        return false;
    }
    return true;
}

int QbPascalSyntaxe::FindCasePlan(const QbLexical::SkipMark& mark) const
{
    return FindPlace(mark, CaseTagBase, CasePlans);
}

bool QbPascalSyntaxe::ReplayCase(const QbLexical::SkipMark& mark, std::size_t index,
                                 std::int32_t value, const TypePair& selector)
{
    const CasePlan& plan = CasePlans[index];
    if (!PlanHolds(plan)) {
        return false;
    }
    const int arm = plan.ArmOf(value);
    if (arm < 0) {
        if (!plan.NoArmJump) {
            return false;
        }
        Lexer->ReplayPlan(mark, plan.End);
        return true;
    }
    const auto taken = static_cast<std::size_t>(arm);
    if (taken >= plan.Arms.size() || !plan.Arms[taken].Known) {
        return false;
    }
    Lexer->ReplayPlan(mark, plan.Arms[taken].Start);
    StepPoint();
    ParseStatement();
    // The arm may have recorded plans of its own: the plan is found again by its number.
    const CasePlan& after = CasePlans[index];
    int line = 0;
    int column = 0;
    Lexer->TokenStart(line, column);
    if (taken < after.Arms.size() && after.Arms[taken].Jump && line == after.Arms[taken].EndLine &&
        column == after.Arms[taken].EndColumn && Lexer->SameReading(mark)) {
        Lexer->ReplayPlan(mark, after.End);
    } else {
        // The arm ended elsewhere than it did (a directive obeyed in it): the rest is read.
        ReadCaseArms(selector, value, arm == after.ElseArm ? 2 : 1, nullptr);
    }
    return true;
}

// Keeps what the reading found; arms executed by earlier readings under the same table stay
// known.
int QbPascalSyntaxe::KeepCasePlan(CaseRecording& recording, int index)
{
    CasePlan& plan = recording.Plan;
    const QbLexical::SkipMark& from = recording.Ran >= 0 ? recording.AfterArm : recording.Mark;
    if (!Lexer->TakeState(from, plan.End)) {
        return -1;
    }
    if (recording.Ran >= 0) {
        CasePlan::Arm& ran = plan.Arms[static_cast<std::size_t>(recording.Ran)];
        ran.Jump = true;
        ran.EndLine = recording.ArmEndLine;
        ran.EndColumn = recording.ArmEndColumn;
    } else {
        plan.NoArmJump = true;
    }
    if (index >= 0) {
        CasePlan& old = CasePlans[static_cast<std::size_t>(index)];
        if (PlanHolds(old) && old.Arms.size() == plan.Arms.size() &&
            old.Labels.size() == plan.Labels.size() && old.ElseArm == plan.ElseArm) {
            for (std::size_t k = 0; k < plan.Arms.size(); ++k) {
                if (!plan.Arms[k].Known && old.Arms[k].Known) {
                    plan.Arms[k] = old.Arms[k];
                }
            }
            plan.NoArmJump = plan.NoArmJump || old.NoArmJump;
        }
        old = std::move(plan);
        return index;
    }
    if (CasePlans.size() < MaxPlans &&
        Lexer->EndPlan(recording.Mark, CaseTagBase + static_cast<std::int32_t>(CasePlans.size()))) {
        CasePlans.push_back(std::move(plan));
        return static_cast<int>(CasePlans.size()) - 1;
    }
    return -1;
}

bool QbPascalSyntaxe::PlannableCall(EntryNumber function) const
{
    const QbTable& table = *Table;
    if (!Execute || (table.Code(function) & RoutineFlag::Predefined) != 0 ||
        table.Kind(function) != EntryKind::Function) {
        return false;
    }
    const EntryNumber result = static_cast<EntryNumber>(function + 1);
    if (table.Kind(result) != EntryKind::Variable ||
        !PlannableCode(ResolvedCode(NormalType(table.Link1(result))))) {
        return false;
    }
    for (const EntryNumber formal : FormalsOf(table, function)) {
        const std::uint8_t mode = table.Code(formal);
        const std::uint8_t code = ResolvedCode(NormalType(table.Link1(formal)));
        if ((mode != VariableMode::ValueParameter && mode != VariableMode::ConstParameter) ||
            table.Link1(formal) == 0 || !PlannableCode(code) || code == TypeCode::ProcedureType ||
            code == TypeCode::FunctionType) {
            return false;
        }
    }
    return true;
}

// What ExecuteCall does for a pupil's function, each data step recorded: the arguments'
// expressions and checks, each becoming its parameter, then the body executed apart from the
// recording (it keeps plans of its own).
void QbPascalSyntaxe::RecordedCall(EntryNumber function)
{
    PlanStep open;
    open.What = PlanStep::Kind::CallOpen;
    open.Type = function;
    RecordStep(open);
    if (Recording != nullptr) {
        Recording->Calls = true;
    }
    const CallScope scope = BeginCall(function);
    if (CurrentRoutine == 1) {
        CalledFromMain = true;
    }
    const std::uint16_t savedTop = OpenFrame();
    const std::vector<EntryNumber> formals = FormalsOf(*Table, function);
    if (!formals.empty()) {
        Lexer->ExpectSymbol("(");
        for (std::size_t i = 0; i < formals.size(); ++i) {
            if (i > 0) {
                Lexer->ExpectSymbol(",");
            }
            ExpressionPlan* const plan = Recording;
            if (plan != nullptr) {
                ++plan->Arguments;
            }
            ParseActualParameter(formals[i]);
            if (plan != nullptr) {
                --plan->Arguments;
            }
            PlanStep bind;
            bind.What = PlanStep::Kind::Bind;
            bind.Type = formals[i];
            const std::uint8_t mode = Table->Code(formals[i]);
            bind.Code = mode == VariableMode::ValueParameter || mode == VariableMode::ConstParameter
                            ? 1
                            : 0;
            RecordStep(bind);
            Data->CreateVariable(formals[i], 8195);
        }
        Lexer->ExpectSymbol(")");
    }
    PlanStep enter;
    enter.What = PlanStep::Kind::CallEnter;
    enter.Type = function;
    RecordStep(enter);
    ExpressionPlan* const plan = Recording;
    const std::uint32_t pushes = Data->PushCount();
    const std::uint32_t pops = Data->PopCount();
    const int stacked = Data->EvaluationCount();
    {
        ScopedValue<ExpressionPlan*> body(Recording, nullptr);
        RunCalled(function, savedTop);
    }
    if (plan != nullptr && Recording == plan) {
        // The result's push is the step's; the rest was the body's.
        plan->HiddenPushes += Data->PushCount() - pushes - 1;
        plan->HiddenPops += Data->PopCount() - pops;
        if (Data->EvaluationCount() != stacked + 1) {
            AbandonPlan();
        }
    }
    EndCall(scope);
}

void QbPascalSyntaxe::RecordedApply(EntryNumber function)
{
    ExpressionPlan* const plan = Recording;
    const int arguments = plan->Arguments;
    const int joined = plan->Joined;
    plan->Arguments = 1;
    plan->Joined = 0;
    const int stacked = Data->EvaluationCount();
    Call(5, function);
    // Every argument the handler popped was an expression read whole: the apply pops as many.
    // A plan abandoned on the way (by a nested reading) is left alone.
    if (Recording == plan && plan->Calls && plan->Joined > 1) {
        // The steps stack all the arguments before the apply where the reading held one at a
        // time: after a call, whose effects stay, a full evaluation stack must be the reading's.
        AbandonPlan();
    }
    if (Recording == plan) {
        PlanStep step;
        step.What = PlanStep::Kind::Predefined;
        step.Type = function;
        step.Count = plan->Joined;
        step.Stride = ExpressionType.Type;
        RecordStep(step);
        if (Data->EvaluationCount() != stacked + 1) {
            AbandonPlan();
        }
    }
    plan->Arguments = arguments;
    plan->Joined = joined;
}
