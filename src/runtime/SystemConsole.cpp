// The System unit's console routines: WRITE, WRITELN, READ, READLN, and the signals EXIT and HALT.
#include "runtime/SystemConsole.h"

#include "diagnostics/Exceptions.h"
#include "frontend/PascalWords.h"
#include "frontend/QbSyntaxe.h"
#include "lexical/QbLexical.h"
#include "runtime/ConsoleHost.h"
#include "runtime/QbGesdata.h"
#include "runtime/SystemRoutines.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {
constexpr std::uint16_t ExitWord = 163;
constexpr std::uint16_t HaltWord = 199;
constexpr std::uint16_t InputWord = 98;
constexpr std::uint16_t OutputWord = 99;
constexpr std::uint16_t AnyCount = 0xFFFF;

std::string Upper(std::string text)
{
    for (char& ch : text) {
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    return text;
}

// Options B 8 and B 16: only routines whose name begins with the configured prefix may read the
// keyboard or write to the screen.
void CheckPrefix(QbSyntaxe& driver, std::uint32_t option, const std::string& prefix,
                 ErrorNumber refused)
{
    if (!driver.OptionB(option)) {
        return;
    }
    const std::string name = Upper(driver.Table->GetName(driver.CurrentRoutine));
    if (name.rfind(Upper(prefix), 0) != 0) {
        driver.Data->Fail(refused);
    }
}

bool IsFileCode(std::uint8_t code)
{
    return code == TypeCode::UntypedFile || code == TypeCode::TypedFile || code == TypeCode::Text;
}

// A first argument naming a file variable: read it, and tell whether it is the keyboard or the
// screen (the predefined INPUT or OUTPUT). False, with nothing read, when the argument is no
// file variable.
bool ReadFileArgument(QbSyntaxe& driver, bool& console)
{
    QbTable& table = *driver.Table;
    const std::string name = driver.Lexer->TokenText();
    EntryNumber variable = 0;
    if (name.empty() || !driver.Lexer->IsIdentifierStart(name[0]) ||
        !table.Lookup(name, EntryKind::Variable, variable, driver.CurrentRoutine)) {
        return false;
    }
    if (!IsFileCode(driver.Data->Resolve(table.TypeKey(table.Link1(variable))).Code)) {
        return false;
    }
    std::vector<SignedArgument> arguments;
    driver.ParseSignedArguments("U", arguments);
    const bool predefined = table.Outermost(variable) != table.Outermost(driver.CurrentRoutine);
    console = predefined && (name == driver.Word(InputWord) || name == driver.Word(OutputWord));
    return true;
}

bool InTypeRange(QbSyntaxe& driver, std::uint16_t type, std::int32_t value)
{
    const QbGesdata::TypeInfo info = driver.Data->Resolve(type);
    if (info.Entry != 0) {
        return driver.Table->InRange(driver.Table->BaseType(info.Entry), value);
    }
    return QbTable::CodeHolds(info.Code, value);
}

bool IsIntegerCode(std::uint8_t code)
{
    return code >= TypeCode::Byte && code <= TypeCode::Longint;
}

// One argument of WRITE: expression [":" width [":" decimals]]; executing, its text is added.
void WriteArgument(QbSyntaxe& driver, std::string& text)
{
    const TypePair type = driver.ParseExpression();
    const std::uint8_t code = driver.Data->Resolve(type.Type).Code;
    const bool writable =
        code == TypeCode::Boolean || code == TypeCode::Char ||
        (code >= TypeCode::Byte && code <= TypeCode::String && code != TypeCode::Unused9);
    if (!writable) {
        driver.Errors->Raise(ErrorNumber::TypeExpressionNotWritable);
    }
    ValueField field = ReadField(driver, code);
    if (!driver.Execute) {
        return;
    }
    QbGesdata& data = *driver.Data;
    PopField(driver, field);
    const int width = field.Width;
    const int decimals = field.Decimals;
    const bool hasWidth = field.HasWidth;
    const bool hasDecimals = field.HasDecimals;
    std::string item;
    switch (code) {
    case TypeCode::Boolean:
        item = driver.Word(data.Acc.Integer != 0 ? PascalWord::True : PascalWord::False);
        break;
    case TypeCode::Char:
        item = std::string(1, static_cast<char>(data.Acc.Integer & 0xFF));
        break;
    case TypeCode::Real:
        if (hasDecimals) {
            text += ConsoleFormat::FixedReal(data.Acc.Real, width, decimals);
        } else if (hasWidth) {
            text += ConsoleFormat::ScientificReal(data.Acc.Real, width);
        } else {
            text += ConsoleFormat::DefaultReal(data.Acc.Real);
        }
        return;
    case TypeCode::String:
        item = data.Acc.Text();
        break;
    default:
        item = std::to_string(data.Acc.Integer);
        break;
    }
    text += hasWidth ? ConsoleFormat::PadField(item, width) : item;
}

// WRITE [ "(" [file ","] argument { "," argument } ")" ] and WRITELN likewise.
void WriteHandler(QbSyntaxe& driver, bool newLine)
{
    QbLexical& lexer = *driver.Lexer;
    bool console = true;
    std::string text;
    if (driver.Execute) {
        CheckPrefix(driver, OptionB::LimitScreen, driver.GetOptions().ScreenPrefix,
                    ErrorNumber::ScreenWritingRestricted);
    }
    if (lexer.AcceptSymbol("(")) {
        bool first = true;
        do {
            if (first && ReadFileArgument(driver, console)) {
                first = false;
                if (lexer.TokenText() != ",") {
                    break;
                }
                continue;
            }
            first = false;
            WriteArgument(driver, text);
        } while (lexer.AcceptSymbol(","));
        lexer.ExpectSymbol(")");
    }
    if (!driver.Execute) {
        return;
    }
    if (!console) {
        // Files of interpreted programs are not written by this build.
        driver.Data->Fail(ErrorNumber::NotImplemented);
    }
    if (newLine) {
        text += "\r\n";
    }
    ConsoleWrite(driver, text);
}

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// A typed integer: the 32-bit range; the variable's own range is checked when it is stored.
bool ParseInteger(const std::string& typed, std::int32_t& value)
{
    std::int64_t wide = 0;
    const auto fits = [](std::int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; };
    if (SystemRoutine::ScanIntegerText(Trimmed(typed), fits, wide) != 0) {
        return false;
    }
    value = static_cast<std::int32_t>(wide);
    return true;
}

bool ParseReal(const std::string& typed, double& value)
{
    std::string text = Trimmed(typed);
    if (!text.empty() && text[0] == '+') {
        text.erase(0, 1);
    }
    if (text.empty()) {
        return false;
    }
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end && std::isfinite(value);
}

// Reads one line from the keyboard for a variable of `type` at `address` and stores it.
void ReadVariable(QbSyntaxe& driver, std::uint16_t type, std::uint32_t address)
{
    QbGesdata& data = *driver.Data;
    std::string text;
    ConsoleHost* console = driver.Environment().Console;
    if (console == nullptr || !console->ReadLine(text)) {
        if (driver.Host().EscapePending()) {
            throw HaltExcept("escape");
        }
        data.Fail(ErrorNumber::InputOutputError);
    }
    const std::uint8_t code = data.Resolve(type).Code;
    switch (code) {
    case TypeCode::Char:
        data.Acc.SetInteger(text.empty() ? ' ' : static_cast<unsigned char>(text[0]));
        break;
    case TypeCode::String:
        data.Acc.SetText(text);
        break;
    case TypeCode::Real: {
        double value = 0.0;
        if (!ParseReal(text, value)) {
            data.Fail(ErrorNumber::ValueIncompatibleTypeData);
        }
        data.Acc.SetReal(value);
        break;
    }
    default: {
        std::int32_t value = 0;
        if (!ParseInteger(text, value)) {
            data.Fail(ErrorNumber::ValueIncompatibleTypeData);
        }
        if (driver.OptionC(OptionC::CheckOrdinalLimits) && !InTypeRange(driver, type, value)) {
            data.Fail(ErrorNumber::InvalidValue);
        }
        data.Acc.SetInteger(value);
        break;
    }
    }
    data.SetCurrentAddress(address);
    data.StoreValue(type);
}

// READ "(" [file ","] variable { "," variable } ")" and READLN [ "(" ... ")" ]. From the
// keyboard every variable takes one typed line.
void ReadHandler(QbSyntaxe& driver, bool line)
{
    QbLexical& lexer = *driver.Lexer;
    if (driver.Execute) {
        CheckPrefix(driver, OptionB::LimitKeyboard, driver.GetOptions().KeyboardPrefix,
                    ErrorNumber::KeyboardReadingRestricted);
    }
    bool console = true;
    int variables = 0;
    const bool parenthesised = line ? lexer.AcceptSymbol("(") : (lexer.ExpectSymbol("("), true);
    if (parenthesised) {
        bool first = true;
        do {
            if (first && ReadFileArgument(driver, console)) {
                first = false;
                if (lexer.TokenText() != ",") {
                    break;
                }
                continue;
            }
            first = false;
            std::vector<SignedArgument> arguments;
            driver.ParseSignedArguments("U", arguments);
            const std::uint16_t type = arguments.empty() ? 0 : arguments.front().Type;
            const std::uint8_t code = driver.Data->Resolve(type).Code;
            if (code == TypeCode::Pointer) {
                driver.Errors->Raise(ErrorNumber::TypeVariableNotAllowed);
            }
            if (code != TypeCode::Char && code != TypeCode::String && code != TypeCode::Real &&
                !IsIntegerCode(code)) {
                driver.Errors->Raise(ErrorNumber::TypeDataUnreadable);
            }
            ++variables;
            if (driver.Execute) {
                if (!console) {
                    driver.Data->Fail(ErrorNumber::NotImplemented);
                }
                ReadVariable(driver, type, arguments.front().Value);
            }
        } while (lexer.AcceptSymbol(","));
        lexer.ExpectSymbol(")");
    }
    if (!driver.Execute || !line) {
        return;
    }
    if (!console) {
        driver.Data->Fail(ErrorNumber::NotImplemented);
    }
    ConsoleHost* host = driver.Environment().Console;
    if (variables == 0 && host != nullptr) {
        // READLN alone waits for Return; at the end of the input there is nothing to wait for.
        std::string ignored;
        if (!host->ReadLine(ignored) && driver.Host().EscapePending()) {
            throw HaltExcept("escape");
        }
    }
    if (host != nullptr) {
        host->Echo("\r\n");
    }
}

// EXIT: leaves the current routine (the main program's body ends).
void ExitHandler(QbSyntaxe& driver)
{
    if (driver.Lexer->AcceptSymbol("(")) {
        driver.Lexer->ExpectSymbol(")");
    }
    if (driver.Execute) {
        throw GotoExcept("exit");
    }
}

// HALT [ "(" code ")" ]: ends the program with an exit code.
void HaltHandler(QbSyntaxe& driver)
{
    int code = 0;
    if (driver.Lexer->AcceptSymbol("(")) {
        std::vector<SignedArgument> arguments;
        driver.ParseSignedArguments("w)", arguments);
        if (!arguments.empty()) {
            code = static_cast<int>(arguments.front().Value & 0xFFFF);
        }
    }
    if (driver.Execute) {
        throw HaltExcept("halt", code);
    }
}

void Register(QbTable& table, EntryNumber unit, std::uint16_t word,
              const QbTable::RoutineHandler& handler, std::uint16_t count)
{
    const EntryNumber entry =
        table.DeclareRoutine(unit, word, handler, 0, EntryKind::Procedure, count);
    table.SetHandler(entry, handler);
}
} // namespace

void RegisterConsoleRoutines(QbTable& table, EntryNumber unit)
{
    Register(
        table, unit, PascalWord::Write,
        [](QbSyntaxe& driver, EntryNumber) { WriteHandler(driver, false); }, AnyCount);
    Register(
        table, unit, PascalWord::Writeln,
        [](QbSyntaxe& driver, EntryNumber) { WriteHandler(driver, true); }, AnyCount);
    Register(
        table, unit, PascalWord::Read,
        [](QbSyntaxe& driver, EntryNumber) { ReadHandler(driver, false); }, AnyCount);
    Register(
        table, unit, PascalWord::Readln,
        [](QbSyntaxe& driver, EntryNumber) { ReadHandler(driver, true); }, AnyCount);
    Register(
        table, unit, ExitWord, [](QbSyntaxe& driver, EntryNumber) { ExitHandler(driver); }, 0);
    Register(
        table, unit, HaltWord, [](QbSyntaxe& driver, EntryNumber) { HaltHandler(driver); }, 0);
}

void ConsoleWrite(QbSyntaxe& driver, const std::string& text)
{
    ConsoleHost* console = driver.Environment().Console;
    if (driver.Silent() || console == nullptr) {
        driver.OutputText += text;
    } else {
        console->Write(text);
    }
}

namespace ConsoleFormat {
std::string PadField(const std::string& text, int width)
{
    width = std::min(width, MaxWidth);
    const auto length = static_cast<int>(text.size());
    return width > length ? std::string(static_cast<std::size_t>(width - length), ' ') + text
                          : text;
}

namespace {
std::string Scientific(double value, int decimals)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*E", std::clamp(decimals, 1, 15), value);
    std::string text = buffer;
    if (!std::signbit(value)) {
        text.insert(text.begin(), ' ');
    }
    return text;
}
} // namespace

std::string DefaultReal(double value)
{
    return Scientific(value, 10);
}

std::string ScientificReal(double value, int width)
{
    // Sign, digit, point and a four-character exponent take 7 places.
    return PadField(Scientific(value, width - 7), width);
}

std::string FixedReal(double value, int width, int decimals)
{
    decimals = std::clamp(decimals, 0, MaxDecimals);
    const int size = std::snprintf(nullptr, 0, "%.*f", decimals, value);
    std::string text(static_cast<std::size_t>(std::max(size, 0)) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%.*f", decimals, value);
    text.resize(static_cast<std::size_t>(std::max(size, 0)));
    return PadField(text, width);
}
} // namespace ConsoleFormat

ValueField ReadField(QbSyntaxe& driver, std::uint8_t valueCode)
{
    QbLexical& lexer = *driver.Lexer;
    const auto readInteger = [&driver]() {
        const TypePair part = driver.ParseExpression();
        if (!IsIntegerCode(driver.Data->Resolve(part.Type).Code)) {
            driver.Errors->Raise(ErrorNumber::OperandRespectTypeParameter);
        }
    };
    ValueField field;
    if (lexer.AcceptSymbol(":")) {
        readInteger();
        field.HasWidth = true;
        if (lexer.AcceptSymbol(":")) {
            if (valueCode != TypeCode::Real) {
                driver.Errors->Raise(ErrorNumber::OperandRespectTypeParameter);
            }
            readInteger();
            field.HasDecimals = true;
        }
    }
    return field;
}

void PopField(QbSyntaxe& driver, ValueField& field)
{
    QbGesdata& data = *driver.Data;
    if (field.HasDecimals) {
        data.PopType();
        field.Decimals = data.Acc.Integer;
    }
    if (field.HasWidth) {
        data.PopType();
        field.Width = data.Acc.Integer;
    }
    data.PopType();
}
