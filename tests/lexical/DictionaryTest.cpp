// The dictionary's default words, chains, case styles, accents and the modules it holds.
#include "VocabularyFixture.h"

#include "symbols/QbModule.h"

#include <algorithm>

namespace {
struct CodeWord
{
    std::uint16_t Code;
    const char* Word;
};

bool Contains(const std::vector<std::string>& list, const std::string& line)
{
    return std::find(list.begin(), list.end(), line) != list.end();
}
} // namespace

TEST_F(VocabularyTest, PascalCodesGiveTheirDefaultWords)
{
    auto driver = PascalDriver();
    driver->SetOptionA(OptionA::AutoCrt | OptionA::AutoGraph, true);
    const QbDico& dico = *driver->Dictionary;
    const CodeWord cases[] = {{1, "PROGRAM"},
                              {13, "END"},
                              {18, "DO"},
                              {26, "DO"},
                              {42, ""},
                              {47, "|"},
                              {49, "@"},
                              {64, "INTEGER"},
                              {75, "AND_THEN"},
                              {93, ""},
                              {96, ""},
                              {97, "MODELS"},
                              {99, "OUTPUT"},
                              {100, ""},
                              {127, ""},
                              {128, "RELEASE"},
                              {144, "WRITELN"},
                              {212, "READ"},
                              {213, "QUERY"},
                              {214, ""},
                              {215, "COMPLEXITY"},
                              {216, ""},
                              {257, "BLACK"},
                              {272, "WHITE"},
                              {286, "WINDOW"},
                              {287, ""},
                              {513, ""},
                              {518, "GETX"},
                              {528, "PUTPIXEL"},
                              {544, "CIRCLE"},
                              {548, "SETCOLOR"},
                              {554, "GETTEXTSETTINGS"},
                              {560, "TEXTWIDTH"},
                              {561, ""},
                              {2305, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(dico.WordText(c.Code), c.Word) << "code " << c.Code;
    }
}

TEST_F(VocabularyTest, OptionalUnitsComeAndGoWithTheirOptions)
{
    auto driver = PascalDriver();
    driver->SetOptionA(OptionA::AutoCrt | OptionA::AutoGraph, false);
    EXPECT_EQ(driver->Dictionary->WordText(257), "");
    EXPECT_EQ(driver->Dictionary->ModuleByName("CRT"), nullptr);

    driver->SetOptionA(OptionA::AutoCrt, true);
    driver->Dictionary->AddOptionalModules();
    EXPECT_EQ(driver->Dictionary->WordText(257), "BLACK");
    EXPECT_EQ(driver->Dictionary->Modules().size(), 2U);

    // The system module cannot be removed: the parsers need its words.
    driver->Dictionary->RemoveModule(driver->Dictionary->ModuleByName("SYSTEM"));
    EXPECT_EQ(driver->Dictionary->WordText(1), "PROGRAM");
    driver->Dictionary->RemoveModule(driver->Dictionary->ModuleByName("CRT"));
    EXPECT_EQ(driver->Dictionary->WordText(257), "");
}

TEST_F(VocabularyTest, ModulesTakeTheirNumbersAndWordRanges)
{
    auto driver = CDriver();
    QbDico& dico = *driver->Dictionary;
    QbModule* stdio = dico.AddModule(static_cast<int>(ModuleClass::Stdio), "");
    ASSERT_NE(stdio, nullptr);
    const QbModule& system = *dico.Modules().front();
    EXPECT_EQ(system.Number(), 128);
    EXPECT_EQ(system.WordCount(), 128);
    EXPECT_EQ(stdio->Number(), 137);
    EXPECT_EQ(stdio->WordCount(), 65);
    EXPECT_EQ(stdio->CountBase(), system.CountEnd() + 1);
    EXPECT_EQ(dico.AddModule(99, ""), nullptr);

    const CodeWord cases[] = {
        {1, "asm"},     {27, "end"},      {33, "while"},  {34, "while"},       {37, "="},
        {41, "NULL"},   {44, "define"},   {45, ""},       {128, "complexity"}, {2305, "stdin"},
        {2313, "FILE"}, {2333, "printf"}, {2369, "putw"}, {2370, ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(dico.WordText(c.Code), c.Word) << "code " << c.Code;
    }
    // C reads case-sensitively: its words keep their case.
    EXPECT_EQ(dico.FindWord("printf"), 2333);
}

TEST_F(VocabularyTest, FindWordFollowsTheChainOfTheInitial)
{
    auto driver = PascalDriver();
    driver->SetOptionA(OptionA::AutoCrt, true);
    const QbDico& dico = *driver->Dictionary;
    // The first word of a chain with that wording wins: WRITE is the property word 88 before
    // the routine 136, END the CASE end 13.
    const CodeWord cases[] = {{144, "writeln"}, {144, "WriteLn"}, {88, "WRITE"}, {13, "end"},
                              {75, "and_then"}, {47, "|"},        {49, "@"},     {257, "black"},
                              {0, "writelnx"},  {0, "_x"},        {0, ""},       {0, "1"}};
    for (const auto& c : cases) {
        EXPECT_EQ(dico.FindWord(c.Word), c.Code) << c.Word;
    }
    EXPECT_TRUE(dico.IsVocabularyWord("Integer"));
    EXPECT_FALSE(dico.IsVocabularyWord("COUNTER"));
}

TEST_F(VocabularyTest, WordsBeginningWithUnderscoreAreInTheNonLetterChain)
{
    WriteSystemVocabulary({{"PROGRAM", "1", "_PROG"}, {"BEGIN", "9", "_DEBUT"}});
    auto driver = PascalDriver();
    driver->Dictionary->SelectVocabulary(1);
    const QbModule& system = *driver->Dictionary->Modules().front();
    const auto chain = system.ChainOf('_', 1);
    EXPECT_EQ(chain, (std::vector<int>{1, 9}));
    EXPECT_EQ(driver->Dictionary->FindWord("_debut"), 9);
}

TEST_F(VocabularyTest, CaseInsensitiveReadingUpperCasesWords)
{
    WriteSystemVocabulary({{"PROGRAM", "1", "Programme"}});
    auto driver = PascalDriver();
    driver->Dictionary->SelectVocabulary(1);
    EXPECT_EQ(driver->Dictionary->WordText(1), "PROGRAMME");
    driver->SetOptionA(OptionA::CaseInsensitive, false);
    EXPECT_EQ(driver->Dictionary->WordText(1), "Programme");
    EXPECT_TRUE(driver->Dictionary->HasText(1));
    EXPECT_FALSE(driver->Dictionary->HasText(2));
}

TEST(CaseStyle, StyleOfAWordAndItsApplication)
{
    const struct
    {
        const char* Word;
        int Style;
    } styles[] = {{"Begin", 1}, {"BEGIN", 3}, {"begin", 4}, {"", 4}, {"bEGIN", 0}, {"123", 6}};
    for (const auto& s : styles) {
        EXPECT_EQ(QbDico::CaseStyleOf(s.Word), s.Style) << s.Word;
    }
    const struct
    {
        int Style;
        const char* Text;
    } applied[] = {{1, "Writeln"}, {2, "WRITELN"}, {3, "WRITELN"}, {4, "writeln"}, {8, "writeln"}};
    for (const auto& a : applied) {
        EXPECT_EQ(QbDico::ApplyCaseStyle("wRiTeLn", a.Style), a.Text) << a.Style;
    }
}

TEST_F(VocabularyTest, AccentsAreMappedOnlyWithTheirOption)
{
    auto driver = PascalDriver();
    const QbDico& dico = *driver->Dictionary;
    EXPECT_EQ(dico.MapAccent('\xE9'), 'e'); // é
    EXPECT_EQ(dico.MapAccent('\xC7'), 'c'); // Ç
    EXPECT_EQ(dico.MapAccent('\xBA'), 'o'); // º, the last of the table
    EXPECT_EQ(dico.MapAccent('x'), 'x');
    driver->SetOptionA(OptionA::ReplaceAccents, true);
    EXPECT_EQ(dico.MapAccents("\xE9t\xE9"), "ete");
    driver->SetOptionA(OptionA::ReplaceAccents, false);
    EXPECT_EQ(dico.MapAccents("\xE9t\xE9"), "\xE9t\xE9");

    // A table whose second string is short maps only the letters it covers.
    ProgramOptions shortTable = driver->GetOptions();
    shortTable.ReplaceBy = "c";
    driver->SetOptions(shortTable);
    EXPECT_EQ(dico.MapAccent('\xC7'), 'c');
    EXPECT_EQ(dico.MapAccent('\xE9'), '\xE9');
}

TEST_F(VocabularyTest, AccentedWordsAreFoundByTheirMappedText)
{
    WriteSystemVocabulary({{"WRITE", "136",
                            "\xC9"
                            "CRIRE"}});
    auto driver = PascalDriver();
    driver->SetOptionA(OptionA::ReplaceAccents, true);
    driver->Dictionary->SelectVocabulary(1);
    EXPECT_EQ(driver->Dictionary->WordText(136), "ECRIRE");
    EXPECT_EQ(driver->Dictionary->FindWord("ecrire"), 136);
    EXPECT_EQ(driver->Dictionary->FindWord("\xE9"
                                           "crire"),
              136);
}

TEST_F(VocabularyTest, KeptWordingsFollowTheVocabularyAndTheReadingOptions)
{
    // Keyword tests read the dictionary's index of wordings: switching vocabularies, turning
    // accent replacement on and off, and new special letters must each be seen at once.
    WriteSystemVocabulary({{"WRITE", "136",
                            "\xC9"
                            "CRIRE"}});
    auto driver = PascalDriver();
    driver->SetOptionA(OptionA::ReplaceAccents, false);
    QbDico& dico = *driver->Dictionary;
    EXPECT_EQ(dico.WordTextRef(136), "WRITE");
    dico.SelectVocabulary(1);
    EXPECT_EQ(dico.WordTextRef(136), "\xC9"
                                     "CRIRE");
    driver->SetOptionA(OptionA::ReplaceAccents, true);
    EXPECT_EQ(dico.WordTextRef(136), "ECRIRE");
    ProgramOptions options = driver->GetOptions();
    options.SpecialLetters = "\xC9";
    options.ReplaceBy = "F";
    driver->SetOptions(options);
    EXPECT_EQ(dico.WordTextRef(136), "FCRIRE");
    driver->SetOptionA(OptionA::ReplaceAccents, false);
    EXPECT_EQ(dico.WordTextRef(136), "\xC9"
                                     "CRIRE");
    dico.SelectVocabulary(0);
    EXPECT_EQ(dico.WordTextRef(136), "WRITE");
}

TEST_F(VocabularyTest, TypeNamesComeFromTheSystemWords)
{
    auto driver = PascalDriver();
    const QbDico& dico = *driver->Dictionary;
    const struct
    {
        int Code;
        const char* Name;
    } cases[] = {{0, "BOOLEAN"}, {1, "CHAR"}, {2, "BYTE"},       {4, "INTEGER"},   {7, "INTEGER"},
                 {8, "REAL"},    {9, "???"},  {10, "STRING"},    {11, "POINTER"},  {15, "DATABASE"},
                 {16, "???"},    {19, "???"}, {20, "PROCEDURE"}, {21, "FUNCTION"}, {22, "???"},
                 {-1, "???"},    {300, "???"}};
    for (const auto& c : cases) {
        EXPECT_EQ(dico.TypeNameFor(c.Code), c.Name) << c.Code;
    }
}

TEST_F(VocabularyTest, WordListsCarryTheColouringStyles)
{
    auto driver = PascalDriver();
    driver->SetOptionA(OptionA::AutoCrt | OptionA::AutoGraph, true);
    const auto list = driver->Dictionary->WordListFor();
    EXPECT_TRUE(Contains(list, "PROGRAM;2"));
    EXPECT_TRUE(Contains(list, "WRITELN;4"));
    EXPECT_TRUE(Contains(list, "BLACK;5"));
    EXPECT_TRUE(Contains(list, "GETX;6"));
    EXPECT_FALSE(Contains(list, ";2"));

    auto c = CDriver();
    const auto cList = c->Dictionary->WordListFor();
    EXPECT_TRUE(Contains(cList, "while;2"));
    EXPECT_TRUE(Contains(cList, "complexity;4"));
}

TEST_F(VocabularyTest, HintsDescribeRoutinesOnly)
{
    auto driver = PascalDriver();
    const QbDico& dico = *driver->Dictionary;
    EXPECT_EQ(dico.HintFor("copy"), "COPY(S: STRING; INDEX, COUNT: INTEGER): STRING");
    EXPECT_EQ(dico.HintFor("WRITE"), "WRITE([VAR F: FILE;] V1, V2, ...)");
    EXPECT_EQ(dico.HintFor("BEGIN"), "");
    EXPECT_EQ(dico.HintFor("NOSUCH"), "");
    auto c = CDriver();
    EXPECT_NE(c->Dictionary->HintFor("complexity"), "");
    EXPECT_EQ(c->Dictionary->HintFor("while"), "");
}

TEST_F(VocabularyTest, NextWordLikeCyclesThroughAChain)
{
    auto driver = PascalDriver();
    const QbDico& dico = *driver->Dictionary;
    std::uint16_t code = 0;
    EXPECT_EQ(dico.NextWordLike("While", code), "With");
    EXPECT_EQ(code, 19);
    EXPECT_EQ(dico.NextWordLike("With", code), "Word");
    EXPECT_EQ(code, 65);
    // WRITE is offered once although two codes share it.
    EXPECT_EQ(dico.NextWordLike("WORD", code), "WRITE");
    EXPECT_EQ(dico.NextWordLike("write", code), "writeln");
    EXPECT_EQ(code, 144);
    EXPECT_EQ(dico.NextWordLike("writeln", code), "while");
    code = 0;
    EXPECT_EQ(dico.NextWordLike("wxyz", code), "while");
    code = 0;
    EXPECT_EQ(dico.NextWordLike("", code), "");
    EXPECT_EQ(code, 0);
}

TEST_F(VocabularyTest, NextWordLikeDoesNotLoopOnTwinWords)
{
    auto driver = PascalDriver();
    const QbDico& dico = *driver->Dictionary;
    std::uint16_t code = 0;
    std::vector<std::string> seen;
    std::string word = "ELSE";
    for (int i = 0; i < 12; ++i) {
        word = dico.NextWordLike(word, code);
        seen.push_back(word);
    }
    EXPECT_TRUE(Contains(seen, "EXTERNAL"));
    EXPECT_TRUE(Contains(seen, "EXIT"));
}
