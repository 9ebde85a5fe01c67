// The data manager's hottest path, inline for its own files that take it on every value.
#pragma once

#include "frontend/QbSyntaxe.h"
#include "runtime/HeapAccess.h"
#include "runtime/QbGesdata.h"
#include "symbols/QbTable.h"

#include <algorithm>
#include <cstring>
#include <limits>

// A type resolved while the table stays as it was: one comparison when it is kept.
inline const QbGesdata::ResolvedType& QbGesdata::KeptType(std::uint16_t type) const
{
    const ResolvedType& slot = resolvedTypes[type % ResolvedSlots];
    if (slot.Type == type && slot.Generation != 0 && driver.Table != nullptr &&
        slot.Generation == driver.Table->Generation()) {
        return slot;
    }
    return ResolveKept(type);
}

inline const QbGesdata::RoutineFrame& QbGesdata::FrameOf(std::uint16_t routine) const
{
    const std::uint32_t generation = driver.Table->Generation();
    if (routine < keptFrameCount && generation != 0 &&
        keptFrames[routine].Generation == generation) {
        return keptFrames[routine];
    }
    return DescribedFrameOf(routine);
}

inline std::uint8_t QbGesdata::KeptCode(std::uint16_t type) const
{
    return KeptType(type).Info.Code;
}

inline QbGesdata::TypeInfo QbGesdata::KeptInfo(std::uint16_t type) const
{
    return KeptType(type).Info;
}

// Reads a value of `type` from memory into the accumulator slots of its representation.
inline void QbGesdata::Decode(const TypeInfo& type, const std::uint8_t* from, std::size_t room)
{
    if (ScalarCode(type.Code)) {
        DecodeScalar(type.Code, from);
        return;
    }
    switch (type.Code) {
    case TypeCode::String: {
        // A length byte larger than the variable (bytes written by a cast) is cut to it.
        const auto length = static_cast<std::uint8_t>(
            std::min<std::size_t>({from[0], StringCapacity(type), room >= 1 ? room - 1 : 0}));
        Acc.String[0] = length;
        std::copy_n(from + 1, length, Acc.String.begin() + 1);
        break;
    }
    case TypeCode::Set:
        std::copy_n(from, Acc.Set.size(), Acc.Set.begin());
        break;
    default:
        if (RepresentationOf(type.Code) == Representation::Structure) {
            Acc.Structure.assign(from, from + type.Size);
            Acc.StructureType = type.Entry;
            Acc.StructureSize = type.Size;
        }
        break;
    }
}

// Writes the accumulator as a value of `type` into `room` bytes of memory (room may be below
// the type's size only for strings, which are then cut).
inline void QbGesdata::Encode(const TypeInfo& type, std::uint8_t* to, std::size_t room) const
{
    if (ScalarCode(type.Code)) {
        EncodeScalar(type.Code, to);
        return;
    }
    switch (type.Code) {
    case TypeCode::String: {
        const std::size_t capacity = std::min<std::size_t>(StringCapacity(type), room - 1);
        const auto length =
            static_cast<std::uint8_t>(std::min<std::size_t>(Acc.String[0], capacity));
        to[0] = length;
        std::copy_n(Acc.String.begin() + 1, length, to + 1);
        break;
    }
    case TypeCode::Set:
        std::copy_n(Acc.Set.begin(), Acc.Set.size(), to);
        break;
    default:
        if (RepresentationOf(type.Code) == Representation::Structure) {
            const std::size_t copied = std::min<std::size_t>(Acc.Structure.size(), room);
            std::copy_n(Acc.Structure.begin(), copied, to);
            std::fill(to + copied, to + room, 0);
        }
        break;
    }
}

// The codes Decode and Encode take from their short switches.
inline bool QbGesdata::ScalarCode(std::uint8_t code)
{
    switch (code) {
    case TypeCode::Boolean:
    case TypeCode::Char:
    case TypeCode::Enumerated:
    case TypeCode::Byte:
    case TypeCode::Integer:
    case TypeCode::Word:
    case TypeCode::ProcedureType:
    case TypeCode::FunctionType:
    case TypeCode::Longint:
    case TypeCode::Pointer:
    case TypeCode::Database:
    case TypeCode::Real:
        return true;
    default:
        return false;
    }
}

// The bytes a scalar of `code` moved straight between the accumulator and a global variable
// takes (a real's eight included); 0 for a code that is not moved straight.
inline std::uint32_t QbGesdata::DirectWidth(std::uint8_t code)
{
    // The frequent codes first: a chain of tests costs less than a jump through a table.
    if (code == TypeCode::Integer) {
        return 2;
    }
    if (code == TypeCode::Longint) {
        return 4;
    }
    switch (code) {
    case TypeCode::Boolean:
    case TypeCode::Char:
    case TypeCode::Enumerated:
    case TypeCode::Byte:
    case TypeCode::Integer:
    case TypeCode::Word:
    case TypeCode::Longint:
    case TypeCode::Real:
        return QbTable::ScalarSize(code);
    default:
        return 0;
    }
}

// Decode and Encode of a scalar (an ordinal, a procedural value, a pointer or a real).
inline std::int32_t QbGesdata::ScalarValue(std::uint8_t code, const std::uint8_t* from)
{
    if (code == TypeCode::Integer) {
        return static_cast<std::int16_t>(from[0] | (from[1] << 8));
    }
    if (code == TypeCode::Longint || code == TypeCode::Pointer) {
        return static_cast<std::int32_t>(DataAddress::Read(from));
    }
    switch (code) {
    case TypeCode::Boolean:
        return from[0] != 0 ? 1 : 0;
    case TypeCode::Integer:
        return static_cast<std::int16_t>(from[0] | (from[1] << 8));
    case TypeCode::Word:
    case TypeCode::ProcedureType:
    case TypeCode::FunctionType:
        return static_cast<std::uint16_t>(from[0] | (from[1] << 8));
    case TypeCode::Longint:
    case TypeCode::Pointer:
    case TypeCode::Database:
        return static_cast<std::int32_t>(DataAddress::Read(from));
    default: // CHAR, enumerations, BYTE
        return from[0];
    }
}

inline void QbGesdata::DecodeScalar(std::uint8_t code, const std::uint8_t* from)
{
    if (code == TypeCode::Real) {
        std::memcpy(&Acc.Real, from, sizeof(double));
        return;
    }
    Acc.SetInteger(ScalarValue(code, from));
}

inline void QbGesdata::EncodeScalar(std::uint8_t code, std::uint8_t* to) const
{
    if (code == TypeCode::Integer) {
        to[0] = static_cast<std::uint8_t>(Acc.Integer);
        to[1] = static_cast<std::uint8_t>(Acc.Integer >> 8);
        return;
    }
    if (code == TypeCode::Longint || code == TypeCode::Pointer) {
        DataAddress::Write(to, static_cast<std::uint32_t>(Acc.Integer));
        return;
    }
    switch (code) {
    case TypeCode::Boolean:
        to[0] = Acc.Integer != 0 ? 1 : 0;
        break;
    case TypeCode::Char:
        to[0] = Acc.String[0] >= 1 ? Acc.String[1] : static_cast<std::uint8_t>(Acc.Integer);
        break;
    case TypeCode::Integer:
    case TypeCode::Word:
    case TypeCode::ProcedureType:
    case TypeCode::FunctionType:
        to[0] = static_cast<std::uint8_t>(Acc.Integer);
        to[1] = static_cast<std::uint8_t>(Acc.Integer >> 8);
        break;
    case TypeCode::Longint:
    case TypeCode::Pointer:
    case TypeCode::Database:
        DataAddress::Write(to, static_cast<std::uint32_t>(Acc.Integer));
        break;
    case TypeCode::Real:
        std::memcpy(to, &Acc.Real, sizeof(double));
        break;
    default: // enumerations, BYTE
        to[0] = static_cast<std::uint8_t>(Acc.Integer);
        break;
    }
}

inline std::uint8_t* QbGesdata::InGlobalSpan(std::uint32_t start, std::uint32_t size,
                                             std::uint32_t bytes)
{
    // Below `start`, the distance wraps round beyond `size`.
    const std::uint32_t inside = currentAddress - start;
    const std::size_t offset = currentAddress - DataAddress::GlobalBase;
    if (currentAddress < DataAddress::GlobalBase || inside > size || size - inside < bytes ||
        offset + bytes > globals.size()) {
        return nullptr;
    }
    return globals.data() + offset;
}

inline std::uint8_t* QbGesdata::InGlobalBytes(const TypeInfo& info, std::uint32_t start,
                                              std::uint32_t size)
{
    const std::uint32_t width = DirectWidth(info.Code);
    return width == 0 ? nullptr
                      : InGlobalSpan(start, size, std::max<std::uint32_t>(info.Size, width));
}

inline void QbGesdata::LoadInGlobal(std::uint16_t variable, std::uint32_t start, std::uint32_t size,
                                    std::uint16_t type)
{
    const TypeInfo& info = KeptType(type).Info;
    const std::uint8_t* from = InGlobalBytes(info, start, size);
    if (from != nullptr && (driver.Table->Aux(variable) & VariableFlag::Run) != 0) {
        DecodeScalar(info.Code, from);
        return;
    }
    LoadFrom({variable, 0, start, size}, type);
}

inline int QbGesdata::StoreInGlobal(std::uint16_t variable, std::uint32_t start, std::uint32_t size,
                                    std::uint16_t type)
{
    const TypeInfo& info = KeptType(type).Info;
    if ((driver.Table->Aux(variable) & VariableFlag::Run) != 0) {
        // A variable holding a value already: StoreTo's store without looking for the variable
        // again (a pointer's keeps the heap's counts).
        if (info.Code == TypeCode::Pointer) {
            if (std::uint8_t* to = InGlobalSpan(start, size, 4)) {
                StorePointer(to);
                return 0;
            }
        } else if (std::uint8_t* to = InGlobalBytes(info, start, size)) {
            EncodeScalar(info.Code, to);
            return 0;
        }
    }
    return StoreTo({variable, 0, start, size}, type);
}

namespace DataOperators {
inline bool IsIntegerCode(std::uint8_t code)
{
    return code >= TypeCode::Byte && code <= TypeCode::Longint;
}

inline bool IsComparison(Operator op)
{
    return op >= Operator::LessEqual && op <= Operator::Greater;
}

// The truth of a comparison from the order of the operands (below 0, 0, above 0).
inline bool Compares(Operator op, int order)
{
    // For each comparison, LessEqual to Greater, the orders it holds for: bit 0 less, bit 1
    // equal, bit 2 greater.
    constexpr std::uint8_t holds[] = {0b011, 0b101, 0b010, 0b001, 0b110, 0b100};
    const int at = static_cast<int>(op) - static_cast<int>(Operator::LessEqual);
    if (!IsComparison(op)) {
        return false;
    }
    const int bit = order < 0 ? 0 : order > 0 ? 2 : 1;
    return ((holds[at] >> bit) & 1) != 0;
}
} // namespace DataOperators

inline bool QbGesdata::IntegerResult(Operator op, std::int64_t a, std::int64_t b,
                                     std::uint16_t resultType, std::int64_t& value) const
{
    const bool typed = op == Operator::Plus || op == Operator::Minus || op == Operator::Multiply;
    return IntegerResultOf(op, a, b, typed ? KeptType(resultType).Info.Code : 0, value);
}

inline bool QbGesdata::IntegerResultOf(Operator op, std::int64_t a, std::int64_t b,
                                       std::uint8_t resultCode, std::int64_t& value)
{
    if (DataOperators::IsComparison(op)) {
        value = DataOperators::Compares(op, a < b ? -1 : a > b ? 1 : 0) ? 1 : 0;
        return true;
    }
    if (op == Operator::Plus) {
        value = a + b;
    } else if (op == Operator::Minus) {
        value = a - b;
    } else {
        switch (op) {
        case Operator::Multiply:
            value = a * b;
            break;
        case Operator::Div:
        case Operator::Mod:
            if (b == 0) {
                return false;
            }
            value = op == Operator::Div ? a / b : a % b;
            break;
        default:
            return false;
        }
    }
    // What FinishArithmetic holds the result to (DIV and MOD only to 32 bits).
    if (op == Operator::Div || op == Operator::Mod) {
        return value <= std::numeric_limits<std::int32_t>::max();
    }
    return DataOperators::IsIntegerCode(resultCode) &&
           !(resultCode == TypeCode::Integer ? value < -32768 || value > 32767
                                             : value < -2147483647 || value > 2147483647);
}

inline bool QbGesdata::OperateHeld(Operator op, std::int64_t a, std::int64_t b,
                                   std::uint16_t resultType, std::int32_t& value)
{
    const bool typed = op == Operator::Plus || op == Operator::Minus || op == Operator::Multiply;
    return OperateHeldAs(op, a, b, typed ? KeptType(resultType).Info.Code : std::uint8_t{0}, value);
}

inline bool QbGesdata::OperateHeldAs(Operator op, std::int64_t a, std::int64_t b,
                                     std::uint8_t resultCode, std::int32_t& value)
{
    std::int64_t result = 0;
    if (!IntegerResultOf(op, a, b, resultCode, result)) {
        return false;
    }
    ReleaseOperands();
    value = static_cast<std::int32_t>(result);
    Acc.SetInteger(value);
    return true;
}

inline std::uint8_t* QbGesdata::DirectBytes(const DirectPlace& place)
{
    if (place.Width == 0 || place.Offset + place.Width > globals.size() ||
        (driver.Table->Aux(place.Variable) & VariableFlag::Run) == 0) {
        return nullptr;
    }
    return globals.data() + place.Offset;
}

inline bool QbGesdata::LoadDirect(const DirectPlace& place)
{
    const std::uint8_t* from = DirectBytes(place);
    if (from == nullptr) {
        return false;
    }
    DecodeScalar(place.Code, from);
    return true;
}

inline bool QbGesdata::PeekDirect(const DirectPlace& place, std::int32_t& value)
{
    const std::uint8_t* from = DirectBytes(place);
    if (from == nullptr) {
        return false;
    }
    value = ScalarValue(place.Code, from);
    return true;
}

inline bool QbGesdata::PeekDirect(const DirectPlace& place, double& value)
{
    const std::uint8_t* from = DirectBytes(place);
    if (from == nullptr || place.Code != TypeCode::Real) {
        return false;
    }
    std::memcpy(&value, from, sizeof(double));
    return true;
}

inline std::uint8_t* QbGesdata::HeapBytes(std::uint32_t address, std::size_t size)
{
    return heap != nullptr && DataAddress::AreaOf(address) == DataAddress::Area::Heap
               ? heap->Bytes(address, size)
               : nullptr;
}

inline std::uint8_t* QbGesdata::LocalBytes(std::uint16_t variable, std::uint32_t width,
                                           std::int32_t& distance, std::uint16_t& index)
{
    const std::uint32_t frame = currentFrame;
    const std::uint32_t at = frame + static_cast<std::uint32_t>(distance);
    // Below the previous header, which is the link of this one (a link below the header sends
    // the search to FindInFrame). No header lies between the two, and a header holds its
    // routine, never `variable`.
    if (distance > 0 && at < DescriptorCount && headers[frame] &&
        (descriptors[at] & (SymbolMask | MarkedBit)) == variable &&
        at < (descriptors[frame] >> 16)) {
        index = static_cast<std::uint16_t>(at);
    } else {
        // FindInFrame's answer: the first unmarked descriptor of the variable above the header.
        index = FindInFrame(currentFrame, variable);
        if (index == 0) {
            return nullptr;
        }
        distance = index - currentFrame;
    }
    const std::uint32_t offset = descriptors[index] >> 16;
    if (width == 0 || descriptorSizes[index] < width || offset + width > stackBytes) {
        return nullptr;
    }
    return stack.data() + offset;
}

inline bool QbGesdata::PeekLocal(std::uint16_t variable, std::uint8_t code, std::int32_t& distance,
                                 std::uint32_t& address, std::int32_t& value)
{
    std::uint16_t index = 0;
    const std::uint8_t* from = LocalBytes(variable, DirectWidth(code), distance, index);
    if (from == nullptr || (descriptors[index] & AssignedBit) == 0 || code == TypeCode::Real) {
        return false;
    }
    value = ScalarValue(code, from);
    address = DataAddress::Stack(descriptors[index] >> 16);
    return true;
}

inline bool QbGesdata::PeekLocal(std::uint16_t variable, std::uint8_t code, std::int32_t& distance,
                                 std::uint32_t& address, double& value)
{
    std::uint16_t index = 0;
    const std::uint8_t* from = LocalBytes(variable, DirectWidth(code), distance, index);
    if (from == nullptr || (descriptors[index] & AssignedBit) == 0 || code != TypeCode::Real) {
        return false;
    }
    std::memcpy(&value, from, sizeof(double));
    address = DataAddress::Stack(descriptors[index] >> 16);
    return true;
}

inline bool QbGesdata::LoadLocal(std::uint16_t variable, std::uint8_t code, std::int32_t& distance)
{
    std::uint16_t index = 0;
    const std::uint8_t* from = LocalBytes(variable, DirectWidth(code), distance, index);
    if (from == nullptr || (descriptors[index] & AssignedBit) == 0) {
        return false;
    }
    DecodeScalar(code, from);
    currentAddress = DataAddress::Stack(descriptors[index] >> 16);
    return true;
}

inline bool QbGesdata::LocalPlace(std::uint16_t variable, std::uint8_t code, std::int32_t& distance,
                                  std::uint32_t& address, std::uint16_t* descriptor)
{
    std::uint16_t index = 0;
    if (LocalBytes(variable, DirectWidth(code), distance, index) == nullptr) {
        return false;
    }
    address = DataAddress::Stack(descriptors[index] >> 16);
    if (descriptor != nullptr) {
        *descriptor = index;
    }
    return true;
}

inline bool QbGesdata::StoreLocalAt(std::uint16_t descriptor, std::uint8_t code)
{
    if (descriptor == 0 || descriptor >= DescriptorCount) {
        return false;
    }
    const std::uint32_t offset = descriptors[descriptor] >> 16;
    const std::uint32_t width = DirectWidth(code);
    if (width == 0 || offset + width > stackBytes) {
        return false;
    }
    StoreScalar(descriptor, stack.data() + offset, code);
    return true;
}

inline bool QbGesdata::StoreLocal(std::uint16_t variable, std::uint8_t code, std::int32_t& distance,
                                  std::uint32_t& address)
{
    std::uint16_t index = 0;
    std::uint8_t* to = LocalBytes(variable, DirectWidth(code), distance, index);
    if (to == nullptr) {
        return false;
    }
    StoreScalar(index, to, code);
    address = DataAddress::Stack(descriptors[index] >> 16);
    return true;
}

inline void QbGesdata::StoreScalar(std::uint16_t index, std::uint8_t* to, std::uint8_t code)
{
    EncodeScalar(code, to);
    if ((descriptors[index] & AssignedBit) == 0) {
        SetAssigned(index);
    }
}

inline bool QbGesdata::StoreDirect(const DirectPlace& place)
{
    std::uint8_t* to = DirectBytes(place);
    if (to == nullptr) {
        return false;
    }
    EncodeScalar(place.Code, to);
    return true;
}

inline void QbGesdata::PushKept(std::uint16_t type)
{
    const ResolvedType& resolved = KeptType(type);
    const Representation representation = RepresentationOf(resolved.Info.Code);
    const int entry = evaluationCount;
    if ((representation != Representation::Integer && representation != Representation::Character &&
         representation != Representation::Real) ||
        evaluationViewOpen || entry >= EvaluationEntries ||
        entryOffsets[entry] + 8 > EvaluationDataLimit) {
        Push(type);
        return;
    }
    const int start = entryOffsets[entry];
    std::uint8_t* data = evaluationData.data() + start;
    int size = 4;
    if (representation == Representation::Integer) {
        DataAddress::Write(data, static_cast<std::uint32_t>(Acc.Integer));
    } else if (representation == Representation::Real) {
        std::memcpy(data, &Acc.Real, sizeof(double));
        size = 8;
    } else {
        data[0] = static_cast<std::uint8_t>(Acc.Integer);
        size = 1;
    }
    entryTypes[entry] = resolved.Stacked;
    entryCodes[entry] = resolved.Info.Code;
    entryOffsets[entry + 1] = static_cast<std::uint16_t>(start + size);
    ++evaluationCount;
    ++pushCount;
    driver.MicroStepPoint();
}

inline void QbGesdata::PopKept()
{
    const int entry = evaluationCount - 1;
    const Representation representation =
        entry >= 1 ? RepresentationOf(entryCodes[entry]) : Representation::None;
    if ((representation != Representation::Integer && representation != Representation::Character &&
         representation != Representation::Real) ||
        evaluationViewOpen) {
        PopEntry(true);
        return;
    }
    const std::uint8_t* data = evaluationData.data() + entryOffsets[entry];
    if (representation == Representation::Real) {
        std::memcpy(&Acc.Real, data, sizeof(double));
    } else {
        Acc.SetInteger(representation == Representation::Integer
                           ? static_cast<std::int32_t>(DataAddress::Read(data))
                           : static_cast<std::int32_t>(data[0]));
    }
    lastPoppedType = entryTypes[entry];
    lastPoppedCode = entryCodes[entry];
    --evaluationCount;
    ++popCount;
    driver.MicroStepPoint();
}

inline bool QbGesdata::LoadAssignedResult(std::uint16_t function,
                                          std::optional<std::uint16_t>* held)
{
    // The variable of the function's name: the frame holds one variable of each name.
    const RoutineFrame& frame = FrameOf(function);
    const std::uint16_t result = frame.Result;
    std::uint16_t index = 0;
    if (result != 0 && frame.ResultWidth != 0) {
        // A scalar, read straight where it lay at the last return; LocalBytes has looked for
        // it in the frame otherwise (`index` 0 when it is not there).
        if (const std::uint8_t* bytes =
                LocalBytes(result, frame.ResultWidth, frame.ResultDistance, index)) {
            if ((descriptors[index] & AssignedBit) == 0) {
                return false;
            }
            currentAddress = DataAddress::Stack(DescriptorLink(index));
            DecodeScalar(frame.ResultCode, bytes);
            if (held != nullptr && frame.ResultInteger) {
                *held = frame.ResultType;
                return true;
            }
            PushKept(frame.ResultType);
            return true;
        }
    } else if (result != 0) {
        index = FindInFrame(currentFrame, result);
    }
    return LoadResultAt(function, index);
}
