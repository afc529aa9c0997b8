#include "app/SettingsStore.h"
#include "platform/FileOps.h"
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestSettingsStore : public QObject {
    Q_OBJECT

    static Module1 defaults()
    {
        Module1 m;
        SettingsStore::setDefaults(m);
        return m;
    }

    static QString lines(const QStringList& l) { return l.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"); }

    static QStringList defaultLines()
    {
        QStringList l;
        for (int i = 0; i < 12; ++i)
            l << QStringLiteral("\"/\"");
        for (int i = 0; i < 10; ++i)
            l << QStringLiteral("\"\"");
        l << QStringLiteral("0,0,0") << QStringLiteral("0,0,0,0,0,0,0,64,10,1");
        return l;
    }

private slots:
    void defaultsFormatAs24CrLfLines()
    {
        const QString text = SettingsStore::format(defaults());
        QCOMPARE(text, lines(defaultLines()));
        QCOMPARE(text.count(QStringLiteral("\r\n")), 24);
        QVERIFY(!text.contains(QRegularExpression(QStringLiteral("[^\r]\n"))));
    }

    void roundTripKeepsAwkwardValues()
    {
        Module1 m = defaults();
        m.SourceFolder = QStringLiteral("/写真/2024,夏");
        m.DestPath[0] = QStringLiteral("/仕分け/猫/");
        m.DestPath[3] = QStringLiteral("/a,b \"quoted\" c/");
        m.DestPath[10] = QStringLiteral("\"");
        m.HeadName[2] = QStringLiteral("trip \"2024\",夏");
        m.HeadName[9] = QStringLiteral("  lead");
        m.Serial = { 41, 999999, -5 };
        m.WindowWidth = 6600;
        m.WindowHeight = 4350;
        m.WindowTop = -105;
        m.WindowLeft = 32767;
        m.NameRule = 2;
        m.RememberFolder = 1;
        m.ThumbSize = 512;
        m.ThumbCount = 30;
        m.SlideSeconds = 32;

        Module1 back;
        QCOMPARE(SettingsStore::parse(SettingsStore::format(m), back), SettingsStore::ReadStatus::Ok);
        QCOMPARE(back.SourceFolder, m.SourceFolder);
        QCOMPARE(back.DestPath, m.DestPath);
        QCOMPARE(back.HeadName, m.HeadName);
        QCOMPARE(back.Serial, m.Serial);
        QCOMPARE(back.WindowTop, m.WindowTop);
        QCOMPARE(back.WindowLeft, m.WindowLeft);
        QCOMPARE(back.NameRule, m.NameRule);
        QCOMPARE(back.RememberFolder, m.RememberFolder);
        QCOMPARE(back.ThumbSize, m.ThumbSize);
        QCOMPARE(back.ThumbCount, m.ThumbCount);
        QCOMPARE(back.SlideSeconds, m.SlideSeconds);
    }

    void fileRoundTripThroughDisk()
    {
        QTemporaryDir dir;
        Module1 m = defaults();
        m.DestPath[5] = QStringLiteral("/ネガ\"ポジ\"/");
        const QString path = SettingsStore::settingsPath(dir.path());
        QString error;
        QVERIFY(SettingsStore::write(path, m, &error));
        Module1 back;
        QCOMPARE(SettingsStore::read(path, back), SettingsStore::ReadStatus::Ok);
        QCOMPARE(back.DestPath[5], m.DestPath[5]);
    }

    // Files in the original layout (no doubled quotes) read exactly as before.
    void readsOriginalLayout_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("thumbCount");
        QTest::addColumn<int>("serial0");

        QStringList l = defaultLines();
        l[0] = QStringLiteral("\"c:\\photos\"");
        l[22] = QStringLiteral("41,0,0");
        QTest::newRow("crlf") << lines(l) << "c:\\photos" << 10 << 41;
        QTest::newRow("lf only") << l.join(u'\n') + u'\n' << "c:\\photos" << 10 << 41;

        QStringList spread = l;
        spread[22] = QStringLiteral("41");
        spread.insert(23, QStringLiteral("0,0"));
        QTest::newRow("fields spread over lines") << lines(spread) << "c:\\photos" << 10 << 41;

        QStringList letters = l;
        letters[23] = QStringLiteral("0,0,0,0,0,0,0,64,abc,1");
        QTest::newRow("ninth number is letters") << lines(letters) << "c:\\photos" << 0 << 41;

        QStringList unquoted = l;
        unquoted[0] = QStringLiteral("   /plain/folder");
        QTest::newRow("unquoted string drops leading blanks") << lines(unquoted) << "/plain/folder" << 10 << 41;

        QStringList trailing = l;
        trailing << QStringLiteral("\"extra\",1,2,3");
        QTest::newRow("fields after the 35th ignored") << lines(trailing) << "c:\\photos" << 10 << 41;

        QStringList junk = l;
        junk[0] = QStringLiteral("\"/a\"junk");
        QTest::newRow("text after a closing quote dropped") << lines(junk) << "/a" << 10 << 41;
    }

    void readsOriginalLayout()
    {
        QFETCH(QString, text);
        QFETCH(QString, source);
        QFETCH(int, thumbCount);
        QFETCH(int, serial0);
        Module1 m;
        QCOMPARE(SettingsStore::parse(text, m), SettingsStore::ReadStatus::Ok);
        QCOMPARE(m.SourceFolder, source);
        QCOMPARE(int(m.ThumbCount), thumbCount);
        QCOMPARE(m.Serial[0], serial0);
        QCOMPARE(m.DestPath[10], QStringLiteral("/"));
    }

    void shortFileIsReported_data()
    {
        QTest::addColumn<int>("keep");
        QTest::newRow("23 lines") << 23;
        QTest::newRow("empty") << 0;
        QTest::newRow("one line") << 1;
    }

    void shortFileIsReported()
    {
        QFETCH(int, keep);
        const QString text = lines(defaultLines().mid(0, keep));
        Module1 m;
        QCOMPARE(SettingsStore::parse(keep ? text : QString(), m), SettingsStore::ReadStatus::TooShort);
    }

    void lastFieldWithoutLineEndStillCounts()
    {
        QString text = lines(defaultLines());
        text.chop(2);
        Module1 m;
        QCOMPARE(SettingsStore::parse(text, m), SettingsStore::ReadStatus::Ok);
        QCOMPARE(int(m.SlideSeconds), 1);
    }

    // A number that does not fit its field takes the field's default; start-up goes on.
    void outOfRangeNumbersTakeDefaults()
    {
        QStringList l = defaultLines();
        l[22] = QStringLiteral("99999999999,7,-99999999999");
        l[23] = QStringLiteral("40000,-40000,5,5,1,1,0,70000,12.5,13.5");
        Module1 m;
        QCOMPARE(SettingsStore::parse(lines(l), m), SettingsStore::ReadStatus::Ok);
        QCOMPARE(m.Serial[0], 0);
        QCOMPARE(m.Serial[1], 7);
        QCOMPARE(m.Serial[2], 0);
        QCOMPARE(int(m.WindowWidth), 0);
        QCOMPARE(int(m.WindowHeight), 0);
        QCOMPARE(int(m.ThumbSize), 64);
        QCOMPARE(int(m.ThumbCount), 12); // halves to even
        QCOMPARE(int(m.SlideSeconds), 14);
    }

    void missingOrFolderIsNoFile()
    {
        QTemporaryDir dir;
        Module1 m;
        QCOMPARE(SettingsStore::read(dir.filePath("Pirapo.ini"), m), SettingsStore::ReadStatus::Missing);
        QVERIFY(QDir(dir.path()).mkdir("Pirapo.ini"));
        QCOMPARE(SettingsStore::read(dir.filePath("Pirapo.ini"), m), SettingsStore::ReadStatus::Missing);
    }

    void failedWriteKeepsPreviousFile()
    {
        QTemporaryDir dir;
        const QString path = SettingsStore::settingsPath(dir.path());
        QString error;
        QVERIFY(SettingsStore::write(path, defaults(), &error));
        const QByteArray before = [&] {
            QFile f(path);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        // The folder becomes a path under a plain file: nothing can be written there.
        QVERIFY(!SettingsStore::write(dir.filePath("Pirapo.ini/sub/Pirapo.ini"), defaults(), &error));
        QVERIFY(!error.isEmpty());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
    }

    void destNames_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("trailing separator") << "/photos/cats/" << "cats";
        QTest::newRow("no trailing separator") << "/photos/cats" << "cats";
        QTest::newRow("root") << "/" << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("bare name") << "cats" << "cats";
        QTest::newRow("only one separator dropped") << "/photos//" << "";
    }

    void destNames()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QCOMPARE(SettingsStore::destNameOf(path), name);
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "test_settings_store.moc"
