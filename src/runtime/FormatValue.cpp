// How the execution views show values, routines and addresses of a run.
#include "runtime/QbGesdata.h"

#include "frontend/QbSyntaxe.h"
#include "runtime/DataViewHost.h"
#include "runtime/HeapAccess.h"
#include "symbols/QbTable.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr const char* NoDisplay = "No display";

// Fixed notation 12 wide with 8 decimals, without its trailing zeros ("3.5", "2.0").
std::string RealText(double value)
{
    const int length = std::snprintf(nullptr, 0, "%12.8f", value);
    if (length <= 0) {
        return "0";
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%12.8f", value);
    text.resize(static_cast<std::size_t>(length));
    if (text.find('.') != std::string::npos) {
        while (!text.empty() && text.back() == '0') {
            text.pop_back();
        }
        if (!text.empty() && text.back() == '.') {
            text += '0';
        }
    }
    return text;
}
} // namespace

std::string QbGesdata::FormatValue(std::uint32_t address, std::uint16_t type)
{
    const TypeInfo info = Resolve(type);
    QbTable& table = Table();
    if (info.Code == TypeCode::TypedFile) {
        return views != nullptr ? views->FileName(address) : std::string();
    }
    if (info.Code == TypeCode::Array) {
        return FormatArray(address, info);
    }
    const Representation representation = RepresentationOf(info.Code);
    if (representation == Representation::None || representation == Representation::Structure ||
        info.Code == TypeCode::Set) {
        return NoDisplay;
    }
    const std::uint8_t* bytes = Bytes(address, info.Size);
    if (bytes == nullptr) {
        return "?";
    }
    const auto word = [bytes] { return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8)); };
    switch (info.Code) {
    case TypeCode::Boolean:
        return driver.Word(bytes[0] != 0 ? 54 : 55);
    case TypeCode::Char:
        return std::string(1, static_cast<char>(bytes[0]));
    case TypeCode::Enumerated:
        return EnumerationName(info.Entry, bytes[0]);
    case TypeCode::Byte:
        return std::to_string(bytes[0]);
    case TypeCode::Integer:
        return std::to_string(static_cast<std::int16_t>(word()));
    case TypeCode::Word:
        return std::to_string(word());
    case TypeCode::Longint: {
        std::int32_t value = 0;
        std::memcpy(&value, bytes, 4);
        return std::to_string(value);
    }
    case TypeCode::Real: {
        double value = 0;
        std::memcpy(&value, bytes, sizeof value);
        return RealText(value);
    }
    case TypeCode::String: {
        const std::size_t length = std::min<std::size_t>(bytes[0], StringCapacity(info));
        return length == 0 ? std::string(" ")
                           : std::string(reinterpret_cast<const char*>(bytes) + 1, length);
    }
    case TypeCode::Pointer: {
        const std::uint32_t value = DataAddress::Read(bytes);
        if (value == DataAddress::Nil) {
            return driver.Word(53);
        }
        char text[16];
        std::snprintf(text, sizeof text, "$%08X", value);
        return text;
    }
    case TypeCode::ProcedureType:
    case TypeCode::FunctionType:
        return "@" + table.GetName(word());
    default:
        return NoDisplay;
    }
}

// An array of one dimension of simple elements or records, or of two dimensions of simple
// elements, is shown in its own window.
std::string QbGesdata::FormatArray(std::uint32_t address, const TypeInfo& type)
{
    QbTable& table = Table();
    const std::uint16_t dimensions = table.Aux(type.Entry);
    const std::uint8_t element = Resolve(TypeArgument(table.Link1(type.Entry))).Code;
    const bool shown =
        (dimensions == 1 && (element < TypeCode::Array || element == TypeCode::Record)) ||
        (dimensions == 2 && element < TypeCode::Array);
    if (!shown) {
        return NoDisplay;
    }
    if (views != nullptr) {
        const VariablePlace place = PlaceOf(address);
        if (place.Entry != 0) {
            views->ShowArrayWindow(CaptionOfPlace(place), address, type.Entry);
        }
    }
    return "see window";
}

std::string QbGesdata::EnumerationName(std::uint16_t enumType, std::int32_t ordinal) const
{
    const QbTable& table = Table();
    if (enumType != 0) {
        for (std::uint16_t entry = 1; entry < table.NextFree(); ++entry) {
            if (table.Kind(entry) == EntryKind::EnumValue && table.Owner(entry) == enumType &&
                table.Link1(entry) == ordinal) {
                return table.GetName(entry);
            }
        }
    }
    return std::to_string(ordinal);
}

std::string QbGesdata::RoutineCaption(std::uint16_t routine, std::uint16_t frame)
{
    std::string caption = Table().GetName(routine);
    int activations = 0;
    for (std::uint16_t header = frame; IsFrameHeader(header); header = PreviousHeader(header)) {
        if (DescriptorSymbol(header) == routine) {
            ++activations;
        }
    }
    if (activations >= 2) {
        if (driver.OptionA(OptionA::ForbidRecursion)) {
            Fail(ErrorNumber::RecursionNotAllowed);
        }
        caption += "." + std::to_string(activations);
    }
    return caption;
}

// "Routine.variable" for a stack variable, "Program.variable" for a global.
std::string QbGesdata::CaptionOfPlace(const VariablePlace& place)
{
    QbTable& table = Table();
    if (place.Descriptor == 0) {
        return table.GetName(table.Outermost(place.Entry)) + "." + table.GetName(place.Entry);
    }
    const std::string marked = IsDescriptorMarked(place.Descriptor) ? "_" : "";
    return marked + RoutineCaption(table.Owner(place.Entry), FrameOfDescriptor(place.Descriptor)) +
           "." + table.GetName(place.Entry);
}

std::string QbGesdata::NameOfAddress(std::uint32_t address)
{
    QbTable& table = Table();
    switch (DataAddress::AreaOf(address)) {
    case DataAddress::Area::EvaluationSlot:
        return "Evaluator line " + std::to_string(address);
    case DataAddress::Area::Global:
        return table.DescribeAddress(address - DataAddress::GlobalBase, false);
    case DataAddress::Area::Stack: {
        const VariablePlace place = PlaceOf(address);
        if (place.Entry == 0) {
            return {};
        }
        std::string name = CaptionOfPlace(place);
        const std::uint16_t type = table.Link1(place.Entry);
        if (address != place.Start && table.IsStructured(table.BaseType(type))) {
            name += table.ElementPath(table.BaseType(type), address - place.Start);
        }
        return name;
    }
    default:
        return {};
    }
}

std::string QbGesdata::ReferenceText(std::uint32_t target)
{
    if (target == DataAddress::Nil) {
        return driver.Word(53);
    }
    if (DataAddress::AreaOf(target) == DataAddress::Area::Heap) {
        return heap != nullptr ? "Ref. to " + heap->DescribeReference(target) : std::string();
    }
    const std::string name = NameOfAddress(target);
    return name.empty() ? std::string() : "Ref. to " + name;
}
