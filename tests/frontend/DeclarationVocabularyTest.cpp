// Parameter modes under a re-worded vocabulary: the mode word left empty is the default mode.
#include "DeclarationTestSupport.h"

#include "lexical/QbDico.h"
#include "lexical/VocabularyFile.h"

#include <cstdlib>
#include <filesystem>

namespace {
// A vocabulary 1 with the words the test programs use; `modes` words 42 (value), 43 (VAR),
// 89 (CONST), 90 (OUT) in that order.
std::vector<std::vector<std::string>> Rows(const std::vector<std::string>& modes)
{
    return {{"PROGRAM", "1", "PROGRAM"}, {"VAR", "6", "VAR"},     {"PROCEDURE", "7", "PROCEDURE"},
            {"BEGIN", "9", "BEGIN"},     {"END", "27", "END"},    {"INTEGER", "64", "INTEGER"},
            {"-", "42", modes[0]},       {"VAR", "43", modes[1]}, {"CONST", "89", modes[2]},
            {"OUT", "90", modes[3]}};
}
} // namespace

class DeclarationVocabularyTest : public DeclarationTest
{
  protected:
    DeclarationVocabularyTest()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "movila-decl-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            directory = pattern;
        }
    }
    ~DeclarationVocabularyTest() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(directory, ignored);
    }

    // A driver reading the vocabulary written with these mode words.
    void UseModes(const std::vector<std::string>& modes)
    {
        ASSERT_TRUE(
            VocabularyFile::Write(directory + "/SYSTEM.mvv", "index", "modes", "", Rows(modes)));
        environment.ConfigDirectory = directory;
        driver = std::make_unique<QbPascalSyntaxe>(environment);
        driver->Dictionary->SelectVocabulary(1);
    }

    std::string directory;
};

TEST_F(DeclarationVocabularyTest, AnEmptyVarWordMakesUnmarkedParametersVar)
{
    UseModes({"VALUE", "", "CONST", "OUT"});
    CheckClean("program p;\nprocedure q(a: integer; value b: integer);\nbegin end;\nbegin end.");
    const EntryNumber q = Find("Q", EntryKind::Procedure);
    EXPECT_EQ(Table().Code(q + 1), VariableMode::VarParameter);
    EXPECT_EQ(Table().Code(q + 2), VariableMode::ValueParameter);
}

TEST_F(DeclarationVocabularyTest, ModeWordsMustBeWrittenWhenNoneIsEmpty)
{
    UseModes({"VALUE", "VAR", "CONST", "OUT"});
    const Outcome outcome = Check("program p;\nprocedure q(a: integer);\nbegin end;\nbegin end.");
    EXPECT_EQ(outcome.Error, 110);
    EXPECT_EQ(outcome.Column, 13);
    UseModes({"", "", "CONST", "OUT"});
    EXPECT_EQ(Check("program p;\nbegin end.").Error, 86);
}

// The parser keeps the shapes of the words a statement may start with: another vocabulary
// selected in the same driver must be read with its own words.
TEST_F(DeclarationVocabularyTest, StatementWordsFollowTheSelectedVocabulary)
{
    ASSERT_TRUE(VocabularyFile::Write(directory + "/SYSTEM.mvv", "index", "mots", "",
                                      {{"PROGRAM", "1", "PROGRAMME"},
                                       {"VAR", "6", "VAR"},
                                       {"BEGIN", "9", "DEBUT"},
                                       {"END", "27", "FIN"},
                                       {"INTEGER", "64", "ENTIER"},
                                       {"IF", "14", "SI"},
                                       {"THEN", "15", "ALORS"},
                                       {"WHILE", "17", "TANTQUE"},
                                       {"DO", "18", "FAIRE"},
                                       {"-", "42", "VALEUR"},
                                       {"VAR", "43", "VAR"},
                                       {"CONST", "89", "CONST"},
                                       {"OUT", "90", "OUT"}}));
    environment.ConfigDirectory = directory;
    driver = std::make_unique<QbPascalSyntaxe>(environment);
    CheckClean("program p; var i: integer;\n"
               "begin i := 0; while i < 3 do if i >= 0 then i := i + 1 end.");
    driver->Dictionary->SelectVocabulary(1);
    CheckClean("programme p; var i: entier;\n"
               "debut i := 0; tantque i < 3 faire si i >= 0 alors i := i + 1 fin.");
}
