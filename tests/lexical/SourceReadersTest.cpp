// The source readers: line splitting, files, line sources, the end of the program and long lines.
#include "LexerHarness.h"
#include "lexical/QbSource.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {
struct SplitCase
{
    const char* Text;
    std::vector<std::string> Lines;
};

std::string Repeat(char ch, std::size_t count)
{
    return std::string(count, ch);
}
} // namespace

TEST(SourceReaders, SplitLinesAcceptsEveryLineBreakAndNoEmptyLastLine)
{
    const SplitCase cases[] = {
        {"a\r\nb", {"a", "b"}}, {"a\nb\n", {"a", "b"}},     {"a\rb\r\n", {"a", "b"}}, {"", {}},
        {"\n", {""}},           {"a\n\nb", {"a", "", "b"}},
    };
    for (const SplitCase& item : cases) {
        EXPECT_EQ(QbSource::SplitLines(item.Text), item.Lines) << item.Text;
    }
}

TEST(SourceReaders, ReadWholeFileJoinsLinesAndDecodesUtf8)
{
    const auto path = std::filesystem::temp_directory_path() / "movila_lexer_whole.txt";
    {
        std::ofstream file(path, std::ios::binary);
        file << "caf\xC3\xA9\nline 2\n";
    }
    std::string text;
    ASSERT_TRUE(QbSource::ReadWholeFile(path.string(), text));
    EXPECT_EQ(text, "caf\xE9\r\nline 2");
    std::filesystem::remove(path);
    EXPECT_FALSE(QbSource::ReadWholeFile(path.string(), text));
    EXPECT_FALSE(QbSource::ReadWholeFile(std::filesystem::temp_directory_path().string(), text));
}

TEST(SourceReaders, EditReaderIsRepositionedOntoAnEarlierLine)
{
    LexerHarness harness;
    harness.Open("one\ntwo\nthree\nfour\nfive");
    QbLexical& lexer = harness.Lexer();
    while (lexer.TokenText() != "FIVE") {
        lexer.NextToken();
    }
    const auto tokenLine = [&] {
        int line = 0;
        int column = 0;
        lexer.TokenStart(line, column);
        return line + 1;
    };
    lexer.Reposition(3, 1);
    EXPECT_EQ(lexer.TokenText(), "THREE");
    EXPECT_EQ(tokenLine(), 3);
    lexer.NextToken();
    EXPECT_EQ(lexer.TokenText(), "FOUR");
    EXPECT_EQ(tokenLine(), 4);
}

TEST(SourceReaders, AJumpToAStateOfNoLineOfTheTextIsRefused)
{
    LexerHarness harness;
    harness.Open("one\ntwo\nthree");
    QbLexical& lexer = harness.Lexer();
    lexer.NextToken();
    const QbLexical::SkipMark mark = lexer.BeginSkip();
    ASSERT_NE(mark.Text, nullptr);
    QbTextSource::KeptToken kept;
    ASSERT_TRUE(lexer.TakeState(mark, kept));
    lexer.NextToken();
    EXPECT_EQ(lexer.TokenText(), "THREE");
    // A state never taken (a statement whose end was not kept), or beyond the last line.
    QbTextSource::KeptToken never;
    EXPECT_FALSE(lexer.JumpTo(mark.Text, never));
    QbTextSource::KeptToken beyond = kept;
    beyond.EndLine = 4;
    EXPECT_FALSE(lexer.JumpTo(mark.Text, beyond));
    EXPECT_EQ(lexer.TokenText(), "THREE");
    EXPECT_TRUE(lexer.JumpTo(mark.Text, kept));
    EXPECT_EQ(lexer.TokenText(), "TWO");
}

TEST(SourceReaders, RestoredPositionsReadOnAsSavedOnTheSameLineOrAnother)
{
    LexerHarness harness;
    harness.Open("alpha beta gamma\ndelta epsilon\nzeta");
    QbLexical& lexer = harness.Lexer();
    lexer.NextToken();
    LexicalPosition saved;
    lexer.SavePosition(saved); // on BETA, line 1
    const auto tokenLine = [&] {
        int line = 0;
        int column = 0;
        lexer.TokenStart(line, column);
        return line;
    };
    // Back from further on the same line, then from another line: the same tokens follow.
    for (const int moves : {1, 4}) {
        SCOPED_TRACE(moves);
        for (int i = 0; i < moves; ++i) {
            lexer.NextToken();
        }
        lexer.RestorePosition(saved);
        EXPECT_EQ(lexer.TokenText(), "BETA");
        EXPECT_EQ(lexer.LineText(), "alpha beta gamma");
        EXPECT_EQ(lexer.LineNumber(), 1);
        lexer.NextToken();
        EXPECT_EQ(lexer.TokenText(), "GAMMA");
        EXPECT_EQ(tokenLine(), 0);
        lexer.NextToken();
        EXPECT_EQ(lexer.TokenText(), "DELTA");
        EXPECT_EQ(lexer.LineText(), "delta epsilon");
        lexer.RestorePosition(saved);
    }
}

TEST(SourceReaders, EveryTextTakenHasANumberOfItsOwn)
{
    LexerHarness harness;
    harness.Open("one two");
    const std::uint64_t first = harness.Lexer().TextNumber();
    harness.Open("one two");
    const std::uint64_t second = harness.Lexer().TextNumber();
    EXPECT_NE(first, 0u);
    EXPECT_NE(second, 0u);
    EXPECT_NE(first, second);
    harness.Lexer().CloseSource();
    EXPECT_EQ(harness.Lexer().TextNumber(), first);
}

TEST(SourceReaders, LineSourceRequestNamesTheSourceAndHoldsOneLine)
{
    LexerHarness harness;
    QbLexical& lexer = harness.Lexer();
    ASSERT_TRUE(lexer.OpenSource("#X#abc"));
    EXPECT_EQ(lexer.SourceName(false), "X");
    EXPECT_EQ(harness.Tokens(), (Tokens{"ABC"}));

    EXPECT_FALSE(lexer.OpenSource("#X#"));
    EXPECT_FALSE(lexer.OpenSource("#X"));
    EXPECT_FALSE(lexer.IsNestedSource());
}

// The two end lines are read as the "." token and its look-ahead: a program without its final
// "." still ends, and reading on raises 131.
TEST(SourceReaders, EndOfProgramGivesAnEndMarkThenError131)
{
    LexerHarness harness;
    QbLexical& lexer = harness.Lexer();
    harness.Open("a\nb");
    lexer.NextToken();
    lexer.NextToken();
    EXPECT_FALSE(lexer.IsNestedSource());
    EXPECT_EQ(lexer.TokenText(), ".");
    int line = 0;
    int column = 0;
    lexer.TokenStart(line, column);
    EXPECT_EQ(line, 2); // numbering goes on after the last line
    EXPECT_EQ(harness.ErrorOf([&] { lexer.NextToken(); }), 131);
}

TEST(SourceReaders, MissingFilesAndEmptyPagesDoNotOpen)
{
    LexerHarness harness;
    QbLexical& lexer = harness.Lexer();
    EXPECT_FALSE(lexer.OpenSource("/nonexistent/movila/prog.pas"));
    EXPECT_FALSE(lexer.OpenSource("+/nonexistent/movila/prog.pas"));
    harness.pages.Pages["empty.pas"] = "";
    EXPECT_FALSE(lexer.OpenSource("+empty.pas"));
    EXPECT_FALSE(lexer.IsNestedSource());
    EXPECT_EQ(harness.ErrorOf([&] { lexer.OpenSource("unit.MVU"); }), 240);
}

TEST(SourceReaders, EmptyNameOpensTheCurrentPage)
{
    LexerHarness harness;
    harness.pages.Pages["main.pas"] = "hello";
    ASSERT_TRUE(harness.Lexer().OpenSource(""));
    EXPECT_EQ(harness.Lexer().SourceName(true), "MAIN");
    EXPECT_EQ(harness.Tokens(), (Tokens{"HELLO"}));
}

TEST(SourceReaders, LongLineIsRefusedWithItsPositionNotCut)
{
    LexerHarness harness;
    QbLexical& lexer = harness.Lexer();
    const std::string longLine = "x := " + Repeat('a', 300);
    harness.Open("begin\nx\n" + longLine + "\nend");
    EXPECT_EQ(harness.ErrorOf([&] { harness.Tokens(); }), 198);
    EXPECT_EQ(harness.driver->Errors->Line(), 2);
    EXPECT_EQ(harness.driver->Errors->Column(), 256); // the first character beyond the limit
    lexer.CloseAllSources();

    // 255 characters are a line; a longer macro or call text is refused too.
    harness.Open("x" + Repeat(' ', 253) + "y");
    EXPECT_EQ(harness.Tokens(), (Tokens{"X", "Y"}));
    EXPECT_EQ(harness.ErrorOf([&] { lexer.OpenSource("#L#" + Repeat('b', 256)); }), 198);
}

TEST(SourceReaders, VDirectiveIsTakenOnce)
{
    LexerHarness harness;
    harness.Open("{$V 12:5} x");
    std::uint16_t a = 0;
    std::uint16_t b = 0;
    harness.Lexer().TakeVDirective(a, b);
    EXPECT_EQ(a, 12);
    EXPECT_EQ(b, 5);
    harness.Lexer().TakeVDirective(a, b);
    EXPECT_EQ(a, 0);
    EXPECT_EQ(b, 0);
}

TEST(SourceReaders, LastLineIndexPointsAtTheLineOfTheLastCharacter)
{
    LexerHarness harness;
    QbLexical& lexer = harness.Lexer();
    harness.Open("a b\nc");
    EXPECT_EQ(lexer.LastLineIndex(), 0);
    lexer.NextToken(); // "B": its look-ahead crossed into line 2, column 1
    EXPECT_EQ(lexer.LineNumber(), 2);
    EXPECT_EQ(lexer.Column(), 1);
    EXPECT_EQ(lexer.LastLineIndex(), 0);
    lexer.NextToken();
    EXPECT_EQ(lexer.LastLineIndex(), 1);
}
