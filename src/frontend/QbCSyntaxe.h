// The C front-end: programs in the C subset are checked, not run.
#pragma once

#include "frontend/QbSyntaxe.h"

// The driver for C programs. Offers SYSTEM and STDIO; macros from #define are expanded by the
// lexer's identifier hook.
class QbCSyntaxe : public QbSyntaxe
{
  public:
    explicit QbCSyntaxe(const DriverEnvironment& environment);

    void ParseHeading(std::string& name) override;
    void ParseMainBlock() override;
    void PrepareRun(int mode) override;
    void ExecuteRoutineBody(std::uint16_t routine) override;
    int HeadingKind(const std::string& word) override;
    bool IsRoutineHeading(const std::string& line) override;

  private:
    void ReadDirective();
};
