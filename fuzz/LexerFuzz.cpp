// Arbitrary bytes as a program for the Pascal and the C lexer, read to the end.
#include "diagnostics/Exceptions.h"
#include "frontend/ProgramOptions.h"
#include "frontend/QbSyntaxe.h"
#include "lexical/QbCLexical.h"
#include "lexical/QbLexical.h"
#include "lexical/QbPascalLexical.h"
#include "lexical/SourceText.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace {
// A driver with nothing but its lexer, set up as the front-ends set it up.
class LexerOnlyDriver : public QbSyntaxe
{
  public:
    LexerOnlyDriver(const DriverEnvironment& environmentRef, Language lexerLanguage)
        : QbSyntaxe(environmentRef, lexerLanguage)
    {
        if (lexerLanguage == Language::Pascal) {
            Lexer = std::make_unique<QbPascalLexical>(*this);
            SetOptionA(OptionA::CaseInsensitive, true);
        } else {
            Lexer = std::make_unique<QbCLexical>(*this);
        }
        AttachLexer();
    }
    void ParseHeading(std::string& name) override { name.clear(); }
    void ParseMainBlock() override {}
    void PrepareRun(int) override {}
    int HeadingKind(const std::string&) override { return 0; }
    bool IsRoutineHeading(const std::string&) override { return false; }
    void ExecuteRoutineBody(std::uint16_t) override {}
};

// Every page holds the fuzzed text: includes find it under any name (and so include themselves).
class FuzzPages : public SourceText
{
  public:
    void SetText(std::string pageText) { text = std::move(pageText); }
    bool PageText(const std::string&, std::string& pageText) override
    {
        pageText = text;
        return true;
    }
    std::string CurrentPageName() override { return "fuzz.pas"; }

  private:
    std::string text;
};

// The parsers' calls: literals after their opening token, reals after digits, a #define's rest
// of line, and one return to a saved position.
void ReadToTheEnd(QbLexical& lexer, bool cLanguage)
{
    LexicalPosition saved;
    bool haveSaved = false;
    bool restored = false;
    // Each round consumes at least one token and the text is finite; the bound only turns a
    // regression into a visible fault instead of a timeout.
    for (int round = 0; round < 1000000; ++round) {
        const std::string token = lexer.TokenText();
        if (token == "'" || (cLanguage && token == "\"")) {
            lexer.ReadQuoted(token[0]);
        } else if (!token.empty() && token[0] >= '0' && token[0] <= '9') {
            lexer.ReadRealRest();
            continue;
        } else if (token == "$") {
            lexer.ReadHexDigits();
        } else if (cLanguage && token == "#") {
            lexer.NextToken();
            std::string rest;
            lexer.RestOfLine(rest);
            if (rest.size() > 1) {
                static_cast<QbCLexical&>(lexer).DefineMacro(rest.substr(0, 1), rest.substr(1));
            }
        } else if (token == "@" && !haveSaved) {
            lexer.SavePosition(saved);
            haveSaved = true;
        } else if (token == "^" && haveSaved && !restored) {
            lexer.RestorePosition(saved);
            restored = true;
        }
        lexer.NextToken();
    }
    __builtin_trap();
}

void Lex(QbSyntaxe& driver, std::uint8_t flags, bool cLanguage)
{
    // The drivers live across inputs: every setting the lexer reads is set again for each one.
    driver.SetOptionA(OptionA::ForbidInclude, (flags & 1) == 0);
    driver.SetOptionA(OptionA::ReplaceAccents, (flags & 2) != 0);
    driver.SetOptionA(OptionA::CaseInsensitive, cLanguage == ((flags & 4) != 0));
    driver.ExtraLetters.reset();
    if ((flags & 8) != 0) {
        for (int ch = 0xC0; ch < 0x100; ++ch) {
            driver.ExtraLetters.set(static_cast<std::size_t>(ch));
        }
    }
    QbLexical& lexer = *driver.Lexer;
    if (cLanguage) {
        auto& cLexer = static_cast<QbCLexical&>(lexer);
        cLexer.ClearMacros();
        cLexer.DefineMacro("A", "B + 1");
        cLexer.DefineMacro("B", "A");
        cLexer.DefineMacro("E", "");
        cLexer.DefineMacro("N", "10 /* ten */");
    }
    try {
        if (lexer.OpenSource("+fuzz.pas")) {
            ReadToTheEnd(lexer, cLanguage);
        }
    } catch (const InterpExcept&) {
        // Every malformed text ends in a numbered error, at the latest 131 at its end.
    }
    lexer.CloseAllSources();
}
// Building a driver costs more than lexing a small input: both are made once.
struct FuzzState
{
    FuzzState()
    {
        environment.Pages = &pages;
        pascal = std::make_unique<LexerOnlyDriver>(environment, Language::Pascal);
        c = std::make_unique<LexerOnlyDriver>(environment, Language::C);
    }
    FuzzPages pages;
    DriverEnvironment environment;
    std::unique_ptr<LexerOnlyDriver> pascal;
    std::unique_ptr<LexerOnlyDriver> c;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    static FuzzState state;
    const std::uint8_t flags = data[0];
    state.pages.SetText(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    Lex(*state.pascal, flags, false);
    Lex(*state.c, flags, true);
    return 0;
}
