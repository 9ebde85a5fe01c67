// A driver of either language over in-memory editor pages, for the lexer tests.
#pragma once

#include "diagnostics/Exceptions.h"
#include "frontend/ProgramOptions.h"
#include "frontend/QbSyntaxe.h"
#include "lexical/QbCLexical.h"
#include "lexical/QbLexical.h"
#include "lexical/QbPascalLexical.h"
#include "lexical/SourceText.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Editor pages held in memory; a name no page has falls back on the file, as in the editor.
class FakePages : public SourceText
{
  public:
    bool PageText(const std::string& name, std::string& text) override
    {
        const auto page = Pages.find(name);
        if (page == Pages.end()) {
            return false;
        }
        text = page->second;
        return true;
    }
    std::string CurrentPageName() override { return Current; }

    std::map<std::string, std::string> Pages;
    std::string Current = "main.pas";
};

// A driver that only carries the lexer of its language, set up as the front-ends set it up (the
// Pascal one reads case-insensitively); the lexer tests need none of the parsing.
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

class LexerHarness
{
  public:
    explicit LexerHarness(Language language = Language::Pascal)
    {
        environment.Pages = &pages;
        driver = std::make_unique<LexerOnlyDriver>(environment, language);
    }

    QbLexical& Lexer() { return *driver->Lexer; }
    QbCLexical& CLexer() { return static_cast<QbCLexical&>(*driver->Lexer); }

    // Opens `text` as the page "main.pas" (its first token is then current).
    bool Open(const std::string& text)
    {
        pages.Pages["main.pas"] = text;
        return Lexer().OpenSource("+main.pas");
    }

    // Every token up to the end of the program text (not the end lines of the null source).
    std::vector<std::string> Tokens(std::size_t limit = 1000)
    {
        std::vector<std::string> tokens;
        while (Lexer().IsNestedSource() && tokens.size() < limit) {
            tokens.push_back(Lexer().TokenText());
            Lexer().NextToken();
        }
        return tokens;
    }

    std::vector<std::string> TokensOf(const std::string& text)
    {
        Open(text);
        return Tokens();
    }

    // The number of the error `action` raises, 0 when it raises none.
    int ErrorOf(const std::function<void()>& action)
    {
        try {
            action();
        } catch (const InterpExcept& error) {
            return error.Number;
        }
        return 0;
    }

    FakePages pages;
    DriverEnvironment environment;
    std::unique_ptr<QbSyntaxe> driver;
};

using Tokens = std::vector<std::string>;
