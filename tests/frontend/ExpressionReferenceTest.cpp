// Variable references and their selectors, read in expressions and as other contexts.
#include "ExpressionTestSupport.h"

#include "runtime/DataAddress.h"

namespace {
using Context = QbPascalSyntaxe::ReferenceContext;

class ReferenceTest : public ExpressionTest
{
  protected:
    ReferenceTest()
    {
        integer = Predefined(TypeCode::Integer);
        const EntryNumber index = Subrange(1, 3, TypeCode::Byte);
        numbers = TypeEntry("NUMBERS", TypeCode::Array, 6, integer, index, 1);
        const EntryNumber rows = Subrange(0, 1, TypeCode::Byte);
        const EntryNumber columns = Subrange(1, 3, TypeCode::Byte);
        (void)columns; // the second index type follows the first
        grid = TypeEntry("GRID", TypeCode::Array, 12, integer, rows, 2);
        point = TypeEntry("POINT", TypeCode::Record, 4);
        const EntryNumber x = Field(point, "X", integer, 0, 0);
        Field(point, "Y", integer, 2, x);
        pointer = TypeEntry("PINT", TypeCode::Pointer, 4, integer);

        i = Global("I", integer);
        b = Global("B", Predefined(TypeCode::Byte));
        a = Global("A", numbers);
        g = Global("G", grid);
        s = Global("S", Predefined(TypeCode::String));
        r = Global("R", point);
        p = Global("P", pointer);
        u = Global("U", integer); // never assigned
        OpenData();
        Store(i, 5, TypeCode::Integer);
        Store(b, 7, TypeCode::Byte);
        for (int k = 0; k < 3; ++k) {
            Store(a, 10 * (k + 1), TypeCode::Integer, static_cast<std::uint32_t>(2 * k));
        }
        for (int k = 0; k < 6; ++k) {
            Store(g, k, TypeCode::Integer, static_cast<std::uint32_t>(2 * k));
        }
        StoreText(s, "hello");
        Store(r, 3, TypeCode::Integer, 0);
        Store(r, 4, TypeCode::Integer, 2);
        Store(p, 0, TypeCode::Pointer);
    }

    Evaluation Reference(const std::string& text, Context context, bool execute = false)
    {
        return Read(text, execute,
                    [this, context] { return driver->ParseVariableReference(context); });
    }

    EntryNumber integer = 0, numbers = 0, grid = 0, point = 0, pointer = 0;
    EntryNumber i = 0, b = 0, a = 0, g = 0, s = 0, r = 0, p = 0, u = 0;
};

struct ReadCase
{
    const char* Text;
    std::int32_t Value;
};

struct ErrorCase
{
    const char* Text;
    int Error;
};
} // namespace

TEST_F(ReferenceTest, SelectorsReachTheirElement)
{
    const std::vector<ReadCase> cases = {
        {"I", 5},       {"I * 2 + B", 17}, {"A[1]", 10},   {"A[3]", 30},   {"A[I - 3]", 20},
        {"G[0, 1]", 0}, {"G[1, 1]", 3},    {"G[1, 3]", 5}, {"R.X", 3},     {"R.Y * 10", 40},
        {"S[1]", 'h'},  {"S[5]", 'o'},     {"S[I]", 'o'},  {"P = NIL", 1},
    };
    for (const ReadCase& c : cases) {
        const Evaluation result = Run(c.Text);
        EXPECT_EQ(result.Error, 0) << c.Text;
        EXPECT_EQ(result.Integer, c.Value) << c.Text;
        EXPECT_EQ(result.Rest, ".") << c.Text;
    }
    const Evaluation whole = Run("S");
    EXPECT_EQ(whole.Code, TypeCode::String);
    EXPECT_EQ(whole.Text, "hello");
    EXPECT_EQ(Run("S[1]").Code, TypeCode::Char);
}

TEST_F(ReferenceTest, SelectorErrors)
{
    const std::vector<ErrorCase> cases = {
        {"I[1]", 46},   {"A[1, 2]", 47}, {"G[1]", 47}, {"G[1][2]", 47}, {"A['x']", 48},
        {"S[1.5]", 49}, {"I.X", 50},     {"R.Z", 51},  {"B^", 4},
    };
    for (const ErrorCase& c : cases) {
        EXPECT_EQ(Check(c.Text).Error, c.Error) << c.Text;
    }
    // An untyped pointer cannot be followed.
    Global("Q", Predefined(TypeCode::Pointer));
    EXPECT_EQ(Reference("Q^", Context::Plain).Error, 132);
    EXPECT_EQ(Reference("5", Context::Target).Error, 44);
}

TEST_F(ReferenceTest, RunTimeChecksOfReferences)
{
    EXPECT_EQ(Run("U + 1").Error, 202);
    EXPECT_EQ(Run("A[4]").Error, 224);
    EXPECT_EQ(Run("A[0]").Error, 224);
    EXPECT_EQ(Run("G[2, 1]").Error, 224);
    EXPECT_EQ(Run("P^").Error, 207);
    // Beyond the string's text, under option C 1; within its storage otherwise.
    EXPECT_EQ(Run("S[6]").Error, 224);
    EXPECT_EQ(Run("S[0]").Error, 224);
    driver->SetOptionC(OptionC::CheckOrdinalLimits, false);
    EXPECT_EQ(Run("S[0]").Integer, 5);
    EXPECT_EQ(Run("S[256]").Error, 224);
    // Without the option, indexes outside an array are still refused: they would reach
    // another variable.
    EXPECT_EQ(Run("A[4]").Error, 224);
}

TEST_F(ReferenceTest, TargetsLeaveTheAddress)
{
    const Evaluation result = Reference("A[2]", Context::Target, true);
    EXPECT_EQ(result.Error, 0);
    EXPECT_EQ(data.CurrentAddress(), data.AddressOf(a) + 2);
    EXPECT_EQ(Reference("R.Y", Context::Target, true).Type, TypeCode::Integer);
    EXPECT_EQ(data.CurrentAddress(), data.AddressOf(r) + 2);
}

TEST_F(ReferenceTest, AddressOfAndDereference)
{
    const Evaluation address = Run("@I");
    EXPECT_EQ(address.Code, TypeCode::Pointer);
    EXPECT_EQ(static_cast<std::uint32_t>(address.Integer), data.AddressOf(i));
    // A pointer to a variable can be followed.
    Store(p, static_cast<std::int32_t>(data.AddressOf(i)), TypeCode::Pointer);
    EXPECT_EQ(Run("P^ + 1").Integer, 6);
}

TEST_F(ReferenceTest, VariableTypeCasts)
{
    const EntryNumber pair = TypeEntry("PAIR", TypeCode::Record, 4);
    const EntryNumber low = Field(pair, "LOW", integer, 0, 0);
    Field(pair, "HIGH", integer, 2, low);
    EXPECT_EQ(Run("PAIR(R).HIGH").Integer, 4);
    EXPECT_EQ(Check("PAIR(I).LOW").Error, 231);
    driver->SetOptionC(OptionC::ForbidTypeCasts, true);
    EXPECT_EQ(Check("PAIR(R).HIGH").Error, 210);
}

TEST_F(ReferenceTest, ConversionsOfValues)
{
    Evaluation result = Run("CHAR(65)");
    EXPECT_EQ(result.Code, TypeCode::Char);
    EXPECT_EQ(result.Integer, 65);
    result = Run("REAL(3) / 2");
    EXPECT_DOUBLE_EQ(result.Real, 1.5);
    result = Run("INTEGER('A') + 1");
    EXPECT_EQ(result.Integer, 66);
    result = Run("INTEGER(2.7) + LONGINT(-2.7)");
    EXPECT_EQ(result.Integer, 0);
    EXPECT_EQ(Check("INTEGER([1])").Error, 40);
    EXPECT_EQ(Check("NUMBERS(5)").Error, 44); // a structure is cast from a variable only
}

TEST_F(ReferenceTest, WithFieldsTakeTheirRecordAddress)
{
    driver->WithStack[1] = {point, data.AddressOf(r)};
    driver->WithDepth = 2;
    EXPECT_EQ(Run("X + Y").Integer, 7);
    driver->WithDepth = 1;
    EXPECT_EQ(Check("X").Error, 4);
}

TEST_F(ReferenceTest, ParameterModesLimitTheContexts)
{
    const EntryNumber routine = table.Declare("PROC", EntryKind::Procedure, program);
    const auto parameter = [this, routine](const char* name, std::uint8_t mode) {
        const EntryNumber entry = table.Declare(name, EntryKind::Variable, routine);
        table.SetCode(entry, mode);
        table.SetLink1(entry, integer);
        return entry;
    };
    parameter("C", VariableMode::ConstParameter);
    parameter("O", VariableMode::OutParameter);
    driver->CurrentRoutine = routine;
    EXPECT_EQ(Reference("C", Context::Target).Error, 87);
    EXPECT_EQ(Reference("C", Context::VarArgument).Error, 87);
    EXPECT_EQ(Reference("C", Context::Read).Error, 0);
    EXPECT_EQ(Reference("O", Context::Read).Error, 88);
    EXPECT_EQ(Reference("O", Context::VarArgument).Error, 89);
    EXPECT_EQ(Reference("O", Context::OutArgument).Error, 0);
    EXPECT_EQ(Reference("O", Context::Target).Error, 0);

    // Globals and intermediate variables under the access options.
    EXPECT_EQ(Check("I + 1").Error, 0);
    driver->SetOptionA(OptionA::ForbidGlobal, true);
    EXPECT_EQ(Check("I + 1").Error, 93);
    EXPECT_EQ(Check("C + 1").Error, 0);
    const EntryNumber inner = table.Declare("INNER", EntryKind::Procedure, routine);
    driver->CurrentRoutine = inner;
    EXPECT_EQ(Check("C + 1").Error, 0);
    driver->SetOptionA(OptionA::ForbidIntermediate, true);
    EXPECT_EQ(Check("C + 1").Error, 94);
}

TEST_F(ReferenceTest, TypedConstantsAreReadFromTheirStorage)
{
    const EntryNumber constant = table.Declare("LIMIT", EntryKind::Constant, program);
    table.SetAux(constant, integer);
    table.SetValue(constant, 2 + 2);
    table.SetCode(constant, TypeCode::Integer);
    table.SetAttrBlock(constant, {0x39, 0x30, 0, 0}); // 12345
    EXPECT_EQ(Run("LIMIT + 1").Integer, 12346);
    // A typed constant is not a constant of a constant expression.
    driver->ViewEvaluations = 1;
    EXPECT_EQ(Run("LIMIT + 1").Error, 4);
    driver->ViewEvaluations = 0;
}

TEST_F(ReferenceTest, ActualParametersFollowTheirFormal)
{
    const EntryNumber routine = table.Declare("PROC", EntryKind::Procedure, program);
    const auto formal = [this, routine](const char* name, std::uint8_t mode, EntryNumber type) {
        const EntryNumber entry = table.Declare(name, EntryKind::Variable, routine);
        table.SetCode(entry, mode);
        table.SetLink1(entry, type);
        return entry;
    };
    const EntryNumber byValue = formal("V", VariableMode::ValueParameter, integer);
    const EntryNumber byReference = formal("W", VariableMode::VarParameter, integer);
    const EntryNumber small = formal("SM", VariableMode::ValueParameter, Subrange(1, 10, 3));
    const auto actual = [this](EntryNumber parameter, const std::string& text, bool execute) {
        return Read(text, execute, [this, parameter] {
            driver->ParseActualParameter(parameter);
            return TypePair{};
        });
    };
    EXPECT_EQ(actual(byValue, "I + 1", false).Error, 0);
    EXPECT_EQ(actual(byValue, "B", false).Error, 0);
    EXPECT_EQ(actual(byValue, "'x'", false).Error, 60);
    EXPECT_EQ(actual(byReference, "I", false).Error, 0);
    EXPECT_EQ(actual(byReference, "B", false).Error, 61);
    EXPECT_EQ(actual(byReference, "I + 1", false).Rest, "+");
    EXPECT_EQ(actual(small, "11", true).Error, 224);
    driver->SetOptionC(OptionC::CheckOrdinalLimits, false);
    data.MarkStackPointer();
    EXPECT_EQ(actual(small, "11", true).Error, 0);
}

TEST_F(ReferenceTest, AssignmentCompatibility)
{
    const EntryNumber other = TypeEntry("OTHER", TypeCode::Record, 4);
    const EntryNumber alias = TypeEntry("ALIAS", TypeCode::Alias, 4, point);
    const EntryNumber colour = TypeEntry("COLOUR", TypeCode::Enumerated, 1, 3);
    const EntryNumber fruit = TypeEntry("FRUIT", TypeCode::Enumerated, 1, 3);
    const EntryNumber charSet = TypeEntry("CHARS", TypeCode::Set, 32, Predefined(TypeCode::Char));
    struct Case
    {
        std::uint16_t Target, Source, SourceSub;
        bool Expected;
    };
    const std::vector<Case> cases = {
        {TypeCode::String, TypeCode::Char, 0, true},
        {TypeCode::Char, TypeCode::String, 0, false},
        {TypeCode::Real, TypeCode::Integer, 0, true},
        {TypeCode::Integer, TypeCode::Real, 0, false},
        {TypeCode::Byte, TypeCode::Longint, 0, true},
        {Subrange(1, 10, TypeCode::Byte), TypeCode::Integer, 0, true},
        {TypeCode::Boolean, TypeCode::Byte, 0, false},
        {point, point, 0, true},
        {point, alias, 0, true},
        {point, other, 0, false},
        {numbers, grid, 0, false},
        {colour, colour, 0, true},
        {colour, fruit, 0, false},
        {colour, TypeCode::Enumerated, colour, true},
        {pointer, TypeCode::Pointer, 0, true},
        {charSet, TypeCode::Set, TypeCode::Char, true},
        {charSet, TypeCode::Set, QbPascalSyntaxe::AnyElement, true},
        {charSet, TypeCode::Set, TypeCode::Byte, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(driver->Compatible(c.Target, c.Source, 0, c.SourceSub, 0, 0), c.Expected)
            << c.Target << " <- " << c.Source;
    }
}
