// The symbol table's entries, name trees and scoped lookup.
#include "symbols/QbTable.h"

#include "frontend/QbSyntaxe.h"
#include "lexical/QbDico.h"
#include "lexical/QbLexical.h"

#include <algorithm>
#include <cassert>

namespace {
std::string_view CutName(std::string_view name)
{
    return name.substr(0, std::min(name.size(), QbTable::NameLength));
}

bool IsRoutineKind(EntryKind kind)
{
    return kind == EntryKind::Procedure || kind == EntryKind::Function;
}

// The tree slot of a kind; -1 for kind 7, which has no tree.
int TreeSlotOf(EntryKind kind)
{
    return kind == EntryKind::Property ? -1 : static_cast<int>(kind);
}
} // namespace

QbTable::QbTable(QbSyntaxe& owner) : driver(owner), entries(MaxEntries + 1) {}

QbTable::~QbTable() = default;

void QbTable::FreeEntries()
{
    ForgetLookups();
    for (EntryNumber e = 1; e < nextFree; ++e) {
        entries[e].Slots.reset();
        entries[e].Block = {};
        entries[e].Handler = nullptr;
        entries[e].Apply = nullptr;
    }
}

void QbTable::Reset()
{
    FreeEntries();
    for (EntryNumber e = 1; e < nextFree; ++e) {
        entries[e] = Entry{};
    }
    nextFree = 1;
    firstUserEntry = 1;
    userStartMarked = false;
    predefTypesStart = 0;
    predefTypesEnd = 0;
}

QbTable::Entry* QbTable::Writable(EntryNumber entry)
{
    ForgetLookups();
    return IsEntry(entry) ? &entries[entry] : nullptr;
}

// Field access ---------------------------------------------------------------------------------

const std::string& QbTable::GetName(EntryNumber entry) const
{
    return At(entry).Name;
}

void QbTable::SetName(EntryNumber entry, std::string_view name)
{
    if (Entry* e = Writable(entry)) {
        e->Name = std::string(CutName(name));
    }
}

void QbTable::SetAux(EntryNumber entry, std::uint16_t value)
{
    if (Entry* e = Writable(entry)) {
        e->Aux = value;
    }
}

void QbTable::SetRunFlag(EntryNumber entry, bool assigned)
{
    if (IsEntry(entry)) {
        std::uint16_t& aux = entries[entry].Aux;
        aux = assigned ? static_cast<std::uint16_t>(aux | VariableFlag::Run)
                       : static_cast<std::uint16_t>(aux & ~VariableFlag::Run);
    }
}

void QbTable::SetValue(EntryNumber entry, std::uint16_t value)
{
    if (Entry* e = Writable(entry)) {
        e->Value = value;
    }
}

void QbTable::SetOwner(EntryNumber entry, EntryNumber owner)
{
    if (Entry* e = Writable(entry)) {
        e->Owner = owner;
    }
}

EntryNumber QbTable::Left(EntryNumber entry) const
{
    return At(entry).Left;
}

EntryNumber QbTable::Right(EntryNumber entry) const
{
    return At(entry).Right;
}

bool QbTable::IsMarked(EntryNumber entry) const
{
    return (At(entry).KindByte & 0x80) != 0;
}

void QbTable::Mark(EntryNumber entry, bool hidden)
{
    if (Entry* e = Writable(entry)) {
        e->KindByte = static_cast<std::uint8_t>((e->KindByte & 0x7F) | (hidden ? 0x80 : 0));
    }
}

void QbTable::SetCode(EntryNumber entry, std::uint8_t code)
{
    if (Entry* e = Writable(entry)) {
        e->Code = code;
    }
}

std::uint16_t QbTable::Link1(EntryNumber entry) const
{
    return static_cast<std::uint16_t>(At(entry).Cell & 0xFFFF);
}

void QbTable::SetLink1(EntryNumber entry, std::uint16_t value)
{
    if (Entry* e = Writable(entry)) {
        e->Cell = (e->Cell & 0xFFFF0000U) | value;
    }
}

std::uint16_t QbTable::Link2(EntryNumber entry) const
{
    return static_cast<std::uint16_t>(At(entry).Cell >> 16);
}

void QbTable::SetLink2(EntryNumber entry, std::uint16_t value)
{
    if (Entry* e = Writable(entry)) {
        e->Cell = (e->Cell & 0xFFFFU) | (static_cast<std::uint32_t>(value) << 16);
    }
}

std::uint32_t QbTable::Cell(EntryNumber entry) const
{
    return At(entry).Cell;
}

void QbTable::SetCell(EntryNumber entry, std::uint32_t value)
{
    if (Entry* e = Writable(entry)) {
        e->Cell = value;
    }
}

std::span<std::uint8_t> QbTable::AttrBlock(EntryNumber entry)
{
    if (Entry* e = Writable(entry)) {
        return e->Block;
    }
    return {};
}

std::span<const std::uint8_t> QbTable::AttrBlock(EntryNumber entry) const
{
    return At(entry).Block;
}

void QbTable::SetAttrBlock(EntryNumber entry, std::vector<std::uint8_t> block)
{
    if (Entry* e = Writable(entry)) {
        e->Block = std::move(block);
    }
}

std::uint16_t QbTable::TypedConstAddress(EntryNumber entry) const
{
    const std::vector<std::uint8_t>& block = At(entry).Block;
    if (block.size() < 2) {
        return 0;
    }
    const std::size_t at = block.size() - 2;
    return static_cast<std::uint16_t>(block[at] | (block[at + 1] << 8));
}

void QbTable::SetTypedConstAddress(EntryNumber entry, std::uint16_t address)
{
    Entry* e = Writable(entry);
    if (e == nullptr || e->Block.size() < 2) {
        return;
    }
    const std::size_t at = e->Block.size() - 2;
    e->Block[at] = static_cast<std::uint8_t>(address & 0xFF);
    e->Block[at + 1] = static_cast<std::uint8_t>(address >> 8);
}

const QbTable::RoutineHandler& QbTable::Handler(EntryNumber entry) const
{
    return At(entry).Handler;
}

void QbTable::SetHandler(EntryNumber entry, RoutineHandler handler)
{
    if (Entry* e = Writable(entry)) {
        e->Handler = std::move(handler);
    }
}

QbTable::RoutineApply QbTable::Apply(EntryNumber entry) const
{
    return At(entry).Apply;
}

void QbTable::SetApply(EntryNumber entry, RoutineApply apply)
{
    if (Entry* e = Writable(entry)) {
        e->Apply = apply;
    }
}

bool QbTable::HasRoutineBlock(EntryNumber entry) const
{
    return At(entry).Slots.has_value();
}

void QbTable::SetSlot(EntryNumber entry, int i, std::uint16_t value)
{
    // Positions, the WITH depth and the variable chain are set while a program runs (every
    // call) and no lookup reads them; the trees and the unit chains are what lookups follow.
    const bool lookupSlot =
        i < RoutineSlot::WithDepth || i == RoutineSlot::FirstUse || i == RoutineSlot::NextUnit;
    if (lookupSlot) {
        ForgetLookups();
    }
    Entry* e = IsEntry(entry) ? &entries[entry] : nullptr;
    if (e == nullptr || !e->Slots || i < 0 || i >= RoutineSlot::Count) {
        return;
    }
    (*e->Slots)[static_cast<std::size_t>(i)] = value;
}

void QbTable::MarkUserStart()
{
    if (!userStartMarked) {
        firstUserEntry = nextFree;
        userStartMarked = true;
    }
}

// Creating and linking -------------------------------------------------------------------------

EntryNumber QbTable::Allocate(std::string_view name, EntryKind kind, EntryNumber owner)
{
    if (nextFree > MaxEntries) {
        assert(driver.Errors != nullptr);
        driver.Errors->Raise(ErrorNumber::SymbolTableFull);
    }
    const EntryNumber number = nextFree++;
    ForgetLookups();
    Entry& e = entries[number];
    e = Entry{};
    e.Name = std::string(CutName(name));
    e.KindByte = static_cast<std::uint8_t>(kind);
    e.Owner = owner;
    return number;
}

EntryNumber QbTable::NewEntry(std::string_view name, EntryKind kind, EntryNumber owner)
{
    const EntryNumber number = Allocate(name, kind, owner);
    if (IsRoutineKind(kind)) {
        entries[number].Slots.emplace();
        entries[number].Slots->fill(0);
        if (withScope != nullptr) {
            withScope->StoreWithDepth(number);
        }
    } else if (kind == EntryKind::Use && HasRoutineBlock(owner)) {
        SetAux(number, Slot(owner, RoutineSlot::FirstUse));
        SetSlot(owner, RoutineSlot::FirstUse, number);
    }
    return number;
}

void QbTable::LinkEntry(EntryNumber entry, EntryNumber /*parent*/, EntryNumber owner)
{
    ForgetLookups();
    const int slot = TreeSlotOf(Kind(entry));
    if (!IsEntry(entry) || slot < 0 || !HasRoutineBlock(owner)) {
        return;
    }
    EntryNumber node = Slot(owner, slot);
    if (node == 0) {
        SetSlot(owner, slot, entry);
        return;
    }
    const std::string_view name = GetName(entry);
    for (int steps = 0; steps <= MaxEntries && IsEntry(node) && node != entry; ++steps) {
        Entry& parent = entries[node];
        EntryNumber& child = name < std::string_view(parent.Name) ? parent.Left : parent.Right;
        if (child == 0) {
            child = entry;
            return;
        }
        node = child;
    }
}

void QbTable::ChainAfter(EntryNumber a, EntryNumber b)
{
    SetLink2(b, a);
    SetLink2(a, 0);
}

void QbTable::PushVariable(EntryNumber block, EntryNumber variable)
{
    if (!HasRoutineBlock(block) || !IsEntry(variable)) {
        return;
    }
    SetLink2(variable, Slot(block, RoutineSlot::FirstVariable));
    SetSlot(block, RoutineSlot::FirstVariable, variable);
}

EntryNumber QbTable::Declare(std::string_view name, EntryKind kind, EntryNumber block)
{
    EntryNumber node = 0;
    if (FindInBlock(name, kind, block, node)) {
        driver.Errors->Raise(ErrorNumber::IdentifierAlreadyDeclared);
    }
    const EntryNumber entry = NewEntry(name, kind, block);
    LinkEntry(entry, node, block);
    return entry;
}

// Lookup ---------------------------------------------------------------------------------------

bool QbTable::TreeFind(std::string_view name, EntryNumber root, EntryNumber& node) const
{
    const std::string_view key = CutName(name);
    node = 0;
    EntryNumber current = root;
    // The step bound keeps a damaged tree from looping forever.
    for (int steps = 0; steps <= MaxEntries && IsEntry(current); ++steps) {
        node = current;
        const int order = key.compare(entries[current].Name);
        if (order == 0) {
            return true;
        }
        current = order < 0 ? entries[current].Left : entries[current].Right;
    }
    return false;
}

bool QbTable::FindInBlock(std::string_view name, EntryKind kind, EntryNumber block,
                          EntryNumber& node) const
{
    const int slot = TreeSlotOf(kind);
    node = 0;
    if (slot < 0 || !HasRoutineBlock(block)) {
        return false;
    }
    return TreeFind(name, Slot(block, slot), node);
}

bool QbTable::Lookup(std::string_view name, EntryKind kind, EntryNumber& entry, EntryNumber block)
{
    std::string_view key = CutName(name);
    if (kind == EntryKind::Variable && Kind(block) == EntryKind::Function && !key.empty() &&
        driver.Dictionary != nullptr) {
        const std::string& resultWord = driver.Dictionary->WordTextRef(ResultWord);
        if (key == resultWord) {
            key = GetName(block);
            if (driver.Lexer != nullptr) {
                driver.Lexer->Notify('C', resultWord, ResultWord);
            }
        }
    }

    // Inside WITH, the fields of the opened records hide every variable of the same name.
    EntryNumber field = 0;
    if (kind == EntryKind::Variable && withScope != nullptr &&
        withScope->FindWithField(key, block, field)) {
        entry = field;
        return true;
    }

    // Until the table changes (every change forgets the kept answers), a name looked up in a
    // block gives the same answer again: keep it. The access rules raise only while executing
    // and under their options, so the answer is kept with those. Translation
    // hears of every word found and is never answered from here.
    if (driver.Lexer != nullptr && driver.Lexer->Translating()) {
        return LookupOutward(key, kind, entry, block);
    }
    const int rules = (driver.Execute ? 1 : 0) + (driver.OptionA(OptionA::ForbidGlobal) ? 2 : 0) +
                      (driver.OptionA(OptionA::ForbidIntermediate) ? 4 : 0);
    const auto kindBits = static_cast<std::uint8_t>(static_cast<int>(kind) * 8 + rules);
    // FNV-1a over the name, then the kind and the block: a direct-mapped cache, a newer answer
    // takes the place of an older one with the same slot.
    std::uint32_t hash = 2166136261u;
    for (const char ch : key) {
        hash = (hash ^ static_cast<std::uint8_t>(ch)) * 16777619u;
    }
    hash = (hash ^ kindBits) * 16777619u;
    hash = (hash ^ block) * 16777619u;
    if (lookupCache.empty()) {
        lookupCache.resize(KeptLookupSlots);
    }
    KeptLookup& slot = lookupCache[(hash ^ (hash >> 16)) & (KeptLookupSlots - 1)];
    if (slot.Generation == lookupGeneration && slot.Hash == hash && slot.Block == block &&
        slot.KindBits == kindBits && slot.Length == key.size() &&
        std::equal(key.begin(), key.end(), slot.Name.begin())) {
        entry = slot.Entry;
        return slot.Found;
    }
    const bool found = LookupOutward(key, kind, entry, block);
    if (key.size() <= slot.Name.size()) {
        slot.Generation = lookupGeneration;
        slot.Hash = hash;
        slot.Block = block;
        slot.KindBits = kindBits;
        slot.Length = static_cast<std::uint8_t>(key.size());
        std::copy(key.begin(), key.end(), slot.Name.begin());
        slot.Entry = entry;
        slot.Found = found;
    }
    return found;
}

void QbTable::ForgetLookups()
{
    // A kept answer counts only under the generation it was found in; wrapping round would
    // need four thousand million changes of the table.
    ++lookupGeneration;
}

bool QbTable::LookupOutward(std::string_view key, EntryKind kind, EntryNumber& entry,
                            EntryNumber block)
{
    EntryNumber node = 0;
    if (FindInBlock(key, kind, block, node)) {
        entry = node;
        return true;
    }
    const EntryNumber insertionParent = node;

    if (kind == EntryKind::Variable) {
        EntryNumber classType = 0;
        EntryNumber member = 0;
        EntryNumber owningClass = 0;
        if (MethodOwner(block, classType) && FindMember(key, classType, member, owningClass)) {
            if (owningClass != classType &&
                (Aux(member) & VariableFlag::AccessMask) == VariableFlag::PrivateAccess) {
                driver.Errors->RaiseWith(ErrorNumber::TryingAccessHiddenField, std::string(key));
            }
            entry = member;
            return true;
        }
    }

    // Outward through the enclosing blocks; types (classes, records) in the Owner chain are
    // stepped over, only blocks have trees.
    EntryNumber current = block;
    for (int steps = 0; steps <= MaxEntries; ++steps) {
        const EntryNumber outer = Owner(current);
        if (!IsEntry(outer)) {
            break;
        }
        current = outer;
        if (!HasRoutineBlock(outer)) {
            continue;
        }
        if (FindInBlock(key, kind, outer, node)) {
            if (kind == EntryKind::Variable) {
                CheckEnclosingAccess(outer);
            }
            entry = node;
            return true;
        }
    }

    if (SearchUsedUnits(key, kind, block, current, entry)) {
        return true;
    }
    entry = insertionParent;
    return false;
}

// Names of a unit's implementation part are for the unit alone: from anywhere else they are
// skipped, whatever the run mode, so that a check refuses what execution could not find.
bool QbTable::SearchUsedUnits(std::string_view name, EntryKind kind, EntryNumber start,
                              EntryNumber outermost, EntryNumber& entry) const
{
    EntryNumber use = FirstUse(outermost);
    for (int steps = 0; steps <= MaxEntries && IsEntry(use); ++steps, use = NextUse(use)) {
        EntryNumber node = 0;
        if (FindInBlock(name, kind, Value(use), node) &&
            !(IsMarked(node) && Owner(node) != start)) {
            entry = node;
            return true;
        }
    }
    return false;
}

// The access options are run-time rules (212, 213): while checking, the expression reader
// reports the same accesses as 93 and 94 (CheckVariableAccess).
void QbTable::CheckEnclosingAccess(EntryNumber foundBlock)
{
    if (!driver.Execute) {
        return;
    }
    if (Owner(foundBlock) != 0) {
        if (driver.OptionA(OptionA::ForbidIntermediate)) {
            driver.Errors->Raise(ErrorNumber::IntermediateAccessForbiddenAtRun);
        }
    } else if (driver.OptionA(OptionA::ForbidGlobal)) {
        driver.Errors->Raise(ErrorNumber::GlobalAccessForbiddenAtRun);
    }
}

void QbTable::CheckVariableAccess(EntryNumber variable, EntryNumber routine)
{
    const EntryNumber owner = Owner(variable);
    const EntryNumber top = Outermost(routine);
    if (!HasRoutineBlock(owner) || owner == routine || routine == top) {
        return;
    }
    if (owner == top) {
        if (driver.OptionA(OptionA::ForbidGlobal)) {
            driver.Errors->Raise(ErrorNumber::GlobalVariablesForbidden);
        }
    } else if (Owner(owner) != 0 && driver.OptionA(OptionA::ForbidIntermediate)) {
        driver.Errors->Raise(ErrorNumber::IntermediateVariablesForbidden);
    }
}

bool QbTable::LookupAny(std::string_view name, EntryNumber block, EntryNumber& entry)
{
    for (int kind = 0; kind <= static_cast<int>(EntryKind::EnumValue); ++kind) {
        if (Lookup(name, static_cast<EntryKind>(kind), entry, block)) {
            return true;
        }
    }
    return false;
}

bool QbTable::ChainFind(std::string_view name, EntryNumber start, EntryNumber& entry) const
{
    const std::string_view key = CutName(name);
    EntryNumber node = start;
    for (int steps = 0; steps <= MaxEntries && IsEntry(node); ++steps, node = Link2(node)) {
        if (key == GetName(node)) {
            entry = node;
            return true;
        }
    }
    entry = 0;
    return false;
}

bool QbTable::ChainFindAfter(std::string_view name, EntryNumber entry, EntryNumber& found) const
{
    const std::string_view key = CutName(name);
    found = entry;
    EntryNumber node = Link2(entry);
    for (int steps = 0; steps <= MaxEntries && IsEntry(node); ++steps, node = Link2(node)) {
        found = node;
        if (key == GetName(node)) {
            return true;
        }
    }
    return false;
}

bool QbTable::FindMember(std::string_view name, EntryNumber classType, EntryNumber& member,
                         EntryNumber& owningClass) const
{
    EntryNumber current = classType;
    for (int steps = 0; steps <= MaxEntries && IsEntry(current); ++steps) {
        if (Kind(current) != EntryKind::Type) {
            break;
        }
        if (ChainFind(name, Link2(current), member)) {
            owningClass = current;
            return true;
        }
        const std::uint8_t code = Code(current);
        if (code != TypeCode::Class && code != TypeCode::AbstractClass) {
            break;
        }
        current = Link1(current);
    }
    member = 0;
    owningClass = 0;
    return false;
}

bool QbTable::MethodOwner(EntryNumber entry, EntryNumber& classType) const
{
    if (!IsEntry(entry) || entry < 2) {
        return false;
    }
    const EntryNumber marker = static_cast<EntryNumber>(entry - 1);
    if (Kind(marker) != EntryKind::Variable || Code(marker) != VariableMode::MethodMarker) {
        return false;
    }
    classType = Owner(marker);
    return true;
}

// Units and uses ------------------------------------------------------------------------------

EntryNumber QbTable::FindUnit(std::string_view name) const
{
    const std::string_view key = CutName(name);
    EntryNumber unit = FirstUnit();
    for (int steps = 0; steps <= MaxEntries && IsEntry(unit); ++steps, unit = NextUnit(unit)) {
        if (key == GetName(unit)) {
            return unit;
        }
    }
    return 0;
}

void QbTable::AddUnit(EntryNumber unit)
{
    if (unit == 1 || !HasRoutineBlock(unit) || !HasRoutineBlock(1)) {
        return;
    }
    // A unit already on the chain would make it circular.
    EntryNumber existing = FirstUnit();
    for (int steps = 0; steps <= MaxEntries && IsEntry(existing);
         ++steps, existing = NextUnit(existing)) {
        if (existing == unit) {
            return;
        }
    }
    SetSlot(unit, RoutineSlot::NextUnit, FirstUnit());
    SetSlot(1, RoutineSlot::NextUnit, unit);
}

EntryNumber QbTable::NewUnit(std::string_view name)
{
    const EntryNumber unit = NewEntry(name, EntryKind::Procedure, 0);
    AddUnit(unit);
    const std::string_view key = GetName(unit);
    EntryNumber block = 1;
    for (int steps = 0; steps <= MaxEntries && IsEntry(block);
         ++steps, block = (block == 1 ? FirstUnit() : NextUnit(block))) {
        EntryNumber use = FirstUse(block);
        for (int uses = 0; uses <= MaxEntries && IsEntry(use); ++uses, use = NextUse(use)) {
            if (GetName(use) == key) {
                SetValue(use, unit);
            }
        }
    }
    return unit;
}

EntryNumber QbTable::NextUse(EntryNumber use) const
{
    return Kind(use) == EntryKind::Use ? Aux(use) : 0;
}

EntryNumber QbTable::FindUse(EntryNumber block, std::string_view name) const
{
    const std::string_view key = CutName(name);
    EntryNumber use = FirstUse(block);
    for (int steps = 0; steps <= MaxEntries && IsEntry(use); ++steps, use = NextUse(use)) {
        if (GetName(use) == key) {
            return use;
        }
    }
    return 0;
}

EntryNumber QbTable::FindUseOf(EntryNumber unit) const
{
    if (!IsEntry(unit)) {
        return 0;
    }
    EntryNumber block = 1;
    for (int steps = 0; steps <= MaxEntries && IsEntry(block);
         ++steps, block = (block == 1 ? FirstUnit() : NextUnit(block))) {
        EntryNumber use = FirstUse(block);
        for (int uses = 0; uses <= MaxEntries && IsEntry(use); ++uses, use = NextUse(use)) {
            if (Value(use) == unit) {
                return use;
            }
        }
    }
    return 0;
}

// Structure ------------------------------------------------------------------------------------

EntryNumber QbTable::Outermost(EntryNumber entry) const
{
    EntryNumber current = entry;
    for (int steps = 0; steps <= MaxEntries && IsEntry(Owner(current)); ++steps) {
        current = Owner(current);
    }
    return current;
}

int QbTable::Depth(EntryNumber entry) const
{
    int depth = 0;
    EntryNumber current = entry;
    for (; depth <= MaxEntries && IsEntry(Owner(current)); ++depth) {
        current = Owner(current);
    }
    return depth;
}

EntryNumber QbTable::NextVariable(EntryNumber entry) const
{
    if (HasRoutineBlock(entry)) {
        return Slot(entry, RoutineSlot::FirstVariable);
    }
    return Kind(entry) == EntryKind::Variable ? Link2(entry) : 0;
}
