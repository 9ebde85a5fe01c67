// The data manager's values: types resolved to representations, and loads and stores through
// checked addresses.
#include "runtime/QbGesdata.h"

#include "frontend/QbSyntaxe.h"
#include "runtime/DataInline.h"
#include "runtime/HeapAccess.h"
#include "symbols/QbTable.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {
// Sizes of the bare type codes; codes whose size belongs to a declaration give 0. A DATABASE
// value is a 4-byte handle.
std::uint16_t CodeSize(std::uint8_t code)
{
    return code == TypeCode::Database ? 4 : QbTable::ScalarSize(code);
}
} // namespace

// Types.

// Type arguments are the parsers' type values: a type code for the predefined simple types
// (every code is below 25, or 255), a type entry for declared types. Entry numbers below 25 are
// taken by the predefined modules' own entries, so the two never meet.
bool QbGesdata::IsTypeEntry(std::uint16_t type) const
{
    return type > TypeCode::AbstractClass && type != TypeCode::Undeclared &&
           Table().Kind(type) == EntryKind::Type;
}

std::uint16_t QbGesdata::TypeArgument(std::uint16_t typeEntry) const
{
    return IsTypeEntry(typeEntry) ? typeEntry : Table().TypeKey(typeEntry);
}

std::uint16_t QbGesdata::TypeOfVariable(std::uint16_t variable) const
{
    const QbTable& table = Table();
    const std::uint32_t generation = table.Generation();
    if (variable > QbTable::MaxEntries) {
        return TypeArgument(table.Link1(variable));
    }
    KeptVariableType& kept = variableTypes[variable];
    if (kept.Generation != generation || generation == 0) {
        kept.Type = TypeArgument(table.Link1(variable));
        kept.Generation = generation;
    }
    return kept.Type;
}

const QbGesdata::ResolvedType& QbGesdata::ResolveKept(std::uint16_t type) const
{
    // Without a table (generation 0) nothing is kept.
    const std::uint32_t generation = driver.Table != nullptr ? Table().Generation() : 0;
    ResolvedType& slot = resolvedTypes[type % ResolvedSlots];
    if (generation == 0 || slot.Generation != generation || slot.Type != type) {
        slot.Generation = generation;
        slot.Type = type;
        slot.Info = ResolveAnew(type);
        // A subrange is stacked as its host code.
        slot.Stacked = slot.Info.Entry != 0 && IsTypeEntry(type) &&
                               Table().Code(slot.Info.Entry) == TypeCode::Subrange
                           ? slot.Info.Code
                           : type;
    }
    return slot;
}

QbGesdata::TypeInfo QbGesdata::ResolveAnew(std::uint16_t type) const
{
    TypeInfo info;
    if (!IsTypeEntry(type)) {
        info.Code = static_cast<std::uint8_t>(type);
        info.Size = CodeSize(info.Code);
        if (info.Code == TypeCode::Subrange) {
            info.Code = TypeCode::Integer;
        } else if (info.Size == 0) {
            // TEXT and the other sized predefined types: the size of their declaration.
            const std::uint16_t entry = Table().PredefTypeOfCode(info.Code);
            if (entry != info.Code && Table().Kind(entry) == EntryKind::Type) {
                info.Size = Table().Value(entry);
            }
        }
        return info;
    }
    QbTable& table = Table();
    const std::uint16_t base = table.BaseType(type);
    info.Entry = base;
    info.Code = table.Code(base);
    switch (info.Code) {
    case TypeCode::Subrange: {
        // A subrange is held as its host type.
        const auto host = static_cast<std::uint8_t>(table.Aux(base));
        info.Code = CodeSize(host) != 0 && host < TypeCode::Real ? host : TypeCode::Integer;
        info.Size = CodeSize(info.Code);
        break;
    }
    case TypeCode::String: {
        // STRING[n] holds n + 1 bytes.
        const std::uint16_t size = table.Value(base);
        info.Size = size >= 1 && size <= 256 ? size : 256;
        break;
    }
    default:
        info.Size = CodeSize(info.Code);
        if (info.Size == 0 || info.Code == TypeCode::Database) {
            info.Size = table.Value(base);
        }
        break;
    }
    return info;
}

std::uint16_t QbGesdata::StringCapacity(const TypeInfo& type) const
{
    return type.Size >= 1 ? static_cast<std::uint16_t>(std::min<int>(type.Size - 1, 255)) : 0;
}

// Memory.

std::uint8_t* QbGesdata::Bytes(std::uint32_t address, std::size_t size)
{
    switch (DataAddress::AreaOf(address)) {
    case DataAddress::Area::Global: {
        const std::size_t offset = address - DataAddress::GlobalBase;
        return offset + size <= globals.size() ? globals.data() + offset : nullptr;
    }
    case DataAddress::Area::Stack: {
        const std::size_t offset = address - DataAddress::StackBase;
        return offset + size <= stack.size() ? stack.data() + offset : nullptr;
    }
    case DataAddress::Area::Heap:
        return heap != nullptr ? heap->Bytes(address, size) : nullptr;
    case DataAddress::Area::Constant: {
        const auto entry = static_cast<std::uint16_t>((address - DataAddress::ConstantBase) >> 16);
        const std::size_t offset = address & 0xFFFF;
        if (driver.Table == nullptr || Table().Kind(entry) != EntryKind::Constant) {
            return nullptr;
        }
        // The block's last two bytes belong to the compiler, not to the constant.
        const std::span<std::uint8_t> block = Table().AttrBlock(entry);
        const std::size_t dataSize = block.size() >= 2 ? block.size() - 2 : 0;
        return offset + size <= dataSize ? block.data() + offset : nullptr;
    }
    default:
        return nullptr;
    }
}

std::uint8_t* QbGesdata::BytesOrFail(std::uint32_t address, std::size_t size)
{
    std::uint8_t* bytes = Bytes(address, size);
    if (bytes == nullptr) {
        Fail(address == DataAddress::Nil ? ErrorNumber::NilDereference
                                         : ErrorNumber::PointerOutsideHeap);
    }
    return bytes;
}

void QbGesdata::DropHeldReference(std::uint32_t block, std::uint32_t from, bool mayOrphan)
{
    if (heap == nullptr || DataAddress::AreaOf(block) != DataAddress::Area::Heap) {
        return;
    }
    if (heap->DropReference(block, from, mayOrphan) == 0 && !mayOrphan) {
        Fail(ErrorNumber::HeapDataUnreachable);
    }
}

void QbGesdata::LoadValue(std::uint16_t type)
{
    const DataAddress::Area area = DataAddress::AreaOf(currentAddress);
    VariablePlace place;
    if (area == DataAddress::Area::Global || area == DataAddress::Area::Stack) {
        place = PlaceOf(currentAddress);
    }
    LoadFrom(place, type);
}

bool QbGesdata::WholeGlobal(std::uint32_t address, std::uint16_t& variable,
                            std::uint32_t& size) const
{
    if (DataAddress::AreaOf(address) != DataAddress::Area::Global) {
        return false;
    }
    const VariablePlace place = PlaceOf(address);
    variable = place.Entry;
    size = place.Size;
    return place.Entry != 0 && place.Start == address;
}

bool QbGesdata::SoleGlobal(std::uint32_t address, std::uint16_t& variable,
                           std::uint32_t& size) const
{
    return WholeGlobal(address, variable, size) && !Table().SharesBytes(variable);
}

DirectPlace QbGesdata::DirectPlaceOf(std::uint16_t variable, std::uint32_t start,
                                     std::uint32_t size, std::uint16_t type) const
{
    // InGlobalBytes at the variable's first byte.
    const TypeInfo& info = KeptType(type).Info;
    const std::uint32_t width = DirectWidth(info.Code);
    const std::uint32_t bytes = std::max<std::uint32_t>(info.Size, width);
    DirectPlace place;
    if (variable == 0 || width == 0 || start < DataAddress::GlobalBase || size < bytes ||
        bytes > std::numeric_limits<std::uint8_t>::max() ||
        start - DataAddress::GlobalBase + std::size_t{bytes} > globals.size()) {
        return place;
    }
    place.Variable = variable;
    place.Code = info.Code;
    place.Width = static_cast<std::uint8_t>(bytes);
    place.Offset = start - DataAddress::GlobalBase;
    return place;
}

void QbGesdata::LoadFrom(const VariablePlace& place, std::uint16_t type)
{
    const TypeInfo info = KeptType(type).Info;
    if (!ReadAllowed(place, currentAddress)) {
        FailWithName(ErrorNumber::VariableNotAssigned, Table().GetName(place.Entry));
    }
    if (RepresentationOf(info.Code) == Representation::None) {
        return;
    }
    const std::size_t room = info.Code == TypeCode::String ? StringRoom(info, place)
                                                           : std::max<std::size_t>(info.Size, 1);
    Decode(info, BytesOrFail(currentAddress, room), room);
}

// The bytes a string at the current address may use: its type's size, cut to the variable
// holding it and to the end of its area or heap block, so that a string taken as STRING[255]
// never reads or writes past a shorter one.
std::size_t QbGesdata::StringRoom(const TypeInfo& type, const VariablePlace& place)
{
    std::size_t room = std::max<std::size_t>(type.Size, 1);
    if (place.Entry != 0 && place.Start + place.Size > currentAddress) {
        room = std::min<std::size_t>(room, place.Start + place.Size - currentAddress);
    }
    if (Bytes(currentAddress, room) != nullptr || Bytes(currentAddress, 1) == nullptr) {
        return room;
    }
    std::size_t fits = 1; // Bytes(fits) holds, Bytes(room) does not
    while (room - fits > 1) {
        const std::size_t middle = fits + (room - fits) / 2;
        (Bytes(currentAddress, middle) != nullptr ? fits : room) = middle;
    }
    return fits;
}

int QbGesdata::StoreValue(std::uint16_t type)
{
    const DataAddress::Area area = DataAddress::AreaOf(currentAddress);
    VariablePlace place;
    if (area == DataAddress::Area::Global || area == DataAddress::Area::Stack) {
        place = PlaceOf(currentAddress);
    }
    return StoreTo(place, type);
}

int QbGesdata::StoreTo(const VariablePlace& place, std::uint16_t type)
{
    const TypeInfo info = KeptType(type).Info;
    const DataAddress::Area area = DataAddress::AreaOf(currentAddress);
    const Representation representation = RepresentationOf(info.Code);
    if (representation == Representation::Pointer) {
        StorePointer(BytesOrFail(currentAddress, 4));
    } else if (representation != Representation::None) {
        const std::size_t room = info.Code == TypeCode::String
                                     ? StringRoom(info, place)
                                     : std::max<std::size_t>(info.Size, 1);
        Encode(info, BytesOrFail(currentAddress, room), room);
    }
    if (area == DataAddress::Area::Heap) {
        if (heap != nullptr) {
            heap->Repaint();
        }
        return 2;
    }
    SetPlaceAssigned(place, true);
    return area == DataAddress::Area::Global ? 0 : area == DataAddress::Area::Stack ? 1 : -1;
}

// A pointer store keeps the heap's counts: the new target is counted from this address (taking
// over the accumulator's reference) before the old target is let go, so that p := p never
// orphans a cell and p := nil on a cell's only holder stops the run with 219.
void QbGesdata::StorePointer(std::uint8_t* bytes)
{
    const std::uint32_t old = DataAddress::Read(bytes);
    const auto target = static_cast<std::uint32_t>(Acc.Integer);
    DataAddress::Write(bytes, target);
    if (heap == nullptr) {
        return;
    }
    if (old != target && DataAddress::AreaOf(target) == DataAddress::Area::Heap) {
        heap->AddReference(target, currentAddress);
        heap->LinkReference(target, currentAddress);
    }
    if (accumulatorReference == target && target != DataAddress::Nil) {
        // Whatever this address held, it now counts for the target in the accumulator's place.
        accumulatorReference = DataAddress::Nil;
        heap->DropReference(target, DataAddress::Nil, true);
    }
    if (old != target) {
        DropHeldReference(old, currentAddress, false);
        heap->Repaint();
    }
}

void QbGesdata::HoldReference(std::uint32_t block)
{
    ReleaseAccumulatorReference();
    if (heap != nullptr && DataAddress::AreaOf(block) == DataAddress::Area::Heap) {
        heap->AddReference(block, DataAddress::Nil);
        accumulatorReference = block;
    }
}

// A popped pointer never stored: the cell may be left without holders, as an abandoned
// expression value is no pupil's error.
void QbGesdata::DropAccumulatorReference()
{
    if (heap != nullptr) {
        heap->DropReference(accumulatorReference, DataAddress::Nil, true);
    }
    accumulatorReference = DataAddress::Nil;
}

void QbGesdata::UndoStore(int tag, std::uint32_t address, const std::vector<std::uint8_t>& oldValue)
{
    if ((tag & 4096) != 0) {
        SetPlaceAssigned(PlaceOf(address), false);
        return;
    }
    const TypeInfo info = Resolve(static_cast<std::uint16_t>(tag & 4095));
    if (oldValue.size() < info.Size || RepresentationOf(info.Code) == Representation::None) {
        return;
    }
    currentAddress = address;
    Decode(info, oldValue.data(), oldValue.size());
    StoreValue(static_cast<std::uint16_t>(tag & 4095));
}

void QbGesdata::Reinterpret(std::uint16_t targetType, std::uint16_t sourceType)
{
    const TypeInfo source = Resolve(sourceType);
    const TypeInfo target = Resolve(targetType);
    // The source slot's bytes as they would lie in memory, seen as the target type.
    std::vector<std::uint8_t> bytes(std::max<std::size_t>({source.Size, target.Size, 1}), 0);
    if (RepresentationOf(source.Code) != Representation::None) {
        Encode(source, bytes.data(), std::max<std::size_t>(source.Size, 1));
    }
    if (RepresentationOf(target.Code) != Representation::None) {
        Decode(target, bytes.data(), bytes.size());
    }
}
