// The symbol table's type sizes and ranges, the descriptions of values for the views, and the
// searches the front-ends make at the end of a block.
#include "symbols/QbTable.h"

#include "frontend/QbSyntaxe.h"

#include <vector>

namespace {
// Nested types followed by the descriptions; deeper nesting is described no further.
constexpr int MaxTypeNesting = 32;
// Size of the predefined TEXT type when the System module has not registered it.
constexpr std::uint16_t DefaultTextSize = 460;

bool IsRoutineKind(EntryKind kind)
{
    return kind == EntryKind::Procedure || kind == EntryKind::Function;
}

bool IsClassCode(std::uint8_t code)
{
    return code == TypeCode::Class || code == TypeCode::AbstractClass;
}

// A subrange bound as a number: unsigned over a WORD host, signed 16-bit otherwise.
std::int32_t SubrangeBound(const QbTable& table, EntryNumber subrange, std::uint16_t raw)
{
    if ((table.Aux(subrange) & 0xFF) == TypeCode::Word) {
        return raw;
    }
    return static_cast<std::int16_t>(raw);
}

} // namespace

bool QbTable::IndexBounds(EntryNumber indexType, std::int32_t& low, std::int32_t& count) const
{
    // An index type: a subrange, an enumeration, BOOLEAN, CHAR or BYTE.
    switch (Code(BaseType(indexType))) {
    case TypeCode::Subrange:
    case TypeCode::Enumerated:
    case TypeCode::Boolean:
    case TypeCode::Char:
    case TypeCode::Byte:
        break;
    default:
        return false;
    }
    std::int32_t high = 0;
    RangeOf(indexType, low, high);
    count = high - low + 1;
    return count > 0;
}

// Types ----------------------------------------------------------------------------------------

EntryNumber QbTable::FindPredefType(std::uint8_t code) const
{
    for (EntryNumber e = predefTypesStart; e < predefTypesEnd; ++e) {
        if (IsEntry(e) && Kind(e) == EntryKind::Type && Code(e) == code) {
            return e;
        }
    }
    return 0;
}

EntryNumber QbTable::PredefTypeOfCode(std::uint8_t code) const
{
    const EntryNumber type = FindPredefType(code);
    return type != 0 ? type : code;
}

EntryNumber QbTable::PredefTypeByWord(std::uint16_t wordCode)
{
    const std::string name = driver.Word(wordCode);
    EntryNumber entry = 0;
    if (name.empty() || !Lookup(name, EntryKind::Type, entry, 1)) {
        return 0;
    }
    return entry;
}

std::uint16_t QbTable::TypeKey(EntryNumber type) const
{
    if (!IsEntry(type)) {
        return type;
    }
    const bool predefined = type >= predefTypesStart && type < predefTypesEnd;
    if (predefined || (Kind(type) == EntryKind::Type && Code(type) < TypeCode::Unused9)) {
        return Code(type);
    }
    return type;
}

std::uint16_t QbTable::TypeSize(std::uint8_t code)
{
    if (const std::uint16_t size = ScalarSize(code); size != 0) {
        return size;
    }
    switch (code) {
    case TypeCode::Text: {
        const EntryNumber text = FindPredefType(TypeCode::Text);
        return text != 0 ? Value(text) : DefaultTextSize;
    }
    case TypeCode::Array:
    case TypeCode::Record:
    case TypeCode::Database:
    case TypeCode::UntypedFile:
    case TypeCode::TypedFile:
        driver.Errors->Raise(ErrorNumber::UnknownSize);
    default:
        if (code >= 22 && code <= 64) {
            driver.Errors->Raise(ErrorNumber::UnknownSize);
        }
        return 4;
    }
}

EntryNumber QbTable::BaseType(EntryNumber type) const
{
    EntryNumber current = type;
    for (int steps = 0; steps <= MaxEntries && IsEntry(current); ++steps) {
        if (Kind(current) != EntryKind::Type || Code(current) != TypeCode::Alias) {
            return current;
        }
        current = Link1(current);
    }
    return current;
}

std::uint16_t QbTable::SizeOf(EntryNumber type)
{
    const EntryNumber base = BaseType(type);
    switch (Code(base)) {
    case TypeCode::Array:
    case TypeCode::Record:
    case TypeCode::Text:
        return Value(base);
    case TypeCode::Subrange:
        return TypeSize(static_cast<std::uint8_t>(Aux(base) & 0xFF));
    case TypeCode::Alias: // a named copy whose chain does not end in a type
        return Value(base);
    default:
        return TypeSize(Code(base));
    }
}

std::uint32_t QbTable::QuietSizeOf(EntryNumber type) const
{
    const EntryNumber base = BaseType(type);
    const std::uint8_t code = Code(base);
    if (code == TypeCode::Subrange) {
        const std::uint8_t host = static_cast<std::uint8_t>(Aux(base) & 0xFF);
        return host == TypeCode::Longint ? 4 : (host <= TypeCode::Byte ? 1 : 2);
    }
    if (const std::uint16_t size = ScalarSize(code); size != 0) {
        return size;
    }
    // Structures, files and classes: the size recorded in the entry.
    return Value(base);
}

bool QbTable::InRange(EntryNumber type, std::int32_t value) const
{
    std::int32_t low = 0;
    std::int32_t high = 0;
    RangeOf(type, low, high);
    return value >= low && value <= high;
}

void QbTable::RangeOf(EntryNumber type, std::int32_t& low, std::int32_t& high) const
{
    const EntryNumber base = BaseType(type);
    switch (Code(base)) {
    case TypeCode::Enumerated:
        low = 0;
        high = static_cast<std::int32_t>(Link1(base)) - 1;
        break;
    case TypeCode::Subrange:
        low = SubrangeBound(*this, base, Link1(base));
        high = SubrangeBound(*this, base, Link2(base));
        break;
    default:
        CodeRange(Code(base), low, high);
        break;
    }
}

bool QbTable::IsStructured(EntryNumber type) const
{
    const std::uint8_t code = Code(BaseType(type));
    return code == TypeCode::Array || code == TypeCode::Record;
}

int QbTable::PointerFieldCount(EntryNumber record) const
{
    const EntryNumber base = BaseType(record);
    if (Code(base) != TypeCode::Record) {
        return 0;
    }
    int count = 0;
    EntryNumber field = Link2(base);
    for (int steps = 0; steps <= MaxEntries && IsEntry(field); ++steps, field = Link2(field)) {
        if (Code(BaseType(Link1(field))) == TypeCode::Pointer) {
            ++count;
        }
    }
    return count;
}

std::string QbTable::FieldName(int n, std::uint8_t codeFilter, EntryNumber record) const
{
    const EntryNumber base = BaseType(record);
    if (n >= 1 && Code(base) == TypeCode::Record) {
        int counted = 0;
        EntryNumber field = Link2(base);
        for (int steps = 0; steps <= MaxEntries && IsEntry(field); ++steps, field = Link2(field)) {
            if (codeFilter != 127 && Code(BaseType(Link1(field))) != codeFilter) {
                continue;
            }
            if (counted == n - 1) {
                return GetName(field);
            }
            ++counted;
        }
    }
    return "field." + std::to_string(n);
}

// Descriptions for the views ------------------------------------------------------------------

std::string QbTable::ElementPath(EntryNumber type, std::uint32_t offset) const
{
    return ElementPathAt(type, offset, 0);
}

std::string QbTable::ElementPathAt(EntryNumber type, std::uint32_t offset, int depth) const
{
    const EntryNumber base = BaseType(type);
    if (depth > MaxTypeNesting || !IsEntry(base)) {
        return {};
    }
    if (Code(base) == TypeCode::Record) {
        EntryNumber field = Link2(base);
        for (int steps = 0; steps <= MaxEntries && IsEntry(field); ++steps, field = Link2(field)) {
            const std::uint32_t start = Value(field);
            const std::uint32_t size = QuietSizeOf(Link1(field));
            if (offset >= start && offset < start + size) {
                return "." + GetName(field) +
                       ElementPathAt(Link1(field), offset - start, depth + 1);
            }
        }
        return {};
    }
    if (Code(base) != TypeCode::Array) {
        return {};
    }
    const EntryNumber element = Link1(base);
    const std::uint32_t elementSize = QuietSizeOf(element);
    const int dimensions = Aux(base);
    if (elementSize == 0 || dimensions == 0) {
        return {};
    }
    std::vector<std::int32_t> lows(static_cast<std::size_t>(dimensions));
    std::vector<std::int32_t> counts(static_cast<std::size_t>(dimensions));
    std::uint64_t total = 1;
    for (int d = 0; d < dimensions; ++d) {
        const auto i = static_cast<std::size_t>(d);
        if (!IndexBounds(static_cast<EntryNumber>(Link2(base) + d), lows[i], counts[i])) {
            return {};
        }
        total *= static_cast<std::uint64_t>(counts[i]);
    }
    std::uint64_t index = offset / elementSize;
    if (index >= total) {
        return {};
    }
    std::vector<std::int32_t> indexes(static_cast<std::size_t>(dimensions));
    for (int d = dimensions - 1; d >= 0; --d) {
        const auto i = static_cast<std::size_t>(d);
        indexes[i] =
            lows[i] + static_cast<std::int32_t>(index % static_cast<std::uint64_t>(counts[i]));
        index /= static_cast<std::uint64_t>(counts[i]);
    }
    std::string text = "[";
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        if (i > 0) {
            text += ',';
        }
        text += std::to_string(indexes[i]);
    }
    return text + "]" + ElementPathAt(element, offset % elementSize, depth + 1);
}

EntryNumber QbTable::VariableAt(std::uint32_t address, std::uint32_t& offset) const
{
    EntryNumber block = 1;
    for (int steps = 0; steps <= MaxEntries && IsEntry(block);
         ++steps, block = (block == 1 ? FirstUnit() : NextUnit(block))) {
        EntryNumber variable = Slot(block, RoutineSlot::FirstVariable);
        for (int count = 0; count <= MaxEntries && IsEntry(variable);
             ++count, variable = Link2(variable)) {
            if (Kind(variable) != EntryKind::Variable) {
                continue;
            }
            const std::uint32_t start = Value(variable);
            if (address >= start && address < start + QuietSizeOf(Link1(variable))) {
                offset = address - start;
                return variable;
            }
        }
    }
    offset = 0;
    return 0;
}

bool QbTable::SharesBytes(EntryNumber variable) const
{
    const std::uint32_t start = Value(variable);
    const std::uint32_t end = start + QuietSizeOf(Link1(variable));
    EntryNumber block = 1;
    for (int steps = 0; steps <= MaxEntries && IsEntry(block);
         ++steps, block = (block == 1 ? FirstUnit() : NextUnit(block))) {
        EntryNumber other = Slot(block, RoutineSlot::FirstVariable);
        for (int count = 0; count <= MaxEntries && IsEntry(other); ++count, other = Link2(other)) {
            if (other == variable || Kind(other) != EntryKind::Variable) {
                continue;
            }
            const std::uint32_t otherStart = Value(other);
            const std::uint32_t otherEnd = otherStart + QuietSizeOf(Link1(other));
            if (otherStart < end && start < otherEnd) {
                return true;
            }
        }
    }
    return false;
}

std::string QbTable::DescribeAddress(std::uint32_t address, bool withUnitName) const
{
    std::uint32_t offset = 0;
    const EntryNumber variable = VariableAt(address, offset);
    if (variable == 0) {
        return {};
    }
    std::string text = GetName(variable) + ElementPath(Link1(variable), offset);
    if (withUnitName) {
        text = GetName(Outermost(variable)) + "." + text;
    }
    return text;
}

std::string QbTable::FieldList(std::string_view variableName) const
{
    EntryNumber variable = 0;
    if (nextFree <= 2 || !FindInBlock(variableName, EntryKind::Variable, 1, variable)) {
        return {};
    }
    const EntryNumber type = BaseType(Link1(variable));
    const std::uint8_t code = Code(type);
    if (code != TypeCode::Record && !IsClassCode(code)) {
        return {};
    }
    std::string text;
    EntryNumber field = Link2(type);
    for (int steps = 0; steps <= MaxEntries && IsEntry(field); ++steps, field = Link2(field)) {
        if (GetName(field).empty()) {
            continue; // method markers
        }
        if (!text.empty()) {
            text += "\r\n";
        }
        text += GetName(field);
    }
    return text;
}

void QbTable::ClearVarFlags()
{
    ForgetLookups();
    // Fields and class members are owned by types, not blocks: their Aux is not a run flag.
    for (EntryNumber e = 1; e < nextFree; ++e) {
        if (Kind(e) == EntryKind::Variable && HasRoutineBlock(Owner(e))) {
            entries[e].Aux &= static_cast<std::uint16_t>(~VariableFlag::Run);
        }
    }
}

// End-of-block searches -----------------------------------------------------------------------

bool QbTable::AnyInTree(EntryNumber root, const std::function<bool(EntryNumber)>& visit) const
{
    std::vector<EntryNumber> pending;
    if (IsEntry(root)) {
        pending.push_back(root);
    }
    // A tree holds each entry once; the bound stops a damaged one.
    for (int visited = 0; !pending.empty() && visited <= MaxEntries; ++visited) {
        const EntryNumber node = pending.back();
        pending.pop_back();
        if (visit(node)) {
            return true;
        }
        if (IsEntry(Left(node))) {
            pending.push_back(Left(node));
        }
        if (IsEntry(Right(node))) {
            pending.push_back(Right(node));
        }
    }
    return false;
}

bool QbTable::HasForwardMethod(EntryNumber classType, std::string& name) const
{
    // A method is a marker owned by the class followed by its routine entry.
    for (EntryNumber e = static_cast<EntryNumber>(classType + 1); IsEntry(e) && IsEntry(e + 1);
         ++e) {
        if (Kind(e) != EntryKind::Variable || Code(e) != VariableMode::MethodMarker ||
            Owner(e) != classType) {
            continue;
        }
        const auto routine = static_cast<EntryNumber>(e + 1);
        const std::uint8_t flags = Code(routine);
        if (IsRoutineKind(Kind(routine)) && (flags & RoutineFlag::Forward) != 0 &&
            (flags & RoutineFlag::Predefined) == 0) {
            name = GetName(classType) + "." + GetName(routine);
            return true;
        }
    }
    return false;
}

bool QbTable::FindUnresolvedPointer(EntryNumber root, std::string& name) const
{
    return AnyInTree(root, [&](EntryNumber node) {
        if (Kind(node) != EntryKind::Type) {
            return false;
        }
        if (Code(node) == TypeCode::Pointer && node >= predefTypesEnd && IsEntry(Link1(node)) &&
            Code(Link1(node)) == TypeCode::Undeclared) {
            name = GetName(node);
            return true;
        }
        return IsClassCode(Code(node)) && HasForwardMethod(node, name);
    });
}

bool QbTable::FindUnresolvedForward(EntryNumber root, std::string& name) const
{
    return AnyInTree(root, [&](EntryNumber node) {
        const std::uint8_t flags = Code(node);
        if (IsRoutineKind(Kind(node)) && (flags & RoutineFlag::Forward) != 0 &&
            (flags & RoutineFlag::Predefined) == 0) {
            name = GetName(node);
            return true;
        }
        return false;
    });
}

bool QbTable::RoutineHoldsLine(EntryNumber routine, int line, int depth) const
{
    if (depth > MaxTypeNesting || !HasRoutineBlock(routine)) {
        return false;
    }
    const int first = Slot(routine, RoutineSlot::BodyStartLine);
    const int last = Slot(routine, RoutineSlot::BodyEndLine);
    if ((first != 0 || last != 0) && line >= first && line <= last) {
        return true;
    }
    const auto nested = [&](EntryNumber node) {
        return Owner(node) == routine && RoutineHoldsLine(node, line, depth + 1);
    };
    return AnyInTree(Slot(routine, static_cast<int>(EntryKind::Procedure)), nested) ||
           AnyInTree(Slot(routine, static_cast<int>(EntryKind::Function)), nested);
}

bool QbTable::LineInUnit(std::string_view unitName, int line) const
{
    const EntryNumber unit = (IsEntry(1) && GetName(1) == unitName) ? 1 : FindUnit(unitName);
    return unit != 0 && RoutineHoldsLine(unit, line, 0);
}
