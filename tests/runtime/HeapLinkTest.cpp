// How the data manager keeps the heap's reference counts and reaches heap memory.
#include "DataFixture.h"

#include "runtime/HeapAccess.h"

#include <map>
#include <vector>

namespace {
// Blocks at fixed addresses with a count of holders, as the heap keeps them.
class CountingHeap : public HeapAccess
{
  public:
    std::uint32_t Allocate(std::size_t size)
    {
        const std::uint32_t address = next;
        next += 0x100;
        blocks[address] = Block{std::vector<std::uint8_t>(size, 0), 0};
        return address;
    }
    int Count(std::uint32_t block) const
    {
        const auto it = blocks.find(block);
        return it == blocks.end() ? -1 : it->second.count;
    }

    std::uint8_t* Bytes(std::uint32_t address, std::size_t size) override
    {
        for (auto& [start, block] : blocks) {
            if (address >= start && address + size <= start + block.bytes.size()) {
                return block.bytes.data() + (address - start);
            }
        }
        return nullptr;
    }
    void AddReference(std::uint32_t block, std::uint32_t) override
    {
        if (blocks.count(block) != 0) {
            ++blocks[block].count;
        }
    }
    int DropReference(std::uint32_t block, std::uint32_t, bool mayOrphan) override
    {
        if (blocks.count(block) == 0) {
            return -1;
        }
        const int left = --blocks[block].count;
        if (left == 0 && mayOrphan) {
            blocks.erase(block);
        }
        return left;
    }
    void LinkReference(std::uint32_t, std::uint32_t) override {}
    void Repaint() override { ++repaints; }
    std::string DescribeReference(std::uint32_t) override { return "^.CELL"; }

    int repaints = 0;

  private:
    struct Block
    {
        std::vector<std::uint8_t> bytes;
        int count = 0;
    };
    std::map<std::uint32_t, Block> blocks;
    std::uint32_t next = DataAddress::HeapBase + 0x10;
};

class HeapLinkTest : public DataTest
{
  protected:
    HeapLinkTest()
    {
        pointer = TypeEntry("PINT", TypeCode::Pointer, 4, Predefined(TypeCode::Integer));
        data.SetHeap(&heap);
    }
    // NEW(variable): a block of `size` bytes whose address is stored into `variable`.
    std::uint32_t New(EntryNumber variable, std::size_t size = 2)
    {
        const std::uint32_t block = heap.Allocate(size);
        data.HoldReference(block);
        data.Acc.SetInteger(static_cast<std::int32_t>(block));
        Store(variable, pointer);
        return block;
    }
    void Assign(EntryNumber target, EntryNumber source)
    {
        Load(source, pointer);
        data.Push(pointer);
        data.Pop();
        Store(target, pointer);
    }

    CountingHeap heap;
    EntryNumber pointer = 0;
};

TEST_F(HeapLinkTest, NilOverTheOnlyHolderStops)
{
    const EntryNumber p = Global("P", pointer);
    Open();
    const std::uint32_t block = New(p);
    EXPECT_EQ(heap.Count(block), 1) << "the accumulator's reference moved to P";
    data.Acc.SetInteger(0);
    EXPECT_EQ(ErrorOf([&] { Store(p, pointer); }), 219);
}

TEST_F(HeapLinkTest, CopiesCountAsHolders)
{
    const EntryNumber p = Global("P", pointer);
    const EntryNumber q = Global("Q", pointer);
    Open();
    const std::uint32_t block = New(p);
    Assign(q, p);
    EXPECT_EQ(heap.Count(block), 2);
    Assign(q, q);
    EXPECT_EQ(heap.Count(block), 2) << "q := q changes nothing";
    data.Acc.SetInteger(0);
    EXPECT_EQ(ErrorOf([&] { Store(p, pointer); }), 0);
    EXPECT_EQ(heap.Count(block), 1);
}

TEST_F(HeapLinkTest, LocalPointerOnlyHolderStopsAtReturn)
{
    const EntryNumber proc = Routine("PROC");
    const EntryNumber local = Local("L", proc, pointer, -4);
    const EntryNumber g = Global("G", pointer);
    Open();
    Enter(proc);
    const std::uint32_t kept = New(local);
    Assign(g, local);
    EXPECT_EQ(ErrorOf([&] { Leave(); }), 0) << "G still holds the cell";
    EXPECT_EQ(heap.Count(kept), 1);

    Enter(proc);
    New(local);
    EXPECT_EQ(ErrorOf([&] { data.LeaveRoutine(); }), 219);
}

TEST_F(HeapLinkTest, ComparedPointersLeaveNoReferenceBehind)
{
    const EntryNumber p = Global("P", pointer);
    Open();
    const std::uint32_t block = New(p);
    for (int i = 0; i < 2; ++i) {
        Load(p, pointer);
        data.Push(pointer);
    }
    data.Operate(Operator::Equal, TypeCode::Boolean);
    data.Pop();
    EXPECT_EQ(data.Acc.Integer, 1);
    EXPECT_EQ(heap.Count(block), 1);
    data.Acc.SetInteger(0);
    EXPECT_EQ(ErrorOf([&] { Store(p, pointer); }), 219);
}

TEST_F(HeapLinkTest, StackSlotsHoldReferencesUntilAFailure)
{
    const EntryNumber p = Global("P", pointer);
    Open();
    const std::uint32_t block = New(p);
    Load(p, pointer);
    data.Push(pointer);
    EXPECT_EQ(heap.Count(block), 2);
    EXPECT_EQ(ErrorOf([&] { data.Fail(ErrorNumber::DivisionByZero); }), 200);
    EXPECT_EQ(heap.Count(block), 1);
}

TEST_F(HeapLinkTest, HeapCellsAreReadWithoutAssignedFlags)
{
    const EntryNumber p = Global("P", pointer);
    Open();
    const std::uint32_t block = New(p, 2);
    data.SetCurrentAddress(block);
    data.LoadValue(TypeCode::Integer);
    EXPECT_EQ(data.Acc.Integer, 0);
    data.Acc.SetInteger(321);
    EXPECT_EQ(data.StoreValue(TypeCode::Integer), 2);
    data.LoadValue(TypeCode::Integer);
    EXPECT_EQ(data.Acc.Integer, 321);
    EXPECT_GT(heap.repaints, 0);
    data.SetCurrentAddress(block + 1);
    EXPECT_EQ(ErrorOf([&] { data.LoadValue(TypeCode::Integer); }), 208) << "past the block";
}

TEST_F(HeapLinkTest, StringInASmallCellIsCutToTheCell)
{
    const EntryNumber p = Global("P", pointer);
    Open();
    const std::uint32_t block = New(p, 4);
    data.SetCurrentAddress(block);
    data.Acc.SetText("abcdef");
    data.StoreValue(TypeCode::String);
    data.Acc.SetText("");
    data.LoadValue(TypeCode::String);
    EXPECT_EQ(data.Acc.Text(), "abc");
}

TEST_F(HeapLinkTest, ReferenceTextNamesTheTarget)
{
    const EntryNumber g = Global("G", Predefined(TypeCode::Integer));
    const EntryNumber p = Global("P", pointer);
    Open();
    EXPECT_EQ(data.ReferenceText(data.AddressOf(g)), "Ref. to G");
    const std::uint32_t block = New(p);
    EXPECT_EQ(data.ReferenceText(block), "Ref. to ^.CELL");
}
} // namespace
