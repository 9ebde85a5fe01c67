// Vocabulary files: header names, the stamp rule, loading, and program file extensions.
#include "VocabularyFixture.h"

#include "symbols/QbModule.h"

#include <cstdio>
#include <ctime>
#include <fstream>
#include <iterator>
#include <map>

#include <unistd.h>

namespace {
const std::vector<std::vector<std::string>> FrenchRows = {
    {"PROGRAM", "1", "PROGRAMME", "PROGRAMM"},
    {"BEGIN", "9", "DEBUT", "ANFANG"},
    {"END", "13", "FIN", "ENDE"},
    {"END", "27", "FIN", "ENDE"},
    {":=", "93", "<-"},
    {"WRITELN", "144", "ECRIRELN", "SCHREIBELN"}};

std::string FileText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}
} // namespace

TEST_F(VocabularyTest, WrittenFileCarriesItsOwnStamp)
{
    ASSERT_TRUE(WriteSystemVocabulary(FrenchRows, "francais", "deutsch"));
    const std::string text = FileText(PathOf("SYSTEM.mvv"));
    ASSERT_GT(text.size(), 12U);
    const auto packed = VocabularyFile::PackedModificationTime(PathOf("SYSTEM.mvv"));
    ASSERT_TRUE(packed.has_value());
    const std::uint32_t stamp = static_cast<std::uint32_t>(std::stoul(text.substr(0, 12)));
    EXPECT_LE((*packed & 0xFFFFFF) - stamp, 200U);
    const std::string header = "\tindex\tfrancais\tdeutsch\r\n";
    EXPECT_EQ(text.substr(12, header.size()), header);
    EXPECT_NE(text.find("\r\n:=\t93\t<-\r\n"), std::string::npos);
    EXPECT_TRUE(VocabularyFile::IsStampValid(PathOf("SYSTEM.mvv")));
}

TEST(VocabularyStamp, StampMustBeTwelveDigitsWithinTolerance)
{
    const struct
    {
        const char* Stamp;
        std::uint32_t FileTime;
        bool Accepted;
    } cases[] = {{"000000001000", 1000, true},
                 {"000000001000", 1200, true},
                 {"000000001000", 1201, false},
                 {"000000001000", 900, true},               // stamp after the file time
                 {"000000001000", 0x5A000000 + 1000, true}, // only the lower 24 bits count
                 {"000016777215", 16777215, true},
                 {"000016777216", 16777216, false}, // 2^24
                 {"00000000100", 1000, false},      // eleven digits
                 {"0000000010x0", 1000, false},
                 {"            ", 1000, false}}; // never stamped
    for (const auto& c : cases) {
        EXPECT_EQ(VocabularyFile::StampMatches(c.Stamp, c.FileTime), c.Accepted)
            << c.Stamp << " at " << c.FileTime;
    }
}

TEST(VocabularyStamp, PackedTimeIsTheLocalDosDateTime)
{
    char name[] = "/tmp/movila-stamp-XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    close(fd);
    const auto packed = VocabularyFile::PackedModificationTime(name);
    ASSERT_TRUE(packed.has_value());
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    EXPECT_EQ(*packed >> 25, static_cast<std::uint32_t>(local.tm_year + 1900 - 1980));
    EXPECT_EQ((*packed >> 21) & 15, static_cast<std::uint32_t>(local.tm_mon + 1));
    EXPECT_EQ((*packed >> 16) & 31, static_cast<std::uint32_t>(local.tm_mday));
    std::remove(name);
    EXPECT_FALSE(VocabularyFile::PackedModificationTime(name).has_value());
}

TEST_F(VocabularyTest, HeaderWithTwoNamesLeavesTheThirdUnnamed)
{
    ASSERT_TRUE(WriteSystemVocabulary(FrenchRows, "francais", "deutsch"));
    auto driver = PascalDriver();
    QbDico& dico = *driver->Dictionary;
    EXPECT_EQ(dico.VocabularyName(0), "*pascal");
    EXPECT_EQ(dico.VocabularyName(1), "francais");
    EXPECT_EQ(dico.VocabularyName(2), "deutsch");
    EXPECT_EQ(dico.VocabularyName(3), "");
    EXPECT_EQ(dico.VocabularyName(4), "");
    dico.SelectVocabulary(3);
    EXPECT_EQ(dico.CurrentVocabulary(), 0);
    EXPECT_EQ(dico.FindVocabulary("deutsch"), 2);
    EXPECT_EQ(dico.FindVocabulary("Deutsch"), QbDico::NoVocabulary);

    dico.SelectVocabulary(2);
    EXPECT_EQ(dico.CurrentVocabulary(), 2);
    EXPECT_EQ(dico.WordText(9), "ANFANG");
    EXPECT_EQ(dico.WordText(93), "");
    EXPECT_EQ(dico.VocabularyName(2), "*deutsch");
    dico.SelectVocabulary(1);
    EXPECT_EQ(dico.WordText(9), "DEBUT");
    EXPECT_EQ(dico.WordText(93), "<-");
    EXPECT_EQ(dico.FindWord("ecrireln"), 144);
    EXPECT_EQ(dico.FindWord("writeln"), 0);
    EXPECT_EQ(dico.FindWord("writeln", 0), 144);
    // Words the file leaves out have no wording in that vocabulary.
    EXPECT_EQ(dico.WordText(3), "");
}

TEST_F(VocabularyTest, HeaderNamesAreCutAndEndAtTheFirstEmptyField)
{
    WriteText(PathOf("SYSTEM.mvv"), "000000000000\t\tfrancaisextra\t\tlost\r\n");
    auto driver = PascalDriver();
    EXPECT_EQ(driver->Dictionary->VocabularyName(1), "francaisex");
    EXPECT_EQ(driver->Dictionary->VocabularyName(2), "");
    EXPECT_EQ(driver->Dictionary->VocabularyName(3), "");
}

TEST_F(VocabularyTest, FileEditedLaterIsIgnoredByPupilsOnly)
{
    ASSERT_TRUE(WriteSystemVocabulary(FrenchRows));
    TouchLater("SYSTEM.mvv", 3);

    environment.HasMainWindow = true;
    auto pupil = PascalDriver();
    EXPECT_EQ(pupil->Dictionary->VocabularyName(1), "");
    pupil->Dictionary->SelectVocabulary(1);
    EXPECT_EQ(pupil->Dictionary->CurrentVocabulary(), 0);

    environment.ScenaristLevel = true;
    auto teacher = PascalDriver();
    EXPECT_EQ(teacher->Dictionary->VocabularyName(1), "francais");
    teacher->Dictionary->SelectVocabulary(1);
    EXPECT_EQ(teacher->Dictionary->WordText(9), "DEBUT");

    environment.ScenaristLevel = false;
    environment.HasMainWindow = false;
    auto terminal = PascalDriver();
    EXPECT_EQ(terminal->Dictionary->VocabularyName(1), "francais");
}

TEST_F(VocabularyTest, FreshlyWrittenFileIsAcceptedByPupils)
{
    ASSERT_TRUE(WriteSystemVocabulary(FrenchRows));
    environment.HasMainWindow = true;
    auto pupil = PascalDriver();
    EXPECT_EQ(pupil->Dictionary->VocabularyName(1), "francais");
    pupil->Dictionary->SelectVocabulary(1);
    EXPECT_EQ(pupil->Dictionary->WordText(1), "PROGRAMME");
}

TEST_F(VocabularyTest, MalformedLineLeavesTheVocabularyUnloaded)
{
    WriteText(PathOf("SYSTEM.mvv"), "000000000000\tindex\tfrancais\r\n"
                                    "PROGRAM\t1\tPROGRAMME\r\n"
                                    "BEGIN\tneuf\tDEBUT\r\n"
                                    "END\t13\tFIN\r\n");
    auto driver = PascalDriver();
    QbDico& dico = *driver->Dictionary;
    dico.SelectVocabulary(1);
    EXPECT_EQ(dico.CurrentVocabulary(), 1);
    // Nothing of the file is taken: the module keeps its default wording.
    EXPECT_EQ(dico.WordText(1), "PROGRAM");
    EXPECT_EQ(dico.WordText(13), "END");
}

TEST_F(VocabularyTest, WordLinesAreReadByPosition)
{
    WriteText(PathOf("SYSTEM.mvv"), "000000000000\tindex\tun\tdeux\r\n"
                                    "PROGRAM\t1\t\tPROG2\n"
                                    "\t93\t<-\n"
                                    "X\t999\tIGNORED\n"
                                    "BEGIN\t9\tDEBUT");
    auto driver = PascalDriver();
    QbDico& dico = *driver->Dictionary;
    dico.SelectVocabulary(2);
    EXPECT_EQ(dico.WordText(1), "PROG2");
    dico.SelectVocabulary(1);
    EXPECT_EQ(dico.WordText(1), "");
    EXPECT_EQ(dico.WordText(93), "<-");
    EXPECT_EQ(dico.WordText(9), "DEBUT");
}

TEST_F(VocabularyTest, ModuleWithoutFileKeepsItsWordsInEveryVocabulary)
{
    ASSERT_TRUE(WriteSystemVocabulary(FrenchRows));
    auto driver = PascalDriver();
    driver->SetOptionA(OptionA::AutoCrt, true);
    QbDico& dico = *driver->Dictionary;
    dico.SelectVocabulary(1);
    EXPECT_EQ(dico.WordText(9), "DEBUT");
    EXPECT_EQ(dico.WordText(257), "BLACK");
    EXPECT_EQ(dico.FindWord("black"), 257);

    // A unit added while the program is read in vocabulary 1 keeps that vocabulary current.
    dico.AddModule(static_cast<int>(ModuleClass::Graph), "");
    EXPECT_EQ(dico.CurrentVocabulary(), 1);
    EXPECT_EQ(dico.WordText(518), "GETX");
}

TEST_F(VocabularyTest, CrtVocabularyFileRewordsItsOwnWords)
{
    ASSERT_TRUE(WriteSystemVocabulary(FrenchRows));
    ASSERT_TRUE(VocabularyFile::Write(PathOf("CRT.mvv"), "index", "francais", "",
                                      {{"BLACK", "1", "NOIR"}, {"CLRSCR", "21", "EFFACE"}}));
    auto driver = PascalDriver();
    driver->SetOptionA(OptionA::AutoCrt, true);
    QbDico& dico = *driver->Dictionary;
    dico.SelectVocabulary(1);
    EXPECT_EQ(dico.WordText(257), "NOIR");
    EXPECT_EQ(dico.FindWord("efface"), 277);
    EXPECT_EQ(dico.Modules().back()->VocabularyFile(), PathOf("CRT.mvv"));
}

TEST_F(VocabularyTest, ProgramFilesAreNamedByVocabulary)
{
    ASSERT_TRUE(WriteSystemVocabulary(FrenchRows));
    auto driver = PascalDriver();
    QbDico& dico = *driver->Dictionary;
    dico.SelectVocabulary(1);
    EXPECT_EQ(dico.VocabularyExtension(0), "pas");
    EXPECT_EQ(dico.VocabularyExtension(1), "fra");
    const struct
    {
        const char* File;
        std::uint8_t Vocabulary;
    } cases[] = {{"hello.pas", 0},       {"HELLO.PAS", 0},   {"dir.x/hello.~pa", 0},
                 {"bonjour.fra", 1},     {"bonjour.~fr", 1}, {"bonjour.FRA", 1},
                 {"bonjour", 1},         {"bonjour.", 1},    {"notes.txt", 255},
                 {"c:\\work\\a.pas", 0}, {"a.~", 255}};
    for (const auto& c : cases) {
        EXPECT_EQ(dico.VocabularyOfFile(c.File), c.Vocabulary) << c.File;
    }
    EXPECT_TRUE(dico.IsProgramExtension(".fra"));
    EXPECT_TRUE(dico.IsProgramExtension("~pa"));
    EXPECT_FALSE(dico.IsProgramExtension("mvv"));
    EXPECT_FALSE(dico.IsProgramExtension(""));

    std::string filter;
    EXPECT_EQ(dico.OpenDialogFilter(filter), 2);
    EXPECT_EQ(filter, "Programs pascal|*.pas|Programs francais|*.fra|");
}

TEST_F(VocabularyTest, CProgramsUseTheirOwnExtensionAndFiles)
{
    ASSERT_TRUE(VocabularyFile::Write(PathOf("SYSTEM.icv"), "index", "clair", "",
                                      {{"while", "33", "tantque"}, {"while", "34", "tantque"}}));
    auto driver = CDriver();
    QbDico& dico = *driver->Dictionary;
    EXPECT_EQ(dico.VocabularyName(0), "*c");
    EXPECT_EQ(dico.VocabularyExtension(0), "c");
    EXPECT_EQ(dico.VocabularyOfFile("a.c"), 0);
    EXPECT_EQ(dico.VocabularyOfFile("a.~c"), 0);
    dico.SelectVocabulary(1);
    EXPECT_EQ(dico.WordText(33), "tantque");
    EXPECT_EQ(dico.VocabularyOfFile("a.cla"), 1);
}

TEST_F(VocabularyTest, RenewingNamesReadsAnotherHeader)
{
    ASSERT_TRUE(WriteSystemVocabulary(FrenchRows, "francais", "deutsch"));
    ASSERT_TRUE(VocabularyFile::Write(PathOf("OTHER.mvv"), "index", "espanol", "", {}));
    auto driver = PascalDriver();
    QbDico& dico = *driver->Dictionary;
    dico.RenewVocabularyNames(PathOf("OTHER.mvv"), "pascal");
    EXPECT_EQ(dico.VocabularyName(1), "espanol");
    EXPECT_EQ(dico.VocabularyName(2), "");
    dico.RenewVocabularyNames(PathOf("MISSING.mvv"), "");
    EXPECT_EQ(dico.VocabularyName(0), "*");
    EXPECT_EQ(dico.VocabularyName(1), "");
}

TEST_F(VocabularyTest, TranslateTextRewordsDefaultWords)
{
    ASSERT_TRUE(WriteSystemVocabulary(FrenchRows));
    auto driver = PascalDriver();
    QbDico& dico = *driver->Dictionary;
    dico.SelectVocabulary(1);
    EXPECT_EQ(dico.TranslateText("BEGIN WRITELN(x1); END."), "DEBUT ECRIRELN(x1); FIN.");
    // Words the vocabulary leaves unworded, and non-words, stay as they are.
    EXPECT_EQ(dico.TranslateText("CONST beginning"), "CONST beginning");
}

TEST_F(VocabularyTest, UnitFileNotNamingTheVocabularyKeepsTheDefaultWords)
{
    ASSERT_TRUE(WriteSystemVocabulary(FrenchRows, "francais", "deutsch"));
    // CRT.mvv names only vocabulary 1; an empty GRAPH.mvv names none.
    ASSERT_TRUE(VocabularyFile::Write(PathOf("CRT.mvv"), "index", "francais", "",
                                      {{"BLACK", "1", "NOIR"}}));
    WriteText(PathOf("GRAPH.mvv"), "");
    auto driver = PascalDriver();
    driver->SetOptionA(OptionA::AutoCrt | OptionA::AutoGraph, true);
    QbDico& dico = *driver->Dictionary;
    dico.SelectVocabulary(2);
    EXPECT_EQ(dico.WordText(257), "BLACK");
    EXPECT_EQ(dico.WordText(518), "GETX");
    dico.SelectVocabulary(1);
    EXPECT_EQ(dico.WordText(257), "NOIR");
    EXPECT_EQ(dico.WordText(258), "");
    EXPECT_EQ(dico.WordText(518), "GETX");
}

TEST_F(VocabularyTest, GridIsReadBackAsWritten)
{
    ASSERT_TRUE(WriteSystemVocabulary({{"BEGIN", "9", "DEBUT", "ANFANG"},
                                       {"END", "13", "", "ENDE"},
                                       {"", "14", "SI"},
                                       {"IF", "14", "SI"}},
                                      "francais", "deutsch"));
    std::string caption;
    std::vector<std::string> names;
    std::vector<std::vector<std::string>> rows;
    ASSERT_TRUE(VocabularyFile::ReadGrid(PathOf("SYSTEM.mvv"), caption, names, rows));
    EXPECT_EQ(caption, "index");
    EXPECT_EQ(names, (std::vector<std::string>{"francais", "deutsch"}));
    // Writing stops at the first row without a default wording.
    ASSERT_EQ(rows.size(), 2U);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"BEGIN", "9", "DEBUT", "ANFANG", ""}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"END", "13", "", "ENDE", ""}));
    EXPECT_FALSE(VocabularyFile::ReadGrid(PathOf("NONE.mvv"), caption, names, rows));
}

TEST_F(VocabularyTest, BundledFrenchVocabularyRewordsEveryWordUnambiguously)
{
    environment.ConfigDirectory = std::string(MOVILA_TEST_DATA) + "/../examples/config";
    auto driver = PascalDriver();
    QbDico& dico = *driver->Dictionary;
    ASSERT_EQ(dico.FindVocabulary("francais"), 1);
    dico.SelectVocabulary(1);
    EXPECT_EQ(dico.WordText(9), "DEBUT");
    EXPECT_EQ(dico.WordText(144), "ECRIRELN");
    EXPECT_EQ(dico.WordText(93), "");
    // A French word may stand for one default word only, or the parsers could not tell them
    // apart; and no default word may lose its wording.
    std::map<std::string, std::string> meaning;
    for (std::uint16_t code = 1; code <= 215; ++code) {
        const std::string english = dico.WordText(code, 0);
        const std::string french = dico.WordText(code, 1);
        EXPECT_EQ(english.empty(), french.empty()) << code;
        if (french.empty()) {
            continue;
        }
        const auto [place, added] = meaning.emplace(french, english);
        EXPECT_EQ(place->second, english) << french;
    }
}
