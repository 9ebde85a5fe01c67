// Pascal type constructors and the reader of typed constants' values.
#include "frontend/QbPascalSyntaxe.h"

#include "frontend/PascalWords.h"
#include "lexical/QbDico.h"
#include "lexical/QbLexical.h"
#include "runtime/DataAddress.h"
#include "runtime/QbGesdata.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr std::size_t MaxIndexTypes = 255;
constexpr std::uint32_t MaxStructureSize = 65535;
constexpr std::uint16_t MaxEnumerationValues = 255;
// A file variable's record, as the predefined TEXT declares it.
constexpr std::uint16_t FileVariableSize = 460;
// Nested structures followed when looking for a file inside a type.
constexpr int MaxTypeDepth = 64;

bool IsIntegerCode(std::uint8_t code)
{
    return code >= TypeCode::Byte && code <= TypeCode::Longint;
}

// A subrange bound as a number: unsigned over a WORD host, signed 16-bit otherwise.
std::int32_t Bound(const QbTable& table, EntryNumber subrange, std::uint16_t raw)
{
    if ((table.Aux(subrange) & 0xFF) == TypeCode::Word) {
        return raw;
    }
    return static_cast<std::int16_t>(raw);
}

// The number of values of an index type (0 when it cannot index).
std::int32_t IndexCount(const QbTable& table, EntryNumber index)
{
    const EntryNumber base = table.BaseType(index);
    switch (table.Code(base)) {
    case TypeCode::Subrange:
        return Bound(table, base, table.Link2(base)) - Bound(table, base, table.Link1(base)) + 1;
    case TypeCode::Enumerated:
        return table.Link1(base);
    case TypeCode::Boolean:
        return 2;
    case TypeCode::Char:
    case TypeCode::Byte:
        return 256;
    default:
        return 0;
    }
}

bool ContainsFile(const QbTable& table, EntryNumber type, int depth)
{
    const EntryNumber base = table.BaseType(type);
    if (depth > MaxTypeDepth || !table.IsEntry(base)) {
        return false;
    }
    switch (table.Code(base)) {
    case TypeCode::UntypedFile:
    case TypeCode::TypedFile:
    case TypeCode::Text:
        return true;
    case TypeCode::Array:
        return ContainsFile(table, table.Link1(base), depth + 1);
    case TypeCode::Record: {
        EntryNumber field = table.Link2(base);
        for (int steps = 0; steps <= QbTable::MaxEntries && table.IsEntry(field);
             ++steps, field = table.Link2(field)) {
            if (ContainsFile(table, table.Link1(field), depth + 1)) {
                return true;
            }
        }
        return false;
    }
    default:
        return false;
    }
}

// The code deciding a value's type: a type entry (above the type codes) gives its base's code,
// a subrange its host's.
std::uint8_t ValueCode(const QbTable& table, std::uint16_t type)
{
    if (type <= TypeCode::AbstractClass || type == TypeCode::Undeclared ||
        table.Kind(type) != EntryKind::Type) {
        return static_cast<std::uint8_t>(type);
    }
    const EntryNumber base = table.BaseType(type);
    const std::uint8_t code = table.Code(base);
    return code == TypeCode::Subrange ? static_cast<std::uint8_t>(table.Aux(base)) : code;
}

// The value group of a subrange bound: integers together, then BOOLEAN, CHAR and each
// enumeration apart; 0 for a value that cannot bound a subrange.
int BoundGroup(std::uint8_t type)
{
    if (IsIntegerCode(type)) {
        return 1;
    }
    switch (type) {
    case TypeCode::Boolean:
        return 2;
    case TypeCode::Char:
        return 3;
    case TypeCode::Enumerated:
        return 4;
    default:
        return 0;
    }
}

void WriteLittleEndian(std::uint8_t* bytes, std::size_t size, std::uint32_t value)
{
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}
} // namespace

// type = [PACKED] (ARRAY ... | RECORD ... | FILE ...) | STRING ["[" n "]"] | "(" names ")"
//      | "^" name | SET OF type | TEXT | PROCEDURE/FUNCTION heading | type-name
//      | constant ".." constant
// Every anonymous type becomes an entry owned by the current routine.
EntryNumber QbPascalSyntaxe::ParseTypeDenoter(bool anonymousAllowed)
{
    ParseDepthGuard guard(*this);
    if (!anonymousAllowed) {
        return ParseTypeName(ErrorNumber::EndHeadingDeclarationFunctonExpected);
    }
    if (Lexer->AcceptWord(PascalWord::Packed)) {
        if (IsWordToken(PascalWord::Array)) {
            return ParseArrayType();
        }
        if (IsWordToken(PascalWord::Record)) {
            return ParseRecordType();
        }
        if (IsWordToken(PascalWord::File)) {
            return ParseFileType();
        }
        Errors->Raise(ErrorNumber::PackedNotAllowedCase);
    }
    if (IsWordToken(PascalWord::Array)) {
        return ParseArrayType();
    }
    if (IsWordToken(PascalWord::Record)) {
        return ParseRecordType();
    }
    if (IsWordToken(PascalWord::File)) {
        return ParseFileType();
    }
    if (IsWordToken(PascalWord::Set)) {
        return ParseSetType();
    }
    if (IsWordToken(PascalWord::String)) {
        return ParseStringType();
    }
    if (IsWordToken(PascalWord::Procedure)) {
        return ParseProceduralType(EntryKind::Procedure);
    }
    if (IsWordToken(PascalWord::Function)) {
        return ParseProceduralType(EntryKind::Function);
    }
    if (IsWordToken(PascalWord::Class)) {
        // Classes are declared by the class family of the front-end, not built here.
        Errors->Raise(ErrorNumber::NotImplemented);
    }
    if (IsWordToken(PascalWord::Text)) {
        EntryNumber text = Table->PredefTypeOfCode(TypeCode::Text);
        Lexer->NextToken();
        if (!Table->IsEntry(text) || Table->Kind(text) != EntryKind::Type) {
            text = NewTypeEntry(TypeCode::Text, FileVariableSize);
        }
        return text;
    }
    if (Lexer->TokenText() == "(") {
        return ParseEnumeration();
    }
    if (Lexer->TokenText() == "^") {
        return ParsePointerType();
    }
    return ParseNamedOrSubrange();
}

// A type that must be named (parameters, function results): `missing` when the text is an
// anonymous type, 9 for an unknown name, 10 for a name that is not a type.
EntryNumber QbPascalSyntaxe::ParseTypeName(ErrorNumber missing)
{
    static constexpr std::uint16_t constructors[] = {
        PascalWord::Packed, PascalWord::Array,     PascalWord::Record,   PascalWord::File,
        PascalWord::Set,    PascalWord::Procedure, PascalWord::Function, PascalWord::Class};
    if (!IsIdentifierToken()) {
        Errors->Raise(missing);
    }
    for (const std::uint16_t word : constructors) {
        if (IsWordToken(word)) {
            Errors->Raise(missing);
        }
    }
    const std::string name = Lexer->TokenText();
    EntryNumber type = 0;
    if (!Table->Lookup(name, EntryKind::Type, type, CurrentRoutine)) {
        EntryNumber other = 0;
        Errors->Raise(Table->LookupAny(name, CurrentRoutine, other)
                          ? ErrorNumber::InvalidTypeIdentifier
                          : ErrorNumber::IdentifierNotFound);
    }
    if (Table->Code(type) == TypeCode::Undeclared) {
        Errors->Raise(ErrorNumber::IdentifierNotFound);
    }
    NotePredefinedType(type);
    Lexer->NextToken();
    if (Lexer->TokenText() == "[") {
        Errors->Raise(missing);
    }
    return type;
}

// A predefined type named by its vocabulary word is reported to the translator, so that a
// re-worded text follows the target vocabulary.
void QbPascalSyntaxe::NotePredefinedType(EntryNumber type)
{
    if (type < Table->PredefTypesStart() || type >= Table->PredefTypesEnd()) {
        return;
    }
    const std::uint16_t code = Dictionary->FindWord(Lexer->TokenText());
    if (code != 0) {
        Lexer->Notify('Y', Lexer->TokenText(), code);
    }
}

EntryNumber QbPascalSyntaxe::NewTypeEntry(std::uint8_t code, std::uint16_t size)
{
    const EntryNumber type = Table->NewEntry("", EntryKind::Type, CurrentRoutine);
    Table->SetCode(type, code);
    Table->SetValue(type, size);
    return type;
}

std::uint16_t QbPascalSyntaxe::TypeBytes(EntryNumber type)
{
    const EntryNumber base = Table->BaseType(type);
    switch (Table->Code(base)) {
    case TypeCode::UntypedFile:
    case TypeCode::TypedFile:
    case TypeCode::Class:
    case TypeCode::AbstractClass:
        return Table->Value(base);
    case TypeCode::Undeclared:
        Errors->Raise(ErrorNumber::IdentifierNotFound);
    default:
        return Table->SizeOf(type);
    }
}

void QbPascalSyntaxe::AdoptType(EntryNumber named, EntryNumber constructed)
{
    Table->SetCode(named, Table->Code(constructed));
    Table->SetAux(named, Table->Aux(constructed));
    Table->SetValue(named, Table->Value(constructed));
    Table->SetCell(named, Table->Cell(constructed));
    // Fields, enumeration values and procedural parameters name their type as owner.
    for (EntryNumber e = constructed + 1; Table->IsEntry(e); ++e) {
        if (Table->Owner(e) == constructed) {
            Table->SetOwner(e, named);
        }
    }
}

// STRING ["[" n "]"]: n from 1 to 255 (error 5 when not an integer, 7 from 256 on).
EntryNumber QbPascalSyntaxe::ParseStringType()
{
    Lexer->NextToken();
    if (!Lexer->AcceptSymbol("[")) {
        const EntryNumber predefined = Table->PredefTypeOfCode(TypeCode::String);
        if (Table->IsEntry(predefined) && Table->Kind(predefined) == EntryKind::Type) {
            return predefined;
        }
        return NewTypeEntry(TypeCode::String, 256);
    }
    const TypePair size = EvaluateConstant();
    const std::int32_t length = Data->Acc.Integer;
    if (!IsIntegerCode(ValueCode(*Table, size.Type)) || length < 1) {
        Errors->Raise(ErrorNumber::SizeStringInteger);
    }
    if (length > 255) {
        Errors->Raise(ErrorNumber::SizeTooLarge);
    }
    Lexer->ExpectSymbol("]");
    return NewTypeEntry(TypeCode::String, static_cast<std::uint16_t>(length + 1));
}

// "(" name { "," name } ")": values numbered from 0, at most 255 (error 85).
EntryNumber QbPascalSyntaxe::ParseEnumeration()
{
    Lexer->NextToken();
    const EntryNumber type = NewTypeEntry(TypeCode::Enumerated, 1);
    std::uint16_t count = 0;
    do {
        if (count >= MaxEnumerationValues) {
            Errors->Raise(ErrorNumber::TooManyEnumerationValues);
        }
        const EntryNumber value = DeclareName(EntryKind::EnumValue, CurrentRoutine);
        Table->SetOwner(value, type);
        Table->SetLink1(value, count++);
        Table->SetLink1(type, count);
    } while (Lexer->AcceptSymbol(","));
    Lexer->ExpectSymbol(")");
    return type;
}

// "^" name: a target not declared yet becomes a type entry of code 255 in the current block,
// completed by its TYPE declaration (error 52 at the block's statement part otherwise).
EntryNumber QbPascalSyntaxe::ParsePointerType()
{
    Lexer->NextToken();
    const std::string name = CurrentName();
    EntryNumber target = 0;
    if (Table->Lookup(name, EntryKind::Type, target, CurrentRoutine)) {
        NotePredefinedType(target);
    } else {
        const EntryNumber parent = CheckNewName(name, EntryKind::Type, CurrentRoutine);
        target = Table->NewEntry(name, EntryKind::Type, CurrentRoutine);
        Table->LinkEntry(target, parent, CurrentRoutine);
        Table->SetCode(target, TypeCode::Undeclared);
    }
    Lexer->NextToken();
    const EntryNumber type = NewTypeEntry(TypeCode::Pointer, 4);
    Table->SetLink1(type, target);
    HeapActive = true;
    return type;
}

// SET OF type: the element type's values must lie in 0..255 (error 16).
EntryNumber QbPascalSyntaxe::ParseSetType()
{
    Lexer->NextToken();
    Lexer->ExpectWord(PascalWord::SetOf);
    const EntryNumber element = ParseTypeDenoter(true);
    const EntryNumber base = Table->BaseType(element);
    bool fits = false;
    switch (Table->Code(base)) {
    case TypeCode::Boolean:
    case TypeCode::Char:
    case TypeCode::Byte:
    case TypeCode::Enumerated:
        fits = true;
        break;
    case TypeCode::Subrange:
        fits = Bound(*Table, base, Table->Link1(base)) >= 0 &&
               Bound(*Table, base, Table->Link2(base)) <= 255;
        break;
    default:
        break;
    }
    if (!fits) {
        Errors->Raise(ErrorNumber::SizeTooLargeElementSet);
    }
    const EntryNumber type = NewTypeEntry(TypeCode::Set, 32);
    Table->SetLink1(type, element);
    return type;
}

// FILE [OF type]: a component holding a file is error 17.
EntryNumber QbPascalSyntaxe::ParseFileType()
{
    Lexer->NextToken();
    if (!Lexer->AcceptWord(PascalWord::FileOf)) {
        return NewTypeEntry(TypeCode::UntypedFile, FileVariableSize);
    }
    const EntryNumber component = ParseTypeDenoter(true);
    if (ContainsFile(*Table, component, 0)) {
        Errors->Raise(ErrorNumber::InvalidFileDeclaration);
    }
    const EntryNumber type = NewTypeEntry(TypeCode::TypedFile, FileVariableSize);
    Table->SetLink1(type, component);
    return type;
}

// ARRAY "[" index { "," index } "]" OF type: at most 255 index types (error 8), each ordinal
// with a range (error 6); at most 65535 elements and bytes (error 7).
EntryNumber QbPascalSyntaxe::ParseArrayType()
{
    Lexer->NextToken();
    Lexer->ExpectSymbol("[");
    std::vector<EntryNumber> indexes;
    do {
        if (indexes.size() >= MaxIndexTypes) {
            Errors->Raise(ErrorNumber::NumberDimensionsTooLarge);
        }
        const EntryNumber index = ParseTypeDenoter(true);
        const std::uint8_t code = Table->Code(Table->BaseType(index));
        if (code != TypeCode::Boolean && code != TypeCode::Char && code != TypeCode::Byte &&
            code != TypeCode::Enumerated && code != TypeCode::Subrange) {
            Errors->Raise(ErrorNumber::IndexMustBeInteger);
        }
        indexes.push_back(index);
    } while (Lexer->AcceptSymbol(","));
    Lexer->ExpectSymbol("]");
    Lexer->ExpectWord(PascalWord::ArrayOf);

    // The index types lie in consecutive entries made now, before the element type's own.
    EntryNumber first = 0;
    std::uint32_t elements = 1;
    for (const EntryNumber index : indexes) {
        const EntryNumber base = Table->BaseType(index);
        const std::uint8_t code = Table->Code(base);
        EntryNumber copy = 0;
        if (code == TypeCode::Enumerated) {
            copy = NewTypeEntry(TypeCode::Alias, 1);
            Table->SetLink1(copy, index);
        } else if (code == TypeCode::Subrange) {
            copy = NewTypeEntry(TypeCode::Subrange, Table->Value(base));
            Table->SetAux(copy, Table->Aux(base));
            Table->SetCell(copy, Table->Cell(base));
        } else {
            copy = NewTypeEntry(TypeCode::Subrange, 1);
            Table->SetAux(copy, code);
            Table->SetLink2(copy, code == TypeCode::Boolean ? 1 : 255);
        }
        first = first == 0 ? copy : first;
        elements *= static_cast<std::uint32_t>(std::max(IndexCount(*Table, copy), 0));
        if (elements > MaxStructureSize) {
            Errors->Raise(ErrorNumber::SizeTooLarge);
        }
    }
    const EntryNumber element = ParseTypeDenoter(true);
    const std::uint32_t size = elements * TypeBytes(element);
    if (size > MaxStructureSize) {
        Errors->Raise(ErrorNumber::SizeTooLarge);
    }
    const EntryNumber type = NewTypeEntry(TypeCode::Array, static_cast<std::uint16_t>(size));
    Table->SetAux(type, static_cast<std::uint16_t>(indexes.size()));
    Table->SetLink1(type, element);
    Table->SetLink2(type, first);
    return type;
}

// RECORD field-list END: fields in declaration order, chained from the record's Link2, each at
// its offset; the variants of a CASE part overlay each other. A record without fields is
// error 43.
EntryNumber QbPascalSyntaxe::ParseRecordType()
{
    Lexer->NextToken();
    const EntryNumber record = NewTypeEntry(TypeCode::Record, 0);
    EntryNumber last = 0;
    const std::uint32_t size = ParseFieldList(record, 0, last);
    if (Table->Link2(record) == 0) {
        Errors->Raise(ErrorNumber::EmptyRecordNotAllowed);
    }
    if (!Lexer->AcceptWord(PascalWord::RecordEndAlternative)) {
        Lexer->ExpectWord(PascalWord::RecordEnd);
    }
    Table->SetValue(record, static_cast<std::uint16_t>(size));
    return record;
}

// field-list = { names ":" type ";" } [ variant-part ]. A field named twice in the record is
// error 3; an anonymous pointer type under option C 8 is error 2; ABSOLUTE is error 20.
std::uint32_t QbPascalSyntaxe::ParseFieldList(EntryNumber record, std::uint32_t offset,
                                              EntryNumber& lastField)
{
    ParseDepthGuard guard(*this);
    std::uint32_t end = offset;
    while (IsIdentifierToken() && !IsWordToken(PascalWord::RecordCase) &&
           !IsWordToken(PascalWord::RecordEnd) && !IsWordToken(PascalWord::RecordEndAlternative)) {
        std::vector<EntryNumber> group;
        do {
            const std::string name = CurrentName();
            if (OptionA(OptionA::ForbidReservedAsIdentifier) &&
                Dictionary->IsVocabularyWord(name)) {
                Errors->Raise(ErrorNumber::ReservedWordAsIdentifier);
            }
            EntryNumber existing = 0;
            if (Table->ChainFind(name, Table->Link2(record), existing)) {
                Errors->Raise(ErrorNumber::IdentifierAlreadyDeclared);
            }
            const EntryNumber field = Table->NewEntry(name, EntryKind::Variable, record);
            if (lastField == 0) {
                Table->SetLink2(record, field);
            } else {
                Table->ChainAfter(field, lastField);
            }
            lastField = field;
            group.push_back(field);
            Lexer->NextToken();
        } while (Lexer->AcceptSymbol(","));
        Lexer->ExpectSymbol(":");
        if (OptionC(OptionC::ForbidNonSimplePointers) && Lexer->TokenText() == "^") {
            Errors->Raise(ErrorNumber::IdentifierExpected);
        }
        const EntryNumber type = ParseTypeDenoter(true);
        if (IsWordToken(PascalWord::Absolute)) {
            Errors->Raise(ErrorNumber::ValidOnlyDeclarationVariable);
        }
        const std::uint32_t size = TypeBytes(type);
        for (const EntryNumber field : group) {
            Table->SetLink1(field, type);
            Table->SetValue(field, static_cast<std::uint16_t>(end));
            end += size;
            if (end > MaxStructureSize) {
                Errors->Raise(ErrorNumber::SizeTooLarge);
            }
        }
        if (!Lexer->AcceptSymbol(";")) {
            break;
        }
    }
    if (Lexer->AcceptWord(PascalWord::RecordCase)) {
        end = ParseVariantPart(record, end, lastField);
    }
    return end;
}

// variant-part = CASE [tag ":"] type-name OF { labels ":" "(" field-list ")" ";" }
// Every variant starts where the fixed part ends; the record takes the longest.
std::uint32_t QbPascalSyntaxe::ParseVariantPart(EntryNumber record, std::uint32_t offset,
                                                EntryNumber& lastField)
{
    std::uint32_t start = offset;
    const std::string first = CurrentName();
    Lexer->NextToken();
    if (Lexer->AcceptSymbol(":")) {
        // A tag field, stored before the variants.
        EntryNumber existing = 0;
        if (Table->ChainFind(first, Table->Link2(record), existing)) {
            Errors->Raise(ErrorNumber::IdentifierAlreadyDeclared);
        }
        const EntryNumber tag = Table->NewEntry(first, EntryKind::Variable, record);
        if (lastField == 0) {
            Table->SetLink2(record, tag);
        } else {
            Table->ChainAfter(tag, lastField);
        }
        lastField = tag;
        const EntryNumber type = ParseTypeName(ErrorNumber::InvalidTypeIdentifier);
        Table->SetLink1(tag, type);
        Table->SetValue(tag, static_cast<std::uint16_t>(start));
        start += TypeBytes(type);
    } else {
        EntryNumber type = 0;
        if (!Table->Lookup(first, EntryKind::Type, type, CurrentRoutine)) {
            EntryNumber other = 0;
            Errors->Raise(Table->LookupAny(first, CurrentRoutine, other)
                              ? ErrorNumber::InvalidTypeIdentifier
                              : ErrorNumber::IdentifierNotFound);
        }
    }
    Lexer->ExpectWord(PascalWord::RecordCaseOf);
    std::uint32_t end = start;
    while (Lexer->TokenText() != ")" && !IsWordToken(PascalWord::RecordEnd) &&
           !IsWordToken(PascalWord::RecordEndAlternative)) {
        do {
            ReadBound();
        } while (Lexer->AcceptSymbol(","));
        Lexer->ExpectSymbol(":");
        Lexer->ExpectSymbol("(");
        end = std::max(end, ParseFieldList(record, start, lastField));
        Lexer->ExpectSymbol(")");
        if (!Lexer->AcceptSymbol(";")) {
            break;
        }
    }
    if (end > MaxStructureSize) {
        Errors->Raise(ErrorNumber::SizeTooLarge);
    }
    return end;
}

// PROCEDURE [parameters] | FUNCTION [parameters] ":" type-name (errors 57, 58); forbidden under
// option C 4 (error 209).
EntryNumber QbPascalSyntaxe::ParseProceduralType(EntryKind kind)
{
    if (OptionC(OptionC::ForbidProceduralTypes)) {
        Errors->Raise(ErrorNumber::ProceduralTypesForbidden);
    }
    Lexer->NextToken();
    const bool function = kind == EntryKind::Function;
    const EntryNumber type =
        NewTypeEntry(function ? TypeCode::FunctionType : TypeCode::ProcedureType, 4);
    if (Lexer->TokenText() == "(") {
        CreateParameters(type, ParseParameterSpecs());
    }
    if (function) {
        if (!Lexer->AcceptSymbol(":")) {
            Errors->Raise(ErrorNumber::ColonExpected);
        }
        Table->SetLink1(type, ParseTypeName(ErrorNumber::ReturnTypeFunctionNotDeclared));
    }
    return type;
}

// type-name | constant ".." constant. An unknown name is error 9, a name that is neither a type
// nor a constant error 10; bounds of different types errors 12 (13 for two enumerations), a
// bound that is not ordinal error 14, low above high error 11.
EntryNumber QbPascalSyntaxe::ParseNamedOrSubrange()
{
    if (IsIdentifierToken()) {
        const std::string name = Lexer->TokenText();
        EntryNumber found = 0;
        if (Table->Lookup(name, EntryKind::Type, found, CurrentRoutine)) {
            if (Table->Code(found) == TypeCode::Undeclared) {
                Errors->Raise(ErrorNumber::IdentifierNotFound);
            }
            NotePredefinedType(found);
            Lexer->NextToken();
            return found;
        }
        if (!Table->LookupAny(name, CurrentRoutine, found)) {
            Errors->Raise(ErrorNumber::IdentifierNotFound);
        }
        const EntryKind kind = Table->Kind(found);
        if (kind != EntryKind::Constant && kind != EntryKind::EnumValue) {
            Errors->Raise(ErrorNumber::InvalidTypeIdentifier);
        }
    }
    const TypePair low = ReadBound();
    const std::int32_t lowValue = Data->Acc.Integer;
    Lexer->ExpectSymbol(".");
    Lexer->ExpectSymbol(".");
    const TypePair high = ReadBound();
    const std::int32_t highValue = Data->Acc.Integer;

    const std::uint8_t lowCode = ValueCode(*Table, low.Type);
    const std::uint8_t highCode = ValueCode(*Table, high.Type);
    const int lowGroup = BoundGroup(lowCode);
    const int highGroup = BoundGroup(highCode);
    if (lowGroup == 0 || highGroup == 0) {
        Errors->Raise(ErrorNumber::IntegerExpressionExpected);
    }
    if (lowGroup != highGroup) {
        Errors->Raise(ErrorNumber::IntervalLimitsNotSameType);
    }
    if (lowGroup == 4 && low.Subtype != high.Subtype) {
        Errors->Raise(ErrorNumber::IntervalLimitsNotSameTypeInCase);
    }
    if (lowValue > highValue) {
        Errors->Raise(ErrorNumber::BeginIndexGreaterEndIndex);
    }
    std::uint8_t host = std::max(lowCode, highCode);
    if (lowGroup == 1) {
        // The host is the wider bound's type, widened until both bounds fit; bounds are kept in
        // 16 bits, signed except over WORD.
        const bool signed16 = lowValue >= -32768 && highValue <= 32767;
        const bool unsigned16 = lowValue >= 0 && highValue <= 65535;
        if (host == TypeCode::Byte && (lowValue < 0 || highValue > 255)) {
            host = TypeCode::Integer;
        }
        if ((host == TypeCode::Integer || host == TypeCode::Longint) && !signed16) {
            host = TypeCode::Word;
        }
        if (host == TypeCode::Word && !unsigned16) {
            host = signed16 ? TypeCode::Integer : TypeCode::Longint;
        }
        if (!signed16 && !unsigned16) {
            Errors->Raise(ErrorNumber::SizeTooLarge);
        }
    }
    const EntryNumber type = NewTypeEntry(TypeCode::Subrange, Table->TypeSize(host));
    Table->SetAux(type, host);
    Table->SetLink1(type, static_cast<std::uint16_t>(lowValue));
    Table->SetLink2(type, static_cast<std::uint16_t>(highValue));
    return type;
}

// Typed constants -----------------------------------------------------------------------------

// The value of a typed constant of `type`, stored at `address` (a typed constant's storage):
// "(" elements ")" per array dimension, "(" field ":" value ";" ... ")" for a record, otherwise
// a constant expression.
void QbPascalSyntaxe::ParseTypedConstantValue(EntryNumber type, std::uint32_t address)
{
    ParseDepthGuard guard(*this);
    const EntryNumber base = Table->BaseType(type);
    switch (Table->Code(base)) {
    case TypeCode::Array:
        ParseArrayConstant(base, 0, address);
        break;
    case TypeCode::Record:
        ParseRecordConstant(base, address);
        break;
    default:
        StoreConstantValue(type, address);
        break;
    }
}

// One dimension: exactly as many elements as the index range holds (error 133); an index type
// other than an enumeration or a subrange is error 48.
void QbPascalSyntaxe::ParseArrayConstant(EntryNumber array, int dimension, std::uint32_t address)
{
    ParseDepthGuard guard(*this);
    const int dimensions = Table->Aux(array);
    const EntryNumber element = Table->Link1(array);
    std::uint32_t stride = TypeBytes(element);
    for (int d = dimension + 1; d < dimensions; ++d) {
        stride *= static_cast<std::uint32_t>(
            std::max(IndexCount(*Table, static_cast<EntryNumber>(Table->Link2(array) + d)), 0));
    }
    const EntryNumber index = static_cast<EntryNumber>(Table->Link2(array) + dimension);
    const std::uint8_t indexCode = Table->Code(Table->BaseType(index));
    if (indexCode != TypeCode::Subrange && indexCode != TypeCode::Enumerated) {
        Errors->Raise(ErrorNumber::IndexMustBeIntegerInReference);
    }
    const std::int32_t count = IndexCount(*Table, index);
    Lexer->ExpectSymbol("(");
    for (std::int32_t i = 0; i < count; ++i) {
        if (i > 0 && !Lexer->AcceptSymbol(",")) {
            Errors->Raise(ErrorNumber::WrongNumberElements);
        }
        const std::uint32_t at = address + static_cast<std::uint32_t>(i) * stride;
        if (dimension + 1 < dimensions) {
            ParseArrayConstant(array, dimension + 1, at);
        } else {
            ParseTypedConstantValue(element, at);
        }
    }
    if (Lexer->TokenText() == ",") {
        Errors->Raise(ErrorNumber::WrongNumberElements);
    }
    Lexer->ExpectSymbol(")");
}

// "(" field ":" value { ";" field ":" value } ")": the fields in declaration order; a name that
// is not a later field of the record is error 51.
void QbPascalSyntaxe::ParseRecordConstant(EntryNumber record, std::uint32_t address)
{
    Lexer->ExpectSymbol("(");
    EntryNumber next = Table->Link2(record);
    while (Lexer->TokenText() != ")") {
        const std::string name = CurrentName();
        EntryNumber field = 0;
        if (!Table->ChainFind(name, next, field)) {
            Errors->Raise(ErrorNumber::UnknownRecordField);
        }
        Lexer->NextToken();
        Lexer->ExpectSymbol(":");
        ParseTypedConstantValue(Table->Link1(field), address + Table->Value(field));
        next = Table->Link2(field);
        if (!Lexer->AcceptSymbol(";")) {
            break;
        }
    }
    Lexer->ExpectSymbol(")");
}

// A constant expression compatible with `type` (error 19), written in the type's layout.
void QbPascalSyntaxe::StoreConstantValue(EntryNumber type, std::uint32_t address)
{
    const TypePair value = EvaluateConstant();
    const EntryNumber base = Table->BaseType(type);
    const std::uint8_t code = Table->Code(base);
    const std::int32_t integer = Data->Acc.Integer;
    if (!Compatible(Table->TypeKey(type), value.Type, type, value.Subtype, integer, 0)) {
        Errors->Raise(ErrorNumber::ExpressionNotCompatibleDeclaredType);
    }
    if (code < TypeCode::Real && !Table->InRange(base, integer)) {
        Errors->Raise(ErrorNumber::ExpressionNotCompatibleDeclaredType);
    }
    const std::uint16_t size = TypeBytes(type);
    const auto entry = static_cast<EntryNumber>((address - DataAddress::ConstantBase) >> 16);
    const std::uint32_t offset = address & 0xFFFF;
    std::span<std::uint8_t> block = Table->AttrBlock(entry);
    // The block's last two bytes are the compiler's.
    if (block.size() < 2 || offset + size > block.size() - 2) {
        return;
    }
    std::uint8_t* bytes = block.data() + offset;
    switch (code) {
    case TypeCode::Boolean:
        bytes[0] = integer != 0 ? 1 : 0;
        break;
    case TypeCode::Real: {
        const double real = IsIntegerCode(ValueCode(*Table, value.Type))
                                ? static_cast<double>(integer)
                                : Data->Acc.Real;
        std::memcpy(bytes, &real, sizeof real);
        break;
    }
    case TypeCode::String: {
        const std::size_t capacity = std::min<std::size_t>(
            Table->Value(base) >= 1 ? Table->Value(base) - 1u : 255u, size - 1u);
        if (ValueCode(*Table, value.Type) == TypeCode::Char) {
            bytes[0] = 1;
            bytes[1] = static_cast<std::uint8_t>(integer);
        } else {
            const std::size_t length = std::min<std::size_t>(Data->Acc.String[0], capacity);
            bytes[0] = static_cast<std::uint8_t>(length);
            std::memcpy(bytes + 1, Data->Acc.String.data() + 1, length);
        }
        break;
    }
    case TypeCode::Set:
        std::memcpy(bytes, Data->Acc.Set.data(), std::min<std::size_t>(size, 32));
        break;
    case TypeCode::Pointer:
        WriteLittleEndian(bytes, 4, 0);
        break;
    case TypeCode::Char:
    case TypeCode::Enumerated:
    case TypeCode::Byte:
    case TypeCode::Integer:
    case TypeCode::Word:
    case TypeCode::Longint:
    case TypeCode::Subrange:
        WriteLittleEndian(bytes, size, static_cast<std::uint32_t>(integer));
        break;
    default:
        Errors->Raise(ErrorNumber::ExpressionNotCompatibleDeclaredType);
    }
}
