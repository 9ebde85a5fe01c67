// The System unit's arithmetic functions (ABS, SQR, SQRT, LN, EXP, SIN, COS, ARCTAN, FRAC, INT,
// TRUNC, ROUND, PI) and the helpers every group of predefined routines shares.
#include "runtime/SystemRoutines.h"

#include "frontend/QbPascalSyntaxe.h"
#include "lexical/QbLexical.h"
#include "runtime/QbGesdata.h"

#include <cctype>
#include <cmath>
#include <numbers>

namespace SystemRoutine {
void Declare(QbTable& table, EntryNumber unit, std::uint16_t word, std::uint8_t result,
             std::uint16_t count, const QbTable::RoutineHandler& handler,
             QbTable::RoutineApply apply)
{
    const EntryKind kind = result == NoResult ? EntryKind::Procedure : EntryKind::Function;
    const EntryNumber entry = table.DeclareRoutine(
        unit, word, handler, kind == EntryKind::Procedure ? 0 : result, kind, count);
    if (entry != 0) {
        table.SetHandler(entry, handler);
        table.SetApply(entry, apply);
    }
}

std::uint8_t CodeOf(QbSyntaxe& driver, std::uint16_t type)
{
    return driver.Data->Resolve(type).Code;
}

bool IsIntegerCode(std::uint8_t code)
{
    return code >= TypeCode::Byte && code <= TypeCode::Longint;
}

bool IsOrdinalCode(std::uint8_t code)
{
    return code <= TypeCode::Longint;
}

bool IsTextCode(std::uint8_t code)
{
    return code == TypeCode::Char || code == TypeCode::String;
}

TypePair ReadValue(QbSyntaxe& driver)
{
    const TypePair type = driver.ParseExpression();
    if (driver.Execute) {
        driver.Data->PopType();
    }
    return type;
}

TypePair ReadOnlyArgument(QbSyntaxe& driver)
{
    driver.Lexer->ExpectSymbol("(");
    const TypePair type = ReadValue(driver);
    driver.Lexer->ExpectSymbol(")");
    return type;
}

void SetResultType(QbSyntaxe& driver, TypePair type)
{
    if (auto* pascal = dynamic_cast<QbPascalSyntaxe*>(&driver)) {
        pascal->ExpressionType = type;
    }
}

void PushInteger(QbSyntaxe& driver, std::int32_t value, std::uint16_t type)
{
    driver.Data->Acc.SetInteger(value);
    driver.Data->Push(type);
}

void PushReal(QbSyntaxe& driver, double value)
{
    driver.Data->Acc.SetReal(value);
    driver.Data->Push(TypeCode::Real);
}

void PushText(QbSyntaxe& driver, const std::string& text)
{
    driver.Data->Acc.SetText(text);
    driver.Data->Push(TypeCode::String);
}

std::int32_t PopInteger(QbSyntaxe& driver)
{
    driver.Data->PopType();
    return driver.Data->Acc.Integer;
}

std::string PopText(QbSyntaxe& driver)
{
    driver.Data->PopType();
    return driver.Data->Acc.Text();
}

bool FitsType(QbSyntaxe& driver, std::uint16_t type, std::int64_t value)
{
    if (value < INT32_MIN || value > INT32_MAX) {
        return false;
    }
    const QbGesdata::TypeInfo info = driver.Data->Resolve(type);
    if (info.Entry != 0 && !driver.Table->InRange(driver.Table->BaseType(info.Entry),
                                                  static_cast<std::int32_t>(value))) {
        return false;
    }
    return QbTable::CodeHolds(info.Code, static_cast<std::int32_t>(value));
}
std::size_t ScanIntegerText(const std::string& text, const std::function<bool(std::int64_t)>& fits,
                            std::int64_t& value)
{
    std::size_t at = 0;
    while (at < text.size() && text[at] == ' ') {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    int base = 10;
    if (at < text.size() && text[at] == '$') {
        base = 16;
        ++at;
    }
    if (at >= text.size()) {
        return at + 1;
    }
    std::int64_t magnitude = 0;
    for (; at < text.size(); ++at) {
        const auto ch = static_cast<unsigned char>(text[at]);
        int digit = -1;
        if (std::isdigit(ch) != 0) {
            digit = ch - '0';
        } else if (base == 16 && std::isxdigit(ch) != 0) {
            digit = std::toupper(ch) - 'A' + 10;
        }
        if (digit < 0) {
            return at + 1;
        }
        magnitude = magnitude * base + digit;
        if (magnitude > 0xFFFFFFFFLL || !fits(negative ? -magnitude : magnitude)) {
            return at + 1;
        }
    }
    value = negative ? -magnitude : magnitude;
    return 0;
}
} // namespace SystemRoutine

namespace {
using namespace SystemRoutine;

constexpr std::uint16_t Sin = 135;
constexpr std::uint16_t Ln = 139;
constexpr std::uint16_t Sqrt = 142;
constexpr std::uint16_t Arctan = 145;
constexpr std::uint16_t Round = 153;
constexpr std::uint16_t Sqr = 179;
constexpr std::uint16_t Trunc = 182;
constexpr std::uint16_t Abs = 184;
constexpr std::uint16_t Cos = 190;
constexpr std::uint16_t Exp = 195;
constexpr std::uint16_t Frac = 197;
constexpr std::uint16_t Int = 201;
constexpr std::uint16_t Pi = 209;

// The accumulator's value as a real, for an argument of `code`.
double RealValue(const QbGesdata& data, std::uint8_t code)
{
    return code == TypeCode::Real ? data.Acc.Real : static_cast<double>(data.Acc.Integer);
}

// A real turned into a LONGINT: a value outside its range (or not a number) is no LONGINT.
std::int32_t ToLongint(QbSyntaxe& driver, double value)
{
    if (!(value >= -2147483648.0 && value <= 2147483647.0)) {
        driver.Data->Fail(ErrorNumber::InvalidValue);
    }
    return static_cast<std::int32_t>(value);
}

// Nearest integer, ties to the even neighbour (2.5 gives 2, 3.5 gives 4).
double RoundHalfEven(double value)
{
    const double lower = std::floor(value);
    const double difference = value - lower;
    if (difference > 0.5) {
        return lower + 1.0;
    }
    if (difference < 0.5) {
        return lower;
    }
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

// ABS: integers and reals, with the argument's type.
void AbsHandler(QbSyntaxe& driver)
{
    const TypePair type = ReadOnlyArgument(driver);
    const std::uint8_t code = CodeOf(driver, type.Type);
    if (!IsIntegerCode(code) && code != TypeCode::Real) {
        driver.Errors->Raise(ErrorNumber::TypeExpressionIncompatibleTypeParameter);
    }
    const TypePair result = {code, 0};
    SetResultType(driver, result);
    if (!driver.Execute) {
        return;
    }
    QbGesdata& data = *driver.Data;
    if (code == TypeCode::Real) {
        PushReal(driver, std::fabs(data.Acc.Real));
    } else {
        const std::int64_t value = std::llabs(static_cast<std::int64_t>(data.Acc.Integer));
        PushInteger(driver, static_cast<std::int32_t>(static_cast<std::uint32_t>(value)), code);
    }
}

// SQR: the square of an integer (32-bit arithmetic) or a real; booleans and enumerations pass
// unchanged.
void SqrHandler(QbSyntaxe& driver)
{
    const TypePair type = ReadOnlyArgument(driver);
    const std::uint8_t code = CodeOf(driver, type.Type);
    const bool passes = code == TypeCode::Boolean || code == TypeCode::Enumerated;
    if (!IsIntegerCode(code) && code != TypeCode::Real && !passes) {
        driver.Errors->Raise(ErrorNumber::TypeOperandIncompatibleParameterFunction);
    }
    const TypePair result = passes ? type : TypePair{code, 0};
    SetResultType(driver, result);
    if (!driver.Execute) {
        return;
    }
    QbGesdata& data = *driver.Data;
    if (code == TypeCode::Real) {
        PushReal(driver, data.Acc.Real * data.Acc.Real);
    } else if (passes) {
        PushInteger(driver, data.Acc.Integer, type.Type);
    } else {
        const auto value = static_cast<std::uint32_t>(data.Acc.Integer);
        PushInteger(driver, static_cast<std::int32_t>(value * value), code);
    }
}

enum class Domain
{
    Any,
    NotNegative, // SQRT
    Positive     // LN
};

// A function of one numeric argument with a REAL result. `ordinals` also admits booleans and
// enumerations (SQRT, LN); `refused` is the error for another argument.
void RealFunction(QbSyntaxe& driver, double (*compute)(double), bool ordinals, Domain domain,
                  ErrorNumber refused)
{
    const TypePair type = ReadOnlyArgument(driver);
    const std::uint8_t code = CodeOf(driver, type.Type);
    const bool admitted = IsIntegerCode(code) || code == TypeCode::Real ||
                          (ordinals && (code == TypeCode::Boolean || code == TypeCode::Enumerated));
    if (!admitted) {
        driver.Errors->Raise(refused);
    }
    if (!driver.Execute) {
        return;
    }
    const double value = RealValue(*driver.Data, code);
    if ((domain == Domain::NotNegative && value < 0.0) ||
        (domain == Domain::Positive && !(value > 0.0))) {
        driver.Data->Fail(ErrorNumber::ArgumentIncompatibleDomainDefinitionFunction);
    }
    PushReal(driver, compute(value));
}

double SinOf(double x)
{
    return std::sin(x);
}
double CosOf(double x)
{
    return std::cos(x);
}
double ArctanOf(double x)
{
    return std::atan(x);
}
double ExpOf(double x)
{
    return std::exp(x);
}
double SqrtOf(double x)
{
    return std::sqrt(x);
}
double LnOf(double x)
{
    return std::log(x);
}
double FracOf(double x)
{
    return x - std::trunc(x);
}

// INT: the integer part of a REAL, as a REAL.
void IntHandler(QbSyntaxe& driver)
{
    const TypePair type = ReadOnlyArgument(driver);
    if (CodeOf(driver, type.Type) != TypeCode::Real) {
        driver.Errors->Raise(ErrorNumber::TypeOperandIncompatibleParameterFunction);
    }
    if (driver.Execute) {
        PushReal(driver, std::trunc(driver.Data->Acc.Real));
    }
}

// TRUNC: an ordinal (not CHAR) unchanged or a REAL truncated toward zero, as LONGINT.
void TruncHandler(QbSyntaxe& driver)
{
    const TypePair type = ReadOnlyArgument(driver);
    const std::uint8_t code = CodeOf(driver, type.Type);
    if ((!IsOrdinalCode(code) || code == TypeCode::Char) && code != TypeCode::Real) {
        driver.Errors->Raise(ErrorNumber::TypeOperandIncompatibleParameterFunction);
    }
    if (!driver.Execute) {
        return;
    }
    const std::int32_t value = code == TypeCode::Real
                                   ? ToLongint(driver, std::trunc(driver.Data->Acc.Real))
                                   : driver.Data->Acc.Integer;
    PushInteger(driver, value, TypeCode::Longint);
}

// ROUND: a REAL to the nearest LONGINT, ties to even.
void RoundHandler(QbSyntaxe& driver)
{
    const TypePair type = ReadOnlyArgument(driver);
    if (CodeOf(driver, type.Type) != TypeCode::Real) {
        driver.Errors->Raise(ErrorNumber::TypeOperandIncompatibleParameterFunction);
    }
    if (driver.Execute) {
        PushInteger(driver, ToLongint(driver, RoundHalfEven(driver.Data->Acc.Real)),
                    TypeCode::Longint);
    }
}

void PiHandler(QbSyntaxe& driver)
{
    if (driver.Lexer->AcceptSymbol("(")) {
        driver.Lexer->ExpectSymbol(")");
    }
    if (driver.Execute) {
        PushReal(driver, std::numbers::pi);
    }
}

// The functions above repeated by a plan, their argument on the evaluation stack; `result` is
// the type the call gave.
void AbsApply(QbSyntaxe& driver, int, std::uint16_t result)
{
    driver.Data->PopType();
    const QbGesdata& data = *driver.Data;
    if (CodeOf(driver, result) == TypeCode::Real) {
        PushReal(driver, std::fabs(data.Acc.Real));
    } else {
        const std::int64_t value = std::llabs(static_cast<std::int64_t>(data.Acc.Integer));
        PushInteger(driver, static_cast<std::int32_t>(static_cast<std::uint32_t>(value)),
                    CodeOf(driver, result));
    }
}

void SqrApply(QbSyntaxe& driver, int, std::uint16_t result)
{
    driver.Data->PopType();
    const QbGesdata& data = *driver.Data;
    const std::uint8_t code = CodeOf(driver, result);
    if (code == TypeCode::Real) {
        PushReal(driver, data.Acc.Real * data.Acc.Real);
    } else if (code == TypeCode::Boolean || code == TypeCode::Enumerated) {
        PushInteger(driver, data.Acc.Integer, result);
    } else {
        const auto value = static_cast<std::uint32_t>(data.Acc.Integer);
        PushInteger(driver, static_cast<std::int32_t>(value * value), code);
    }
}

template <double (*Compute)(double), Domain Kept>
void RealApply(QbSyntaxe& driver, int, std::uint16_t)
{
    const std::uint8_t code = CodeOf(driver, driver.Data->PopType());
    const double value = RealValue(*driver.Data, code);
    if ((Kept == Domain::NotNegative && value < 0.0) ||
        (Kept == Domain::Positive && !(value > 0.0))) {
        driver.Data->Fail(ErrorNumber::ArgumentIncompatibleDomainDefinitionFunction);
    }
    PushReal(driver, Compute(value));
}

void IntApply(QbSyntaxe& driver, int, std::uint16_t)
{
    driver.Data->PopType();
    PushReal(driver, std::trunc(driver.Data->Acc.Real));
}

void TruncApply(QbSyntaxe& driver, int, std::uint16_t)
{
    const std::uint8_t code = CodeOf(driver, driver.Data->PopType());
    const std::int32_t value = code == TypeCode::Real
                                   ? ToLongint(driver, std::trunc(driver.Data->Acc.Real))
                                   : driver.Data->Acc.Integer;
    PushInteger(driver, value, TypeCode::Longint);
}

void RoundApply(QbSyntaxe& driver, int, std::uint16_t)
{
    driver.Data->PopType();
    PushInteger(driver, ToLongint(driver, RoundHalfEven(driver.Data->Acc.Real)), TypeCode::Longint);
}

template <double (*Compute)(double), Domain Kept>
void DeclareReal(QbTable& table, EntryNumber unit, std::uint16_t word, bool ordinals,
                 ErrorNumber refused)
{
    Declare(
        table, unit, word, TypeCode::Real, 1,
        [ordinals, refused](QbSyntaxe& driver, EntryNumber) {
            RealFunction(driver, Compute, ordinals, Kept, refused);
        },
        RealApply<Compute, Kept>);
}
} // namespace

void RegisterMathRoutines(QbTable& table, EntryNumber unit)
{
    const ErrorNumber operand = ErrorNumber::TypeOperandIncompatibleParameterFunction;
    Declare(
        table, unit, Abs, TypeCode::Integer, 1,
        [](QbSyntaxe& driver, EntryNumber) { AbsHandler(driver); }, AbsApply);
    Declare(
        table, unit, Sqr, TypeCode::Integer, 1,
        [](QbSyntaxe& driver, EntryNumber) { SqrHandler(driver); }, SqrApply);
    DeclareReal<SqrtOf, Domain::NotNegative>(table, unit, Sqrt, true, operand);
    DeclareReal<LnOf, Domain::Positive>(table, unit, Ln, true,
                                        ErrorNumber::OperandRespectTypeParameter);
    DeclareReal<SinOf, Domain::Any>(table, unit, Sin, false, operand);
    DeclareReal<CosOf, Domain::Any>(table, unit, Cos, false, operand);
    DeclareReal<ArctanOf, Domain::Any>(table, unit, Arctan, false, operand);
    DeclareReal<ExpOf, Domain::Any>(table, unit, Exp, false, operand);
    DeclareReal<FracOf, Domain::Any>(table, unit, Frac, false, operand);
    Declare(
        table, unit, Int, TypeCode::Real, 1,
        [](QbSyntaxe& driver, EntryNumber) { IntHandler(driver); }, IntApply);
    Declare(
        table, unit, Trunc, TypeCode::Longint, 1,
        [](QbSyntaxe& driver, EntryNumber) { TruncHandler(driver); }, TruncApply);
    Declare(
        table, unit, Round, TypeCode::Longint, 1,
        [](QbSyntaxe& driver, EntryNumber) { RoundHandler(driver); }, RoundApply);
    Declare(table, unit, Pi, TypeCode::Real, 0,
            [](QbSyntaxe& driver, EntryNumber) { PiHandler(driver); });
}
