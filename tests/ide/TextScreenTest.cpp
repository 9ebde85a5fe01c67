// The text screen window over its model.
#include "IdeTests.h"

#include "ide/Tecrantext.h"

#include <QTest>

void TextScreenTest::OutputAndEchoKeepTheirColours()
{
    Tecrantext screen;
    screen.Write("A");
    screen.Echo('b');
    QCOMPARE(screen.Grid().CellAt(1, 1).Character, 'A');
    QVERIFY(!screen.Grid().CellAt(1, 1).Echo);
    QCOMPARE(screen.Grid().CellAt(2, 1).Character, 'b');
    QVERIFY(screen.Grid().CellAt(2, 1).Echo);
}

void TextScreenTest::TypedKeysQueueForThePrograms()
{
    Tecrantext screen;
    QTest::keyClick(&screen, Qt::Key_Z);
    QTest::keyClick(&screen, Qt::Key_Return);
    QTest::keyClick(&screen, Qt::Key_Left);
    QCOMPARE(screen.TakeKey(), int('z'));
    QCOMPARE(screen.TakeKey(), 13);
    // Arrows come as 0 followed by their scan code.
    QCOMPARE(screen.TakeKey(), 0);
    QCOMPARE(screen.TakeKey(), 75);
    QVERIFY(!screen.HasKey());
    QCOMPARE(screen.TakeKey(), -1);
}

void TextScreenTest::WindowFollowsTheModelSize()
{
    Tecrantext screen;
    const QSize before = screen.sizeHint();
    screen.SetScreenSize(12, 80);
    QCOMPARE(screen.Grid().Columns(), 80);
    QVERIFY(screen.sizeHint().width() > before.width());
    QVERIFY(screen.sizeHint().height() < before.height());
}
