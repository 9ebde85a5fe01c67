// Declarations checked in whole programs: the errors they raise and the symbol table they leave.
#include "DeclarationTestSupport.h"

#include "frontend/PascalWords.h"

#include <cstring>
#include <vector>

namespace {
struct ErrorCase
{
    const char* Text;
    int Error;
    int Line;
    int Column;
};

std::string Enumeration(int count)
{
    std::string text = "program p;\ntype t = (";
    for (int i = 0; i < count; ++i) {
        text += (i > 0 ? (i % 20 == 0 ? ",\n  v" : ",v") : "v") + std::to_string(i);
    }
    return text + ");\nbegin end.\n";
}

std::string Nested(int depth)
{
    std::string text = "program p;\n";
    for (int i = 1; i <= depth; ++i) {
        text += "procedure q" + std::to_string(i) + ";\n";
    }
    for (int i = 1; i <= depth; ++i) {
        text += "begin end;\n";
    }
    return text + "begin end.\n";
}
} // namespace

TEST_F(DeclarationTest, DeclarationErrorsStopTheCheckWhereTheyAre)
{
    const std::vector<ErrorCase> cases = {
        {"program p;\nvar x: integer;\n    x: real;\nbegin end.", 3, 3, 5},
        {"program p;\ntype t = (a, b, a);\nbegin end.", 3, 2, 17},
        {"program p;\ntype r = record a: integer; a: char end;\nbegin end.", 3, 2, 29},
        {"program p;\nprocedure q; begin end;\nprocedure q; begin end;\nbegin end.", 55, 3, 11},
        {"program p;\ntype pt = ^node;\nbegin end.", 52, 3, 1},
        {"program p;\nprocedure q; forward;\nbegin end.", 53, 3, 1},
        {"program p;\nlabel 10;\nbegin end.", 90, 2, 1},
        {"program p;\nx: integer;\nbegin end.", 76, 2, 1},
        {"program p;\nvar\nbegin end.", 2, 3, 1},
        {"program p;\nconst = 3;\nbegin end.", 2, 2, 7},
        {"program p;\nvar s: string[256];\nbegin end.", 7, 2, 18},
        {"program p;\nvar s: set of integer;\nbegin end.", 16, 2, 22},
        {"program p;\nvar s: packed set of char;\nbegin end.", 15, 2, 15},
        {"program p;\nvar f: file of text;\nbegin end.", 17, 2, 20},
        {"program p;\nvar a: array[integer] of char;\nbegin end.", 6, 2, 21},
        {"program p;\nvar a: array[char, char] of integer;\nbegin end.", 7, 2, 29},
        {"program p;\ntype r = record end;\nbegin end.", 43, 2, 17},
        {"program p;\nvar x: nothing;\nbegin end.", 9, 2, 8},
        {"program p;\nvar y: integer; x: y;\nbegin end.", 10, 2, 20},
        {"program p;\nprocedure q(a: array[char] of char); begin end;\nbegin end.", 56, 2, 16},
        {"program p;\nfunction f; begin end;\nbegin end.", 57, 2, 11},
        {"program p;\nfunction f: ; begin end;\nbegin end.", 58, 2, 13},
        {"program p;\nvar p: ^integer;\nbegin end.", 2, 2, 8},
        {"program p;\ntype r = record n: ^r end;\nbegin end.", 2, 2, 20},
        {"program p;\nvar a: integer absolute b;\nbegin end.", 91, 2, 16},
        {"program p;\nvar x: integer;\nprocedure q; forward;\nprocedure r;\n"
         "  procedure q; begin end;\nbegin end;\nbegin end.",
         59, 5, 13},
    };
    for (const ErrorCase& c : cases) {
        const Outcome outcome = Check(c.Text);
        EXPECT_EQ(outcome.Error, c.Error) << c.Text;
        EXPECT_EQ(outcome.Line, c.Line) << c.Text;
        EXPECT_EQ(outcome.Column, c.Column) << c.Text;
    }
}

TEST_F(DeclarationTest, AbsoluteVariablesFollowTheirRules)
{
    driver->SetOptionA(OptionA::ForbidAbsolute, false);
    const std::vector<ErrorCase> cases = {
        {"program p;\nvar b: integer;\n    a, c: integer absolute b;\nbegin end.", 83, 3, 28},
        {"program p;\nvar a: integer absolute a;\nbegin end.", 84, 2, 25},
        {"program p;\nvar b: real;\n    a: integer absolute b;\nbegin end.", 82, 3, 25},
        {"program p;\ntype r = record a: integer absolute b end;\nbegin end.", 20, 2, 28},
        {"program p;\nvar a: integer absolute 'x': 2;\nbegin end.", 21, 2, 31},
    };
    for (const ErrorCase& c : cases) {
        const Outcome outcome = Check(c.Text);
        EXPECT_EQ(outcome.Error, c.Error) << c.Text;
        EXPECT_EQ(outcome.Line, c.Line) << c.Text;
        EXPECT_EQ(outcome.Column, c.Column) << c.Text;
    }
    CheckClean("program p;\nvar b: integer;\n    a: word absolute b;\nbegin end.");
    EXPECT_EQ(Table().Value(Find("A", EntryKind::Variable)),
              Table().Value(Find("B", EntryKind::Variable)));
}

TEST_F(DeclarationTest, EnumerationsHoldAtMost255Values)
{
    CheckClean(Enumeration(255));
    EXPECT_EQ(Table().Link1(Find("T", EntryKind::Type)), 255);
    const Outcome outcome = Check(Enumeration(256));
    EXPECT_EQ(outcome.Error, 85);
}

TEST_F(DeclarationTest, RoutinesNestAsDeepAsTheOptionAllows)
{
    CheckClean(Nested(5));
    EXPECT_EQ(Check(Nested(6)).Error, 214);
    driver->SetLimits(6, 10, 100, 8);
    CheckClean(Nested(6));
}

TEST_F(DeclarationTest, LabelsNeedTheOptionAndALetter)
{
    driver->SetOptionB(OptionB::ForbidLabels, false);
    CheckClean("program p;\nlabel fin, again;\nbegin end.");
    const EntryNumber label = Find("FIN", EntryKind::Label);
    ASSERT_NE(label, 0);
    EXPECT_EQ(static_cast<std::int16_t>(Table().Value(label)), -1);
    const Outcome outcome = Check("program p;\nlabel 10;\nbegin end.");
    EXPECT_EQ(outcome.Error, 22);
    EXPECT_EQ(outcome.Column, 7);
}

TEST_F(DeclarationTest, GlobalsFollowEachOtherFromTheStartOfTheGlobalArea)
{
    CheckClean("program p;\nvar a: integer; b: real;\n    c: char;\nbegin end.");
    const EntryNumber a = Find("A", EntryKind::Variable);
    const EntryNumber b = Find("B", EntryKind::Variable);
    const EntryNumber c = Find("C", EntryKind::Variable);
    const std::uint16_t start = Table().Value(a);
    EXPECT_EQ(Table().Value(b), start + 2);
    EXPECT_EQ(Table().Value(c), start + 10);
    EXPECT_EQ(driver->GlobalsSize, start + 11);
    EXPECT_EQ(Table().GlobalSize(), start + 11);
    // The variable list of the block is in reverse declaration order.
    EXPECT_EQ(Table().NextVariable(1), c);
    EXPECT_EQ(Table().NextVariable(c), b);
}

TEST_F(DeclarationTest, LocalsAndParametersGetFrameOffsets)
{
    CheckClean("program p;\n"
               "procedure q(a: integer; var b: real; c: char);\n"
               "var x: integer; y: real;\n"
               "begin end;\n"
               "function f(n: longint): real;\n"
               "var z: char;\n"
               "begin end;\n"
               "begin end.");
    const EntryNumber q = Find("Q", EntryKind::Procedure);
    ASSERT_NE(q, 0);
    // Parameters right after the routine; the last one just above the 4-byte frame header.
    EXPECT_EQ(Table().GetName(q + 1), "A");
    EXPECT_EQ(Table().Code(q + 1), VariableMode::ValueParameter);
    EXPECT_EQ(Table().Code(q + 2), VariableMode::VarParameter);
    EXPECT_EQ(Offset(q + 3), 4);
    EXPECT_EQ(Offset(q + 2), 5);
    EXPECT_EQ(Offset(q + 1), 9);
    EXPECT_EQ(Table().Aux(q), 11);
    EXPECT_EQ(Offset(Find("X", EntryKind::Variable, q)), -2);
    EXPECT_EQ(Offset(Find("Y", EntryKind::Variable, q)), -10);
    EXPECT_EQ(Table().Value(q), 10);

    const EntryNumber f = Find("F", EntryKind::Function);
    ASSERT_NE(f, 0);
    EXPECT_EQ(Table().Kind(f + 1), EntryKind::Variable);
    EXPECT_EQ(Table().Code(f + 1), VariableMode::FunctionResult);
    EXPECT_EQ(Table().Owner(f + 1), f);
    EXPECT_EQ(Offset(f + 1), -8);
    EXPECT_EQ(Offset(f + 2), 4);
    EXPECT_EQ(Offset(Find("Z", EntryKind::Variable, f)), -9);
    // The result is found by the function's name from the enclosing block.
    EXPECT_EQ(Find("F", EntryKind::Variable), f + 1);
}

TEST_F(DeclarationTest, TypesHaveTheirSizesAndParts)
{
    CheckClean("program p;\n"
               "type color = (red, green, blue);\n"
               "     grid = array[boolean, char] of byte;\n"
               "     name = string[10];\n"
               "     shade = green..blue;\n"
               "     shape = record\n"
               "       x, y: integer;\n"
               "       case kind: color of\n"
               "         red: (r: real);\n"
               "         green, blue: (s: string[3]; t: char)\n"
               "     end;\n"
               "     cells = set of color;\n"
               "begin end.");
    const EntryNumber grid = Find("GRID", EntryKind::Type);
    EXPECT_EQ(Table().Code(grid), TypeCode::Array);
    EXPECT_EQ(Table().Value(grid), 512);
    EXPECT_EQ(Table().Aux(grid), 2);
    const EntryNumber first = Table().Link2(grid);
    EXPECT_EQ(Table().Code(first), TypeCode::Subrange);
    EXPECT_EQ(Table().Link2(first), 1);
    EXPECT_EQ(Table().Code(first + 1), TypeCode::Subrange);
    EXPECT_EQ(Table().Link2(first + 1), 255);

    EXPECT_EQ(Table().Value(Find("NAME", EntryKind::Type)), 11);
    const EntryNumber shade = Find("SHADE", EntryKind::Type);
    EXPECT_EQ(Table().Code(shade), TypeCode::Subrange);
    EXPECT_EQ(Table().Link1(shade), 1);
    EXPECT_EQ(Table().Link2(shade), 2);
    EXPECT_EQ(Table().Link1(Find("BLUE", EntryKind::EnumValue)), 2);

    // x, y, the tag, then the variants overlaid: the longest (a string) gives the size.
    const EntryNumber shape = Find("SHAPE", EntryKind::Type);
    EXPECT_EQ(Table().Code(shape), TypeCode::Record);
    std::vector<std::string> fields;
    for (EntryNumber f = Table().Link2(shape); f != 0; f = Table().Link2(f)) {
        fields.push_back(Table().GetName(f) + "@" + std::to_string(Table().Value(f)));
    }
    EXPECT_EQ(fields, (std::vector<std::string>{"X@0", "Y@2", "KIND@4", "R@5", "S@5", "T@261"}));
    EXPECT_EQ(Table().Value(shape), 262);
    EXPECT_EQ(Table().Code(Find("CELLS", EntryKind::Type)), TypeCode::Set);
}

TEST_F(DeclarationTest, PointerTargetsMayBeDeclaredLater)
{
    CheckClean("program p;\n"
               "type list = ^node;\n"
               "     node = record value: integer; next: list end;\n"
               "begin end.");
    const EntryNumber list = Find("LIST", EntryKind::Type);
    const EntryNumber node = Find("NODE", EntryKind::Type);
    EXPECT_EQ(Table().Link1(list), node);
    EXPECT_EQ(Table().Code(node), TypeCode::Record);
    EXPECT_EQ(Table().Value(node), 6);
    EXPECT_EQ(Table().Owner(Table().Link2(node)), node);
    EXPECT_TRUE(driver->HeapActive);
}

TEST_F(DeclarationTest, FunctionsReturnStructuresOnlyUnderTheOption)
{
    const std::string text = "program p;\n"
                             "type r = record a: integer end;\n"
                             "function f: r; begin end;\n"
                             "begin end.";
    CheckClean(text);
    driver->SetOptionA(OptionA::Reserved2048, false);
    const Outcome outcome = Check(text);
    EXPECT_EQ(outcome.Error, 68);
    EXPECT_EQ(outcome.Line, 3);
}

TEST_F(DeclarationTest, ForwardRoutinesAreDefinedLater)
{
    CheckClean("program p;\n"
               "function f(a: integer; var b: char): real; forward;\n"
               "procedure q; begin end;\n"
               "function f(a: integer; var b: char): real; begin end;\n"
               "begin end.");
    const EntryNumber f = Find("F", EntryKind::Function);
    EXPECT_EQ(Table().Code(f) & RoutineFlag::Forward, 0);
    EXPECT_EQ(Table().Slot(f, RoutineSlot::ForwardLine), 2);
    EXPECT_EQ(Table().Slot(f, RoutineSlot::DefiningLine), 4);
    EXPECT_EQ(Check("program p;\n"
                    "procedure q(a: integer); forward;\n"
                    "procedure q(b: integer); begin end;\n"
                    "begin end.")
                  .Error,
              120);
    // With the option off the definition may leave the parameters out.
    EXPECT_EQ(Check("program p;\n"
                    "procedure q(a: integer); forward;\n"
                    "procedure q; begin end;\n"
                    "begin end.")
                  .Error,
              120);
    driver->SetOptionA(OptionA::RepeatPublicParameters, false);
    CheckClean("program p;\n"
               "procedure q(a: integer); forward;\n"
               "procedure q; begin end;\n"
               "begin end.");
}

TEST_F(DeclarationTest, UnitsDeclareHeadingsInTheirInterface)
{
    CheckClean("unit u;\n"
               "interface\n"
               "  const limit = 10;\n"
               "  procedure show(n: integer);\n"
               "implementation\n"
               "  var hidden: integer;\n"
               "  procedure show(n: integer); begin end;\n"
               "end.");
    EXPECT_EQ(driver->UnitKind, 1);
    EXPECT_TRUE(Table().IsMarked(Find("HIDDEN", EntryKind::Variable)));
    EXPECT_FALSE(Table().IsMarked(Find("SHOW", EntryKind::Procedure)));
    const std::vector<ErrorCase> cases = {
        {"unit u;\ninterface\nlabel a;\nimplementation\nend.", 73, 3, 1},
        {"unit u;\ninterface\nbegin end.", 74, 3, 1},
        {"unit u;\ninterface\nprocedure q;\nimplementation\nend.", 53, 5, 1},
        {"unit u;\ninterface\nprocedure q(a: integer);\nimplementation\n"
         "procedure q; begin end;\nend.",
         120, 5, 12},
    };
    for (const ErrorCase& c : cases) {
        const Outcome outcome = Check(c.Text);
        EXPECT_EQ(outcome.Error, c.Error) << c.Text;
        EXPECT_EQ(outcome.Line, c.Line) << c.Text;
        EXPECT_EQ(outcome.Column, c.Column) << c.Text;
    }
}

TEST_F(DeclarationTest, UsesRegistersAModuleOnce)
{
    CheckClean("program p;\nuses crt, crt;\nbegin end.");
    EXPECT_NE(Table().FindUnit("CRT"), 0);
    EXPECT_NE(Table().FindUnit("SYSTEM"), 0);
    EXPECT_EQ(Check("program p;\nuses mine, mine;\nbegin end.").Error, 3);
}

TEST_F(DeclarationTest, SystemRegistersThePredefinedTypesAndFiles)
{
    CheckClean("program p;\nbegin end.");
    const QbTable& table = Table();
    const std::vector<std::pair<std::uint8_t, std::uint16_t>> sizes = {
        {TypeCode::Integer, 2}, {TypeCode::Byte, 1},    {TypeCode::Real, 8},
        {TypeCode::Boolean, 1}, {TypeCode::Char, 1},    {TypeCode::Pointer, 4},
        {TypeCode::Word, 2},    {TypeCode::Longint, 4}, {TypeCode::String, 256},
        {TypeCode::Text, 460}};
    for (const auto& [code, size] : sizes) {
        const EntryNumber type = table.PredefTypeOfCode(code);
        ASSERT_TRUE(table.IsEntry(type)) << int(code);
        EXPECT_EQ(table.Value(type), size) << int(code);
    }
    EXPECT_EQ(table.PredefTypesEnd() - table.PredefTypesStart(), 11);
    const EntryNumber system = table.FindUnit("SYSTEM");
    EntryNumber output = 0;
    ASSERT_TRUE(table.FindInBlock("OUTPUT", EntryKind::Variable, system, output));
    EXPECT_EQ(table.Value(output), 460);
    EXPECT_EQ(driver->GlobalsSize, 920);
}

TEST_F(DeclarationTest, AVocabularyWithoutValueWordNeedsAModeWord)
{
    EXPECT_TRUE(driver->HasDefaultMode);
    EXPECT_EQ(driver->DefaultMode, VariableMode::ValueParameter);
}

TEST_F(DeclarationTest, ConstantsKeepTheirValueAndType)
{
    CheckClean("program p;\n"
               "type color = (red, green, blue);\n"
               "const n = 2 * 5;\n"
               "      big = 40000;\n"
               "      half = 0.5;\n"
               "      greeting = 'hello';\n"
               "      letter = 'x';\n"
               "      last = blue;\n"
               "      yes = not false;\n"
               "begin end.");
    const EntryNumber n = Find("N", EntryKind::Constant);
    EXPECT_EQ(Table().Code(n), TypeCode::Integer);
    EXPECT_EQ(Table().Link1(n), 10);
    const EntryNumber big = Find("BIG", EntryKind::Constant);
    EXPECT_EQ(Table().Code(big), TypeCode::Longint);
    EXPECT_EQ(Table().Cell(big), 40000u);
    const EntryNumber half = Find("HALF", EntryKind::Constant);
    EXPECT_EQ(Table().Code(half), TypeCode::Real);
    ASSERT_EQ(Table().AttrBlock(half).size(), sizeof(double));
    double value = 0;
    std::memcpy(&value, Table().AttrBlock(half).data(), sizeof value);
    EXPECT_EQ(value, 0.5);
    const auto text = Table().AttrBlock(Find("GREETING", EntryKind::Constant));
    EXPECT_EQ(std::string(text.begin() + 1, text.end()), "hello");
    EXPECT_EQ(text[0], 5);
    const EntryNumber letter = Find("LETTER", EntryKind::Constant);
    EXPECT_EQ(Table().Code(letter), TypeCode::Char);
    EXPECT_EQ(Table().Link1(letter), 'x');
    const EntryNumber last = Find("LAST", EntryKind::Constant);
    EXPECT_EQ(Table().Code(last), TypeCode::Enumerated);
    EXPECT_EQ(Table().Link1(last), 2);
    EXPECT_EQ(Table().Aux(last), Find("COLOR", EntryKind::Type));
    EXPECT_EQ(Table().Link1(Find("YES", EntryKind::Constant)), 1);
}

TEST_F(DeclarationTest, TypedConstantsHoldTheirValueInTheirLayout)
{
    CheckClean("program p;\n"
               "type point = record x, y: integer; name: string[3] end;\n"
               "const origin: point = (x: 1; y: -2; name: 'abc');\n"
               "      table: array[1..2, 1..3] of byte = ((1, 2, 3), (4, 5, 6));\n"
               "      ratio: real = 3;\n"
               "begin end.");
    const EntryNumber origin = Find("ORIGIN", EntryKind::Constant);
    EXPECT_EQ(Table().Aux(origin), Find("POINT", EntryKind::Type));
    const auto point = Table().AttrBlock(origin);
    ASSERT_EQ(point.size(), Table().SizeOf(Find("POINT", EntryKind::Type)) + 2u);
    EXPECT_EQ(point[0], 1);
    EXPECT_EQ(point[2], 0xFE);
    EXPECT_EQ(point[3], 0xFF);
    EXPECT_EQ(point[4], 3);
    EXPECT_EQ(point[5], 'a');
    const auto table = Table().AttrBlock(Find("TABLE", EntryKind::Constant));
    ASSERT_EQ(table.size(), 8u);
    EXPECT_EQ(std::vector<int>(table.begin(), table.begin() + 6),
              (std::vector<int>{1, 2, 3, 4, 5, 6}));
    double ratio = 0;
    std::memcpy(&ratio, Table().AttrBlock(Find("RATIO", EntryKind::Constant)).data(), sizeof ratio);
    EXPECT_EQ(ratio, 3.0);

    const std::vector<ErrorCase> cases = {
        {"program p;\nconst a: array[1..3] of byte = (1, 2);\nbegin end.", 133, 2, 37},
        {"program p;\nconst a: array[1..2] of byte = (1, 2, 3);\nbegin end.", 133, 2, 37},
        {"program p;\nconst b: byte = 'x';\nbegin end.", 19, 2, 20},
        {"program p;\ntype r = record x: integer end;\nconst c: r = (y: 1);\nbegin end.", 51, 3,
         15},
    };
    for (const ErrorCase& c : cases) {
        const Outcome outcome = Check(c.Text);
        EXPECT_EQ(outcome.Error, c.Error) << c.Text;
        EXPECT_EQ(outcome.Line, c.Line) << c.Text;
        EXPECT_EQ(outcome.Column, c.Column) << c.Text;
    }
}

TEST_F(DeclarationTest, SubrangeBoundsMustAgree)
{
    const std::vector<ErrorCase> cases = {
        {"program p;\ntype s = 10..1;\nbegin end.", 11, 2, 15},
        {"program p;\ntype s = 1..'z';\nbegin end.", 12, 2, 16},
        {"program p;\ntype a = (x, y); b = (z, w);\n     s = x..w;\nbegin end.", 13, 3, 14},
        {"program p;\ntype s = 'abc'..'z';\nbegin end.", 14, 2, 20},
    };
    for (const ErrorCase& c : cases) {
        const Outcome outcome = Check(c.Text);
        EXPECT_EQ(outcome.Error, c.Error) << c.Text;
        EXPECT_EQ(outcome.Line, c.Line) << c.Text;
        EXPECT_EQ(outcome.Column, c.Column) << c.Text;
    }
    CheckClean("program p;\ntype s = -5..300;\nbegin end.");
    const EntryNumber s = Find("S", EntryKind::Type);
    EXPECT_EQ(Table().Aux(s), TypeCode::Integer);
    EXPECT_EQ(static_cast<std::int16_t>(Table().Link1(s)), -5);
    EXPECT_EQ(Table().SizeOf(s), 2);
}

TEST_F(DeclarationTest, DeeplyNestedTypesEndInAnError)
{
    std::string records;
    for (int i = 0; i < 400; ++i) {
        records += "record f:\n";
    }
    Outcome outcome = Check("program p;\ntype t = " + records + "integer;\nbegin end.");
    EXPECT_EQ(outcome.Error, 199);
    std::string arrays;
    for (int i = 0; i < 400; ++i) {
        arrays += "array[boolean] of\n";
    }
    outcome = Check("program p;\nvar a: " + arrays + "byte;\nbegin end.");
    EXPECT_EQ(outcome.Error, 199);
}

TEST_F(DeclarationTest, AUsedUnitIsReadFromItsPage)
{
    pages.pages["MYLIB.pas"] = "unit mylib;\n"
                               "interface\n"
                               "  type counter = 0..9;\n"
                               "  var shared: integer;\n"
                               "implementation\n"
                               "  type secret = char;\n"
                               "  var total: longint;\n"
                               "begin\n"
                               "end.\n";
    CheckClean("program p;\nuses mylib;\nvar c: counter;\nbegin end.");
    const EntryNumber unit = Table().FindUnit("MYLIB");
    ASSERT_NE(unit, 0);
    EXPECT_EQ(Table().Value(Table().FindUse(1, "MYLIB")), unit);
    const EntryNumber shared = Find("SHARED", EntryKind::Variable, unit);
    const EntryNumber total = Find("TOTAL", EntryKind::Variable, unit);
    const EntryNumber c = Find("C", EntryKind::Variable);
    // One global area: the unit's variables, then the program's.
    EXPECT_EQ(Table().Value(total), Table().Value(shared) + 2);
    EXPECT_EQ(Table().Value(c), Table().Value(total) + 4);
    EXPECT_EQ(Table().Value(unit), 6);
    EXPECT_NE(Table().Slot(unit, RoutineSlot::BodyStartLine), 0);

    const Outcome hidden = Check("program p;\nuses mylib;\nvar s: secret;\nbegin end.");
    EXPECT_EQ(hidden.Error, 9);
    EXPECT_EQ(hidden.Line, 3);
    EXPECT_EQ(Check("program p;\nuses nowhere;\nbegin end.").Error, 240);
}

TEST_F(DeclarationTest, AUnitMayBeWrittenInsideTheProgram)
{
    CheckClean("program p;\n"
               "unit inner;\n"
               "interface\n"
               "  const k = 3;\n"
               "implementation\n"
               "  var hidden: char;\n"
               ".\n"
               "var a: array[1..k] of byte;\n"
               "begin end.");
    EXPECT_EQ(Table().Value(Table().Link1(Find("A", EntryKind::Variable))), 3);
    EXPECT_TRUE(Table().IsMarked(Find("HIDDEN", EntryKind::Variable, Table().FindUnit("INNER"))));
}

TEST_F(DeclarationTest, AFullSymbolTableIsAnError)
{
    std::string text = "program p;\nvar v0";
    for (int i = 1; i < 1100; ++i) {
        text += (i % 20 == 0 ? ",\n  v" : ", v") + std::to_string(i);
    }
    text += ": integer;\nbegin end.";
    EXPECT_EQ(Check(text).Error, 254);
}

TEST_F(DeclarationTest, EveryCutOfADeclarationTextEndsInANumberedError)
{
    const std::string text =
        "program p;\n"
        "const n = 3; s: string[4] = 'ab';\n"
        "type e = (a, b); r = record x: integer; case t: e of a: (y: real) end;\n"
        "     l = ^r; m = array[1..n, e] of set of char;\n"
        "var v: r; w: m;\n"
        "function f(var q: integer; c: char): real; forward;\n"
        "function f(var q: integer; c: char): real; begin end;\n"
        "begin end.";
    CheckClean(text);
    for (std::size_t cut = 0; cut + 1 < text.size(); ++cut) {
        const Outcome outcome = Check(text.substr(0, cut));
        EXPECT_NE(outcome.Error, 0) << text.substr(0, cut);
    }
}
