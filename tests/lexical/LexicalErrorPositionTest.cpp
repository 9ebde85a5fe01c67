// Mistakes found while reading characters are shown where the pupil made them.
#include "frontend/QbPascalSyntaxe.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace
{
class Pages : public SourceText
{
public:
    explicit Pages(std::string source) : text(std::move(source)) {}
    bool PageText(const std::string& name, std::string& out) override
    {
        if (name != "p.pas") {
            return false;
        }
        out = text;
        return true;
    }
    std::string CurrentPageName() override { return "p.pas"; }
    std::string text;
};

struct Case
{
    const char* Text;
    int Number;
    int Line;   // 0-based, as the error manager keeps it
    int Column; // 1-based
};
} // namespace

TEST(LexicalErrorPosition, CommentsAndDirectivesAreShownAtTheirOpeningDelimiter)
{
    const Case cases[] = {
        {"program p;\nbegin\nend.\n  { never closed\n", 71, 3, 3},
        {"program p;\n  (* never closed\nbegin end.\n", 71, 1, 3},
        {"program p;\n{$F*}\nbegin end.\n", 80, 1, 1},
        {"program p;\n   {$I other.inc}\nbegin end.\n", 92, 1, 4},
        {"program p;\n(*$V 12 5*)\nbegin end.\n", 57, 1, 1},
        {"program p;\nbegin\n  writeln('abc)\nend.\n", 79, 2, 11},
    };
    for (const Case& c : cases) {
        Pages pages(c.Text);
        DriverEnvironment environment;
        environment.Pages = &pages;
        QbPascalSyntaxe driver(environment);
        EXPECT_EQ(driver.Run("+p.pas", RunMode::Check), c.Number) << c.Text;
        EXPECT_EQ(driver.Errors->Line(), c.Line) << c.Text;
        EXPECT_EQ(driver.Errors->Column(), c.Column) << c.Text;
    }
}
