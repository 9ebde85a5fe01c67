// Pascal procedure and function declarations: headings, parameters, FORWARD and interface
// resolution, the routine's block, and the default parameter mode.
#include "frontend/QbPascalSyntaxe.h"

#include "frontend/PascalWords.h"
#include "lexical/QbDico.h"
#include "lexical/QbLexical.h"

namespace {
constexpr std::uint16_t NearFrameHeader = 4;
constexpr std::uint16_t FarFrameHeader = 6;
constexpr std::uint32_t MaxFrameOffset = 32767;

bool IsReferenceMode(std::uint8_t mode)
{
    return mode == VariableMode::VarParameter || mode == VariableMode::OutParameter;
}

// The parameter entries of a routine: right after it (after a function's result entry).
std::vector<EntryNumber> Formals(const QbTable& table, EntryNumber routine)
{
    std::vector<EntryNumber> formals;
    EntryNumber entry = routine + 1;
    if (table.Kind(routine) == EntryKind::Function) {
        ++entry;
    }
    for (; table.IsEntry(entry) && table.Kind(entry) == EntryKind::Variable &&
           table.Owner(entry) == routine;
         ++entry) {
        formals.push_back(entry);
    }
    return formals;
}

int HeadingLine(const QbLexical& lexer)
{
    int line = 0;
    int column = 0;
    lexer.TokenStart(line, column);
    return line + 1;
}
} // namespace

// routine = name [parameters] [":" type] ";" ( FORWARD ";" | EXTERNAL ";" | block ";" )
// PROCEDURE or FUNCTION has been read. A name already declared in this block as a routine of
// this kind is the definition of a FORWARD or interface heading; any other is error 55.
void QbPascalSyntaxe::ParseRoutineDeclaration(EntryKind kind)
{
    ParseDepthGuard guard(*this);
    const EntryNumber block = CurrentRoutine;
    const bool interfacePart = (InterfaceNesting & 1) != 0;
    const std::string name = CurrentName();
    const int line = HeadingLine(*Lexer);
    if (OptionA(OptionA::ForbidReservedAsIdentifier) && Dictionary->IsVocabularyWord(name)) {
        Errors->Raise(ErrorNumber::ReservedWordAsIdentifier);
    }
    EntryNumber node = 0;
    if (Table->FindInBlock(name, kind, block, node)) {
        const std::uint8_t code = Table->Code(node);
        if ((code & RoutineFlag::Forward) == 0 || (code & RoutineFlag::Predefined) != 0 ||
            interfacePart) {
            Errors->Raise(ErrorNumber::ProcedureOrFunctionAlreadyDeclared);
        }
        const EntryNumber routine = node;
        Lexer->NextToken();
        std::vector<ParameterSpec> specs;
        const bool listGiven = Lexer->TokenText() == "(";
        if (listGiven) {
            specs = ParseParameterSpecs();
        }
        EntryNumber resultType = 0;
        const bool resultGiven = kind == EntryKind::Function && Lexer->AcceptSymbol(":");
        if (resultGiven) {
            resultType = ParseTypeName(ErrorNumber::ReturnTypeFunctionNotDeclared);
        }
        CheckRepeatedHeading(routine, specs, listGiven, resultType, resultGiven);
        Table->SetCode(routine, static_cast<std::uint8_t>(code & ~RoutineFlag::Forward));
        Table->SetSlot(routine, RoutineSlot::DefiningLine, static_cast<std::uint16_t>(line));
        Lexer->ExpectSymbol(";");
        ParseRoutineBlock(routine);
        return;
    }
    EntryNumber outer = 0;
    if (Table->Lookup(name, kind, outer, block) && Table->Owner(outer) != block &&
        (Table->Code(outer) & RoutineFlag::Predefined) == 0 &&
        (Table->Code(outer) & RoutineFlag::Forward) != 0) {
        Errors->Raise(ErrorNumber::InvalidResolutionDeclarationForward);
    }
    if (Table->Depth(block) + 1 > GetOptions().MaxNesting) {
        Errors->Raise(ErrorNumber::TooManyNestedRoutines);
    }
    const EntryNumber routine = Table->NewEntry(name, kind, block);
    Table->LinkEntry(routine, node, block);
    Lexer->NextToken();
    if (Lexer->TokenText() == ".") {
        // Class methods are declared by the class family of the front-end.
        Errors->Raise(ErrorNumber::NotImplemented);
    }
    Table->SetSlot(routine, RoutineSlot::DefiningLine, static_cast<std::uint16_t>(line));
    Table->SetSlot(routine, RoutineSlot::CodeData, RoutineNumber++);
    if (OptionA(OptionA::FarCalls)) {
        Table->SetCode(routine, RoutineFlag::FarFrame);
    }
    if (kind == EntryKind::Function) {
        // The result: right after the function, found from the enclosing block by name.
        EntryNumber variableNode = 0;
        if (Table->FindInBlock(name, EntryKind::Variable, block, variableNode)) {
            Errors->Raise(ErrorNumber::ProcedureOrFunctionAlreadyDeclared);
        }
        const EntryNumber result = Table->NewEntry(name, EntryKind::Variable, routine);
        Table->SetCode(result, VariableMode::FunctionResult);
        Table->LinkEntry(result, variableNode, block);
    }
    Table->SetAux(routine,
                  Table->Code(routine) & RoutineFlag::FarFrame ? FarFrameHeader : NearFrameHeader);
    if (Lexer->TokenText() == "(") {
        CreateParameters(routine, ParseParameterSpecs());
    }
    if (kind == EntryKind::Function) {
        ParseResultType(routine);
    }
    Lexer->ExpectSymbol(";");
    if (interfacePart) {
        Table->SetCode(routine, Table->Code(routine) | RoutineFlag::Forward);
        Table->SetSlot(routine, RoutineSlot::ForwardLine, static_cast<std::uint16_t>(line));
        Table->SetSlot(routine, RoutineSlot::DefiningLine, 0);
        return;
    }
    if (Lexer->AcceptWord(PascalWord::Forward)) {
        Lexer->ExpectSymbol(";");
        Table->SetCode(routine, Table->Code(routine) | RoutineFlag::Forward);
        Table->SetSlot(routine, RoutineSlot::ForwardLine, static_cast<std::uint16_t>(line));
        Table->SetSlot(routine, RoutineSlot::DefiningLine, 0);
        return;
    }
    if (Lexer->AcceptWord(PascalWord::External)) {
        Lexer->ExpectSymbol(";");
        return;
    }
    ParseRoutineBlock(routine);
}

// The routine's declarations and statement part, read with the routine as CurrentRoutine.
void QbPascalSyntaxe::ParseRoutineBlock(EntryNumber routine)
{
    const EntryNumber saved = CurrentRoutine;
    const int savedWithDepth = WithDepth;
    CurrentRoutine = routine;
    ParseBlock();
    WithDepth = savedWithDepth;
    CurrentRoutine = saved;
    Lexer->ExpectSymbol(";");
}

// ":" type-name (57, 58). A result whose type code is above 11 (above 14 under option A 2048,
// so that arrays, sets and records may be returned) is error 68; a model returns a string
// (206). The result is the routine's first local.
EntryNumber QbPascalSyntaxe::ParseResultType(EntryNumber function)
{
    if (!Lexer->AcceptSymbol(":")) {
        Errors->Raise(ErrorNumber::ColonExpected);
    }
    const EntryNumber type = ParseTypeName(ErrorNumber::ReturnTypeFunctionNotDeclared);
    const std::uint8_t code = Table->Code(Table->BaseType(type));
    const std::uint8_t limit =
        OptionA(OptionA::Reserved2048) ? TypeCode::Record : TypeCode::Pointer;
    if (code > limit) {
        Errors->Raise(ErrorNumber::TypeResultFunctionNotAllowed);
    }
    if (UnitKind == 3 && (InterfaceNesting & 1) != 0 && code != TypeCode::String) {
        Errors->Raise(ErrorNumber::ReturnValueModelTypeString);
    }
    const EntryNumber result = function + 1;
    Table->SetLink1(result, type);
    const std::uint32_t locals = Table->Value(function) + TypeBytes(type);
    if (locals > MaxFrameOffset) {
        Errors->Raise(ErrorNumber::SizeTooLarge);
    }
    Table->SetValue(function, static_cast<std::uint16_t>(locals));
    Table->SetValue(result, static_cast<std::uint16_t>(-static_cast<std::int32_t>(locals)));
    return type;
}

// "(" group { ";" group } ")", group = [mode-word] names ":" type-name. Without a mode word the
// vocabulary's default mode applies (error 110 when it has none); an anonymous type is error
// 56. In a models text's interface, VAR and OUT parameters are error 204, parameters that are
// not strings error 205.
std::vector<QbPascalSyntaxe::ParameterSpec> QbPascalSyntaxe::ParseParameterSpecs()
{
    static constexpr struct
    {
        std::uint16_t Word;
        std::uint8_t Mode;
    } modeWords[] = {{PascalWord::VarParameter, VariableMode::VarParameter},
                     {PascalWord::ConstParameter, VariableMode::ConstParameter},
                     {PascalWord::OutParameter, VariableMode::OutParameter},
                     {PascalWord::ValueMode, VariableMode::ValueParameter}};
    const bool modelsInterface = UnitKind == 3 && (InterfaceNesting & 1) != 0;
    std::vector<ParameterSpec> specs;
    Lexer->ExpectSymbol("(");
    do {
        bool written = false;
        std::uint8_t mode = DefaultMode;
        for (const auto& candidate : modeWords) {
            if (IsWordToken(candidate.Word)) {
                mode = candidate.Mode;
                written = true;
                Lexer->NextToken();
                break;
            }
        }
        if (!written && !HasDefaultMode) {
            Errors->Raise(ErrorNumber::DeterminationModeParameterMissing);
        }
        if (modelsInterface && IsReferenceMode(mode)) {
            Errors->Raise(ErrorNumber::ParametersModelsPassedValue);
        }
        const std::size_t groupStart = specs.size();
        do {
            const std::string name = CurrentName();
            if (OptionA(OptionA::ForbidReservedAsIdentifier) &&
                Dictionary->IsVocabularyWord(name)) {
                Errors->Raise(ErrorNumber::ReservedWordAsIdentifier);
            }
            for (const ParameterSpec& spec : specs) {
                if (spec.Name == name.substr(0, QbTable::NameLength)) {
                    Errors->Raise(ErrorNumber::IdentifierAlreadyDeclared);
                }
            }
            specs.push_back({name.substr(0, QbTable::NameLength), mode, 0});
            Lexer->NextToken();
        } while (Lexer->AcceptSymbol(","));
        Lexer->ExpectSymbol(":");
        const EntryNumber type = ParseTypeName(ErrorNumber::EndHeadingDeclarationFunctonExpected);
        if (IsWordToken(PascalWord::Absolute)) {
            Errors->Raise(ErrorNumber::ValidOnlyDeclarationVariable);
        }
        if (modelsInterface && Table->Code(Table->BaseType(type)) != TypeCode::String) {
            Errors->Raise(ErrorNumber::ParametersModelsTypeString);
        }
        for (std::size_t i = groupStart; i < specs.size(); ++i) {
            specs[i].Type = type;
        }
    } while (Lexer->AcceptSymbol(";"));
    Lexer->ExpectSymbol(")");
    return specs;
}

void QbPascalSyntaxe::ParseParameterList(EntryNumber routine)
{
    CreateParameters(routine, ParseParameterSpecs());
}

// The parameter entries, consecutive and chained in declaration order. A routine's are in its
// own name tree. A VAR or OUT parameter holds a 4-byte address, a value or CONST parameter a
// copy; the last parameter lies right above the frame header, each earlier one above it.
void QbPascalSyntaxe::CreateParameters(EntryNumber owner, const std::vector<ParameterSpec>& specs)
{
    const bool routine = Table->HasRoutineBlock(owner);
    std::vector<EntryNumber> entries;
    EntryNumber previous = 0;
    for (const ParameterSpec& spec : specs) {
        const EntryNumber parent =
            routine ? CheckNewName(spec.Name, EntryKind::Variable, owner) : 0;
        const EntryNumber entry = Table->NewEntry(spec.Name, EntryKind::Variable, owner);
        if (routine) {
            Table->LinkEntry(entry, parent, owner);
        }
        Table->SetCode(entry, spec.Mode);
        Table->SetLink1(entry, spec.Type);
        if (previous != 0) {
            Table->ChainAfter(entry, previous);
        }
        previous = entry;
        entries.push_back(entry);
    }
    const bool far = routine && (Table->Code(owner) & RoutineFlag::FarFrame) != 0;
    std::uint32_t offset = far ? FarFrameHeader : NearFrameHeader;
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        Table->SetValue(*it, static_cast<std::uint16_t>(offset));
        offset += IsReferenceMode(Table->Code(*it)) ? 4u : TypeBytes(Table->Link1(*it));
        if (offset > MaxFrameOffset) {
            Errors->Raise(ErrorNumber::SizeTooLarge);
        }
    }
    Table->SetAux(owner, static_cast<std::uint16_t>(offset));
}

// The definition of a FORWARD or interface heading: a parameter list, when written, repeats the
// heading's (same names, modes and types; a function's result type too), and under option
// A 1024 it must be written (error 120 otherwise).
void QbPascalSyntaxe::CheckRepeatedHeading(EntryNumber routine,
                                           const std::vector<ParameterSpec>& specs, bool listGiven,
                                           EntryNumber resultType, bool resultGiven)
{
    const bool mustRepeat = OptionA(OptionA::RepeatPublicParameters);
    const std::vector<EntryNumber> formals = Formals(*Table, routine);
    if (listGiven || (mustRepeat && !formals.empty())) {
        bool same = specs.size() == formals.size();
        for (std::size_t i = 0; same && i < specs.size(); ++i) {
            same = specs[i].Name == Table->GetName(formals[i]) &&
                   specs[i].Mode == Table->Code(formals[i]) &&
                   Table->TypeKey(specs[i].Type) == Table->TypeKey(Table->Link1(formals[i]));
        }
        if (!same) {
            Errors->Raise(ErrorNumber::DeclarationDifferentFromInitialDeclaration);
        }
    }
    if (Table->Kind(routine) == EntryKind::Function && (resultGiven || mustRepeat)) {
        const EntryNumber declared = Table->Link1(routine + 1);
        if (!resultGiven || Table->TypeKey(resultType) != Table->TypeKey(declared)) {
            Errors->Raise(ErrorNumber::DeclarationDifferentFromInitialDeclaration);
        }
    }
}

// The mode of a parameter written without a mode word: the one of the four mode words (value
// 42, CONST 89, VAR 43, OUT 90) that the vocabulary leaves empty. With none empty a mode word
// is always written; two or more empty ones are error 86.
void QbPascalSyntaxe::ComputeDefaultMode()
{
    static constexpr struct
    {
        std::uint16_t Word;
        std::uint8_t Mode;
    } modeWords[] = {{PascalWord::ValueMode, VariableMode::ValueParameter},
                     {PascalWord::ConstParameter, VariableMode::ConstParameter},
                     {PascalWord::VarParameter, VariableMode::VarParameter},
                     {PascalWord::OutParameter, VariableMode::OutParameter}};
    int empty = 0;
    DefaultMode = VariableMode::ValueParameter;
    for (const auto& candidate : modeWords) {
        if (Word(candidate.Word).empty()) {
            ++empty;
            DefaultMode = candidate.Mode;
        }
    }
    if (empty > 1) {
        Errors->Raise(ErrorNumber::TooManyDefaultModes);
    }
    HasDefaultMode = empty == 1;
}
