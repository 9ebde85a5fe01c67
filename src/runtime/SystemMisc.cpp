// The System unit's other routines: RANDOM, RANDOMIZE, IORESULT, PARAMCOUNT, PARAMSTR,
// COMPLEXITY, QUERY, and the file and directory routines, whose arguments are checked but which
// this build cannot execute (error 240) until programs have file variables.
#include "runtime/SystemRoutines.h"

#include "lexical/QbLexical.h"
#include "runtime/QbGesdata.h"

#include <chrono>
#include <vector>

namespace {
using namespace SystemRoutine;

constexpr std::uint16_t Reset = 129;
constexpr std::uint16_t Rewrite = 130;
constexpr std::uint16_t Chdir = 137;
constexpr std::uint16_t Filepos = 138;
constexpr std::uint16_t Seekeof = 141;
constexpr std::uint16_t Eoln = 147;
constexpr std::uint16_t Flush = 148;
constexpr std::uint16_t Paramstr = 151;
constexpr std::uint16_t Truncate = 157;
constexpr std::uint16_t Blockread = 159;
constexpr std::uint16_t Close = 160;
constexpr std::uint16_t Ioresult = 167;
constexpr std::uint16_t Randomize = 172;
constexpr std::uint16_t Rename = 173;
constexpr std::uint16_t Rmdir = 174;
constexpr std::uint16_t Seek = 175;
constexpr std::uint16_t Seekeoln = 176;
constexpr std::uint16_t Settextbuf = 177;
constexpr std::uint16_t Append = 185;
constexpr std::uint16_t Assign = 186;
constexpr std::uint16_t Blockwrite = 187;
constexpr std::uint16_t Eof = 193;
constexpr std::uint16_t Erase = 194;
constexpr std::uint16_t Filesize = 196;
constexpr std::uint16_t Getdir = 198;
constexpr std::uint16_t Mkdir = 205;
constexpr std::uint16_t Paramcount = 208;
constexpr std::uint16_t Random = 211;
constexpr std::uint16_t Query = 213;
constexpr std::uint16_t Complexity = 215;
// The routine's Code bit telling that its complexity is measured.
constexpr std::uint8_t MeasuredFlag = 64;

bool IsFileCode(std::uint8_t code)
{
    return code == TypeCode::UntypedFile || code == TypeCode::TypedFile || code == TypeCode::Text;
}

// The next state of the generator: seed * 134775813 + 1, modulo 2^32.
std::uint32_t NextSeed(QbSyntaxe& driver)
{
    driver.RandomState = driver.RandomState * 134775813U + 1U;
    return driver.RandomState;
}

// RANDOM [ "(" n ")" ]: the next integer of 0..n-1 (WORD), or without n the next real of [0, 1).
void RandomHandler(QbSyntaxe& driver)
{
    std::vector<SignedArgument> arguments;
    const bool bounded = driver.Lexer->AcceptSymbol("(");
    if (bounded) {
        driver.ParseSignedArguments("w)", arguments);
    }
    SetResultType(driver, {bounded ? TypeCode::Word : TypeCode::Real, 0});
    if (!driver.Execute) {
        return;
    }
    const std::uint64_t seed = NextSeed(driver);
    if (bounded) {
        const std::uint64_t limit = arguments.empty() ? 0 : arguments.front().Value & 0xFFFF;
        PushInteger(driver, static_cast<std::int32_t>((seed * limit) >> 32), TypeCode::Word);
    } else {
        PushReal(driver, static_cast<double>(seed) / 4294967296.0);
    }
}

// RANDOMIZE [ "(" seed ")" ]: without a seed, the clock gives one, except under "Generate same
// series of random numbers", where the series must stay the one every run starts from.
void RandomizeHandler(QbSyntaxe& driver)
{
    std::vector<SignedArgument> arguments;
    if (driver.Lexer->AcceptSymbol("(")) {
        driver.ParseSignedArguments("w)", arguments);
    }
    if (!driver.Execute) {
        return;
    }
    if (!arguments.empty()) {
        driver.RandomState = arguments.front().Value & 0xFFFF;
    } else if (!driver.OptionB(OptionB::SameRandomSeries)) {
        const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
        driver.RandomState = static_cast<std::uint32_t>(ticks);
    }
}

// A routine without arguments (an empty "()" is accepted).
void NoArguments(QbSyntaxe& driver)
{
    if (driver.Lexer->AcceptSymbol("(")) {
        driver.Lexer->ExpectSymbol(")");
    }
}

void IoresultHandler(QbSyntaxe& driver)
{
    NoArguments(driver);
    if (driver.Execute) {
        // Every failing console operation stops the run, so the kept status is always 0.
        PushInteger(driver, 0, TypeCode::Word);
    }
}

// COMPLEXITY "(" integer ")": only in a program, once per routine; nothing is executed.
void ComplexityHandler(QbSyntaxe& driver)
{
    if (!driver.Execute) {
        QbTable& table = *driver.Table;
        const std::uint8_t code = table.Code(driver.CurrentRoutine);
        if (driver.UnitKind != 2 || (code & MeasuredFlag) != 0) {
            driver.Errors->Raise(ErrorNumber::MeasureComplexityAlreadyDeclaredProcedure);
        }
        table.SetCode(driver.CurrentRoutine, static_cast<std::uint8_t>(code | MeasuredFlag));
    }
    std::vector<SignedArgument> arguments;
    driver.ParseSignedArguments("(i)", arguments);
}

// The argument steps of the file and directory routines:
//   F a variable of a file type (77)        T a TEXT variable (78)
//   n a string name (70)                    w an expression compatible with WORD (65)
//   l an integer expression (65)            y an expression compatible with BYTE (65)
//   U any variable                          S a STRING variable (130)
//   [ the rest is optional, each part after its ","
// A routine whose signature begins with "[" may also be called without parentheses.
void FileArgument(QbSyntaxe& driver, char step, std::uint8_t& fileCode)
{
    std::vector<SignedArgument> arguments;
    switch (step) {
    case 'F':
    case 'T':
    case 'U':
    case 'S': {
        driver.ParseSignedArguments("U", arguments);
        const std::uint8_t code = CodeOf(driver, arguments.empty() ? 0 : arguments.front().Type);
        if (step == 'F' && !IsFileCode(code)) {
            driver.Errors->Raise(ErrorNumber::FileIdentifierExpected);
        }
        if (step == 'T' && code != TypeCode::Text) {
            driver.Errors->Raise(ErrorNumber::TextFileIdentifierExpected);
        }
        if (step == 'S' && code != TypeCode::String) {
            driver.Errors->Raise(ErrorNumber::StringIdentifierExpected);
        }
        if (step == 'F' || step == 'T') {
            fileCode = code;
        }
        break;
    }
    case 'n': {
        const TypePair type = ReadValue(driver);
        if (!IsTextCode(CodeOf(driver, type.Type))) {
            driver.Errors->Raise(ErrorNumber::ExpressionOftypeStringExpected);
        }
        break;
    }
    case 'l': {
        const TypePair type = ReadValue(driver);
        if (!IsIntegerCode(CodeOf(driver, type.Type))) {
            driver.Errors->Raise(ErrorNumber::OperandRespectTypeParameter);
        }
        break;
    }
    case 'r':
        // A record size, allowed only for an untyped file.
        if (fileCode != TypeCode::UntypedFile) {
            driver.Errors->Raise(ErrorNumber::FileUntyped);
        }
        driver.ParseSignedArguments("w", arguments);
        break;
    default:
        driver.ParseSignedArguments(std::string(1, step), arguments);
        break;
    }
}

void FileRoutine(QbSyntaxe& driver, const std::string& signature)
{
    QbLexical& lexer = *driver.Lexer;
    const bool optionalAll = !signature.empty() && signature.front() == '[';
    if (optionalAll ? !lexer.AcceptSymbol("(") : (lexer.ExpectSymbol("("), false)) {
        // Called without arguments: EOF of the keyboard is FALSE; the others need files.
        if (driver.Execute) {
            driver.Data->Fail(ErrorNumber::NotImplemented);
        }
        return;
    }
    std::uint8_t fileCode = 0;
    bool optional = false;
    bool first = true;
    for (const char step : signature) {
        if (step == '[') {
            optional = true;
            continue;
        }
        if (!first) {
            if (optional ? !lexer.AcceptSymbol(",") : (lexer.ExpectSymbol(","), false)) {
                break;
            }
        }
        first = false;
        FileArgument(driver, step, fileCode);
    }
    lexer.ExpectSymbol(")");
    if (driver.Execute) {
        driver.Data->Fail(ErrorNumber::NotImplemented);
    }
}

// EOF [ "(" file ")" ]: without a file, the keyboard, which never ends.
void EofHandler(QbSyntaxe& driver)
{
    if (driver.Lexer->TokenText() == "(") {
        FileRoutine(driver, "[F");
        return;
    }
    if (driver.Execute) {
        PushInteger(driver, 0, TypeCode::Boolean);
    }
}

// QUERY "(" request "," source "," database variable ")": checked only.
void QueryHandler(QbSyntaxe& driver)
{
    QbLexical& lexer = *driver.Lexer;
    lexer.ExpectSymbol("(");
    for (int i = 0; i < 2; ++i) {
        const TypePair type = ReadValue(driver);
        if (CodeOf(driver, type.Type) != TypeCode::String &&
            CodeOf(driver, type.Type) != TypeCode::Char) {
            driver.Errors->Raise(ErrorNumber::ExpressionOftypeStringExpected);
        }
        lexer.ExpectSymbol(",");
    }
    std::vector<SignedArgument> arguments;
    driver.ParseSignedArguments("U", arguments);
    if (CodeOf(driver, arguments.empty() ? 0 : arguments.front().Type) != TypeCode::Database) {
        driver.Errors->Raise(ErrorNumber::DatabaseTypeExpected);
    }
    lexer.ExpectSymbol(")");
    if (driver.Execute) {
        driver.Data->Fail(ErrorNumber::NotImplemented);
    }
}

void DeclareFile(QbTable& table, EntryNumber unit, std::uint16_t word, std::uint8_t result,
                 std::uint16_t count, const std::string& signature)
{
    Declare(table, unit, word, result, count,
            [signature](QbSyntaxe& driver, EntryNumber) { FileRoutine(driver, signature); });
}
} // namespace

void RegisterMiscRoutines(QbTable& table, EntryNumber unit)
{
    Declare(table, unit, Random, TypeCode::Word, Range(0, 1),
            [](QbSyntaxe& driver, EntryNumber) { RandomHandler(driver); });
    Declare(table, unit, Randomize, NoResult, Range(0, 1),
            [](QbSyntaxe& driver, EntryNumber) { RandomizeHandler(driver); });
    Declare(table, unit, Ioresult, TypeCode::Word, 0,
            [](QbSyntaxe& driver, EntryNumber) { IoresultHandler(driver); });
    Declare(table, unit, Paramcount, TypeCode::Word, 0, [](QbSyntaxe& driver, EntryNumber) {
        NoArguments(driver);
        if (driver.Execute) {
            driver.Data->Fail(ErrorNumber::NotImplemented);
        }
    });
    Declare(table, unit, Paramstr, TypeCode::String, 1, [](QbSyntaxe& driver, EntryNumber) {
        std::vector<SignedArgument> arguments;
        driver.ParseSignedArguments("(w)", arguments);
        if (driver.Execute) {
            driver.Data->Fail(ErrorNumber::NotImplemented);
        }
    });
    Declare(table, unit, Complexity, NoResult, 1,
            [](QbSyntaxe& driver, EntryNumber) { ComplexityHandler(driver); });
    Declare(table, unit, Query, TypeCode::Database, Range(1, 2),
            [](QbSyntaxe& driver, EntryNumber) { QueryHandler(driver); });
    Declare(table, unit, Eof, TypeCode::Boolean, Range(0, 1),
            [](QbSyntaxe& driver, EntryNumber) { EofHandler(driver); });

    DeclareFile(table, unit, Reset, NoResult, Range(1, 2), "F[r");
    DeclareFile(table, unit, Rewrite, NoResult, Range(1, 2), "F[r");
    DeclareFile(table, unit, Append, NoResult, 1, "T");
    DeclareFile(table, unit, Close, NoResult, 1, "F");
    DeclareFile(table, unit, Erase, NoResult, 1, "F");
    DeclareFile(table, unit, Truncate, NoResult, 1, "F");
    DeclareFile(table, unit, Flush, NoResult, 1, "T");
    DeclareFile(table, unit, Assign, NoResult, 2, "Fn");
    DeclareFile(table, unit, Rename, NoResult, 2, "Fn");
    DeclareFile(table, unit, Seek, NoResult, 2, "Fl");
    DeclareFile(table, unit, Settextbuf, NoResult, Range(2, 3), "TU[w");
    DeclareFile(table, unit, Blockread, NoResult, 3, "FUw[U");
    DeclareFile(table, unit, Blockwrite, NoResult, 4, "FUw[U");
    DeclareFile(table, unit, Filepos, TypeCode::Longint, 1, "F");
    DeclareFile(table, unit, Filesize, TypeCode::Longint, 1, "F");
    DeclareFile(table, unit, Eoln, TypeCode::Boolean, Range(0, 1), "[T");
    DeclareFile(table, unit, Seekeof, TypeCode::Boolean, 1, "[T");
    DeclareFile(table, unit, Seekeoln, TypeCode::Boolean, 1, "[T");
    DeclareFile(table, unit, Chdir, NoResult, 1, "n");
    DeclareFile(table, unit, Mkdir, NoResult, 1, "n");
    DeclareFile(table, unit, Rmdir, NoResult, 1, "n");
    DeclareFile(table, unit, Getdir, NoResult, 2, "yS");
}
