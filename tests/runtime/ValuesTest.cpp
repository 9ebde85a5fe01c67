// Values in memory and on the evaluation stack: limits, string capacities, checked addresses,
// casts and the texts the views show.
#include "DataFixture.h"

#include "runtime/DataInline.h"
#include "runtime/DataViewHost.h"

#include <vector>

namespace {
TEST_F(DataTest, EvaluationStackHolds31Values)
{
    Open();
    EXPECT_TRUE(data.RoomFor(31));
    for (int i = 1; i <= 31; ++i) {
        PushInteger(i);
    }
    EXPECT_EQ(data.EvaluationCount(), 31);
    EXPECT_FALSE(data.RoomFor(1));
    EXPECT_EQ(ErrorOf([&] { PushInteger(32); }), 250);
    EXPECT_EQ(data.EvaluationCount(), 0) << "Fail empties the stack";
    for (int i = 1; i <= 20; ++i) {
        PushInteger(i);
    }
    ExpectRoomAsPushesFindIt();
}

TEST_F(DataTest, EvaluationDataEndsAtOffset1243)
{
    Open();
    for (int i = 0; i < 4; ++i) {
        PushText(std::string(255, 'a')); // 256 bytes each
    }
    EXPECT_EQ(ErrorOf([&] { PushText(std::string(255, 'b')); }), 250);
    for (int i = 0; i < 4; ++i) {
        PushText(std::string(255, 'a'));
    }
    PushText(std::string(150, 'c'));
    ExpectRoomAsPushesFindIt();
}

TEST_F(DataTest, ValuesComeBackInStackOrder)
{
    Open();
    PushInteger(-7, TypeCode::Longint);
    PushReal(2.25);
    PushText("word");
    PushInteger('Z', TypeCode::Char);
    EXPECT_EQ(data.PopType(), TypeCode::Char);
    EXPECT_EQ(data.Acc.Text(), "Z") << "a character is also a one-character string";
    EXPECT_DOUBLE_EQ(data.Acc.Real, 'Z');
    EXPECT_EQ(data.PopType(), TypeCode::String);
    EXPECT_EQ(data.Acc.Text(), "word");
    EXPECT_EQ(data.PopType(), TypeCode::Real);
    EXPECT_DOUBLE_EQ(data.Acc.Real, 2.25);
    EXPECT_EQ(data.PopType(), TypeCode::Longint);
    EXPECT_EQ(data.Acc.Integer, -7);
    EXPECT_DOUBLE_EQ(data.Acc.Real, -7.0);
    EXPECT_EQ(ErrorOf([&] { data.Pop(); }), 251);
}

TEST_F(DataTest, FilesCannotBeEvaluated)
{
    Open();
    EXPECT_EQ(ErrorOf([&] { data.Push(TypeCode::Text); }), 251);
}

TEST_F(DataTest, LongStringIsCutToItsDeclaredLength)
{
    const EntryNumber short5 = TypeEntry("S5", TypeCode::String, 6);
    const EntryNumber s = Global("S", short5);
    const EntryNumber after = Global("AFTER", Predefined(TypeCode::Byte));
    Open();
    data.Acc.SetInteger(77);
    Store(after, TypeCode::Byte);
    for (const std::uint16_t type :
         {static_cast<std::uint16_t>(short5), static_cast<std::uint16_t>(TypeCode::String)}) {
        data.Acc.SetText("abcdefgh");
        Store(s, type);
        data.Acc.SetText("");
        Load(s, short5);
        EXPECT_EQ(data.Acc.Text(), "abcde");
        Load(after, TypeCode::Byte);
        EXPECT_EQ(data.Acc.Integer, 77) << "the next variable is untouched";
    }
}

TEST_F(DataTest, ScalarsKeepTheirWidthInMemory)
{
    const EntryNumber i = Global("I", Predefined(TypeCode::Integer));
    const EntryNumber w = Global("W", Predefined(TypeCode::Word));
    const EntryNumber b = Global("B", Predefined(TypeCode::Boolean));
    Open();
    data.Acc.SetInteger(40000);
    Store(i, TypeCode::Integer);
    Load(i, TypeCode::Integer);
    EXPECT_EQ(data.Acc.Integer, 40000 - 65536);
    data.Acc.SetInteger(-1);
    Store(w, TypeCode::Word);
    Load(w, TypeCode::Word);
    EXPECT_EQ(data.Acc.Integer, 65535);
    data.Acc.SetInteger(5);
    Store(b, TypeCode::Boolean);
    Load(b, TypeCode::Boolean);
    EXPECT_EQ(data.Acc.Integer, 1);
}

TEST_F(DataTest, AGlobalMovedStraightHoldsWhatLoadAndStoreGiveIt)
{
    const EntryNumber i = Global("I", Predefined(TypeCode::Integer));
    const EntryNumber b = Global("B", Predefined(TypeCode::Boolean));
    const EntryNumber r = Global("R", Predefined(TypeCode::Real));
    const EntryNumber s = Global("S", Predefined(TypeCode::String));
    Open();
    const auto place = [&](EntryNumber variable, std::uint16_t type, std::uint32_t size) {
        return data.DirectPlaceOf(variable, data.AddressOf(variable), size, type);
    };
    const DirectPlace integer = place(i, TypeCode::Integer, 2);
    const DirectPlace boolean = place(b, TypeCode::Boolean, 1);
    const DirectPlace real = place(r, TypeCode::Real, 8);
    EXPECT_EQ(integer.Width, 2);
    EXPECT_EQ(boolean.Width, 1);
    EXPECT_EQ(real.Width, 8);
    // Strings, and variables smaller than their type says, take the general way.
    EXPECT_EQ(place(s, TypeCode::String, 256).Width, 0);
    EXPECT_EQ(place(i, TypeCode::Longint, 2).Width, 0);
    EXPECT_EQ(place(0, TypeCode::Integer, 2).Width, 0);

    // Nothing is moved before the variable holds a value: the first store marks it.
    data.Acc.SetInteger(7);
    EXPECT_FALSE(data.StoreDirect(integer));
    EXPECT_FALSE(data.LoadDirect(integer));
    Store(i, TypeCode::Integer);
    data.Acc.SetInteger(40000);
    EXPECT_TRUE(data.StoreDirect(integer));
    Load(i, TypeCode::Integer);
    EXPECT_EQ(data.Acc.Integer, 40000 - 65536);
    data.Acc.SetInteger(0);
    EXPECT_TRUE(data.LoadDirect(integer));
    EXPECT_EQ(data.Acc.Integer, 40000 - 65536);

    data.Acc.SetInteger(0);
    Store(b, TypeCode::Boolean);
    data.Acc.SetInteger(5);
    EXPECT_TRUE(data.StoreDirect(boolean));
    Load(b, TypeCode::Boolean);
    EXPECT_EQ(data.Acc.Integer, 1);

    data.Acc.SetReal(0.0);
    Store(r, TypeCode::Real);
    data.Acc.SetReal(2.5);
    EXPECT_TRUE(data.StoreDirect(real));
    data.Acc.SetReal(0.0);
    EXPECT_TRUE(data.LoadDirect(real));
    EXPECT_EQ(data.Acc.Real, 2.5);

    // A place beyond the global area (kept from a larger program) is never read or written.
    DirectPlace beyond = integer;
    beyond.Offset = table.GlobalSize();
    EXPECT_FALSE(data.LoadDirect(beyond));
    EXPECT_FALSE(data.StoreDirect(beyond));
}

TEST_F(DataTest, BadAddressesAreNumberedErrors)
{
    const EntryNumber g = Global("G", Predefined(TypeCode::Longint));
    Open();
    data.Acc.SetInteger(1);
    Store(g, TypeCode::Longint);
    const struct
    {
        std::uint32_t address;
        int error;
    } cases[] = {
        {DataAddress::Nil, 207},
        {DataAddress::HeapBase + 16, 208},    // no heap in this run
        {DataAddress::Global(2), 208},        // runs past the 4-byte global area
        {DataAddress::Stack(31999), 208},     // runs past the data stack
        {0x7FFFFFFF, 208},                    // no area at all
        {DataAddress::Constant(500, 0), 208}, // no such typed constant
    };
    for (const auto& c : cases) {
        data.SetCurrentAddress(c.address);
        data.Acc.SetInteger(5);
        EXPECT_EQ(ErrorOf([&] { data.StoreValue(TypeCode::Longint); }), c.error) << c.address;
        EXPECT_EQ(ErrorOf([&] { data.LoadValue(TypeCode::Longint); }), c.error) << c.address;
    }
}

TEST(DataAddressTest, EveryAreaEndsWhereTheNextBegins)
{
    using DataAddress::Area;
    using DataAddress::AreaOf;
    const struct
    {
        std::uint32_t Address;
        Area Expected;
    } cases[] = {
        {0, Area::None},
        {1, Area::EvaluationSlot},
        {32, Area::EvaluationSlot},
        {33, Area::None},
        {DataAddress::GlobalBase - 1, Area::None},
        {DataAddress::GlobalBase, Area::Global},
        {DataAddress::StackBase - 1, Area::Global},
        {DataAddress::StackBase, Area::Stack},
        {DataAddress::StackBase + DataAddress::AreaSpan - 1, Area::Stack},
        {DataAddress::StackBase + DataAddress::AreaSpan, Area::None},
        {DataAddress::HeapBase - 1, Area::None},
        {DataAddress::HeapBase, Area::Heap},
        {DataAddress::HeapLimit - 1, Area::Heap},
        {DataAddress::ConstantBase, Area::Constant},
        {DataAddress::ConstantLimit - 1, Area::Constant},
        {DataAddress::ConstantLimit, Area::None},
        {0xFFFFFFFFu, Area::None},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AreaOf(c.Address), c.Expected) << std::hex << c.Address;
    }
}

TEST_F(DataTest, ReinterpretSeesTheSameBytes)
{
    const EntryNumber pair = TypeEntry("PAIR", TypeCode::Record, 2);
    Open();
    data.Acc.SetInteger(0x0201);
    data.Reinterpret(pair, TypeCode::Integer);
    ASSERT_EQ(data.Acc.Structure.size(), 2u);
    EXPECT_EQ(data.Acc.Structure[0], 1);
    EXPECT_EQ(data.Acc.Structure[1], 2);
    data.Reinterpret(TypeCode::Word, pair);
    EXPECT_EQ(data.Acc.Integer, 0x0201);
}

class RecordingViews : public DataViewHost
{
  public:
    bool IsArrayWindowOpen(const std::string& caption) override
    {
        return std::find(opened.begin(), opened.end(), caption) != opened.end();
    }
    void ShowArrayWindow(const std::string& caption, std::uint32_t, std::uint16_t) override
    {
        opened.push_back(caption);
    }
    void CloseArrayWindow(const std::string& caption) override { closed.push_back(caption); }
    void AssignedChanged(std::uint32_t) override { ++assignedChanges; }
    std::string FileName(std::uint32_t) override { return "DATA.TXT"; }

    std::vector<std::string> opened;
    std::vector<std::string> closed;
    int assignedChanges = 0;
};

TEST_F(DataTest, FormatValueShowsEachCode)
{
    const EntryNumber colour = TypeEntry("COLOUR", TypeCode::Enumerated, 1);
    for (const char* name : {"RED", "GREEN"}) {
        const EntryNumber value = table.NewEntry(name, EntryKind::EnumValue, colour);
        table.SetLink1(value, static_cast<std::uint16_t>(table.GetName(value) == "GREEN"));
    }
    const EntryNumber record = TypeEntry("R", TypeCode::Record, 2);
    const EntryNumber pointer = TypeEntry("P", TypeCode::Pointer, 4);
    const EntryNumber procedural = TypeEntry("ACTION", TypeCode::ProcedureType, 4);
    const EntryNumber proc = Routine("DRAW");
    struct Case
    {
        const char* name;
        std::uint16_t type;
        std::function<void()> set;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"I", TypeCode::Integer, [&] { data.Acc.SetInteger(-5); }, "-5"},
        {"W", TypeCode::Word, [&] { data.Acc.SetInteger(65535); }, "65535"},
        {"L", TypeCode::Longint, [&] { data.Acc.SetInteger(-70000); }, "-70000"},
        {"C", TypeCode::Char, [&] { data.Acc.SetInteger('q'); }, "q"},
        {"R1", TypeCode::Real, [&] { data.Acc.SetReal(3.5); }, "  3.5"},
        {"R2", TypeCode::Real, [&] { data.Acc.SetReal(2.0); }, "  2.0"},
        {"R3", TypeCode::Real, [&] { data.Acc.SetReal(-0.125); }, " -0.125"},
        {"S1", TypeCode::String, [&] { data.Acc.SetText("hi"); }, "hi"},
        {"S2", TypeCode::String, [&] { data.Acc.SetText(""); }, " "},
        {"E", colour, [&] { data.Acc.SetInteger(1); }, "GREEN"},
        {"E2", colour, [&] { data.Acc.SetInteger(7); }, "7"},
        {"P1", pointer, [&] { data.Acc.SetInteger(DataAddress::HeapBase + 0x20); }, "$00100020"},
        {"F", procedural, [&] { data.Acc.SetInteger(proc); }, "@DRAW"},
        {"REC", record,
         [&] {
             data.Acc.Structure = {1, 2};
         },
         "No display"},
    };
    std::vector<EntryNumber> variables;
    for (const Case& c : cases) {
        variables.push_back(Global(c.name, c.type >= 40
                                               ? static_cast<EntryNumber>(c.type)
                                               : Predefined(static_cast<std::uint8_t>(c.type))));
    }
    Open();
    for (std::size_t i = 0; i < cases.size(); ++i) {
        cases[i].set();
        if (cases[i].type == pointer) {
            // Stored as raw bytes: there is no heap to count the reference.
            data.SetCurrentAddress(data.AddressOf(variables[i]));
            std::uint8_t* bytes = data.Bytes(data.CurrentAddress(), 4);
            ASSERT_NE(bytes, nullptr);
            const auto value = static_cast<std::uint32_t>(data.Acc.Integer);
            for (int k = 0; k < 4; ++k) {
                bytes[k] = static_cast<std::uint8_t>(value >> (8 * k));
            }
        } else {
            Store(variables[i], cases[i].type);
        }
        EXPECT_EQ(data.FormatValue(data.AddressOf(variables[i]), cases[i].type), cases[i].expected)
            << cases[i].name;
    }
}

TEST_F(DataTest, FormatValueOpensTheWindowOfAShowableArray)
{
    RecordingViews views;
    const EntryNumber integer = Predefined(TypeCode::Integer);
    const EntryNumber vector = TypeEntry("V", TypeCode::Array, 10, integer);
    table.SetAux(vector, 1);
    const EntryNumber grid = TypeEntry("G", TypeCode::Array, 40, vector);
    table.SetAux(grid, 1);
    const EntryNumber proc = Routine("PROC");
    const EntryNumber a = Local("A", proc, vector, -10);
    const EntryNumber g = Global("T", grid);
    Open();
    data.SetViews(&views);
    Enter(proc);
    EXPECT_EQ(data.FormatValue(data.AddressOf(a), vector), "see window");
    ASSERT_EQ(views.opened.size(), 1u);
    EXPECT_EQ(views.opened[0], "PROC.A");
    EXPECT_EQ(data.FormatValue(data.AddressOf(g), grid), "No display") << "arrays of arrays";
    Leave();
    EXPECT_EQ(views.closed, std::vector<std::string>{"PROC.A"});
}

TEST_F(DataTest, NameOfAddressNamesTheHolder)
{
    const EntryNumber integer = Predefined(TypeCode::Integer);
    const EntryNumber total = Global("TOTAL", integer);
    const EntryNumber proc = Routine("PROC");
    const EntryNumber local = Local("X", proc, integer, -2);
    Open();
    Enter(proc);
    Enter(proc);
    EXPECT_EQ(data.NameOfAddress(3), "Evaluator line 3");
    EXPECT_EQ(data.NameOfAddress(data.AddressOf(total)), "TOTAL");
    EXPECT_EQ(data.NameOfAddress(data.AddressOf(local)), "PROC.2.X");
}
} // namespace
