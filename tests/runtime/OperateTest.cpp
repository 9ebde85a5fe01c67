// Operate: the operators on the two top values of the evaluation stack and their type rules.
#include "DataFixture.h"

#include <cmath>

namespace {
struct NumberCase
{
    const char* name;
    double left;
    std::uint8_t leftType;
    Operator op;
    double right;
    std::uint8_t rightType;
    std::uint8_t resultType;
    double expected; // ignored when an error is expected
    int error;
};

constexpr auto I = TypeCode::Integer;
constexpr auto L = TypeCode::Longint;
constexpr auto R = TypeCode::Real;

const NumberCase numberCases[] = {
    {"IntegerOverflowsAt32768", 32767, I, Operator::Plus, 1, I, I, 0, 7},
    {"IntegerUnderflowsBelowMinus32768", -32768, I, Operator::Minus, 1, I, I, 0, 7},
    {"IntegerProductOverflows", 200, I, Operator::Multiply, 200, I, I, 0, 7},
    {"LongintHoldsWhatIntegerCannot", 32767, I, Operator::Plus, 1, I, L, 32768, 0},
    {"LongintProduct", 200, I, Operator::Multiply, 200, I, L, 40000, 0},
    {"LongintOverflows", 2147483647, L, Operator::Plus, 1, L, L, 0, 7},
    {"LongintDivByMinusOneOverflows", -2147483648.0, L, Operator::Div, -1, L, L, 0, 7},
    {"SlashGivesReal", 7, I, Operator::Divide, 2, I, R, 3.5, 0},
    {"DivTruncatesTowardZero", -7, I, Operator::Div, 2, I, I, -3, 0},
    {"ModTakesSignOfLeft", -7, I, Operator::Mod, 2, I, I, -1, 0},
    {"ModOfNegativeDivisor", 7, I, Operator::Mod, -2, I, I, 1, 0},
    {"SlashByZero", 7, I, Operator::Divide, 0, I, R, 0, 200},
    {"DivByZero", 7, I, Operator::Div, 0, I, I, 0, 200},
    {"ModByZero", 7, I, Operator::Mod, 0, I, I, 0, 200},
    {"RealByZero", 1.5, R, Operator::Divide, 0, R, R, 0, 200},
    {"MixedSumIsReal", 2.5, R, Operator::Plus, 1, I, R, 3.5, 0},
    {"RoundsHalfToEvenDown", 1.5, R, Operator::Plus, 1, I, I, 2, 0},
    {"RoundsHalfToEvenUp", 2.5, R, Operator::Plus, 1, I, I, 4, 0},
    {"ShlCountIsTakenModulo32", 1, L, Operator::Shl, 33, I, L, 2, 0},
    {"ShrIsLogical", -1, L, Operator::Shr, 28, I, L, 15, 0},
    {"AndIsBitwise", 12, I, Operator::And, 10, I, I, 8, 0},
    {"OrIsBitwise", 12, I, Operator::Or, 10, I, I, 14, 0},
    {"XorIsBitwise", 12, I, Operator::Xor, 10, I, I, 6, 0},
    {"PowerOfIntegers", 2, I, Operator::Power, 3, I, R, 8, 0},
    {"NegativeBaseWholeExponent", -2, I, Operator::Power, 3, I, R, -8, 0},
    {"NegativeBaseRealExponent", -2, I, Operator::Power, 0.5, R, R, 0, 229},
    {"ZeroToNegativePower", 0, I, Operator::Power, -1, I, R, 0, 200},
    {"RealOverflowStops", 1e308, R, Operator::Multiply, 10, I, R, 0, 7},
    {"RealsSum", 2.25, R, Operator::Plus, 0.5, R, R, 2.75, 0},
    {"RealsDifference", 2.25, R, Operator::Minus, 0.5, R, R, 1.75, 0},
    {"RealsProduct", -1.5, R, Operator::Multiply, 0.5, R, R, -0.75, 0},
    {"RealsProductOverflowStops", 1e308, R, Operator::Multiply, 10, R, R, 0, 7},
    {"RealsSumRoundedIntoAnInteger", 2.5, R, Operator::Plus, 0.0, R, I, 2, 0},
    {"RealsDivideByZero", 2.5, R, Operator::Divide, 0.0, R, R, 0, 200},
};

class NumberOperators : public DataTest, public ::testing::WithParamInterface<NumberCase>
{
};

TEST_P(NumberOperators, ComputeOrStop)
{
    const NumberCase& c = GetParam();
    Open();
    const auto push = [this](double value, std::uint8_t type) {
        if (type == TypeCode::Real) {
            PushReal(value);
        } else {
            PushInteger(static_cast<std::int32_t>(value), type);
        }
    };
    push(c.left, c.leftType);
    push(c.right, c.rightType);
    const int error = ErrorOf([&] { data.Operate(c.op, c.resultType); });
    ASSERT_EQ(error, c.error);
    if (c.error != 0) {
        EXPECT_EQ(data.EvaluationCount(), 0) << "a failure empties the evaluation stack";
        return;
    }
    ASSERT_EQ(data.EvaluationCount(), 1);
    EXPECT_EQ(data.PopType(), c.resultType);
    if (c.resultType == TypeCode::Real) {
        EXPECT_DOUBLE_EQ(data.Acc.Real, c.expected);
    } else {
        EXPECT_EQ(data.Acc.Integer, static_cast<std::int32_t>(c.expected));
    }
}

INSTANTIATE_TEST_SUITE_P(Operate, NumberOperators, ::testing::ValuesIn(numberCases),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

struct ComparisonCase
{
    const char* name;
    double left;
    std::uint8_t leftType;
    Operator op;
    double right;
    std::uint8_t rightType;
    bool allDigits;
    bool expected;
};

const ComparisonCase comparisonCases[] = {
    {"IntegersLess", 3, I, Operator::Less, 4, I, false, true},
    {"IntegersLessEqual", 4, I, Operator::LessEqual, 4, I, false, true},
    {"IntegersGreater", 4, I, Operator::Greater, 4, I, false, false},
    {"NineDigitsEqualWithEight", 1.0, R, Operator::Equal, 1.000000001, R, false, true},
    {"NineDigitsDifferOnAllDigits", 1.0, R, Operator::Equal, 1.000000001, R, true, false},
    {"EighthDigitDiffers", 1.0, R, Operator::Equal, 1.00000002, R, false, false},
    {"NotEqualFollowsTolerance", 1.0, R, Operator::NotEqual, 1.000000001, R, false, false},
    {"LessEqualWithinTolerance", 1.000000001, R, Operator::LessEqual, 1.0, R, false, true},
    {"GreaterEqualWithinTolerance", 1.0, R, Operator::GreaterEqual, 1.000000001, R, false, true},
    {"IntegerAgainstReal", 2, I, Operator::Equal, 2.0, R, false, true},
};

class Comparisons : public DataTest, public ::testing::WithParamInterface<ComparisonCase>
{
};

TEST_P(Comparisons, GiveBoolean)
{
    const ComparisonCase& c = GetParam();
    driver->SetOptionB(OptionB::RealsOnAllDigits, c.allDigits);
    Open();
    for (const auto& [value, type] : {std::pair{c.left, c.leftType}, {c.right, c.rightType}}) {
        if (type == TypeCode::Real) {
            PushReal(value);
        } else {
            PushInteger(static_cast<std::int32_t>(value), type);
        }
    }
    data.Operate(c.op, TypeCode::Boolean);
    EXPECT_EQ(data.PopType(), TypeCode::Boolean);
    EXPECT_EQ(data.Acc.Integer, c.expected ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Operate, Comparisons, ::testing::ValuesIn(comparisonCases),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(DataTest, RealToleranceFollowsTheDigitsOption)
{
    driver->SetLimits(5, 10, 100, 5);
    EXPECT_TRUE(data.RealsEqual(1.0, 1.000001));
    driver->SetLimits(5, 10, 100, 14);
    EXPECT_FALSE(data.RealsEqual(1.0, 1.000001));
}

TEST_F(DataTest, CharactersCompareAsStrings)
{
    Open();
    PushInteger('a', TypeCode::Char);
    PushInteger('b', TypeCode::Char);
    data.Operate(Operator::Less, TypeCode::Boolean);
    data.Pop();
    EXPECT_EQ(data.Acc.Integer, 1);

    PushInteger('a', TypeCode::Char);
    PushText("ab");
    data.Operate(Operator::Less, TypeCode::Boolean);
    data.Pop();
    EXPECT_EQ(data.Acc.Integer, 1) << "a proper prefix is smaller";

    PushText("abc");
    PushText("abd");
    data.Operate(Operator::GreaterEqual, TypeCode::Boolean);
    data.Pop();
    EXPECT_EQ(data.Acc.Integer, 0);
}

TEST_F(DataTest, ConcatenationJoinsAndKeeps255Characters)
{
    Open();
    PushInteger('a', TypeCode::Char);
    PushInteger('b', TypeCode::Char);
    data.Operate(Operator::Plus, TypeCode::String);
    EXPECT_EQ(data.PopType(), TypeCode::String);
    EXPECT_EQ(data.Acc.Text(), "ab");

    PushText(std::string(250, 'x'));
    PushText("0123456789");
    data.Operate(Operator::Plus, TypeCode::String);
    data.Pop();
    EXPECT_EQ(data.Acc.Text(), std::string(250, 'x') + "01234");
}

SetBits SetOf(std::initializer_list<int> elements)
{
    SetBits set{};
    for (int element : elements) {
        set[static_cast<std::size_t>(element) / 8] |=
            static_cast<std::uint8_t>(1u << (element % 8));
    }
    return set;
}

TEST_F(DataTest, SetOperators)
{
    Open();
    const auto operate = [this](const SetBits& left, Operator op, const SetBits& right,
                                std::uint8_t result) {
        data.Acc.Set = left;
        data.Push(TypeCode::Set);
        data.Acc.Set = right;
        data.Push(TypeCode::Set);
        data.Operate(op, result);
        data.Pop();
    };
    operate(SetOf({1, 3, 4, 5}), Operator::Multiply, SetOf({4, 5, 6, 7, 8, 9}), TypeCode::Set);
    EXPECT_EQ(data.Acc.Set, SetOf({4, 5}));
    operate(SetOf({1}), Operator::Plus, SetOf({200}), TypeCode::Set);
    EXPECT_EQ(data.Acc.Set, SetOf({1, 200}));
    operate(SetOf({1, 2, 3}), Operator::Minus, SetOf({2}), TypeCode::Set);
    EXPECT_EQ(data.Acc.Set, SetOf({1, 3}));
    operate(SetOf({1, 2}), Operator::LessEqual, SetOf({1, 2, 3}), TypeCode::Boolean);
    EXPECT_EQ(data.Acc.Integer, 1);
    operate(SetOf({1, 2}), Operator::GreaterEqual, SetOf({1, 2, 3}), TypeCode::Boolean);
    EXPECT_EQ(data.Acc.Integer, 0);
    operate(SetOf({1, 2}), Operator::Equal, SetOf({2, 1}), TypeCode::Boolean);
    EXPECT_EQ(data.Acc.Integer, 1);
}

TEST_F(DataTest, InTestsMembershipAndRefusesOrdinalsOutsideTheSet)
{
    Open();
    for (const auto& [element, expected] : {std::pair{4, 1}, {5, 0}, {300, 0}, {-1, 0}}) {
        PushInteger(element);
        data.Acc.Set = SetOf({4, 255});
        data.Push(TypeCode::Set);
        data.Operate(Operator::In, TypeCode::Boolean);
        data.Pop();
        EXPECT_EQ(data.Acc.Integer, expected) << element;
    }
}

TEST_F(DataTest, StructuresCompareByTypeSizeAndBytes)
{
    const EntryNumber first = TypeEntry("R1", TypeCode::Record, 4);
    const EntryNumber second = TypeEntry("R2", TypeCode::Record, 4);
    Open();
    const auto push = [this](EntryNumber type, std::vector<std::uint8_t> bytes) {
        data.Acc.Structure = std::move(bytes);
        data.Acc.StructureType = type;
        data.Acc.StructureSize = 4;
        data.Push(type);
    };
    push(first, {1, 2, 3, 4});
    push(first, {1, 2, 3, 4});
    data.Operate(Operator::Equal, TypeCode::Boolean);
    data.Pop();
    EXPECT_EQ(data.Acc.Integer, 1);

    push(first, {1, 2, 3, 4});
    push(first, {1, 2, 3, 5});
    data.Operate(Operator::NotEqual, TypeCode::Boolean);
    data.Pop();
    EXPECT_EQ(data.Acc.Integer, 1);

    push(first, {1, 2, 3, 4});
    push(second, {1, 2, 3, 4});
    EXPECT_EQ(ErrorOf([&] { data.Operate(Operator::Equal, TypeCode::Boolean); }), 42);
    EXPECT_EQ(data.EvaluationCount(), 0);
}

TEST_F(DataTest, UnknownOperatorNumberStops)
{
    Open();
    PushInteger(1);
    PushInteger(2);
    EXPECT_EQ(ErrorOf([&] { data.Operate(19, TypeCode::Integer); }), 251);
    EXPECT_EQ(data.EvaluationCount(), 0);
}
} // namespace
