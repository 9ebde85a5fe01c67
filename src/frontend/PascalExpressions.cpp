// Pascal expressions: precedence levels, operators and their type rules, set constructors and
// the factors that start with a name.
#include "frontend/QbPascalSyntaxe.h"

#include "frontend/PascalOpcodes.h"
#include "frontend/PascalWords.h"
#include "lexical/QbLexical.h"
#include "runtime/QbGesdata.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
// Execute switched off for the text read while the object lives (a right operand that the left
// one already decided); restored on every way out.
class ExecuteSuspended
{
  public:
    explicit ExecuteSuspended(bool& execute) : flag(execute), saved(execute) { flag = false; }
    ~ExecuteSuspended() { flag = saved; }
    ExecuteSuspended(const ExecuteSuspended&) = delete;
    ExecuteSuspended& operator=(const ExecuteSuspended&) = delete;

  private:
    bool& flag;
    bool saved;
};

bool IsIntegerCode(std::uint8_t code)
{
    return code >= TypeCode::Byte && code <= TypeCode::Longint;
}

bool IsNumericCode(std::uint8_t code)
{
    return IsIntegerCode(code) || code == TypeCode::Real;
}

bool IsTextualCode(std::uint8_t code)
{
    return code == TypeCode::Char || code == TypeCode::String;
}

// The comparison code of the CMP instruction for each relational operator of Operate.
int ComparisonCode(Operator op)
{
    switch (op) {
    case Operator::LessEqual:
        return 6;
    case Operator::NotEqual:
        return 5;
    case Operator::Equal:
        return 2;
    case Operator::Less:
        return 4;
    case Operator::GreaterEqual:
        return 3;
    default:
        return 1;
    }
}
} // namespace

void ParseDepthGuard::TooDeep()
{
    // The destructor of a guard whose constructor throws never runs.
    --driver.ParseDepth;
    driver.Errors->Raise(ErrorNumber::NestingTooDeep);
}

// ---------------------------------------------------------------------------------------------
// Types as the expression readers carry them

bool QbPascalSyntaxe::IsTypeEntry(std::uint16_t type) const
{
    // Values up to the last type code are codes; the data manager reads them the same way.
    return type > TypeCode::AbstractClass && type != TypeCode::Undeclared &&
           Table->Kind(type) == EntryKind::Type;
}

std::uint16_t QbPascalSyntaxe::NormalType(std::uint16_t type) const
{
    // A type entry of the table: the predefined types live at low entry numbers, which the
    // readers would take for type codes, so they become their codes here.
    if (!IsTypeEntry(type)) {
        return Table->TypeKey(type);
    }
    const bool predefined = type >= Table->PredefTypesStart() && type < Table->PredefTypesEnd();
    return predefined ? Table->Code(type) : type;
}

std::uint8_t QbPascalSyntaxe::BaseCode(std::uint16_t type) const
{
    if (!IsTypeEntry(type)) {
        return static_cast<std::uint8_t>(type);
    }
    const EntryNumber base = Table->BaseType(type);
    const std::uint8_t code = Table->Code(base);
    if (code == TypeCode::Subrange) {
        return static_cast<std::uint8_t>(Table->Aux(base) & 0xFF);
    }
    return code;
}

std::uint16_t QbPascalSyntaxe::ElementKind(std::uint16_t type) const
{
    constexpr std::uint16_t NotOrdinal = 0xFFFE;
    const std::uint8_t code = BaseCode(type);
    if (IsIntegerCode(code)) {
        return TypeCode::Byte;
    }
    if (code == TypeCode::Boolean || code == TypeCode::Char) {
        return code;
    }
    if (code != TypeCode::Enumerated) {
        return NotOrdinal;
    }
    // An enumeration is its own kind. A subrange of one does not say which enumeration it
    // comes from unless its Owner is that enumeration.
    EntryNumber base = IsTypeEntry(type) ? Table->BaseType(type) : 0;
    if (base != 0 && Table->Code(base) == TypeCode::Subrange) {
        const EntryNumber host = Table->Owner(base);
        const bool enumeration =
            Table->Kind(host) == EntryKind::Type && Table->Code(host) == TypeCode::Enumerated;
        base = enumeration ? host : 0;
    }
    return base != 0 ? base : TypeCode::Enumerated;
}

bool QbPascalSyntaxe::ElementsMatch(std::uint16_t a, std::uint16_t b) const
{
    if (a == b || a == AnyElement || b == AnyElement) {
        return true;
    }
    // A subrange of an enumeration does not name its enumeration: it goes with every one.
    const auto enumeration = [this](std::uint16_t kind) {
        return kind == TypeCode::Enumerated || IsTypeEntry(kind);
    };
    return (a == TypeCode::Enumerated && enumeration(b)) ||
           (b == TypeCode::Enumerated && enumeration(a));
}

std::uint16_t QbPascalSyntaxe::SetElement(TypePair type) const
{
    if (!IsTypeEntry(type.Type)) {
        return type.Subtype;
    }
    const EntryNumber base = Table->BaseType(type.Type);
    const EntryNumber element = Table->Link1(base);
    return element != 0 ? ElementKind(NormalType(element)) : type.Subtype;
}

bool QbPascalSyntaxe::FitsType(std::uint16_t type, std::int32_t value) const
{
    if (IsTypeEntry(type)) {
        return Table->InRange(type, value);
    }
    return QbTable::CodeHolds(static_cast<std::uint8_t>(type), value);
}

bool QbPascalSyntaxe::SameType(std::uint16_t a, std::uint16_t b) const
{
    const auto resolved = [this](std::uint16_t type) {
        return IsTypeEntry(type) ? NormalType(Table->BaseType(type)) : type;
    };
    return resolved(a) == resolved(b);
}

// ---------------------------------------------------------------------------------------------
// Values and code

void QbPascalSyntaxe::PushValue(std::uint16_t type)
{
    if (Execute) {
        const std::uint8_t code = BaseCode(type);
        if (PlannableValue(code)) {
            PlanStep step;
            step.What = PlanStep::Kind::Constant;
            step.Type = type;
            step.Integer = Data->Acc.Integer;
            step.Real = Data->Acc.Real;
            step.Text[0] = Data->Acc.String[0];
            step.Text[1] = Data->Acc.String[1];
            if (code == TypeCode::String && Data->Acc.String[0] > 1 && Recording != nullptr) {
                Recording->Texts.push_back(Data->Acc.Text());
                step.Count = static_cast<std::int32_t>(Recording->Texts.size());
            }
            RecordStep(step);
        } else {
            AbandonPlan();
        }
        Data->Push(type);
    }
}

// The constant just read, whose value is in the accumulator, as an instruction.
void QbPascalSyntaxe::EmitConstantValue(TypePair type)
{
    if (!Generate || ViewEvaluations > 0) {
        return;
    }
    const std::uint8_t code = BaseCode(type.Type);
    switch (code) {
    case TypeCode::Real:
    case TypeCode::String:
    case TypeCode::Set:
        // Reals, strings and sets live in the constant-data area that the code generator fills:
        // LDIC (their data address, type), then TTYP (0, 8) for a real or TTYP (0, 13) for a set.
        Emit(PascalOpcode::ConstantData, 0, code);
        break;
    default:
        Emit(PascalOpcode::Immediate, Data->Acc.Integer, code);
        break;
    }
}

void QbPascalSyntaxe::ApplyOperator(int op, int opcode, TypePair left, TypePair right,
                                    std::uint16_t result)
{
    if (Generate) {
        // The operand with the smaller code is converted: TTYP (2, t) the left one (second from
        // the top), TTYP (1, t) the right one.
        const std::uint8_t leftCode = BaseCode(left.Type);
        const std::uint8_t rightCode = BaseCode(right.Type);
        if (leftCode < rightCode && IsNumericCode(leftCode)) {
            Emit(PascalOpcode::ConvertType, 2, rightCode);
        } else if (rightCode < leftCode && IsNumericCode(rightCode)) {
            Emit(PascalOpcode::ConvertType, 1, leftCode);
        }
        Emit(opcode, 0, 0);
    }
    if (Execute) {
        RecordOperate(op, result);
        Data->Operate(op, result);
    }
}

// ---------------------------------------------------------------------------------------------
// Expressions

TypePair QbPascalSyntaxe::ParseExpression()
{
    if (PlansAllowed()) {
        return PlannedExpression();
    }
    AbandonPlan();
    Data->ClearAccumulator();
    return ParseRelation();
}

void QbPascalSyntaxe::ParseCondition()
{
    RequireBoolean(ParseExpression());
}

void QbPascalSyntaxe::RequireBoolean(TypePair type) const
{
    if (BaseCode(type.Type) != TypeCode::Boolean) {
        Errors->Raise(ErrorNumber::BooleanExpected);
    }
}

TypePair QbPascalSyntaxe::ParseOrdinalExpression()
{
    const TypePair type = ParseRelation();
    if (BaseCode(type.Type) >= TypeCode::Subrange) {
        Errors->Raise(ErrorNumber::ExpressionOrdinal);
    }
    return type;
}

// relation = simple-expression [ relational-operator simple-expression | IN simple-expression ]
// "<=", "<>" and ">=" arrive as two one-character tokens; the second one must follow at once.
TypePair QbPascalSyntaxe::ParseRelation()
{
    ParseDepthGuard guard(*this);
    const TypePair left = ParseSimpleExpression();
    if (Lexer->AcceptWord(PascalWord::In)) {
        const TypePair right = ParseSimpleExpression();
        if (BaseCode(right.Type) != TypeCode::Set) {
            Errors->Raise(ErrorNumber::SetExpressionExpected);
        }
        const std::uint16_t element = SetElement(right);
        if (!ElementsMatch(element, ElementKind(left.Type))) {
            Errors->Raise(ErrorNumber::ElementNotCompatibleSet);
        }
        ApplyOperator(static_cast<int>(Operator::In), PascalOpcode::In, left, left,
                      TypeCode::Boolean);
        return {TypeCode::Boolean, 0};
    }

    const std::string token = Lexer->TokenText();
    Operator op = Operator::Equal;
    if (token == "=") {
        op = Operator::Equal;
    } else if (token == "<") {
        op = Lexer->CurrentChar() == '='   ? Operator::LessEqual
             : Lexer->CurrentChar() == '>' ? Operator::NotEqual
                                           : Operator::Less;
    } else if (token == ">") {
        op = Lexer->CurrentChar() == '=' ? Operator::GreaterEqual : Operator::Greater;
    } else {
        return left;
    }
    Lexer->NextToken();
    if (op == Operator::LessEqual || op == Operator::NotEqual || op == Operator::GreaterEqual) {
        Lexer->NextToken();
    }
    const TypePair right = ParseSimpleExpression();

    const std::uint8_t leftCode = BaseCode(left.Type);
    const std::uint8_t rightCode = BaseCode(right.Type);
    const bool equality = op == Operator::Equal || op == Operator::NotEqual;
    if ((IsNumericCode(leftCode) && IsNumericCode(rightCode)) ||
        (IsTextualCode(leftCode) && IsTextualCode(rightCode))) {
        // Compared as numbers or as strings; the data manager converts the mixed pairs.
    } else if (leftCode != rightCode) {
        Errors->Raise(ErrorNumber::OperatorApplyTypeOperands6);
    } else if (leftCode == TypeCode::Set) {
        const std::uint16_t a = SetElement(left);
        const std::uint16_t b = SetElement(right);
        if (!ElementsMatch(a, b)) {
            Errors->Raise(ErrorNumber::ComparisonImpossibleElementsAreNotSame);
        }
        // Sets are equal, different, or included in one another; they have no order.
        if (op == Operator::Less || op == Operator::Greater) {
            Errors->Raise(ErrorNumber::OperatorApplyTypeOperands6);
        }
    } else if (leftCode == TypeCode::Pointer || leftCode == TypeCode::Array ||
               leftCode == TypeCode::Record) {
        if (!equality) {
            Errors->Raise(ErrorNumber::OperatorApplyTypeOperands6);
        }
        if (leftCode != TypeCode::Pointer && !SameType(left.Type, right.Type)) {
            Errors->Raise(ErrorNumber::OperatorApplyTypeOperands6);
        }
    } else if (leftCode == TypeCode::Enumerated) {
        if (!ElementsMatch(ElementKind(left.Type), ElementKind(right.Type))) {
            Errors->Raise(ErrorNumber::OperatorApplyTypeOperands6);
        }
    } else if (leftCode != TypeCode::Boolean && leftCode != TypeCode::ProcedureType &&
               leftCode != TypeCode::FunctionType) {
        Errors->Raise(ErrorNumber::OperatorApplyTypeOperands6);
    }
    if (Generate) {
        const bool mixedNumbers = leftCode != rightCode && IsNumericCode(leftCode);
        const bool charToString = leftCode != rightCode && IsTextualCode(leftCode);
        if (mixedNumbers || charToString) {
            if (leftCode < rightCode) {
                Emit(PascalOpcode::ConvertType, 2, rightCode);
            } else {
                Emit(PascalOpcode::ConvertType, 1, leftCode);
            }
        }
        Emit(PascalOpcode::Compare, ComparisonCode(op), 0);
    }
    if (Execute) {
        RecordOperate(static_cast<int>(op), TypeCode::Boolean);
        Data->Operate(op, TypeCode::Boolean);
    }
    return {TypeCode::Boolean, 0};
}

// simple-expression = [ + | - ] term { ( + | - | OR | XOR | OR_ELSE ) term }
TypePair QbPascalSyntaxe::ParseSimpleExpression()
{
    TypePair left;
    if (Lexer->AcceptSymbol("-")) {
        left = ParseTerm();
        const std::uint8_t code = BaseCode(left.Type);
        if (!IsNumericCode(code) && code != TypeCode::Enumerated) {
            Errors->Raise(ErrorNumber::OperatorApplyTypeExpression);
        }
        // Negating an unsigned value gives a signed one.
        if (code == TypeCode::Byte || code == TypeCode::Word) {
            left = {TypeCode::Integer, 0};
        }
        if (Generate) {
            Emit(PascalOpcode::Negate, 0, 0);
        }
        if (Execute) {
            PlanStep step;
            step.What = PlanStep::Kind::Negate;
            step.Code = code;
            step.Type = left.Type;
            RecordStep(step);
            Data->Pop();
            if (code == TypeCode::Real) {
                Data->Acc.SetReal(-Data->Acc.Real);
            } else {
                if (Data->Acc.Integer == std::numeric_limits<std::int32_t>::min()) {
                    Data->Fail(ErrorNumber::SizeTooLarge);
                }
                Data->Acc.SetInteger(-Data->Acc.Integer);
            }
            Data->Push(left.Type);
        }
    } else {
        Lexer->AcceptSymbol("+");
        left = ParseTerm();
    }

    for (;;) {
        const bool word = Lexer->MayBeWord();
        if (word && Lexer->IsWord(PascalWord::OrElse)) {
            if (BaseCode(left.Type) != TypeCode::Boolean) {
                return left;
            }
            Lexer->NextToken();
            left = ParseShortCircuit(true);
            continue;
        }

        int op = -1;
        if (Lexer->AcceptSymbol("+")) {
            op = static_cast<int>(Operator::Plus);
        } else if (Lexer->AcceptSymbol("-")) {
            op = static_cast<int>(Operator::Minus);
        } else if (!word) {
            return left;
        } else if (Lexer->AcceptWord(PascalWord::Or)) {
            op = static_cast<int>(Operator::Or);
        } else if (Lexer->AcceptWord(PascalWord::Xor)) {
            op = static_cast<int>(Operator::Xor);
        } else {
            return left;
        }
        const TypePair right = ParseTerm();
        const std::uint8_t leftCode = BaseCode(left.Type);
        const std::uint8_t rightCode = BaseCode(right.Type);
        const bool sets = leftCode == TypeCode::Set && rightCode == TypeCode::Set;
        const std::uint16_t leftElement = sets ? SetElement(left) : 0;
        const std::uint16_t rightElement = sets ? SetElement(right) : 0;
        const bool sameElements = sets && ElementsMatch(leftElement, rightElement);
        const std::uint16_t element = leftElement == AnyElement ? rightElement : leftElement;
        const std::uint16_t larger = std::max(leftCode, rightCode);

        if (op == static_cast<int>(Operator::Plus)) {
            if (IsNumericCode(leftCode) && IsNumericCode(rightCode)) {
                ApplyOperator(op, PascalOpcode::Add, left, right, larger);
                left = {larger, 0};
            } else if (IsTextualCode(leftCode) && IsTextualCode(rightCode)) {
                if (Generate) {
                    Emit(PascalOpcode::SysCall, PascalOpcode::ConcatenateRoutine, 2);
                }
                if (Execute) {
                    RecordOperate(op, TypeCode::String);
                    Data->Operate(op, TypeCode::String);
                }
                left = {TypeCode::String, 0};
            } else if (sameElements) {
                ApplyOperator(op, PascalOpcode::AddSet, left, right, TypeCode::Set);
                left = {TypeCode::Set, element};
            } else {
                Errors->Raise(ErrorNumber::OperatorApplyTypeOperands3);
            }
        } else if (op == static_cast<int>(Operator::Minus)) {
            if (IsNumericCode(leftCode) && IsNumericCode(rightCode)) {
                ApplyOperator(op, PascalOpcode::Subtract, left, right, larger);
                left = {larger, 0};
            } else if (sameElements) {
                ApplyOperator(op, PascalOpcode::SubtractSet, left, right, TypeCode::Set);
                left = {TypeCode::Set, element};
            } else {
                Errors->Raise(ErrorNumber::OperatorApplyTypeOperands4);
            }
        } else {
            const bool booleans = leftCode == TypeCode::Boolean && rightCode == TypeCode::Boolean;
            if (!booleans && !(IsIntegerCode(leftCode) && IsIntegerCode(rightCode))) {
                Errors->Raise(ErrorNumber::OperatorApplyTypeOperands6);
            }
            ApplyOperator(
                op, op == static_cast<int>(Operator::Or) ? PascalOpcode::Or : PascalOpcode::Xor,
                left, right, larger);
            left = {larger, 0};
        }
    }
}

// The right operand of OR_ELSE (`orElse`) or AND_THEN, the left one being on the stack: when
// the left value decides (true for OR_ELSE, false for AND_THEN) it stays the result and the
// right operand is only checked.
TypePair QbPascalSyntaxe::ParseShortCircuit(bool orElse)
{
    // The right operand is read or not by the left one's value: no plan repeats that.
    AbandonPlan();
    const int decidingValue = orElse ? 1 : 0;
    const int otherwise = Generate ? NewLabel() : 0;
    const int end = Generate ? NewLabel() : 0;
    if (Generate) {
        Emit(PascalOpcode::Jump, otherwise,
             orElse ? PascalOpcode::JumpIfTrue : PascalOpcode::JumpIfFalse);
    }
    bool decided = false;
    if (Execute) {
        Data->Pop();
        decided = (Data->Acc.Integer != 0) == orElse;
        if (decided) {
            Data->Acc.SetInteger(decidingValue);
            Data->Push(TypeCode::Boolean);
        }
    }
    TypePair right;
    if (decided) {
        ExecuteSuspended suspended(Execute);
        right = orElse ? ParseTerm() : ParsePower();
    } else {
        right = orElse ? ParseTerm() : ParsePower();
    }
    if (BaseCode(right.Type) != TypeCode::Boolean) {
        Errors->Raise(orElse ? ErrorNumber::OperatorApplyTypeOperands6
                             : ErrorNumber::OperatorAndApplyTypeOperands);
    }
    if (Generate) {
        Emit(PascalOpcode::Jump, end, PascalOpcode::JumpAlways);
        Emit(PascalOpcode::Label, otherwise, 0);
        Emit(PascalOpcode::Immediate, decidingValue, 0);
        Emit(PascalOpcode::Label, end, 0);
    }
    return {TypeCode::Boolean, 0};
}

// term = power { ( * | / | DIV | MOD | AND | SHL | SHR | AND_THEN ) power }
TypePair QbPascalSyntaxe::ParseTerm()
{
    TypePair left = ParsePower();
    for (;;) {
        // One test tells that the token is no operator word at all (the usual case).
        const bool word = Lexer->MayBeWord();
        if (word && Lexer->IsWord(PascalWord::AndThen)) {
            if (BaseCode(left.Type) != TypeCode::Boolean) {
                return left;
            }
            Lexer->NextToken();
            left = ParseShortCircuit(false);
            continue;
        }

        Operator op = Operator::Multiply;
        if (Lexer->AcceptSymbol("*")) {
            op = Operator::Multiply;
        } else if (Lexer->AcceptSymbol("/")) {
            op = Operator::Divide;
        } else if (!word) {
            return left;
        } else if (Lexer->AcceptWord(PascalWord::Div)) {
            op = Operator::Div;
        } else if (Lexer->AcceptWord(PascalWord::Mod)) {
            op = Operator::Mod;
        } else if (Lexer->AcceptWord(PascalWord::And)) {
            op = Operator::And;
        } else if (Lexer->AcceptWord(PascalWord::Shl)) {
            op = Operator::Shl;
        } else if (Lexer->AcceptWord(PascalWord::Shr)) {
            op = Operator::Shr;
        } else {
            return left;
        }
        const TypePair right = ParsePower();
        const std::uint8_t leftCode = BaseCode(left.Type);
        const std::uint8_t rightCode = BaseCode(right.Type);
        const bool integers = IsIntegerCode(leftCode) && IsIntegerCode(rightCode);
        const bool numbers = IsNumericCode(leftCode) && IsNumericCode(rightCode);
        const std::uint16_t larger = std::max(leftCode, rightCode);
        const int code = static_cast<int>(op);

        switch (op) {
        case Operator::Multiply:
            if (numbers) {
                ApplyOperator(code, PascalOpcode::Multiply, left, right, larger);
                left = {larger, 0};
            } else if (leftCode == TypeCode::Set && rightCode == TypeCode::Set) {
                const std::uint16_t a = SetElement(left);
                const std::uint16_t b = SetElement(right);
                if (!ElementsMatch(a, b)) {
                    Errors->Raise(ErrorNumber::OperatorApplyTypeOperands);
                }
                ApplyOperator(code, PascalOpcode::MultiplySet, left, right, TypeCode::Set);
                left = {TypeCode::Set, a == AnyElement ? b : a};
            } else {
                Errors->Raise(ErrorNumber::OperatorApplyTypeOperands);
            }
            break;
        case Operator::Divide:
            if (!numbers) {
                Errors->Raise(ErrorNumber::OperatorApplyTypeOperands2);
            }
            if (Generate) {
                // Both operands become reals.
                if (leftCode != TypeCode::Real) {
                    Emit(PascalOpcode::ConvertType, 2, TypeCode::Real);
                }
                if (rightCode != TypeCode::Real) {
                    Emit(PascalOpcode::ConvertType, 1, TypeCode::Real);
                }
                Emit(PascalOpcode::Divide, 0, 0);
            }
            if (Execute) {
                RecordOperate(code, TypeCode::Real);
                Data->Operate(code, TypeCode::Real);
            }
            left = {TypeCode::Real, 0};
            break;
        case Operator::Div:
        case Operator::Mod:
            if (!integers) {
                Errors->Raise(op == Operator::Div ? ErrorNumber::OperatorDivApplyTypeOperands
                                                  : ErrorNumber::OperatorModApplyTypeOperands);
            }
            ApplyOperator(code, op == Operator::Div ? PascalOpcode::Divide : PascalOpcode::Modulo,
                          left, right, larger);
            left = {larger, 0};
            break;
        case Operator::And:
            if (!integers && !(leftCode == TypeCode::Boolean && rightCode == TypeCode::Boolean)) {
                Errors->Raise(ErrorNumber::OperatorAndApplyTypeOperands);
            }
            ApplyOperator(code, PascalOpcode::And, left, right, larger);
            left = {larger, 0};
            break;
        default:
            if (!integers) {
                Errors->Raise(ErrorNumber::ShiftOperatorsApplyTypeOperands);
            }
            ApplyOperator(code,
                          op == Operator::Shl ? PascalOpcode::ShiftLeft : PascalOpcode::ShiftRight,
                          left, right, larger);
            left = {larger, 0};
            break;
        }
    }
}

// power = factor [ ^ factor ]: one ^ at most; the result is real for a real base, else of the
// exponent's type.
TypePair QbPascalSyntaxe::ParsePower()
{
    const TypePair left = ParseFactor();
    if (!Lexer->AcceptSymbol("^")) {
        return left;
    }
    const TypePair right = ParseFactor();
    const std::uint8_t leftCode = BaseCode(left.Type);
    const std::uint8_t rightCode = BaseCode(right.Type);
    if (!IsNumericCode(leftCode) || !IsNumericCode(rightCode) || Lexer->TokenText() == "^") {
        Errors->Raise(ErrorNumber::OperatorApplyTypeOperands5);
    }
    const std::uint16_t result = leftCode == TypeCode::Real ? TypeCode::Real : rightCode;
    if (Generate) {
        Emit(PascalOpcode::SysCall, PascalOpcode::PowerRoutine, 2);
    }
    if (Execute) {
        RecordOperate(static_cast<int>(Operator::Power), result);
        Data->Operate(Operator::Power, result);
    }
    return {result, 0};
}

// factor = @ variable | ( relation ) | NOT factor | [ set ] | constant | variable
//        | function call | type-name ( expression )
TypePair QbPascalSyntaxe::ParseFactor()
{
    ParseDepthGuard guard(*this);
    const std::string token = Lexer->TokenText();
    if (Lexer->AcceptWord(PascalWord::AddressOf)) {
        AbandonPlan();
        ParseVariableReference(ReferenceContext::Plain);
        if (Execute) {
            Data->Acc.SetInteger(static_cast<std::int32_t>(Data->CurrentAddress()));
            Data->Push(TypeCode::Pointer);
        }
        return {TypeCode::Pointer, 0};
    }
    if (Lexer->AcceptSymbol("(")) {
        const TypePair type = ParseRelation();
        Lexer->ExpectSymbol(")");
        return type;
    }
    if (Lexer->AcceptWord(PascalWord::Not)) {
        const TypePair operand = ParseFactor();
        const std::uint8_t code = BaseCode(operand.Type);
        if (code != TypeCode::Boolean && !IsIntegerCode(code)) {
            Errors->Raise(ErrorNumber::OperatorNotApplyExpression);
        }
        // The bits of an unsigned value inverted make a negative number.
        const std::uint16_t result = code == TypeCode::Byte   ? TypeCode::Integer
                                     : code == TypeCode::Word ? TypeCode::Longint
                                                              : operand.Type;
        if (Generate) {
            Emit(PascalOpcode::Not, 0, 0);
        }
        if (Execute) {
            PlanStep step;
            step.What = PlanStep::Kind::Not;
            step.Code = code;
            step.Type = result;
            RecordStep(step);
            Data->Pop();
            const std::int32_t value = Data->Acc.Integer;
            Data->Acc.SetInteger(code == TypeCode::Boolean ? (value != 0 ? 0 : 1) : ~value);
            Data->Push(result);
        }
        return {result, operand.Subtype};
    }
    if (token == "[") {
        return ParseSetConstructor();
    }
    if (!token.empty() && Lexer->IsIdentifierStart(token[0]) && !Lexer->IsWord(PascalWord::Nil) &&
        !Lexer->IsWord(PascalWord::True) && !Lexer->IsWord(PascalWord::False)) {
        return ParseNameFactor();
    }
    const TypePair type = ParseConstant(false);
    EmitConstantValue(type);
    PushValue(type.Type);
    return type;
}

// A factor that begins with a name, tried in this order: a typed constant, a variable (a
// function's result variable calls the function), a function, a type conversion, a constant.
// While a view or a constant declaration is evaluated, only functions are called by name.
TypePair QbPascalSyntaxe::ParseNameFactor()
{
    const EntryNumber scope = ReadScopePrefix();
    const std::string name = Lexer->TokenText();
    EntryNumber entry = 0;
    if (ViewEvaluations <= 0) {
        if (Table->Lookup(name, EntryKind::Constant, entry, scope) && Table->Value(entry) != 0) {
            return ParseReferenceFrom(entry, scope, ReferenceContext::Read);
        }
        if (Table->Lookup(name, EntryKind::Variable, entry, scope)) {
            const bool resultWord = Lexer->IsWord(PascalWord::Result);
            if (Table->Code(entry) == VariableMode::FunctionResult && !resultWord) {
                Lexer->NextToken();
                return FunctionFactor(Table->Owner(entry));
            }
            const std::uint16_t declared = NormalType(Table->Link1(entry));
            if (BaseCode(declared) == TypeCode::FunctionType) {
                // A function variable read in an expression calls the function it holds: the
                // call reads the routine from the variable's address.
                AbandonPlan();
                const TypePair type = ParseReferenceFrom(entry, scope, ReferenceContext::Plain);
                const EntryNumber functionType = Table->BaseType(type.Type);
                const TypePair saved = ExpressionType;
                ExpressionType = {NormalType(Table->Link1(functionType)), 0};
                Call(5, functionType);
                const TypePair result = ExpressionType;
                ExpressionType = saved;
                return result;
            }
            const TypePair type = ParseReferenceFrom(entry, scope, ReferenceContext::Read);
            return type;
        }
    }
    if (Table->Lookup(name, EntryKind::Function, entry, scope)) {
        Lexer->NextToken();
        return FunctionFactor(entry);
    }
    if (ViewEvaluations <= 0 && Table->Lookup(name, EntryKind::Procedure, entry, scope) &&
        Table->Owner(entry) != 0 && (Table->Code(entry) & RoutineFlag::Predefined) == 0) {
        // A procedure named in an expression is a procedural value: the routine itself.
        Lexer->NextToken();
        return PushRoutineValue(entry, TypeCode::ProcedureType);
    }
    if (ViewEvaluations <= 0 && Table->Lookup(name, EntryKind::Type, entry, scope)) {
        const std::uint8_t code = BaseCode(entry);
        if (code == TypeCode::Array || code == TypeCode::Record) {
            // A structured type name before a variable is a variable type cast.
            return ParseReferenceFrom(entry, scope, ReferenceContext::Read);
        }
        Lexer->NextToken();
        return ParseConversion(entry);
    }
    const TypePair type = ParseConstant(false);
    EmitConstantValue(type);
    PushValue(type.Type);
    return type;
}

// A function named in an expression, its name read: a call, or, for a function that takes
// parameters named without them, a procedural value.
TypePair QbPascalSyntaxe::FunctionFactor(EntryNumber function)
{
    const EntryNumber first = static_cast<EntryNumber>(function + 2);
    const std::uint8_t mode = Table->Code(first);
    const bool takesParameters =
        (Table->Code(function) & RoutineFlag::Predefined) == 0 &&
        Table->Kind(first) == EntryKind::Variable && Table->Owner(first) == function &&
        (mode == VariableMode::ValueParameter || mode == VariableMode::VarParameter ||
         mode == VariableMode::ConstParameter || mode == VariableMode::OutParameter);
    if (takesParameters && Lexer->TokenText() != "(") {
        return PushRoutineValue(function, TypeCode::FunctionType);
    }
    return CallFunction(function);
}

// A routine as the value of a procedural type: its entry number.
TypePair QbPascalSyntaxe::PushRoutineValue(EntryNumber routine, std::uint16_t type)
{
    AbandonPlan();
    if (Generate) {
        Emit(PascalOpcode::Immediate, routine, BaseCode(type));
    }
    if (Execute) {
        Data->Acc.SetInteger(routine);
        Data->Push(type);
    }
    return {type, routine};
}

// A function call; the name has been read. Its value is on the evaluation stack afterwards.
TypePair QbPascalSyntaxe::CallFunction(EntryNumber function)
{
    const bool planned = Recording != nullptr && PlannableCall(function);
    const bool applied = Recording != nullptr && !planned && Execute &&
                         Table->Kind(function) == EntryKind::Function &&
                         (Table->Code(function) & RoutineFlag::Predefined) != 0 &&
                         Table->Apply(function) != nullptr;
    if (!planned && !applied) {
        AbandonPlan();
    }
    const EntryNumber result = static_cast<EntryNumber>(function + 1);
    // A predefined function's result entry holds a type code, a declared one a type entry.
    const bool predefined = (Table->Code(function) & RoutineFlag::Predefined) != 0;
    const std::uint16_t link = Table->Link1(result);
    const std::uint16_t declared = Table->Kind(result) != EntryKind::Variable ? 0
                                   : predefined                               ? link
                                                                              : NormalType(link);
    const TypePair saved = ExpressionType;
    ExpressionType = {declared, 0};
    if (IsTypeEntry(declared) && BaseCode(declared) == TypeCode::Enumerated) {
        ExpressionType.Subtype = ElementKind(declared);
    }
    // Compiling a method called from another method of its object first passes the object with
    // LDLC (4, 4) (6 for routines with the 6-byte header); the class reader owns that case.
    if (planned) {
        RecordedCall(function);
    } else if (applied) {
        RecordedApply(function);
    } else {
        Call(5, function);
    }
    const TypePair type = ExpressionType;
    ExpressionType = saved;
    return type;
}

// T ( expression ): the value read as the named type.
TypePair QbPascalSyntaxe::ParseConversion(EntryNumber typeEntry)
{
    AbandonPlan();
    const std::uint16_t target = NormalType(typeEntry);
    Lexer->ExpectSymbol("(");
    const TypePair source = ParseRelation();
    Lexer->ExpectSymbol(")");
    const std::uint8_t targetCode = BaseCode(target);
    const std::uint8_t sourceCode = BaseCode(source.Type);
    // Scalars convert into one another (a real into an ordinal by truncation); a structure is
    // only re-read as another type of its size; sets, files and the rest keep their type.
    const auto scalar = [](std::uint8_t code) {
        return code <= TypeCode::Pointer && code != TypeCode::Unused9;
    };
    const auto structured = [](std::uint8_t code) {
        return code == TypeCode::Array || code == TypeCode::Record;
    };
    const bool reinterpret = structured(targetCode) || structured(sourceCode);
    if (reinterpret) {
        if (Data->Resolve(target).Size != Data->Resolve(source.Type).Size) {
            Errors->Raise(ErrorNumber::IncorrectSizeElement);
        }
    } else if (!(scalar(targetCode) && scalar(sourceCode)) && targetCode != sourceCode) {
        Errors->Raise(ErrorNumber::TypeNotCompatible);
    }
    if (Generate) {
        // TTYP (0, type); a user type is also noted for the SIZE table of the program.
        Emit(PascalOpcode::ConvertType, 0, targetCode);
    }
    if (Execute) {
        Data->Pop();
        Accumulator& acc = Data->Acc;
        if (reinterpret) {
            Data->Reinterpret(target, source.Type);
        } else if (targetCode == TypeCode::Real && sourceCode != TypeCode::Real) {
            acc.SetReal(acc.Integer);
        } else if (targetCode < TypeCode::Real && sourceCode == TypeCode::Real) {
            if (!std::isfinite(acc.Real) || std::fabs(acc.Real) > 2147483647.0) {
                Data->Fail(ErrorNumber::SizeTooLarge);
            }
            acc.SetInteger(static_cast<std::int32_t>(std::trunc(acc.Real)));
        } else if (targetCode < TypeCode::Real && sourceCode == TypeCode::String) {
            acc.SetInteger(acc.String[0] > 0 ? acc.String[1] : 0);
        } else if (targetCode == TypeCode::String && sourceCode != TypeCode::String &&
                   sourceCode != TypeCode::Char) {
            Data->Fail(ErrorNumber::IncorrectSizeElement);
        }
        Data->Push(target);
    }
    TypePair type{target, 0};
    if (targetCode == TypeCode::Enumerated) {
        type.Subtype = ElementKind(target);
    }
    return type;
}

// set = [ [ element { , element } ] ], element = ordinal [ .. ordinal ]. Executing, the
// elements are taken from the evaluation stack one by one and the set is pushed at the end.
TypePair QbPascalSyntaxe::ParseSetConstructor()
{
    AbandonPlan();
    Lexer->ExpectSymbol("[");
    SetBits bits{};
    std::uint16_t element = AnyElement;
    bool first = true;
    const auto include = [this, &bits](std::int32_t low, std::int32_t high) {
        for (std::int32_t value = low; value <= high; ++value) {
            if (value < 0 || value > 255) {
                Data->Fail(ErrorNumber::InvalidValue);
            }
            bits[static_cast<std::size_t>(value) / 8] |=
                static_cast<std::uint8_t>(1u << (value % 8));
        }
    };
    if (Lexer->TokenText() != "]") {
        do {
            const TypePair low = ParseOrdinalExpression();
            const std::uint16_t kind = ElementKind(low.Type);
            if (kind == TypeCode::Byte && !IsTypeEntry(low.Type) && low.Type != TypeCode::Byte) {
                // INTEGER, WORD and LONGINT hold more values than a set can.
                Errors->Raise(ErrorNumber::TypeNotAllowedSet);
            }
            if (!ElementsMatch(element, kind)) {
                Errors->Raise(ErrorNumber::TypeNotCompatible);
            }
            element = kind;
            bool range = false;
            if (Lexer->TokenText() == "." && Lexer->CurrentChar() == '.') {
                Lexer->NextToken();
                Lexer->NextToken();
                const TypePair high = ParseOrdinalExpression();
                if (!ElementsMatch(ElementKind(high.Type), element)) {
                    Errors->Raise(ErrorNumber::TypeNotCompatible);
                }
                range = true;
            }
            if (Generate) {
                // INSET (-1, 1) takes one element, INSET (-1, 2) a range; ADDSET joins them.
                Emit(PascalOpcode::InSet, -1, range ? 2 : 1);
                if (!first) {
                    Emit(PascalOpcode::AddSet, 0, 0);
                }
            }
            if (Execute) {
                Data->Pop();
                const std::int32_t last = Data->Acc.Integer;
                std::int32_t start = last;
                if (range) {
                    Data->Pop();
                    start = Data->Acc.Integer;
                }
                include(start, last);
            }
            first = false;
        } while (Lexer->AcceptSymbol(","));
    } else if (Generate) {
        Emit(PascalOpcode::InSet, 1, 0);
    }
    Lexer->ExpectSymbol("]");
    if (Execute) {
        Data->Acc.Set = bits;
        Data->Push(TypeCode::Set);
    }
    return {TypeCode::Set, element};
}
