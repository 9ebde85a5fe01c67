// What the data manager needs from the heap: the bytes of its blocks and their reference counts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Implemented by the heap of the interpreted program. The data manager borrows it (it may be
// absent: a program without pointers runs with no heap) and calls it on every access to a heap
// address and on every pointer that is stored, pushed, popped or leaves with its frame.
// Addresses are those of DataAddress; a `from` of 0 is the accumulator.
class HeapAccess
{
  public:
    virtual ~HeapAccess() = default;

    // The bytes [address, address + size) when they lie inside one live block; null otherwise.
    virtual std::uint8_t* Bytes(std::uint32_t address, std::size_t size) = 0;
    // Counts one more holder of `block`; ignored when `block` starts no cell.
    virtual void AddReference(std::uint32_t block, std::uint32_t from) = 0;
    // Counts one holder less and returns the references left (-1 when `block` starts no cell).
    // With `mayOrphan` false a cell whose count reaches 0 is kept: the caller stops the run with
    // error 219. With `mayOrphan` true it is freed.
    virtual int DropReference(std::uint32_t block, std::uint32_t from, bool mayOrphan) = 0;
    // `from` (a pointer field of a cell, or anything else) now points to `block`.
    virtual void LinkReference(std::uint32_t block, std::uint32_t from) = 0;
    // The heap view shows the cells again after a store into one of them.
    virtual void Repaint() = 0;
    // How a pointer held at `address` inside a cell is described ("Ref. to " chains); empty
    // when the address is in no cell.
    virtual std::string DescribeReference(std::uint32_t address) = 0;
};
