// Frames, descriptors and assigned flags: what a routine call does to the data manager.
#include "DataFixture.h"

#include "runtime/DataInline.h"

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace {
class FramesTest : public DataTest
{
  protected:
    FramesTest() { integer = Predefined(TypeCode::Integer); }
    EntryNumber integer = 0;
};

TEST_F(FramesTest, ReadingAnUnassignedLocalStopsWithItsName)
{
    const EntryNumber proc = Routine("PROC");
    Local("COUNT", proc, integer, -2);
    Open();
    Enter(proc);
    const EntryNumber count = table.NextVariable(proc);
    data.SetCurrentAddress(data.AddressOf(count));
    EXPECT_EQ(ErrorOf([&] { data.LoadValue(TypeCode::Integer); }), 202);
    EXPECT_NE(driver->Errors->Message().find("COUNT"), std::string::npos);
}

TEST_F(FramesTest, InitializedVariablesReadZero)
{
    driver->SetOptionB(OptionB::InitializeVariables, true);
    const EntryNumber proc = Routine("PROC");
    const EntryNumber count = Local("COUNT", proc, integer, -2);
    const EntryNumber global = Global("G", integer);
    Open();
    Load(global, TypeCode::Integer);
    EXPECT_EQ(data.Acc.Integer, 0);
    Enter(proc);
    data.Acc.SetInteger(99);
    Load(count, TypeCode::Integer);
    EXPECT_EQ(data.Acc.Integer, 0);
}

TEST_F(FramesTest, GlobalsCarryTheirFlagInTheTable)
{
    const EntryNumber g = Global("G", integer);
    Open();
    data.SetCurrentAddress(data.AddressOf(g));
    EXPECT_EQ(ErrorOf([&] { data.LoadValue(TypeCode::Integer); }), 202);
    data.Acc.SetInteger(-1234);
    EXPECT_EQ(data.StoreValue(TypeCode::Integer), 0);
    EXPECT_EQ(table.Aux(g) & VariableFlag::Run, 1);
    data.Acc.SetInteger(0);
    data.LoadValue(TypeCode::Integer);
    EXPECT_EQ(data.Acc.Integer, -1234);
}

TEST_F(FramesTest, AssigningOneElementAssignsTheWholeArray)
{
    const EntryNumber index = TypeEntry("", TypeCode::Subrange, 2);
    const EntryNumber vector = TypeEntry("VECTOR", TypeCode::Array, 20, integer);
    table.SetAux(vector, 1);
    table.SetLink2(vector, index);
    const EntryNumber proc = Routine("PROC");
    const EntryNumber a = Local("A", proc, vector, -20);
    Open();
    Enter(proc);
    const std::uint32_t start = data.AddressOf(a);
    data.SetCurrentAddress(start + 6);
    data.Acc.SetInteger(7);
    EXPECT_EQ(data.StoreValue(TypeCode::Integer), 1);
    data.SetCurrentAddress(start + 6);
    data.LoadValue(TypeCode::Integer);
    EXPECT_EQ(data.Acc.Integer, 7);
    data.SetCurrentAddress(start);
    EXPECT_EQ(ErrorOf([&] { data.LoadValue(TypeCode::Integer); }), 0);
}

TEST_F(FramesTest, ValueAndVarParametersReachTheirData)
{
    const EntryNumber g = Global("G", integer);
    const EntryNumber proc = Routine("PROC");
    const EntryNumber byValue = Local("X", proc, integer, 4, VariableMode::ValueParameter);
    const EntryNumber byReference = Local("Y", proc, integer, 6, VariableMode::VarParameter);
    Open();
    data.MarkStackPointer();
    const std::uint16_t top = data.DescriptorTop();
    PushInteger(41);
    data.CreateVariable(byValue, 8195);
    data.SetCurrentAddress(data.AddressOf(g));
    data.CreateVariable(byReference, 8195);
    EXPECT_TRUE(data.IsDescriptorMarked(top));
    data.ClearMarksSince(top);
    EXPECT_FALSE(data.IsDescriptorMarked(top));
    data.AllocateFrame(4);
    data.CreateLocals(proc);
    data.EnterRoutine(proc);

    Load(byValue, TypeCode::Integer);
    EXPECT_EQ(data.Acc.Integer, 41);
    data.Acc.SetInteger(42);
    Store(byReference, TypeCode::Integer);
    Leave();

    EXPECT_EQ(data.StackPointer(), QbGesdata::StackSize);
    EXPECT_EQ(data.DescriptorTop(), top);
    EXPECT_EQ(data.CurrentFrame(), QbGesdata::NoFrame);
    Load(g, TypeCode::Integer);
    EXPECT_EQ(data.Acc.Integer, 42);
}

// A call made while an enclosing call's argument is bound: leaving the inner frame by the top
// its parameters started at ends where the walk of the frame ends, whatever top is given.
TEST_F(FramesTest, LeavingAFrameByItsTopEndsWhereTheWalkEnds)
{
    const EntryNumber outer = Routine("OUTER");
    const EntryNumber pending = Local("X", outer, integer, 4, VariableMode::ValueParameter);
    const EntryNumber inner = Routine("INNER", EntryKind::Function);
    const EntryNumber parameter = Local("N", inner, integer, 4, VariableMode::ValueParameter);
    Local("K", inner, integer, -2);
    Open();
    data.MarkStackPointer();
    const std::uint16_t outerTop = data.DescriptorTop();
    PushInteger(7);
    data.CreateVariable(pending, 8195);
    const auto enterInner = [&] {
        data.MarkStackPointer();
        const std::uint16_t top = data.DescriptorTop();
        PushInteger(3);
        data.CreateVariable(parameter, 8195);
        data.ClearMarksSince(top);
        data.AllocateFrame(4);
        data.CreateLocals(inner);
        data.EnterRoutine(inner);
        return top;
    };
    const std::uint16_t innerTop = enterInner();
    const std::uint16_t header = data.CurrentFrame();
    data.LeaveRoutine(innerTop);
    EXPECT_EQ(data.DescriptorTop(), innerTop);
    EXPECT_EQ(data.CurrentFrame(), QbGesdata::NoFrame);
    EXPECT_TRUE(data.IsDescriptorMarked(outerTop));
    data.ReleaseFrame();
    for (const std::uint16_t wrong : {header, static_cast<std::uint16_t>(header + 1),
                                      static_cast<std::uint16_t>(innerTop + 1), outerTop}) {
        EXPECT_EQ(enterInner(), innerTop);
        data.LeaveRoutine(wrong);
        EXPECT_EQ(data.DescriptorTop(), innerTop) << wrong;
        EXPECT_EQ(data.CurrentFrame(), QbGesdata::NoFrame);
        data.ReleaseFrame();
    }
}

// The frame made in one go, when it can be, is the one ClearMarksSince, AllocateFrame,
// CreateLocals and EnterRoutine make one by one; when it cannot, nothing is touched and the
// steps one by one raise what they raise.
TEST_F(FramesTest, APlainFrameIsTheFrameMadeStepByStep)
{
    const EntryNumber longint = Predefined(TypeCode::Longint);
    const EntryNumber function = Routine("F", EntryKind::Function);
    const EntryNumber parameter = Local("N", function, integer, 4, VariableMode::ValueParameter);
    const EntryNumber first = Local("K", function, integer, -2);
    const EntryNumber second = Local("R", function, longint, -6);
    Open();
    struct Snapshot
    {
        std::uint16_t Top = 0;
        std::uint16_t Frame = 0;
        std::uint16_t Base = 0;
        std::uint16_t Pointer = 0;
        std::vector<std::array<int, 5>> Descriptors; // symbol, link, header, marked, assigned
        std::array<std::uint32_t, 3> Places{};
        // The frame base and stack pointer the frame's header gives back when it is left.
        std::uint16_t BaseAfter = 0;
        std::uint16_t PointerAfter = 0;
        bool Straight = false;
        bool operator==(const Snapshot&) const = default;
    };
    const auto snapshot = [&](std::uint16_t savedTop) {
        Snapshot made;
        made.Top = data.DescriptorTop();
        made.Frame = data.CurrentFrame();
        made.Base = data.FrameBase();
        made.Pointer = data.StackPointer();
        for (std::uint16_t i = data.DescriptorTop() + 1; i <= savedTop; ++i) {
            made.Descriptors.push_back({data.DescriptorSymbol(i), data.DescriptorLink(i),
                                        data.IsFrameHeader(i), data.IsDescriptorMarked(i),
                                        data.IsAssigned(i)});
        }
        made.Places = {data.AddressOf(parameter), data.AddressOf(first), data.AddressOf(second)};
        // Found straight too, by their descriptors (which keep their sizes).
        std::int32_t distance = 0;
        std::uint32_t place = 0;
        made.Straight = data.LocalPlace(first, TypeCode::Integer, distance, place) &&
                        place == made.Places[1] &&
                        data.LocalPlace(second, TypeCode::Longint, distance = 0, place) &&
                        place == made.Places[2];
        return made;
    };
    // The argument bound, then the frame made one way or the other; what it leaves, and
    // whether the one go made it.
    const auto make = [&](int headerSize, bool plain) {
        data.MarkStackPointer();
        const std::uint16_t top = data.DescriptorTop();
        PushInteger(5);
        data.CreateVariable(parameter, 8195);
        bool made = false;
        if (plain) {
            made = data.EnterPlainFrame(function, top);
        } else {
            data.ClearMarksSince(top);
            data.AllocateFrame(headerSize);
            data.CreateLocals(function);
            data.EnterRoutine(function);
        }
        Snapshot result = snapshot(top);
        data.LeaveRoutine(top);
        data.ReleaseFrame();
        result.BaseAfter = data.FrameBase();
        result.PointerAfter = data.StackPointer();
        return std::pair{result, made};
    };
    for (const int headerSize : {4, 6}) {
        SCOPED_TRACE(headerSize);
        // A routine declared with far frames has the longer header.
        table.SetCode(function, headerSize == 6 ? RoutineFlag::FarFrame : 0);
        EXPECT_EQ(data.FrameHeaderSize(function), headerSize);
        const auto [stepByStep, unused] = make(headerSize, false);
        const auto [inOneGo, made] = make(headerSize, true);
        EXPECT_TRUE(made);
        EXPECT_TRUE(stepByStep.Straight);
        EXPECT_TRUE(inOneGo == stepByStep);
        // The header, K, R and the argument.
        EXPECT_EQ(inOneGo.Descriptors.size(), 4u);
    }
    // Variables to start at zero: made one by one.
    driver->SetOptionB(OptionB::InitializeVariables, true);
    table.SetCode(function, 0);
    EXPECT_FALSE(make(4, true).second);
    driver->SetOptionB(OptionB::InitializeVariables, false);
    // No room for the descriptors: nothing made, and the steps stop as they always did.
    const std::uint16_t before = data.DescriptorTop();
    const std::uint16_t pointer = data.StackPointer();
    while (data.DescriptorTop() > 3) {
        data.PushDescriptor(0, 0);
    }
    const std::uint16_t full = data.DescriptorTop();
    EXPECT_FALSE(data.EnterPlainFrame(function, full));
    EXPECT_EQ(data.DescriptorTop(), full);
    EXPECT_EQ(data.StackPointer(), pointer);
    EXPECT_EQ(ErrorOf([&] {
                  data.AllocateFrame(4);
                  data.CreateLocals(function);
                  data.EnterRoutine(function);
              }),
              203);
    EXPECT_LT(before, QbGesdata::DescriptorCount);
}

// A local that starts as something (a pointer, nil) is made by the steps one by one.
TEST_F(FramesTest, AFrameWithAPointerIsMadeStepByStep)
{
    const EntryNumber cell = TypeEntry("CELL", TypeCode::Integer, 2);
    const EntryNumber link = TypeEntry("LINK", TypeCode::Pointer, 4, cell);
    const EntryNumber proc = Routine("PROC");
    Local("P", proc, link, -4);
    Open();
    data.MarkStackPointer();
    const std::uint16_t top = data.DescriptorTop();
    EXPECT_FALSE(data.EnterPlainFrame(proc, top));
    EXPECT_EQ(data.DescriptorTop(), top);
    EXPECT_EQ(data.CurrentFrame(), QbGesdata::NoFrame);
}

TEST_F(FramesTest, RecursionDeeperThanTheMaximumStops)
{
    driver->SetLimits(5, 3, 100, 8);
    const EntryNumber fact = Routine("FACT");
    Open();
    for (int i = 0; i < 3; ++i) {
        Enter(fact);
    }
    EXPECT_EQ(data.RoutineCaption(fact, data.CurrentFrame()), "FACT.3");
    EXPECT_EQ(ErrorOf([&] { Enter(fact); }), 215);
}

TEST_F(FramesTest, CaptionCountsActivationsFromTheSecondOn)
{
    const EntryNumber fact = Routine("FACT");
    Open();
    Enter(fact);
    EXPECT_EQ(data.RoutineCaption(fact, data.CurrentFrame()), "FACT");
    Enter(fact);
    EXPECT_EQ(data.RoutineCaption(fact, data.CurrentFrame()), "FACT.2");
    Leave();
    EXPECT_EQ(data.RoutineCaption(fact, data.CurrentFrame()), "FACT");
}

TEST_F(FramesTest, ForbiddenRecursionStopsMutualCalls)
{
    driver->SetOptionA(OptionA::ForbidRecursion, true);
    const EntryNumber ping = Routine("PING");
    const EntryNumber pong = Routine("PONG");
    Open();
    Enter(ping);
    Enter(pong);
    EXPECT_EQ(ErrorOf([&] { Enter(ping); }), 211);
}

TEST_F(FramesTest, FunctionWithoutResultStops)
{
    const EntryNumber f = Routine("F", EntryKind::Function);
    const EntryNumber result = Local("F", f, integer, -2, VariableMode::FunctionResult);
    Open();
    Enter(f);
    EXPECT_EQ(ErrorOf([&] { data.LoadFunctionResult(f); }), 232);
    data.Acc.SetInteger(120);
    Store(result, TypeCode::Integer);
    data.LoadFunctionResult(f);
    Leave();
    EXPECT_EQ(data.PopType(), TypeCode::Integer);
    EXPECT_EQ(data.Acc.Integer, 120);
}

TEST_F(FramesTest, OutParameterMustBeWritten)
{
    const EntryNumber g = Global("G", integer);
    const EntryNumber proc = Routine("PROC");
    const EntryNumber out = Local("R", proc, integer, 4, VariableMode::OutParameter);
    Open();
    for (const bool written : {false, true}) {
        data.MarkStackPointer();
        const std::uint16_t top = data.DescriptorTop();
        data.SetCurrentAddress(data.AddressOf(g));
        data.CreateVariable(out, 8195);
        data.ClearMarksSince(top);
        data.AllocateFrame(4);
        data.EnterRoutine(proc);
        if (written) {
            data.MarkLocalAssigned(out);
            EXPECT_EQ(ErrorOf([&] { Leave(); }), 0);
        } else {
            EXPECT_EQ(ErrorOf([&] { data.LeaveRoutine(); }), 242);
            data.UnwindAll();
        }
    }
}

TEST_F(FramesTest, DescriptorStackHolds398Descriptors)
{
    Open();
    for (int i = 0; i < 398; ++i) {
        data.PushDescriptor(0, 0);
    }
    EXPECT_EQ(ErrorOf([&] { data.PushDescriptor(0, 0); }), 203);
}

TEST_F(FramesTest, DataStackFullStops)
{
    Open();
    int error = 0;
    for (int i = 0; i < 9000 && error == 0; ++i) {
        error = ErrorOf([&] { data.AllocateFrame(4); });
    }
    EXPECT_EQ(error, 201);
    EXPECT_GE(data.StackPointer(), 0);
}

TEST_F(FramesTest, LocalBelowTheStackBottomStops)
{
    const EntryNumber proc = Routine("PROC");
    const EntryNumber big = TypeEntry("BIG", TypeCode::Array, 30000, integer);
    Local("A", proc, big, -30000);
    Local("B", proc, big, -30000);
    Open();
    data.MarkStackPointer();
    data.AllocateFrame(4);
    data.CreateLocals(proc);
    data.EnterRoutine(proc);
    EXPECT_EQ(ErrorOf([&] {
                  data.MarkStackPointer();
                  data.AllocateFrame(4);
                  data.CreateLocals(proc);
              }),
              201);
}

TEST_F(FramesTest, UnwindAllEmptiesEveryFrame)
{
    const EntryNumber proc = Routine("PROC");
    Local("X", proc, integer, -2);
    Open();
    Enter(proc);
    Enter(proc);
    PushInteger(1);
    data.UnwindAll();
    EXPECT_EQ(data.CurrentFrame(), QbGesdata::NoFrame);
    EXPECT_EQ(data.Depth(), 0);
    EXPECT_EQ(data.StackPointer(), QbGesdata::StackSize);
    EXPECT_EQ(data.EvaluationCount(), 0);
}

TEST_F(FramesTest, AResultIsLoadedOnlyOnceAssigned)
{
    const EntryNumber f = Routine("F", EntryKind::Function);
    const EntryNumber result = Local("F", f, integer, -2, VariableMode::FunctionResult);
    Open();
    Enter(f);
    PushInteger(5);
    data.SetCurrentAddress(0x1234);
    // Not assigned: nothing changes, the caller raises where it wants the error.
    EXPECT_FALSE(data.LoadAssignedResult(f));
    EXPECT_EQ(data.EvaluationCount(), 1);
    EXPECT_EQ(data.CurrentAddress(), 0x1234u);
    data.Acc.SetInteger(-7);
    Store(result, TypeCode::Integer);
    EXPECT_TRUE(data.LoadAssignedResult(f));
    Leave();
    EXPECT_EQ(data.EvaluationCount(), 2);
    EXPECT_EQ(data.PopType(), TypeCode::Integer);
    EXPECT_EQ(data.Acc.Integer, -7);
}

TEST_F(FramesTest, AHeldResultIsLeftInTheAccumulatorAndAnOtherIsPushed)
{
    const EntryNumber f = Routine("F", EntryKind::Function);
    const EntryNumber result = Local("F", f, integer, -2, VariableMode::FunctionResult);
    const EntryNumber g = Routine("G", EntryKind::Function);
    const EntryNumber real =
        Local("G", g, Predefined(TypeCode::Real), -8, VariableMode::FunctionResult);
    Open();
    Enter(f);
    data.Acc.SetInteger(-7);
    Store(result, TypeCode::Integer);
    data.Acc.SetInteger(0);
    std::optional<std::uint16_t> held;
    EXPECT_TRUE(data.LoadAssignedResult(f, &held));
    Leave();
    ASSERT_TRUE(held.has_value());
    EXPECT_EQ(*held, TypeCode::Integer);
    EXPECT_EQ(data.Acc.Integer, -7);
    EXPECT_EQ(data.EvaluationCount(), 0);
    // A REAL is never held: pushed as without `held`.
    Enter(g);
    data.Acc.SetReal(2.5);
    Store(real, TypeCode::Real);
    std::optional<std::uint16_t> none;
    EXPECT_TRUE(data.LoadAssignedResult(g, &none));
    Leave();
    EXPECT_FALSE(none.has_value());
    EXPECT_EQ(data.EvaluationCount(), 1);
}

TEST_F(FramesTest, LocalsStartAsTheirKindStartsWhateverTheFrameBeforeLeft)
{
    const EntryNumber cell = TypeEntry("CELL", TypeCode::Integer, 2);
    const EntryNumber link = TypeEntry("LINK", TypeCode::Pointer, 4, cell);
    const EntryNumber text = TypeEntry("TEXTFILE", TypeCode::Text, 8);
    const EntryNumber proc = Routine("PROC");
    const EntryNumber pointer = Local("P", proc, link, -4);
    const EntryNumber file = Local("T", proc, text, -12);
    const EntryNumber number = Local("N", proc, integer, -14);
    Open();
    Enter(proc);
    const std::uint32_t low = DataAddress::Stack(data.FrameBase() - 14);
    std::uint8_t* bytes = data.Bytes(low, 14);
    ASSERT_NE(bytes, nullptr);
    std::fill_n(bytes, 14, 0xAB);
    Leave();
    // The next frame lies where this one lay: its pointer is nil, its file closed (all zero),
    // and its integer still unassigned.
    Enter(proc);
    ASSERT_EQ(DataAddress::Stack(data.FrameBase() - 14), low);
    const std::uint8_t* p = data.Bytes(data.AddressOf(pointer), 4);
    const std::uint8_t* t = data.Bytes(data.AddressOf(file), 8);
    ASSERT_NE(p, nullptr);
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(std::all_of(p, p + 4, [](std::uint8_t b) { return b == 0; }));
    EXPECT_TRUE(std::all_of(t, t + 8, [](std::uint8_t b) { return b == 0; }));
    data.SetCurrentAddress(data.AddressOf(number));
    EXPECT_NE(ErrorOf([&] { data.LoadValue(TypeCode::Integer); }), 0);
    Leave();
}

TEST_F(FramesTest, LeavingQuietlyNeedsNoOutParameterAndNoPointer)
{
    const EntryNumber cell = TypeEntry("CELL", TypeCode::Integer, 2);
    const EntryNumber link = TypeEntry("LINK", TypeCode::Pointer, 4, cell);
    const EntryNumber plain = Routine("PLAIN");
    Local("A", plain, integer, 4, VariableMode::ValueParameter);
    Local("B", plain, link, 6, VariableMode::VarParameter);
    Local("C", plain, integer, -2);
    const EntryNumber out = Routine("OUTS");
    Local("R", out, integer, 4, VariableMode::OutParameter);
    const EntryNumber pointer = Routine("POINTS");
    Local("P", pointer, link, -4);
    const EntryNumber pointerParameter = Routine("TAKES");
    Local("Q", pointerParameter, link, 4, VariableMode::ValueParameter);
    EXPECT_TRUE(data.LeavesQuietly(plain));
    EXPECT_FALSE(data.LeavesQuietly(out));
    EXPECT_FALSE(data.LeavesQuietly(pointer));
    EXPECT_FALSE(data.LeavesQuietly(pointerParameter));
}

TEST_F(FramesTest, FramesFollowTheRoutinesDeclarationsAsTheyChange)
{
    const EntryNumber proc = Routine("PROC");
    const EntryNumber first = Local("X", proc, integer, -2);
    Open();
    Enter(proc);
    EXPECT_NE(data.AddressOf(first), DataAddress::Nil);
    Leave();
    // A local declared since (the table changed): the next frame holds it too, after the first.
    const EntryNumber second = Local("Y", proc, integer, -4);
    Enter(proc);
    EXPECT_EQ(data.AddressOf(first), DataAddress::Stack(data.FrameBase() - 2));
    EXPECT_EQ(data.AddressOf(second), DataAddress::Stack(data.FrameBase() - 4));
    Leave();
    EXPECT_EQ(data.StackPointer(), QbGesdata::StackSize);
    EXPECT_EQ(data.DescriptorTop(), QbGesdata::DescriptorCount - 1);
}
} // namespace
