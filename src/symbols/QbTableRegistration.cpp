// The registration of the modules' predefined constants, types, variables and routines.
#include "symbols/QbTable.h"

#include "frontend/QbSyntaxe.h"

#include <cassert>

EntryNumber QbTable::DeclareConst(EntryNumber block, std::uint16_t word, std::uint16_t link1,
                                  std::uint8_t code)
{
    const std::string name = driver.Word(word);
    EntryNumber node = 0;
    if (name.empty()) {
        return 0;
    }
    if (FindInBlock(name, EntryKind::Constant, block, node)) {
        return node;
    }
    const EntryNumber entry = NewEntry(name, EntryKind::Constant, block);
    SetLink1(entry, link1);
    SetCode(entry, code);
    LinkEntry(entry, node, block);
    return entry;
}

EntryNumber QbTable::DeclareType(EntryNumber block, std::uint16_t word, std::uint16_t size,
                                 std::uint8_t code)
{
    const std::string name = driver.Word(word);
    EntryNumber node = 0;
    if (name.empty()) {
        return 0;
    }
    if (FindInBlock(name, EntryKind::Type, block, node)) {
        return node;
    }
    const EntryNumber entry = NewEntry(name, EntryKind::Type, block);
    SetValue(entry, size);
    SetCode(entry, code);
    LinkEntry(entry, node, block);
    return entry;
}

// A block's variable takes the next address of the global area (the root block's Value, which
// every unit shares); a record's takes the next offset inside the record and is appended to its
// field chain, so that fields stay in declaration order.
EntryNumber QbTable::DeclareVar(EntryNumber block, std::uint16_t word, std::uint8_t code)
{
    const bool isBlock = Kind(block) == EntryKind::Procedure && HasRoutineBlock(block);
    const bool isRecord = Kind(block) == EntryKind::Type && Code(block) == TypeCode::Record;
    if (!isBlock && !isRecord) {
        driver.Errors->RaiseWith(ErrorNumber::UnitLoadError, GetName(block));
    }
    const std::string name = driver.Word(word);
    if (name.empty()) {
        return 0;
    }
    EntryNumber node = 0;
    if (isBlock ? FindInBlock(name, EntryKind::Variable, block, node)
                : ChainFind(name, Link2(block), node)) {
        return node;
    }
    const EntryNumber type = FindPredefType(code);
    const std::uint16_t size = type != 0 ? SizeOf(type) : TypeSize(code);

    const EntryNumber entry = NewEntry(name, EntryKind::Variable, block);
    SetLink1(entry, type != 0 ? type : code);
    if (isBlock) {
        SetValue(entry, Value(1));
        SetValue(1, static_cast<std::uint16_t>(Value(1) + size));
        if (block != 1) {
            SetValue(block, static_cast<std::uint16_t>(Value(block) + size));
        }
        LinkEntry(entry, node, block);
        PushVariable(block, entry);
        return entry;
    }
    SetValue(entry, Value(block));
    SetValue(block, static_cast<std::uint16_t>(Value(block) + size));
    EntryNumber last = Link2(block);
    if (!IsEntry(last)) {
        SetLink2(block, entry);
        return entry;
    }
    for (int steps = 0; steps <= MaxEntries && IsEntry(Link2(last)); ++steps) {
        last = Link2(last);
    }
    ChainAfter(entry, last);
    return entry;
}

EntryNumber QbTable::DeclareRoutine(EntryNumber block, std::uint16_t word, RoutineHandler handler,
                                    std::uint8_t resultCode, EntryKind kind,
                                    std::uint16_t paramSpec)
{
    assert(kind == EntryKind::Procedure || kind == EntryKind::Function);
    if (kind != EntryKind::Procedure && kind != EntryKind::Function) {
        return 0;
    }
    const std::string name = driver.Word(word);
    EntryNumber node = 0;
    if (name.empty()) {
        return 0;
    }
    if (FindInBlock(name, kind, block, node)) {
        return node;
    }
    // A predefined routine has a handler instead of a routine block: no NewEntry.
    const EntryNumber entry = Allocate(name, kind, block);
    SetValue(entry, word);
    SetCode(entry, RoutineFlag::Predefined);
    SetAux(entry, paramSpec);
    SetHandler(entry, std::move(handler));
    LinkEntry(entry, node, block);
    if (kind == EntryKind::Function) {
        const EntryNumber result = Allocate(name, EntryKind::Variable, entry);
        SetCode(result, VariableMode::FunctionResult);
        SetLink1(result, resultCode);
        EntryNumber resultNode = 0;
        if (!FindInBlock(name, EntryKind::Variable, block, resultNode)) {
            LinkEntry(result, resultNode, block);
        }
    }
    return entry;
}
