// The System unit's string routines: LENGTH, POS, COPY, CONCAT, INSERT, DELETE, STR, VAL.
// Every count and index a program gives is clamped to the string it applies to, so no routine
// reads or writes outside it; results keep at most 255 characters.
#include "runtime/SystemRoutines.h"

#include "lexical/QbLexical.h"
#include "runtime/QbGesdata.h"
#include "runtime/SystemConsole.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <vector>

namespace {
using namespace SystemRoutine;

constexpr std::uint16_t Delete = 133;
constexpr std::uint16_t Val = 143;
constexpr std::uint16_t Copy = 146;
constexpr std::uint16_t Insert = 149;
constexpr std::uint16_t Str = 156;
constexpr std::uint16_t Pos = 171;
constexpr std::uint16_t Concat = 189;
constexpr std::uint16_t Length = 202;
constexpr std::size_t MaxLength = 255;

// A CHAR or STRING expression (`refused` otherwise); executing, its text.
std::string ReadText(QbSyntaxe& driver, ErrorNumber refused)
{
    const TypePair type = ReadValue(driver);
    if (!IsTextCode(CodeOf(driver, type.Type))) {
        driver.Errors->Raise(refused);
    }
    return driver.Execute ? driver.Data->Acc.Text() : std::string();
}

// An expression assignment-compatible with INTEGER (65 otherwise); executing, its value.
std::int32_t ReadIndex(QbSyntaxe& driver)
{
    std::vector<SignedArgument> arguments;
    driver.ParseSignedArguments("i", arguments);
    return arguments.empty() ? 0 : static_cast<std::int32_t>(arguments.front().Value);
}

// A variable reference of type STRING (`refused` otherwise); returns its type and address.
SignedArgument ReadStringVariable(QbSyntaxe& driver, ErrorNumber refused)
{
    std::vector<SignedArgument> arguments;
    driver.ParseSignedArguments("U", arguments);
    const SignedArgument variable = arguments.empty() ? SignedArgument{} : arguments.front();
    if (CodeOf(driver, variable.Type) != TypeCode::String) {
        driver.Errors->Raise(refused);
    }
    return variable;
}

std::string LoadText(QbSyntaxe& driver, const SignedArgument& variable)
{
    driver.Data->SetCurrentAddress(variable.Value);
    driver.Data->LoadValue(variable.Type);
    return driver.Data->Acc.Text();
}

// Stores a text in a variable through the data manager (which keeps it within the variable's
// declared length).
void StoreText(QbSyntaxe& driver, const SignedArgument& variable, const std::string& text)
{
    driver.Data->Acc.SetText(text.substr(0, MaxLength));
    driver.Data->SetCurrentAddress(variable.Value);
    driver.Data->StoreValue(variable.Type);
}

void LengthHandler(QbSyntaxe& driver)
{
    driver.Lexer->ExpectSymbol("(");
    const std::string text = ReadText(driver, ErrorNumber::ExpressionOftypeStringExpected);
    driver.Lexer->ExpectSymbol(")");
    if (driver.Execute) {
        PushInteger(driver, static_cast<std::int32_t>(text.size()), TypeCode::Integer);
    }
}

void LengthApply(QbSyntaxe& driver, int, std::uint16_t)
{
    driver.Data->PopType();
    PushInteger(driver, driver.Data->Acc.String[0], TypeCode::Integer);
}

// POS's answer: 1-based, 0 when `part` is empty or not in `text`.
std::int32_t PositionOf(const std::string& part, const std::string& text)
{
    const std::size_t found = part.empty() ? std::string::npos : text.find(part);
    return found == std::string::npos ? 0 : static_cast<std::int32_t>(found + 1);
}

void PosApply(QbSyntaxe& driver, int, std::uint16_t)
{
    const std::string text = PopText(driver);
    const std::string part = PopText(driver);
    PushInteger(driver, PositionOf(part, text), TypeCode::Byte);
}

void PosHandler(QbSyntaxe& driver)
{
    QbLexical& lexer = *driver.Lexer;
    lexer.ExpectSymbol("(");
    const std::string part = ReadText(driver, ErrorNumber::OperandRespectTypeParameter);
    lexer.ExpectSymbol(",");
    const std::string text = ReadText(driver, ErrorNumber::OperandRespectTypeParameter);
    lexer.ExpectSymbol(")");
    if (driver.Execute) {
        PushInteger(driver, PositionOf(part, text), TypeCode::Byte);
    }
}

// The part of `text` that COPY gives: an index below 1 counts as 1, one beyond the end or a
// count below 1 gives an empty text.
std::string CopyOf(const std::string& text, std::int32_t index, std::int32_t count)
{
    const std::int64_t first = std::max<std::int64_t>(index, 1);
    if (count <= 0 || first > static_cast<std::int64_t>(text.size())) {
        return {};
    }
    return text.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(count));
}

void CopyHandler(QbSyntaxe& driver)
{
    QbLexical& lexer = *driver.Lexer;
    lexer.ExpectSymbol("(");
    const std::string text = ReadText(driver, ErrorNumber::ExpressionOftypeStringExpected);
    lexer.ExpectSymbol(",");
    const std::int32_t index = ReadIndex(driver);
    lexer.ExpectSymbol(",");
    const std::int32_t count = ReadIndex(driver);
    lexer.ExpectSymbol(")");
    if (driver.Execute) {
        PushText(driver, CopyOf(text, index, count));
    }
}

void CopyApply(QbSyntaxe& driver, int, std::uint16_t)
{
    const std::int32_t count = PopInteger(driver);
    const std::int32_t index = PopInteger(driver);
    PushText(driver, CopyOf(PopText(driver), index, count));
}

// CONCAT: 256 characters or more in all is error 221, never a cut result.
void ConcatHandler(QbSyntaxe& driver)
{
    QbLexical& lexer = *driver.Lexer;
    lexer.ExpectSymbol("(");
    std::string text;
    bool tooLong = false;
    do {
        const std::string part = ReadText(driver, ErrorNumber::ExpressionOftypeStringExpected);
        if (text.size() + part.size() > MaxLength) {
            tooLong = true;
        } else {
            text += part;
        }
    } while (lexer.AcceptSymbol(","));
    lexer.ExpectSymbol(")");
    if (!driver.Execute) {
        return;
    }
    if (tooLong) {
        driver.Data->Fail(ErrorNumber::InvalidConcatenation);
    }
    PushText(driver, text);
}

void ConcatApply(QbSyntaxe& driver, int values, std::uint16_t)
{
    std::vector<std::string> parts(static_cast<std::size_t>(std::max(values, 0)));
    for (auto part = parts.rbegin(); part != parts.rend(); ++part) {
        *part = PopText(driver);
    }
    std::string text;
    for (const std::string& part : parts) {
        if (text.size() + part.size() > MaxLength) {
            driver.Data->Fail(ErrorNumber::InvalidConcatenation);
        }
        text += part;
    }
    PushText(driver, text);
}

// INSERT(source, variable, index): a position below 1 inserts in front, one beyond the end
// appends; the result keeps its first 255 characters.
void InsertHandler(QbSyntaxe& driver)
{
    QbLexical& lexer = *driver.Lexer;
    lexer.ExpectSymbol("(");
    const std::string source = ReadText(driver, ErrorNumber::ExpressionOftypeStringExpected);
    lexer.ExpectSymbol(",");
    const SignedArgument variable =
        ReadStringVariable(driver, ErrorNumber::StringIdentifierExpected);
    lexer.ExpectSymbol(",");
    const std::int32_t index = ReadIndex(driver);
    lexer.ExpectSymbol(")");
    if (!driver.Execute) {
        return;
    }
    std::string text = LoadText(driver, variable);
    const std::size_t at = static_cast<std::size_t>(std::clamp<std::int64_t>(
        static_cast<std::int64_t>(index) - 1, 0, static_cast<std::int64_t>(text.size())));
    text.insert(at, source);
    StoreText(driver, variable, text);
}

// DELETE(variable, index, count): nothing happens for an index outside the text or a count
// below 1; a count beyond the end deletes up to the end.
void DeleteHandler(QbSyntaxe& driver)
{
    QbLexical& lexer = *driver.Lexer;
    lexer.ExpectSymbol("(");
    const SignedArgument variable =
        ReadStringVariable(driver, ErrorNumber::StringIdentifierExpected);
    lexer.ExpectSymbol(",");
    const std::int32_t index = ReadIndex(driver);
    lexer.ExpectSymbol(",");
    const std::int32_t count = ReadIndex(driver);
    lexer.ExpectSymbol(")");
    if (!driver.Execute) {
        return;
    }
    std::string text = LoadText(driver, variable);
    if (index >= 1 && count >= 1 && static_cast<std::size_t>(index) <= text.size()) {
        text.erase(static_cast<std::size_t>(index - 1), static_cast<std::size_t>(count));
    }
    StoreText(driver, variable, text);
}

// STR(value [":" width [":" decimals]], variable): the text WRITE would give.
void StrHandler(QbSyntaxe& driver)
{
    QbLexical& lexer = *driver.Lexer;
    lexer.ExpectSymbol("(");
    const TypePair type = driver.ParseExpression();
    const std::uint8_t code = CodeOf(driver, type.Type);
    if (!IsIntegerCode(code) && code != TypeCode::Real) {
        driver.Errors->Raise(ErrorNumber::OperandRespectTypeParameter);
    }
    ValueField field = ReadField(driver, code);
    lexer.ExpectSymbol(",");
    const SignedArgument variable =
        ReadStringVariable(driver, ErrorNumber::OperandRespectTypeParameter);
    lexer.ExpectSymbol(")");
    if (!driver.Execute) {
        return;
    }
    QbGesdata& data = *driver.Data;
    PopField(driver, field);
    const int width = field.Width;
    const int decimals = field.Decimals;
    const bool hasWidth = field.HasWidth;
    const bool hasDecimals = field.HasDecimals;
    std::string text;
    if (code == TypeCode::Real) {
        text = hasDecimals ? ConsoleFormat::FixedReal(data.Acc.Real, width, decimals)
               : hasWidth  ? ConsoleFormat::ScientificReal(data.Acc.Real, width)
                           : ConsoleFormat::DefaultReal(data.Acc.Real);
    } else {
        text = std::to_string(data.Acc.Integer);
        if (hasWidth) {
            text = ConsoleFormat::PadField(text, width);
        }
    }
    StoreText(driver, variable, text);
}

bool IsDigit(char ch)
{
    return std::isdigit(static_cast<unsigned char>(ch)) != 0;
}

// VAL's integer: the text's value must fit `type` all along.
std::size_t ParseIntegerText(QbSyntaxe& driver, const std::string& text, std::uint16_t type,
                             std::int64_t& value)
{
    return ScanIntegerText(
        text, [&driver, type](std::int64_t v) { return FitsType(driver, type, v); }, value);
}

// A real: blanks, optional sign, digits, optional "." and digits, optional exponent. Returns 0
// when the whole text is valid, else the 1-based position of the first bad character.
std::size_t ParseRealText(const std::string& text, double& value)
{
    std::size_t at = 0;
    while (at < text.size() && text[at] == ' ') {
        ++at;
    }
    const std::size_t start = at;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        ++at;
    }
    std::size_t digits = 0;
    while (at < text.size() && IsDigit(text[at])) {
        ++at;
        ++digits;
    }
    if (at < text.size() && text[at] == '.') {
        ++at;
        while (at < text.size() && IsDigit(text[at])) {
            ++at;
            ++digits;
        }
    }
    if (digits == 0) {
        return at + 1;
    }
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        ++at;
        if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
            ++at;
        }
        if (at >= text.size() || !IsDigit(text[at])) {
            return at + 1;
        }
        while (at < text.size() && IsDigit(text[at])) {
            ++at;
        }
    }
    if (at < text.size()) {
        return at + 1;
    }
    value = std::strtod(text.substr(start).c_str(), nullptr);
    return std::isfinite(value) ? 0 : text.size();
}

// VAL(text, number variable, code variable): the number is stored (0 when the text is not
// valid), then the position of the first bad character (0 when valid) in the code variable.
void ValHandler(QbSyntaxe& driver)
{
    QbLexical& lexer = *driver.Lexer;
    lexer.ExpectSymbol("(");
    const std::string text = ReadText(driver, ErrorNumber::OperandRespectTypeParameter);
    lexer.ExpectSymbol(",");
    std::vector<SignedArgument> arguments;
    driver.ParseSignedArguments("U", arguments);
    const SignedArgument number = arguments.empty() ? SignedArgument{} : arguments.front();
    const std::uint8_t numberCode = CodeOf(driver, number.Type);
    if (!IsIntegerCode(numberCode) && numberCode != TypeCode::Real) {
        driver.Errors->Raise(ErrorNumber::OperandRespectTypeParameter);
    }
    lexer.ExpectSymbol(",");
    driver.ParseSignedArguments("U", arguments);
    const SignedArgument position = arguments.empty() ? SignedArgument{} : arguments.front();
    const std::uint8_t positionCode = CodeOf(driver, position.Type);
    if (positionCode != TypeCode::Integer && positionCode != TypeCode::Longint) {
        driver.Errors->Raise(ErrorNumber::OperandRespectTypeParameter);
    }
    lexer.ExpectSymbol(")");
    if (!driver.Execute) {
        return;
    }
    QbGesdata& data = *driver.Data;
    std::size_t bad = 0;
    if (numberCode == TypeCode::Real) {
        double value = 0.0;
        bad = ParseRealText(text, value);
        data.Acc.SetReal(bad == 0 ? value : 0.0);
    } else {
        std::int64_t value = 0;
        bad = ParseIntegerText(driver, text, number.Type, value);
        data.Acc.SetInteger(bad == 0 ? static_cast<std::int32_t>(value) : 0);
    }
    data.SetCurrentAddress(number.Value);
    data.StoreValue(number.Type);
    data.Acc.SetInteger(static_cast<std::int32_t>(bad));
    data.SetCurrentAddress(position.Value);
    data.StoreValue(position.Type);
}
} // namespace

void RegisterStringRoutines(QbTable& table, EntryNumber unit)
{
    Declare(
        table, unit, Length, TypeCode::Integer, 1,
        [](QbSyntaxe& driver, EntryNumber) { LengthHandler(driver); }, LengthApply);
    Declare(
        table, unit, Pos, TypeCode::Byte, 2,
        [](QbSyntaxe& driver, EntryNumber) { PosHandler(driver); }, PosApply);
    Declare(
        table, unit, Copy, TypeCode::String, 3,
        [](QbSyntaxe& driver, EntryNumber) { CopyHandler(driver); }, CopyApply);
    Declare(
        table, unit, Concat, TypeCode::String, AnyCount,
        [](QbSyntaxe& driver, EntryNumber) { ConcatHandler(driver); }, ConcatApply);
    Declare(table, unit, Insert, NoResult, 3,
            [](QbSyntaxe& driver, EntryNumber) { InsertHandler(driver); });
    Declare(table, unit, Delete, NoResult, 3,
            [](QbSyntaxe& driver, EntryNumber) { DeleteHandler(driver); });
    Declare(table, unit, Str, NoResult, 2,
            [](QbSyntaxe& driver, EntryNumber) { StrHandler(driver); });
    Declare(table, unit, Val, NoResult, 3,
            [](QbSyntaxe& driver, EntryNumber) { ValHandler(driver); });
}
