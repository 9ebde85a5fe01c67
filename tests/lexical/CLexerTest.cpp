// The C lexer: operators, comments, literals, macro expansion and the rest of a #define line.
#include "LexerHarness.h"

#include <gtest/gtest.h>

namespace {
struct TokenCase
{
    const char* Text;
    Tokens Expected;
};

LexerHarness& CHarness()
{
    static thread_local std::unique_ptr<LexerHarness> harness;
    harness = std::make_unique<LexerHarness>(Language::C);
    return *harness;
}
} // namespace

TEST(CTokens, OperatorsTakeUpToThreeCharacters)
{
    const TokenCase cases[] = {
        {"a<<=b", {"a", "<<=", "b"}},
        {"a->b", {"a", "->", "b"}},
        {"a<=b<c", {"a", "<=", "b", "<", "c"}},
        {"i++ + --j", {"i", "++", "+", "--", "j"}},
        {"a&&b||c", {"a", "&&", "b", "||", "c"}},
        {"a!=b==c", {"a", "!=", "b", "==", "c"}},
        {"x+=1;y%=2", {"x", "+=", "1", ";", "y", "%=", "2"}},
        {"a>>b>>=c", {"a", ">>", "b", ">>=", "c"}},
        {"a<==b", {"a", "<=", "=", "b"}},
        {"a/b", {"a", "/", "b"}},
        {"a/=b", {"a", "/=", "b"}},
        {"a/*c*/b", {"a", "b"}},
        {"a/*x\n*y*/b", {"a", "b"}},
        {"a//c\nb", {"a", "b"}},
        {"Begin{x}", {"Begin", "{", "x", "}"}},
    };
    for (const TokenCase& item : cases) {
        LexerHarness& harness = CHarness();
        EXPECT_EQ(harness.TokensOf(item.Text), item.Expected) << item.Text;
    }
}

TEST(CTokens, UnfinishedCommentRaises71)
{
    LexerHarness& harness = CHarness();
    EXPECT_EQ(harness.ErrorOf([&] { harness.TokensOf("a /* b\n c"); }), 71);
}

TEST(CLiterals, StringsKeepCommentsAndEscapedQuotes)
{
    struct QuotedCase
    {
        const char* Text;
        char Quote;
        const char* Literal;
    };
    const QuotedCase cases[] = {
        {"\"a/*b*/c\" x", '"', "a/*b*/c"},
        {"\"say \\\"hi\\\"\" x", '"', "say \\\"hi\\\""},
        {"\"//\" x", '"', "//"},
        {"'\\'' x", '\'', "\\'"},
    };
    for (const QuotedCase& item : cases) {
        LexerHarness& harness = CHarness();
        QbLexical& lexer = harness.Lexer();
        harness.Open(item.Text);
        ASSERT_EQ(lexer.TokenText(), std::string(1, item.Quote)) << item.Text;
        EXPECT_EQ(lexer.ReadQuoted(item.Quote), item.Literal) << item.Text;
        lexer.NextToken();
        EXPECT_EQ(lexer.TokenText(), "x") << item.Text;
    }
}

TEST(CLiterals, HexDigitsMayBeLowerCase)
{
    LexerHarness& harness = CHarness();
    QbLexical& lexer = harness.Lexer();
    harness.Open("0x1f;");
    lexer.SetChar(lexer.NextChar()); // the "x" of the prefix
    EXPECT_EQ(lexer.ReadHexDigits(), 31u);
    lexer.NextToken();
    EXPECT_EQ(lexer.TokenText(), ";");
}

TEST(CMacros, IdentifiersAreReplacedByTheirText)
{
    const TokenCase cases[] = {
        {"N+1", {"10", "+", "1"}},           {"TWO*N", {"(", "1", "+", "1", ")", "*", "10"}},
        {"f(EMPTY)", {"f", "(", ")"}},       {"EMPTY", {}},
        {"x = N\ny", {"x", "=", "10", "y"}}, {"n", {"n"}},
    };
    for (const TokenCase& item : cases) {
        LexerHarness& harness = CHarness();
        QbCLexical& lexer = harness.CLexer();
        lexer.DefineMacro("N", "10");
        lexer.DefineMacro("ONE", "1");
        lexer.DefineMacro("TWO", "(ONE+ONE)");
        lexer.DefineMacro("EMPTY", "");
        EXPECT_EQ(harness.TokensOf(item.Text), item.Expected) << item.Text;
    }
}

TEST(CMacros, MacrosThatReachThemselvesRaise199)
{
    LexerHarness& harness = CHarness();
    QbCLexical& lexer = harness.CLexer();
    lexer.DefineMacro("A", "B");
    lexer.DefineMacro("B", "1 + A");
    EXPECT_EQ(harness.ErrorOf([&] { harness.TokensOf("x = A;"); }), 199);
    lexer.CloseAllSources();

    // A chain deeper than the nesting limit is refused even without a cycle.
    lexer.ClearMacros();
    for (int i = 0; i < 40; ++i) {
        lexer.DefineMacro("M" + std::to_string(i), "M" + std::to_string(i + 1));
    }
    EXPECT_EQ(harness.ErrorOf([&] { harness.TokensOf("M0"); }), 199);
    lexer.CloseAllSources();

    lexer.UndefineMacro("M20");
    EXPECT_EQ(harness.TokensOf("M5"), (Tokens{"M20"}));
}

TEST(CMacros, RestOfLineKeepsTheTextAfterTheName)
{
    struct RestCase
    {
        const char* Text;
        const char* Rest;
    };
    const RestCase cases[] = {
        {"#define N 10\nx", "N10"},     {"#define SQ(a) ((a)*(a))\nx", "SQ(a) ((a)*(a))"},
        {"#define NEG -1\nx", "NEG-1"}, {"#define LONG 1 + \\\n  2\nx", "LONG1 +    2"},
        {"#define E\nx", "E"},
    };
    for (const RestCase& item : cases) {
        LexerHarness& harness = CHarness();
        QbLexical& lexer = harness.Lexer();
        harness.Open(item.Text);
        lexer.NextToken(); // define
        lexer.NextToken(); // the name
        std::string rest;
        lexer.RestOfLine(rest);
        EXPECT_EQ(rest, item.Rest) << item.Text;
        EXPECT_EQ(lexer.CurrentChar(), ' ');
        lexer.NextToken();
        EXPECT_EQ(lexer.TokenText(), "x") << item.Text;
    }
}
