// The heap model on its own: blocks, counts, anchors, layout, MARK/RELEASE and the bound.
#include "runtime/DataAddress.h"
#include "runtime/QbHeap.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {
constexpr std::uint16_t ListType = 1;   // VALUE: INTEGER at 0, NEXT at 4
constexpr std::uint16_t TreeType = 2;   // LEFT at 4, RIGHT at 8
constexpr std::uint16_t DoubleType = 3; // NEXT at 4, PREV at 8
constexpr std::uint32_t VariableP = DataAddress::Global(0);
constexpr std::uint32_t VariableQ = DataAddress::Global(4);

class HeapModelTest : public ::testing::Test
{
  protected:
    HeapModelTest()
    {
        HeapHooks hooks;
        hooks.ShapeOf = [](std::uint16_t type) {
            HeapShape shape;
            if (type == ListType) {
                shape = {{4}, {"NEXT"}};
            } else if (type == TreeType) {
                shape = {{4, 8}, {"LEFT", "RIGHT"}};
            } else if (type == DoubleType) {
                shape = {{4, 8}, {"NEXT", "PREV"}};
            }
            return shape;
        };
        hooks.NameOf = [](std::uint32_t address) {
            return address == VariableP   ? std::string("P")
                   : address == VariableQ ? std::string("Q")
                                          : std::string();
        };
        heap = std::make_unique<QbHeap>(hooks);
        heap->Open(64);
    }

    // NEW into `holder` as the data manager does it: the block is stored there and counted.
    std::uint32_t New(std::uint16_t type, std::uint32_t holder)
    {
        const std::uint32_t block = heap->Allocate(type, 12, holder);
        EXPECT_NE(block, DataAddress::Nil);
        Store(holder, block);
        return block;
    }
    // A pointer store at `holder` (a variable or a pointer field of a cell).
    void Store(std::uint32_t holder, std::uint32_t block)
    {
        std::uint8_t* bytes = heap->Bytes(holder, 4);
        const std::uint32_t old = bytes != nullptr ? DataAddress::Read(bytes) : variables[holder];
        if (bytes != nullptr) {
            DataAddress::Write(bytes, block);
        } else {
            variables[holder] = block;
        }
        heap->AddReference(block, holder);
        heap->LinkReference(block, holder);
        if (old != DataAddress::Nil) {
            heap->DropReference(old, holder, false);
        }
    }
    const QbHeap::Cell& CellAt(std::uint32_t block) const
    {
        const QbHeap::Cell* cell = heap->FindCell(block);
        EXPECT_NE(cell, nullptr);
        static const QbHeap::Cell none;
        return cell != nullptr ? *cell : none;
    }

    std::unique_ptr<QbHeap> heap;
    std::map<std::uint32_t, std::uint32_t> variables;
};

TEST_F(HeapModelTest, ListHangingFromFieldsIsDrawnOnOneRowFortyPixelsApart)
{
    std::uint32_t cell = New(ListType, VariableP);
    std::vector<std::uint32_t> chain{cell};
    for (int i = 0; i < 3; ++i) {
        cell = New(ListType, cell + 4);
        chain.push_back(cell);
    }
    heap->Reorganize();
    for (std::size_t i = 0; i < chain.size(); ++i) {
        EXPECT_EQ(CellAt(chain[i]).X, 40 + static_cast<int>(i) * (80 + 40));
        EXPECT_EQ(CellAt(chain[i]).Y, 50);
        EXPECT_EQ(CellAt(chain[i]).Structure, 1);
    }
    EXPECT_EQ(heap->DescribeReference(chain[2]), "P^.NEXT^.NEXT");
    EXPECT_EQ(heap->AnchorHolders(chain[0]), std::vector<std::uint32_t>{VariableP});
    // A second structure goes on its own row.
    const std::uint32_t other = New(ListType, VariableQ);
    EXPECT_EQ(CellAt(other).Y, 100);
    EXPECT_EQ(CellAt(other).Structure, 2);
}

TEST_F(HeapModelTest, ListGrownAtItsHeadStaysOneStructure)
{
    // NEW(q); q^.next := p; p := q, as a pupil pushes on a list: every cell joins the list's
    // structure, and a separate cell keeps its own.
    std::uint32_t head = New(ListType, VariableP);
    std::vector<std::uint32_t> cells{head};
    for (int i = 0; i < 50; ++i) {
        const std::uint32_t cell = New(ListType, VariableQ);
        Store(cell + 4, head);
        Store(VariableP, cell);
        head = cell;
        cells.push_back(cell);
    }
    const int structure = CellAt(head).Structure;
    for (const std::uint32_t cell : cells) {
        EXPECT_EQ(CellAt(cell).Structure, structure);
    }
    const std::uint32_t other = New(ListType, VariableQ);
    EXPECT_NE(CellAt(other).Structure, structure);
    // Linking a list cell into the lone cell's field brings what it reaches along.
    Store(other + 4, cells[10]);
    EXPECT_EQ(CellAt(other).Structure, CellAt(cells[10]).Structure);
    EXPECT_EQ(CellAt(cells[0]).Structure, CellAt(cells[10]).Structure);
}

TEST_F(HeapModelTest, ARingJoinsAnotherStructureWithEachCellRenumberedOnce)
{
    // a -> b -> c -> a, then a two-cell list's tail linked to a: the walk that renumbers the
    // ring comes back to where it started and stops there.
    const std::uint32_t a = New(ListType, VariableP);
    const std::uint32_t b = New(ListType, a + 4);
    const std::uint32_t c = New(ListType, b + 4);
    Store(c + 4, a);
    const std::uint32_t head = New(ListType, VariableQ);
    const std::uint32_t tail = New(ListType, head + 4);
    ASSERT_NE(CellAt(head).Structure, CellAt(a).Structure);
    Store(tail + 4, a);
    const int structure = CellAt(head).Structure;
    for (const std::uint32_t cell : {a, b, c, tail}) {
        EXPECT_EQ(CellAt(cell).Structure, structure);
    }
    EXPECT_EQ(CellAt(a).References, 3); // P, c's field and the tail's field
}

TEST_F(HeapModelTest, TreeOfDepthThreePutsItsRootAt470AndHalvesTheSpacing)
{
    const std::uint32_t root = New(TreeType, VariableP);
    const std::uint32_t left = New(TreeType, root + 4);
    const std::uint32_t right = New(TreeType, root + 8);
    const std::uint32_t leftRight = New(TreeType, left + 8);
    const std::uint32_t deepest = New(TreeType, leftRight + 4);
    heap->FromRoot = false;
    heap->Layout(root);
    EXPECT_EQ(CellAt(root).X, 470);
    EXPECT_EQ(CellAt(left).X, 470 - 120);
    EXPECT_EQ(CellAt(right).X, 470 + 120);
    EXPECT_EQ(CellAt(leftRight).X, 350 + 60);
    EXPECT_EQ(CellAt(deepest).X, 410 - 30);
    EXPECT_EQ(CellAt(deepest).Y, CellAt(root).Y + 150);
    // The depth is capped below the maximal depth of exact drawing.
    heap->MaximalDepth = 3;
    heap->Layout(root);
    EXPECT_EQ(CellAt(root).X, 2 * 120 - 10);
}

TEST_F(HeapModelTest, DoublyLinkedListIsDrawnAsAListFromItsHead)
{
    const std::uint32_t first = New(DoubleType, VariableP);
    const std::uint32_t second = New(DoubleType, first + 4);
    Store(second + 8, first);
    const std::uint32_t third = New(DoubleType, second + 4);
    Store(third + 8, second);
    heap->FromRoot = false;
    heap->Layout(third);
    EXPECT_EQ(CellAt(second).X, CellAt(first).X + 100 + 40);
    EXPECT_EQ(CellAt(third).X, CellAt(second).X + 100 + 40);
    EXPECT_EQ(CellAt(third).Y, CellAt(first).Y);
}

TEST_F(HeapModelTest, CountsFollowHoldersAndAnchors)
{
    const std::uint32_t block = New(ListType, VariableP);
    Store(VariableQ, block);
    EXPECT_EQ(CellAt(block).References, 2);
    EXPECT_EQ(heap->AnchorHolders(block).size(), 2u);
    // A holder that never held the block is not counted down.
    EXPECT_EQ(heap->DropReference(block, DataAddress::Global(40), false), 2);
    EXPECT_EQ(heap->DropReference(block, VariableQ, false), 1);
    // The last holder gone without orphans allowed: kept for the caller's 219.
    EXPECT_EQ(heap->DropReference(block, VariableP, false), 0);
    EXPECT_NE(heap->FindCell(block), nullptr);
    EXPECT_EQ(heap->DropReference(DataAddress::HeapBase + 0x10000, VariableP, true), -1);
}

TEST_F(HeapModelTest, AnOrphanedChainIsFreedWithoutRecursion)
{
    std::uint32_t cell = New(ListType, VariableP);
    const std::uint32_t head = cell;
    for (int i = 0; i < 50000; ++i) {
        cell = New(ListType, cell + 4);
    }
    EXPECT_EQ(heap->Cells().size(), 50001u);
    EXPECT_EQ(heap->DropReference(head, VariableP, true), 0);
    EXPECT_TRUE(heap->Cells().empty());
    EXPECT_EQ(heap->LiveBytes(), 0u);
}

TEST_F(HeapModelTest, DisposeOfASharedBlockIsRefusedOrLeavesADrawnCellWithoutStorage)
{
    const std::uint32_t block = New(ListType, VariableP);
    Store(VariableQ, block);
    EXPECT_EQ(heap->Dispose(block, VariableP, true), 1);
    EXPECT_NE(heap->Bytes(block, 4), nullptr); // refused: nothing changed
    EXPECT_EQ(CellAt(block).References, 2);

    EXPECT_EQ(heap->Dispose(block, VariableP, false), 1);
    ASSERT_NE(heap->FindCell(block), nullptr);
    EXPECT_TRUE(CellAt(block).Disposed);
    EXPECT_EQ(heap->Bytes(block, 4), nullptr); // a dereference through Q is error 208
    EXPECT_EQ(heap->LiveBytes(), 0u);
    // A second DISPOSE through Q is no block any more.
    EXPECT_EQ(heap->Dispose(block, VariableQ, false), -1);
    // Q letting go erases the drawn cell without reporting an orphan.
    EXPECT_EQ(heap->DropReference(block, VariableQ, false), -1);
    EXPECT_EQ(heap->FindCell(block), nullptr);
}

TEST_F(HeapModelTest, CellsMadeAfterOthersWentStartAsNewOnes)
{
    // A tree cell with both fields set, held twice, disposed while drawn, then erased; a chain
    // of list cells erased at once.
    const std::uint32_t tree = New(TreeType, VariableP);
    const std::uint32_t left = New(ListType, tree + 4);
    New(ListType, tree + 8);
    Store(VariableQ, tree);
    EXPECT_EQ(heap->Dispose(tree, VariableP, false), 1);
    Store(VariableQ, DataAddress::Nil);
    EXPECT_EQ(heap->FindCell(tree), nullptr);
    EXPECT_EQ(heap->FindCell(left), nullptr);
    const std::uint32_t head = New(ListType, VariableP);
    std::uint32_t cell = head;
    for (int i = 0; i < 5; ++i) {
        cell = New(ListType, cell + 4);
    }
    EXPECT_EQ(heap->DropReference(head, VariableP, true), 0);
    variables.clear();
    EXPECT_TRUE(heap->Cells().empty());
    EXPECT_EQ(heap->LiveBytes(), 0u);

    // A cell RELEASE removes while a variable still holds it.
    EXPECT_EQ(heap->Mark(), 1);
    New(DoubleType, VariableP);
    heap->Release(1);
    variables.clear();
    EXPECT_TRUE(heap->Cells().empty());

    // Cells of other types and sizes in their place: zero bytes, their own shape, no holder but
    // the one storing them, nothing held or pointed at.
    const std::uint32_t big = heap->Allocate(DoubleType, 40, VariableQ);
    Store(VariableQ, big);
    std::vector<std::uint32_t> made = {big};
    for (int i = 0; i < 10; ++i) {
        made.push_back(New(ListType, made.back() + 4));
    }
    for (const std::uint32_t block : made) {
        const QbHeap::Cell& fresh = CellAt(block);
        EXPECT_FALSE(fresh.Disposed);
        EXPECT_TRUE(fresh.Held.empty());
        EXPECT_EQ(fresh.References, 1);
        EXPECT_EQ(fresh.Targets[1], DataAddress::Nil);
        EXPECT_EQ(fresh.Targets[2], DataAddress::Nil);
        EXPECT_EQ(heap->AnchorHolders(block).size(), block == big ? 1u : 0u);
    }
    std::vector<std::uint8_t> bytes(40, 0);
    DataAddress::Write(bytes.data() + 4, made[1]);
    EXPECT_EQ(CellAt(big).Bytes, bytes);
    EXPECT_EQ(CellAt(made.back()).Bytes, std::vector<std::uint8_t>(12, 0));
    EXPECT_EQ(CellAt(big).Size, 40u);
    EXPECT_EQ(CellAt(big).PointerFields(), 2);
    EXPECT_EQ(CellAt(made[1]).PointerFields(), 1);
    EXPECT_EQ(CellAt(big).Targets[0], made[1]);
    EXPECT_EQ(heap->LiveBytes(), 40u + 10 * 12);
    EXPECT_EQ(heap->Cells().size(), 11u);
}

TEST_F(HeapModelTest, ThousandsOfCellsAreFoundByTheirBlockUntilTheyGo)
{
    // A chain long enough to fill several pages of the index, then erased and made again.
    for (int round = 0; round < 2; ++round) {
        std::vector<std::uint32_t> chain = {New(ListType, VariableP)};
        for (int i = 1; i < 10000; ++i) {
            chain.push_back(New(ListType, chain.back() + 4));
        }
        for (const std::uint32_t block : chain) {
            ASSERT_NE(heap->FindCell(block), nullptr);
            EXPECT_EQ(heap->FindCell(block)->Block, block);
            // Inside the cell: its bytes, but no cell starts there.
            EXPECT_EQ(heap->FindCell(block + 8), nullptr);
            EXPECT_EQ(heap->FindCell(block + 1), nullptr);
            EXPECT_EQ(heap->Bytes(block + 8, 4), CellAt(block).Bytes.data() + 8);
        }
        EXPECT_EQ(heap->DropReference(chain.front(), VariableP, true), 0);
        variables.clear();
        for (const std::uint32_t block : chain) {
            EXPECT_EQ(heap->FindCell(block), nullptr);
            EXPECT_EQ(heap->Bytes(block, 1), nullptr);
        }
        EXPECT_TRUE(heap->Cells().empty());
    }
    EXPECT_EQ(heap->FindCell(DataAddress::HeapLimit), nullptr);
    EXPECT_EQ(heap->FindCell(DataAddress::HeapBase - 8), nullptr);
}

TEST_F(HeapModelTest, ReleaseRemovesEveryLaterCellAndFreesTheirStorage)
{
    const std::uint32_t before = New(ListType, VariableP);
    EXPECT_EQ(heap->Mark(), 1);
    const std::uint32_t first = New(ListType, before + 4);
    const std::uint32_t second = New(ListType, first + 4);
    const std::uint32_t third = New(ListType, VariableQ);
    heap->Release(1);
    EXPECT_EQ(heap->Generation(), 0);
    for (const std::uint32_t gone : {first, second, third}) {
        EXPECT_EQ(heap->FindCell(gone), nullptr);
        EXPECT_EQ(heap->Bytes(gone, 1), nullptr);
    }
    EXPECT_EQ(CellAt(before).Targets[0], DataAddress::Nil);
    EXPECT_EQ(heap->Mark(), 1);
}

TEST_F(HeapModelTest, AllocationStopsAtTheBoundAndInsideBlocksOnly)
{
    heap->Close();
    heap->Open(64, 1000);
    const std::uint32_t block = heap->Allocate(0, 600, DataAddress::Global(0));
    EXPECT_NE(block, DataAddress::Nil);
    EXPECT_EQ(heap->Allocate(0, 600, DataAddress::Global(0)), DataAddress::Nil);
    EXPECT_EQ(heap->Available(), 400u);
    EXPECT_NE(heap->Bytes(block + 596, 4), nullptr);
    EXPECT_EQ(heap->Bytes(block + 597, 4), nullptr);
    EXPECT_EQ(heap->Bytes(block - 1, 1), nullptr);
    // A heap opened without memory gives nothing; a heap is opened once.
    EXPECT_FALSE(heap->Open(64));
    heap->Close();
    heap->Open(0);
    EXPECT_EQ(heap->Allocate(0, 4, DataAddress::Global(0)), DataAddress::Nil);
}

TEST_F(HeapModelTest, DumpListsCellsAndNamedAnchors)
{
    const std::uint32_t block = New(ListType, VariableP);
    Store(VariableQ, block);
    EXPECT_EQ(heap->Dump(), "cell 1 $00100000 size 12 structure 1 gen 0 at 40,50 refs 2 -> nil\n"
                            "anchor $00100000: P Q\n");
}
} // namespace
