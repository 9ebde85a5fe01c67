// Include files, header peeking, recording and saved positions.
#include "LexerHarness.h"
#include "frontend/ProgramOptions.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// A fresh folder of source files, removed afterwards.
class SourceFolder
{
  public:
    SourceFolder()
    {
        const auto* test = testing::UnitTest::GetInstance()->current_test_info();
        root = fs::temp_directory_path() /
               ("movila_lexer_" + std::string(test->name()) + "_" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root);
    }
    ~SourceFolder() { fs::remove_all(root); }
    SourceFolder(const SourceFolder&) = delete;
    SourceFolder& operator=(const SourceFolder&) = delete;

    std::string Write(const std::string& relative, const std::string& text) const
    {
        const fs::path path = root / relative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    std::string Path(const std::string& relative) const { return (root / relative).string(); }

  private:
    fs::path root;
};

LexerHarness& IncludingHarness()
{
    static thread_local std::unique_ptr<LexerHarness> harness;
    harness = std::make_unique<LexerHarness>();
    harness->driver->SetOptionA(OptionA::ForbidInclude, false);
    return *harness;
}
} // namespace

TEST(Includes, IncludedTokensComeBetweenTheIncludingOnes)
{
    SourceFolder folder;
    const std::string main =
        folder.Write("prog/main.pas", "a {$I part.inc} b\n{$I sub\\deep.inc}c");
    folder.Write("prog/part.inc", "x\n y {comment}");
    // Names are resolved against the folder of the file that includes them.
    folder.Write("prog/sub/deep.inc", "{$I ./w/../w.inc}z");
    folder.Write("prog/sub/w.inc", "w");
    LexerHarness& harness = IncludingHarness();
    ASSERT_TRUE(harness.Lexer().OpenSource("+" + main));
    EXPECT_EQ(harness.Tokens(), (Tokens{"A", "X", "Y", "B", "W", "Z", "C"}));
}

TEST(Includes, AnOpenPageIsReadInsteadOfTheFile)
{
    SourceFolder folder;
    const std::string main = folder.Write("main.pas", "a {$I part.inc} b");
    folder.Write("part.inc", "from_disk");
    LexerHarness& harness = IncludingHarness();
    harness.pages.Pages[folder.Path("part.inc")] = "from_page";
    ASSERT_TRUE(harness.Lexer().OpenSource("+" + main));
    EXPECT_EQ(harness.Tokens(), (Tokens{"A", "FROM_PAGE", "B"}));
}

TEST(Includes, RefusedOrMissingNamesRaise75WithTheName)
{
    SourceFolder folder;
    folder.Write("outside.inc", "x");
    for (const char* name : {"missing.inc", "../outside.inc", "/etc/passwd", "\\etc\\passwd",
                             "c:\\x.inc", "sub/../../outside.inc"}) {
        const std::string main =
            folder.Write("prog/main.pas", std::string("a {$I ") + name + "} b");
        LexerHarness& harness = IncludingHarness();
        ASSERT_TRUE(harness.Lexer().OpenSource("+" + main));
        EXPECT_EQ(harness.ErrorOf([&] { harness.Tokens(); }), 75) << name;
        EXPECT_NE(harness.driver->Errors->Message().find(name), std::string::npos) << name;
    }
}

TEST(Includes, AFileIncludingItselfRaises199)
{
    SourceFolder folder;
    const std::string main = folder.Write("main.pas", "a {$I loop.inc} b");
    folder.Write("loop.inc", "x {$I loop.inc}");
    LexerHarness& harness = IncludingHarness();
    ASSERT_TRUE(harness.Lexer().OpenSource("+" + main));
    EXPECT_EQ(harness.ErrorOf([&] { harness.Tokens(); }), 199);

    // A program that includes its own file is caught as well.
    const std::string self = folder.Write("self.pas", "a {$I self.pas}");
    harness.Lexer().CloseAllSources();
    ASSERT_TRUE(harness.Lexer().OpenSource("+" + self));
    EXPECT_EQ(harness.ErrorOf([&] { harness.Tokens(); }), 199);
}

TEST(Includes, ChainsDeeperThanTheLimitRaise199)
{
    SourceFolder folder;
    for (int i = 0; i < 30; ++i) {
        folder.Write("inc" + std::to_string(i) + ".inc",
                     "{$I inc" + std::to_string(i + 1) + ".inc}");
    }
    const std::string main = folder.Write("main.pas", "{$I inc0.inc} x");
    LexerHarness& harness = IncludingHarness();
    EXPECT_EQ(harness.ErrorOf([&] { harness.Lexer().OpenSource("+" + main); }), 199);
}

TEST(Includes, LongLineOfAnIncludeIsReportedAtItsLine)
{
    SourceFolder folder;
    const std::string main = folder.Write("main.pas", "a {$I long.inc} b");
    folder.Write("long.inc", "x\ny\n" + std::string(256, 'z'));
    LexerHarness& harness = IncludingHarness();
    ASSERT_TRUE(harness.Lexer().OpenSource("+" + main));
    EXPECT_EQ(harness.ErrorOf([&] { harness.Tokens(); }), 198);
    EXPECT_EQ(harness.driver->Errors->Line(), 2);
    const std::string source = harness.Lexer().SourceName(false);
    EXPECT_EQ(source.substr(source.size() - 8), "LONG.INC");
}

TEST(HeaderPeek, GivesTheFirstTwoTokensAndLeavesTheStackAsItWas)
{
    LexerHarness harness;
    QbLexical& lexer = harness.Lexer();
    harness.pages.Pages["unit.pas"] = "{$F+} unit Tools; interface";
    harness.pages.Pages["one.pas"] = "unit {tail}";
    harness.Open("uses tools;");
    std::string first;
    std::string second;
    lexer.PeekHeader("unit.pas", first, second);
    EXPECT_EQ(first, "UNIT");
    EXPECT_EQ(second, "TOOLS");
    EXPECT_FALSE(harness.driver->OptionA(OptionA::FarCalls)); // directives are not obeyed
    lexer.PeekHeader("one.pas", first, second);
    EXPECT_EQ(first, "UNIT");
    EXPECT_EQ(second, "");
    lexer.PeekHeader("none.pas", first, second);
    EXPECT_EQ(first, "");
    EXPECT_EQ(lexer.TokenText(), "USES");
    EXPECT_EQ(harness.Tokens(), (Tokens{"USES", "TOOLS", ";"}));
}

TEST(Positions, RestoringRepeatsTheSameTokens)
{
    LexerHarness harness;
    QbLexical& lexer = harness.Lexer();
    harness.Open("while a do\n  begin b; c end;\nd");
    lexer.NextToken();
    lexer.NextToken();
    LexicalPosition body;
    lexer.SavePosition(body);
    const Tokens first = harness.Tokens(7);
    lexer.RestorePosition(body);
    EXPECT_EQ(harness.Tokens(7), first);
    EXPECT_EQ(first, (Tokens{"DO", "BEGIN", "B", ";", "C", "END", ";"}));
    EXPECT_EQ(lexer.TokenText(), "D");
}

TEST(Recording, InterfaceLinesAreRecordedUpToImplementation)
{
    LexerHarness harness;
    QbLexical& lexer = harness.Lexer();
    harness.Open("unit u;\ninterface\nprocedure p;\n{ note }\nimplementation\nend.");
    while (lexer.TokenText() != "INTERFACE") {
        lexer.NextToken();
    }
    std::vector<std::string> lines;
    lexer.StartRecording(&lines);
    harness.Tokens();
    // The look-ahead of INTERFACE is already on the next line, which is the first one recorded.
    EXPECT_EQ(lines, (std::vector<std::string>{"procedure p;", "{ note }"}));
}
