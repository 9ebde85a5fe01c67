// The entries themselves: limits, bad entry numbers, trees, chains, units, registered routines.
#include "TableFixture.h"

#include <vector>

namespace {
TEST_F(TableTest, TheThousandAndFirstEntryRaisesTableFull)
{
    while (table->NextFree() <= QbTable::MaxEntries) {
        table->NewEntry("E" + std::to_string(table->NextFree()), EntryKind::Variable, program);
    }
    EXPECT_EQ(table->GetName(QbTable::MaxEntries), "E1000");
    EXPECT_EQ(ErrorOf([&] { table->NewEntry("MORE", EntryKind::Variable, program); }),
              ToInt(ErrorNumber::SymbolTableFull));
    EXPECT_EQ(ErrorOf([&] { table->NewEntry("MORE", EntryKind::Procedure, program); }),
              ToInt(ErrorNumber::SymbolTableFull));
    EXPECT_EQ(table->NextFree(), QbTable::MaxEntries + 1);
    EXPECT_EQ(table->GetName(QbTable::MaxEntries), "E1000");

    table->Reset();
    EXPECT_EQ(table->NextFree(), 1);
    EXPECT_EQ(table->GetName(1), "");
    EXPECT_FALSE(table->HasRoutineBlock(1));
}

TEST_F(TableTest, EntryNumbersOutsideTheTableReadAsNoneAndAreNeverWritten)
{
    const std::vector<EntryNumber> bad = {0, table->NextFree(), QbTable::MaxEntries,
                                          QbTable::MaxEntries + 1, 65535};
    for (const EntryNumber entry : bad) {
        table->SetName(entry, "X");
        table->SetValue(entry, 7);
        table->SetLink1(entry, 7);
        table->SetCell(entry, 0xFFFFFFFF);
        table->SetSlot(entry, 0, 7);
        table->Mark(entry);
        table->SetAttrBlock(entry, {1, 2, 3});
        EXPECT_EQ(table->GetName(entry), "");
        EXPECT_EQ(table->Value(entry), 0);
        EXPECT_EQ(table->Link2(entry), 0);
        EXPECT_EQ(table->Slot(entry, 0), 0);
        EXPECT_FALSE(table->IsMarked(entry));
        EXPECT_TRUE(table->AttrBlock(entry).empty());
        EXPECT_FALSE(table->Handler(entry));
        EXPECT_EQ(table->Outermost(entry), entry);
        EXPECT_EQ(table->Depth(entry), 0);
    }
    // Slot indexes outside the routine block.
    table->SetSlot(program, 19, 5);
    table->SetSlot(program, -1, 5);
    EXPECT_EQ(table->Slot(program, 19), 0);
    EXPECT_EQ(table->Slot(program, -1), 0);
    EXPECT_EQ(table->Slot(program, RoutineSlot::FirstVariable), 0);
}

TEST_F(TableTest, CircularChainsAndOwnersDoNotHangTheSearches)
{
    const EntryNumber a = table->NewEntry("A", EntryKind::Variable, program);
    const EntryNumber b = table->NewEntry("B", EntryKind::Variable, program);
    table->SetLink2(a, b);
    table->SetLink2(b, a);
    EntryNumber found = 0;
    EXPECT_FALSE(table->ChainFind("C", a, found));
    EXPECT_FALSE(table->ChainFindAfter("C", a, found));

    const EntryNumber p = table->NewEntry("P", EntryKind::Procedure, program);
    const EntryNumber q = table->NewEntry("Q", EntryKind::Procedure, p);
    table->SetOwner(p, q);
    EXPECT_FALSE(table->Lookup("NONE", EntryKind::Variable, found, q));
    table->Outermost(q);
    table->Depth(q);
}

TEST_F(TableTest, LinkingWithAStaleParentKeepsEveryNameReachable)
{
    for (const char* name : {"M", "C", "T"}) {
        Variable(name, program);
    }
    EntryNumber parent = 0;
    ASSERT_FALSE(table->Lookup("D", EntryKind::Variable, parent, program));
    const EntryNumber e = Variable("E", program); // takes the place under `parent`
    const EntryNumber d = table->NewEntry("D", EntryKind::Variable, program);
    table->LinkEntry(d, parent, program);
    const EntryNumber a = table->NewEntry("A", EntryKind::Variable, program);
    table->LinkEntry(a, 0, program); // no parent, yet the tree has a root

    EXPECT_EQ(Find("D", EntryKind::Variable, program), d);
    EXPECT_EQ(Find("E", EntryKind::Variable, program), e);
    EXPECT_EQ(Find("A", EntryKind::Variable, program), a);
    for (const char* name : {"M", "C", "T"}) {
        EXPECT_NE(Find(name, EntryKind::Variable, program), 0) << name;
    }
}

TEST_F(TableTest, RecordFieldsAreAChainInDeclarationOrder)
{
    const EntryNumber integer = TypeEntry("INT", program, TypeCode::Integer, 2);
    const EntryNumber pointer = TypeEntry("PTR", program, TypeCode::Pointer, 4);
    const EntryNumber alias = TypeEntry("LINK", program, TypeCode::Alias, 4);
    table->SetLink1(alias, pointer);
    const EntryNumber record = TypeEntry("R", program, TypeCode::Record, 10);
    std::vector<EntryNumber> fields;
    for (const auto& [name, type] : std::vector<std::pair<const char*, EntryNumber>>{
             {"NEXT", pointer}, {"COUNT", integer}, {"PREV", alias}}) {
        const EntryNumber field = table->NewEntry(name, EntryKind::Variable, record);
        table->SetLink1(field, type);
        if (fields.empty()) {
            table->SetLink2(record, field);
        } else {
            table->ChainAfter(field, fields.back());
        }
        fields.push_back(field);
    }

    EntryNumber found = 0;
    ASSERT_TRUE(table->ChainFind("COUNT", table->Link2(record), found));
    EXPECT_EQ(found, fields[1]);
    EXPECT_FALSE(table->ChainFindAfter("NEXT", fields[0], found));
    EXPECT_EQ(found, fields[2]); // the chain's last entry
    ASSERT_TRUE(table->ChainFindAfter("PREV", fields[0], found));
    EXPECT_EQ(found, fields[2]);

    EXPECT_EQ(table->PointerFieldCount(record), 2);
    EXPECT_EQ(table->FieldName(2, 127, record), "COUNT");
    EXPECT_EQ(table->FieldName(2, TypeCode::Pointer, record), "PREV");
    EXPECT_EQ(table->FieldName(3, TypeCode::Pointer, record), "field.3");
    EXPECT_EQ(table->FieldName(1, 127, integer), "field.1");
}

TEST_F(TableTest, ARegisteredFunctionIsFollowedByItsResultEntry)
{
    const EntryNumber unit = table->NewUnit("SYSTEM");
    std::vector<EntryNumber> calls;
    const EntryNumber f = table->DeclareRoutine(
        unit, 144, [&](QbSyntaxe&, EntryNumber routine) { calls.push_back(routine); },
        TypeCode::Integer, EntryKind::Function, 0x1234);
    const std::string name = driver->Word(144);
    ASSERT_NE(f, 0);
    EXPECT_EQ(table->GetName(f), name);
    EXPECT_EQ(table->Kind(f), EntryKind::Function);
    EXPECT_EQ(table->Code(f), RoutineFlag::Predefined);
    EXPECT_EQ(table->Value(f), 144);
    EXPECT_EQ(table->Aux(f), 0x1234);
    EXPECT_FALSE(table->HasRoutineBlock(f));

    const auto result = static_cast<EntryNumber>(f + 1);
    EXPECT_EQ(table->Kind(result), EntryKind::Variable);
    EXPECT_EQ(table->GetName(result), name);
    EXPECT_EQ(table->Owner(result), f);
    EXPECT_EQ(table->Code(result), VariableMode::FunctionResult);
    EXPECT_EQ(table->Link1(result), TypeCode::Integer);

    table->Handler(f)(*driver, f);
    EXPECT_EQ(calls, std::vector<EntryNumber>{f});

    const EntryNumber next = table->NextFree();
    EXPECT_EQ(table->DeclareRoutine(unit, 144, nullptr, 0, EntryKind::Function, 0), f);
    EXPECT_EQ(table->NextFree(), next);
    EXPECT_EQ(Find(name, EntryKind::Function, unit), f);
}

TEST_F(TableTest, UsesReferencesWaitForTheirUnit)
{
    const EntryNumber first = table->NewEntry("ALPHA", EntryKind::Use, program);
    const EntryNumber second = table->NewEntry("BETA", EntryKind::Use, program);
    EXPECT_EQ(table->FirstUse(program), second);
    EXPECT_EQ(table->NextUse(second), first);
    EXPECT_EQ(table->NextUse(first), 0);
    EXPECT_EQ(table->FindUse(program, "ALPHA"), first);
    EXPECT_EQ(table->Value(first), 0);

    const EntryNumber alpha = table->NewUnit("ALPHA");
    const EntryNumber fromAlpha = table->NewEntry("BETA", EntryKind::Use, alpha);
    const EntryNumber beta = table->NewUnit("BETA");
    EXPECT_EQ(table->Value(first), alpha);
    EXPECT_EQ(table->Value(second), beta);
    EXPECT_EQ(table->Value(fromAlpha), beta);
    EXPECT_EQ(table->FindUseOf(alpha), first);
    EXPECT_EQ(table->FindUseOf(program), 0);

    EXPECT_EQ(table->FirstUnit(), beta);
    EXPECT_EQ(table->NextUnit(beta), alpha);
    EXPECT_EQ(table->NextUnit(alpha), 0);
    table->AddUnit(alpha); // already on the chain
    EXPECT_EQ(table->NextUnit(alpha), 0);
    EXPECT_EQ(table->FindUnit("ALPHA"), alpha);
    EXPECT_EQ(table->FindUnit("MAIN"), 0);
    EXPECT_EQ(table->Owner(alpha), 0);
}

TEST_F(TableTest, ConstantBlocksCarryTheirDataAndCompiledAddress)
{
    const EntryNumber typed = table->Declare("TABLE", EntryKind::Constant, program);
    table->SetAttrBlock(typed, std::vector<std::uint8_t>(6, 0));
    table->AttrBlock(typed)[0] = 42;
    table->SetTypedConstAddress(typed, 0x1234);
    EXPECT_EQ(table->TypedConstAddress(typed), 0x1234);
    EXPECT_EQ(table->AttrBlock(typed)[0], 42);
    EXPECT_EQ(table->AttrBlock(typed)[4], 0x34);

    const EntryNumber plain = table->Declare("BIG", EntryKind::Constant, program);
    table->SetCell(plain, 0x80000001U);
    EXPECT_EQ(table->Link1(plain), 1);
    EXPECT_EQ(table->Link2(plain), 0x8000);
    table->SetTypedConstAddress(plain, 9); // no block: nothing to write
    EXPECT_EQ(table->TypedConstAddress(plain), 0);
}

TEST_F(TableTest, UserStartIsMarkedOnceAndVariableFlagsAreClearedOnlyInBlocks)
{
    table->MarkUserStart();
    const EntryNumber firstUser = table->FirstUserEntry();
    Variable("LATER", program);
    table->MarkUserStart();
    EXPECT_EQ(table->FirstUserEntry(), firstUser);

    const EntryNumber v = Variable("V", program);
    const EntryNumber classType = TypeEntry("C", program, TypeCode::Class);
    const EntryNumber member = table->NewEntry("M", EntryKind::Variable, classType);
    table->SetAux(v, 3);
    table->SetAux(member, VariableFlag::PrivateAccess);
    table->ClearVarFlags();
    EXPECT_EQ(table->Aux(v), 2);
    EXPECT_EQ(table->Aux(member), VariableFlag::PrivateAccess);
}

TEST_F(TableTest, ARunFlagSetWhileRunningKeepsTheTablesGeneration)
{
    // Whatever was recorded under a generation (kept lookups, plans) stays good when a
    // variable is first assigned; a change of what lookups read starts a new generation.
    const EntryNumber v = Variable("V", program);
    table->SetAux(v, 2);
    const std::uint32_t generation = table->Generation();
    table->SetRunFlag(v, true);
    EXPECT_EQ(table->Aux(v), 3);
    table->SetRunFlag(v, true);
    table->SetRunFlag(v, false);
    EXPECT_EQ(table->Aux(v), 2);
    EXPECT_EQ(table->Generation(), generation);
    table->SetRunFlag(table->NextFree(), true);
    EXPECT_EQ(table->Aux(table->NextFree()), 0);
    table->SetValue(v, 4);
    EXPECT_NE(table->Generation(), generation);
}
} // namespace
