// Pascal constants (literals, constant names, enumeration values, set constants) and the
// assignment-compatibility rule.
#include "frontend/QbPascalSyntaxe.h"

#include "frontend/PascalWords.h"
#include "lexical/QbLexical.h"
#include "runtime/QbGesdata.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <span>
#include <utility>
#include <vector>

namespace {
bool IsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

bool IsHexDigit(char ch)
{
    return IsDigit(ch) || (ch >= 'A' && ch <= 'F') || (ch >= 'a' && ch <= 'f');
}

bool IsIntegerCode(std::uint8_t code)
{
    return code >= TypeCode::Byte && code <= TypeCode::Longint;
}

// The smallest integer type that holds a non-negative literal.
std::uint16_t IntegerLiteralType(std::int64_t value)
{
    if (value < 256) {
        return TypeCode::Byte;
    }
    return value < 32768 ? TypeCode::Integer : TypeCode::Longint;
}

// The character after the look-ahead, taken from the current line; a blank past its end.
char CharAfterLookAhead(const QbLexical& lexer)
{
    const std::string& line = lexer.LineText();
    const int column = lexer.Column();
    if (column < 1 || static_cast<std::size_t>(column) > line.size()) {
        return ' ';
    }
    return line[static_cast<std::size_t>(column) - 1];
}
} // namespace

// constant = set | string | NIL | TRUE | FALSE | [ + | - ] number (CASE labels) | number
//          | $ hexadecimal | constant-name | enumeration-value
// One operand only: constant expressions with operators are read by the expression readers.
// The value is left in the accumulator; nothing is pushed.
TypePair QbPascalSyntaxe::ParseConstant(bool caseLabel)
{
    Accumulator& acc = Data->Acc;
    const std::string token = Lexer->TokenText();
    if (caseLabel && token == "+") {
        Lexer->NextToken();
        return ParseConstant(true);
    }
    if (caseLabel && token == "-") {
        Lexer->NextToken();
        TypePair type = ParseConstant(true);
        const std::uint8_t code = BaseCode(type.Type);
        if (code == TypeCode::Enumerated) {
            Errors->Raise(ErrorNumber::ElementEnumeratedTypeCannotNegatif);
        }
        if (!IsIntegerCode(code)) {
            Errors->Raise(ErrorNumber::OperatorApplyTypeExpression);
        }
        acc.SetInteger(-acc.Integer);
        if (code == TypeCode::Byte || code == TypeCode::Word) {
            type = {TypeCode::Integer, 0};
        }
        return type;
    }
    if (token == "[") {
        return ParseSetConstant();
    }
    if (token == "'") {
        const std::string text = Lexer->ReadQuoted('\'');
        Lexer->NextToken();
        if (text.size() == 1) {
            acc.SetInteger(static_cast<unsigned char>(text[0]));
            return {TypeCode::Char, 0};
        }
        acc.SetText(text);
        return {TypeCode::String, 0};
    }
    if (token == "$") {
        // The digits are counted on the line itself, so that too long a run is refused instead
        // of wrapping around 32 bits.
        const std::string& line = Lexer->LineText();
        std::size_t at = Lexer->Column() >= 2 ? static_cast<std::size_t>(Lexer->Column()) - 2 : 0;
        if (!IsHexDigit(Lexer->CurrentChar())) {
            Errors->RaiseWith(ErrorNumber::InvalidExpressionConstant, token);
        }
        while (at < line.size() && line[at] == '0') {
            ++at;
        }
        std::size_t significant = 0;
        while (at + significant < line.size() && IsHexDigit(line[at + significant])) {
            ++significant;
        }
        const std::uint32_t value = Lexer->ReadHexDigits();
        if (significant > 8 || value > 2147483647u) {
            Errors->Raise(ErrorNumber::SizeTooLarge);
        }
        Lexer->NextToken();
        acc.SetInteger(static_cast<std::int32_t>(value));
        return {IntegerLiteralType(value), 0};
    }
    if (!token.empty() && IsDigit(token[0])) {
        return ParseNumber(caseLabel);
    }
    if (Lexer->AcceptWord(PascalWord::Nil)) {
        acc.SetInteger(0);
        return {TypeCode::Pointer, 0};
    }
    if (Lexer->AcceptWord(PascalWord::True)) {
        acc.SetInteger(1);
        return {TypeCode::Boolean, 0};
    }
    if (Lexer->AcceptWord(PascalWord::False)) {
        acc.SetInteger(0);
        return {TypeCode::Boolean, 0};
    }
    if (!token.empty() && Lexer->IsIdentifierStart(token[0])) {
        const EntryNumber scope = ReadScopePrefix();
        const std::string name = Lexer->TokenText();
        EntryNumber entry = 0;
        if (Table->Lookup(name, EntryKind::Constant, entry, scope)) {
            return ParseNamedConstant(entry);
        }
        if (Table->Lookup(name, EntryKind::EnumValue, entry, scope)) {
            Lexer->NextToken();
            acc.SetInteger(Table->Link1(entry));
            const EntryNumber enumeration = Table->Owner(entry);
            return {enumeration, enumeration};
        }
    }
    Errors->RaiseWith(ErrorNumber::InvalidExpressionConstant, Lexer->TokenText());
}

// digits [ . digits ] [ E [ + | - ] digits ] with the digits as the current token. Integers are
// BYTE below 256, INTEGER below 32768, LONGINT up to 2147483647; larger is error 7. In a CASE
// label a "." after the digits starts a range, so no real is read there.
TypePair QbPascalSyntaxe::ParseNumber(bool caseLabel)
{
    Accumulator& acc = Data->Acc;
    const std::string digits = Lexer->TokenText();
    const char next = Lexer->CurrentChar();
    const char after = CharAfterLookAhead(*Lexer);
    const bool fraction = next == '.' && IsDigit(after);
    const bool exponent =
        (next == 'E' || next == 'e') && (IsDigit(after) || after == '+' || after == '-');
    if (!caseLabel && (fraction || exponent)) {
        const long double value = Lexer->ReadRealRest();
        if (!std::isfinite(value) || value > static_cast<long double>(DBL_MAX)) {
            Errors->Raise(ErrorNumber::SizeTooLarge);
        }
        acc.SetReal(static_cast<double>(value));
        return {TypeCode::Real, 0};
    }
    std::int64_t value = 0;
    for (const char ch : digits) {
        if (!IsDigit(ch)) {
            Errors->RaiseWith(ErrorNumber::InvalidExpressionConstant, digits);
        }
        value = value * 10 + (ch - '0');
        if (value > 2147483647) {
            Errors->Raise(ErrorNumber::SizeTooLarge);
        }
    }
    Lexer->NextToken();
    acc.SetInteger(static_cast<std::int32_t>(value));
    return {IntegerLiteralType(value), 0};
}

// [ element { , element } ] with element = constant [ .. constant ].
TypePair QbPascalSyntaxe::ParseSetConstant()
{
    Lexer->ExpectSymbol("[");
    SetBits bits{};
    std::uint16_t element = AnyElement;
    const auto readElement = [this, &element]() {
        const TypePair type = ParseConstant(false);
        const std::uint16_t kind = ElementKind(type.Type);
        const std::uint8_t code = BaseCode(type.Type);
        if (code >= TypeCode::Subrange || (IsIntegerCode(code) && code != TypeCode::Byte)) {
            Errors->Raise(ErrorNumber::TypeNotAllowedSet);
        }
        if (!ElementsMatch(element, kind)) {
            Errors->Raise(ErrorNumber::TypeNotCompatible);
        }
        element = kind;
        return Data->Acc.Integer;
    };
    if (Lexer->TokenText() != "]") {
        do {
            const std::int32_t low = readElement();
            std::int32_t high = low;
            if (Lexer->TokenText() == "." && Lexer->CurrentChar() == '.') {
                Lexer->NextToken();
                Lexer->NextToken();
                high = readElement();
            }
            for (std::int32_t value = low; value <= high; ++value) {
                if (value >= 0 && value <= 255) {
                    bits[static_cast<std::size_t>(value) / 8] |=
                        static_cast<std::uint8_t>(1u << (value % 8));
                }
            }
        } while (Lexer->AcceptSymbol(","));
    }
    Lexer->ExpectSymbol("]");
    Data->Acc.Set = bits;
    return {TypeCode::Set, element};
}

// A declared constant: ordinal values are kept in the entry, a LONGINT or pointer in its whole
// cell, reals, strings and sets in its block. A typed constant is storage, not a constant.
TypePair QbPascalSyntaxe::ParseNamedConstant(EntryNumber entry)
{
    Accumulator& acc = Data->Acc;
    if (Table->Value(entry) != 0) {
        Errors->RaiseWith(ErrorNumber::InvalidExpressionConstant, Lexer->TokenText());
    }
    Lexer->NextToken();
    const std::uint8_t code = Table->Code(entry);
    const std::span<const std::uint8_t> block = std::as_const(*Table).AttrBlock(entry);
    switch (code) {
    case TypeCode::Integer:
        acc.SetInteger(static_cast<std::int16_t>(Table->Link1(entry)));
        return {code, 0};
    case TypeCode::Longint:
    case TypeCode::Pointer:
        acc.SetInteger(static_cast<std::int32_t>(Table->Cell(entry)));
        return {code, 0};
    case TypeCode::Real: {
        double value = 0.0;
        if (block.size() >= sizeof(double)) {
            std::memcpy(&value, block.data(), sizeof(double));
        }
        acc.SetReal(value);
        return {code, 0};
    }
    case TypeCode::String: {
        const std::size_t length =
            block.empty() ? 0 : std::min<std::size_t>(block[0], block.size() - 1);
        acc.SetText(std::string(
            reinterpret_cast<const char*>(block.data()) + (block.empty() ? 0 : 1), length));
        return {code, 0};
    }
    case TypeCode::Set: {
        SetBits bits{};
        std::copy_n(block.begin(), std::min(block.size(), bits.size()), bits.begin());
        acc.Set = bits;
        // The element type of a set constant is kept in its Aux.
        const std::uint16_t element = Table->Aux(entry);
        return {code, element != 0 ? ElementKind(NormalType(element)) : AnyElement};
    }
    case TypeCode::Enumerated: {
        acc.SetInteger(Table->Link1(entry));
        // An enumerated constant keeps its enumeration in its Aux.
        const EntryNumber enumeration = Table->Aux(entry);
        return enumeration != 0 ? TypePair{enumeration, enumeration} : TypePair{code, 0};
    }
    default:
        acc.SetInteger(Table->Link1(entry));
        return {code, 0};
    }
}

// Assignment compatibility of a value of type `sourceType` with a place of type `targetType`.
// Between integer types a narrower target is always accepted here: the value is range-checked
// when it is stored (error 224 under option C 1), since a check cannot know it.
bool QbPascalSyntaxe::Compatible(std::uint16_t targetType, std::uint16_t sourceType,
                                 std::uint16_t targetSub, std::uint16_t sourceSub, std::int32_t,
                                 std::int32_t)
{
    const auto resolved = [this](std::uint16_t type) {
        return IsTypeEntry(type) ? NormalType(Table->BaseType(type)) : type;
    };
    const std::uint16_t target = resolved(targetType);
    const std::uint16_t source = resolved(sourceType);
    const std::uint8_t targetCode = BaseCode(target);
    const std::uint8_t sourceCode = BaseCode(source);
    if (targetCode != sourceCode) {
        if (sourceCode == TypeCode::Char && targetCode == TypeCode::String) {
            return true;
        }
        if (IsIntegerCode(sourceCode)) {
            return targetCode == TypeCode::Real || IsIntegerCode(targetCode);
        }
        return false;
    }
    switch (targetCode) {
    case TypeCode::Array:
    case TypeCode::Record:
        return target == source;
    case TypeCode::Enumerated: {
        // Values of two different enumerations never mix; an enumeration not known on one side
        // (a bare type code) is taken on trust.
        const std::uint16_t a = IsTypeEntry(target) ? ElementKind(target) : targetSub;
        const std::uint16_t b = IsTypeEntry(source) ? ElementKind(source) : sourceSub;
        return a == 0 || b == 0 || ElementsMatch(a, b);
    }
    case TypeCode::Set: {
        const std::uint16_t a = SetElement({target, targetSub});
        const std::uint16_t b = SetElement({source, sourceSub});
        return ElementsMatch(a, b);
    }
    case TypeCode::ProcedureType:
    case TypeCode::FunctionType: {
        // A procedural value names its routine in its subtype; a procedural variable has its
        // type. Either side unknown is taken on trust.
        const EntryNumber a = IsTypeEntry(target) ? target : targetSub;
        const EntryNumber b = IsTypeEntry(source) ? source : sourceSub;
        return a == 0 || b == 0 || a == b || ParametersMatch(a, b);
    }
    default:
        return true;
    }
}

// Two parameter lists (of routines or procedural types) of the same length, mode by mode, with
// compatible types; and, for functions, compatible results.
bool QbPascalSyntaxe::ParametersMatch(EntryNumber a, EntryNumber b)
{
    const auto formals = [this](EntryNumber owner) {
        std::vector<EntryNumber> list;
        for (EntryNumber entry = owner + 1; Table->IsEntry(entry); ++entry) {
            if (Table->Kind(entry) != EntryKind::Variable || Table->Owner(entry) != owner) {
                break;
            }
            const std::uint8_t mode = Table->Code(entry);
            if (entry == owner + 1 && Table->Kind(owner) == EntryKind::Function) {
                continue; // the result variable
            }
            if (mode != VariableMode::ValueParameter && mode != VariableMode::VarParameter &&
                mode != VariableMode::ConstParameter && mode != VariableMode::OutParameter) {
                break;
            }
            list.push_back(entry);
        }
        return list;
    };
    const auto result = [this](EntryNumber owner) -> EntryNumber {
        if (Table->Kind(owner) == EntryKind::Function) {
            return Table->Link1(static_cast<EntryNumber>(owner + 1));
        }
        return Table->Code(Table->BaseType(owner)) == TypeCode::FunctionType
                   ? Table->Link1(Table->BaseType(owner))
                   : 0;
    };
    const EntryNumber first = Table->Kind(a) == EntryKind::Type ? Table->BaseType(a) : a;
    const EntryNumber second = Table->Kind(b) == EntryKind::Type ? Table->BaseType(b) : b;
    const std::vector<EntryNumber> left = formals(first);
    const std::vector<EntryNumber> right = formals(second);
    if (left.size() != right.size()) {
        return false;
    }
    for (std::size_t i = 0; i < left.size(); ++i) {
        if (Table->Code(left[i]) != Table->Code(right[i]) ||
            !Compatible(NormalType(Table->Link1(left[i])), NormalType(Table->Link1(right[i])), 0, 0,
                        0, 0)) {
            return false;
        }
    }
    const EntryNumber leftResult = result(first);
    const EntryNumber rightResult = result(second);
    if (leftResult == 0 || rightResult == 0) {
        return leftResult == rightResult;
    }
    return Compatible(NormalType(leftResult), NormalType(rightResult), 0, 0, 0, 0);
}
