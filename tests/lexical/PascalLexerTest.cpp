// The Pascal lexer: tokens, comments, directives, word matching and literals.
#include "LexerHarness.h"
#include "frontend/ProgramOptions.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
struct TokenCase
{
    const char* Text;
    Tokens Expected;
};

struct ErrorCase
{
    const char* Text;
    int Number;
};
} // namespace

TEST(PascalTokens, SymbolsAreOneCharacterAndCommentsVanish)
{
    const TokenCase cases[] = {
        {"a:=b", {"A", ":", "=", "B"}},
        {"(.1.)", {"[", "1", "]"}},
        {"x{c}y", {"X", "Y"}},
        {"x(*a*)y", {"X", "Y"}},
        {"x(* a * b ) *)y", {"X", "Y"}},
        {"x//comment\ny", {"X", "Y"}},
        {"x{one\ntwo}y", {"X", "Y"}},
        {"1..5", {"1", ".", ".", "5"}},
        {"a<>b>=c", {"A", "<", ">", "B", ">", "=", "C"}},
        {"  \t x  ", {"X"}},
        {"a1_b 2c", {"A1_B", "2", "C"}},
        {"x/y", {"X", "/", "Y"}},
        {"({x})", {"(", ")"}},
    };
    for (const TokenCase& item : cases) {
        LexerHarness harness;
        EXPECT_EQ(harness.TokensOf(item.Text), item.Expected) << item.Text;
    }
}

TEST(PascalTokens, LongWordsKeepTheirFirst32Characters)
{
    LexerHarness harness;
    const std::string word(40, 'a');
    const std::string digits(40, '7');
    EXPECT_EQ(harness.TokensOf(word + " b " + digits + "+"),
              (Tokens{std::string(32, 'A'), "B", std::string(32, '7'), "+"}));
}

TEST(PascalTokens, TokenStartAndLinesFollowCommentsAcrossLines)
{
    LexerHarness harness;
    QbLexical& lexer = harness.Lexer();
    harness.Open("{a\nb}\n  x");
    EXPECT_EQ(lexer.TokenText(), "X");
    int line = 0;
    int column = 0;
    lexer.TokenStart(line, column);
    EXPECT_EQ(line, 2);
    EXPECT_EQ(column, 3); // one past the token's first character, less one
}

TEST(PascalTokens, CaseAndAccentsFollowTheOptions)
{
    LexerHarness harness;
    EXPECT_EQ(harness.TokensOf("caf\xE9"), (Tokens{"CAFE"}));

    harness.driver->SetOptionA(OptionA::CaseInsensitive, false);
    harness.driver->SetOptionA(OptionA::ReplaceAccents, false);
    harness.driver->ExtraLetters.set(0xE9);
    EXPECT_EQ(harness.TokensOf("begin caf\xE9"), (Tokens{"begin", "caf\xE9"}));
    harness.Open("begin");
    EXPECT_FALSE(harness.Lexer().IsWord(9));
}

TEST(PascalComments, UnfinishedCommentsAndBadDirectivesRaise)
{
    const ErrorCase cases[] = {
        {"x {never closed", 71},
        {"x (* never closed *", 71},
        {"x (* a\n b", 71},
        {"x {$F*}", 80},
        {"x {$F", 80},
        {"x {$V 12}", 57},
        {"x {$I other.inc}", 92}, // includes are forbidden by default
        {"x // ends with its line", 0},
    };
    for (const ErrorCase& item : cases) {
        LexerHarness harness;
        EXPECT_EQ(harness.ErrorOf([&] { harness.TokensOf(item.Text); }), item.Number) << item.Text;
    }
}

TEST(PascalComments, DirectivesSetTheirOptions)
{
    LexerHarness harness;
    QbSyntaxe& driver = *harness.driver;
    harness.TokensOf("{$F+} a {$I+} b");
    EXPECT_TRUE(driver.OptionA(OptionA::FarCalls));
    EXPECT_TRUE(driver.OptionA(OptionA::IoChecks));
    EXPECT_EQ(harness.TokensOf("a {$i-} (*$f+*) {$X whatever} b"), (Tokens{"A", "B"}));
    EXPECT_TRUE(driver.OptionA(OptionA::FarCalls));
    EXPECT_FALSE(driver.OptionA(OptionA::IoChecks));
}

TEST(PascalComments, OpeningASourceClearsFarCalls)
{
    LexerHarness harness;
    harness.driver->SetOptionA(OptionA::FarCalls, true);
    harness.Open("x");
    EXPECT_FALSE(harness.driver->OptionA(OptionA::FarCalls));
}

TEST(PascalMatching, WordsAndSymbols)
{
    LexerHarness harness;
    QbLexical& lexer = harness.Lexer();
    harness.Open("begin x := 1 ; integer");
    EXPECT_TRUE(lexer.IsWord(9));
    EXPECT_FALSE(lexer.AcceptWord(13));
    EXPECT_TRUE(lexer.AcceptWord(9));
    EXPECT_EQ(lexer.ExpectIdentifier(), "X");
    lexer.ExpectCompound(93); // unworded: ":" then "="
    EXPECT_FALSE(lexer.AcceptSymbol(";"));
    EXPECT_EQ(harness.ErrorOf([&] { lexer.ExpectIdentifier(); }), 2);
    lexer.ExpectSymbol("1");
    EXPECT_TRUE(lexer.AcceptSymbol(";"));
    EXPECT_EQ(lexer.WhichSimpleType(), 4);
    lexer.ExpectWord(42); // no wording: accepted without reading
    EXPECT_EQ(lexer.TokenText(), "INTEGER");
}

TEST(PascalMatching, MismatchesRaiseError1WithTheExpectedText)
{
    LexerHarness harness;
    QbLexical& lexer = harness.Lexer();
    harness.Open("x y");
    EXPECT_EQ(harness.ErrorOf([&] { lexer.ExpectWord(9); }), 1);
    EXPECT_NE(harness.driver->Errors->Message().find("BEGIN"), std::string::npos);
    EXPECT_EQ(harness.ErrorOf([&] { lexer.ExpectSymbol(";"); }), 1);
    EXPECT_NE(harness.driver->Errors->Message().find(";"), std::string::npos);
    EXPECT_EQ(harness.ErrorOf([&] { lexer.ExpectCompound(93); }), 1);
    EXPECT_EQ(lexer.WhichSimpleType(), -1);
}

TEST(PascalLiterals, QuotedTextIsTakenRaw)
{
    struct QuotedCase
    {
        const char* Text;
        const char* Literal;
        const char* Next;
    };
    const QuotedCase cases[] = {
        {"'It''s' x", "It's", "X"},
        {"'a{b}(*c' x", "a{b}(*c", "X"},
        {"'caf\xE9 Mix' x", "caf\xE9 Mix", "X"},
        {"'' x", "", "X"},
        {"'''' x", "'", "X"},
        {"'end'", "end", ""},
    };
    for (const QuotedCase& item : cases) {
        LexerHarness harness;
        QbLexical& lexer = harness.Lexer();
        harness.Open(item.Text);
        ASSERT_EQ(lexer.TokenText(), "'");
        EXPECT_EQ(lexer.ReadQuoted('\''), item.Literal) << item.Text;
        lexer.NextToken();
        EXPECT_EQ(lexer.IsNestedSource() ? lexer.TokenText() : "", item.Next) << item.Text;
    }
}

TEST(PascalLiterals, UnfinishedQuotedTextRaises79)
{
    for (const char* text : {"'abc", "x := '\n'", "'it''"}) {
        LexerHarness harness;
        QbLexical& lexer = harness.Lexer();
        harness.Open(text);
        while (lexer.TokenText() != "'") {
            lexer.NextToken();
        }
        EXPECT_EQ(harness.ErrorOf([&] { lexer.ReadQuoted('\''); }), 79) << text;
    }
}

TEST(PascalLiterals, AQuoteNotReadAsLiteralLeavesCommentsRecognised)
{
    LexerHarness harness;
    EXPECT_EQ(harness.TokensOf("' a {c} b"), (Tokens{"'", "A", "B"}));
}

TEST(PascalLiterals, RealsReadTheirFractionAndExponent)
{
    struct RealCase
    {
        const char* Text;
        long double Value;
        const char* Next;
    };
    const RealCase cases[] = {
        {"1.5E3 ;", 1500.0L, ";"}, {"2E+3 ;", 2000.0L, ";"}, {"2e-3 ;", 0.002L, ";"},
        {"25E2 ;", 2500.0L, ";"},  {"1.25 ;", 1.25L, ";"},   {"1..5", 1.0L, "."},
        {"7 ;", 7.0L, ";"},        {"1.x", 1.0L, "X"},       {"3E400000 ;", HUGE_VALL, ";"},
    };
    for (const RealCase& item : cases) {
        LexerHarness harness;
        harness.Open(item.Text);
        EXPECT_DOUBLE_EQ(static_cast<double>(harness.Lexer().ReadRealRest()),
                         static_cast<double>(item.Value))
            << item.Text;
        EXPECT_EQ(harness.Lexer().TokenText(), item.Next) << item.Text;
    }
}

TEST(PascalLiterals, HexDigitsStartAtTheLookAhead)
{
    LexerHarness harness;
    QbLexical& lexer = harness.Lexer();
    harness.Open("$ff; $1A2B3C4D5 x");
    EXPECT_EQ(lexer.ReadHexDigits(), 255u);
    lexer.NextToken();
    lexer.NextToken();
    EXPECT_EQ(lexer.TokenText(), "$");
    EXPECT_EQ(lexer.ReadHexDigits(), 0xA2B3C4D5u); // 32 bits: the leading digit falls off
    lexer.NextToken();
    EXPECT_EQ(lexer.TokenText(), "X");
}
