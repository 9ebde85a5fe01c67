// Scoped lookup: blocks, shadowing, kinds, used units, hidden entries, classes, WITH, options.
#include "TableFixture.h"

#include <vector>

namespace {
TEST_F(TableTest, NestedBlocksFindTheNearestDeclaration)
{
    const EntryNumber globalX = Variable("X", program);
    const EntryNumber globalA = Variable("A", program);
    const EntryNumber p = Routine("P", program);
    const EntryNumber localX = Variable("X", p);
    const EntryNumber q = Routine("Q", p, EntryKind::Function);

    EXPECT_EQ(Find("X", EntryKind::Variable, q), localX);
    EXPECT_EQ(Find("X", EntryKind::Variable, p), localX);
    EXPECT_EQ(Find("X", EntryKind::Variable, program), globalX);
    EXPECT_EQ(Find("A", EntryKind::Variable, q), globalA);
    EXPECT_EQ(Find("Q", EntryKind::Function, q), q);
    EXPECT_EQ(Find("P", EntryKind::Procedure, q), p);
    EXPECT_EQ(Find("NOWHERE", EntryKind::Variable, q), 0);
}

TEST_F(TableTest, FailedLookupGivesTheInsertionParentOfTheSearchedBlock)
{
    const EntryNumber p = Routine("P", program);
    Variable("M", program);
    const EntryNumber local = Variable("K", p);

    EntryNumber parent = 99;
    EXPECT_FALSE(table->Lookup("Z", EntryKind::Variable, parent, p));
    EXPECT_EQ(parent, local); // in P's own tree, not the program's
    const EntryNumber z = table->NewEntry("Z", EntryKind::Variable, p);
    table->LinkEntry(z, parent, p);
    EXPECT_EQ(Find("Z", EntryKind::Variable, p), z);
    EXPECT_EQ(Find("Z", EntryKind::Variable, program), 0);

    EXPECT_FALSE(table->Lookup("Z", EntryKind::Constant, parent, p));
    EXPECT_EQ(parent, 0); // empty tree
}

TEST_F(TableTest, SecondDeclarationInOneBlockIsRefusedButShadowingIsNot)
{
    const EntryNumber p = Routine("P", program);
    Variable("N", program);
    EXPECT_EQ(ErrorOf([&] { Variable("N", program); }),
              ToInt(ErrorNumber::IdentifierAlreadyDeclared));
    EXPECT_EQ(ErrorOf([&] { Variable("N", p); }), 0);
    // Another kind in the same block is another name space.
    EXPECT_EQ(ErrorOf([&] { TypeEntry("N", program, TypeCode::Integer); }), 0);
}

TEST_F(TableTest, KindsAreKeptApart)
{
    const EntryNumber constant = table->Declare("K", EntryKind::Constant, program);
    const EntryNumber type = TypeEntry("K", program, TypeCode::Integer);
    const EntryNumber variable = Variable("V", program);
    const EntryNumber label = table->Declare("V", EntryKind::Label, program);

    EXPECT_EQ(Find("K", EntryKind::Constant, program), constant);
    EXPECT_EQ(Find("K", EntryKind::Type, program), type);
    EXPECT_EQ(Find("K", EntryKind::Variable, program), 0);
    EntryNumber any = 0;
    ASSERT_TRUE(table->LookupAny("K", program, any));
    EXPECT_EQ(any, constant); // kind 1 is tried before kind 2
    ASSERT_TRUE(table->LookupAny("V", program, any));
    EXPECT_EQ(any, label); // kind 0 first
    EXPECT_EQ(Find("V", EntryKind::Variable, program), variable);
}

TEST_F(TableTest, NamesAreComparedExactlyAndCutTo32Characters)
{
    const EntryNumber upper = Variable("TOTAL", program);
    const EntryNumber mixed = Variable("Total", program);
    EXPECT_NE(upper, mixed);
    EXPECT_EQ(Find("Total", EntryKind::Variable, program), mixed);
    EXPECT_EQ(Find("total", EntryKind::Variable, program), 0);

    const std::string long32(32, 'L');
    const EntryNumber longName = Variable(long32 + "FIRST", program);
    EXPECT_EQ(table->GetName(longName), long32);
    EXPECT_EQ(Find(long32 + "SECOND", EntryKind::Variable, program), longName);
    EXPECT_EQ(ErrorOf([&] { Variable(long32 + "OTHER", program); }),
              ToInt(ErrorNumber::IdentifierAlreadyDeclared));
}

TEST_F(TableTest, ResultWordInsideAFunctionFindsItsResultVariable)
{
    const EntryNumber f = Routine("F", program, EntryKind::Function);
    const EntryNumber result = table->Declare("F", EntryKind::Variable, f);
    table->SetCode(result, VariableMode::FunctionResult);
    const EntryNumber p = Routine("P", program);
    const std::string resultWord = driver->Word(QbTable::ResultWord);
    ASSERT_FALSE(resultWord.empty());

    EXPECT_EQ(Find(resultWord, EntryKind::Variable, f), result);
    EXPECT_EQ(Find(resultWord, EntryKind::Variable, p), 0); // not a function
    EXPECT_EQ(Find(resultWord, EntryKind::Constant, f), 0); // variables only
}

TEST_F(TableTest, UsedUnitsAreSearchedAfterTheBlocksMostRecentFirst)
{
    const EntryNumber system = UsedUnit("SYSTEM", program);
    const EntryNumber systemInteger = TypeEntry("INTEGER", system, TypeCode::Integer, 2);
    const EntryNumber systemOnly = TypeEntry("REAL", system, TypeCode::Real, 8);
    const EntryNumber crt = UsedUnit("CRT", program);
    const EntryNumber crtInteger = TypeEntry("INTEGER", crt, TypeCode::Integer, 2);
    const EntryNumber p = Routine("P", program);

    EXPECT_EQ(Find("INTEGER", EntryKind::Type, p), crtInteger);
    EXPECT_EQ(Find("REAL", EntryKind::Type, p), systemOnly);
    const EntryNumber own = TypeEntry("INTEGER", program, TypeCode::Integer, 2);
    EXPECT_EQ(Find("INTEGER", EntryKind::Type, p), own);
    EXPECT_NE(systemInteger, own);

    // A routine of a unit reaches the unit's own used units, not the program's.
    const EntryNumber helper = Routine("HELPER", crt);
    EXPECT_EQ(Find("REAL", EntryKind::Type, helper), 0);
}

TEST_F(TableTest, ImplementationNamesOfAUnitAreSeenOnlyFromInsideIt)
{
    const EntryNumber unit = UsedUnit("TOOLS", program);
    const EntryNumber visible = Variable("SHOWN", unit);
    const EntryNumber hidden = Variable("SECRET", unit);
    table->Mark(hidden);
    const EntryNumber inner = Routine("INNER", unit);
    EXPECT_EQ(table->Kind(hidden), EntryKind::Variable);
    EXPECT_TRUE(table->IsMarked(hidden));

    for (const bool executing : {false, true}) {
        driver->Execute = executing;
        EXPECT_EQ(Find("SHOWN", EntryKind::Variable, program), visible);
        EXPECT_EQ(Find("SECRET", EntryKind::Variable, program), 0);
        EXPECT_EQ(Find("SECRET", EntryKind::Variable, unit), hidden);
        EXPECT_EQ(Find("SECRET", EntryKind::Variable, inner), hidden);
    }
    driver->Execute = false;
}

TEST_F(TableTest, GlobalAndIntermediateAccessOptionsAreRunTimeErrorsOfLookup)
{
    Variable("G", program);
    const EntryNumber p = Routine("P", program);
    Variable("L", p);
    const EntryNumber q = Routine("Q", p);
    const EntryNumber unit = UsedUnit("TOOLS", program);
    Variable("U", unit);

    struct Case
    {
        std::uint32_t option;
        bool executing;
        const char* name;
        EntryNumber block;
        int error;
    };
    const int global = ToInt(ErrorNumber::GlobalAccessForbiddenAtRun);
    const int intermediate = ToInt(ErrorNumber::IntermediateAccessForbiddenAtRun);
    const std::vector<Case> cases = {
        {OptionA::ForbidGlobal, true, "G", p, global},
        {OptionA::ForbidGlobal, true, "G", q, global},
        {OptionA::ForbidGlobal, true, "G", program, 0}, // the main body's own variable
        {OptionA::ForbidGlobal, false, "G", p, 0},      // checking: the reader says 93
        {OptionA::ForbidGlobal, true, "L", q, 0},
        {OptionA::ForbidGlobal, true, "U", p, 0}, // a used unit's variable
        {OptionA::ForbidIntermediate, true, "L", q, intermediate},
        {OptionA::ForbidIntermediate, true, "L", p, 0},
        {OptionA::ForbidIntermediate, true, "G", q, 0},
        {OptionA::ForbidIntermediate, false, "L", q, 0},
    };
    for (const Case& c : cases) {
        driver->SetOptionA(OptionA::ForbidGlobal | OptionA::ForbidIntermediate, false);
        driver->SetOptionA(c.option, true);
        driver->Execute = c.executing;
        EXPECT_EQ(ErrorOf([&] { Find(c.name, EntryKind::Variable, c.block); }), c.error)
            << c.name << " from " << table->GetName(c.block) << " executing " << c.executing;
    }
    driver->Execute = false;
}

TEST_F(TableTest, CheckVariableAccessGivesTheCheckingErrors)
{
    const EntryNumber g = Variable("G", program);
    const EntryNumber p = Routine("P", program);
    const EntryNumber l = Variable("L", p);
    const EntryNumber q = Routine("Q", p);
    const EntryNumber own = Variable("OWN", q);
    const int global = ToInt(ErrorNumber::GlobalVariablesForbidden);
    const int intermediate = ToInt(ErrorNumber::IntermediateVariablesForbidden);

    driver->SetOptionA(OptionA::ForbidGlobal | OptionA::ForbidIntermediate, true);
    EXPECT_EQ(ErrorOf([&] { table->CheckVariableAccess(g, q); }), global);
    EXPECT_EQ(ErrorOf([&] { table->CheckVariableAccess(g, program); }), 0);
    EXPECT_EQ(ErrorOf([&] { table->CheckVariableAccess(l, q); }), intermediate);
    EXPECT_EQ(ErrorOf([&] { table->CheckVariableAccess(l, p); }), 0);
    EXPECT_EQ(ErrorOf([&] { table->CheckVariableAccess(own, q); }), 0);
    driver->SetOptionA(OptionA::ForbidGlobal | OptionA::ForbidIntermediate, false);
    EXPECT_EQ(ErrorOf([&] { table->CheckVariableAccess(g, q); }), 0);
    EXPECT_EQ(ErrorOf([&] { table->CheckVariableAccess(l, q); }), 0);
}

// A class C with a private field and a public one, a subclass D, and a method of each.
class ClassLookupTest : public TableTest
{
  protected:
    ClassLookupTest()
    {
        base = TypeEntry("C", program, TypeCode::Class);
        privateField = Member("SECRET", base, 0, VariableFlag::PrivateAccess);
        publicField = Member("OPEN", base, privateField, 3);
        derived = TypeEntry("D", program, TypeCode::Class);
        table->SetLink1(derived, base);
        ownField = Member("MINE", derived, 0, 3);
        baseMethod = Method("SHOW", base);
        derivedMethod = Method("RUN", derived);
        global = Variable("Z", program);
    }

    EntryNumber Member(const char* name, EntryNumber owner, EntryNumber after, std::uint16_t access)
    {
        const EntryNumber member = table->NewEntry(name, EntryKind::Variable, owner);
        table->SetAux(member, access);
        if (after == 0) {
            table->SetLink2(owner, member);
        } else {
            table->ChainAfter(member, after);
        }
        return member;
    }

    EntryNumber Method(const char* name, EntryNumber owner)
    {
        const EntryNumber marker = table->NewEntry("", EntryKind::Variable, owner);
        table->SetCode(marker, VariableMode::MethodMarker);
        return table->NewEntry(name, EntryKind::Procedure, owner);
    }

    EntryNumber base = 0, privateField = 0, publicField = 0, derived = 0, ownField = 0;
    EntryNumber baseMethod = 0, derivedMethod = 0, global = 0;
};

TEST_F(ClassLookupTest, MethodsSeeTheMembersOfTheirClassAndAncestors)
{
    EntryNumber owner = 0;
    ASSERT_TRUE(table->MethodOwner(derivedMethod, owner));
    EXPECT_EQ(owner, derived);
    EXPECT_FALSE(table->MethodOwner(program, owner));

    EXPECT_EQ(Find("MINE", EntryKind::Variable, derivedMethod), ownField);
    EXPECT_EQ(Find("OPEN", EntryKind::Variable, derivedMethod), publicField);
    EXPECT_EQ(Find("SECRET", EntryKind::Variable, baseMethod), privateField);
    EXPECT_EQ(Find("Z", EntryKind::Variable, derivedMethod), global); // class stepped over
    EXPECT_EQ(ErrorOf([&] { Find("SECRET", EntryKind::Variable, derivedMethod); }),
              ToInt(ErrorNumber::TryingAccessHiddenField));
    EXPECT_EQ(Find("MINE", EntryKind::Variable, program), 0);

    EntryNumber member = 0;
    EntryNumber owningClass = 0;
    ASSERT_TRUE(table->FindMember("OPEN", derived, member, owningClass));
    EXPECT_EQ(member, publicField);
    EXPECT_EQ(owningClass, base);
}

TEST_F(ClassLookupTest, ForwardMethodsAndPointersAreReportedAtTheEndOfABlock)
{
    std::string name;
    table->SetCode(derivedMethod, RoutineFlag::Forward);
    ASSERT_TRUE(table->FindUnresolvedPointer(table->Slot(program, 2), name));
    EXPECT_EQ(name, "D.RUN");
    table->SetCode(derivedMethod, 0);
    EXPECT_FALSE(table->FindUnresolvedPointer(table->Slot(program, 2), name));

    const EntryNumber target = TypeEntry("NODE", program, TypeCode::Undeclared);
    const EntryNumber pointer = TypeEntry("LINK", program, TypeCode::Pointer, 4);
    table->SetLink1(pointer, target);
    ASSERT_TRUE(table->FindUnresolvedPointer(table->Slot(program, 2), name));
    EXPECT_EQ(name, "LINK");
    table->SetCode(target, TypeCode::Record);
    EXPECT_FALSE(table->FindUnresolvedPointer(table->Slot(program, 2), name));

    const EntryNumber later = Routine("LATER", program);
    EXPECT_FALSE(table->FindUnresolvedForward(table->Slot(program, 4), name));
    table->SetCode(later, RoutineFlag::Forward);
    ASSERT_TRUE(table->FindUnresolvedForward(table->Slot(program, 4), name));
    EXPECT_EQ(name, "LATER");
}

// Records the table's calls and offers one WITH field.
class FakeWithScope : public WithScope
{
  public:
    void StoreWithDepth(EntryNumber routine) override { stored.push_back(routine); }
    bool FindWithField(std::string_view name, EntryNumber routine, EntryNumber& found) override
    {
        asked.push_back(routine);
        if (name == "FIELD") {
            found = field;
            return true;
        }
        return false;
    }
    std::vector<EntryNumber> stored;
    std::vector<EntryNumber> asked;
    EntryNumber field = 0;
};

// As in every Pascal, a field of a record opened by WITH hides the variables of the same name,
// the routine's own locals included.
TEST_F(TableTest, WithFieldsHideEveryVariableOfTheSameName)
{
    FakeWithScope with;
    table->SetWithScope(&with);
    const EntryNumber record = TypeEntry("R", program, TypeCode::Record);
    with.field = table->NewEntry("FIELD", EntryKind::Variable, record);
    Variable("FIELD", program);
    const EntryNumber p = Routine("P", program);
    EXPECT_EQ(with.stored, std::vector<EntryNumber>{p});

    EXPECT_EQ(Find("FIELD", EntryKind::Variable, p), with.field);
    EXPECT_EQ(with.asked, std::vector<EntryNumber>{p});
    Variable("FIELD", p);
    EXPECT_EQ(Find("FIELD", EntryKind::Variable, p), with.field);
    EXPECT_EQ(Find("FIELD", EntryKind::Type, p), 0);
    EXPECT_EQ(with.asked.size(), 2U); // only variables ask
    table->SetWithScope(nullptr);
}
} // namespace
