// Malformed and hostile text: every reading ends, at worst in a numbered error.
#include "LexerHarness.h"

#include <gtest/gtest.h>

namespace {
// Reads as a parser would (literals after their quote, reals after digits) until the end mark
// or an error; returns the error number.
int ReadEverything(LexerHarness& harness, const std::string& text)
{
    QbLexical& lexer = harness.Lexer();
    const int number = harness.ErrorOf([&] {
        if (!harness.Open(text)) {
            return;
        }
        for (int round = 0; round < 100000 && lexer.IsNestedSource(); ++round) {
            const std::string token = lexer.TokenText();
            if (token == "'" || token == "\"") {
                lexer.ReadQuoted(token[0]);
            } else if (!token.empty() && token[0] >= '0' && token[0] <= '9') {
                lexer.ReadRealRest();
                continue;
            }
            lexer.NextToken();
        }
        EXPECT_FALSE(lexer.IsNestedSource()) << "no end after 100000 tokens";
    });
    lexer.CloseAllSources();
    return number;
}
} // namespace

TEST(HostileInput, EveryByteAndBrokenConstructEnds)
{
    std::string allBytes;
    for (int ch = 1; ch < 256; ++ch) {
        allBytes += static_cast<char>(ch);
    }
    const std::string cases[] = {
        allBytes,
        std::string("a\0b\0", 4),
        "x\ry\r\rz",
        "{$",
        "(*$",
        "{$I",
        "(*",
        "'",
        "\"",
        "1.",
        "1E",
        "1E+",
        "$",
        "(.",
        ".)",
        "//",
        "/*",
        std::string(255, '\''),
        std::string(255, '{'),
        std::string(255, '9') + "\n" + std::string(255, 'Z'),
    };
    for (const Language language : {Language::Pascal, Language::C}) {
        for (const std::string& text : cases) {
            LexerHarness harness(language);
            harness.driver->SetOptionA(OptionA::ForbidInclude, false);
            const int number = ReadEverything(harness, text);
            EXPECT_GE(number, 0);
        }
    }
}

TEST(HostileInput, ExtraLettersNeverMakeBlanksPartOfAWord)
{
    LexerHarness harness;
    harness.driver->ExtraLetters.set(' ');
    harness.driver->ExtraLetters.set('\t');
    EXPECT_EQ(harness.TokensOf("a b\tc "), (Tokens{"A", "B", "C"}));
}

TEST(HostileInput, PositionsOutsideTheTextAreHarmless)
{
    LexerHarness harness;
    QbLexical& lexer = harness.Lexer();
    harness.Open("a b\nc");
    LexicalPosition far;
    far.Line = 40;
    far.Column = 900;
    far.LineText = std::string(400, 'q');
    lexer.RestorePosition(far);
    EXPECT_LE(lexer.LineText().size(), 255u);
    lexer.Reposition(7, -3);
    EXPECT_FALSE(lexer.IsNestedSource());
    EXPECT_EQ(lexer.TokenText(), ".");
}
