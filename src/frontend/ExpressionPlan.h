// What executing an expression (or an assignment) asked of the data manager, kept so that
// executing it again from the same place asks the same without reading its text: the parser
// records the steps while it reads the construct the first time and replays them afterwards.
#pragma once

#include "frontend/QbSyntaxe.h"
#include "lexical/QbSource.h"

#include <cstdint>
#include <vector>

struct PlanStep
{
    enum class Kind : std::uint8_t
    {
        Clear,       // the accumulator cleared, as an expression starts
        Address,     // the current address becomes the variable Type's
        Fixed,       // the current address becomes Stride (a global variable's)
        BeginIndex,  // the current address is the base of an indexed reference
        Index,       // an index popped, checked against Integer (the low bound) and Count,
                     // times Stride
        EndIndex,    // the current address becomes the base plus the indexes' offsets
        Field,       // the current address moves by Integer (a field's offset)
        Dereference, // the pointer of type Type at the current address becomes it
        Load,        // the value at the current address, of Type, pushed
        GlobalLoad,  // Fixed then Load of the whole global variable Integer (Count bytes)
        Constant,    // the accumulator as the constant left it, pushed as Type
        Operate,     // the data manager's operator Integer, result of Type
        Not,         // NOT of the top value (Code its type's code), pushed as Type
        Negate,      // the top value negated (Code its type's code), pushed as Type
        SaveTarget,  // the current address kept as the assignment's target
        Assign       // the value popped and stored at the target, of Type (Code its code;
                     // Integer 1 when the value is no real; Stride the whole global variable
                     // it is, of Count bytes, or 0)
    };
    Kind What = Kind::Load;
    std::uint8_t Code = 0;
    std::uint16_t Type = 0;
    std::int32_t Integer = 0; // the operator, a constant's integer, an index's low bound
    std::int32_t Count = 0;
    std::uint32_t Stride = 0;
    double Real = 0.0;
    std::uint8_t Text[2] = {0, 0}; // a constant's one-character string slot
};

// Where a plan was recorded and under what: it holds while the table, the options and the
// place are those it was read under.
struct PlanPlace
{
    std::uint32_t Generation = 0;
    std::uint32_t OptionsA = 0;
    std::uint32_t OptionsB = 0;
    std::uint32_t OptionsC = 0;
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
    int ElseArm = -1;          // the ELSE arm's number, -1 when there is none
    std::vector<Arm> Arms;
    QbTextSource::KeptToken End; // the state after END
    bool NoArmJump = false;      // from the first label to End, for a value no arm takes
};
