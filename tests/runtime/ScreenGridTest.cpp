// The text screen's grid: writing, wrapping, scrolling, clearing, the cursor and keyboard echo.
#include "runtime/TextScreen.h"

#include <gtest/gtest.h>

#include <string>

namespace {
// The rows of a screen with trailing blanks trimmed, "|" between rows.
std::string Rows(const TextScreen& screen)
{
    std::string text;
    for (int y = 1; y <= screen.Rows(); ++y) {
        std::string row = screen.RowText(y);
        row.erase(row.find_last_not_of(' ') + 1);
        text += (y > 1 ? "|" : "") + row;
    }
    return text;
}
} // namespace

TEST(ScreenGrid, WritingControlCodesAndClearingFollowTheCursor)
{
    struct Case
    {
        const char* Name;
        std::string Written;
        std::string Rows;
        int X;
        int Y;
    };
    const Case cases[] = {
        {"plain text", "abc", "abc|||||", 4, 1},
        {"line feed keeps the column", "ab\ncd", "ab|  cd||||", 5, 2},
        // A carriage return clears from the cursor on, so that WRITELN keeps its own line.
        {"carriage return clears from the cursor", "abc\rx", "xbc|||||", 2, 1},
        {"carriage return mid-row", "abc\b\b\rx", "x|||||", 2, 1},
        {"backspace erases the cell to the left", "abc\b", "ab|||||", 3, 1},
        {"backspace at column 1 does nothing", "\b\bz", "z|||||", 2, 1},
        {"other control codes are ignored", "a\tb\x01", "ab|||||", 3, 1},
        {"16th character wraps to the next row", "abcdefghijklmnop", "abcdefghijklmno|p||||", 2, 2},
        {"exactly a full row moves to the next row", "abcdefghijklmno", "abcdefghijklmno|||||", 1,
         2},
    };
    for (const Case& c : cases) {
        TextScreen screen(6, 15);
        screen.PutString(c.Written);
        EXPECT_EQ(Rows(screen), c.Rows) << c.Name;
        EXPECT_EQ(screen.WhereX(), c.X) << c.Name;
        EXPECT_EQ(screen.WhereY(), c.Y) << c.Name;
    }
}

TEST(ScreenGrid, WritingPastTheLastRowScrollsAndKeepsTheCursorOnIt)
{
    TextScreen screen(6, 15);
    for (int i = 1; i <= 7; ++i) {
        screen.PutString(std::to_string(i) + "\r\n");
    }
    EXPECT_EQ(Rows(screen), "3|4|5|6|7|");
    EXPECT_EQ(screen.WhereY(), 6);
    EXPECT_TRUE(screen.TakeFullRepaint());
    EXPECT_FALSE(screen.TakeFullRepaint());
    // The last cell of the last row scrolls at once.
    screen.GotoXY(15, 6);
    screen.PutChar('z');
    EXPECT_EQ(screen.RowText(5), std::string(14, ' ') + "z");
    EXPECT_EQ(screen.WhereX(), 1);
    EXPECT_EQ(screen.WhereY(), 6);
}

TEST(ScreenGrid, GotoXYTakesEachCoordinateOnlyOnTheScreen)
{
    struct Case
    {
        int X;
        int Y;
        int WantX;
        int WantY;
    };
    // From (3, 4) on a 40 x 24 screen.
    const Case cases[] = {{40, 24, 40, 24}, {0, 5, 3, 5},    {41, 25, 3, 4},
                          {1, 1, 1, 1},     {-1, 24, 3, 24}, {10, 0, 10, 4}};
    for (const Case& c : cases) {
        TextScreen screen;
        screen.GotoXY(3, 4);
        screen.GotoXY(c.X, c.Y);
        EXPECT_EQ(screen.WhereX(), c.WantX) << c.X << "," << c.Y;
        EXPECT_EQ(screen.WhereY(), c.WantY) << c.X << "," << c.Y;
    }
}

TEST(ScreenGrid, ClearAndClearToEndOfLineUseTheCurrentAttribute)
{
    TextScreen screen(6, 15);
    screen.PutString("abcdef\r\nghi");
    screen.GotoXY(3, 1);
    screen.ClearToEndOfLine();
    EXPECT_EQ(Rows(screen), "ab|ghi||||");
    EXPECT_EQ(screen.WhereX(), 3);
    screen.SetTextAttr(14, 1);
    EXPECT_EQ(screen.TextAttr(), 0x1E);
    screen.PutChar('x');
    EXPECT_EQ(screen.CellAt(3, 1).Attribute, 0x1E);
    EXPECT_EQ(screen.CellAt(1, 1).Attribute, TextScreen::DefaultAttribute);
    screen.SetTextAttr(-1, 4);
    screen.Clear();
    EXPECT_EQ(Rows(screen), "|||||");
    EXPECT_EQ(screen.WhereX(), 1);
    EXPECT_EQ(screen.WhereY(), 1);
    EXPECT_EQ(screen.CellAt(15, 6).Attribute, 0x4E);
}

TEST(ScreenGrid, CellsOutsideTheGridReadAsBlanks)
{
    TextScreen screen(6, 15);
    screen.PutString("a");
    EXPECT_EQ(screen.CellAt(1, 1).Character, 'a');
    for (const auto& [x, y] : {std::pair{0, 1}, {16, 1}, {1, 0}, {1, 7}}) {
        EXPECT_EQ(screen.CellAt(x, y).Character, ' ');
        EXPECT_TRUE(screen.RowText(y).empty() || x < 1 || x > 15);
    }
}

TEST(ScreenGrid, SizesAreKeptInTheirLimitsAndAResizeClears)
{
    TextScreen small(1, 2);
    EXPECT_EQ(small.Rows(), TextScreen::MinRows);
    EXPECT_EQ(small.Columns(), TextScreen::MinColumns);
    TextScreen screen;
    screen.PutString("abc");
    screen.SetWindow(2, 2, 10, 10);
    screen.SetSize(100, 100);
    EXPECT_EQ(screen.Rows(), TextScreen::MaxRows);
    EXPECT_EQ(screen.Columns(), TextScreen::MaxColumns);
    EXPECT_EQ(screen.RowText(1), std::string(80, ' '));
    EXPECT_EQ(screen.GetWindow().X2, 80);
    EXPECT_EQ(screen.GetWindow().X1, 1);
}

TEST(ScreenGrid, AWindowIsStoredOnlyWhenItLiesOnTheScreen)
{
    TextScreen screen; // 40 x 24
    screen.SetWindow(5, 2, 30, 20);
    const TextScreen::Window inside{5, 2, 30, 20};
    for (const auto& bad : {TextScreen::Window{0, 1, 10, 10}, TextScreen::Window{10, 1, 9, 10},
                            TextScreen::Window{1, 1, 41, 10}, TextScreen::Window{1, 5, 10, 4},
                            TextScreen::Window{1, 1, 10, 25}}) {
        screen.SetWindow(bad.X1, bad.Y1, bad.X2, bad.Y2);
        EXPECT_EQ(screen.GetWindow().X1, inside.X1);
        EXPECT_EQ(screen.GetWindow().Y2, inside.Y2);
    }
    // Writing does not keep to the window.
    screen.PutString(std::string(41, 'a'));
    EXPECT_EQ(screen.WhereX(), 2);
}

TEST(ScreenGrid, TypedKeysFollowTheReadingRulesAndAreMarkedAsEcho)
{
    TextScreen screen(6, 15);
    screen.PutString("n? ");
    std::string line;
    using Key = TextScreen::LineKey;
    EXPECT_EQ(screen.TypeKey(line, 8), Key::Ignored); // nothing to take back
    EXPECT_EQ(screen.TypeKey(line, '1'), Key::Added);
    EXPECT_EQ(screen.TypeKey(line, '2'), Key::Added);
    EXPECT_EQ(screen.TypeKey(line, 8), Key::Removed);
    EXPECT_EQ(screen.TypeKey(line, 9), Key::Ignored);
    EXPECT_EQ(screen.TypeKey(line, 0xE9), Key::Added);
    EXPECT_EQ(screen.TypeKey(line, 27), Key::Cancelled);
    EXPECT_EQ(screen.TypeKey(line, 13), Key::Finished);
    EXPECT_EQ(line, "1\xE9");
    EXPECT_EQ(screen.RowText(1).substr(0, 6), "n? 1\xE9 ");
    EXPECT_FALSE(screen.CellAt(1, 1).Echo);
    EXPECT_TRUE(screen.CellAt(4, 1).Echo);
    EXPECT_EQ(screen.WhereX(), 6);
    // A line holds at most 255 characters.
    std::string full(255, 'a');
    EXPECT_EQ(screen.TypeKey(full, 'b'), Key::Ignored);
}

TEST(ScreenGrid, EveryChangeCountsAndTextDropsTrailingBlankRows)
{
    TextScreen screen(6, 15);
    const auto before = screen.ChangeCount();
    screen.PutString("ab  \r\n\r\ncd");
    EXPECT_GT(screen.ChangeCount(), before);
    const auto written = screen.ChangeCount();
    screen.GotoXY(1, 1);
    EXPECT_GT(screen.ChangeCount(), written);
    EXPECT_EQ(screen.Text(), "ab\n\ncd\n");
    EXPECT_EQ(TextScreen().Text(), "");
}
