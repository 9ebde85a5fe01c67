// What a replay makes of a plan's steps: the integers it holds, and the global values it
// reads straight.
#pragma once

#include "frontend/ExpressionPlan.h"
#include "runtime/DataAddress.h"

#include <cstdint>

namespace PlanShapes {
// Integers a replay holds before pushing them.
constexpr int MaxHeld = 8;
// A Load, GlobalLoad or Constant step's Code when its value is an integer a replay may hold.
constexpr std::uint8_t HeldInteger = 1;

// The whole global variable a GlobalLoad step reads, as it is moved straight.
inline DirectPlace StraightPlace(const PlanStep& step)
{
    return {static_cast<std::uint16_t>(step.Integer), step.DirectCode, step.DirectWidth,
            step.Stride - DataAddress::GlobalBase};
}

// A GlobalLoad of an integer a replay holds and moves straight.
inline bool StraightHeld(const PlanStep& step)
{
    return step.What == PlanStep::Kind::GlobalLoad && step.Code == HeldInteger &&
           step.DirectWidth != 0;
}

// A Constant integer a replay holds (no text of its own).
inline bool ConstantHeld(const PlanStep& step)
{
    return step.What == PlanStep::Kind::Constant && step.Code == HeldInteger && step.Count == 0;
}
} // namespace PlanShapes
