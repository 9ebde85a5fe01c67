// The text screen's grid.
#include "IdeTests.h"

#include "ide/Tecrantext.h"

#include <QTest>

void TextScreenTest::LongLineWrapsToNextRow()
{
    TextScreenGrid grid(24, 40);
    grid.PutString(std::string(40, 'a') + "b", false);
    QCOMPARE(grid.CursorRow(), 2);
    QCOMPARE(grid.Cell(2, 1) & 0xFF, int('b'));
    QCOMPARE(grid.Cell(1, 40) & 0xFF, int('a'));
}

void TextScreenTest::WritingPastLastRowScrolls()
{
    TextScreenGrid grid(6, 20);
    for (int row = 1; row <= 7; ++row) {
        grid.PutString("line" + std::to_string(row) + "\r\n", false);
    }
    QCOMPARE(grid.CursorRow(), 6);
    QVERIFY(grid.RowText(1).starts_with("line3"));
    QVERIFY(grid.RowText(5).starts_with("line7"));
    QCOMPARE(grid.RowText(6), std::string(20, ' '));
}

void TextScreenTest::BackspaceAtFirstColumnDoesNothing()
{
    TextScreenGrid grid(24, 40);
    grid.PutString("x\r\n", false);
    grid.PutChar(8, false);
    QCOMPARE(grid.CursorColumn(), 1);
    QCOMPARE(grid.CursorRow(), 2);
    QCOMPARE(grid.Cell(1, 1) & 0xFF, int('x'));
}

void TextScreenTest::CarriageReturnClearsRestOfLine()
{
    // A carriage return clears from the cursor to the end of the row, then goes back to the
    // first column, as a terminal does: what lies left of the cursor stays.
    TextScreenGrid grid(24, 40);
    grid.PutString("abcdef", false);
    grid.GotoXY(3, 1);
    grid.PutString("\rx", false);
    QCOMPARE(grid.RowText(1), "xb" + std::string(38, ' '));
}

void TextScreenTest::GotoXYTakesOnlyCoordinatesOnScreen()
{
    TextScreenGrid grid(24, 40);
    grid.GotoXY(40, 24);
    QCOMPARE(grid.CursorColumn(), 40);
    QCOMPARE(grid.CursorRow(), 24);
    grid.GotoXY(0, 5);
    QCOMPARE(grid.CursorColumn(), 40);
    QCOMPARE(grid.CursorRow(), 5);
    grid.GotoXY(41, 25);
    QCOMPARE(grid.CursorColumn(), 40);
    QCOMPARE(grid.CursorRow(), 5);
}

void TextScreenTest::EchoedCharactersAreMarked()
{
    Tecrantext screen;
    screen.Write("A");
    screen.Echo('b');
    QCOMPARE(screen.Grid().Cell(1, 1), std::uint16_t('A'));
    QCOMPARE(screen.Grid().Cell(1, 2), std::uint16_t('b' | TextScreenGrid::EchoBit));
    QTest::keyClick(&screen, Qt::Key_Z);
    QVERIFY(screen.HasKey());
    QCOMPARE(screen.TakeKey(), int('z'));
}
