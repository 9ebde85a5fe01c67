// Operators, their type rules and their values, read from one-line texts.
#include "ExpressionTestSupport.h"

#include <vector>

namespace {
struct ValueCase
{
    const char* Text;
    std::uint8_t Code;
    double Value; // integers, booleans and characters as numbers
};

struct ErrorCase
{
    const char* Text;
    int Error;
};
} // namespace

TEST_F(ExpressionTest, OperatorsGiveTheirValueAndType)
{
    const std::vector<ValueCase> cases = {
        {"7 / 2", TypeCode::Real, 3.5},
        {"7 DIV 2", TypeCode::Byte, 3},
        {"-7 DIV 2", TypeCode::Integer, -3},
        {"7 MOD 3", TypeCode::Byte, 1},
        {"2 + 3 * 4", TypeCode::Byte, 14},
        {"(2 + 3) * 4", TypeCode::Byte, 20},
        {"10 - 2 - 3", TypeCode::Byte, 5},
        {"300 + 1", TypeCode::Integer, 301},
        {"1 + 2.5", TypeCode::Real, 3.5},
        {"NOT 5", TypeCode::Integer, -6},
        {"NOT TRUE", TypeCode::Boolean, 0},
        {"NOT FALSE", TypeCode::Boolean, 1},
        {"2 ^ 3", TypeCode::Byte, 8},
        {"2.0 ^ 3", TypeCode::Real, 8},
        {"5 XOR 3", TypeCode::Byte, 6},
        {"5 OR 3", TypeCode::Byte, 7},
        {"6 AND 3", TypeCode::Byte, 2},
        {"1 SHL 4", TypeCode::Byte, 16},
        {"256 SHR 4", TypeCode::Integer, 16},
        {"TRUE AND FALSE", TypeCode::Boolean, 0},
        {"TRUE OR FALSE", TypeCode::Boolean, 1},
        {"TRUE XOR TRUE", TypeCode::Boolean, 0},
        {"1 < 2", TypeCode::Boolean, 1},
        {"2 <= 2", TypeCode::Boolean, 1},
        {"3 <> 3", TypeCode::Boolean, 0},
        {"3 >= 4", TypeCode::Boolean, 0},
        {"4 > 3", TypeCode::Boolean, 1},
        {"1 = 1.0", TypeCode::Boolean, 1},
        {"'a' < 'ab'", TypeCode::Boolean, 1},
        {"'b' > 'abc'", TypeCode::Boolean, 1},
        {"'abc' = 'abc'", TypeCode::Boolean, 1},
        {"NIL = NIL", TypeCode::Boolean, 1},
        {"2 IN [1..3]", TypeCode::Boolean, 1},
        {"'z' IN ['a'..'y']", TypeCode::Boolean, 0},
        {"[1, 3..5] * [4..9] = [4, 5]", TypeCode::Boolean, 1},
        {"[1, 2] + [] = [2, 1]", TypeCode::Boolean, 1},
        {"[1..5] - [2..9] = [1]", TypeCode::Boolean, 1},
        {"[1] <= [1, 2]", TypeCode::Boolean, 1},
        {"-42", TypeCode::Integer, -42},
        {"- 2.5", TypeCode::Real, -2.5},
        {"+7", TypeCode::Byte, 7},
    };
    for (const ValueCase& c : cases) {
        const Evaluation result = Run(c.Text);
        EXPECT_EQ(result.Error, 0) << c.Text;
        EXPECT_EQ(result.Code, c.Code) << c.Text;
        if (c.Code == TypeCode::Real) {
            EXPECT_DOUBLE_EQ(result.Real, c.Value) << c.Text;
        } else {
            EXPECT_EQ(result.Integer, static_cast<std::int32_t>(c.Value)) << c.Text;
        }
        EXPECT_EQ(result.Rest, ".") << c.Text << ": the whole text is read";
    }
}

TEST_F(ExpressionTest, TypeRulesRefuseOperandsInCheckAndRun)
{
    const std::vector<ErrorCase> cases = {
        {"7.0 DIV 2", 102},  {"1.5 MOD 2", 103},    {"TRUE * 2", 100},   {"[1] * ['a']", 100},
        {"'a' / 2", 101},    {"1.0 AND 1", 104},    {"1 AND TRUE", 104}, {"1.0 SHL 1", 105},
        {"1 + TRUE", 106},   {"[1] + ['a']", 106},  {"'a' - 'b'", 107},  {"[1] - ['a']", 107},
        {"2 ^ 'a'", 108},    {"2 ^ 3 ^ 2", 108},    {"1 OR TRUE", 109},  {"1.5 XOR 1", 109},
        {"TRUE < 1", 109},   {"[1] < [1, 2]", 109}, {"-'a'", 38},        {"-TRUE", 38},
        {"NOT 1.5", 62},     {"NOT 'a'", 62},       {"1 IN 5", 36},      {"'a' IN [1, 2]", 37},
        {"[1] = ['a']", 42}, {"[1, 'a']", 40},      {"[300]", 63},       {"[1.5]", 34},
        {"UNKNOWN + 1", 4},  {"2147483648", 7},     {"$123456789", 7},   {"(1 + 2", 1},
    };
    for (const ErrorCase& c : cases) {
        EXPECT_EQ(Check(c.Text).Error, c.Error) << "check " << c.Text;
        EXPECT_EQ(Run(c.Text).Error, c.Error) << "run " << c.Text;
    }
}

TEST_F(ExpressionTest, IntegerLiteralsTakeTheSmallestTypeThatHoldsThem)
{
    const std::vector<ValueCase> cases = {
        {"0", TypeCode::Byte, 0},
        {"255", TypeCode::Byte, 255},
        {"256", TypeCode::Integer, 256},
        {"32767", TypeCode::Integer, 32767},
        {"32768", TypeCode::Longint, 32768},
        {"2147483647", TypeCode::Longint, 2147483647},
        {"$FF", TypeCode::Byte, 255},
        {"$100", TypeCode::Integer, 256},
        {"$10000", TypeCode::Longint, 65536},
        {"$7FFFFFFF", TypeCode::Longint, 2147483647},
    };
    for (const ValueCase& c : cases) {
        const Evaluation result = Run(c.Text);
        EXPECT_EQ(result.Error, 0) << c.Text;
        EXPECT_EQ(result.Type, c.Code) << c.Text;
        EXPECT_EQ(result.Integer, static_cast<std::int32_t>(c.Value)) << c.Text;
    }
}

TEST_F(ExpressionTest, RealLiteralsReadFractionAndExponentAsOneNumber)
{
    const std::vector<ValueCase> cases = {
        {"1.5E3", TypeCode::Real, 1500},  {"1.5e3", TypeCode::Real, 1500},
        {"2E+3", TypeCode::Real, 2000},   {"25E-1", TypeCode::Real, 2.5},
        {"1.25", TypeCode::Real, 1.25},   {"1.5E3 + 1", TypeCode::Real, 1501},
        {"0.5 * 4", TypeCode::Real, 2.0},
    };
    for (const ValueCase& c : cases) {
        const Evaluation result = Run(c.Text);
        EXPECT_EQ(result.Error, 0) << c.Text;
        EXPECT_EQ(result.Type, c.Code) << c.Text;
        EXPECT_DOUBLE_EQ(result.Real, c.Value) << c.Text;
        EXPECT_EQ(result.Rest, ".") << c.Text;
    }
    EXPECT_EQ(Run("1E999").Error, 7);
}

TEST_F(ExpressionTest, StringsAndCharacters)
{
    Evaluation result = Run("'a' + 'b'");
    EXPECT_EQ(result.Code, TypeCode::String);
    EXPECT_EQ(result.Text, "ab");
    result = Run("'x'");
    EXPECT_EQ(result.Code, TypeCode::Char);
    EXPECT_EQ(result.Integer, 'x');
    result = Run("'It''s'");
    EXPECT_EQ(result.Code, TypeCode::String);
    EXPECT_EQ(result.Text, "It's");
    result = Run("''");
    EXPECT_EQ(result.Code, TypeCode::String);
    EXPECT_EQ(result.Text, "");
}

TEST_F(ExpressionTest, ShortCircuitOperatorsSkipTheDecidedOperand)
{
    Evaluation result = Run("(0 <> 0) AND_THEN (10 DIV 0 > 1)");
    EXPECT_EQ(result.Error, 0);
    EXPECT_EQ(result.Code, TypeCode::Boolean);
    EXPECT_EQ(result.Integer, 0);
    EXPECT_EQ(Run("(0 <> 0) AND (10 DIV 0 > 1)").Error, 200);

    result = Run("(1 = 1) OR_ELSE (1 DIV 0 = 1)");
    EXPECT_EQ(result.Error, 0);
    EXPECT_EQ(result.Integer, 1);
    // When the left operand does not decide, the right one gives the value.
    EXPECT_EQ(Run("(1 = 1) AND_THEN (2 > 3)").Integer, 0);
    EXPECT_EQ(Run("(1 = 2) OR_ELSE (2 < 3)").Integer, 1);
    EXPECT_EQ(Run("(1 = 2) OR_ELSE (1 DIV 0 = 1)").Error, 200);
    // The skipped operand is still checked.
    EXPECT_EQ(Run("(1 = 2) AND_THEN (1 + TRUE)").Error, 106);
    EXPECT_EQ(Run("(1 = 2) AND_THEN 5").Error, 104);
    // After a skipped operand, execution goes on for the rest of the expression.
    EXPECT_EQ(Run("((1 = 2) AND_THEN (1 DIV 0 = 0)) = FALSE").Integer, 1);
}

TEST_F(ExpressionTest, ConditionsAndOrdinalExpressions)
{
    EXPECT_EQ(Read("1 < 2", true,
                   [this] {
                       driver->ParseCondition();
                       return TypePair{};
                   })
                  .Integer,
              1);
    EXPECT_EQ(Read("1 + 2", false,
                   [this] {
                       driver->ParseCondition();
                       return TypePair{};
                   })
                  .Error,
              35);
    EXPECT_EQ(Read("1.5", false, [this] { return driver->ParseOrdinalExpression(); }).Error, 34);
    EXPECT_EQ(Read("'a'", false, [this] { return driver->ParseOrdinalExpression(); }).Code,
              TypeCode::Char);
}

TEST_F(ExpressionTest, DeepNestingEndsInAnErrorNotACrash)
{
    // A source line holds at most 255 characters: 120 parentheses nest deep enough.
    const std::string deep = std::string(120, '(') + "1" + std::string(120, ')');
    EXPECT_EQ(Check(deep).Error, 199);
    EXPECT_EQ(driver->ParseDepth, 0);
    EXPECT_EQ(Run(std::string(60, '(') + "1" + std::string(60, ')')).Integer, 1);
}

TEST_F(ExpressionTest, CaseLabelConstantsTakeTheirSign)
{
    const auto label = [this](const std::string& text) {
        return Read(text, false, [this] { return driver->ParseConstant(true); });
    };
    Evaluation result = label("-5");
    EXPECT_EQ(result.Type, TypeCode::Integer);
    EXPECT_EQ(data.Acc.Integer, -5);
    result = label("+5");
    EXPECT_EQ(result.Type, TypeCode::Byte);
    EXPECT_EQ(label("-'a'").Error, 38);
    // In a CASE label "." begins a range: 1..5 is 1 followed by "..".
    result = label("1..5");
    EXPECT_EQ(result.Type, TypeCode::Byte);
    EXPECT_EQ(result.Rest, ".");

    const EntryNumber colour = TypeEntry("COLOUR", TypeCode::Enumerated, 1, 2);
    const EntryNumber red = table.Declare("RED", EntryKind::EnumValue, program);
    table.SetOwner(red, colour);
    table.SetLink1(red, 1);
    result = label("RED");
    EXPECT_EQ(result.Type, colour);
    EXPECT_EQ(label("-RED").Error, 41);
}
