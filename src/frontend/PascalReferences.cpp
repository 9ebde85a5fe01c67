// Pascal variable references: names, unit prefixes, type casts, typed constants, WITH fields and
// the selectors [ ], . and ^; and the actual parameters of user routines.
#include "frontend/QbPascalSyntaxe.h"

#include "frontend/PascalOpcodes.h"
#include "lexical/QbLexical.h"
#include "runtime/DataAddress.h"
#include "runtime/QbGesdata.h"

namespace {
bool IsIntegerCode(std::uint8_t code)
{
    return code >= TypeCode::Byte && code <= TypeCode::Longint;
}

bool IsReferenceMode(std::uint8_t mode)
{
    return mode == VariableMode::VarParameter || mode == VariableMode::OutParameter;
}

} // namespace

// Adds the offset just computed to the reference's address. The first addition of a reference
// is ADD (-1, -1), which tells the code block where the base instruction may absorb a constant
// offset; later ones are ADD (0, 0).
void QbPascalSyntaxe::EmitOffsetAddition()
{
    if (Generate) {
        Emit(PascalOpcode::Add, OffsetAdded ? 0 : -1, OffsetAdded ? 0 : -1);
        OffsetAdded = true;
    }
}

EntryNumber QbPascalSyntaxe::ReadScopePrefix()
{
    const std::string name = Lexer->TokenText();
    if (name.empty() || !Lexer->IsIdentifierStart(name[0]) || Lexer->CurrentChar() != '.') {
        return CurrentRoutine;
    }
    const EntryNumber unit = Table->FindUnit(name);
    EntryNumber variable = 0;
    // A record variable of the unit's name hides the unit.
    if (unit == 0 || Table->Lookup(name, EntryKind::Variable, variable, CurrentRoutine)) {
        return CurrentRoutine;
    }
    Lexer->NextToken();
    Lexer->NextToken();
    return unit;
}

// reference = [ unit . ] ( type-name ( reference ) | typed-constant | variable ) { selector }
TypePair QbPascalSyntaxe::ParseVariableReference(ReferenceContext context)
{
    const EntryNumber scope = ReadScopePrefix();
    const std::string name = Lexer->TokenText();
    EntryNumber entry = 0;
    const bool found =
        !name.empty() && Lexer->IsIdentifierStart(name[0]) &&
        ((Table->Lookup(name, EntryKind::Constant, entry, scope) && Table->Value(entry) != 0) ||
         Table->Lookup(name, EntryKind::Variable, entry, scope) ||
         Table->Lookup(name, EntryKind::Type, entry, scope));
    if (!found) {
        Errors->Raise(ErrorNumber::ReferenceVariableAreaExpected);
    }
    return ParseReferenceFrom(entry, scope, context);
}

// The reference once its name is known. Executing, the address of what it designates becomes
// the data manager's current address; read in an expression, its value is also pushed.
TypePair QbPascalSyntaxe::ParseReferenceFrom(EntryNumber entry, EntryNumber scope,
                                             ReferenceContext context)
{
    (void)scope;
    // A plan reads variables' values: an address taken, a type cast, a typed constant or a
    // field of a WITH record is more than its steps.
    const bool assignmentTarget = context == ReferenceContext::Target && Recording != nullptr &&
                                  Recording->Statement && !Recording->InExpression;
    if (context != ReferenceContext::Read && !assignmentTarget) {
        AbandonPlan();
    }
    // Index expressions may hold references of their own, each with its first addition.
    const bool outerOffsetAdded = OffsetAdded;
    OffsetAdded = false;
    TypePair type;
    const EntryKind kind = Table->Kind(entry);
    if (kind == EntryKind::Type) {
        // A variable type cast T(v): the same storage read as another type of the same size.
        AbandonPlan();
        if (OptionC(OptionC::ForbidTypeCasts)) {
            Errors->Raise(ErrorNumber::TypeConversionForbidden);
        }
        Lexer->NextToken();
        Lexer->ExpectSymbol("(");
        const ReferenceContext inner =
            context == ReferenceContext::Read ? ReferenceContext::Plain : context;
        const TypePair source = ParseVariableReference(inner);
        type = {NormalType(entry), 0};
        if (Data->Resolve(type.Type).Size != Data->Resolve(source.Type).Size) {
            Errors->Raise(ErrorNumber::IncorrectSizeElement);
        }
        Lexer->ExpectSymbol(")");
    } else if (kind == EntryKind::Constant) {
        // A typed constant is initialised storage.
        AbandonPlan();
        Lexer->NextToken();
        type = {NormalType(Table->Aux(entry)), 0};
        if (Generate) {
            Emit(PascalOpcode::AddressConstant, Table->TypedConstAddress(entry),
                 BaseCode(type.Type));
        }
        if (Execute) {
            Data->SetCurrentAddress(QbGesdata::TypedConstantAddress(entry));
        }
    } else if (kind == EntryKind::Variable) {
        const std::uint8_t mode = Table->Code(entry);
        const bool modifies = context == ReferenceContext::Target ||
                              context == ReferenceContext::VarArgument ||
                              context == ReferenceContext::OutArgument;
        if (mode == VariableMode::ConstParameter && modifies) {
            Errors->Raise(ErrorNumber::ConstParameterCannotModified);
        }
        if (mode == VariableMode::OutParameter) {
            if (context == ReferenceContext::Read) {
                Errors->Raise(ErrorNumber::OutParameterCannotRead);
            }
            if (context == ReferenceContext::VarArgument) {
                Errors->Raise(ErrorNumber::OutParameterCanOnlyMatchedAgainst);
            }
        }
        Table->CheckVariableAccess(entry, CurrentRoutine);
        Lexer->NextToken();
        type = {NormalType(Table->Link1(entry)), 0};

        const EntryNumber owner = Table->Owner(entry);
        const bool field = Table->Kind(owner) == EntryKind::Type;
        if (Generate && !field) {
            const bool global = Table->Owner(owner) == 0;
            if (IsReferenceMode(mode)) {
                // The parameter holds the address of the actual variable.
                Emit(PascalOpcode::LoadLocal, Table->Value(entry), TypeCode::Pointer);
            } else if (global) {
                Emit(PascalOpcode::AddressGlobal, Table->Value(entry), BaseCode(type.Type));
            } else {
                if (owner != CurrentRoutine) {
                    // A variable of an enclosing routine: FRAM (its code label, 0) first.
                    Emit(PascalOpcode::Frame, Table->Slot(owner, RoutineSlot::CodeData), 0);
                }
                Emit(PascalOpcode::AddressLocal, static_cast<std::int16_t>(Table->Value(entry)),
                     BaseCode(type.Type));
            }
        }
        // A field reached through WITH takes its record's address from the WITH stack; the
        // address code of that record is the WITH statement's side block.
        if (Execute) {
            if (field) {
                AbandonPlan();
                const bool known = WithFieldIndex >= 1 && WithFieldIndex < WithDepth &&
                                   WithFieldIndex <= MaxWithDepth;
                if (!known) {
                    Errors->Raise(ErrorNumber::NotImplemented);
                }
                Data->SetCurrentAddress(
                    WithStack[static_cast<std::size_t>(WithFieldIndex)].Address +
                    Table->Value(entry));
            } else {
                const std::uint32_t address = Data->AddressOf(entry);
                LastReferenced = entry;
                if (Recording != nullptr) {
                    // A global's address is its place in the global area, the same at every
                    // reading while the table stays; a local's depends on the activation.
                    const EntryNumber holder = Table->Owner(entry);
                    const bool global = holder == 0 || Table->Owner(holder) == 0;
                    PlanStep step;
                    step.What = global ? PlanStep::Kind::Fixed : PlanStep::Kind::Address;
                    step.Type = entry;
                    step.Stride = address;
                    RecordStep(step);
                }
                Data->SetCurrentAddress(address);
            }
            if (mode == VariableMode::OutParameter &&
                (context == ReferenceContext::Target || context == ReferenceContext::OutArgument)) {
                AbandonPlan();
                Data->MarkLocalAssigned(entry);
            }
        }
    } else {
        Errors->Raise(ErrorNumber::ReferenceVariableAreaExpected);
    }

    type = ParseSelectors(type, context);
    const std::uint8_t code = BaseCode(type.Type);
    if (code == TypeCode::Set) {
        type.Subtype = SetElement(type);
    } else if (code == TypeCode::Enumerated) {
        type.Subtype = ElementKind(type.Type);
    }
    if (context == ReferenceContext::Read) {
        if (Generate) {
            Emit(PascalOpcode::Load, 0, code);
        }
        if (Execute) {
            if (PlannableValue(code)) {
                PlanStep step;
                step.What = PlanStep::Kind::Load;
                step.Type = type.Type;
                RecordStep(step);
            } else {
                AbandonPlan();
            }
            Data->LoadValue(type.Type);
            Data->Push(type.Type);
        }
    } else if (context == ReferenceContext::Target && Generate) {
        Emit(PascalOpcode::Store, 0, code);
    }
    OffsetAdded = outerOffsetAdded;
    return type;
}

// selector = [ index { , index } ] | . field | ^
TypePair QbPascalSyntaxe::ParseSelectors(TypePair type, ReferenceContext)
{
    for (;;) {
        const std::string token = Lexer->TokenText();
        const std::uint8_t code = BaseCode(type.Type);
        if (token == "[") {
            type = ParseIndexes(type);
        } else if (token == "." && Lexer->IsIdentifierStart(Lexer->CurrentChar())) {
            type = ParseField(type);
        } else if (token == "^" && code == TypeCode::Pointer) {
            type = ParseDereference(type);
        } else {
            return type;
        }
    }
}

// [ index { , index } ]: a string takes one index and gives a CHAR; an array takes one index per
// dimension and, when its elements are arrays, goes on into them. Indexes are checked against
// their bounds when executing, whatever the options: a wrong index would reach another variable.
TypePair QbPascalSyntaxe::ParseIndexes(TypePair type)
{
    Lexer->ExpectSymbol("[");
    for (;;) {
        // An index expression may read variables of its own, which moves the current address.
        const std::uint32_t base = Data->CurrentAddress();
        const std::uint8_t code = BaseCode(type.Type);
        if (code == TypeCode::String) {
            if (Execute) {
                PlanStep step;
                step.What = PlanStep::Kind::BeginIndex;
                RecordStep(step);
            }
            const TypePair index = ParseRelation();
            if (!IsIntegerCode(BaseCode(index.Type))) {
                Errors->Raise(ErrorNumber::IndexTypeNotAllowed);
            }
            EmitOffsetAddition();
            if (Execute) {
                const std::int32_t capacity = Data->Resolve(type.Type).Size;
                PlanStep step;
                step.What = PlanStep::Kind::StringIndex;
                step.Integer = capacity;
                RecordStep(step);
                Data->Pop();
                const std::int32_t value = Data->Acc.Integer;
                const std::uint32_t address = base;
                const std::uint8_t* length = Data->BytesOrFail(address, 1);
                const bool outside = value < 0 || value >= capacity;
                const bool beyondText = value == 0 || value > *length;
                if (outside || (OptionC(OptionC::CheckOrdinalLimits) && beyondText)) {
                    Data->Fail(ErrorNumber::InvalidValue);
                }
                Data->SetCurrentAddress(address + static_cast<std::uint32_t>(value));
            }
            type = {TypeCode::Char, 0};
        } else if (code == TypeCode::Array) {
            const EntryNumber array = Table->BaseType(type.Type);
            const int dimensions = Table->Aux(array);
            const std::uint16_t element = NormalType(Table->Link1(array));
            if (dimensions <= 0) {
                Errors->Raise(ErrorNumber::IndexationNotAllowed);
            }
            std::vector<std::int32_t> lows(static_cast<std::size_t>(dimensions));
            std::vector<std::int32_t> counts(static_cast<std::size_t>(dimensions));
            for (int d = 0; d < dimensions; ++d) {
                const auto i = static_cast<std::size_t>(d);
                if (!Table->IndexBounds(static_cast<EntryNumber>(Table->Link2(array) + d), lows[i],
                                        counts[i])) {
                    Errors->Raise(ErrorNumber::IndexTypeNotAllowed);
                }
            }
            std::uint32_t stride = Data->Resolve(element).Size;
            for (int d = dimensions - 1; d > 0; --d) {
                stride *= static_cast<std::uint32_t>(counts[static_cast<std::size_t>(d)]);
            }
            std::uint32_t offset = 0;
            if (Execute) {
                PlanStep step;
                step.What = PlanStep::Kind::BeginIndex;
                RecordStep(step);
            }
            for (int d = 0; d < dimensions; ++d) {
                const auto i = static_cast<std::size_t>(d);
                if (d > 0) {
                    if (!Lexer->AcceptSymbol(",")) {
                        Errors->Raise(ErrorNumber::NumberDimensionsDifferentFromDeclaration);
                    }
                    stride /= static_cast<std::uint32_t>(counts[i]);
                }
                const EntryNumber indexType = static_cast<EntryNumber>(Table->Link2(array) + d);
                const TypePair index = ParseRelation();
                const std::uint16_t wanted = ElementKind(NormalType(indexType));
                const std::uint16_t given = ElementKind(index.Type);
                if (!ElementsMatch(given, wanted)) {
                    Errors->Raise(wanted == TypeCode::Byte
                                      ? ErrorNumber::IndexMustBeIntegerInReference
                                      : ErrorNumber::IndexTypeNotAllowed);
                }
                if (Generate) {
                    // (index - low) * stride, summed with the previous dimensions.
                    Emit(PascalOpcode::Immediate, lows[i], TypeCode::Integer);
                    Emit(PascalOpcode::Subtract, 0, 0);
                    Emit(PascalOpcode::Immediate, static_cast<std::int32_t>(stride),
                         TypeCode::Integer);
                    Emit(PascalOpcode::Multiply, 0, 0);
                    if (d > 0) {
                        Emit(PascalOpcode::Add, 0, 0);
                    }
                }
                if (Execute) {
                    PlanStep step;
                    step.What = PlanStep::Kind::Index;
                    step.Integer = lows[i];
                    step.Count = counts[i];
                    step.Stride = stride;
                    RecordStep(step);
                    Data->Pop();
                    const std::int64_t value = Data->Acc.Integer;
                    if (value < lows[i] ||
                        value >= static_cast<std::int64_t>(lows[i]) + counts[i]) {
                        Data->Fail(ErrorNumber::InvalidValue);
                    }
                    offset += static_cast<std::uint32_t>(value - lows[i]) * stride;
                }
            }
            EmitOffsetAddition();
            if (Execute) {
                PlanStep step;
                step.What = PlanStep::Kind::EndIndex;
                RecordStep(step);
                Data->SetCurrentAddress(base + offset);
            }
            type = {element, 0};
        } else {
            Errors->Raise(ErrorNumber::IndexationNotAllowed);
        }
        if (Lexer->AcceptSymbol("]")) {
            return type;
        }
        if (!Lexer->AcceptSymbol(",")) {
            Lexer->ExpectSymbol("]");
        }
        // More indexes than dimensions go on into the element type, which must be indexable.
        const std::uint8_t next = BaseCode(type.Type);
        if (next != TypeCode::Array && next != TypeCode::String) {
            Errors->Raise(ErrorNumber::NumberDimensionsDifferentFromDeclaration);
        }
    }
}

// . field, of a record or a class.
TypePair QbPascalSyntaxe::ParseField(TypePair type)
{
    Lexer->ExpectSymbol(".");
    const std::uint8_t code = BaseCode(type.Type);
    const EntryNumber record = IsTypeEntry(type.Type) ? Table->BaseType(type.Type) : 0;
    const bool isClass = code == TypeCode::Class || code == TypeCode::AbstractClass;
    if (record == 0 || (code != TypeCode::Record && !isClass)) {
        Errors->Raise(ErrorNumber::TypeRecordOrClassExpected);
    }
    const std::string name = Lexer->ExpectIdentifier();
    EntryNumber field = 0;
    if (isClass) {
        EntryNumber owningClass = 0;
        if (!Table->FindMember(name, record, field, owningClass)) {
            Errors->RaiseWith(ErrorNumber::FieldNotDeclared, name);
        }
        const std::uint16_t access = Table->Aux(field) & VariableFlag::AccessMask;
        EntryNumber methodClass = 0;
        const bool inside =
            Table->MethodOwner(CurrentRoutine, methodClass) && methodClass == owningClass;
        if (access == VariableFlag::PrivateAccess && !inside) {
            Errors->RaiseWith(ErrorNumber::TryingAccessHiddenField, name);
        }
    } else if (!Table->ChainFind(name, Table->Link2(record), field)) {
        Errors->RaiseWith(ErrorNumber::UnknownRecordField, name);
    }
    if (Generate) {
        Emit(PascalOpcode::Immediate, Table->Value(field), TypeCode::Integer);
    }
    EmitOffsetAddition();
    if (Execute) {
        PlanStep step;
        step.What = PlanStep::Kind::Field;
        step.Integer = Table->Value(field);
        RecordStep(step);
        Data->SetCurrentAddress(Data->CurrentAddress() + Table->Value(field));
    }
    return {NormalType(Table->Link1(field)), 0};
}

// ^ on a typed pointer: the pointed value. Executing, nil is error 207 and an address outside
// every area 208.
TypePair QbPascalSyntaxe::ParseDereference(TypePair type)
{
    Lexer->ExpectSymbol("^");
    const EntryNumber pointer = IsTypeEntry(type.Type) ? Table->BaseType(type.Type) : 0;
    const EntryNumber target = pointer != 0 ? Table->Link1(pointer) : 0;
    if (target == 0 || Table->Code(target) == TypeCode::Undeclared) {
        Errors->Raise(ErrorNumber::TypedPointerExpected);
    }
    const std::uint16_t targetType = NormalType(target);
    if (Generate) {
        Emit(PascalOpcode::Indirect, 0, BaseCode(targetType));
    }
    if (Execute) {
        PlanStep step;
        step.What = PlanStep::Kind::Dereference;
        step.Type = type.Type;
        RecordStep(step);
        Data->LoadValue(type.Type);
        const auto address = static_cast<std::uint32_t>(Data->Acc.Integer);
        if (address == DataAddress::Nil) {
            Data->Fail(ErrorNumber::NilDereference);
        }
        if (DataAddress::AreaOf(address) == DataAddress::Area::None ||
            DataAddress::AreaOf(address) == DataAddress::Area::EvaluationSlot) {
            Data->Fail(ErrorNumber::PointerOutsideHeap);
        }
        Data->SetCurrentAddress(address);
    }
    return {targetType, 0};
}

// One actual parameter for `formal`: a VAR or OUT formal takes a variable of its very type, a
// value or CONST formal an assignment-compatible expression. Executing, the value is left on the
// evaluation stack, or the variable's address as the current address, for the call reader
// (ParseActualParameters) to make it a variable of the frame being built.
void QbPascalSyntaxe::ParseActualParameter(std::uint16_t formal)
{
    const std::uint8_t mode = Table->Code(formal);
    const EntryNumber declared = Table->Link1(formal);
    const std::uint16_t formalType = NormalType(declared);
    if (IsReferenceMode(mode)) {
        const TypePair actual = ParseVariableReference(mode == VariableMode::OutParameter
                                                           ? ReferenceContext::OutArgument
                                                           : ReferenceContext::VarArgument);
        // An untyped formal (no type entry) takes a variable of any type.
        if (declared != 0 && !SameType(formalType, actual.Type)) {
            Errors->Raise(ErrorNumber::TypesReferenceVariableAndFormalParameter);
        }
        return;
    }
    const std::uint8_t formalBase = BaseCode(formalType);
    if (formalBase == TypeCode::ProcedureType || formalBase == TypeCode::FunctionType) {
        // A routine named for a procedural formal is passed, not called.
        const std::string name = Lexer->TokenText();
        const EntryKind kind =
            formalBase == TypeCode::ProcedureType ? EntryKind::Procedure : EntryKind::Function;
        EntryNumber routine = 0;
        if (!name.empty() && Lexer->IsIdentifierStart(name[0]) &&
            Table->Lookup(name, kind, routine, CurrentRoutine) && Table->Owner(routine) != 0 &&
            (Table->Code(routine) & RoutineFlag::Predefined) == 0) {
            Lexer->NextToken();
            PushRoutineValue(routine, formalType);
            return;
        }
        // A procedural variable passes the routine it holds.
        EntryNumber variable = 0;
        if (!name.empty() && Lexer->IsIdentifierStart(name[0]) &&
            Table->Lookup(name, EntryKind::Variable, variable, CurrentRoutine) &&
            BaseCode(NormalType(Table->Link1(variable))) == formalBase) {
            ParseVariableReference(ReferenceContext::Read);
            return;
        }
    }
    const TypePair actual = ParseExpression();
    const std::uint16_t formalSubtype =
        BaseCode(formalType) == TypeCode::Set ? SetElement({formalType, 0}) : 0;
    if (!Compatible(formalType, actual.Type, formalSubtype, actual.Subtype, Data->Acc.Integer, 0)) {
        Errors->Raise(ErrorNumber::TypeExpressionIncompatibleTypeParameter);
    }
    const std::uint8_t formalCode = BaseCode(formalType);
    if (Generate && formalCode != BaseCode(actual.Type)) {
        Emit(PascalOpcode::ConvertType, 0, formalCode);
    }
    if (Execute) {
        if (formalCode < TypeCode::Real && OptionC(OptionC::CheckOrdinalLimits)) {
            PlanStep step;
            step.What = PlanStep::Kind::Fits;
            step.Type = formalType;
            step.Stride = actual.Type;
            RecordStep(step);
            Data->Pop();
            if (!FitsType(formalType, Data->Acc.Integer)) {
                Data->Fail(ErrorNumber::InvalidValue);
            }
            Data->Push(actual.Type);
        }
    }
}
