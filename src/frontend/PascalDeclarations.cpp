// Pascal declarations: the heading, blocks and their sections, USES, LABEL, CONST, TYPE and VAR.
#include "frontend/QbPascalSyntaxe.h"

#include "frontend/PascalWords.h"
#include "lexical/QbDico.h"
#include "lexical/QbLexical.h"
#include "runtime/DataAddress.h"
#include "runtime/QbGesdata.h"
#include "symbols/QbModule.h"

#include <cstring>

namespace {
constexpr std::uint32_t MaxGlobalArea = 65535;
// Locals lie at negative 16-bit offsets from the frame base.
constexpr std::uint32_t MaxLocalArea = 32767;
constexpr std::uint16_t NotAnchored = 0xFFFF; // a label's line, -1 until it is placed

bool IsIntegerCode(std::uint16_t code)
{
    return code >= TypeCode::Byte && code <= TypeCode::Longint;
}

std::string LowerCase(std::string text)
{
    for (char& ch : text) {
        if (ch >= 'A' && ch <= 'Z') {
            ch = static_cast<char>(ch - 'A' + 'a');
        }
    }
    return text;
}
} // namespace

// Names --------------------------------------------------------------------------------------

bool QbPascalSyntaxe::IsWordToken(std::uint16_t code)
{
    return !Word(code).empty() && Lexer->IsWord(code);
}

bool QbPascalSyntaxe::IsIdentifierToken() const
{
    const std::string& token = Lexer->TokenText();
    return !token.empty() && Lexer->IsIdentifierStart(token[0]);
}

std::string QbPascalSyntaxe::CurrentName()
{
    if (!IsIdentifierToken()) {
        Errors->Raise(ErrorNumber::IdentifierExpected);
    }
    return Lexer->TokenText();
}

EntryNumber QbPascalSyntaxe::CheckNewName(const std::string& name, EntryKind kind,
                                          EntryNumber block)
{
    if (OptionA(OptionA::ForbidReservedAsIdentifier) && Dictionary->IsVocabularyWord(name)) {
        Errors->Raise(ErrorNumber::ReservedWordAsIdentifier);
    }
    EntryNumber node = 0;
    if (Table->FindInBlock(name, kind, block, node)) {
        Errors->Raise(ErrorNumber::IdentifierAlreadyDeclared);
    }
    return node;
}

EntryNumber QbPascalSyntaxe::DeclareName(EntryKind kind, EntryNumber block)
{
    const std::string name = CurrentName();
    const EntryNumber parent = CheckNewName(name, kind, block);
    const EntryNumber entry = Table->NewEntry(name, kind, block);
    Table->LinkEntry(entry, parent, block);
    Lexer->NextToken();
    return entry;
}

// Heading and main block ---------------------------------------------------------------------

// heading = (PROGRAM | UNIT | MODELS) name [ "(" names ")" ] ";"
void QbPascalSyntaxe::ParseHeading(std::string& name)
{
    name.clear();
    if (Lexer->AcceptWord(PascalWord::Unit)) {
        UnitKind = 1;
    } else if (IsWordToken(PascalWord::Models)) {
        if (Generate) {
            Errors->Raise(ErrorNumber::ModelsNotCompilable);
        }
        Lexer->NextToken();
        UnitKind = 3;
    } else {
        Lexer->ExpectWord(PascalWord::Program);
        UnitKind = 2;
    }
    name = Lexer->ExpectIdentifier();
    if (Lexer->AcceptSymbol("(")) {
        do {
            Lexer->ExpectIdentifier();
        } while (Lexer->AcceptSymbol(","));
        Lexer->ExpectSymbol(")");
    }
    Lexer->ExpectSymbol(";");
}

// main-block = block "." for a program; INTERFACE ... IMPLEMENTATION ... for a unit or a
// models text.
void QbPascalSyntaxe::ParseMainBlock()
{
    UseAutomaticModules();
    if (UnitKind == 1 || UnitKind == 3) {
        ParseUnitParts(CurrentRoutine);
        ParseUnitEnd(CurrentRoutine);
    } else {
        ParseBlock();
    }
    Lexer->ExpectSymbol(".");
}

// block = declarations statement-part
void QbPascalSyntaxe::ParseBlock()
{
    ParseDeclarations();
    if (!IsWordToken(PascalWord::Begin)) {
        Errors->Raise(ErrorNumber::ReservedWordBeginSectionExpected);
    }
    ReportUnresolved(CurrentRoutine);
    ParseStatementPart(CurrentRoutine);
}

bool QbPascalSyntaxe::AtSectionEnd()
{
    static constexpr std::uint16_t words[] = {
        PascalWord::Const,     PascalWord::Label,          PascalWord::Type,  PascalWord::Var,
        PascalWord::Procedure, PascalWord::Function,       PascalWord::Begin, PascalWord::Unit,
        PascalWord::Interface, PascalWord::Implementation, PascalWord::End};
    if (!IsIdentifierToken()) {
        return true;
    }
    for (const std::uint16_t word : words) {
        if (IsWordToken(word)) {
            return true;
        }
    }
    return false;
}

void QbPascalSyntaxe::ParseDeclarations()
{
    const EntryNumber block = CurrentRoutine;
    const bool interfacePart = (InterfaceNesting & 1) != 0;
    if (Table->Owner(block) == 0 && Lexer->AcceptWord(PascalWord::Uses)) {
        ParseUses();
    }
    for (;;) {
        if (Lexer->AcceptWord(PascalWord::Const)) {
            ParseConstSection();
        } else if (IsWordToken(PascalWord::Label)) {
            if (interfacePart) {
                Errors->Raise(ErrorNumber::DeclarationLabelNotAllowedUnit);
            }
            ParseLabelSection();
        } else if (Lexer->AcceptWord(PascalWord::Type)) {
            ParseTypeSection();
        } else if (Lexer->AcceptWord(PascalWord::Var)) {
            ParseVarSection(false, block);
        } else if (Lexer->AcceptWord(PascalWord::Procedure)) {
            ParseRoutineDeclaration(EntryKind::Procedure);
        } else if (Lexer->AcceptWord(PascalWord::Function)) {
            ParseRoutineDeclaration(EntryKind::Function);
        } else if (IsWordToken(PascalWord::Begin)) {
            if (interfacePart) {
                Errors->Raise(ErrorNumber::BlocInstructionNotAllowedUnit);
            }
            return;
        } else if (IsWordToken(PascalWord::Unit) && !interfacePart && block == 1 && UnitKind == 2) {
            ParseUnitInProgram();
        } else {
            return;
        }
    }
}

// Reports what the block declared and never completed: a pointer's target type or a class
// method (52), a FORWARD routine (53).
void QbPascalSyntaxe::ReportUnresolved(EntryNumber block)
{
    std::string name;
    if (Table->FindUnresolvedPointer(Table->Slot(block, static_cast<int>(EntryKind::Type)), name)) {
        Errors->RaiseWith(ErrorNumber::ForwardDeclarationPointerOrMethodNot, name);
    }
    for (EntryNumber e = Table->FirstUserEntry(); Table->IsEntry(e); ++e) {
        if (Table->Owner(e) == block && Table->Kind(e) == EntryKind::Type &&
            Table->Code(e) == TypeCode::Undeclared) {
            Errors->RaiseWith(ErrorNumber::ForwardDeclarationPointerOrMethodNot, Table->GetName(e));
        }
    }
    if (Table->FindUnresolvedForward(Table->Slot(block, static_cast<int>(EntryKind::Procedure)),
                                     name) ||
        Table->FindUnresolvedForward(Table->Slot(block, static_cast<int>(EntryKind::Function)),
                                     name)) {
        Errors->RaiseWith(ErrorNumber::ForwardDeclarationProcedureOrFunctionNot, name);
    }
}

// Units --------------------------------------------------------------------------------------

// INTERFACE declarations IMPLEMENTATION declarations. The interface's routines are headings
// only; every top-level name of the implementation is hidden from the unit's users.
void QbPascalSyntaxe::ParseUnitParts(EntryNumber unit)
{
    Lexer->ExpectWord(PascalWord::Interface);
    const std::uint32_t savedNesting = InterfaceNesting;
    InterfaceNesting = (InterfaceNesting << 1) | 1;
    ParseDeclarations();
    InterfaceNesting = savedNesting << 1;
    Lexer->ExpectWord(PascalWord::Implementation);
    const EntryNumber implementationStart = Table->NextFree();
    ParseDeclarations();
    InterfaceNesting = savedNesting;
    // A function's result is linked among the unit's variables: it is hidden with its function.
    for (EntryNumber e = implementationStart; Table->IsEntry(e); ++e) {
        const bool result = Table->Kind(e) == EntryKind::Variable &&
                            Table->Code(e) == VariableMode::FunctionResult &&
                            Table->Owner(Table->Owner(e)) == unit;
        if ((Table->Owner(e) == unit && Table->Kind(e) != EntryKind::Use) || result) {
            Table->Mark(e);
        }
    }
}

// BEGIN statements END, or END alone for a unit without initialisation (its body position
// stays unrecorded, so nothing runs for it).
void QbPascalSyntaxe::ParseUnitEnd(EntryNumber unit)
{
    if (IsWordToken(PascalWord::Begin)) {
        ReportUnresolved(unit);
        ParseStatementPart(unit);
        return;
    }
    if (!IsWordToken(PascalWord::End)) {
        Errors->Raise(ErrorNumber::ReservedWordBeginSectionExpected);
    }
    ReportUnresolved(unit);
    Lexer->NextToken();
}

// USES name { "," name } ";" then the units named are loaded.
void QbPascalSyntaxe::ParseUses()
{
    do {
        const std::string name = CurrentName();
        UseUnit(name);
        Lexer->NextToken();
    } while (Lexer->AcceptSymbol(","));
    Lexer->ExpectSymbol(";");
    LoadUsedUnits(CurrentRoutine);
}

// Every user unit the block uses and that is not loaded yet is read now from its source: an
// editor page or file named after the unit, else the compiled name, which the lexer refuses
// (240). Compiling needs the unit's compiled file, which cannot be had here (72).
void QbPascalSyntaxe::LoadUsedUnits(EntryNumber block)
{
    EntryNumber use = Table->FirstUse(block);
    for (int steps = 0; steps <= QbTable::MaxEntries && Table->IsEntry(use);
         ++steps, use = Table->NextUse(use)) {
        if (Table->Code(use) != UseState::NotLoaded) {
            continue;
        }
        Table->SetCode(use, UseState::Loaded);
        if (Generate) {
            Errors->RaiseWith(ErrorNumber::UnitFileNotFound, Table->GetName(use) + ".mvu");
        }
        ParseUnitSource(use);
    }
}

// unit-source = UNIT name ";" INTERFACE ... IMPLEMENTATION ... (BEGIN ... END | END) "."
// Read as a nested source; the including text goes on with the token it held.
void QbPascalSyntaxe::ParseUnitSource(EntryNumber use)
{
    const std::string name = Table->GetName(use);
    const bool opened = Lexer->OpenSource("+" + name + ".pas") ||
                        Lexer->OpenSource("+" + LowerCase(name) + ".pas") ||
                        Lexer->OpenSource(name + ".mvu");
    if (!opened) {
        Errors->RaiseWith(ErrorNumber::CannotOpenInclude, name);
    }
    const EntryNumber savedRoutine = CurrentRoutine;
    const std::uint8_t savedKind = UnitKind;
    const std::uint32_t savedNesting = InterfaceNesting;
    Lexer->ExpectWord(PascalWord::Unit);
    const std::string heading = CurrentName();
    if (heading != name) {
        Errors->RaiseWith(ErrorNumber::UnitLoadError, heading);
    }
    Lexer->NextToken();
    Lexer->ExpectSymbol(";");
    const EntryNumber unit = Table->NewUnit(name);
    CurrentRoutine = unit;
    UseAutomaticModules();
    UnitKind = 1;
    InterfaceNesting = 0;
    ParseUnitParts(unit);
    ParseUnitEnd(unit);
    if (Lexer->TokenText() != ".") {
        Lexer->ExpectSymbol(".");
    }
    Lexer->CloseSource();
    CurrentRoutine = savedRoutine;
    UnitKind = savedKind;
    InterfaceNesting = savedNesting;
}

// UNIT name ";" INTERFACE ... IMPLEMENTATION ... "." inside a program's text: its names are
// used by the program. Not compilable (240).
void QbPascalSyntaxe::ParseUnitInProgram()
{
    if (Generate) {
        Errors->Raise(ErrorNumber::NotImplemented);
    }
    Lexer->NextToken();
    const std::string name = CurrentName();
    if (Table->FindUnit(name) != 0 || Table->FindUse(CurrentRoutine, name) != 0) {
        Errors->Raise(ErrorNumber::IdentifierAlreadyDeclared);
    }
    Lexer->NextToken();
    Lexer->ExpectSymbol(";");
    const EntryNumber unit = Table->NewUnit(name);
    const EntryNumber use = Table->NewEntry(name, EntryKind::Use, CurrentRoutine);
    Table->LinkEntry(use, 0, CurrentRoutine);
    Table->SetCode(use, UseState::Loaded);
    Table->SetValue(use, unit);
    Table->SetLink1(use, ++UnitCount);

    const EntryNumber savedRoutine = CurrentRoutine;
    CurrentRoutine = unit;
    UseAutomaticModules();
    ParseUnitParts(unit);
    ReportUnresolved(unit);
    Lexer->ExpectSymbol(".");
    CurrentRoutine = savedRoutine;
}

// A unit sees the automatic modules (SYSTEM) as a program does; CRT and GRAPH are used
// without USES while their program option (A 128, A 256) is on.
void QbPascalSyntaxe::UseAutomaticModules()
{
    for (int slot = 0; slot < SlotCount && !ModuleSlots[slot].Name.empty(); ++slot) {
        const int moduleClass = ModuleSlots[slot].ModuleClass;
        const bool optional =
            (moduleClass == static_cast<int>(ModuleClass::Crt) && OptionA(OptionA::AutoCrt)) ||
            (moduleClass == static_cast<int>(ModuleClass::Graph) && OptionA(OptionA::AutoGraph));
        if ((ModuleSlots[slot].Flags & 4) != 0 || optional) {
            ActivateModule(slot);
        }
    }
}

// Sections -----------------------------------------------------------------------------------

// LABEL name { "," name } ";": forbidden under option B 2 (error 90); a label name begins with
// a letter (error 22). Labels start unplaced (line -1).
void QbPascalSyntaxe::ParseLabelSection()
{
    if (OptionB(OptionB::ForbidLabels)) {
        Errors->Raise(ErrorNumber::LabelsNotAllowed);
    }
    Lexer->NextToken();
    do {
        if (!IsIdentifierToken()) {
            Errors->Raise(ErrorNumber::NameLabelNotAllowed);
        }
        const EntryNumber label = DeclareName(EntryKind::Label, CurrentRoutine);
        Table->SetValue(label, NotAnchored);
        if (Generate) {
            Table->SetCode(label, static_cast<std::uint8_t>(NewLabel()));
        }
    } while (Lexer->AcceptSymbol(","));
    Lexer->ExpectSymbol(";");
}

// CONST { name ( "=" expression | ":" type "=" typed-value ) ";" }
// A plain constant keeps its value in the entry: an ordinal in Link1 (with its enumeration or
// set element type in Aux), a LONGINT in the whole cell, a REAL, string or set in a block. An
// integer constant is INTEGER when its value fits, else LONGINT. A typed constant owns its
// storage (size + 2 bytes) and its type in Aux.
void QbPascalSyntaxe::ParseConstSection()
{
    const EntryNumber block = CurrentRoutine;
    // A section declares at least one name.
    if (AtSectionEnd()) {
        Errors->Raise(ErrorNumber::IdentifierExpected);
    }
    while (!AtSectionEnd()) {
        const std::string name = CurrentName();
        const EntryNumber parent = CheckNewName(name, EntryKind::Constant, block);
        Lexer->NextToken();
        if (Lexer->AcceptSymbol(":")) {
            const EntryNumber type = ParseTypeDenoter(true);
            const std::uint32_t size = TypeBytes(type);
            if (size + 2 > 0xFFFF) {
                Errors->Raise(ErrorNumber::SizeTooLarge);
            }
            const EntryNumber constant = Table->NewEntry(name, EntryKind::Constant, block);
            Table->LinkEntry(constant, parent, block);
            Table->SetAux(constant, type);
            Table->SetCode(constant, Table->Code(Table->BaseType(type)));
            Table->SetValue(constant, static_cast<std::uint16_t>(size + 2));
            Table->SetAttrBlock(constant, std::vector<std::uint8_t>(size + 2, 0));
            Lexer->ExpectSymbol("=");
            ParseTypedConstantValue(type, DataAddress::Constant(constant, 0));
        } else {
            Lexer->ExpectSymbol("=");
            const TypePair value = EvaluateConstant();
            const EntryNumber constant = Table->NewEntry(name, EntryKind::Constant, block);
            Table->LinkEntry(constant, parent, block);
            const Accumulator& acc = Data->Acc;
            // Type values above the type codes are type entries.
            const bool typeEntry = value.Type > TypeCode::AbstractClass &&
                                   value.Type != TypeCode::Undeclared &&
                                   Table->Kind(value.Type) == EntryKind::Type;
            std::uint16_t code = typeEntry ? Table->Code(Table->BaseType(value.Type)) : value.Type;
            if (IsIntegerCode(code)) {
                code = acc.Integer >= -32768 && acc.Integer <= 32767 ? TypeCode::Integer
                                                                     : TypeCode::Longint;
            }
            Table->SetCode(constant, static_cast<std::uint8_t>(code));
            switch (code) {
            case TypeCode::Longint:
                Table->SetCell(constant, static_cast<std::uint32_t>(acc.Integer));
                break;
            case TypeCode::Real: {
                std::vector<std::uint8_t> bytes(sizeof(double));
                std::memcpy(bytes.data(), &acc.Real, sizeof(double));
                Table->SetAttrBlock(constant, std::move(bytes));
                break;
            }
            case TypeCode::String:
                Table->SetAttrBlock(
                    constant, std::vector<std::uint8_t>(acc.String.begin(),
                                                        acc.String.begin() + acc.String[0] + 1));
                break;
            case TypeCode::Set:
                Table->SetAux(constant, value.Subtype);
                Table->SetAttrBlock(constant,
                                    std::vector<std::uint8_t>(acc.Set.begin(), acc.Set.end()));
                break;
            case TypeCode::Pointer:
                Table->SetLink1(constant, 0);
                break;
            case TypeCode::Boolean:
            case TypeCode::Char:
            case TypeCode::Enumerated:
            case TypeCode::Integer:
                Table->SetAux(constant, value.Subtype);
                Table->SetLink1(constant, static_cast<std::uint16_t>(acc.Integer));
                break;
            default:
                Errors->Raise(ErrorNumber::InvalidExpressionConstant);
            }
        }
        Lexer->ExpectSymbol(";");
    }
}

TypePair QbPascalSyntaxe::EvaluateConstant()
{
    const int before = Data->EvaluationCount();
    const TypePair value = EvaluateForView();
    if (Data->EvaluationCount() > before) {
        Data->Pop();
    }
    return value;
}

TypePair QbPascalSyntaxe::ReadBound()
{
    const int before = Data->EvaluationCount();
    const TypePair value = ParseConstant(true);
    if (Data->EvaluationCount() > before) {
        Data->Pop();
    }
    return value;
}

// TYPE { name "=" type ";" }: a name a pointer referred to before (code 255) is completed; a
// type the constructor made anonymously takes the name, any other becomes a named copy.
void QbPascalSyntaxe::ParseTypeSection()
{
    const EntryNumber block = CurrentRoutine;
    // A section declares at least one name.
    if (AtSectionEnd()) {
        Errors->Raise(ErrorNumber::IdentifierExpected);
    }
    while (!AtSectionEnd()) {
        const std::string name = CurrentName();
        if (OptionA(OptionA::ForbidReservedAsIdentifier) && Dictionary->IsVocabularyWord(name)) {
            Errors->Raise(ErrorNumber::ReservedWordAsIdentifier);
        }
        EntryNumber existing = 0;
        if (Table->FindInBlock(name, EntryKind::Type, block, existing) &&
            Table->Code(existing) != TypeCode::Undeclared) {
            Errors->Raise(ErrorNumber::IdentifierAlreadyDeclared);
        }
        Lexer->NextToken();
        Lexer->ExpectSymbol("=");
        const EntryNumber start = Table->NextFree();
        const EntryNumber type = ParseTypeDenoter(true);
        // The name may have become a pointer's target while its own type was read.
        if (!Table->FindInBlock(name, EntryKind::Type, block, existing)) {
            existing = 0;
        }
        const bool constructed =
            type >= start && Table->GetName(type).empty() && Table->Kind(type) == EntryKind::Type;
        if (existing != 0 && constructed) {
            AdoptType(existing, type);
        } else if (constructed) {
            Table->SetName(type, name);
            Table->LinkEntry(type, 0, block);
        } else {
            EntryNumber alias = existing;
            if (alias == 0) {
                alias = Table->NewEntry(name, EntryKind::Type, block);
                Table->LinkEntry(alias, 0, block);
            }
            Table->SetCode(alias, TypeCode::Alias);
            Table->SetLink1(alias, type);
            Table->SetValue(alias, TypeBytes(type));
        }
        Lexer->ExpectSymbol(";");
    }
}

// VAR { names ":" type [ABSOLUTE ...] ";" }: globals take the next addresses of the global
// area, locals the next negative frame offsets. An anonymous pointer type under option C 8 is
// error 2; a class with abstract methods error 121.
void QbPascalSyntaxe::ParseVarSection(bool fields, EntryNumber owner)
{
    if (fields) {
        EntryNumber last = 0;
        Table->SetValue(owner, static_cast<std::uint16_t>(ParseFieldList(owner, 0, last)));
        return;
    }
    // A section declares at least one name.
    if (AtSectionEnd()) {
        Errors->Raise(ErrorNumber::IdentifierExpected);
    }
    while (!AtSectionEnd()) {
        std::vector<EntryNumber> variables;
        do {
            variables.push_back(DeclareName(EntryKind::Variable, owner));
        } while (Lexer->AcceptSymbol(","));
        Lexer->ExpectSymbol(":");
        if (OptionC(OptionC::ForbidNonSimplePointers) && Lexer->TokenText() == "^") {
            Errors->Raise(ErrorNumber::IdentifierExpected);
        }
        const EntryNumber type = ParseTypeDenoter(true);
        if (Table->Code(Table->BaseType(type)) == TypeCode::AbstractClass) {
            Errors->Raise(ErrorNumber::ImpossibleInstantiateAbstractClass);
        }
        for (const EntryNumber variable : variables) {
            Table->SetLink1(variable, type);
        }
        if (IsWordToken(PascalWord::Absolute)) {
            ParseAbsolute(variables, type, owner);
        } else {
            const std::uint16_t size = TypeBytes(type);
            for (const EntryNumber variable : variables) {
                Table->SetValue(variable, AllocateVariable(owner, size));
            }
        }
        for (const EntryNumber variable : variables) {
            Table->PushVariable(owner, variable);
        }
        Lexer->ExpectSymbol(";");
    }
}

// ABSOLUTE variable | ABSOLUTE segment ":" offset. Forbidden under option A 2 (91); one
// variable only (83), not itself (84), of the same size (82), sharing the other's storage
// when both are globals or locals of the same routine (44 otherwise). An address is two
// integer constants (21); the interpreter has no machine memory to map, so such a variable
// gets storage of its own.
void QbPascalSyntaxe::ParseAbsolute(const std::vector<EntryNumber>& variables, EntryNumber type,
                                    EntryNumber block)
{
    if (OptionA(OptionA::ForbidAbsolute)) {
        Errors->Raise(ErrorNumber::AbsoluteNotAllowed);
    }
    Lexer->NextToken();
    if (variables.size() > 1) {
        Errors->Raise(ErrorNumber::ListVariablesCannotAbsolute);
    }
    const EntryNumber variable = variables.front();
    if (IsIdentifierToken()) {
        EntryNumber other = 0;
        if (!Table->Lookup(Lexer->TokenText(), EntryKind::Variable, other, block)) {
            Errors->Raise(ErrorNumber::IdentifierNotFound);
        }
        if (other == variable) {
            Errors->Raise(ErrorNumber::AutoreferenceImpossible);
        }
        if (TypeBytes(Table->Link1(other)) != TypeBytes(type)) {
            Errors->Raise(ErrorNumber::SizesTypesIdentic);
        }
        const bool bothGlobal = Table->Owner(block) == 0 && Table->Owner(Table->Owner(other)) == 0;
        const bool sameFrame = Table->Owner(other) == block;
        if (Table->Code(other) != VariableMode::Plain || !(bothGlobal || sameFrame)) {
            Errors->Raise(ErrorNumber::ReferenceVariableAreaExpected);
        }
        Table->SetValue(variable, Table->Value(other));
        Lexer->NextToken();
        return;
    }
    const TypePair segment = ReadBound();
    Lexer->ExpectSymbol(":");
    const TypePair offset = ReadBound();
    if (!IsIntegerCode(segment.Type) || !IsIntegerCode(offset.Type)) {
        Errors->Raise(ErrorNumber::IntegerTypeExpected);
    }
    Table->SetValue(variable, AllocateVariable(block, TypeBytes(type)));
}

std::uint16_t QbPascalSyntaxe::AllocateVariable(EntryNumber block, std::uint32_t size)
{
    if (Table->Owner(block) == 0) {
        // Programs and units share one global area, sized by entry 1.
        const std::uint32_t offset = Table->Value(1);
        const std::uint32_t end = offset + size;
        if (end > MaxGlobalArea) {
            Errors->Raise(ErrorNumber::SizeTooLarge);
        }
        Table->SetValue(1, static_cast<std::uint16_t>(end));
        if (block != 1) {
            Table->SetValue(block, static_cast<std::uint16_t>(Table->Value(block) + size));
        }
        GlobalsSize = static_cast<std::uint16_t>(end);
        return static_cast<std::uint16_t>(offset);
    }
    const std::uint32_t locals = Table->Value(block) + size;
    if (locals > MaxLocalArea) {
        Errors->Raise(ErrorNumber::SizeTooLarge);
    }
    Table->SetValue(block, static_cast<std::uint16_t>(locals));
    return static_cast<std::uint16_t>(-static_cast<std::int32_t>(locals));
}
