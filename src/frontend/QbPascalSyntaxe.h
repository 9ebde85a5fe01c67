// The Pascal front-end.
#pragma once

#include "frontend/QbSyntaxe.h"

// The driver for Pascal programs, units and models texts. Reads source upper-cased (option A
// 4096) and offers SYSTEM, CRT and GRAPH to USES.
class QbPascalSyntaxe : public QbSyntaxe
{
public:
    explicit QbPascalSyntaxe(const DriverEnvironment& environment);

    void ParseHeading(std::string& name) override;
    void ParseMainBlock() override;
    void PrepareRun(int mode) override;
    void ExecuteRoutineBody(std::uint16_t routine) override;
    int HeadingKind(const std::string& word) override;
    bool IsRoutineHeading(const std::string& line) override;
};
