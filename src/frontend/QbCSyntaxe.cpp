// The C front-end: construction, run preparation and the reading of a whole text.
#include "frontend/QbCSyntaxe.h"

#include "lexical/QbCLexical.h"
#include "lexical/QbDico.h"
#include "symbols/QbModule.h"

#include <cctype>

namespace
{
constexpr std::uint16_t IncludeWord = 43;
constexpr std::uint16_t DefineWord = 44;

std::string Trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}
} // namespace

QbCSyntaxe::QbCSyntaxe(const DriverEnvironment& env) : QbSyntaxe(env, Language::C)
{
    Lexer = std::make_unique<QbCLexical>(*this);
    AttachLexer();
    ModuleSlots[0] = {"SYSTEM", "", static_cast<int>(ModuleClass::CSystem), 0, 4};
    ModuleSlots[1] = {"STDIO", "", static_cast<int>(ModuleClass::Stdio), 0, 6};
}

void QbCSyntaxe::PrepareRun(int mode)
{
    const bool translating = (mode & RunMode::Translate) != 0;
    TranslatedLines.clear();
    Lexer->SetTranslation(translating, Dictionary->CurrentVocabulary(), TranslateStyles,
                          translating ? &TranslatedLines : nullptr, TranslateTo);
    static_cast<QbCLexical&>(*Lexer).ClearMacros();
}

void QbCSyntaxe::ParseHeading(std::string& name)
{
    name = "$cprogram";
}

// A directive line: "#define NAME body" records a macro that the lexer expands; any other
// directive (#include) is passed over to the end of its line.
void QbCSyntaxe::ReadDirective()
{
    Lexer->NextToken();
    if (Lexer->IsWord(DefineWord)) {
        Lexer->NextToken();
        const std::string name = Lexer->TokenText();
        std::string text;
        Lexer->RestOfLine(text);
        if (!name.empty() &&
            (std::isalpha(static_cast<unsigned char>(name[0])) != 0 || name[0] == '_')) {
            static_cast<QbCLexical&>(*Lexer).DefineMacro(name, Trim(text.substr(name.size())));
        }
    } else if (Lexer->IsWord(IncludeWord)) {
        std::string text;
        Lexer->RestOfLine(text);
    }
}

// Reads the whole text token by token, so that every lexical error is found with its position.
void QbCSyntaxe::ParseMainBlock()
{
    while (Lexer->IsNestedSource()) {
        const std::string token = Lexer->TokenText();
        if (token == "\"" || token == "'") {
            Lexer->ReadQuoted(token[0]);
        } else if (token == "#") {
            ReadDirective();
        } else if (!token.empty() && std::isdigit(static_cast<unsigned char>(token[0])) == 0) {
            const std::uint16_t code = Dictionary->FindWord(token);
            if (code != 0) {
                Lexer->Notify('C', token, code);
            }
        }
        Lexer->NextToken();
    }
}

void QbCSyntaxe::ExecuteRoutineBody(std::uint16_t)
{
    // C programs are checked, never run.
    Errors->Raise(ErrorNumber::NotImplemented);
}

int QbCSyntaxe::HeadingKind(const std::string&)
{
    return 0;
}

bool QbCSyntaxe::IsRoutineHeading(const std::string&)
{
    return false;
}
