// The error manager: messages, details, positions and catalogue files.
#include "diagnostics/Exceptions.h"
#include "diagnostics/QbGeserreurs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace
{
namespace fs = std::filesystem;

class FixedLocator : public TokenLocator
{
public:
    FixedLocator(int atLine, int atColumn) : line(atLine), column(atColumn) {}
    void TokenStart(int& l, int& c) const override
    {
        l = line;
        c = column;
    }
    int line;
    int column;
};

// Raises and returns what the exception carried.
InterpExcept Catch(QbGeserreurs& errors, int number)
{
    try {
        errors.Raise(number);
    } catch (const InterpExcept& e) {
        return e;
    }
    ADD_FAILURE() << "Raise returned";
    return InterpExcept("", -1);
}

fs::path TempFile(const std::string& name, const std::string& content)
{
    const fs::path path = fs::temp_directory_path() / ("movila_test_" + name);
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::vector<std::string> Lines(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(file, line)) {
        lines.push_back(line);
    }
    return lines;
}
} // namespace

TEST(ErrorManager, RaiseCarriesNumberMessageAndTokenPosition)
{
    QbGeserreurs errors;
    FixedLocator locator(4, 7);
    errors.Reset(&locator);
    const InterpExcept e = Catch(errors, 9);
    EXPECT_EQ(e.Number, 9);
    EXPECT_STREQ(e.what(), "identifier not found");
    EXPECT_EQ(errors.Number(), 9);
    EXPECT_EQ(errors.Line(), 4);
    EXPECT_EQ(errors.Column(), 7);
}

TEST(ErrorManager, DetailIsAppendedOnceThenForgotten)
{
    QbGeserreurs errors;
    errors.RaiseWith(0, "x");
    EXPECT_EQ(errors.Number(), 0);
    EXPECT_STREQ(Catch(errors, 9).what(), "identifier not found ( x )");
    EXPECT_STREQ(Catch(errors, 9).what(), "identifier not found");
}

TEST(ErrorManager, RaiseWithAPositiveNumberThrowsWithTheDetail)
{
    QbGeserreurs errors;
    try {
        errors.RaiseWith(75, "unit.pas");
        FAIL() << "RaiseWith returned";
    } catch (const InterpExcept& e) {
        EXPECT_STREQ(e.what(), "impossible to open include file ( unit.pas )");
    }
}

TEST(ErrorManager, BuiltInTextsCoverTheirRangesAndLeaveTheGapsEmpty)
{
    EXPECT_EQ(QbGeserreurs::DefaultMessage(0), "no errors detected");
    EXPECT_EQ(QbGeserreurs::DefaultMessage(131), "unexpected end of source file");
    EXPECT_EQ(QbGeserreurs::DefaultMessage(255), "allocation of the table of symbols impossible");
    EXPECT_EQ(QbGeserreurs::DefaultMessage(211), "r\xE9"
                                                 "cursion not allowed");
    for (int number : {136, 150, 197, 243, 247, 253, 256, -1}) {
        EXPECT_EQ(QbGeserreurs::DefaultMessage(number), "") << number;
    }
    // Every number the language uses has a text.
    for (int number = 1; number <= 135; ++number) {
        EXPECT_NE(QbGeserreurs::DefaultMessage(number), "") << number;
    }
}

TEST(ErrorManager, EmptyMessageStillShowsItsDetail)
{
    QbGeserreurs errors;
    errors.RaiseWith(0, "d");
    EXPECT_EQ(errors.MessageText(140), " ( d )");
}

TEST(ErrorManager, CatalogueReplacesEveryMessage)
{
    const auto path = TempFile("only9.mve", "9:Name missing\n");
    QbGeserreurs errors;
    ASSERT_TRUE(errors.LoadCatalogue(path.string()));
    EXPECT_STREQ(Catch(errors, 9).what(), "Name missing");
    EXPECT_STREQ(Catch(errors, 1).what(), "");
    fs::remove(path);
}

TEST(ErrorManager, CatalogueLinesAreFilteredAndTheLastOneWins)
{
    const auto path = TempFile("mixed.mve", "300:too big\r\nabc:not a number\r\n5:a:b\r\n"
                                            "no colon here\r\n:empty number\r\n7:first\r\n"
                                            "7:second\r\n-1:negative\r\n");
    QbGeserreurs errors;
    ASSERT_TRUE(errors.LoadCatalogue(path.string()));
    EXPECT_EQ(errors.MessageText(5), "a:b");
    EXPECT_EQ(errors.MessageText(7), "second");
    EXPECT_EQ(errors.MessageText(255), "");
    fs::remove(path);
}

TEST(ErrorManager, UnreadableCatalogueKeepsTheBuiltInTexts)
{
    QbGeserreurs errors;
    EXPECT_FALSE(errors.LoadCatalogue(""));
    EXPECT_FALSE(errors.LoadCatalogue("/nonexistent/dir/x.mve"));
    EXPECT_FALSE(errors.CatalogueLoaded());
    EXPECT_EQ(errors.MessageText(9), "identifier not found");
}

TEST(ErrorManager, Utf8CatalogueIsReadAsWindows1252)
{
    const auto path = TempFile("utf8.mve", "9:identificateur inconnu \xC3\xA9t\xC3\xA9\n");
    QbGeserreurs errors;
    ASSERT_TRUE(errors.LoadCatalogue(path.string()));
    EXPECT_EQ(errors.MessageText(9), "identificateur inconnu \xE9t\xE9");
    fs::remove(path);
}

TEST(ErrorManager, WrittenDefaultCatalogueHas256LinesAndReadsBack)
{
    const auto path = fs::temp_directory_path() / "movila_test_default.mve";
    ASSERT_TRUE(QbGeserreurs::WriteDefaultCatalogue(path.string()));
    const auto lines = Lines(path);
    ASSERT_EQ(lines.size(), 256u);
    EXPECT_EQ(lines[0], "0:no errors detected");
    EXPECT_EQ(lines[136], "136:");
    EXPECT_EQ(lines[255], "255:allocation of the table of symbols impossible");

    QbGeserreurs errors;
    ASSERT_TRUE(errors.LoadCatalogue(path.string()));
    for (int number = 0; number < QbGeserreurs::CatalogueSize; ++number) {
        EXPECT_EQ(errors.MessageText(number), QbGeserreurs::DefaultMessage(number)) << number;
    }
    fs::remove(path);
}

TEST(ErrorManager, ResetForgetsALoadedCatalogue)
{
    const auto path = TempFile("reset.mve", "9:Name missing\n");
    QbGeserreurs errors;
    ASSERT_TRUE(errors.LoadCatalogue(path.string()));
    errors.Reset(nullptr);
    EXPECT_EQ(errors.MessageText(9), "identifier not found");
    fs::remove(path);
}
