// The heap of an interpreted Pascal program and the model of its drawing.
#pragma once

#include "runtime/HeapAccess.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

// The pointer fields of a block's type, as the heap needs them to follow arrows.
struct HeapShape
{
    std::vector<std::uint32_t> PointerOffsets; // byte offsets, in declaration order
    std::vector<std::string> PointerNames;     // same order
};

// What the heap asks of its owner: the pointer fields of a type and the name of a variable
// address (for anchors and "Ref. to" chains). Both may be empty.
struct HeapHooks
{
    std::function<HeapShape(std::uint16_t type)> ShapeOf;
    std::function<std::string(std::uint32_t address)> NameOf;
};

// Every allocated block is a cell of the drawing; each pointer field holding a cell's address is
// an arrow (the first three are drawn); a cell reached from outside the heap carries an anchor
// listing those holders. The heap counts the holders of each cell so that the data manager can
// report a cell nothing reaches (219).
//
// Blocks are numbered from DataAddress::HeapBase; the bytes are owned here and handed out only
// for addresses inside a block whose storage is live, so a pupil's stale pointer can never reach
// freed memory. A disposed cell that is still referenced stays drawn with no storage until its
// last holder lets go; its address range is not reused while it is drawn. Live storage is bounded
// (`Open`'s limit): beyond it Allocate answers nil.
class QbHeap : public HeapAccess
{
  public:
    static constexpr std::size_t DefaultLimit = 4 * 1024 * 1024;
    static constexpr int CellHeight = 20;
    static constexpr int ValueWidth = 60;
    static constexpr int SquareWidth = 20;
    static constexpr int Gap = 40;     // horizontal distance between cells of a list
    static constexpr int RowStep = 50; // vertical distance between rows and tree levels
    static constexpr int LeftMargin = 40;
    static constexpr int DrawnTargets = 3;

    struct Cell
    {
        std::uint32_t Block = 0;
        std::uint32_t Size = 0;
        std::uint16_t Type = 0;
        std::uint16_t Generation = 0;
        std::uint64_t Order = 0; // allocation order
        int Structure = 0;
        // Its type's pointer fields, shared by the cells of the type (null: none).
        std::shared_ptr<const HeapShape> SharedShape;
        std::array<std::uint32_t, DrawnTargets> Targets{}; // target blocks, 0 for none
        int References = 0;
        int X = 0;
        int Y = 0;
        bool Disposed = false; // storage freed, still drawn while referenced
        bool Changed = false;  // listed in `changed`
        std::vector<std::uint8_t> Bytes;
        std::vector<std::uint32_t> Held;    // pointer values of a disposed cell
        std::vector<std::uint32_t> Anchors; // holders outside the heap, in holding order

        const HeapShape& Shape() const
        {
            static const HeapShape none;
            return SharedShape != nullptr ? *SharedShape : none;
        }
        int PointerFields() const { return static_cast<int>(Shape().PointerOffsets.size()); }
        int Width() const { return ValueWidth + SquareWidth * PointerFields(); }
    };

    explicit QbHeap(HeapHooks hooks = {});
    QbHeap(const QbHeap&) = delete; // the cell index points into its own cells
    QbHeap& operator=(const QbHeap&) = delete;

    // Fails when already open; `kilobytes` 0 opens a heap without memory (every allocation nil).
    // `limit` bounds the bytes of live storage.
    bool Open(std::size_t kilobytes, std::size_t limit = DefaultLimit);
    void Close();
    bool IsOpen() const { return open; }
    void SetHooks(HeapHooks newHooks)
    {
        hooks = std::move(newHooks);
        shapes.clear();
    }

    // A zero-filled block of `bytes` (at least 1) for a value of `type` (0: untyped); nil when
    // there is no memory or the limit would be passed. `referencing` is where the address will
    // be stored: a pointer field of a cell hangs the new cell from it.
    std::uint32_t Allocate(std::uint16_t type, std::uint32_t bytes, std::uint32_t referencing);
    // Drops the reference held at `referencing` and frees the block's storage. Returns the
    // references left; with `refuseIfReferenced`, a block still referenced is left untouched
    // and the count returned (the caller raises 220). -1 when `block` starts no cell.
    int Dispose(std::uint32_t block, std::uint32_t referencing, bool refuseIfReferenced);
    // MARK: the new generation.
    std::uint16_t Mark();
    // RELEASE: every cell of generation `generation` or later is removed and its storage freed.
    void Release(std::uint16_t generation);
    std::uint16_t Generation() const { return generation; }

    const Cell* FindCell(std::uint32_t address) const;
    // The cell holding `address` as its pointer field `index` (from 1); null when none.
    const Cell* FindPointerField(std::uint32_t address, int& index) const;
    // The live cells in allocation order.
    std::vector<const Cell*> Cells() const;
    // Holders of a cell's anchor (empty: no anchor).
    std::vector<std::uint32_t> AnchorHolders(std::uint32_t block) const;
    std::size_t LiveBytes() const { return liveBytes; }
    std::size_t Available() const { return limit > liveBytes ? limit - liveBytes : 0; }

    // Re-lays out the structures of the cells changed since the last call.
    void Reorganize();
    // Re-lays out the structure of `block`'s cell as Reorganize would (a right click on it in
    // the heap view); the other changed cells wait for the next Reorganize.
    void ReorganizeStructure(std::uint32_t block);
    // Lays out the structure of `block`'s cell from `block`.
    void Layout(std::uint32_t block);
    int MaximalDepth = 5; // of exact drawing of a binary tree, 2..6
    bool FromRoot = true; // reorganisation climbs to the root and shifts to the left margin

    // The model as text: one line per cell, then one per anchor.
    std::string Dump() const;

    // HeapAccess.
    std::uint8_t* Bytes(std::uint32_t address, std::size_t size) override;
    void AddReference(std::uint32_t block, std::uint32_t from) override;
    int DropReference(std::uint32_t block, std::uint32_t from, bool mayOrphan) override;
    void LinkReference(std::uint32_t block, std::uint32_t from) override;
    void Repaint() override { ++repaints; }
    std::string DescribeReference(std::uint32_t address) override;
    int Repaints() const { return repaints; }

  private:
    Cell* Find(std::uint32_t block);
    Cell* FindHolderCell(std::uint32_t address, int& index);
    // The cell whose storage holds `address`, without the field (every access to a cell's bytes).
    Cell* FindCellHolding(std::uint32_t address);
    std::uint32_t PlaceBlock(std::uint32_t size);
    // Erases the cells of `blocks` and, iteratively, those whose last holder was one of them.
    void EraseCells(std::vector<std::uint32_t> blocks);
    // The list EraseCells starts from, `block` alone, in the room the last erasing left.
    std::vector<std::uint32_t> ErasingFrom(std::uint32_t block);
    std::vector<std::uint32_t> spareBlocks;
    // `keepHeld`: its pointers kept for a cell that stays drawn.
    void FreeStorage(Cell& cell, bool keepHeld = true);
    // The blocks a cell's pointer fields hold (a disposed cell's, as they were when it went),
    // into `targets`, in the room it has.
    static void TakeHeldTargets(const Cell& cell, std::vector<std::uint32_t>& targets);
    void Renumber(std::uint32_t block, int structure);
    std::vector<std::uint32_t> renumbering; // Renumber's cells to visit
    std::uint32_t RootOf(std::uint32_t block);
    void LayoutList(Cell& start, int along);
    void LayoutTree(Cell& root);
    int TreeDepth(std::uint32_t block, int cap);

    HeapHooks hooks;
    bool open = false;
    bool hasMemory = false;
    std::size_t limit = DefaultLimit;
    std::size_t liveBytes = 0;
    std::uint32_t nextBlock = 0;
    std::uint64_t nextOrder = 0;
    std::map<std::uint32_t, Cell> cells; // by block address
    // The nodes of erased cells, their vectors' room kept, for the next cells: a program that
    // builds and disposes a list again and again allocates nothing once the first is built.
    static constexpr std::size_t SpareCells = 4096;
    std::vector<std::map<std::uint32_t, Cell>::node_type> spareCells;
    std::vector<std::map<int, int>::node_type> spareStructures;
    std::vector<std::uint32_t> erasedTargets; // EraseCells' targets of the cell it erases
    // The shapes the hooks gave for each type during this opening (the table stays meanwhile).
    std::map<std::uint16_t, std::shared_ptr<const HeapShape>> shapes;
    // The same cells found by block without walking the tree (a pointer store finds two): a
    // page of blocks, then the block's slot. Blocks start on 8-byte boundaries; a page goes
    // with its last cell. Pages are small (half a kilobyte) so that cells of far-apart ages,
    // each on a page of its own, cost little.
    class BlockIndex
    {
      public:
        Cell* Find(std::uint32_t block) const
        {
            const std::uint32_t slot = SlotOf(block);
            const std::uint32_t page = slot >> PageBits;
            return slot != NoSlot && page < pages.size() && pages[page] != nullptr
                       ? pages[page]->Slots[slot & (PageSlots - 1)]
                       : nullptr;
        }
        void Set(std::uint32_t block, Cell* cell); // `cell` not null
        void Erase(std::uint32_t block);
        void Clear();

      private:
        static constexpr std::uint32_t PageBits = 6;
        static constexpr std::uint32_t PageSlots = 1u << PageBits;
        static constexpr std::uint32_t NoSlot = 0xFFFFFFFF;
        static std::uint32_t SlotOf(std::uint32_t block);
        struct Page
        {
            std::array<Cell*, PageSlots> Slots{};
            std::uint32_t Used = 0;
        };
        std::vector<std::unique_ptr<Page>> pages;
        std::unique_ptr<Page> sparePage; // the last page emptied, for the next one
    };
    BlockIndex cellIndex;
    // The cell Find or FindHolderCell found last (a statement reaches the same one again).
    Cell* lastFound = nullptr;
    void EraseCell(std::uint32_t block);
    // Cells touched since the last Reorganize, each listed once (its Changed flag); a block
    // whose cell went since is passed over. Reference counting marks cells at every pointer
    // store, so this is a list rather than a tree.
    std::vector<std::uint32_t> changed;
    void MarkChanged(Cell& cell);
    void MarkChanged(std::uint32_t block);
    int nextStructure = 1;
    // How many cells carry each structure number (numbers of no cell are absent).
    std::map<int, int> structureCells;
    void CountStructure(int structure, int change);
    int nextRow = 0;
    std::uint16_t generation = 0;
    int repaints = 0;
};
