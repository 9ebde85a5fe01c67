// A plan's quick form: the integer expressions over global variables that loops are made of
// (`a[j] > a[j + 1]`, `s := s + (i * i) mod k`), replayed without the steps' machinery.
#include "frontend/QbPascalSyntaxe.h"

#include "frontend/PlanShapes.h"
#include "runtime/DataAddress.h"
#include "runtime/DataInline.h"
#include "runtime/QbGesdata.h"
#include "runtime/SystemRoutines.h"

#include <array>
#include <limits>

using namespace PlanShapes;

namespace {
bool QuickOperator(std::int32_t op)
{
    switch (static_cast<Operator>(op)) {
    case Operator::Multiply:
    case Operator::Div:
    case Operator::Mod:
    case Operator::Plus:
    case Operator::Minus:
    case Operator::LessEqual:
    case Operator::NotEqual:
    case Operator::Equal:
    case Operator::Less:
    case Operator::GreaterEqual:
    case Operator::Greater:
        return op >= 0;
    default:
        return false;
    }
}
} // namespace

// The steps from `at` reach an element of a global array: its Fixed step, an IndexByGlobal
// and the steps it covers. `out` becomes the element, of `type` (its Place's width 0 when its
// value does not go straight), and `at` moves past them; false when the quick form cannot
// take it.
bool QbPascalSyntaxe::QuickElement(const std::vector<PlanStep>& steps, std::size_t& at,
                                   std::uint16_t type, QuickStep& out) const
{
    if (at + 1 >= steps.size() || steps[at].What != PlanStep::Kind::Fixed || steps[at].Count <= 0 ||
        steps[at + 1].What != PlanStep::Kind::IndexByGlobal) {
        return false;
    }
    const PlanStep& array = steps[at];
    const PlanStep& index = steps[at + 1];
    const std::size_t covered = index.Code;
    if (at + 2 + covered > steps.size() || index.Count <= 0 || index.Stride == 0 ||
        !StraightHeld(steps[at + 3])) {
        return false;
    }
    const auto size = static_cast<std::uint32_t>(array.Count);
    out.What = QuickStep::Kind::Element;
    out.Place = Data->DirectPlaceOf(array.Type, array.Stride, size, type);
    out.Place.Variable = array.Type;
    out.Place.Offset = array.Stride - DataAddress::GlobalBase;
    // Every element the bounds let through lies inside the array.
    const std::uint64_t end =
        std::uint64_t{static_cast<std::uint32_t>(index.Count - 1)} * index.Stride + out.Place.Width;
    if (array.Stride < DataAddress::GlobalBase || end > size) {
        out.Place.Width = 0;
    }
    out.Index = StraightPlace(steps[at + 3]);
    out.Low = index.Integer;
    out.Count = index.Count;
    out.Stride = index.Stride;
    if (covered == 6) {
        const PlanStep& op = steps[at + 5];
        out.Offset = true;
        out.Value = steps[at + 4].Integer;
        out.Operator = static_cast<std::uint8_t>(op.Integer);
        out.ResultCode = Data->KeptCode(op.Type);
        if (!SystemRoutine::IsIntegerCode(out.ResultCode)) {
            return false;
        }
    }
    at += 2 + covered;
    return true;
}

// The store of an assignment's quick form, when its value goes straight into the target: the
// checks FinishAssignment makes of it, found once.
void QbPascalSyntaxe::QuickStoreOf(const PlanStep& assign, QuickForm& quick) const
{
    const std::uint8_t code = assign.Code;
    if (code == TypeCode::Real) {
        return;
    }
    DirectPlace store;
    if (quick.ToElement) {
        store = quick.TargetElement.Place;
    } else if (quick.Target.DirectWidth != 0) {
        store = {quick.Target.Variable, quick.Target.DirectCode, quick.Target.DirectWidth,
                 quick.Target.Start - DataAddress::GlobalBase};
    }
    if (store.Width == 0) {
        return;
    }
    quick.Stores = true;
    quick.Store = store;
    quick.StoreLow = std::numeric_limits<std::int32_t>::min();
    quick.StoreHigh = std::numeric_limits<std::int32_t>::max();
    if (SystemRoutine::IsOrdinalCode(code) && code != TypeCode::Longint &&
        OptionC(OptionC::CheckOrdinalLimits)) {
        TypeRange(assign.Type, quick.StoreLow, quick.StoreHigh);
    }
}

// FinishAssignment of an integer the quick form held, when it goes straight into the target:
// false, with the accumulator and the current address as FinishAssignment sets them, when
// FinishAssignment must take it.
bool QbPascalSyntaxe::QuickStore(const QuickForm& quick, const PlanTarget& target,
                                 std::int32_t value)
{
    if (!quick.Stores || value < quick.StoreLow || value > quick.StoreHigh) {
        return false;
    }
    QbGesdata& data = *Data;
    data.Acc.SetInteger(value);
    data.SetCurrentAddress(target.Address);
    DirectPlace place = quick.Store;
    place.Offset = target.Address - DataAddress::GlobalBase;
    return data.StoreDirect(place);
}

// The plan's quick form, when it has one: an assignment's target (a whole global or an element
// of a global array), then the expression from its Clear step.
void QbPascalSyntaxe::MakeQuickForm(ExpressionPlan& plan) const
{
    plan.Quick = {};
    QuickForm quick;
    const std::vector<PlanStep>& steps = plan.Steps;
    const auto at = [&steps](std::size_t k, PlanStep::Kind kind) {
        return k < steps.size() && steps[k].What == kind;
    };
    std::size_t i = 0;
    std::size_t end = steps.size();
    if (plan.Statement) {
        if (steps.empty() || !at(0, PlanStep::Kind::Fixed) || steps[0].Count <= 0 ||
            !at(end - 1, PlanStep::Kind::Assign)) {
            return;
        }
        const PlanStep& whole = steps[0];
        quick.Assigns = true;
        quick.Target = {whole.Stride, whole.Type, whole.Stride,
                        static_cast<std::uint32_t>(whole.Count)};
        if (at(1, PlanStep::Kind::IndexByGlobal)) {
            if (!QuickElement(steps, i, steps.back().Type, quick.TargetElement)) {
                return;
            }
            quick.ToElement = true;
        } else {
            i = 1;
        }
        if (!at(i, PlanStep::Kind::SaveTarget)) {
            return;
        }
        quick.Target.DirectCode = steps[i].DirectCode;
        quick.Target.DirectWidth = steps[i].DirectWidth;
        ++i;
        --end;
        QuickStoreOf(steps.back(), quick);
    }
    if (!at(i, PlanStep::Kind::Clear)) {
        return;
    }
    ++i;
    int depth = 0;
    while (i < end) {
        const PlanStep& step = steps[i];
        QuickStep made;
        quick.LastConstant = -1;
        quick.ResultType = step.Type;
        if (StraightHeld(step)) {
            made.What = QuickStep::Kind::Global;
            made.Place = StraightPlace(step);
            ++depth;
            ++i;
        } else if (ConstantHeld(step)) {
            made.What = QuickStep::Kind::Constant;
            made.Value = step.Integer;
            quick.LastConstant = static_cast<int>(i);
            ++depth;
            ++i;
        } else if (step.What == PlanStep::Kind::Fixed && at(i + 1, PlanStep::Kind::IndexByGlobal)) {
            const std::size_t load = i + 2 + steps[i + 1].Code;
            if (!at(load, PlanStep::Kind::Load) || steps[load].Code != HeldInteger ||
                !QuickElement(steps, i, steps[load].Type, made) || i != load ||
                made.Place.Width == 0 ||
                QbGesdata::RepresentationOf(made.Place.Code) != Representation::Integer) {
                return;
            }
            quick.ResultType = steps[load].Type;
            ++depth;
            ++i;
        } else if (step.What == PlanStep::Kind::Operate && QuickOperator(step.Integer) &&
                   depth >= 2) {
            made.What = QuickStep::Kind::Operate;
            made.Operator = static_cast<std::uint8_t>(step.Integer);
            const auto op = static_cast<Operator>(step.Integer);
            if (op == Operator::Plus || op == Operator::Minus || op == Operator::Multiply) {
                made.ResultCode = Data->KeptCode(step.Type);
                if (!SystemRoutine::IsIntegerCode(made.ResultCode)) {
                    return;
                }
            }
            quick.Operates = true;
            --depth;
            ++i;
        } else {
            return;
        }
        if (depth > MaxHeld) {
            return;
        }
        quick.Depth = static_cast<std::uint8_t>(std::max<int>(quick.Depth, depth));
        quick.Steps.push_back(made);
    }
    if (depth == 1) {
        plan.Quick = std::move(quick);
    }
}

// The address of the element `step` indexes; false when its index has no value yet, overflows
// or lies outside its bounds.
bool QbPascalSyntaxe::QuickElementAt(const QuickStep& step, std::uint32_t& address)
{
    std::int32_t read = 0;
    if (!Data->PeekDirect(step.Index, read)) {
        return false;
    }
    std::int64_t index = read;
    if (step.Offset && !QbGesdata::IntegerResultOf(static_cast<Operator>(step.Operator), index,
                                                   step.Value, step.ResultCode, index)) {
        return false;
    }
    if (index < step.Low || index >= static_cast<std::int64_t>(step.Low) + step.Count) {
        return false;
    }
    address = DataAddress::GlobalBase + step.Place.Offset +
              static_cast<std::uint32_t>(index - step.Low) * step.Stride;
    return true;
}

// RunPlan by the plan's quick form: the same target, result and accumulator, the current
// address where the steps leave it. False, with nothing changed, when RunPlan must take it.
bool QbPascalSyntaxe::RunQuickPlan(const ExpressionPlan& plan, PlanTarget& target, HeldResult& held)
{
    const QuickForm& quick = plan.Quick;
    QbGesdata& data = *Data;
    if (!data.RoomFor(quick.Depth) || (quick.Operates && data.HoldsReference())) {
        return false;
    }
    std::array<std::int64_t, MaxHeld> values;
    int top = 0;
    std::uint32_t address = data.CurrentAddress();
    if (quick.Assigns) {
        target = quick.Target;
        if (quick.ToElement && !QuickElementAt(quick.TargetElement, target.Address)) {
            return false;
        }
        address = target.Address;
    }
    for (const QuickStep& step : quick.Steps) {
        switch (step.What) {
        case QuickStep::Kind::Global: {
            std::int32_t value = 0;
            if (!data.PeekDirect(step.Place, value)) {
                return false;
            }
            values[static_cast<std::size_t>(top++)] = value;
            address = DataAddress::GlobalBase + step.Place.Offset;
            break;
        }
        case QuickStep::Kind::Constant:
            values[static_cast<std::size_t>(top++)] = step.Value;
            break;
        case QuickStep::Kind::Element: {
            std::uint32_t element = 0;
            std::int32_t value = 0;
            if (!QuickElementAt(step, element) ||
                !data.PeekDirect({step.Place.Variable, step.Place.Code, step.Place.Width,
                                  element - DataAddress::GlobalBase},
                                 value)) {
                return false;
            }
            values[static_cast<std::size_t>(top++)] = value;
            address = element;
            break;
        }
        case QuickStep::Kind::Operate: {
            std::int64_t& left = values[static_cast<std::size_t>(top - 2)];
            if (!QbGesdata::IntegerResultOf(static_cast<Operator>(step.Operator), left,
                                            values[static_cast<std::size_t>(top - 1)],
                                            step.ResultCode, left)) {
                return false;
            }
            --top;
            break;
        }
        }
    }
    // The accumulator as the last step leaves it.
    const auto value = static_cast<std::int32_t>(values[0]);
    data.ClearAccumulator();
    Accumulator& acc = data.Acc;
    if (quick.LastConstant >= 0) {
        const PlanStep& constant = plan.Steps[static_cast<std::size_t>(quick.LastConstant)];
        acc.Integer = constant.Integer;
        acc.Real = constant.Real;
        acc.String[0] = constant.Text[0];
        acc.String[1] = constant.Text[1];
    } else {
        acc.SetInteger(value);
    }
    data.SetCurrentAddress(address);
    held.Held = true;
    held.Value = value;
    return true;
}

bool QbPascalSyntaxe::ReplayPushed(ExpressionPlan& plan, PlanTarget& target)
{
    HeldResult held;
    if (plan.Quick.Steps.empty() || !RunQuickPlan(plan, target, held)) {
        return RunPlan(plan, target);
    }
    Data->Acc.SetInteger(held.Value);
    Data->PushKept(plan.Quick.ResultType);
    return true;
}
