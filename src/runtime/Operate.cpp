// The binary operators of expressions on the two top values of the evaluation stack.
#include "runtime/QbGesdata.h"

#include "frontend/QbSyntaxe.h"
#include "runtime/DataInline.h"
#include "symbols/QbTable.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {
using DataOperators::Compares;
using DataOperators::IsComparison;
using DataOperators::IsIntegerCode;

bool IsTextual(std::uint8_t code)
{
    return code == TypeCode::Char || code == TypeCode::String;
}

} // namespace

bool QbGesdata::RealsEqual(double a, double b) const
{
    if (driver.OptionB(OptionB::RealsOnAllDigits)) {
        return a == b;
    }
    const int digits = std::clamp(driver.GetOptions().RealDigits, 5, 14);
    return std::fabs(b - a) < std::pow(10.0, -digits);
}

void QbGesdata::Operate(int op, std::uint16_t resultType)
{
    if (op < 0 || op > static_cast<int>(Operator::Power)) {
        Fail(ErrorNumber::TryingEvaluateExpressionNotAllowed);
    }
    Operate(static_cast<Operator>(op), resultType);
}

bool QbGesdata::OperateIntegers(Operator op, std::uint16_t resultType)
{
    const int top = evaluationCount - 1;
    if (top < 2 || evaluationViewOpen ||
        RepresentationOf(entryCodes[top]) != Representation::Integer ||
        RepresentationOf(entryCodes[top - 1]) != Representation::Integer) {
        return false;
    }
    const std::int64_t b =
        static_cast<std::int32_t>(DataAddress::Read(evaluationData.data() + entryOffsets[top]));
    const std::int64_t a =
        static_cast<std::int32_t>(DataAddress::Read(evaluationData.data() + entryOffsets[top - 1]));
    std::int64_t value = 0;
    if (!IntegerResult(op, a, b, resultType, value)) {
        return false;
    }
    PopKept();
    PopKept();
    ReleaseOperands();
    Acc.SetInteger(static_cast<std::int32_t>(value));
    PushKept(resultType);
    return true;
}

bool QbGesdata::OperateReals(Operator op, std::uint16_t resultType)
{
    const int top = evaluationCount - 1;
    if (top < 2 || evaluationViewOpen || entryCodes[top] != TypeCode::Real ||
        entryCodes[top - 1] != TypeCode::Real ||
        (op != Operator::Plus && op != Operator::Minus && op != Operator::Multiply)) {
        return false;
    }
    double left = 0.0;
    double right = 0.0;
    std::memcpy(&left, evaluationData.data() + entryOffsets[top - 1], sizeof(double));
    std::memcpy(&right, evaluationData.data() + entryOffsets[top], sizeof(double));
    const double value = op == Operator::Plus    ? left + right
                         : op == Operator::Minus ? left - right
                                                 : left * right;
    // An infinite result is the general path's error; an integer result type its rounding.
    if (!std::isfinite(value) || KeptType(resultType).Info.Code != TypeCode::Real) {
        return false;
    }
    PopKept();
    PopKept();
    ReleaseOperands();
    Acc.Real = value;
    PushKept(resultType);
    return true;
}

void QbGesdata::Operate(Operator op, std::uint16_t resultType)
{
    if (OperateIntegers(op, resultType) || OperateReals(op, resultType)) {
        return;
    }
    PopKept();
    const std::uint8_t rightCode = lastPoppedCode;
    const std::int32_t rightInteger = Acc.Integer;
    const double rightReal = Acc.Real;
    // Only a string or a set operand needs its bytes kept past the left operand's pop.
    ShortString rightString;
    if (IsTextual(rightCode)) {
        rightString = Acc.String;
    }
    SetBits rightSet{};
    if (rightCode == TypeCode::Set) {
        rightSet = Acc.Set;
    }
    const std::uint16_t rightStructureType = Acc.StructureType;
    const std::uint16_t rightStructureSize = Acc.StructureSize;
    rightStructure.swap(Acc.Structure);
    Acc.Structure.clear();
    PopKept();
    const std::uint8_t leftCode = lastPoppedCode;
    // Pointer operands are only compared: the accumulator keeps no reference to them.
    ReleaseAccumulatorReference();

    if (op == Operator::In) {
        const std::int32_t element = Acc.Integer;
        SetResult(element >= 0 && element <= 255 &&
                  (rightSet[static_cast<std::size_t>(element) / 8] & (1u << (element % 8))) != 0);
    } else if (leftCode == TypeCode::Set && rightCode == TypeCode::Set) {
        OperateSets(op, rightSet);
    } else if (IsTextual(leftCode) && IsTextual(rightCode)) {
        OperateStrings(op, rightString);
    } else if (RepresentationOf(leftCode) == Representation::Structure &&
               RepresentationOf(rightCode) == Representation::Structure) {
        OperateStructures(op, rightStructureType, rightStructureSize, rightStructure);
    } else {
        const auto numeric = [](std::uint8_t code) {
            const Representation representation = RepresentationOf(code);
            return representation == Representation::Integer ||
                   representation == Representation::Character ||
                   representation == Representation::Real ||
                   representation == Representation::Pointer;
        };
        if (!numeric(leftCode) || !numeric(rightCode)) {
            Fail(ErrorNumber::TryingEvaluateExpressionNotAllowed);
        }
        OperateNumbers(op, leftCode, rightCode, rightInteger, rightReal);
        if (!IsComparison(op)) {
            FinishArithmetic(op, KeptType(resultType).Info.Code);
        }
    }
    rightStructure.clear();
    PushKept(resultType);
}

void QbGesdata::SetResult(bool truth)
{
    Acc.SetInteger(truth ? 1 : 0);
}

void QbGesdata::OperateSets(Operator op, const SetBits& right)
{
    SetBits& left = Acc.Set;
    bool leftInRight = true;
    bool rightInLeft = true;
    for (std::size_t i = 0; i < left.size(); ++i) {
        leftInRight = leftInRight && (left[i] & ~right[i]) == 0;
        rightInLeft = rightInLeft && (right[i] & ~left[i]) == 0;
    }
    switch (op) {
    case Operator::Multiply:
        for (std::size_t i = 0; i < left.size(); ++i) {
            left[i] &= right[i];
        }
        break;
    case Operator::Plus:
        for (std::size_t i = 0; i < left.size(); ++i) {
            left[i] |= right[i];
        }
        break;
    case Operator::Minus:
        for (std::size_t i = 0; i < left.size(); ++i) {
            left[i] &= static_cast<std::uint8_t>(~right[i]);
        }
        break;
    case Operator::Equal:
        SetResult(leftInRight && rightInLeft);
        break;
    case Operator::NotEqual:
        SetResult(!(leftInRight && rightInLeft));
        break;
    case Operator::LessEqual:
        SetResult(leftInRight);
        break;
    case Operator::GreaterEqual:
        SetResult(rightInLeft);
        break;
    default:
        Fail(ErrorNumber::TryingEvaluateExpressionNotAllowed);
    }
}

void QbGesdata::OperateStrings(Operator op, const ShortString& right)
{
    ShortString& left = Acc.String;
    if (op == Operator::Plus) {
        // Concatenation keeps what fits in a short string.
        const int room = 255 - left[0];
        const int taken = std::min<int>(room, right[0]);
        std::copy_n(right.begin() + 1, taken, left.begin() + 1 + left[0]);
        left[0] = static_cast<std::uint8_t>(left[0] + taken);
        return;
    }
    if (!IsComparison(op)) {
        Fail(ErrorNumber::TryingEvaluateExpressionNotAllowed);
    }
    const int common = std::min(left[0], right[0]);
    int order = std::memcmp(left.data() + 1, right.data() + 1, static_cast<std::size_t>(common));
    if (order == 0) {
        order = static_cast<int>(left[0]) - static_cast<int>(right[0]);
    }
    SetResult(Compares(op, order < 0 ? -1 : order > 0 ? 1 : 0));
}

void QbGesdata::OperateStructures(Operator op, std::uint16_t rightType, std::uint16_t rightSize,
                                  const std::vector<std::uint8_t>& right)
{
    if (op != Operator::Equal && op != Operator::NotEqual) {
        Fail(ErrorNumber::TryingEvaluateExpressionNotAllowed);
    }
    if (Acc.StructureType != rightType) {
        Fail(ErrorNumber::ComparisonImpossibleElementsAreNotSame);
    }
    if (Acc.StructureSize != rightSize || Acc.Structure.size() != right.size()) {
        Fail(ErrorNumber::IncorrectSizeElement);
    }
    const bool equal = Acc.Structure == right;
    Acc.Structure.clear();
    SetResult(op == Operator::Equal ? equal : !equal);
}

// An operand as an integer for DIV, MOD and the bit operators: a real (which the checks do not
// let through) is truncated into the 32-bit range.
std::int32_t QbGesdata::OperandInteger(std::uint8_t code, std::int32_t integer, double real) const
{
    if (code != TypeCode::Real) {
        return integer;
    }
    if (std::isnan(real)) {
        return 0;
    }
    return static_cast<std::int32_t>(std::clamp(std::trunc(real), -2147483648.0, 2147483647.0));
}

void QbGesdata::OperateNumbers(Operator op, std::uint8_t leftCode, std::uint8_t rightCode,
                               std::int32_t rightInteger, double rightReal)
{
    const double left = Acc.Real;
    const std::int32_t leftWhole = OperandInteger(leftCode, Acc.Integer, Acc.Real);
    const std::int32_t rightWhole = OperandInteger(rightCode, rightInteger, rightReal);
    const bool real = leftCode == TypeCode::Real || rightCode == TypeCode::Real;

    if (IsComparison(op)) {
        int order = 0;
        if (real) {
            order = RealsEqual(left, rightReal) ? 0 : left < rightReal ? -1 : 1;
            // Strict comparisons ignore the tolerance.
            if (op == Operator::Less) {
                order = left < rightReal ? -1 : 1;
            } else if (op == Operator::Greater) {
                order = left > rightReal ? 1 : -1;
            }
        } else {
            // Pointers compare as unsigned addresses, everything else as signed numbers; each
            // branch is widened on its own so that the signed side never turns unsigned.
            const std::int64_t a = leftCode == TypeCode::Pointer
                                       ? std::int64_t{static_cast<std::uint32_t>(Acc.Integer)}
                                       : std::int64_t{Acc.Integer};
            const std::int64_t b = rightCode == TypeCode::Pointer
                                       ? std::int64_t{static_cast<std::uint32_t>(rightInteger)}
                                       : std::int64_t{rightInteger};
            order = a < b ? -1 : a > b ? 1 : 0;
        }
        SetResult(Compares(op, order));
        return;
    }

    switch (op) {
    case Operator::Multiply:
        Acc.Real = left * rightReal;
        break;
    case Operator::Divide:
        if (rightReal == 0.0) {
            Fail(ErrorNumber::DivisionByZero);
        }
        Acc.Real = left / rightReal;
        break;
    case Operator::Plus:
        Acc.Real = left + rightReal;
        break;
    case Operator::Minus:
        Acc.Real = left - rightReal;
        break;
    case Operator::Power:
        if (left == 0.0) {
            // 0 to a negative power would divide by zero; 0 ^ 0 is taken as 1.
            if (rightReal < 0.0) {
                Fail(ErrorNumber::DivisionByZero);
            }
            Acc.Real = rightReal == 0.0 ? 1.0 : 0.0;
        } else if (left < 0.0 && rightCode == TypeCode::Real) {
            Fail(ErrorNumber::ArgumentIncompatibleDomainDefinitionFunction);
        } else {
            // A negative base with a whole exponent has a value: its sign follows the parity.
            Acc.Real = std::pow(left, rightReal);
        }
        break;
    case Operator::Div:
    case Operator::Mod: {
        if (rightWhole == 0) {
            Fail(ErrorNumber::DivisionByZero);
        }
        const std::int64_t a = leftWhole;
        const std::int64_t b = rightWhole;
        const std::int64_t value = op == Operator::Div ? a / b : a % b;
        if (value > std::numeric_limits<std::int32_t>::max()) {
            Fail(ErrorNumber::SizeTooLarge);
        }
        Acc.SetInteger(static_cast<std::int32_t>(value));
        break;
    }
    case Operator::And:
        Acc.SetInteger(leftWhole & rightWhole);
        break;
    case Operator::Or:
        Acc.SetInteger(leftWhole | rightWhole);
        break;
    case Operator::Xor:
        Acc.SetInteger(leftWhole ^ rightWhole);
        break;
    case Operator::Shl:
        Acc.SetInteger(static_cast<std::int32_t>(static_cast<std::uint32_t>(leftWhole)
                                                 << (static_cast<std::uint32_t>(rightWhole) % 32)));
        break;
    case Operator::Shr:
        Acc.SetInteger(static_cast<std::int32_t>(static_cast<std::uint32_t>(leftWhole) >>
                                                 (static_cast<std::uint32_t>(rightWhole) % 32)));
        break;
    default:
        Fail(ErrorNumber::TryingEvaluateExpressionNotAllowed);
    }
}

// The operators computed in reals: an integer result is rounded to the nearest (ties to even)
// and must fit its type. INTEGER is held to 16 bits, so that 32767 + 1 stops the run instead of
// wrapping; BYTE and WORD results are only held to 32 bits because the literals below 256 are
// BYTE and a WORD difference may be negative on the way to a wider target.
void QbGesdata::FinishArithmetic(Operator op, std::uint8_t resultCode)
{
    switch (op) {
    case Operator::Div:
    case Operator::Mod:
    case Operator::And:
    case Operator::Shl:
    case Operator::Shr:
    case Operator::Or:
    case Operator::Xor:
        return;
    default:
        break;
    }
    if (!std::isfinite(Acc.Real)) {
        Fail(ErrorNumber::SizeTooLarge);
    }
    if (!IsIntegerCode(resultCode)) {
        return;
    }
    const double rounded = std::nearbyint(Acc.Real);
    const bool fits = resultCode == TypeCode::Integer ? rounded >= -32768.0 && rounded <= 32767.0
                                                      : std::fabs(rounded) <= 2147483647.0;
    if (!fits) {
        Fail(ErrorNumber::SizeTooLarge);
    }
    Acc.SetInteger(static_cast<std::int32_t>(rounded));
}
