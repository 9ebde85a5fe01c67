// The evaluation stack: operands in one byte area, pushed and popped through the accumulator,
// and the rows of its view.
#include "runtime/QbGesdata.h"

#include "frontend/QbSyntaxe.h"
#include "lexical/QbDico.h"
#include "runtime/DataInline.h"
#include "runtime/HeapAccess.h"
#include "symbols/QbTable.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

std::uint16_t QbGesdata::EvaluationType(int entry) const
{
    return entry >= 1 && entry < evaluationCount ? entryTypes[entry] : 0;
}

void QbGesdata::Push(std::uint16_t type)
{
    const ResolvedType& resolved = KeptType(type);
    const TypeInfo info = resolved.Info;
    const std::uint16_t stacked = resolved.Stacked;
    const Representation representation = RepresentationOf(info.Code);
    std::uint16_t size = 0;
    switch (representation) {
    case Representation::Integer:
    case Representation::Pointer:
        size = 4;
        break;
    case Representation::Character:
        size = 1;
        break;
    case Representation::Real:
    case Representation::Structure:
        size = 8;
        break;
    case Representation::String:
        size = static_cast<std::uint16_t>(Acc.String[0] + 1);
        break;
    case Representation::Set:
        size = 32;
        break;
    case Representation::None:
        Fail(ErrorNumber::TryingEvaluateExpressionNotAllowed);
    }
    const int entry = evaluationCount;
    const int start = entryOffsets[entry];
    if (entry >= EvaluationEntries || start + size > EvaluationDataLimit) {
        Fail(ErrorNumber::EvaluationStackFull);
    }
    std::uint8_t* data = evaluationData.data() + start;
    switch (representation) {
    case Representation::Integer:
    case Representation::Pointer:
        DataAddress::Write(data, static_cast<std::uint32_t>(Acc.Integer));
        break;
    case Representation::Character:
        data[0] = static_cast<std::uint8_t>(Acc.Integer);
        break;
    case Representation::Real:
        std::memcpy(data, &Acc.Real, sizeof(double));
        break;
    case Representation::String:
        std::copy_n(Acc.String.begin(), size, data);
        break;
    case Representation::Set:
        std::copy_n(Acc.Set.begin(), 32, data);
        break;
    case Representation::Structure:
        // The copy moves to the entry; the data keeps its type and size.
        data[0] = static_cast<std::uint8_t>(Acc.StructureType);
        data[1] = static_cast<std::uint8_t>(Acc.StructureType >> 8);
        data[2] = static_cast<std::uint8_t>(Acc.StructureSize);
        data[3] = static_cast<std::uint8_t>(Acc.StructureSize >> 8);
        DataAddress::Write(data + 4, static_cast<std::uint32_t>(entry));
        structureCopies[entry].swap(Acc.Structure);
        Acc.Structure.clear();
        break;
    case Representation::None:
        break;
    }
    entryTypes[entry] = stacked;
    entryCodes[entry] = info.Code;
    entryOffsets[entry + 1] = static_cast<std::uint16_t>(start + size);
    ++evaluationCount;
    ++pushCount;
    if (representation == Representation::Pointer && heap != nullptr &&
        DataAddress::AreaOf(static_cast<std::uint32_t>(Acc.Integer)) == DataAddress::Area::Heap) {
        heap->AddReference(static_cast<std::uint32_t>(Acc.Integer),
                           static_cast<std::uint32_t>(entry));
    }
    if (evaluationViewOpen) {
        AddEvaluationRow(info.Code);
    }
    driver.MicroStepPoint();
}

// Loads the top entry into the accumulator and removes it. Integer-like values fill the
// integer, real and one-character string slots.
void QbGesdata::PopEntry(bool stepPoint)
{
    if (evaluationCount <= 1) {
        Fail(ErrorNumber::TryingEvaluateExpressionNotAllowed);
    }
    const int entry = evaluationCount - 1;
    const std::uint8_t* data = evaluationData.data() + entryOffsets[entry];
    switch (RepresentationOf(entryCodes[entry])) {
    case Representation::Integer:
        Acc.SetInteger(static_cast<std::int32_t>(DataAddress::Read(data)));
        break;
    case Representation::Pointer: {
        const std::uint32_t value = DataAddress::Read(data);
        Acc.SetInteger(static_cast<std::int32_t>(value));
        if (heap != nullptr && DataAddress::AreaOf(value) == DataAddress::Area::Heap) {
            // The reference moves from the stack slot to the accumulator.
            ReleaseAccumulatorReference();
            heap->AddReference(value, DataAddress::Nil);
            heap->DropReference(value, static_cast<std::uint32_t>(entry), true);
            accumulatorReference = value;
        }
        break;
    }
    case Representation::Character:
        Acc.SetInteger(data[0]);
        break;
    case Representation::Real:
        std::memcpy(&Acc.Real, data, sizeof(double));
        break;
    case Representation::String:
        std::copy_n(data, data[0] + 1, Acc.String.begin());
        break;
    case Representation::Set:
        std::copy_n(data, 32, Acc.Set.begin());
        break;
    case Representation::Structure:
        Acc.StructureType = static_cast<std::uint16_t>(data[0] | (data[1] << 8));
        Acc.StructureSize = static_cast<std::uint16_t>(data[2] | (data[3] << 8));
        Acc.Structure.swap(structureCopies[entry]);
        structureCopies[entry].clear();
        break;
    case Representation::None:
        break;
    }
    lastPoppedType = entryTypes[entry];
    lastPoppedCode = entryCodes[entry];
    --evaluationCount;
    ++popCount;
    if (evaluationViewOpen && !evaluationRows.empty()) {
        evaluationRows.pop_back();
    }
    if (stepPoint) {
        driver.MicroStepPoint();
    }
}

void QbGesdata::Pop()
{
    PopEntry(true);
}

std::uint16_t QbGesdata::PopType()
{
    PopEntry(true);
    if (RepresentationOf(lastPoppedCode) == Representation::Pointer &&
        accumulatorReference != DataAddress::Nil) {
        const std::uint32_t held = accumulatorReference;
        accumulatorReference = DataAddress::Nil;
        DropHeldReference(held, DataAddress::Nil, false);
    }
    return lastPoppedType;
}

void QbGesdata::ClearEvaluationStack()
{
    DropEntriesAbove(0);
    entryOffsets[1] = 0;
    evaluationRows.clear();
    ReleaseAccumulatorReference();
}

void QbGesdata::DropEntriesAbove(int count)
{
    // Also the path of Fail: nothing here may raise.
    while (evaluationCount > std::max(count, 0) + 1) {
        const int entry = evaluationCount - 1;
        if (RepresentationOf(entryCodes[entry]) == Representation::Pointer && heap != nullptr) {
            const std::uint32_t value =
                DataAddress::Read(evaluationData.data() + entryOffsets[entry]);
            if (DataAddress::AreaOf(value) == DataAddress::Area::Heap) {
                heap->DropReference(value, static_cast<std::uint32_t>(entry), true);
            }
        }
        structureCopies[entry].clear();
        --evaluationCount;
        if (evaluationViewOpen && !evaluationRows.empty()) {
            evaluationRows.pop_back();
        }
    }
}

void QbGesdata::SetEvaluationViewOpen(bool open)
{
    evaluationViewOpen = open;
    evaluationRows.clear();
    if (!open) {
        return;
    }
    for (int entry = 1; entry < evaluationCount; ++entry) {
        // Rows of values already stacked show their type only.
        const std::string name = driver.Dictionary != nullptr
                                     ? driver.Dictionary->TypeNameFor(entryCodes[entry])
                                     : "???";
        evaluationRows.push_back(name + ":  ");
    }
}

void QbGesdata::AddEvaluationRow(std::uint8_t code)
{
    std::string row =
        (driver.Dictionary != nullptr ? driver.Dictionary->TypeNameFor(code) : std::string("???")) +
        ":  ";
    char buffer[64];
    switch (code) {
    case TypeCode::Boolean:
        row += driver.Word(Acc.Integer != 0 ? 54 : 55);
        break;
    case TypeCode::Char:
        row += static_cast<char>(Acc.Integer);
        break;
    case TypeCode::String:
        row += Acc.Text();
        break;
    case TypeCode::ProcedureType:
    case TypeCode::FunctionType:
        row += Table().GetName(static_cast<std::uint16_t>(Acc.Integer));
        break;
    case TypeCode::Real:
        std::snprintf(buffer, sizeof buffer, "%f", Acc.Real);
        row += buffer;
        break;
    case TypeCode::Pointer:
        if (Acc.Integer == 0) {
            row += driver.Word(53);
        } else {
            std::snprintf(buffer, sizeof buffer, "$%08X", static_cast<std::uint32_t>(Acc.Integer));
            row += buffer;
        }
        break;
    default:
        if (RepresentationOf(code) == Representation::Integer) {
            row += std::to_string(Acc.Integer);
        }
        break;
    }
    evaluationRows.push_back(std::move(row));
}
