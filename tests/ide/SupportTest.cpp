// Command line, file kinds, password digest and stepping keys.
#include "IdeTests.h"

#include "ide/IdeSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

void SupportTest::SwitchesAndFileNames_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("none") << QStringList{} << 0 << "";
    QTest::newRow("C switch") << QStringList{"-C"} << 1 << "";
    QTest::newRow("lower case, last letter wins") << QStringList{"-cp"} << 0 << "";
    QTest::newRow("name with blanks")
        << QStringList{"/tmp/my", "prog.pas"} << 0 << "/tmp/my prog.pas";
    QTest::newRow("switch among names") << QStringList{"a.pas", "-c"} << 1 << "a.pas";
    // A debug switch is read before the letters: the "c" of "--screenshot" is no language.
    QTest::newRow("debug switch keeps its value")
        << QStringList{"--screenshot", "x.png", "b.c"} << 0 << "b.c";
}

void SupportTest::SwitchesAndFileNames()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, language);
    QFETCH(QString, fileName);
    const StartupArguments startup = ParseStartupArguments(arguments);
    if (arguments.contains("--screenshot")) {
        QCOMPARE(startup.Screenshot, QString("x.png"));
    }
    QCOMPARE(static_cast<int>(startup.NewFileLanguage), language);
    QCOMPARE(startup.FileName, fileName);
}

void SupportTest::FileKindsFollowTheExtension_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("kind");
    QTest::newRow("environment in capitals") << "/x/CONFIG.MVC" << int(OpenKind::Environment);
    QTest::newRow("options") << "a.mvg" << int(OpenKind::ProgramOptions);
    QTest::newRow("project") << "a.mvp" << int(OpenKind::Project);
    QTest::newRow("scenario ignored") << "lesson.mvs" << int(OpenKind::Scenario);
    QTest::newRow("source") << "bonjour.pas" << int(OpenKind::Source);
    QTest::newRow("dot in a folder does not count")
        << "/home/u/.config/a.pas" << int(OpenKind::Source);
    QTest::newRow("first dot too far from the end") << "a.b.pas" << int(OpenKind::NotOpened);
    QTest::newRow("no extension") << "README" << int(OpenKind::NotOpened);
}

void SupportTest::FileKindsFollowTheExtension()
{
    QFETCH(QString, path);
    QFETCH(int, kind);
    QCOMPARE(int(KindOfFile(path)), kind);
}

void SupportTest::PasswordDigestDoublesAndAdds()
{
    QCOMPARE(PasswordDigest(""), std::uint16_t{0});
    QCOMPARE(PasswordDigest("AB"), std::uint16_t{2 * 65 + 66});
    // Seventeen characters push the first one out of the 16 bits.
    QCOMPARE(PasswordDigest(std::string(17, '\x01')), std::uint16_t{65535});
}

void SupportTest::DigestFileIsFourBytesLittleEndian()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("mv_log");
    QVERIFY(WriteDigestFile(path, 0x1234));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("\x34\x12\x00\x00", 4));
    std::uint32_t digest = 0;
    QVERIFY(ReadDigestFile(path, digest));
    QCOMPARE(digest, std::uint32_t{0x1234});
    QVERIFY(!ReadDigestFile(folder.filePath("missing"), digest));
}

void SupportTest::StepKeysDependOnWhatIsPaused()
{
    QCOMPARE(StepKeysText(true, false, false),
             QString("F7 = in depth step      F8 = next step      F9 = quick execution    "
                     "ESC = cancel"));
    QVERIFY(StepKeysText(true, true, false).startsWith("F6 = extremal step     F7"));
    QVERIFY(StepKeysText(false, false, true)
                .contains("    F11 = next line    F12 = end of "
                          "procedure    ESC = cancel"));
    QCOMPARE(StepAnswer(Qt::Key_F6, true, true, false), 25);
    QCOMPARE(StepAnswer(Qt::Key_F6, true, false, false), -1);
    QCOMPARE(StepAnswer(Qt::Key_F7, true, false, false), 9);
    QCOMPARE(StepAnswer(Qt::Key_F8, true, false, false), 1);
    QCOMPARE(StepAnswer(Qt::Key_F9, true, false, false), 2);
    QCOMPARE(StepAnswer(Qt::Key_F11, true, false, false), -1);
    QCOMPARE(StepAnswer(Qt::Key_F12, false, false, true), 16386);
}
