// The translator: the reports of the lexer and the parsers become re-worded program lines.
#include "VocabularyFixture.h"

#include "lexical/QbLexical.h"
#include "lexical/QbPascalLexical.h"
#include "lexical/QbTranslator.h"
#include "lexical/SourceText.h"

namespace {
struct Step
{
    char Kind;
    const char* Text;
    std::uint16_t Code;
};

// Case styles, two bits each: reserved words, type words, routines, assignments, identifiers.
constexpr std::uint32_t Styles(int reserved, int types, int routines, int assignment,
                               int identifiers)
{
    return static_cast<std::uint32_t>(reserved | types << 2 | routines << 4 | assignment << 6 |
                                      identifiers << 8);
}

const std::vector<std::vector<std::string>> Rows = {{"PROGRAM", "1", "PROGRAMME"},
                                                    {"BEGIN", "9", "DEBUT"},
                                                    {"END", "13", "FIN"},
                                                    {"IF", "14", "SI"},
                                                    {"THEN", "15", "ALORS"},
                                                    {"END", "27", "FIN"},
                                                    {"VAR", "43", "VAR"},
                                                    {"INTEGER", "64", "ENTIER"},
                                                    {":=", "93", "<-"},
                                                    {"WRITELN", "144", "ECRIRELN"}};
} // namespace

class TranslatorTest : public VocabularyTest
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(WriteSystemVocabulary(Rows, "francais", "vide"));
        // The target vocabularies are not selected: the translator loads what it writes into.
        driver = PascalDriver();
    }

    std::vector<std::string> Translate(const std::vector<Step>& steps, int target,
                                       std::uint32_t styles = Styles(2, 2, 2, 0, 0), int source = 0)
    {
        std::vector<std::string> lines;
        translator.Start(*driver->Dictionary, source, styles, lines, target);
        for (const auto& step : steps) {
            translator.Report(step.Kind, step.Text, step.Code);
        }
        translator.Finish();
        return lines;
    }

    std::unique_ptr<QbSyntaxe> driver;
    QbTranslator translator;
};

// x:=1; with the ":" and "=" read apart, as an empty assignment wording is read.
const std::vector<Step> AssignmentSteps = {{'L', "X", 0},  {'L', ":", 0}, {'L', "=", 0},
                                           {'F', "=", 93}, {'L', "1", 0}, {'L', ";", 0}};

TEST_F(TranslatorTest, EmptyAssignmentWordingWritesTheSymbol)
{
    // Vocabulary 2 leaves word 93 empty.
    EXPECT_EQ(Translate(AssignmentSteps, 2), (std::vector<std::string>{"x :=1;"}));
}

TEST_F(TranslatorTest, WordedAssignmentIsSetOffByBlanks)
{
    EXPECT_EQ(Translate(AssignmentSteps, 1), (std::vector<std::string>{"x <- 1;"}));
    // The same assignment read as one worded symbol.
    const std::vector<Step> worded = {
        {'L', "X", 0}, {'L', "<-", 0}, {'G', "<-", 93}, {'L', "1", 0}};
    EXPECT_EQ(Translate(worded, 1), (std::vector<std::string>{"x<- 1"}));
    EXPECT_EQ(Translate(worded, 2), (std::vector<std::string>{"x:=1"}));
}

TEST_F(TranslatorTest, RecognisedWordsAreRewordedWithLinesAndIndentation)
{
    // BEGIN / WRITELN; / END. on three lines, the middle one indented by two.
    const std::vector<Step> steps = {{'-', "", 2},          {'L', "BEGIN", 0}, {'V', "BEGIN", 9},
                                     {'L', "WRITELN", 0},   {'-', "", 0},      {'L', ";", 0},
                                     {'P', "WRITELN", 144}, {'L', "END", 0},   {'C', "END", 27},
                                     {'L', ".", 0}};
    EXPECT_EQ(Translate(steps, 1), (std::vector<std::string>{"DEBUT", "  ECRIRELN;", "FIN."}));
    // Into the same vocabulary only the case styles change.
    EXPECT_EQ(Translate(steps, 0, Styles(1, 0, 0, 0, 0)),
              (std::vector<std::string>{"Begin", "  writeln;", "End."}));
}

TEST_F(TranslatorTest, EachClassOfWordHasItsOwnStyle)
{
    // VAR N: INTEGER; IF N THEN
    const std::vector<Step> steps = {{'L', "VAR", 0}, {'C', "VAR", 43},    {'L', "N", 0},
                                     {'L', ":", 0},   {'L', "INTEGER", 0}, {'Y', "INTEGER", 64},
                                     {'L', ";", 0},   {'L', "IF", 0},      {'L', "N", 0},
                                     {'T', "IF", 14}, {'L', "THEN", 0},    {'V', "THEN", 15}};
    EXPECT_EQ(Translate(steps, 1, Styles(2, 1, 0, 0, 1)),
              (std::vector<std::string>{"VAR N:Entier;SI N ALORS"}));
    EXPECT_EQ(Translate(steps, 1, Styles(3, 0, 0, 0, 2)),
              (std::vector<std::string>{"var N:entier;si N alors"}));
}

TEST_F(TranslatorTest, CommentsAndBlankLinesAreKept)
{
    // PROGRAM P; { first } / (blank line) / { one / two } BEGIN END.
    const std::vector<Step> steps = {
        {'L', "PROGRAM", 0}, {'V', "PROGRAM", 1}, {'L', "P", 0},    {'A', "{ first }", 0},
        {'-', "", 0},        {'-', "", 0},        {'L', ";", 0},    {'A', "{ one", 0},
        {'-', "", 0},        {'A', "  two }", 0}, {'-', "", 0},     {'L', "BEGIN", 0},
        {'V', "BEGIN", 9},   {'L', "END", 0},     {'C', "END", 27}, {'L', ".", 0}};
    EXPECT_EQ(Translate(steps, 1), (std::vector<std::string>{"PROGRAMME p; { first }", "",
                                                             "DEBUT { one", "  two }", "FIN."}));
}

TEST_F(TranslatorTest, StringLiteralKeepsItsTextAndLineBreak)
{
    // S := 'Bonjour' / END: the break crossed after the literal stays with it.
    const std::vector<Step> steps = {{'L', "S", 0},         {'L', ":", 0},   {'L', "=", 0},
                                     {'F', "=", 93},        {'L', "'", 0},   {'-', "", 0},
                                     {'S', "'Bonjour'", 0}, {'L', "END", 0}, {'C', "END", 27}};
    EXPECT_EQ(Translate(steps, 1), (std::vector<std::string>{"s <- 'Bonjour'", "FIN"}));
    // A literal and the word after it are kept apart.
    const std::vector<Step> condition = {{'L', "IF", 0},   {'C', "IF", 14},  {'L', "S", 0},
                                         {'L', "=", 0},    {'L', "'", 0},    {'S', "''", 0},
                                         {'L', "THEN", 0}, {'V', "THEN", 15}};
    EXPECT_EQ(Translate(condition, 1), (std::vector<std::string>{"SI s='' ALORS"}));
}

TEST_F(TranslatorTest, ImpliedWordIsWrittenOut)
{
    // PROCEDURE-less parameter list (X: INTEGER) whose default mode the target spells out.
    const std::vector<Step> steps = {{'L', "(", 0}, {'L', "X", 0}, {'M', "", 43}, {'L', ":", 0}};
    EXPECT_EQ(Translate(steps, 1), (std::vector<std::string>{"(VAR x:"}));
}

TEST_F(TranslatorTest, LinesLongerThanASourceLineAreKeptWhole)
{
    std::vector<Step> steps;
    std::vector<std::string> names;
    for (int i = 0; i < 60; ++i) {
        names.push_back("WRITELN");
        steps.push_back({'L', "WRITELN", 0});
        steps.push_back({'C', "WRITELN", 144});
    }
    const auto lines = Translate(steps, 1);
    ASSERT_EQ(lines.size(), 1U);
    EXPECT_EQ(lines[0].size(), 60 * 8 + 59U);
}

TEST_F(TranslatorTest, TranslateKeepsTextWithinOneVocabulary)
{
    std::vector<std::string> lines;
    translator.Start(*driver->Dictionary, 1, 0, lines, 1);
    EXPECT_EQ(translator.Translate("DEBUT", 9), "DEBUT");
    translator.Start(*driver->Dictionary, 0, 0, lines, 1);
    EXPECT_EQ(translator.Translate("BEGIN", 9), "DEBUT");
    EXPECT_EQ(translator.Translate("COUNTER", 0), "COUNTER");
    EXPECT_TRUE(translator.Active());
    translator.Finish();
    EXPECT_FALSE(translator.Active());
    // Reports outside a translation are ignored.
    translator.Report('L', "X", 0);
}

TEST_F(TranslatorTest, StartClearsThePreviousOutput)
{
    std::vector<std::string> lines = {"old"};
    translator.Start(*driver->Dictionary, 0, 0, lines, 1);
    EXPECT_TRUE(lines.empty());
    translator.Finish();
    EXPECT_TRUE(lines.empty());
}

namespace {
class OnePage : public SourceText
{
  public:
    bool PageText(const std::string& name, std::string& text) override
    {
        text = Text;
        return name == "main.pas";
    }
    std::string CurrentPageName() override { return "main.pas"; }
    std::string Text;
};

// A Pascal driver with its lexer, reading one editor page.
class LexingDriver : public VocabularyDriver
{
  public:
    explicit LexingDriver(const DriverEnvironment& environmentRef)
        : VocabularyDriver(environmentRef, Language::Pascal)
    {
        Lexer = std::make_unique<QbPascalLexical>(*this);
        AttachLexer();
    }
};
} // namespace

// The lexer's own reports place comments and line breaks, whatever blanks surround them; the
// words a parser would recognise are matched here by code.
TEST_F(TranslatorTest, LexedProgramKeepsItsLayout)
{
    OnePage page;
    page.Text = "program p; { c1 }\n"
                "{ own line }\n"
                "begin   \n"
                "  x := 1 (* a\n"
                "  b *)\n"
                "end.\n";
    environment.Pages = &page;
    LexingDriver lexing(environment);
    std::vector<std::string> lines;
    lexing.Lexer->SetTranslation(true, 0, Styles(2, 2, 2, 0, 0), &lines, 1);
    ASSERT_TRUE(lexing.Lexer->OpenSource("+main.pas"));
    while (lexing.Lexer->IsNestedSource()) {
        for (std::uint16_t code : {1, 9, 27}) {
            lexing.Lexer->IsWord(code);
        }
        lexing.Lexer->NextToken();
    }
    lexing.Lexer->CloseAllSources();
    EXPECT_EQ(lines, (std::vector<std::string>{"PROGRAMME p; { c1 }", "{ own line }", "DEBUT",
                                               "  x:=1 (* a", "  b *)", "FIN."}));
}
