// The heap under whole programs: reference counts kept through assignments, parameters,
// evaluation-stack values and frame exits, and the run-time errors of the memory routines.
#include "frontend/StatementTestSupport.h"
#include "runtime/QbHeap.h"

#include <string>

namespace {
const std::string ListTypes = "TYPE PNODE = ^NODE; NODE = RECORD V: INTEGER; NEXT: PNODE END;\n";

class HeapProgramTest : public StatementTest
{
  protected:
    int RunError(const std::string& text)
    {
        const RunOutcome outcome = Run(text);
        EXPECT_EQ(outcome.CheckError, 0) << text;
        return outcome.RunError;
    }
};

TEST_F(HeapProgramTest, CountsFollowAssignmentsParametersAndStackValues)
{
    const std::string text = "PROGRAM T;\n" + ListTypes +
                             "VAR P, Q, R: PNODE;\n"
                             "FUNCTION SAME(A, B: PNODE): BOOLEAN;\n"
                             "VAR C: PNODE;\n"
                             "BEGIN C := A; SAME := C = B END;\n"
                             "FUNCTION FIRST(A: PNODE): PNODE; BEGIN FIRST := A END;\n"
                             "BEGIN NEW(P); P^.V := 4; Q := P; NEW(P^.NEXT); P^.NEXT^.V := 5;\n"
                             "R := FIRST(Q); WRITELN(SAME(P, Q), ' ', R^.V, ' ', R^.NEXT^.V);\n"
                             "R := NIL; Q := NIL END.";
    EXPECT_EQ(Output(text), "TRUE 4 5\r\n");
    const std::vector<const QbHeap::Cell*> cells = driver->Heap->Cells();
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0]->References, 1); // P only: parameters, locals and results let go
    EXPECT_EQ(cells[1]->References, 1); // the first cell's NEXT
    EXPECT_EQ(cells[0]->Targets[0], cells[1]->Block);
    EXPECT_EQ(cells[1]->Y, cells[0]->Y);
    EXPECT_EQ(cells[1]->X, cells[0]->X + 80 + 40);
    EXPECT_EQ(driver->Heap->DescribeReference(cells[1]->Block), "P^.NEXT");
}

TEST_F(HeapProgramTest, RunTimeErrorsOfTheHeap)
{
    struct Case
    {
        const char* Body;
        int Error;
    };
    const Case cases[] = {
        {"NEW(P); P := NIL", 219},                     // overwritten last holder
        {"NEW(P); NEW(P^.NEXT); P^.NEXT := NIL", 219}, // a field lets go of its cell
        {"LOSE", 219},                                 // a local's cell at frame exit
        {"NEW(P); Q := P; DISPOSE(P)", 220},           // disposed while referenced
        {"P := NIL; WRITELN(P^.V)", 207},              //
        {"MARK(M); NEW(P); RELEASE(M); WRITELN(P^.V)", 208},
        {"P := NIL; DISPOSE(P); M := NIL; RELEASE(M)", 218},
        {"NEW(P); DISPOSE(P); NEW(Q); WRITELN(Q^.V)", 0}, // a new block is zero-filled
        {"NEW(P); Q := P; Q := NIL; DISPOSE(P); P := NIL", 0},
    };
    for (const Case& item : cases) {
        const std::string text = "PROGRAM T;\n" + ListTypes +
                                 "VAR P, Q: PNODE; M: POINTER;\n"
                                 "PROCEDURE LOSE; VAR L: PNODE; BEGIN NEW(L) END;\n"
                                 "BEGIN " +
                                 item.Body + " END.";
        EXPECT_EQ(RunError(text), item.Error) << item.Body;
    }
}

TEST_F(HeapProgramTest, DisposeWithInvalidPointersAllowedLeavesNoReadableFreedMemory)
{
    driver->SetOptionB(OptionB::ForbidInvalidPointers, false);
    const std::string text = "PROGRAM T;\n" + ListTypes +
                             "VAR P, Q: PNODE;\n"
                             "BEGIN NEW(P); P^.V := 9; Q := P; DISPOSE(P); WRITELN(P = NIL);\n"
                             "NEW(P); P^.V := 1; WRITELN(Q^.V) END.";
    const RunOutcome outcome = Run(text);
    EXPECT_EQ(outcome.Output, "TRUE\r\n");
    EXPECT_EQ(outcome.RunError, 208);
    const std::vector<const QbHeap::Cell*> cells = driver->Heap->Cells();
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_TRUE(cells[0]->Disposed); // still drawn: Q holds it
    EXPECT_NE(cells[0]->Block, cells[1]->Block);
}

TEST_F(HeapProgramTest, FillcharAndMoveStayInsideTheirVariables)
{
    const std::string text =
        "PROGRAM T;\n"
        "VAR A: ARRAY[1..4] OF BYTE; B: ARRAY[1..4] OF BYTE; S: STRING[3];\n"
        "C: ARRAY[1..2] OF BYTE; I: INTEGER;\n"
        "BEGIN FILLCHAR(B, 4, 2); FILLCHAR(A, 1000, 1); C[1] := 3; C[2] := 3;\n"
        "MOVE(C, A, 100);\n"
        "FOR I := 1 TO 4 DO WRITE(A[I], B[I]); WRITELN;\n"
        "WRITELN(SIZEOF(S), ' ', SIZEOF(A), ' ', SIZEOF(INTEGER)) END.";
    EXPECT_EQ(Output(text), "32321212\r\n4 4 2\r\n");
}

TEST_F(HeapProgramTest, PtrMakesNumbersThatAreCheckedLikeAnyPointer)
{
    const std::string text =
        "PROGRAM T;\n"
        "TYPE PI = ^INTEGER;\n"
        "VAR P: PI; X: INTEGER;\n"
        "BEGIN X := 7; P := ADDR(X); WRITELN(P^, ' ', SEG(X) * 65536.0 + OFS(X) = "
        "SEG(X) * 65536.0 + OFS(X));\n"
        "P := PTR(SEG(X), OFS(X)); WRITELN(P^); P := PTR($7FFF, 0); WRITELN(P^) "
        "END.";
    const RunOutcome outcome = Run(text);
    EXPECT_EQ(outcome.Output, "7 TRUE\r\n7\r\n");
    EXPECT_EQ(outcome.RunError, 208);
}
} // namespace
