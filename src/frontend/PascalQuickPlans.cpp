// A plan's quick form: the integer expressions over global variables and a routine's own
// scalars that loops and small functions are made of (`a[j] > a[j + 1]`,
// `s := s + (i * i) mod k`, `n < 2`), replayed without the steps' machinery.
#include "frontend/QbPascalSyntaxe.h"

#include "frontend/PlanShapes.h"
#include "runtime/DataAddress.h"
#include "runtime/DataInline.h"
#include "runtime/QbGesdata.h"
#include "runtime/SystemRoutines.h"

#include <array>
#include <cmath>
#include <limits>
#include <optional>

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

bool QbPascalSyntaxe::StraightLocal(std::uint16_t variable, std::uint16_t type,
                                    std::uint8_t& code) const
{
    const QbTable& table = *Table;
    if (!table.IsEntry(variable) || table.Kind(variable) != EntryKind::Variable) {
        return false;
    }
    const std::uint16_t owner = table.Owner(variable);
    if (owner == 0 || table.Owner(owner) == 0 ||
        (table.Kind(owner) != EntryKind::Procedure && table.Kind(owner) != EntryKind::Function)) {
        return false;
    }
    const std::uint8_t mode = table.Code(variable);
    if (mode == VariableMode::VarParameter || mode == VariableMode::OutParameter) {
        return false;
    }
    code = Data->KeptCode(type);
    return QbGesdata::DirectWidth(code) != 0;
}

// The steps from `at` reach a field of the heap cell a whole global pointer points to: its
// Fixed step, Dereference and Field (none for the first field). `out` becomes it (its FieldCode
// left to the caller) and `at` moves past them; false when the quick form cannot take it.
bool QbPascalSyntaxe::QuickField(const std::vector<PlanStep>& steps, std::size_t& at,
                                 QuickStep& out) const
{
    const auto is = [&steps](std::size_t k, PlanStep::Kind kind) {
        return k < steps.size() && steps[k].What == kind;
    };
    if (!is(at, PlanStep::Kind::Fixed) || steps[at].Count < 4 ||
        steps[at].Stride < DataAddress::GlobalBase || !is(at + 1, PlanStep::Kind::Dereference) ||
        Data->KeptCode(steps[at + 1].Type) != TypeCode::Pointer ||
        Data->KeptCode(Data->TypeOfVariable(steps[at].Type)) != TypeCode::Pointer) {
        return false;
    }
    out = {};
    out.What = QuickStep::Kind::Field;
    out.Place = {steps[at].Type, TypeCode::Pointer, 4, steps[at].Stride - DataAddress::GlobalBase};
    std::size_t k = at + 2;
    if (is(k, PlanStep::Kind::Field)) {
        if (steps[k].Integer < 0) {
            return false;
        }
        out.Value = steps[k].Integer;
        ++k;
    }
    at = k;
    return true;
}

// The steps from `at` reach an element of a global array: its Fixed step, then BeginIndex, an
// index for each dimension (a global integer, plus or minus a constant) and EndIndex, an
// IndexByGlobal before them or not. `out` becomes the element, of `type` (none: the type of
// the Load after them; its Place's width 0 when its value does not go straight), and `at` moves
// past them; false when the quick form cannot take it.
bool QbPascalSyntaxe::QuickElement(const std::vector<PlanStep>& steps, std::size_t& at,
                                   std::optional<std::uint16_t> type, QuickStep& out) const
{
    const auto is = [&steps](std::size_t k, PlanStep::Kind kind) {
        return k < steps.size() && steps[k].What == kind;
    };
    if (!is(at, PlanStep::Kind::Fixed) || steps[at].Count <= 0) {
        return false;
    }
    const PlanStep& array = steps[at];
    std::size_t k = at + 1;
    if (is(k, PlanStep::Kind::IndexByGlobal)) {
        ++k;
    }
    if (!is(k, PlanStep::Kind::BeginIndex)) {
        return false;
    }
    ++k;
    out = {};
    out.What = QuickStep::Kind::Element;
    std::uint64_t last = 0; // the offset of the last element
    while (!is(k, PlanStep::Kind::EndIndex)) {
        if (out.Indexes == QuickStep::MaxIndexes || k >= steps.size()) {
            return false;
        }
        QuickIndex& index = out.Index[out.Indexes++];
        if (ConstantHeld(steps[k])) {
            // A constant index, its place none.
            index.Value = steps[k].Integer;
            index.From = static_cast<std::int32_t>(k);
        } else if (StraightHeld(steps[k])) {
            index.Place = StraightPlace(steps[k]);
        } else {
            return false;
        }
        ++k;
        if (index.From < 0 && k + 1 < steps.size() && ConstantHeld(steps[k]) &&
            is(k + 1, PlanStep::Kind::Operate) &&
            (steps[k + 1].Integer == static_cast<int>(Operator::Plus) ||
             steps[k + 1].Integer == static_cast<int>(Operator::Minus))) {
            index.Offset = true;
            index.Value = steps[k].Integer;
            index.Operator = static_cast<std::uint8_t>(steps[k + 1].Integer);
            index.ResultCode = Data->KeptCode(steps[k + 1].Type);
            if (!SystemRoutine::IsIntegerCode(index.ResultCode)) {
                return false;
            }
            k += 2;
        }
        if (!is(k, PlanStep::Kind::Index) || steps[k].Count <= 0 || steps[k].Stride == 0) {
            return false;
        }
        index.Low = steps[k].Integer;
        index.Count = steps[k].Count;
        index.Stride = steps[k].Stride;
        if (index.From >= 0 &&
            (index.Value < index.Low ||
             index.Value - static_cast<std::int64_t>(index.Low) >= index.Count)) {
            return false;
        }
        last += std::uint64_t{static_cast<std::uint32_t>(index.Count - 1)} * index.Stride;
        ++k;
    }
    if (out.Indexes == 0) {
        return false;
    }
    // An element read is of the type its Load says.
    if (!type) {
        if (!is(k + 1, PlanStep::Kind::Load)) {
            return false;
        }
        type = steps[k + 1].Type;
    }
    const auto size = static_cast<std::uint32_t>(array.Count);
    out.Place = Data->DirectPlaceOf(array.Type, array.Stride, size, *type);
    out.Place.Variable = array.Type;
    out.Place.Offset = array.Stride - DataAddress::GlobalBase;
    // Every element the bounds let through lies inside the array.
    if (array.Stride < DataAddress::GlobalBase || last + out.Place.Width > size) {
        out.Place.Width = 0;
    }
    at = k + 1;
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
    if (quick.ToField) {
        return;
    }
    if (quick.ToLocal) {
        store = quick.TargetElement.Place;
    } else if (quick.ToElement) {
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
        if (steps.empty() || !at(end - 1, PlanStep::Kind::Assign)) {
            return;
        }
        std::uint8_t code = 0;
        if (at(0, PlanStep::Kind::Address) && at(1, PlanStep::Kind::SaveTarget) &&
            StraightLocal(steps[0].Type, steps.back().Type, code) && code == steps.back().Code) {
            // The target's address is found at each replay, as its Address step finds it.
            quick.ToLocal = true;
            quick.TargetElement.What = QuickStep::Kind::Local;
            quick.TargetElement.Place = {
                steps[0].Type, code, static_cast<std::uint8_t>(QbGesdata::DirectWidth(code)), 0};
            i = 1;
        } else if (std::size_t k = 0;
                   QuickField(steps, k, quick.TargetElement) && at(k, PlanStep::Kind::SaveTarget)) {
            // The field's address is found at each replay; the store is FinishAssignment's.
            quick.ToField = true;
            quick.Pointers = true;
            i = k;
        } else if (at(0, PlanStep::Kind::Fixed) && steps[0].Count > 0) {
            const PlanStep& whole = steps[0];
            quick.Target = {whole.Stride, whole.Type, whole.Stride,
                            static_cast<std::uint32_t>(whole.Count)};
            if (at(1, PlanStep::Kind::IndexByGlobal) || at(1, PlanStep::Kind::BeginIndex)) {
                if (!QuickElement(steps, i, steps.back().Type, quick.TargetElement)) {
                    return;
                }
                quick.ToElement = true;
            } else {
                i = 1;
            }
        } else {
            return;
        }
        quick.Assigns = true;
        if (!at(i, PlanStep::Kind::SaveTarget)) {
            return;
        }
        quick.Target.DirectCode = steps[i].DirectCode;
        quick.Target.DirectWidth = steps[i].DirectWidth;
        ++i;
        --end;
        QuickStoreOf(steps.back(), quick);
        // Without a quick form for its expression, the assignment still stores straight the
        // integer its steps leave held.
        if (quick.Stores) {
            QuickForm& store = plan.Quick;
            store.Stores = true;
            store.Store = quick.Store;
            store.StoreLow = quick.StoreLow;
            store.StoreHigh = quick.StoreHigh;
            store.ToLocal = quick.ToLocal;
            store.TargetElement = quick.TargetElement;
        }
    }
    if (!at(i, PlanStep::Kind::Clear)) {
        return;
    }
    ++i;
    // The kinds of the values held (a real or not), as the steps leave them.
    std::array<bool, MaxHeld> reals{};
    std::array<bool, MaxHeld> pointers{};
    int depth = 0;
    const auto held = [&depth, &reals, &pointers](const QuickStep& made) {
        if (depth >= MaxHeld) {
            return false;
        }
        reals[static_cast<std::size_t>(depth)] = made.Real;
        pointers[static_cast<std::size_t>(depth)] = made.Pointer;
        ++depth;
        return true;
    };
    const auto pointerCode = [this](std::uint16_t type) {
        return Data->KeptCode(type) == TypeCode::Pointer;
    };
    const auto realCode = [this](std::uint16_t type) {
        return Data->KeptCode(type) == TypeCode::Real;
    };
    while (i < end) {
        const PlanStep& step = steps[i];
        QuickStep made;
        quick.ResultType = step.Type;
        if (step.What == PlanStep::Kind::GlobalLoad && step.DirectWidth != 0 &&
            (step.Code == HeldInteger || step.DirectCode == TypeCode::Real)) {
            made.What = QuickStep::Kind::Global;
            made.Real = step.Code != HeldInteger;
            made.Place = StraightPlace(step);
            ++i;
        } else if (step.What == PlanStep::Kind::Address && step.DirectWidth != 0 &&
                   at(i + 1, PlanStep::Kind::Load) &&
                   (steps[i + 1].Code == HeldInteger || step.DirectCode == TypeCode::Real)) {
            made.What = QuickStep::Kind::Local;
            made.Real = step.DirectCode == TypeCode::Real;
            made.Place = {step.Type, step.DirectCode, step.DirectWidth, 0};
            quick.ResultType = steps[i + 1].Type;
            i += 2;
        } else if (step.What == PlanStep::Kind::GlobalLoad && pointerCode(step.Type) &&
                   step.Count >= 4 && step.Stride >= DataAddress::GlobalBase) {
            // A whole global pointer.
            made.What = QuickStep::Kind::Global;
            made.Pointer = true;
            made.Place = {static_cast<std::uint16_t>(step.Integer), TypeCode::Pointer, 4,
                          step.Stride - DataAddress::GlobalBase};
            ++i;
        } else if (step.What == PlanStep::Kind::Constant && step.Count == 0 &&
                   (step.Code == HeldInteger || realCode(step.Type) || pointerCode(step.Type))) {
            made.What = QuickStep::Kind::Constant;
            made.Real = realCode(step.Type);
            made.Pointer = pointerCode(step.Type);
            made.Value = step.Integer;
            made.RealValue = step.Real;
            made.From = static_cast<std::int32_t>(i);
            ++i;
        } else if (step.What == PlanStep::Kind::Fixed && at(i + 1, PlanStep::Kind::Dereference)) {
            // A field of a heap cell read: an integer or a pointer.
            if (!QuickField(steps, i, made) || !at(i, PlanStep::Kind::Load)) {
                return;
            }
            made.FieldCode = Data->KeptCode(steps[i].Type);
            made.Pointer = made.FieldCode == TypeCode::Pointer;
            if (!made.Pointer &&
                (steps[i].Code != HeldInteger || QbGesdata::DirectWidth(made.FieldCode) == 0)) {
                return;
            }
            quick.ResultType = steps[i].Type;
            ++i;
        } else if (step.What == PlanStep::Kind::Fixed) {
            // An element read: its Load follows the indexes.
            if (!QuickElement(steps, i, std::nullopt, made) || !at(i, PlanStep::Kind::Load) ||
                made.Place.Width == 0) {
                return;
            }
            made.Real = made.Place.Code == TypeCode::Real;
            if (!made.Real &&
                (steps[i].Code != HeldInteger ||
                 QbGesdata::RepresentationOf(made.Place.Code) != Representation::Integer)) {
                return;
            }
            quick.ResultType = steps[i].Type;
            ++i;
        } else if (step.What == PlanStep::Kind::Operate && depth >= 2) {
            const bool left = reals[static_cast<std::size_t>(depth - 2)];
            const bool right = reals[static_cast<std::size_t>(depth - 1)];
            const bool leftPointer = pointers[static_cast<std::size_t>(depth - 2)];
            const bool rightPointer = pointers[static_cast<std::size_t>(depth - 1)];
            const auto op = static_cast<Operator>(step.Integer);
            made.What = QuickStep::Kind::Operate;
            made.Operator = static_cast<std::uint8_t>(step.Integer);
            made.ResultCode = Data->KeptCode(step.Type);
            if (leftPointer || rightPointer) {
                // Two pointers compared for equality, nothing else.
                if (!leftPointer || !rightPointer ||
                    (op != Operator::Equal && op != Operator::NotEqual) || step.Integer < 0) {
                    return;
                }
            } else if (left && right) {
                // What OperateReals takes.
                if ((op != Operator::Plus && op != Operator::Minus && op != Operator::Multiply) ||
                    step.Integer < 0 || made.ResultCode != TypeCode::Real) {
                    return;
                }
                made.Real = true;
            } else if (left || right || !QuickOperator(step.Integer) ||
                       ((op == Operator::Plus || op == Operator::Minus ||
                         op == Operator::Multiply) &&
                        !SystemRoutine::IsIntegerCode(made.ResultCode))) {
                return;
            }
            quick.Operates = true;
            depth -= 2;
            ++i;
        } else {
            return;
        }
        if (!held(made)) {
            return;
        }
        quick.Pointers = quick.Pointers || made.Pointer || made.What == QuickStep::Kind::Field;
        quick.Depth = static_cast<std::uint8_t>(std::max<int>(quick.Depth, depth));
        quick.Steps.push_back(made);
    }
    if (depth == 1) {
        quick.Real = reals[0];
        quick.ConstantOnly = quick.Steps.size() == 1 && !quick.Real &&
                             quick.Steps.front().What == QuickStep::Kind::Constant;
        const auto integer = [&quick](std::size_t k, QuickStep::Kind kind) {
            return quick.Steps[k].What == kind && !quick.Steps[k].Real;
        };
        quick.LocalConstant =
            quick.Steps.size() == 3 && !quick.Real && integer(0, QuickStep::Kind::Local) &&
            integer(1, QuickStep::Kind::Constant) && integer(2, QuickStep::Kind::Operate);
        plan.Quick = std::move(quick);
    }
}

// The address of the element `step` reaches, `last` the value of its last index (`from` its
// step when it is a constant, else -1); false when an index has no value yet, overflows or lies
// outside its bounds.
[[gnu::always_inline]] inline bool QbPascalSyntaxe::QuickElementAt(const QuickStep& step,
                                                                   std::uint32_t& address,
                                                                   std::int32_t& last,
                                                                   std::int32_t& from)
{
    std::uint32_t offset = 0;
    for (int k = 0; k < step.Indexes; ++k) {
        const QuickIndex& index = step.Index[static_cast<std::size_t>(k)];
        from = index.From;
        std::int32_t read = index.Value;
        if (index.From < 0 && !Data->PeekDirect(index.Place, read)) {
            return false;
        }
        std::int64_t value = read;
        if (index.Offset &&
            !QbGesdata::IntegerResultOf(static_cast<Operator>(index.Operator), value, index.Value,
                                        index.ResultCode, value)) {
            return false;
        }
        if (value < index.Low || value >= static_cast<std::int64_t>(index.Low) + index.Count) {
            return false;
        }
        offset += static_cast<std::uint32_t>(value - index.Low) * index.Stride;
        last = static_cast<std::int32_t>(value);
    }
    address = DataAddress::GlobalBase + step.Place.Offset + offset;
    return true;
}

// The address of the field `step` reaches; false when its pointer has no value yet or points
// to no cell of the heap (the steps then raise what they raise).
[[gnu::always_inline]] inline bool QbPascalSyntaxe::QuickFieldAt(const QuickStep& step,
                                                                 std::uint32_t& address)
{
    std::int32_t pointer = 0;
    if (!Data->PeekDirect(step.Place, pointer) ||
        DataAddress::AreaOf(static_cast<std::uint32_t>(pointer)) != DataAddress::Area::Heap) {
        return false;
    }
    address = static_cast<std::uint32_t>(pointer) + static_cast<std::uint32_t>(step.Value);
    return true;
}

// The address of a quick form's target in the routine's frame or in a heap cell; false when
// the steps must find it (out of line: most targets are globals).
[[gnu::noinline]] bool QbPascalSyntaxe::QuickTargetAt(const QuickForm& quick, PlanTarget& target)
{
    const QuickStep& element = quick.TargetElement;
    if (quick.ToLocal) {
        return Data->LocalPlace(element.Place.Variable, element.Place.Code, element.Distance,
                                target.Address, &target.Descriptor);
    }
    return QuickFieldAt(element, target.Address);
}

// RunQuickPlan for a form of integers only, or (`Reals`) of a real value.
template <bool Reals>
bool QbPascalSyntaxe::RunQuick(const ExpressionPlan& plan, PlanTarget& target, HeldResult& held)
{
    const QuickForm& quick = plan.Quick;
    QbGesdata& data = *Data;
    // A pointer's reading moves references through the stack, which the heap's view shows:
    // only a run nobody watches skips them.
    if (!data.RoomFor(Reals ? 2 * quick.Depth : quick.Depth) ||
        (quick.Operates && data.HoldsReference()) || (quick.Pointers && HostMayStop())) {
        return false;
    }
    std::array<std::int64_t, MaxHeld> values;
    std::array<double, MaxHeld> reals;
    int top = 0;
    // What the steps leave in the accumulator besides a real: the last integer they loaded or
    // made (Integer), or the last constant (Constant, its step's index in From).
    enum class Left : std::uint8_t
    {
        Nothing,
        Integer,
        Constant
    };
    Left left = Left::Nothing;
    std::int32_t integer = 0;
    std::int32_t from = 0;
    // An integer a step read, held at `at` and left in the accumulator as its Load leaves it.
    const auto took = [&values, &left, &integer](std::size_t at, std::int32_t value) {
        values[at] = value;
        left = Left::Integer;
        integer = value;
    };
    std::uint32_t address = data.CurrentAddress();
    if (quick.Assigns) {
        target = quick.Target;
        if (quick.ToElement) {
            if (!QuickElementAt(quick.TargetElement, target.Address, integer, from)) {
                return false;
            }
        } else if ((quick.ToLocal || quick.ToField) && !QuickTargetAt(quick, target)) {
            return false;
        }
        address = target.Address;
    }
    if constexpr (!Reals) {
        if (quick.ConstantOnly) {
            // A constant alone (`t[j] := FALSE`): what the steps below would leave.
            const QuickStep& only = quick.Steps.front();
            const PlanStep& made = plan.Steps[static_cast<std::size_t>(only.From)];
            data.ClearAccumulator();
            Accumulator& acc = data.Acc;
            acc.Integer = made.Integer;
            acc.Real = made.Real;
            acc.String[0] = made.Text[0];
            acc.String[1] = made.Text[1];
            data.SetCurrentAddress(address);
            held.Held = true;
            held.Value = only.Value;
            return true;
        }
        if (quick.LocalConstant) {
            // What the three steps below leave: the local's address, the operator's value.
            const QuickStep& local = quick.Steps[0];
            const QuickStep& operate = quick.Steps[2];
            std::int32_t value = 0;
            std::int64_t result = 0;
            if (!data.PeekLocal(local.Place.Variable, local.Place.Code, local.Distance, address,
                                value) ||
                !QbGesdata::IntegerResultOf(static_cast<Operator>(operate.Operator), value,
                                            quick.Steps[1].Value, operate.ResultCode, result)) {
                return false;
            }
            data.ClearAccumulator();
            data.SetCurrentAddress(address);
            data.Acc.SetInteger(static_cast<std::int32_t>(result));
            held.Held = true;
            held.Value = static_cast<std::int32_t>(result);
            return true;
        }
    }
    for (const QuickStep& step : quick.Steps) {
        const auto at = static_cast<std::size_t>(top);
        switch (step.What) {
        case QuickStep::Kind::Global:
            if (Reals && step.Real) {
                if (!data.PeekDirect(step.Place, reals[at])) {
                    return false;
                }
            } else {
                std::int32_t value = 0;
                if (!data.PeekDirect(step.Place, value)) {
                    return false;
                }
                took(at, value);
            }
            address = DataAddress::GlobalBase + step.Place.Offset;
            ++top;
            break;
        case QuickStep::Kind::Local:
            if (Reals && step.Real) {
                if (!data.PeekLocal(step.Place.Variable, step.Place.Code, step.Distance, address,
                                    reals[at])) {
                    return false;
                }
            } else {
                std::int32_t value = 0;
                if (!data.PeekLocal(step.Place.Variable, step.Place.Code, step.Distance, address,
                                    value)) {
                    return false;
                }
                took(at, value);
            }
            ++top;
            break;
        case QuickStep::Kind::Field: {
            std::uint32_t field = 0;
            const std::uint8_t* bytes = nullptr;
            if (!QuickFieldAt(step, field) ||
                (bytes = data.HeapBytes(
                     field, step.Pointer ? 4 : QbGesdata::DirectWidth(step.FieldCode))) ==
                    nullptr) {
                return false;
            }
            took(at, QbGesdata::ScalarValue(step.FieldCode, bytes));
            address = field;
            ++top;
            break;
        }
        case QuickStep::Kind::Constant:
            values[at] = step.Value;
            reals[at] = step.RealValue;
            left = Left::Constant;
            from = step.From;
            ++top;
            break;
        case QuickStep::Kind::Element: {
            std::uint32_t element = 0;
            if (!QuickElementAt(step, element, integer, from)) {
                return false;
            }
            const DirectPlace place{step.Place.Variable, step.Place.Code, step.Place.Width,
                                    element - DataAddress::GlobalBase};
            left = from >= 0 ? Left::Constant : Left::Integer;
            if (Reals && step.Real) {
                if (!data.PeekDirect(place, reals[at])) {
                    return false;
                }
            } else {
                std::int32_t value = 0;
                if (!data.PeekDirect(place, value)) {
                    return false;
                }
                took(at, value);
            }
            address = element;
            ++top;
            break;
        }
        case QuickStep::Kind::Operate:
            if (Reals && step.Real) {
                // What OperateReals does; an infinite result is the general path's error.
                double& value = reals[at - 2];
                const double right = reals[at - 1];
                value = step.Operator == static_cast<std::uint8_t>(Operator::Plus) ? value + right
                        : step.Operator == static_cast<std::uint8_t>(Operator::Minus)
                            ? value - right
                            : value * right;
                if (!std::isfinite(value)) {
                    return false;
                }
            } else {
                std::int64_t& value = values[at - 2];
                if (!QbGesdata::IntegerResultOf(static_cast<Operator>(step.Operator), value,
                                                values[at - 1], step.ResultCode, value)) {
                    return false;
                }
                left = Left::Integer;
                integer = static_cast<std::int32_t>(value);
            }
            --top;
            break;
        }
    }
    data.ClearAccumulator();
    Accumulator& acc = data.Acc;
    const auto constant = [&plan, &acc](std::int32_t step) {
        const PlanStep& made = plan.Steps[static_cast<std::size_t>(step)];
        acc.Integer = made.Integer;
        acc.Real = made.Real;
        acc.String[0] = made.Text[0];
        acc.String[1] = made.Text[1];
    };
    data.SetCurrentAddress(address);
    if constexpr (Reals) {
        // The real pushed as the steps push it, the accumulator's other slots as they left them.
        if (left == Left::Integer) {
            acc.SetInteger(integer);
        } else if (left == Left::Constant) {
            constant(from);
        }
        acc.Real = reals[0];
        data.PushKept(quick.ResultType);
        held.Held = false;
    } else {
        // An integer form's last step left its value, or its constant, there.
        const auto value = static_cast<std::int32_t>(values[0]);
        const QuickStep& last = quick.Steps.back();
        if (last.What == QuickStep::Kind::Constant) {
            constant(last.From);
        } else {
            acc.SetInteger(value);
        }
        held.Held = true;
        held.Value = value;
    }
    return true;
}

bool QbPascalSyntaxe::ReplayPushed(ExpressionPlan& plan, PlanTarget& target)
{
    HeldResult held;
    if (plan.Quick.Steps.empty() || !RunQuickPlan(plan, target, held)) {
        return RunPlan(plan, target);
    }
    if (held.Held) {
        Data->Acc.SetInteger(held.Value);
        Data->PushKept(plan.Quick.ResultType);
    }
    return true;
}

template bool QbPascalSyntaxe::RunQuick<false>(const ExpressionPlan&, PlanTarget&, HeldResult&);
template bool QbPascalSyntaxe::RunQuick<true>(const ExpressionPlan&, PlanTarget&, HeldResult&);
