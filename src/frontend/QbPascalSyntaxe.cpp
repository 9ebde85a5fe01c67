// The Pascal front-end: construction, run preparation and the reading of a whole text.
#include "frontend/QbPascalSyntaxe.h"

#include "lexical/QbDico.h"
#include "lexical/QbPascalLexical.h"
#include "symbols/QbModule.h"
#include "symbols/QbTable.h"

#include <cctype>

namespace {
std::string UpperCase(std::string text)
{
    for (char& ch : text) {
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    }
    return text;
}

// The first identifier of a line, upper-cased.
std::string FirstWord(const std::string& line)
{
    std::size_t start = 0;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) {
        ++start;
    }
    std::size_t end = start;
    while (end < line.size() &&
           (std::isalnum(static_cast<unsigned char>(line[end])) != 0 || line[end] == '_')) {
        ++end;
    }
    return UpperCase(line.substr(start, end - start));
}
} // namespace

QbPascalSyntaxe::QbPascalSyntaxe(const DriverEnvironment& env) : QbSyntaxe(env, Language::Pascal)
{
    Lexer = std::make_unique<QbPascalLexical>(*this);
    AttachLexer();
    Table->SetWithScope(this);
    SetOptionA(OptionA::CaseInsensitive, true);
    ModuleSlots[0] = {"SYSTEM", "", static_cast<int>(ModuleClass::PSystem), 0, 4};
    ModuleSlots[1] = {"CRT", "WINCRT", static_cast<int>(ModuleClass::Crt), 0, 2};
    ModuleSlots[2] = {"GRAPH", "WINGRAPH", static_cast<int>(ModuleClass::Graph), 0, 2};
}

void QbPascalSyntaxe::PrepareRun(int mode)
{
    const bool translating = (mode & RunMode::Translate) != 0;
    TranslatedLines.clear();
    Lexer->SetTranslation(translating, Dictionary->CurrentVocabulary(), TranslateStyles,
                          translating ? &TranslatedLines : nullptr, TranslateTo);
    SearchingLabel = false;
    // Every text is opened anew by a run, and what was kept from the old ones with it.
    Plans.clear();
    CasePlans.clear();
    StatementPlans.clear();
    BodyPlans.clear();
    BodyLeftUnread = false;
    StatementRecord = nullptr;
    LastStatement = -1;
    LastPlanTag = -1;
    Recording = nullptr;
    InterfaceNesting = 0;
    RoutineNumber = 1;
    RepeatDepth = 0;
    WithDepth = 1;
    ParseDepth = 0;
    ComputeDefaultMode();
}

int QbPascalSyntaxe::HeadingKind(const std::string& word)
{
    const std::string upper = UpperCase(word);
    if (upper.empty()) {
        return 0;
    }
    if (upper == UpperCase(Word(1))) {
        return 1;
    }
    if (upper == UpperCase(Word(72))) {
        return 2;
    }
    if (upper == UpperCase(Word(97))) {
        return 3;
    }
    return 0;
}

bool QbPascalSyntaxe::IsRoutineHeading(const std::string& line)
{
    const std::string first = FirstWord(line);
    return !first.empty() && (first == UpperCase(Word(7)) || first == UpperCase(Word(8)));
}
