// What the watching side sees of the evaluation stack: its view rows and its micro-steps.
#include "DataFixture.h"

#include "frontend/RunHost.h"
#include "lexical/QbDico.h"

namespace {
TEST_F(DataTest, EvaluationRowsFollowPushesAndPops)
{
    Open();
    data.SetEvaluationViewOpen(true);
    PushInteger(12);
    data.Acc.SetInteger(1);
    data.Push(TypeCode::Boolean);
    PushText("hello");
    data.Acc.SetInteger(0);
    data.Push(TypeCode::Pointer);
    ASSERT_EQ(data.EvaluationRows().size(), 4u);
    const std::string integer = driver->Dictionary->TypeNameFor(TypeCode::Integer);
    EXPECT_EQ(data.EvaluationRows()[0], integer + ":  12");
    EXPECT_EQ(data.EvaluationRows()[1],
              driver->Dictionary->TypeNameFor(TypeCode::Boolean) + ":  " + driver->Word(54));
    EXPECT_EQ(data.EvaluationRows()[2],
              driver->Dictionary->TypeNameFor(TypeCode::String) + ":  hello");
    EXPECT_EQ(data.EvaluationRows()[3],
              driver->Dictionary->TypeNameFor(TypeCode::Pointer) + ":  " + driver->Word(53));
    data.Pop();
    data.Pop();
    EXPECT_EQ(data.EvaluationRows().size(), 2u);
    data.SetEvaluationViewOpen(false);
    PushInteger(3);
    EXPECT_TRUE(data.EvaluationRows().empty()) << "no rows are kept while the view is closed";
}

TEST_F(DataTest, TypedConstantsAreReadAndWrittenInTheirStorage)
{
    const EntryNumber constant = table.NewEntry("LIMIT", EntryKind::Constant, program);
    table.SetAux(constant, Predefined(TypeCode::Integer));
    table.SetValue(constant, 4);
    table.SetAttrBlock(constant, {0x10, 0x27, 0, 0}); // 10000, then the compiler's two bytes
    Open();
    data.SetCurrentAddress(QbGesdata::TypedConstantAddress(constant));
    data.LoadValue(TypeCode::Integer);
    EXPECT_EQ(data.Acc.Integer, 10000);
    data.Acc.SetInteger(-2);
    EXPECT_EQ(data.StoreValue(TypeCode::Integer), -1);
    data.LoadValue(TypeCode::Integer);
    EXPECT_EQ(data.Acc.Integer, -2);
    EXPECT_EQ(ErrorOf([&] { data.LoadValue(TypeCode::Longint); }), 208)
        << "the compiler's two bytes are not the constant's";
}

// Counts the step points a micro-stepping run waits at.
class CountingHost : public SilentRunHost
{
  public:
    int WaitForStep(int) override
    {
        ++waits;
        return RunMode::StartStepping | RunMode::MicroStep;
    }
    int waits = 0;
};

TEST(DataMicroSteps, EveryPushAndPopIsAStepPoint)
{
    CountingHost host;
    DriverEnvironment environment;
    environment.Host = &host;
    DataDriver driver(environment);
    QbGesdata& data = *driver.Data;
    ASSERT_TRUE(data.Open(0));
    driver.SetStepping(true);
    driver.MicroStep = true;
    data.Acc.SetInteger(6);
    data.Push(TypeCode::Integer);
    data.Acc.SetInteger(7);
    data.Push(TypeCode::Integer);
    EXPECT_EQ(host.waits, 2);
    data.Operate(Operator::Multiply, TypeCode::Integer);
    EXPECT_EQ(host.waits, 5) << "two pops and a push";
    driver.MicroStep = false;
    data.Pop();
    EXPECT_EQ(host.waits, 5);
    EXPECT_EQ(data.Acc.Integer, 42);
}
} // namespace
