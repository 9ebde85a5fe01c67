// The System unit's ordinal routines: ORD, CHR, SUCC, PRED, ODD, HI, LO, SWAP, UPCASE, INC, DEC.
#include "runtime/SystemRoutines.h"

#include "lexical/QbLexical.h"
#include "runtime/QbGesdata.h"

#include <vector>

namespace {
using namespace SystemRoutine;

constexpr std::uint16_t Swap = 132;
constexpr std::uint16_t Odd = 134;
constexpr std::uint16_t Hi = 166;
constexpr std::uint16_t Ord = 170;
constexpr std::uint16_t Succ = 181;
constexpr std::uint16_t Upcase = 183;
constexpr std::uint16_t Chr = 188;
constexpr std::uint16_t Dec = 191;
constexpr std::uint16_t Inc = 200;
constexpr std::uint16_t Lo = 203;
constexpr std::uint16_t Pred = 210;

// "(" expression ")" checked by a signature step ("i", "w" or "y"); returns its type and, when
// executing, its value.
SignedArgument CheckedArgument(QbSyntaxe& driver, char step)
{
    std::vector<SignedArgument> arguments;
    driver.ParseSignedArguments(std::string("(") + step + ")", arguments);
    return arguments.empty() ? SignedArgument{} : arguments.front();
}

void OrdHandler(QbSyntaxe& driver)
{
    const TypePair type = ReadOnlyArgument(driver);
    if (!IsOrdinalCode(CodeOf(driver, type.Type))) {
        driver.Errors->Raise(ErrorNumber::TypeOperandIncompatibleParameterFunction);
    }
    if (driver.Execute) {
        PushInteger(driver, driver.Data->Acc.Integer, TypeCode::Longint);
    }
}

void ChrHandler(QbSyntaxe& driver)
{
    const SignedArgument argument = CheckedArgument(driver, 'y');
    if (driver.Execute) {
        PushInteger(driver, static_cast<std::int32_t>(argument.Value & 0xFF), TypeCode::Char);
    }
}

// SUCC and PRED: the next or previous value, of the argument's type, without a range check.
void StepHandler(QbSyntaxe& driver, std::int32_t step)
{
    const TypePair type = ReadOnlyArgument(driver);
    if (!IsOrdinalCode(CodeOf(driver, type.Type))) {
        driver.Errors->Raise(ErrorNumber::TypeOperandIncompatibleParameterFunction);
    }
    SetResultType(driver, type);
    if (driver.Execute) {
        const auto value = static_cast<std::uint32_t>(driver.Data->Acc.Integer);
        PushInteger(driver, static_cast<std::int32_t>(value + static_cast<std::uint32_t>(step)),
                    type.Type);
    }
}

void OddHandler(QbSyntaxe& driver)
{
    const SignedArgument argument = CheckedArgument(driver, 'i');
    if (driver.Execute) {
        PushInteger(driver, static_cast<std::int32_t>(argument.Value & 1), TypeCode::Boolean);
    }
}

void ByteHandler(QbSyntaxe& driver, int shift)
{
    const SignedArgument argument = CheckedArgument(driver, 'i');
    if (driver.Execute) {
        PushInteger(driver, static_cast<std::int32_t>((argument.Value >> shift) & 0xFF),
                    TypeCode::Byte);
    }
}

// SWAP: the two bytes of the low 16 bits exchanged, the higher bits of a LONGINT kept.
void SwapHandler(QbSyntaxe& driver)
{
    const SignedArgument argument = CheckedArgument(driver, 'w');
    // A byte's swap no longer fits a byte: it is a WORD.
    const std::uint8_t argumentCode = CodeOf(driver, argument.Type);
    const std::uint8_t code = argumentCode == TypeCode::Integer || argumentCode == TypeCode::Longint
                                  ? argumentCode
                                  : TypeCode::Word;
    SetResultType(driver, {code, 0});
    if (!driver.Execute) {
        return;
    }
    const std::uint32_t value = argument.Value;
    const std::uint32_t swapped =
        (value & 0xFFFF0000U) | ((value & 0xFFU) << 8) | ((value >> 8) & 0xFFU);
    std::int32_t result = static_cast<std::int32_t>(swapped);
    if (code == TypeCode::Integer) {
        result = static_cast<std::int16_t>(swapped & 0xFFFF);
    } else if (code != TypeCode::Longint) {
        result = static_cast<std::int32_t>(swapped & 0xFFFF);
    }
    PushInteger(driver, result, code);
}

void UpcaseHandler(QbSyntaxe& driver)
{
    const TypePair type = ReadOnlyArgument(driver);
    if (CodeOf(driver, type.Type) != TypeCode::Char) {
        driver.Errors->Raise(ErrorNumber::CharacterTypeExpected);
    }
    if (driver.Execute) {
        std::int32_t value = driver.Data->Acc.Integer & 0xFF;
        if (value >= 'a' && value <= 'z') {
            value -= 'a' - 'A';
        }
        PushInteger(driver, value, TypeCode::Char);
    }
}

// The functions above repeated by a plan, their argument on the evaluation stack.
void OrdApply(QbSyntaxe& driver, int, std::uint16_t)
{
    PushInteger(driver, PopInteger(driver), TypeCode::Longint);
}

void ChrApply(QbSyntaxe& driver, int, std::uint16_t)
{
    PushInteger(driver, PopInteger(driver) & 0xFF, TypeCode::Char);
}

template <int Step> void StepApply(QbSyntaxe& driver, int, std::uint16_t result)
{
    const auto value = static_cast<std::uint32_t>(PopInteger(driver));
    PushInteger(driver, static_cast<std::int32_t>(value + static_cast<std::uint32_t>(Step)),
                result);
}

void OddApply(QbSyntaxe& driver, int, std::uint16_t)
{
    PushInteger(driver, PopInteger(driver) & 1, TypeCode::Boolean);
}

template <int Shift> void ByteApply(QbSyntaxe& driver, int, std::uint16_t)
{
    PushInteger(driver,
                static_cast<std::int32_t>(
                    (static_cast<std::uint32_t>(PopInteger(driver)) >> Shift) & 0xFFU),
                TypeCode::Byte);
}

void UpcaseApply(QbSyntaxe& driver, int, std::uint16_t)
{
    std::int32_t value = PopInteger(driver) & 0xFF;
    if (value >= 'a' && value <= 'z') {
        value -= 'a' - 'A';
    }
    PushInteger(driver, value, TypeCode::Char);
}

// INC and DEC: "(" integer variable [ "," integer amount ] ")". The variable is loaded, changed
// and stored; with "Verify limits of ordinal types" a result outside its type is error 224,
// otherwise the value wraps as the variable's storage holds it.
void IncrementHandler(QbSyntaxe& driver, std::int64_t direction)
{
    QbLexical& lexer = *driver.Lexer;
    lexer.ExpectSymbol("(");
    std::vector<SignedArgument> arguments;
    driver.ParseSignedArguments("U", arguments);
    const std::uint16_t type = arguments.empty() ? 0 : arguments.front().Type;
    if (!IsIntegerCode(CodeOf(driver, type))) {
        driver.Errors->Raise(ErrorNumber::TypeNotCompatible);
    }
    const std::uint32_t address = arguments.empty() ? 0 : arguments.front().Value;
    std::int64_t amount = 1;
    if (lexer.AcceptSymbol(",")) {
        const TypePair amountType = ReadValue(driver);
        if (!IsIntegerCode(CodeOf(driver, amountType.Type))) {
            driver.Errors->Raise(ErrorNumber::TypeNotCompatible);
        }
        if (driver.Execute) {
            amount = driver.Data->Acc.Integer;
        }
    }
    lexer.ExpectSymbol(")");
    if (!driver.Execute) {
        return;
    }
    QbGesdata& data = *driver.Data;
    data.SetCurrentAddress(address);
    data.LoadValue(type);
    const std::int64_t result = static_cast<std::int64_t>(data.Acc.Integer) + direction * amount;
    if (driver.OptionC(OptionC::CheckOrdinalLimits) && !FitsType(driver, type, result)) {
        data.Fail(ErrorNumber::InvalidValue);
    }
    data.Acc.SetInteger(static_cast<std::int32_t>(static_cast<std::uint32_t>(result)));
    data.SetCurrentAddress(address);
    data.StoreValue(type);
}
} // namespace

void RegisterOrdinalRoutines(QbTable& table, EntryNumber unit)
{
    Declare(
        table, unit, Ord, TypeCode::Longint, 1,
        [](QbSyntaxe& driver, EntryNumber) { OrdHandler(driver); }, OrdApply);
    Declare(
        table, unit, Chr, TypeCode::Char, 1,
        [](QbSyntaxe& driver, EntryNumber) { ChrHandler(driver); }, ChrApply);
    Declare(
        table, unit, Succ, TypeCode::Char, 1,
        [](QbSyntaxe& driver, EntryNumber) { StepHandler(driver, 1); }, StepApply<1>);
    Declare(
        table, unit, Pred, TypeCode::Char, 1,
        [](QbSyntaxe& driver, EntryNumber) { StepHandler(driver, -1); }, StepApply<-1>);
    Declare(
        table, unit, Odd, TypeCode::Boolean, 1,
        [](QbSyntaxe& driver, EntryNumber) { OddHandler(driver); }, OddApply);
    Declare(
        table, unit, Hi, TypeCode::Byte, 1,
        [](QbSyntaxe& driver, EntryNumber) { ByteHandler(driver, 8); }, ByteApply<8>);
    Declare(
        table, unit, Lo, TypeCode::Byte, 1,
        [](QbSyntaxe& driver, EntryNumber) { ByteHandler(driver, 0); }, ByteApply<0>);
    Declare(table, unit, Swap, TypeCode::Word, 1,
            [](QbSyntaxe& driver, EntryNumber) { SwapHandler(driver); });
    Declare(
        table, unit, Upcase, TypeCode::Char, 1,
        [](QbSyntaxe& driver, EntryNumber) { UpcaseHandler(driver); }, UpcaseApply);
    Declare(table, unit, Inc, NoResult, Range(1, 2),
            [](QbSyntaxe& driver, EntryNumber) { IncrementHandler(driver, 1); });
    Declare(table, unit, Dec, NoResult, Range(1, 2),
            [](QbSyntaxe& driver, EntryNumber) { IncrementHandler(driver, -1); });
}
