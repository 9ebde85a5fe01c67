// Whole programs that call the System unit's routines: table rows of declarations and statements
// with the output they print or the error they stop with.
#pragma once

#include "../frontend/StatementTestSupport.h"

#include <string>
#include <vector>

struct SystemOutputCase
{
    const char* Declarations;
    const char* Body;
    const char* Output;
};

// Error 0 with AtRunTime: the program must check and run cleanly.
struct SystemErrorCase
{
    const char* Declarations;
    const char* Body;
    int Error;
    bool AtRunTime;
};

class SystemTest : public StatementTest
{
  protected:
    static std::string Program(const std::string& declarations, const std::string& body)
    {
        return "program t;\n" + declarations + "\nbegin\n" + body + "\nend.\n";
    }

    void ExpectOutputs(const std::vector<SystemOutputCase>& cases)
    {
        for (const SystemOutputCase& c : cases) {
            EXPECT_EQ(Output(Program(c.Declarations, c.Body)), c.Output) << c.Body;
        }
    }

    void ExpectErrors(const std::vector<SystemErrorCase>& cases)
    {
        for (const SystemErrorCase& c : cases) {
            const RunOutcome outcome = Run(Program(c.Declarations, c.Body));
            if (c.AtRunTime) {
                EXPECT_EQ(outcome.CheckError, 0) << c.Body;
                EXPECT_EQ(outcome.RunError, c.Error) << c.Body;
            } else {
                EXPECT_EQ(outcome.CheckError, c.Error) << c.Body;
            }
        }
    }
};
