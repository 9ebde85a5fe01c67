// The heap of an interpreted Pascal program: blocks, cells, anchors and reference counts.
#include "runtime/QbHeap.h"

#include "runtime/DataAddress.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <utility>

namespace {
constexpr std::uint32_t Alignment = 8;

std::uint32_t Aligned(std::uint32_t size)
{
    return (std::max<std::uint32_t>(size, 1) + Alignment - 1) & ~(Alignment - 1);
}

// Holders outside the heap are listed in anchors; the accumulator (nil) and heap places are not.
bool IsOutsideHolder(std::uint32_t address)
{
    const DataAddress::Area area = DataAddress::AreaOf(address);
    return area != DataAddress::Area::None && area != DataAddress::Area::Heap;
}

} // namespace

QbHeap::QbHeap(HeapHooks newHooks) : hooks(std::move(newHooks)) {}

bool QbHeap::Open(std::size_t kilobytes, std::size_t newLimit)
{
    if (open) {
        return false;
    }
    open = true;
    hasMemory = kilobytes > 0;
    limit = newLimit;
    liveBytes = 0;
    nextBlock = DataAddress::HeapBase;
    nextOrder = 0;
    cells.clear();
    cellIndex.Clear();
    lastFound = nullptr;
    shapes.clear();
    changed.clear();
    structureCells.clear();
    nextStructure = 1;
    nextRow = 0;
    return true;
}

void QbHeap::Close()
{
    cells.clear();
    cellIndex.Clear();
    lastFound = nullptr;
    shapes.clear();
    structureCells.clear();
    changed.clear();
    liveBytes = 0;
    open = false;
    hasMemory = false;
    ++repaints;
}

// The address range of a new block: after the last one while the heap's numbers last, then
// the first gap between the cells still drawn.
std::uint32_t QbHeap::PlaceBlock(std::uint32_t size)
{
    const std::uint32_t room = Aligned(size);
    if (DataAddress::HeapLimit - nextBlock >= room) {
        const std::uint32_t block = nextBlock;
        nextBlock += room;
        return block;
    }
    std::uint32_t free = DataAddress::HeapBase;
    for (const auto& [block, cell] : cells) {
        if (block - free >= room) {
            return free;
        }
        free = block + Aligned(cell.Size);
    }
    return DataAddress::HeapLimit - free >= room ? free : DataAddress::Nil;
}

std::uint32_t QbHeap::Allocate(std::uint16_t type, std::uint32_t bytes, std::uint32_t referencing)
{
    if (!open || !hasMemory) {
        return DataAddress::Nil;
    }
    const std::uint32_t size = std::max<std::uint32_t>(bytes, 1);
    if (size > limit || liveBytes > limit - size) {
        return DataAddress::Nil;
    }
    const std::uint32_t block = PlaceBlock(size);
    if (block == DataAddress::Nil) {
        return DataAddress::Nil;
    }
    // A spare node keeps the room of its vectors; everything else starts as a new cell's.
    std::map<std::uint32_t, Cell>::node_type node;
    Cell fresh;
    if (!spareCells.empty()) {
        node = std::move(spareCells.back());
        spareCells.pop_back();
        node.key() = block;
        Cell& spare = node.mapped();
        fresh.Bytes = std::move(spare.Bytes);
        fresh.Held = std::move(spare.Held);
        fresh.Anchors = std::move(spare.Anchors);
        fresh.Held.clear();
        fresh.Anchors.clear();
        spare = std::move(fresh);
    }
    Cell& cell = node.empty() ? fresh : node.mapped();
    cell.Block = block;
    cell.Size = size;
    cell.Type = type;
    cell.Generation = generation;
    cell.Order = nextOrder++;
    if (type != 0 && hooks.ShapeOf) {
        std::shared_ptr<const HeapShape>& shape = shapes[type];
        if (shape == nullptr) {
            shape = std::make_shared<const HeapShape>(hooks.ShapeOf(type));
        }
        cell.SharedShape = shape;
    }
    cell.Bytes.assign(size, 0);
    int index = 0;
    Cell* parent = FindHolderCell(referencing, index);
    if (parent != nullptr && index > 0) {
        cell.Structure = parent->Structure;
        cell.X = parent->X + parent->Width() + Gap;
        cell.Y = parent->Y;
        if (index <= DrawnTargets) {
            parent->Targets[static_cast<std::size_t>(index - 1)] = block;
        }
    } else {
        parent = nullptr;
        cell.Structure = nextStructure++;
        nextRow += RowStep;
        cell.X = LeftMargin;
        cell.Y = nextRow;
    }
    liveBytes += size;
    CountStructure(cell.Structure, 1);
    // Most cells have one or two holders outside the heap at a time: room for two at once.
    cell.Anchors.reserve(2);
    Cell& placed = node.empty() ? cells.emplace(block, std::move(cell)).first->second
                                : cells.insert(std::move(node)).position->second;
    cellIndex.Set(block, &placed);
    // A cell hanging from a parent is placed beside it; its structure is laid out again by the
    // next Reorganize (re-laying it out here would make building a long list quadratic).
    MarkChanged(placed);
    ++repaints;
    return block;
}

int QbHeap::Dispose(std::uint32_t block, std::uint32_t referencing, bool refuseIfReferenced)
{
    Cell* cell = Find(block);
    if (cell == nullptr || cell->Disposed) {
        return -1;
    }
    int index = 0;
    Cell* holder = FindHolderCell(referencing, index);
    const bool anchored =
        std::find(cell->Anchors.begin(), cell->Anchors.end(), referencing) != cell->Anchors.end();
    const bool counted = referencing == DataAddress::Nil ||
                         (IsOutsideHolder(referencing) && anchored) ||
                         (holder != nullptr && index > 0);
    const int left = cell->References - (counted ? 1 : 0);
    if (left > 0 && refuseIfReferenced) {
        return left;
    }
    const int remaining = counted ? DropReference(block, referencing, true) : left;
    cell = Find(block);
    if (cell != nullptr) {
        // Still referenced: drawn without storage until its last holder lets go.
        cell->Disposed = true;
        FreeStorage(*cell);
    }
    ++repaints;
    return std::max(remaining, 0);
}

std::uint16_t QbHeap::Mark()
{
    if (generation < 0xFFFF) {
        ++generation;
    }
    return generation;
}

void QbHeap::Release(std::uint16_t from)
{
    std::vector<std::uint32_t> released;
    for (const auto& [block, cell] : cells) {
        if (cell.Generation >= from) {
            released.push_back(block);
        }
    }
    const std::set<std::uint32_t> gone(released.begin(), released.end());
    // Older cells lose the references the released ones held, then are unhooked from them.
    std::vector<std::uint32_t> orphans;
    std::vector<std::uint32_t> held;
    for (const std::uint32_t block : released) {
        TakeHeldTargets(cells.at(block), held);
        for (const std::uint32_t target : held) {
            Cell* kept = gone.count(target) != 0 ? nullptr : Find(target);
            if (kept != nullptr && --kept->References <= 0) {
                kept->References = 0;
                orphans.push_back(target);
            }
        }
    }
    for (const std::uint32_t block : released) {
        FreeStorage(cells.at(block));
        CountStructure(cells.at(block).Structure, -1);
        EraseCell(block);
    }
    for (auto& [block, cell] : cells) {
        for (std::uint32_t& target : cell.Targets) {
            if (gone.count(target) != 0) {
                target = DataAddress::Nil;
            }
        }
    }
    EraseCells(std::move(orphans));
    generation = from > 0 ? static_cast<std::uint16_t>(from - 1) : 0;
    ++repaints;
}

const QbHeap::Cell* QbHeap::FindCell(std::uint32_t address) const
{
    return cellIndex.Find(address);
}

QbHeap::Cell* QbHeap::Find(std::uint32_t block)
{
    if (lastFound != nullptr && lastFound->Block == block) {
        return lastFound;
    }
    Cell* cell = cellIndex.Find(block);
    if (cell != nullptr) {
        lastFound = cell;
    }
    return cell;
}

void QbHeap::EraseCell(std::uint32_t block)
{
    if (lastFound != nullptr && lastFound->Block == block) {
        lastFound = nullptr;
    }
    std::map<std::uint32_t, Cell>::node_type node = cells.extract(block);
    if (!node.empty() && spareCells.size() < SpareCells) {
        // Its shape is let go of now; its vectors' room waits for the next cell.
        node.mapped().SharedShape.reset();
        spareCells.push_back(std::move(node));
    }
    cellIndex.Erase(block);
}

std::uint32_t QbHeap::BlockIndex::SlotOf(std::uint32_t block)
{
    if (block < DataAddress::HeapBase || block >= DataAddress::HeapLimit ||
        (block & (Alignment - 1)) != 0) {
        return NoSlot;
    }
    return (block - DataAddress::HeapBase) / Alignment;
}

void QbHeap::BlockIndex::Set(std::uint32_t block, Cell* cell)
{
    const std::uint32_t slot = SlotOf(block);
    if (slot == NoSlot) {
        return;
    }
    const std::uint32_t page = slot >> PageBits;
    if (page >= pages.size()) {
        pages.resize(page + 1);
    }
    std::unique_ptr<Page>& at = pages[page];
    if (at == nullptr) {
        at = sparePage != nullptr ? std::move(sparePage) : std::make_unique<Page>();
    }
    Cell*& place = at->Slots[slot & (PageSlots - 1)];
    if (place == nullptr) {
        ++at->Used;
    }
    place = cell;
}

void QbHeap::BlockIndex::Erase(std::uint32_t block)
{
    const std::uint32_t slot = SlotOf(block);
    const std::uint32_t page = slot >> PageBits;
    if (slot == NoSlot || page >= pages.size() || pages[page] == nullptr) {
        return;
    }
    Cell*& place = pages[page]->Slots[slot & (PageSlots - 1)];
    if (place == nullptr) {
        return;
    }
    place = nullptr;
    if (--pages[page]->Used == 0) {
        // Empty: all its slots are null again.
        sparePage = std::move(pages[page]);
    }
}

void QbHeap::BlockIndex::Clear()
{
    pages.clear();
    sparePage.reset();
}

const QbHeap::Cell* QbHeap::FindPointerField(std::uint32_t address, int& index) const
{
    return const_cast<QbHeap*>(this)->FindHolderCell(address, index);
}

// The cell whose storage holds `address`; `index` is the pointer field starting there (from 1),
// 0 when the address starts no pointer field.
QbHeap::Cell* QbHeap::FindHolderCell(std::uint32_t address, int& index)
{
    index = 0;
    Cell* cell = FindCellHolding(address);
    if (cell == nullptr) {
        return nullptr;
    }
    const std::vector<std::uint32_t>& offsets = cell->Shape().PointerOffsets;
    const auto field = std::find(offsets.begin(), offsets.end(), address - cell->Block);
    if (field != offsets.end()) {
        index = static_cast<int>(field - offsets.begin()) + 1;
    }
    return cell;
}

QbHeap::Cell* QbHeap::FindCellHolding(std::uint32_t address)
{
    if (DataAddress::AreaOf(address) != DataAddress::Area::Heap) {
        return nullptr;
    }
    // Blocks start on aligned addresses: the few blocks a small cell may start at are asked
    // of the index first; a larger cell is found in the ordered map.
    Cell* found = nullptr;
    if (lastFound != nullptr && address - lastFound->Block < lastFound->Size) {
        found = lastFound;
    }
    constexpr std::uint32_t NearBlocks = 8;
    const std::uint32_t aligned = address & ~(Alignment - 1);
    for (std::uint32_t k = 0; found == nullptr && k < NearBlocks && aligned >= k * Alignment; ++k) {
        if (Cell* candidate = Find(aligned - k * Alignment)) {
            found = candidate;
            break;
        }
    }
    if (found == nullptr) {
        auto it = cells.upper_bound(address);
        if (it == cells.begin()) {
            return nullptr;
        }
        found = &std::prev(it)->second;
    }
    return address - found->Block < found->Size ? found : nullptr;
}

std::vector<const QbHeap::Cell*> QbHeap::Cells() const
{
    std::vector<const Cell*> list;
    list.reserve(cells.size());
    for (const auto& [block, cell] : cells) {
        list.push_back(&cell);
    }
    std::sort(list.begin(), list.end(),
              [](const Cell* a, const Cell* b) { return a->Order < b->Order; });
    return list;
}

std::vector<std::uint32_t> QbHeap::AnchorHolders(std::uint32_t block) const
{
    const Cell* cell = FindCell(block);
    return cell != nullptr ? cell->Anchors : std::vector<std::uint32_t>{};
}

void QbHeap::FreeStorage(Cell& cell, bool keepHeld)
{
    if (cell.Bytes.empty()) {
        return;
    }
    // The pointers it held are kept for the erasing of a disposed cell still drawn.
    if (keepHeld) {
        TakeHeldTargets(cell, cell.Held);
    }
    liveBytes -= std::min<std::size_t>(liveBytes, cell.Size);
    // No storage from now on; the room stays with the cell's node for a later cell.
    cell.Bytes.clear();
}

void QbHeap::TakeHeldTargets(const Cell& cell, std::vector<std::uint32_t>& targets)
{
    if (cell.Bytes.empty()) {
        if (&targets != &cell.Held) {
            targets.assign(cell.Held.begin(), cell.Held.end());
        }
        return;
    }
    targets.clear();
    for (const std::uint32_t offset : cell.Shape().PointerOffsets) {
        if (cell.Bytes.size() >= offset + 4) {
            targets.push_back(DataAddress::Read(cell.Bytes.data() + offset));
        }
    }
}

std::vector<std::uint32_t> QbHeap::ErasingFrom(std::uint32_t block)
{
    std::vector<std::uint32_t> blocks = std::move(spareBlocks);
    blocks.clear();
    blocks.push_back(block);
    return blocks;
}

// Erases cells nothing holds any more, and those only they held, without recursion so that a
// long chain cannot exhaust the host stack.
void QbHeap::EraseCells(std::vector<std::uint32_t> blocks)
{
    while (!blocks.empty()) {
        const std::uint32_t block = blocks.back();
        blocks.pop_back();
        Cell* cell = Find(block);
        if (cell == nullptr) {
            continue;
        }
        std::vector<std::uint32_t>& held = erasedTargets;
        TakeHeldTargets(*cell, held);
        FreeStorage(*cell, false);
        CountStructure(cell->Structure, -1);
        EraseCell(block);
        for (const std::uint32_t target : held) {
            Cell* next = target != block ? Find(target) : nullptr;
            if (next != nullptr && --next->References <= 0) {
                next->References = 0;
                blocks.push_back(target);
            }
        }
    }
    // Its room serves the next erasing.
    spareBlocks = std::move(blocks);
    ++repaints;
}

std::uint8_t* QbHeap::Bytes(std::uint32_t address, std::size_t size)
{
    Cell* cell = FindCellHolding(address);
    if (cell == nullptr || cell->Bytes.empty()) {
        return nullptr;
    }
    const std::size_t offset = address - cell->Block;
    return offset + size <= cell->Bytes.size() ? cell->Bytes.data() + offset : nullptr;
}

void QbHeap::AddReference(std::uint32_t block, std::uint32_t from)
{
    Cell* cell = Find(block);
    if (cell == nullptr) {
        return;
    }
    ++cell->References;
    if (IsOutsideHolder(from)) {
        cell->Anchors.push_back(from);
    }
    MarkChanged(*cell);
}

int QbHeap::DropReference(std::uint32_t block, std::uint32_t from, bool mayOrphan)
{
    Cell* cell = Find(block);
    if (cell == nullptr) {
        return -1;
    }
    if (IsOutsideHolder(from)) {
        auto holder = std::find(cell->Anchors.begin(), cell->Anchors.end(), from);
        if (holder == cell->Anchors.end()) {
            return cell->References; // not a holder: a stale number, not counted
        }
        cell->Anchors.erase(holder);
    } else {
        int index = 0;
        Cell* parent = FindHolderCell(from, index);
        if (parent != nullptr && index >= 1 && index <= DrawnTargets &&
            parent->Targets[static_cast<std::size_t>(index - 1)] == block) {
            parent->Targets[static_cast<std::size_t>(index - 1)] = DataAddress::Nil;
        }
    }
    if (--cell->References > 0) {
        MarkChanged(*cell);
        return cell->References;
    }
    cell->References = 0;
    if (cell->Disposed) {
        // Its storage went with DISPOSE: losing the last holder of a freed cell is no orphan.
        EraseCells(ErasingFrom(block));
        return -1;
    }
    if (mayOrphan) {
        EraseCells(ErasingFrom(block));
    }
    return 0;
}

void QbHeap::LinkReference(std::uint32_t block, std::uint32_t from)
{
    int index = 0;
    Cell* parent = FindHolderCell(from, index);
    const Cell* target = parent != nullptr && index >= 1 ? Find(block) : nullptr;
    if (target == nullptr) {
        return;
    }
    if (index <= DrawnTargets) {
        parent->Targets[static_cast<std::size_t>(index - 1)] = block;
    }
    // A cell alone in its structure joins the target's structure instead of renumbering
    // everything the target reaches: a list grown at its head stays one structure at a cost
    // independent of its length (renumbering it on every link would grow as its square).
    const auto alone = structureCells.find(parent->Structure);
    if (target != parent && alone != structureCells.end() && alone->second == 1) {
        CountStructure(parent->Structure, -1);
        parent->Structure = target->Structure;
        CountStructure(parent->Structure, 1);
    } else {
        Renumber(block, parent->Structure);
    }
    MarkChanged(*parent);
}

void QbHeap::MarkChanged(Cell& cell)
{
    if (!cell.Changed) {
        cell.Changed = true;
        changed.push_back(cell.Block);
    }
}

void QbHeap::MarkChanged(std::uint32_t block)
{
    if (Cell* cell = Find(block)) {
        MarkChanged(*cell);
    }
}

void QbHeap::CountStructure(int structure, int change)
{
    auto it = structureCells.find(structure);
    if (it == structureCells.end()) {
        if (spareStructures.empty()) {
            it = structureCells.emplace(structure, 0).first;
        } else {
            std::map<int, int>::node_type node = std::move(spareStructures.back());
            spareStructures.pop_back();
            node.key() = structure;
            node.mapped() = 0;
            it = structureCells.insert(std::move(node)).position;
        }
    }
    it->second += change;
    if (it->second <= 0) {
        std::map<int, int>::node_type node = structureCells.extract(it);
        if (spareStructures.size() < SpareCells) {
            spareStructures.push_back(std::move(node));
        }
    }
}

void QbHeap::Renumber(std::uint32_t block, int structure)
{
    // A cell is renumbered once: after `block`, the first met, any cell already of `structure`
    // stops the walk (a cycle back to `block` included).
    std::vector<std::uint32_t>& pending = renumbering;
    pending.assign(1, block);
    bool first = true;
    while (!pending.empty()) {
        const std::uint32_t next = pending.back();
        pending.pop_back();
        Cell* cell = Find(next);
        if (cell == nullptr || (cell->Structure == structure && !first)) {
            continue;
        }
        first = false;
        // The first cell may already be of `structure` (a link inside one structure): its count
        // stays as it is, and the walk goes on to the cells it holds.
        if (cell->Structure != structure) {
            CountStructure(cell->Structure, -1);
            cell->Structure = structure;
            CountStructure(structure, 1);
        }
        for (const std::uint32_t target : cell->Targets) {
            if (target != DataAddress::Nil) {
                pending.push_back(target);
            }
        }
    }
}

// The cell nothing in the heap points to above `block`, or the first cell met twice.
std::uint32_t QbHeap::RootOf(std::uint32_t block)
{
    std::map<std::uint32_t, std::uint32_t> parents;
    for (const auto& [address, cell] : cells) {
        for (const std::uint32_t target : cell.Targets) {
            if (target != DataAddress::Nil && target != address) {
                parents.emplace(target, address);
            }
        }
    }
    std::set<std::uint32_t> seen{block};
    for (auto it = parents.find(block); it != parents.end(); it = parents.find(block)) {
        if (!seen.insert(it->second).second) {
            break;
        }
        block = it->second;
    }
    return block;
}
