// The token stream the lexer reports to the translator, checked on the text written back.
#include "LexerHarness.h"

#include <gtest/gtest.h>

// Line breaks (also after trailing blanks), indentation, literals as written and comments, on
// one line or several, all reach the translated text.
TEST(LexerTranslation, LinesLiteralsAndCommentsSurviveAnIdentityTranslation)
{
    LexerHarness harness;
    QbLexical& lexer = harness.Lexer();
    std::vector<std::string> output;
    constexpr std::uint32_t AllUpperCase = 0x2AA;
    lexer.SetTranslation(true, 0, AllUpperCase, &output, 0);
    harness.Open("program p;\nbegin   \n  x := 'It''s'; { c }\n  y := 1 (* two\n lines *)\nend.");
    while (lexer.IsNestedSource()) {
        if (lexer.TokenText() == "'") {
            lexer.ReadQuoted('\'');
        }
        lexer.NextToken();
    }
    lexer.CloseAllSources();
    EXPECT_EQ(output, (std::vector<std::string>{"PROGRAM P;", "BEGIN", "  X:='It''s'; { c }",
                                                "  Y:=1 (* two", " lines *)", "END."}));
    EXPECT_FALSE(lexer.Translating());
}
