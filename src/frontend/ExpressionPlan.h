// What executing an expression (or an assignment) asked of the data manager, kept so that
// executing it again from the same place asks the same without reading its text: the parser
// records the steps while it reads the construct the first time and replays them afterwards.
#pragma once

#include "frontend/QbSyntaxe.h"
#include "lexical/QbSource.h"
#include "runtime/DirectPlace.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct PlanStep
{
    enum class Kind : std::uint8_t
    {
        Clear,        // the accumulator cleared, as an expression starts
        Address,      // the current address becomes the variable Type's (a scalar of the
                      // routine's frame, read by the Load that follows, straight when
                      // DirectWidth is not 0: Count keeps where its descriptor lay above the
                      // frame's header, 0 before the first reading)
        Fixed,        // the current address becomes Stride (a global variable's, of Count bytes
                      // when no other variable shares them, else Count is 0)
        BeginIndex,   // the current address is the base of an indexed reference
        Index,        // an index popped, checked against Integer (the low bound) and Count,
                      // times Stride
        EndIndex,     // the current address becomes the base plus the indexes' offsets
        Field,        // the current address moves by Integer (a field's offset)
        Dereference,  // the pointer of type Type at the current address becomes it
        Load,         // the value at the current address, of Type, pushed
        GlobalLoad,   // Fixed then Load of the whole global variable Integer (Count bytes)
        Constant,     // the accumulator as the constant left it, pushed as Type
        Operate,      // the data manager's operator Integer, result of Type
        Not,          // NOT of the top value (Code its type's code), pushed as Type
        Negate,       // the top value negated (Code its type's code), pushed as Type
        SaveTarget,   // the current address kept as the assignment's target
        Assign,       // the value popped and stored at the target, of Type (Code its code;
                      // Integer 1 when the value is no real)
        CallOpen,     // a call of the function Type begins: its frame is opened
        Fits,         // the top value checked against the formal's type Type, pushed as Stride
        Bind,         // the value popped into the parameter Type of the frame being built
                      // (Code 1 for a value or CONST parameter, which takes a value; then,
                      // for a scalar, DirectCode and DirectWidth are its type's and Count its
                      // size)
        CallEnter,    // the function Type executed; its result pushed
        StringIndex,  // an index popped and checked against the string at the open index's
                      // base (of Integer bytes in all): the current address becomes its character
        Predefined,   // the predefined function Type applied to the Count values on top, its
                      // result pushed as Stride
        IndexByGlobal // the Code steps that follow it (BeginIndex, GlobalLoad, [Constant,
                      // Operate + or -,] Index, EndIndex), done at once when the index is a
                      // global integer moved straight, plus or minus a constant, all held
    };
    Kind What = Kind::Load;
    std::uint8_t Code = 0; // for a Load, GlobalLoad or Constant: 1 when its value is an integer
    std::uint16_t Type = 0;
    std::int32_t Integer = 0; // the operator, a constant's integer, an index's low bound
    std::int32_t Count = 0;
    std::uint32_t Stride = 0;
    double Real = 0.0;
    std::uint8_t Text[2] = {0, 0}; // a constant's one-character string slot (Count, when not 0,
                                   // is one more than its whole text's place in the plan's Texts)
    // A GlobalLoad, or a SaveTarget of a whole global variable, whose scalar value is moved
    // straight: its code and width (a DirectPlace's; width 0 when it is not).
    std::uint8_t DirectCode = 0;
    std::uint8_t DirectWidth = 0;
    // The start of the token the reading stood on (0-based): an error of a step after a call
    // is reported there, as the reading reports it.
    int Line = 0;
    int Column = 0;
};

// Where an assignment stores: its target's address and, when the plan knows it, the global
// variable holding it (Start and Size its bytes), whose owner is then not searched for.
struct PlanTarget
{
    std::uint32_t Address = 0;
    std::uint16_t Variable = 0;
    std::uint32_t Start = 0;
    std::uint32_t Size = 0;
    // The whole variable, its scalar value moved straight (as its SaveTarget step says).
    std::uint8_t DirectCode = 0;
    std::uint8_t DirectWidth = 0;
    // A scalar of the routine's frame found by a quick form, which runs nothing before its
    // store: its descriptor (0 when the store is to find it again).
    std::uint16_t Descriptor = 0;
};

// A step of a plan's quick form: the plan's work again, for a plan whose every value is read
// straight from a global variable (whole, or an element of an array indexed by global integers
// plus or minus constants), from a scalar of the routine's frame, or is a constant, combined by
// integer operators or by the sum, difference and product of reals. A replay by it holds every
// value; anything the steps would not go through quietly (a variable with no value yet, an index
// out of bounds, an overflow, a stack without room) sends the replay back to the steps, which raise
// what they raise.
struct QuickIndex
{
    std::int32_t From = -1; // a constant index's step (its value Value), or -1
    DirectPlace Place;      // the global integer
    bool Offset = false;    // Value added to or taken from it (Operator Plus or Minus)
    std::uint8_t Operator = 0;
    std::uint8_t ResultCode = 0; // the type code of the sum
    std::int32_t Value = 0;
    std::int32_t Low = 0; // its bounds, and the distance between the elements it goes through
    std::int32_t Count = 0;
    std::uint32_t Stride = 0;
};

struct QuickStep
{
    static constexpr int MaxIndexes = 3;
    enum class Kind : std::uint8_t
    {
        Global,   // the whole global at Place
        Constant, // Value or RealValue (the plan's step From)
        Element,  // the element of the array at Place its Indexes reach
        Operate,  // Operator on the two values on top, its result of ResultCode
        Local,    // the scalar Place.Variable of the routine's frame (Place.Offset unused)
        Field     // the scalar of FieldCode Value bytes into the heap cell the whole global
                  // pointer at Place points to
    };
    Kind What = Kind::Constant;
    bool Real = false;    // its value is a real
    bool Pointer = false; // its value is a pointer
    std::uint8_t FieldCode = 0;
    std::uint8_t Operator = 0;
    std::uint8_t ResultCode = 0;
    std::uint8_t Indexes = 0;
    std::int32_t Value = 0;
    std::int32_t From = 0;
    double RealValue = 0.0;
    DirectPlace Place; // Element: its first element's
    std::array<QuickIndex, MaxIndexes> Index;
    // Local: where its descriptor lay above the frame's header at the last replay (0: never).
    mutable std::int32_t Distance = 0;
};

struct QuickForm
{
    std::vector<QuickStep> Steps; // the expression's, none when the plan has no quick form
    std::uint8_t Depth = 0;       // values held at once at most
    bool Operates = false;        // an operator lets go of the accumulator's reference
    bool Assigns = false;         // an assignment to Target (TargetElement its element)
    bool ToElement = false;
    bool ToLocal = false;      // a scalar of the routine's frame (TargetElement, a Local step)
    bool ToField = false;      // a field of a heap cell (TargetElement, a Field step)
    bool Pointers = false;     // it reads pointers: replayed only when nobody watches the heap
    bool ConstantOnly = false; // an integer constant and nothing else
    // An integer local, an integer constant and the operator on them (`n < 2`, `i + 1`).
    bool LocalConstant = false;
    bool Real = false;         // its value is a real, left pushed as the steps leave it
    std::uint16_t ResultType = 0;
    PlanTarget Target;
    QuickStep TargetElement;
    // An assignment whose store goes straight too: the target's code and width (its offset
    // the target's), and the values its type holds. An assignment whose expression has no
    // quick form (no Steps) may have one for the integer its steps leave held.
    bool Stores = false;
    DirectPlace Store;
    std::int32_t StoreLow = 0;
    std::int32_t StoreHigh = 0;
};

// The value an assignment's or a condition's plan leaves, when it is an integer it held: taken
// as the pop of its entry would give it, without the push and the pop.
struct HeldResult
{
    bool Held = false;
    std::int32_t Value = 0;
};

// Where a plan was recorded and under what: it holds while the table, the options and the
// place are those it was read under.
struct PlanPlace
{
    std::uint32_t Generation = 0;
    std::uint32_t OptionsKey = 0; // the driver's key of its option words
    std::uint16_t Routine = 0;
    int ParseDepth = 0;
    const void* Text = nullptr;
    int TokenLine = 0;
    int TokenColumn = 0;
};

struct ExpressionPlan : PlanPlace
{
    std::vector<PlanStep> Steps;
    TypePair Result;
    // The evaluation stack's pushes and pops the reading made: the steps must make as many.
    std::uint32_t Pushes = 0;
    std::uint32_t Pops = 0;
    bool Statement = false;    // an assignment: its steps leave the evaluation stack as it was
    std::uint16_t Closing = 0; // a condition read with the word that follows it (THEN, DO)
    bool InExpression = false; // recording an assignment's expression
    bool Never = false;        // reading it does more than steps can say: always read it
    // Calls of the pupil's functions: their arguments' steps join the plan, their bodies are
    // executed (and read, or planned, on their own) by the CallEnter step. The pushes and pops
    // the bodies made are not the plan's.
    int Arguments = 0; // recording arguments of this many calls
    bool Calls = false;
    // Recording the arguments of a predefined function: how many of its expressions were read.
    int Joined = 0;
    std::vector<std::string> Texts; // string constants longer than one character
    std::uint32_t HiddenPushes = 0;
    std::uint32_t HiddenPops = 0;
    int Running = 0; // replays in progress (a body may replay its own caller's place)
    QuickForm Quick;
    // Where the reading ended, where a replay puts the reader (last: what a replay reads on
    // every execution stays together in few cache lines).
    QbTextSource::KeptToken End;
};

// A CASE executed from a place: its labels as the reading found them and, for each arm executed
// once, the reader's state at the arm's statement, so that executing it again goes from the
// selector's value straight to the arm and from the arm's end straight past END. An arm never
// executed yet is reached by reading the labels as always.
struct CasePlan : PlanPlace
{
    struct Label
    {
        std::int32_t Low = 0;
        std::int32_t High = 0;
        int Arm = 0;
    };
    struct Arm
    {
        bool Known = false; // Start holds the state at the arm's statement
        QbTextSource::KeptToken Start;
        bool Jump = false; // from the token at EndLine, EndColumn to End
        int EndLine = 0;
        int EndColumn = 0;
    };
    std::vector<Label> Labels; // in the text's order: the first that holds the value is its arm
    // The arm `value` takes (ELSE when no label holds it), or -1 for none.
    int ArmOf(std::int32_t value) const
    {
        for (const Label& label : Labels) {
            if (value >= label.Low && value <= label.High) {
                return label.Arm;
            }
        }
        return ElseArm;
    }
    int ElseArm = -1; // the ELSE arm's number, -1 when there is none
    std::vector<Arm> Arms;
    QbTextSource::KeptToken End; // the state after END
    bool NoArmJump = false;      // from the first label to End, for a value no arm takes
};

// A statement executed from a place, as its reading went: an assignment's plan, a block's
// statements, an IF's or a WHILE's condition plan and parts. Executed again from there by a host
// that shows nothing and never stops, it is carried out from these without reading its text;
// a part whose plan does not hold is read from where it starts, and a step that fails sends the
// statement back to its reading, which reports the error where its text stands.
struct StatementPlan : PlanPlace
{
    enum class Kind : std::uint8_t
    {
        Opaque,   // read as always
        Empty,    // nothing between two separators
        Assign,   // Plan is the assignment's
        Compound, // BEGIN: Parts are its statements, the empty one before END included
        If,       // Plan is the condition's (with THEN); Parts THEN (when Then) and ELSE
        While,    // Plan is the condition's (with DO); Parts the body
        For,      // Plan and Limit are the bounds'; Parts the body
        Case,     // Plan is the selector's, Limit the CASE plan; Parts its arms
        Heap      // NEW (or, Up false, DISPOSE) of the whole global pointer at Address, of
                  // the pointer type Control
    };
    struct Part
    {
        int Statement = -1;            // its plan, -1 until it has one
        QbTextSource::KeptToken Start; // the reader at its first token
    };
    // What an execution reads on every pass first, together; the reader's states after.
    Kind What = Kind::Opaque;
    bool Block = false; // starts with BEGIN (its parent's step point rule)
    bool Then = false;  // If: a THEN part is there (it may be missing before ELSE)
    bool Else = false;  // If: an ELSE part is there
    bool Up = true;     // For: TO rather than DOWNTO
    int Plan = -1;
    int Limit = -1;
    // For: the control variable and its hidden limit.
    std::uint16_t Control = 0;
    std::uint16_t LimitVariable = 0;
    std::uint32_t Address = 0;
    int Running = 0; // executions in progress: a recording of the same place keeps it
    int EndLine = 0; // Compound: where its END stands
    int EndColumn = 0;
    std::vector<Part> Parts;
    QbTextSource::KeptToken Start;     // the reader at the statement's first token
    QbTextSource::KeptToken End;       // the reader after it
    QbTextSource::KeptToken Condition; // While: the reader at the condition
    // For: the reader after each bound, where their stores report errors.
    QbTextSource::KeptToken AfterStart;
    QbTextSource::KeptToken AfterLimit;
};
