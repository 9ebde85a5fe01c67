// Where the heap's cells are drawn: lists on one row, binary trees by levels; and the model as
// text.
#include "runtime/DataAddress.h"
#include "runtime/QbHeap.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <set>
#include <utility>

namespace {
std::string Hex(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "$%08X", static_cast<unsigned>(value));
    return text;
}
} // namespace

void QbHeap::Layout(std::uint32_t block)
{
    Cell* cell = Find(block);
    if (cell == nullptr) {
        return;
    }
    const int fields = cell->PointerFields();
    if (fields == 1) {
        LayoutList(*cell, 0);
        return;
    }
    if (fields != 2) {
        return; // three or more pointer fields: cells stay where they are
    }
    // A doubly linked list: some target points back through the other field. Its head is
    // found by walking back, and the list is drawn from there along the forward field.
    const auto pointsBack = [this](const Cell& from, int field) {
        const Cell* next = Find(from.Targets[static_cast<std::size_t>(field)]);
        return next != nullptr && next->Targets[static_cast<std::size_t>(1 - field)] == from.Block;
    };
    if (!pointsBack(*cell, 0) && !pointsBack(*cell, 1)) {
        LayoutTree(*cell);
        return;
    }
    const int forward = 0; // the first pointer field leads forward, the second back
    Cell* head = cell;
    std::set<std::uint32_t> seen{head->Block};
    for (Cell* previous = Find(head->Targets[static_cast<std::size_t>(1 - forward)]);
         previous != nullptr && seen.insert(previous->Block).second;
         previous = Find(previous->Targets[static_cast<std::size_t>(1 - forward)])) {
        head = previous;
    }
    LayoutList(*head, forward);
}

// The chain from `start` along pointer field `along` (from 0), on start's row, 40 pixels apart.
void QbHeap::LayoutList(Cell& start, int along)
{
    std::set<std::uint32_t> placed{start.Block};
    int x = start.X + start.Width() + Gap;
    for (Cell* next = Find(start.Targets[static_cast<std::size_t>(along)]);
         next != nullptr && placed.insert(next->Block).second;
         next = Find(next->Targets[static_cast<std::size_t>(along)])) {
        next->X = x;
        next->Y = start.Y;
        x += next->Width() + Gap;
    }
}

// Levels below `block` (a leaf has 0), at most `cap`.
int QbHeap::TreeDepth(std::uint32_t block, int cap)
{
    std::vector<std::uint32_t> level{block};
    std::set<std::uint32_t> seen{block};
    int depth = 0;
    while (depth < cap) {
        std::vector<std::uint32_t> below;
        for (const std::uint32_t address : level) {
            const Cell* cell = Find(address);
            for (int k = 0; cell != nullptr && k < 2; ++k) {
                const std::uint32_t child = cell->Targets[static_cast<std::size_t>(k)];
                if (Find(child) != nullptr && seen.insert(child).second) {
                    below.push_back(child);
                }
            }
        }
        if (below.empty()) {
            break;
        }
        ++depth;
        level = std::move(below);
    }
    return depth;
}

// A binary tree: the root at 2s - 10 for a spacing s = 2^d x 30 (d its depth, capped), each
// level 50 pixels lower, the children s/2 left and right, the spacing halving at each level.
void QbHeap::LayoutTree(Cell& root)
{
    const int depth = TreeDepth(root.Block, std::clamp(MaximalDepth, 2, 6) - 1);
    if (depth < 1) {
        return;
    }
    const int spacing = (1 << depth) * 30;
    root.X = 2 * spacing - 10;
    struct Step
    {
        std::uint32_t Block;
        int Spacing;
    };
    std::vector<Step> pending{{root.Block, spacing}};
    std::set<std::uint32_t> placed{root.Block};
    while (!pending.empty()) {
        const Step step = pending.back();
        pending.pop_back();
        const Cell* parent = Find(step.Block);
        if (parent == nullptr) {
            continue;
        }
        for (int k = 0; k < 2; ++k) {
            Cell* child = Find(parent->Targets[static_cast<std::size_t>(k)]);
            if (child == nullptr || !placed.insert(child->Block).second) {
                continue;
            }
            child->Y = parent->Y + RowStep;
            child->X = parent->X + (k == 0 ? -step.Spacing / 2 : step.Spacing / 2);
            pending.push_back({child->Block, step.Spacing / 2});
        }
    }
}

void QbHeap::Reorganize()
{
    // Structures are laid out in the order of their changed cells' addresses.
    std::vector<std::uint32_t> blocks = std::move(changed);
    changed.clear();
    std::sort(blocks.begin(), blocks.end());
    blocks.erase(std::unique(blocks.begin(), blocks.end()), blocks.end());
    for (const std::uint32_t block : blocks) {
        if (Cell* cell = Find(block)) {
            cell->Changed = false;
        }
    }
    std::set<int> done;
    for (const std::uint32_t block : blocks) {
        const Cell* cell = Find(block);
        if (cell == nullptr || done.count(cell->Structure) != 0) {
            continue;
        }
        const int structure = cell->Structure;
        done.insert(structure);
        Layout(FromRoot ? RootOf(block) : block);
        if (!FromRoot) {
            continue;
        }
        int left = INT_MAX;
        for (const auto& [address, other] : cells) {
            if (other.Structure == structure) {
                left = std::min(left, other.X);
            }
        }
        for (auto& [address, other] : cells) {
            if (other.Structure == structure) {
                other.X += LeftMargin - left;
            }
        }
    }
    ++repaints;
}

void QbHeap::ReorganizeStructure(std::uint32_t block)
{
    std::vector<std::uint32_t> waiting = std::move(changed);
    changed.assign(1, block);
    Reorganize();
    // What Reorganize did not take keeps its place in the list; the block itself is done.
    std::erase(waiting, block);
    for (const std::uint32_t other : changed) {
        waiting.push_back(other);
    }
    changed = std::move(waiting);
}

std::string QbHeap::Dump() const
{
    std::string text;
    int number = 0;
    for (const Cell* cell : Cells()) {
        text += "cell " + std::to_string(++number) + " " + Hex(cell->Block) + " size " +
                std::to_string(cell->Size) + " structure " + std::to_string(cell->Structure) +
                " gen " + std::to_string(cell->Generation) + " at " + std::to_string(cell->X) +
                "," + std::to_string(cell->Y) + " refs " + std::to_string(cell->References);
        for (int k = 0; k < std::min(cell->PointerFields(), DrawnTargets); ++k) {
            const std::uint32_t target = cell->Targets[static_cast<std::size_t>(k)];
            text += k == 0 ? " ->" : "";
            text += " " + (target == DataAddress::Nil ? std::string("nil") : Hex(target));
        }
        text += cell->Disposed ? " disposed\n" : "\n";
    }
    for (const Cell* cell : Cells()) {
        if (cell->Anchors.empty()) {
            continue;
        }
        text += "anchor " + Hex(cell->Block) + ":";
        for (const std::uint32_t holder : cell->Anchors) {
            const std::string name = hooks.NameOf ? hooks.NameOf(holder) : std::string();
            text += " " + (name.empty() ? Hex(holder) : name);
        }
        text += "\n";
    }
    return text;
}

// The chain of cells down to `address`'s cell from a variable: "P^.NEXT^.NEXT".
std::string QbHeap::DescribeReference(std::uint32_t address)
{
    std::string path;
    std::set<std::uint32_t> seen;
    std::uint32_t block = address;
    for (const Cell* cell = Find(block); cell != nullptr && seen.insert(block).second;
         cell = Find(block)) {
        for (const std::uint32_t holder : cell->Anchors) {
            const std::string name = hooks.NameOf ? hooks.NameOf(holder) : std::string();
            if (!name.empty()) {
                return name + path;
            }
        }
        std::uint32_t parent = DataAddress::Nil;
        for (const auto& [from, holder] : cells) {
            for (int k = 0; k < DrawnTargets && parent == DataAddress::Nil; ++k) {
                if (holder.Targets[static_cast<std::size_t>(k)] == block) {
                    parent = from;
                    const std::string field =
                        static_cast<std::size_t>(k) < holder.Shape().PointerNames.size()
                            ? holder.Shape().PointerNames[static_cast<std::size_t>(k)]
                            : "field." + std::to_string(k + 1);
                    path = "^." + field + path;
                }
            }
            if (parent != DataAddress::Nil) {
                break;
            }
        }
        block = parent;
    }
    return path.empty() ? Hex(address) : "?" + path;
}
