// The Pascal front-end: one routine per construct, checking, executing or emitting as it reads.
#pragma once

#include "frontend/ExpressionPlan.h"
#include "frontend/QbSyntaxe.h"
#include "lexical/QbLexical.h"
#include "runtime/DirectPlace.h"
#include "symbols/QbTable.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class GotoExcept;

struct ReadingPosition;

// The driver for Pascal programs, units and models texts. Reads source upper-cased (option A
// 4096) and offers SYSTEM, CRT and GRAPH to USES. There is no syntax tree: each routine below
// reads its construct and, by the driver's Execute and Generate flags, only checks it, also
// performs it through the data manager, or also emits instructions. Loops and calls re-read
// source text from saved lexer positions.
//
// The routines are split by construct family: PascalDeclarations.cpp (heading, blocks,
// sections, USES), PascalTypes.cpp (type constructors, typed constants), PascalRoutines.cpp
// (procedure and function declarations, parameters), PascalStatements.cpp,
// PascalExpressions.cpp and PascalReferences.cpp (variable references and selectors).
// The plans of a run, by number: each stays where it is while others are added (a replay holds
// its own while the bodies it executes record theirs), and is reached in two loads.
template <class Plan> class PlanList
{
  public:
    Plan& operator[](std::size_t index) { return *plans[index]; }
    const Plan& operator[](std::size_t index) const { return *plans[index]; }
    std::size_t size() const { return plans.size(); }
    Plan& back() { return *plans.back(); }
    void push_back(Plan&& plan) { plans.push_back(std::make_unique<Plan>(std::move(plan))); }
    void clear() { plans.clear(); }

  private:
    std::vector<std::unique_ptr<Plan>> plans;
};

class QbPascalSyntaxe : public QbSyntaxe, public WithScope
{
  public:
    static constexpr int MaxWithDepth = 16;

    explicit QbPascalSyntaxe(const DriverEnvironment& environment);

    // Driver slots.
    void ParseHeading(std::string& name) override;
    void ParseMainBlock() override;
    void PrepareRun(int mode) override;
    void ExecuteRoutineBody(std::uint16_t routine) override;
    int HeadingKind(const std::string& word) override;
    bool IsRoutineHeading(const std::string& line) override;
    void ParseCondition() override;
    void RequireBoolean(TypePair type) const;
    TypePair ParseExpression() override;
    TypePair ParseConstant(bool caseLabel) override;
    void ParseActualParameter(std::uint16_t formal) override;
    int ParseSignedArguments(const std::string& signature,
                             std::vector<SignedArgument>& arguments) override;
    bool Compatible(std::uint16_t targetType, std::uint16_t sourceType, std::uint16_t targetSub,
                    std::uint16_t sourceSub, std::int32_t sourceValue,
                    std::int32_t targetValue) override;

    // Off, every expression and assignment is read from its text at every execution (what the
    // plans must never change; the tests compare both).
    bool KeepPlans = true;

    // WithScope, for the symbol table: fields of the records opened by WITH.
    bool FindWithField(std::string_view name, EntryNumber routine, EntryNumber& field) override;
    void StoreWithDepth(EntryNumber routine) override;

    // Declarations (PascalDeclarations.cpp, PascalTypes.cpp, PascalRoutines.cpp).
    void ParseBlock();
    void ParseUses();
    void ParseLabelSection();
    void ParseConstSection();
    void ParseTypeSection();
    void ParseVarSection(bool fields, EntryNumber owner);
    void ParseUnitInProgram();
    // A type text; returns the type entry (or a predefined type's entry).
    EntryNumber ParseTypeDenoter(bool anonymousAllowed);
    void ParseTypedConstantValue(EntryNumber type, std::uint32_t address);
    void ParseRoutineDeclaration(EntryKind kind);
    void ParseParameterList(EntryNumber routine);
    // A name about to be declared: error 18 for a vocabulary word under option A 512, error 3
    // when `kind` already has it in `block`; returns the tree parent for LinkEntry.
    EntryNumber CheckNewName(const std::string& name, EntryKind kind, EntryNumber block);
    // Declared names of this parse's blocks that are still unresolved (errors 52, 53).
    void ReportUnresolved(EntryNumber block);
    void ComputeDefaultMode();
    // Declaration helpers (PascalDeclarations.cpp).
    // The current token is a word of the vocabulary with a non-empty wording.
    bool IsWordToken(std::uint16_t code);
    bool IsIdentifierToken() const;
    // The current token as a name about to be declared (error 2 when it is no identifier); it
    // is not consumed, so that an error about the name points at it.
    std::string CurrentName();
    // CheckNewName, then a new entry of `kind` owned by `block` and linked into its tree; the
    // name is consumed.
    EntryNumber DeclareName(EntryKind kind, EntryNumber block);
    // Declaration sections in any order until a word that opens none (BEGIN included, error 74
    // in an interface part); USES first in a program or unit.
    void ParseDeclarations();
    bool AtSectionEnd();
    // INTERFACE declarations IMPLEMENTATION declarations; the implementation's names are hidden.
    void ParseUnitParts(EntryNumber unit);
    // A unit's initialisation part (BEGIN ... END) or its bare END.
    void ParseUnitEnd(EntryNumber unit);
    void LoadUsedUnits(EntryNumber block);
    void UseAutomaticModules();
    void ParseUnitSource(EntryNumber use);
    void ParseAbsolute(const std::vector<EntryNumber>& variables, EntryNumber type,
                       EntryNumber block);
    // Storage for `size` bytes declared in `block`: the next global address for a program or
    // unit (GlobalsSize grows), the next negative frame offset for a routine.
    std::uint16_t AllocateVariable(EntryNumber block, std::uint32_t size);
    // A constant expression evaluated at declaration time; the value is in the accumulator.
    TypePair EvaluateConstant();
    // One bound of a subrange or an ABSOLUTE address: a constant read as a CASE label reads it.
    TypePair ReadBound();

    // Type constructors (PascalTypes.cpp). Structured types are anonymous entries owned by
    // CurrentRoutine; a TYPE declaration names the entry its constructor made. An array's index
    // types are consecutive entries made for it: a subrange copy (BOOLEAN, CHAR and BYTE become
    // subranges 0..1 and 0..255 of their own code) or a named copy of an enumeration. A
    // procedural type's parameters are the kind-3 entries right after it, its Link1 the result
    // type of a function type. File types carry their size in Value.
    EntryNumber ParseTypeName(ErrorNumber missing);
    EntryNumber ParseStringType();
    EntryNumber ParseEnumeration();
    EntryNumber ParsePointerType();
    EntryNumber ParseSetType();
    EntryNumber ParseFileType();
    EntryNumber ParseArrayType();
    EntryNumber ParseRecordType();
    EntryNumber ParseProceduralType(EntryKind kind);
    EntryNumber ParseNamedOrSubrange();
    // Fields from `offset` on, chained after `lastField`; returns the offset after them.
    std::uint32_t ParseFieldList(EntryNumber record, std::uint32_t offset, EntryNumber& lastField);
    std::uint32_t ParseVariantPart(EntryNumber record, std::uint32_t offset,
                                   EntryNumber& lastField);
    EntryNumber NewTypeEntry(std::uint8_t code, std::uint16_t size);
    void NotePredefinedType(EntryNumber type);
    // A forward-declared type (code 255) takes over the type its declaration constructed.
    void AdoptType(EntryNumber named, EntryNumber constructed);
    // Bytes a value of `type` occupies (file types: the size recorded in their entry).
    std::uint16_t TypeBytes(EntryNumber type);
    void ParseArrayConstant(EntryNumber array, int dimension, std::uint32_t address);
    void ParseRecordConstant(EntryNumber record, std::uint32_t address);
    void StoreConstantValue(EntryNumber type, std::uint32_t address);

    // Routine headings (PascalRoutines.cpp). A routine's parameters are the kind-3 entries right
    // after it (after a function's result entry), in declaration order, chained by Link2; the
    // last one lies just above the frame header. A routine's Aux is its frame header size plus
    // its parameters' size, slot 15 its code label.
    struct ParameterSpec
    {
        std::string Name;
        std::uint8_t Mode = VariableMode::ValueParameter;
        EntryNumber Type = 0;
    };
    std::vector<ParameterSpec> ParseParameterSpecs();
    void CreateParameters(EntryNumber owner, const std::vector<ParameterSpec>& specs);
    // The heading repeated when a FORWARD or interface routine is defined (error 120).
    void CheckRepeatedHeading(EntryNumber routine, const std::vector<ParameterSpec>& specs,
                              bool listGiven, EntryNumber resultType, bool resultGiven);
    EntryNumber ParseResultType(EntryNumber function);
    void ParseRoutineBlock(EntryNumber routine);

    // Statements (PascalStatements.cpp).
    void ParseStatementList(bool body);
    void ParseStatement();
    void ParseStatementKind();
    // ParseStatementKind once ESC has been polled.
    void ParseStatementBody();
    void ParseNamedStatement();
    void ParseAssignment(EntryNumber variable);
    void ParseIf();
    void ParseWhile();
    struct StatementRecording;
    void ReadWhile(const ReadingPosition& condition, int passes, StatementRecording* recording);
    void ParseRepeat();
    void ParseFor();
    void ParseCase();
    // A CASE's arms from its first label (or, `resume` 1, right after a label arm executed;
    // 2, after its ELSE arm) to END; `recording` notes what a CasePlan keeps of the reading.
    struct CaseRecording
    {
        CasePlan Plan;
        QbLexical::SkipMark Mark;     // at the first label
        QbLexical::SkipMark AfterArm; // after the arm executed
        int ArmEndLine = 0;           // the start of the token that follows it
        int ArmEndColumn = 0;
        int Ran = -1; // the arm executed, -1 for none
    };
    void ReadCaseArms(const TypePair& selector, std::int32_t value, int resume,
                      CaseRecording* recording);
    // Executes the CASE at `mark` by its plan `index`: false, having read nothing, when the
    // plan does not know where `value` goes.
    bool ReplayCase(const QbLexical::SkipMark& mark, std::size_t index, std::int32_t value,
                    const TypePair& selector);
    // The plan of the CASE whose first label is at `mark`, or -1.
    int FindCasePlan(const QbLexical::SkipMark& mark) const;
    // The number of the plan among `places` the lexer keeps at `mark` with a tag from `base`
    // (that number above it), when that plan was recorded at this very place; else -1.
    template <class Places>
    int FindPlace(const QbLexical::SkipMark& mark, std::int32_t base, const Places& places) const
    {
        const QbTextSource::KeptToken* kept = Lexer->PlanKept(mark);
        if (kept == nullptr || kept->Tag < base ||
            static_cast<std::size_t>(kept->Tag - base) >= places.size()) {
            return -1;
        }
        const PlanPlace& plan = places[static_cast<std::size_t>(kept->Tag - base)];
        int line = 0;
        int column = 0;
        Lexer->TokenStart(line, column);
        return plan.Text == mark.Text && plan.TokenLine == line && plan.TokenColumn == column
                   ? kept->Tag - base
                   : -1;
    }
    // Keeps what the reading found; the plan's number, or -1 when none is kept.
    int KeepCasePlan(CaseRecording& recording, int index);
    void ParseWith();
    void ParseGoto();
    void ParseInline();
    void AnchorLabel(EntryNumber label);
    // Reads one statement with Execute off, then restores it.
    void SkipStatement();
    // The statement part of a block, called by the block reader with BEGIN (word 9) as the
    // current token: records in `routine`'s slots 9-10 where the first statement starts and in
    // slots 11-12 where the closing END stands, reading the statements in between.
    void ParseStatementPart(EntryNumber routine);
    // The 1-based line and the column at which Reposition re-reads the current token.
    void TokenPosition(int& line, int& column) const;
    // Statement-family helpers.
    void ParseProceduralCall(TypePair target);
    void PassLoop(int& passes);
    EntryNumber ForLimitVariable(EntryNumber control);
    // A FOR loop being executed: the variable's type and the places of the variable and its
    // limit (a whole global variable's number and size, or 0 to look for it as always).
    struct ForVariable
    {
        std::uint32_t Address = 0;
        std::uint16_t Global = 0;
        std::uint32_t Size = 0;
        DirectPlace Direct; // a global of a scalar type: moved straight
    };
    struct ForLoop
    {
        TypePair Target;
        std::uint8_t Code = 0;
        bool Up = true;
        ForVariable Control;
        ForVariable Limit;
    };
    ForVariable ForPlace(EntryNumber variable);
    // The popped bound into `variable`, checked against the loop's type.
    void ForStore(const ForLoop& loop, const ForVariable& variable);
    // The accumulator into `variable`, unchecked.
    void ForWrite(const ForLoop& loop, const ForVariable& variable);
    void ForWriteGeneral(const ForLoop& loop, const ForVariable& variable);
    std::int32_t ForLoad(const ForLoop& loop, const ForVariable& variable);
    void ForLoadGeneral(const ForLoop& loop, const ForVariable& variable);
    // The passes: the body read from `body` (its plan noted in `noted` the first time), or,
    // with `planned`, executed by its plan in `text` without reading the loop again.
    void ForPasses(const ForLoop& loop, const ReadingPosition& body, StatementPlan::Part* noted,
                   StatementPlan::Part* planned, const void* text);
    bool InTypeRange(std::uint16_t type, std::int32_t value) const;
    void TypeRange(std::uint16_t type, std::int32_t& low, std::int32_t& high) const;
    std::uint8_t ResolvedCode(std::uint16_t type) const;
    // The WithStack index of the record holding the field FindWithField found last; a variable
    // reference takes that record's address from WithStack[WithFieldIndex].Address.
    int WithFieldIndex = 0;
    // The variable whose address the last reference executed started from (a VAR parameter's
    // own entry, not its actual variable's).
    EntryNumber LastReferenced = 0;
    // Routine bodies being executed, and where the host stack stood when the outermost began:
    // an interpreted recursion deeper than the host stack allows is error 201, never a crash.
    int BodyNesting = 0;
    std::uintptr_t StackStart = 0;

    // Expressions (PascalExpressions.cpp).
    TypePair ParseRelation();
    TypePair ParseSimpleExpression();
    TypePair ParseTerm();
    TypePair ParseShortCircuit(bool orElse);
    TypePair ParsePower();
    TypePair ParseFactor();
    TypePair ParseSetConstructor();
    TypePair ParseOrdinalExpression();
    // The base of a type: a named copy or subrange is followed to the code that decides it.
    std::uint8_t BaseCode(std::uint16_t type) const;
    // The element type of a set with no element yet ([]): it goes with every set.
    static constexpr std::uint16_t AnyElement = 0xFFFF;
    // The type of the value a function call leaves: set to the declared result before a call;
    // a predefined function's handler whose result follows its argument (ABS, SUCC...) sets it.
    TypePair ExpressionType;
    // A type value names a type entry (above the type codes) rather than a type code.
    bool IsTypeEntry(std::uint16_t type) const;
    // A type entry of the table as the expression readers carry it: a predefined type becomes
    // its code. Only for entries read from the table, never for a type value already carried.
    std::uint16_t NormalType(std::uint16_t type) const;
    // What decides whether two set elements go together: the enumeration, or the ordinal family
    // (BOOLEAN, CHAR, or BYTE for every integer type); 0xFFFE for a type that is not ordinal.
    std::uint16_t ElementKind(std::uint16_t type) const;
    // Two element kinds go together (AnyElement goes with every kind).
    bool ElementsMatch(std::uint16_t a, std::uint16_t b) const;
    // The set subtype of a set type or set value.
    std::uint16_t SetElement(TypePair type) const;
    // A value fits a type's range (any value fits a type without one).
    bool FitsType(std::uint16_t type, std::int32_t value) const;
    // The same type for a VAR argument: the same declared type, or the same predefined code.
    bool SameType(std::uint16_t a, std::uint16_t b) const;
    // Routines or procedural types with matching parameter lists (and function results).
    bool ParametersMatch(EntryNumber a, EntryNumber b);
    TypePair ParseNumber(bool caseLabel);
    TypePair ParseSetConstant();
    TypePair ParseNamedConstant(EntryNumber entry);
    TypePair ParseNameFactor();
    TypePair ParseConversion(EntryNumber type);
    TypePair CallFunction(EntryNumber function);
    TypePair FunctionFactor(EntryNumber function);
    // A routine as a procedural value; executing, its entry number is pushed as `type`.
    TypePair PushRoutineValue(EntryNumber routine, std::uint16_t type);
    // Executing, pushes the accumulator as a value of `type`.
    void PushValue(std::uint16_t type);
    void EmitConstantValue(TypePair type);
    // Emits the conversions of a mixed pair and the operator, and performs it when executing.
    void ApplyOperator(int op, int opcode, TypePair left, TypePair right, std::uint16_t result);

    // Expressions executed where they stand (PascalPlans.cpp): a checked program being run
    // keeps, for each place an expression is read from, what the reading asked of the data
    // manager; the next reading from there repeats it and jumps over the text. A reading that
    // did what a plan cannot repeat (a call, a set, a string, a WITH field, a pointer...) is
    // kept as never to be planned.
    bool PlansAllowed() const
    {
        return Execute && !Generate && !Checking && !MicroStep && !SearchingLabel && KeepPlans &&
               ViewEvaluations <= 0;
    }
    TypePair PlannedExpression();
    void PlannedStatement();
    // Reads a construct under a plan, or records one while reading it with `read`: an
    // expression, an assignment (`statement`) or a condition and its `closing` word.
    template <class Read> TypePair Planned(bool statement, std::uint16_t closing, const Read& read);
    // A condition followed by `word` (THEN, DO), planned as one.
    void ParseConditionThen(std::uint16_t word);
    // The assignment's last step: the value popped, checked and converted for the target of
    // type `type` (code `code`), and stored at the target's address.
    void FinishAssignment(std::uint16_t type, std::uint8_t code, bool integerSource,
                          const PlanTarget& target, const HeldResult* held = nullptr);
    // The steps repeated, an assignment's store excepted: its target is left in `target`. With
    // `result`, an integer left as the only value is given there instead of being pushed.
    bool RunPlan(ExpressionPlan& plan, PlanTarget& target, HeldResult* result = nullptr);
    // The table, options, routine and nesting are those the plan was recorded under (its place
    // is compared where it is found).
    bool PlanHolds(const PlanPlace& plan) const
    {
        return PlanHoldsIn(plan, CurrentRoutine, ParseDepth);
    }
    // The same where `routine` is current at nesting `depth`.
    bool PlanHoldsIn(const PlanPlace& plan, EntryNumber routine, int depth) const
    {
        return plan.Generation == Table->Generation() && plan.OptionsKey == OptionsKey() &&
               plan.Routine == routine && plan.ParseDepth == depth;
    }
    void StartPlace(PlanPlace& plan, const void* text, int line, int column) const;
    TypePair ReadRecordedRelation();
    static bool PlanBalanced(const ExpressionPlan& plan);
    int IndexByGlobal(const PlanStep* at, const PlanStep* end, int holding);
    // The plan's quick form (frontend/PascalQuickPlans.cpp).
    void MakeQuickForm(ExpressionPlan& plan) const;
    bool QuickField(const std::vector<PlanStep>& steps, std::size_t& at, QuickStep& out) const;
    bool QuickFieldAt(const QuickStep& step, std::uint32_t& address);
    bool QuickTargetAt(const QuickForm& quick, PlanTarget& target);
    // `variable` lies in a routine's frame and its value, of `type`, is read and stored
    // straight (no VAR or OUT parameter, a scalar): `code` its type's code.
    bool StraightLocal(std::uint16_t variable, std::uint16_t type, std::uint8_t& code) const;
    bool QuickElement(const std::vector<PlanStep>& steps, std::size_t& at,
                      std::optional<std::uint16_t> type, QuickStep& out) const;
    void QuickStoreOf(const PlanStep& assign, QuickForm& quick) const;
    bool QuickElementAt(const QuickStep& step, std::uint32_t& address, std::int32_t& last,
                        std::int32_t& from);
    // RunPlan by the plan's quick form: the same target, result and accumulator, the current
    // address where the steps leave it. False, with nothing changed, when RunPlan must take it.
    bool RunQuickPlan(const ExpressionPlan& plan, PlanTarget& target, HeldResult& held)
    {
        return plan.Quick.Real ? RunQuick<true>(plan, target, held)
                               : RunQuick<false>(plan, target, held);
    }
    template <bool Reals>
    bool RunQuick(const ExpressionPlan& plan, PlanTarget& target, HeldResult& held);
    bool QuickStore(const QuickForm& quick, const PlanTarget& target, std::int32_t value);
    bool QuickStoreLocal(const QuickForm& quick);
    void FinishPlannedAssignment(const StatementPlan& plan, const ExpressionPlan& assignment,
                                 const PlanTarget& target, const HeldResult& held, bool positioned);
    // RunPlan, by the quick form when the plan has one that goes through.
    bool ReplayPlan(ExpressionPlan& plan, PlanTarget& target, HeldResult& held)
    {
        return (!plan.Quick.Steps.empty() && RunQuickPlan(plan, target, held)) ||
               RunPlan(plan, target, &held);
    }
    // The same for an expression, its value pushed.
    bool ReplayPushed(ExpressionPlan& plan, PlanTarget& target);
    void FuseGlobalLoads(ExpressionPlan& plan) const;
    void RecordStep(PlanStep step)
    {
        if (Recording != nullptr) {
            Lexer->TokenStart(step.Line, step.Column);
            Recording->Steps.push_back(step);
        }
    }
    void RecordOperate(int op, std::uint16_t result)
    {
        if (Recording != nullptr) {
            PlanStep step;
            step.What = PlanStep::Kind::Operate;
            step.Type = result;
            step.Integer = op;
            RecordStep(step);
        }
    }
    // A call of the pupil's function `function` that a plan can repeat: value parameters of
    // scalar types only.
    bool PlannableCall(EntryNumber function) const;
    // Call(5, function) for such a call, recording its steps.
    void RecordedCall(EntryNumber function);
    // Call(5, function) for a predefined function with an apply: its arguments' expressions
    // recorded, then the apply.
    void RecordedApply(EntryNumber function);
    // The reading being recorded does something no step repeats.
    void AbandonPlan()
    {
        if (Recording != nullptr) {
            Recording->Never = true;
            Recording = nullptr;
        }
    }
    // A value of this type code can be loaded or stacked by a plan, and passed to a call.
    static bool PlannableCode(std::uint8_t code);
    // ... and strings, which plans load, stack and store but never pass.
    static bool PlannableValue(std::uint8_t code)
    {
        return code == TypeCode::String || PlannableCode(code);
    }
    PlanList<ExpressionPlan> Plans; // a replay holds its plan while bodies add others
    ExpressionPlan* Recording = nullptr;
    std::vector<CasePlan> CasePlans;
    // Statements executed without reading (PascalStatementPlans.cpp): only for a host that
    // shows nothing and cannot stop, so that the step points are the ESC polls they make.
    bool StatementPlansAllowed()
    {
        return PlansAllowed() && !TraceViews() && !Stepping() && !HostMayStop();
    }
    struct StatementRecording
    {
        StatementPlan Plan;
        QbLexical::SkipMark Mark;
        bool Valid = true;
    };
    // ParseStatement for such a host: the statement's plan executed, or its reading recorded.
    void PlannedStatementAt();
    int FindStatementPlan(const QbLexical::SkipMark& mark) const;
    // Executes a plan that holds, ESC polled first. The reader ends after the statement when
    // `positioned`; otherwise a plan executed by its parent's plan may leave it elsewhere (the
    // parent then places it where the reading would stand when that is seen: an error, ESC).
    void ExecuteStatementPlan(StatementPlan& plan, bool positioned);
    void ExecuteAssignmentPlan(StatementPlan& plan, bool positioned);
    void AssignByPlan(StatementPlan& plan, bool positioned);
    void ExecuteAssignmentSteps(StatementPlan& plan, bool positioned);
    void ExecuteBlockPlan(StatementPlan& plan, bool positioned);
    void ExecuteIfPlan(StatementPlan& plan, bool positioned);
    void JumpWithin(const StatementPlan& plan, const QbTextSource::KeptToken& state);
    void PollEscapeAtStart(const StatementPlan& plan);
    void ExecuteCompositePlan(StatementPlan& plan, bool positioned);
    void ExecuteEmptyPlan(const StatementPlan& plan, bool positioned);
    // One part (a block's statement, a branch, a body): its plan, or its reading from its start.
    void ExecutePart(StatementPlan::Part& part, const void* text, bool positioned);
    void ReadOrExecutePart(StatementPlan::Part& part, const void* text, bool positioned);
    void ExecuteUnpositionedPart(StatementPlan::Part& part, const void* text);
    ExpressionPlan* AssignmentOf(const StatementPlan& plan);
    bool QuickAssignment(StatementPlan& plan, bool positioned);
    void StoreAssigned(const StatementPlan& plan, const ExpressionPlan& assignment,
                       const PlanTarget& target, const HeldResult& held, bool positioned);
    // A statement has ended: the heap view may re-lay out the structures it changed.
    void StatementDone()
    {
        if (hostFollowsStatements && Execute && HeapActive) {
            Host().StatementEnded(false);
        }
    }
    // A condition plan that holds and succeeds leaves its truth on the evaluation stack.
    // A condition's plan run and its value taken off the stack into `truth`.
    bool RunConditionPlan(int tag, bool& truth);
    // The reading of a statement plan's kind and parts, for ParseStatementKind and the parsers.
    // NEW or DISPOSE just executed by the statement being recorded: its plan, when the pointer
    // is a whole global variable of its own type (the same place at every execution).
    void NoteHeapCall();
    template <class Work>
    void AtStatementEnd(const StatementPlan& plan, bool positioned, const Work& work);
    void ExecuteHeapPlan(StatementPlan& plan, bool positioned);
    void NoteStatement(StatementPlan::Kind kind)
    {
        if (StatementRecord != nullptr) {
            StatementRecord->Plan.What = kind;
            StatementRecord->Plan.Block = kind == StatementPlan::Kind::Compound;
        }
    }
    // A part starting where the reader stands.
    StatementPlan::Part StartPart(StatementRecording& recording);
    // A block's statements from its plan, each after its step point, and the step point before
    // END; the reader is left where the last one left it.
    void RunBlockParts(StatementPlan& plan);
    // Where a GOTO or EXIT sends the reading of a body.
    enum class BodyJump : std::uint8_t
    {
        None,
        ToStart, // GOTO: the body read again from its start, looking for the label
        ToEnd    // EXIT: the body's END
    };
    // Routine bodies executed again by such a host: the statements between BEGIN and END as a
    // block's plan, by routine entry. The reading records it on the first call of the routine
    // from the program's own text; later calls run it without positioning the reader at the
    // body, and without bringing it to END when nothing after the body can raise an error.
    struct BodyPlan
    {
        std::uint64_t Text = 0;   // the number of the text it was read from
        int Statement = -1;       // its plan among StatementPlans, -1 for none
        bool QuietReturn = false; // the data manager's LeavesQuietly for the routine
        bool EndKnown = false;    // a procedure's, or a function's whose END is recorded
        bool Function = false;    // the routine is a function
        // What RunPlannedCall found for a call from ReadyCaller (0: nothing found yet): the
        // plan holds and the routine returns unread. It stands while the table's generation and
        // the options are the ones it was found under and the reader is in Text (reading the
        // body again, which may replace the plan, clears it). Kept for the call rather than in
        // HeldBodyPlan: the finding that saves time is ReturnsUnread's, whose answer depends on
        // the caller; HeldBodyPlan's own checks cost no more than comparing what it kept.
        EntryNumber ReadyCaller = 0;
        std::uint32_t ReadyGeneration = 0;
        std::uint32_t ReadyOptions = 0;
    };
    std::vector<BodyPlan> BodyPlans;
    // The plan of the routine's body that holds once the body starts (the routine current, at
    // depth 0), read from the text the reader is in; null when there is none.
    StatementPlan* HeldBodyPlan(EntryNumber routine);
    // The body executed by its plan as its reading would, up to a GOTO or EXIT (the answer).
    BodyJump RunBodyParts(StatementPlan& plan);
    // The body's statements read from where the reader stands (after BEGIN), its plan kept.
    void ReadBodyRecorded(EntryNumber routine);
    // Once a body ran by its plan: the reader where the reading leaves it (after END) unless
    // RunCalled needs it nowhere (BodyLeftUnread).
    void EndBodyPlan(EntryNumber routine, EntryNumber caller);
    // A procedure, or a function whose END the table records (where a missing result is told).
    bool EndRecorded(EntryNumber routine) const;
    // The body, run by its plan, is left without bringing the reader to its END: nothing after
    // it but a function's missing result can raise an error, and RunCalled brings the reader to
    // that END itself when `caller` is the program's own too.
    bool ReturnsUnread(const BodyPlan& body, EntryNumber caller) const
    {
        return body.QuietReturn && body.EndKnown && (!body.Function || OwnRoutine(caller));
    }
    // The main program, or a routine of the program's own text (a unit's are read from the
    // unit's source).
    bool OwnRoutine(EntryNumber routine) const
    {
        return routine == 1 || (routine < BodyPlans.size() && BodyPlans[routine].Statement >= 0) ||
               Table->Outermost(routine) == 1;
    }
    // RunCalled for a call replayed from an expression's plan (`hold` as RunCalled's), when the
    // routine's body runs by its plan in a run nobody watches: the same steps, in the same
    // order, with what the body's plan keeps not looked up again. False, with nothing done,
    // when it is not so. `step` is the call's, whose token the reader was put on.
    bool RunPlannedCall(const PlanStep& step, std::uint16_t savedTop, bool hold,
                        std::optional<std::uint16_t>& held);

    // What executing a routine's body changes while it runs, given back when it ends (also
    // when a GOTO, EXIT or error unwinds through it): the routine becomes the current one, its
    // statements nest from depth 0 and see no WITH record of the caller, and nothing is being
    // recorded. A body nested deeper than the host stack allows is error 201.
    class BodyScope
    {
      public:
        BodyScope(QbPascalSyntaxe& owner, EntryNumber routine);
        ~BodyScope();
        BodyScope(const BodyScope&) = delete;
        BodyScope& operator=(const BodyScope&) = delete;
        EntryNumber Caller() const { return caller; }
        // After a GOTO or EXIT: the REPEAT and WITH depths the body started with.
        void Unwound();

      private:
        QbPascalSyntaxe& driver;
        EntryNumber routine;
        EntryNumber caller;
        int nesting;
        int parseDepth;
        int repeatDepth;
        int withDepth;
        std::uint16_t withFloor = 0;
        bool stored = false; // the WITH depth was stored in the routine's slot
        StatementRecording* record;
    };
    static BodyJump JumpOf(const GotoExcept& thrown);
    // The body read from its start (its plan recorded when `record`), or from where `jump`
    // sends it; a GOTO or EXIT met while reading it sends it again.
    void ReadRoutineBody(EntryNumber routine, BodyScope& scope, bool record, BodyJump jump);
    PlanList<StatementPlan> StatementPlans;
    StatementRecording* StatementRecord = nullptr;
    int LastStatement = -1; // the plan of the statement last read by ParseStatement, or -1
    int LastPlanTag = -1;   // the plan the last planned construct used or recorded, or -1
    static constexpr std::int32_t StatementTagBase = 1 << 29;
    static constexpr std::uint32_t StatementKey = 1u << 31; // their places' own key
    QbLexical::WordShapes StatementWords; // the words a statement may start with // their places'
                                          // tags are CaseTagBase and above
    static constexpr std::int32_t CaseTagBase = 1 << 30;

    // Variable references (PascalReferences.cpp).
    enum class ReferenceContext
    {
        Plain,  // WITH record, address-of
        Read,   // read in an expression
        Target, // assignment target
        VarArgument,
        OutArgument
    };
    // Reads a name and its selectors; executing, the address becomes the data manager's
    // current address. Returns the variable's type.
    TypePair ParseVariableReference(ReferenceContext context);
    TypePair ParseSelectors(TypePair type, ReferenceContext context);
    // A unit name followed by "." selects that unit's scope: returns the block to search and
    // leaves the token at the name that follows (CurrentRoutine when there is no unit prefix).
    EntryNumber ReadScopePrefix();
    // The reference whose name (the current token) was found as `entry` in `scope`.
    TypePair ParseReferenceFrom(EntryNumber entry, EntryNumber scope, ReferenceContext context);
    TypePair ParseIndexes(TypePair type);
    TypePair ParseField(TypePair type);
    TypePair ParseDereference(TypePair type);
    void EmitOffsetAddition();
    // The reference being read has emitted its first address addition.
    bool OffsetAdded = false;

    // Per-parse state, reset by PrepareRun.
    std::uint32_t InterfaceNesting = 0;
    std::uint16_t RoutineNumber = 1;
    std::uint8_t DefaultMode = VariableMode::ValueParameter;
    bool HasDefaultMode = true;
    int RepeatDepth = 0;
    struct WithEntry
    {
        EntryNumber RecordType = 0;
        std::uint32_t Address = 0;
    };
    std::array<WithEntry, MaxWithDepth + 1> WithStack{};
    int WithDepth = 1;
    int GotoLine = -1;
    int GotoColumn = -1;
    int BodyEndLine = 0;
    int BodyEndColumn = 0;
    // Nesting of statements and expressions being read, bounded so that no text can exhaust
    // the checker's own stack.
    int ParseDepth = 0;
};

// Counts one level of recursive parsing for its lifetime; too deep a text is error 199.
// Gives `slot` the value `value` for a scope and its previous value back after it, whatever way
// the scope ends: a recording in place while a construct is read, a replay counted while it runs.
template <class T> class ScopedValue
{
  public:
    ScopedValue(T& slot, T value) : place(slot), saved(slot) { place = value; }
    ~ScopedValue() { place = saved; }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

  private:
    T& place;
    T saved;
};
using StatementRecordScope = ScopedValue<QbPascalSyntaxe::StatementRecording*>;

class ParseDepthGuard
{
  public:
    // Nesting of expressions and statements that a text may reach: each level costs a few
    // frames of the checker's own stack, so this bound keeps the deepest text far from
    // exhausting it.
    static constexpr int MaxParseDepth = 200;

    explicit ParseDepthGuard(QbPascalSyntaxe& owner) : driver(owner)
    {
        if (++driver.ParseDepth > MaxParseDepth) {
            TooDeep();
        }
    }
    ~ParseDepthGuard() { --driver.ParseDepth; }
    ParseDepthGuard(const ParseDepthGuard&) = delete;
    ParseDepthGuard& operator=(const ParseDepthGuard&) = delete;

  private:
    [[noreturn]] void TooDeep();

    QbPascalSyntaxe& driver;
};
