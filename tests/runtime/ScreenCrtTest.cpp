// The CRT unit's routines run on the console host's text screen.
#include "frontend/QbPascalSyntaxe.h"
#include "lexical/SourceText.h"
#include "runtime/ConsoleHost.h"
#include "runtime/TextScreen.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace {
class OnePage : public SourceText
{
  public:
    bool PageText(const std::string& name, std::string& text) override
    {
        if (name != "TEST.PAS") {
            return false;
        }
        text = Text;
        return true;
    }
    std::string CurrentPageName() override { return "TEST.PAS"; }

    std::string Text;
};

// A console that shows everything on its screen and records the keyboard and DELAY calls.
class ScreenConsole : public ConsoleHost
{
  public:
    void Write(const std::string& text) override { Screen_.PutString(text); }
    void Echo(const std::string& text) override { Screen_.PutString(text, true); }
    bool ReadLine(std::string& text) override
    {
        if (Lines.empty()) {
            return false;
        }
        text.clear();
        for (const char ch : Lines.front()) {
            Screen_.TypeKey(text, static_cast<unsigned char>(ch));
        }
        Lines.pop_front();
        return true;
    }
    int ReadKey() override
    {
        if (Keys.empty()) {
            return -1;
        }
        const int key = Keys.front();
        Keys.pop_front();
        return key;
    }
    bool KeyPressed() override { return !Keys.empty(); }
    bool WaitForKey() override
    {
        ++Waits;
        return !Keys.empty();
    }
    TextScreen* Screen() override { return &Screen_; }
    void Delay(int milliseconds) override { Delays.push_back(milliseconds); }

    TextScreen Screen_{6, 20};
    std::deque<std::string> Lines;
    std::deque<int> Keys;
    std::vector<int> Delays;
    int Waits = 0;
};

class ScreenCrtTest : public ::testing::Test
{
  protected:
    ScreenCrtTest()
    {
        environment.Pages = &page;
        environment.Console = &console;
        environment.Host = &host;
        driver = std::make_unique<QbPascalSyntaxe>(environment);
    }

    // Checks, then runs `body` in a program using CRT; returns the error of either (0: none).
    int Run(const std::string& body, bool execute = true)
    {
        page.Text = "program t;\nuses crt;\nvar c: char; b: boolean; i: integer;\nbegin\n" + body +
                    "\nend.\n";
        const int checked = driver->Run("+TEST.PAS", RunMode::Check);
        if (checked != 0 || !execute) {
            return checked;
        }
        return driver->Run("+TEST.PAS", RunMode::Execute);
    }

    std::string ScreenText() const { return console.Screen_.Text(); }

    OnePage page;
    ScreenConsole console;
    SilentRunHost host;
    DriverEnvironment environment;
    std::unique_ptr<QbPascalSyntaxe> driver;
};
} // namespace

TEST_F(ScreenCrtTest, CursorRoutinesActOnTheScreen)
{
    struct Case
    {
        const char* Body;
        const char* Screen;
    };
    const Case cases[] = {
        {"write('abc'); gotoxy(2, 3); write('x'); write(wherex, wherey)", "abc\n\n x33\n"},
        {"gotoxy(5, 2); gotoxy(wherex, wherey); write('*')", "\n    *\n"},
        {"gotoxy(0, 2); write('a'); gotoxy(21, 7); write('b')", "\nab\n"},
        {"write('abcdef'); gotoxy(3, 1); clreol; write('-')", "ab-\n"},
        {"writeln('one'); write('two'); clrscr; write(wherex, wherey)", "11\n"},
        {"write(black, blue, lightgray, white)", "01715\n"},
    };
    for (const Case& c : cases) {
        console.Screen_.Clear();
        ASSERT_EQ(Run(c.Body), 0) << c.Body << ": " << driver->Errors->Message();
        EXPECT_EQ(ScreenText(), c.Screen) << c.Body;
    }
}

TEST_F(ScreenCrtTest, ColoursOutsideTheSixteenStopTheRun)
{
    ASSERT_EQ(Run("textcolor(yellow); textbackground(blue); write('a')"), 0);
    EXPECT_EQ(console.Screen_.CellAt(1, 1).Attribute, 0x1E);
    EXPECT_EQ(Run("i := 16; textcolor(i)"), 224);
    EXPECT_EQ(Run("i := -1; textbackground(i)"), 224);
    EXPECT_EQ(Run("textcolor('a')"), 65);
}

TEST_F(ScreenCrtTest, WindowIsStoredInTheScreen)
{
    ASSERT_EQ(Run("window(2, 3, 10, 5)"), 0);
    EXPECT_EQ(console.Screen_.GetWindow().X1, 2);
    EXPECT_EQ(console.Screen_.GetWindow().Y2, 5);
}

TEST_F(ScreenCrtTest, ReadKeyTakesAKeyWithoutEchoAndKeyPressedWaitsForOne)
{
    console.Keys = {'a', 'b'};
    ASSERT_EQ(Run("b := keypressed; c := readkey; write(b, c); c := readkey; write(c)"), 0);
    EXPECT_EQ(ScreenText(), "TRUEab\n");
    EXPECT_EQ(console.Waits, 1);
    EXPECT_TRUE(console.Keys.empty());
    // At the end of the input KEYPRESSED answers FALSE and READKEY stops the run.
    console.Screen_.Clear();
    ASSERT_EQ(Run("b := keypressed; write(b)"), 0);
    EXPECT_EQ(ScreenText(), "FALSE\n");
    EXPECT_EQ(Run("c := readkey"), 223);
}

TEST_F(ScreenCrtTest, TypedLinesAreEchoedAndReadlnEndsTheRow)
{
    console.Lines = {"12", "x\by"};
    ASSERT_EQ(Run("readln(i); write(i + 1, ' '); read(c); write(c)"), 0);
    EXPECT_EQ(ScreenText(), "12\n13 yy\n");
    EXPECT_TRUE(console.Screen_.CellAt(1, 1).Echo);
    EXPECT_FALSE(console.Screen_.CellAt(1, 2).Echo);
}

TEST_F(ScreenCrtTest, DelayGoesToTheHostOnlyWhenRunWithAPause)
{
    ASSERT_EQ(Run("delay(250); delay; delay(0); i := 7; delay(i)"), 0);
    EXPECT_EQ(console.Delays, (std::vector<int>{250, 7}));
}

TEST_F(ScreenCrtTest, ACheckLeavesTheScreenAndKeyboardAlone)
{
    console.Keys = {'a'};
    ASSERT_EQ(Run("clrscr; gotoxy(3, 3); c := readkey; b := keypressed; delay(5); "
                  "textcolor(white)",
                  false),
              0);
    EXPECT_EQ(console.Screen_.WhereY(), 1);
    EXPECT_EQ(console.Keys.size(), 1U);
    EXPECT_EQ(console.Waits, 0);
    EXPECT_TRUE(console.Delays.empty());
}

TEST_F(ScreenCrtTest, NamesNeedTheUnitOrTheAutomaticOption)
{
    page.Text = "program t;\nbegin\n  clrscr\nend.\n";
    EXPECT_NE(driver->Run("+TEST.PAS", RunMode::Check), 0);
    driver->SetOptionA(OptionA::AutoCrt, true);
    EXPECT_EQ(driver->Run("+TEST.PAS", RunMode::Check), 0);
    // Naming CRT as well declares nothing twice.
    page.Text = "program t;\nuses crt, wincrt;\nbegin\n  gotoxy(2, 2); write(wherey)\nend.\n";
    EXPECT_EQ(driver->Run("+TEST.PAS", RunMode::Check), 0);
    EXPECT_EQ(driver->Run("+TEST.PAS", RunMode::Execute), 0);
    EXPECT_EQ(ScreenText(), "\n 2\n");
}

TEST_F(ScreenCrtTest, TheUnitsVariablesLieInTheGlobalAreaOfAProgramWithoutVariables)
{
    page.Text = "program t;\nuses crt;\nbegin\n  textattr := 7; windmax := 999;\n"
                "  write(textattr, ' ', windmax)\nend.\n";
    ASSERT_EQ(driver->Run("+TEST.PAS", RunMode::Check), 0);
    ASSERT_EQ(driver->Run("+TEST.PAS", RunMode::Execute), 0) << driver->Errors->Message();
    EXPECT_EQ(ScreenText(), "7 999\n");
}
