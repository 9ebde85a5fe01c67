// Type sizes and ranges, predefined registration, and the descriptions the views read.
#include "TableFixture.h"

#include <vector>

namespace {
// Word codes of the System vocabulary.
constexpr std::uint16_t TextWord = 32;
constexpr std::uint16_t ByteWord = 63;
constexpr std::uint16_t IntegerWord = 64;
constexpr std::uint16_t WordWord = 65;
constexpr std::uint16_t BooleanWord = 67;
constexpr std::uint16_t CharWord = 68;
constexpr std::uint16_t RealWord = 69;
constexpr std::uint16_t InputWord = 98;
constexpr std::uint16_t OutputWord = 99;

// The program with a SYSTEM unit holding the predefined simple types.
class PredefinedTypesTest : public TableTest
{
  protected:
    PredefinedTypesTest()
    {
        table->NewEntry("SYSTEM", EntryKind::Use, program);
        system = table->NewUnit("SYSTEM");
        table->MarkPredefTypesStart();
        boolean = table->DeclareType(system, BooleanWord, 1, TypeCode::Boolean);
        character = table->DeclareType(system, CharWord, 1, TypeCode::Char);
        byte = table->DeclareType(system, ByteWord, 1, TypeCode::Byte);
        integer = table->DeclareType(system, IntegerWord, 2, TypeCode::Integer);
        word = table->DeclareType(system, WordWord, 2, TypeCode::Word);
        real = table->DeclareType(system, RealWord, 8, TypeCode::Real);
        text = table->DeclareType(system, TextWord, 500, TypeCode::Text);
        table->MarkPredefTypesEnd();
        table->MarkUserStart();
    }

    EntryNumber Subrange(std::uint8_t host, std::uint16_t low, std::uint16_t high)
    {
        const EntryNumber entry = table->NewEntry("", EntryKind::Type, program);
        table->SetCode(entry, TypeCode::Subrange);
        table->SetAux(entry, host);
        table->SetLink1(entry, low);
        table->SetLink2(entry, high);
        return entry;
    }

    EntryNumber system = 0, boolean = 0, character = 0, byte = 0, integer = 0, word = 0;
    EntryNumber real = 0, text = 0;
};

TEST_F(TableTest, TypeSizeFollowsTheTypeCode)
{
    const int unknown = -1;
    const std::vector<std::pair<int, int>> sizes = {
        {0, 1},        {1, 1},   {2, 1},        {3, 1},        {4, 2},        {5, 2},
        {6, 4},        {7, 2},   {8, 8},        {9, 2},        {10, 256},     {11, 4},
        {12, unknown}, {13, 32}, {14, unknown}, {15, unknown}, {17, unknown}, {18, unknown},
        {19, 460},     {20, 4},  {21, 4},       {22, unknown}, {23, unknown}, {64, unknown},
        {65, 4},       {255, 4}};
    for (const auto& [code, size] : sizes) {
        int got = 0;
        const int error = ErrorOf([&] { got = table->TypeSize(static_cast<std::uint8_t>(code)); });
        if (size == unknown) {
            EXPECT_EQ(error, ToInt(ErrorNumber::UnknownSize)) << "code " << code;
        } else {
            EXPECT_EQ(error, 0) << "code " << code;
            EXPECT_EQ(got, size) << "code " << code;
        }
    }
}

TEST_F(PredefinedTypesTest, SizeOfResolvesNamedCopiesSubrangesAndStructures)
{
    EXPECT_EQ(table->TypeSize(TypeCode::Text), 500); // the registered TEXT
    const EntryNumber array = TypeEntry("VECTOR", program, TypeCode::Array, 40);
    const EntryNumber alias = TypeEntry("COPY", program, TypeCode::Alias, 40);
    table->SetLink1(alias, array);
    const EntryNumber aliasOfAlias = TypeEntry("COPY2", program, TypeCode::Alias, 40);
    table->SetLink1(aliasOfAlias, alias);
    EXPECT_EQ(table->SizeOf(array), 40);
    EXPECT_EQ(table->SizeOf(aliasOfAlias), 40);
    EXPECT_EQ(table->BaseType(aliasOfAlias), array);
    EXPECT_TRUE(table->IsStructured(aliasOfAlias));
    EXPECT_FALSE(table->IsStructured(integer));
    EXPECT_EQ(table->SizeOf(Subrange(TypeCode::Char, 'A', 'Z')), 1); // the host's size
    EXPECT_EQ(table->SizeOf(Subrange(TypeCode::Integer, 1, 9)), 2);
    EXPECT_EQ(table->SizeOf(real), 8);
    EXPECT_EQ(table->SizeOf(text), 500);
    const EntryNumber database = TypeEntry("DB", program, TypeCode::Database, 4);
    EXPECT_EQ(ErrorOf([&] { table->SizeOf(database); }), ToInt(ErrorNumber::UnknownSize));
}

TEST_F(PredefinedTypesTest, InRangeChecksOrdinalBounds)
{
    const EntryNumber oneToTen = Subrange(TypeCode::Integer, 1, 10);
    const EntryNumber negative = Subrange(TypeCode::Integer, static_cast<std::uint16_t>(-5), 5);
    const EntryNumber large = Subrange(TypeCode::Word, 0, 60000);
    const EntryNumber colours = TypeEntry("COLOUR", program, TypeCode::Enumerated, 1);
    table->SetLink1(colours, 3);
    struct Case
    {
        EntryNumber type;
        std::int32_t value;
        bool inside;
    };
    const std::vector<Case> cases = {
        {oneToTen, 1, true},     {oneToTen, 10, true},  {oneToTen, 0, false},
        {oneToTen, 11, false},   {negative, -5, true},  {negative, -6, false},
        {large, 60000, true},    {large, 60001, false}, {colours, 2, true},
        {colours, 3, false},     {boolean, 1, true},    {boolean, 2, false},
        {character, 255, true},  {byte, -1, false},     {integer, -32768, true},
        {integer, 32768, false}, {word, 65535, true},   {word, -1, false},
        {real, 1000000, true}};
    for (const Case& c : cases) {
        EXPECT_EQ(table->InRange(c.type, c.value), c.inside)
            << table->GetName(c.type) << " " << c.value;
    }
}

TEST_F(PredefinedTypesTest, PredefinedTypesAreFoundByCodeAndWord)
{
    EXPECT_EQ(table->PredefTypeOfCode(TypeCode::Integer), integer);
    EXPECT_EQ(table->PredefTypeOfCode(TypeCode::Set), TypeCode::Set); // none registered
    EXPECT_EQ(table->PredefTypeByWord(IntegerWord), integer);
    const EntryNumber mine = TypeEntry("MYINT", program, TypeCode::Integer, 2);
    const EntryNumber record = TypeEntry("R", program, TypeCode::Record, 4);
    EXPECT_EQ(table->TypeKey(mine), table->TypeKey(integer));
    EXPECT_EQ(table->TypeKey(record), record);
    EXPECT_EQ(table->TypeKey(text), TypeCode::Text); // predefined range
}

TEST_F(PredefinedTypesTest, RegisteredVariablesTakeTheNextGlobalAddresses)
{
    table->SetValue(program, 10);
    const EntryNumber input = table->DeclareVar(system, InputWord, TypeCode::Text);
    const EntryNumber output = table->DeclareVar(system, OutputWord, TypeCode::Text);
    EXPECT_EQ(table->Value(input), 10);
    EXPECT_EQ(table->Value(output), 510);
    EXPECT_EQ(table->Value(program), 1010);
    EXPECT_EQ(table->Value(system), 1000);
    EXPECT_EQ(table->Link1(input), text);
    EXPECT_EQ(table->NextVariable(system), output);
    EXPECT_EQ(table->NextVariable(output), input);
    EXPECT_EQ(table->DeclareVar(system, InputWord, TypeCode::Text), input);
    EXPECT_EQ(table->Value(program), 1010);
    EXPECT_EQ(Find(driver->Word(OutputWord), EntryKind::Variable, program), output);

    const EntryNumber record = TypeEntry("REGS", program, TypeCode::Record, 0);
    const EntryNumber ax = table->DeclareVar(record, IntegerWord, TypeCode::Integer);
    const EntryNumber bx = table->DeclareVar(record, WordWord, TypeCode::Word);
    EXPECT_EQ(table->Value(ax), 0);
    EXPECT_EQ(table->Value(bx), 2);
    EXPECT_EQ(table->Value(record), 4);
    EXPECT_EQ(table->Link2(record), ax);
    EXPECT_EQ(table->Link2(ax), bx);
    EXPECT_EQ(table->Value(program), 1010);

    const EntryNumber function = Routine("F", program, EntryKind::Function);
    EXPECT_EQ(ErrorOf([&] { table->DeclareVar(function, IntegerWord, TypeCode::Integer); }),
              ToInt(ErrorNumber::UnitLoadError));
    EXPECT_EQ(ErrorOf([&] { table->DeclareVar(integer, IntegerWord, TypeCode::Integer); }),
              ToInt(ErrorNumber::UnitLoadError));
}

TEST_F(PredefinedTypesTest, RegistrationDoesNothingForANameAlreadyDeclared)
{
    const EntryNumber next = table->NextFree();
    EXPECT_EQ(table->DeclareType(system, IntegerWord, 4, TypeCode::Longint), integer);
    EXPECT_EQ(table->Code(integer), TypeCode::Integer);
    const EntryNumber constant = table->DeclareConst(system, IntegerWord, 7, TypeCode::Integer);
    EXPECT_EQ(table->Kind(constant), EntryKind::Constant); // another kind, another name space
    EXPECT_EQ(table->Link1(constant), 7);
    EXPECT_EQ(table->DeclareConst(system, IntegerWord, 8, TypeCode::Integer), constant);
    EXPECT_EQ(table->Link1(constant), 7);
    EXPECT_EQ(table->NextFree(), next + 1);
}

// A global array [1..3, 0..1] of INTEGER and a record holding one, at known addresses.
TEST_F(PredefinedTypesTest, AddressesAreDescribedAsVariableAndElementPath)
{
    const EntryNumber rows = Subrange(TypeCode::Integer, 1, 3);
    const EntryNumber columns = Subrange(TypeCode::Integer, 0, 1);
    ASSERT_EQ(columns, rows + 1);
    const EntryNumber matrix = TypeEntry("MATRIX", program, TypeCode::Array, 12);
    table->SetAux(matrix, 2);
    table->SetLink1(matrix, integer);
    table->SetLink2(matrix, rows);
    const EntryNumber record = TypeEntry("CELL", program, TypeCode::Record, 14);
    const EntryNumber tag = table->NewEntry("TAG", EntryKind::Variable, record);
    table->SetLink1(tag, word);
    const EntryNumber grid = table->NewEntry("GRID", EntryKind::Variable, record);
    table->SetLink1(grid, matrix);
    table->SetValue(grid, 2);
    table->SetLink2(record, tag);
    table->ChainAfter(grid, tag);

    const EntryNumber m = Variable("M", program, matrix);
    table->SetValue(m, 100);
    const EntryNumber c = Variable("C", program, record);
    table->SetValue(c, 112);

    EXPECT_EQ(table->DescribeAddress(100, false), "M[1,0]");
    EXPECT_EQ(table->DescribeAddress(106, false), "M[2,1]");
    EXPECT_EQ(table->DescribeAddress(111, false), "M[3,1]");
    EXPECT_EQ(table->DescribeAddress(112, true), "MAIN.C.TAG");
    EXPECT_EQ(table->DescribeAddress(116, false), "C.GRID[1,1]");
    EXPECT_EQ(table->DescribeAddress(126, false), "");
    std::uint32_t offset = 0;
    EXPECT_EQ(table->VariableAt(125, offset), c);
    EXPECT_EQ(offset, 13U);
    EXPECT_EQ(table->ElementPath(matrix, 400), ""); // beyond the array

    EXPECT_EQ(table->FieldList("C"), "TAG\r\nGRID");
    EXPECT_EQ(table->FieldList("M"), "");
    EXPECT_EQ(table->FieldList("NOBODY"), "");
}

TEST_F(TableTest, LinesAreFoundInTheBodiesOfAUnitAndItsRoutines)
{
    const EntryNumber unit = table->NewUnit("TOOLS");
    table->SetSlot(unit, RoutineSlot::BodyStartLine, 50);
    table->SetSlot(unit, RoutineSlot::BodyEndLine, 60);
    const EntryNumber p = Routine("P", unit);
    table->SetSlot(p, RoutineSlot::BodyStartLine, 10);
    table->SetSlot(p, RoutineSlot::BodyEndLine, 20);
    const EntryNumber q = Routine("Q", p, EntryKind::Function);
    table->SetSlot(q, RoutineSlot::BodyStartLine, 5);
    table->SetSlot(q, RoutineSlot::BodyEndLine, 8);
    table->SetSlot(program, RoutineSlot::BodyStartLine, 1);
    table->SetSlot(program, RoutineSlot::BodyEndLine, 3);

    for (const int line : {50, 60, 10, 20, 5, 8}) {
        EXPECT_TRUE(table->LineInUnit("TOOLS", line)) << line;
    }
    for (const int line : {49, 61, 9, 21, 30, 2}) {
        EXPECT_FALSE(table->LineInUnit("TOOLS", line)) << line;
    }
    EXPECT_TRUE(table->LineInUnit("MAIN", 2));
    EXPECT_FALSE(table->LineInUnit("OTHER", 2));
}
} // namespace
