#include "TestFiles.h"
#include "app/SettingsStore.h"
#include <QTemporaryDir>
#include <QtTest>

using Status = SettingsStore::ReadStatus;

class TestSettingsStore : public QObject {
    Q_OBJECT

    static QString lines(const QStringList& l) { return l.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"); }
    static QStringList defaultLines()
    {
        QStringList l;
        for (int i = 0; i < 22; ++i)
            l << (i < 12 ? QStringLiteral("\"/\"") : QStringLiteral("\"\""));
        return l << QStringLiteral("0,0,0") << QStringLiteral("0,0,0,0,0,0,0,64,10,1");
    }

private slots:
    void defaultsAre24CrLfLines()
    {
        Module1 m;
        SettingsStore::setDefaults(m);
        QCOMPARE(SettingsStore::format(m), lines(defaultLines()));
    }

    void roundTripThroughDisk()
    {
        Module1 m;
        SettingsStore::setDefaults(m);
        m.SourceFolder = QStringLiteral("/写真/2024,夏");
        m.DestPath[3] = QStringLiteral("/a,b \"quoted\" c/");
        m.DestPath[10] = QStringLiteral("\"");
        m.HeadName[2] = QStringLiteral("trip \"2024\",夏");
        m.HeadName[9] = QStringLiteral("  lead");
        m.Serial = { 41, 999999, -5 };
        m.WindowTop = -105;
        m.WindowLeft = 32767;
        m.NameRule = 2;
        m.RememberFolder = 1;
        m.ThumbSize = 512;
        m.ThumbCount = 30;
        m.SlideSeconds = 32;
        QTemporaryDir dir;
        const QString path = SettingsStore::settingsPath(dir.path());
        QString error;
        QVERIFY(SettingsStore::write(path, m, &error));
        Module1 back;
        QCOMPARE(SettingsStore::read(path, back), Status::Ok);
        QCOMPARE(SettingsStore::format(back), SettingsStore::format(m));
        QCOMPARE(back.HeadName[2], m.HeadName[2]);
        QCOMPARE(back.Serial, m.Serial);
    }

    // Files in the original layout (no doubled quotes) read as before.
    void readsOriginalLayout_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("source");
        QTest::addColumn<int>("thumbCount");
        QTest::addColumn<int>("slideSeconds");
        QStringList l = defaultLines();
        l[0] = QStringLiteral("\"c:\\photos\"");
        l[22] = QStringLiteral("41,0,0");
        const QString text = lines(l);
        QTest::newRow("crlf") << text << "c:\\photos" << 10 << 1;
        QTest::newRow("lf only") << l.join(u'\n') + u'\n' << "c:\\photos" << 10 << 1;
        QTest::newRow("last field without a line end") << text.chopped(2) << "c:\\photos" << 10 << 1;
        QTest::newRow("fields spread over lines") << QString(text).replace("41,0,0", "41\r\n0,0") << "c:\\photos" << 10
                                                  << 1;
        QTest::newRow("ninth number is letters") << QString(text).replace(",10,1", ",abc,1") << "c:\\photos" << 0 << 1;
        QTest::newRow("unquoted string drops leading blanks") << QString(text).replace("\"c:\\photos\"", "   /plain")
                                                              << "/plain" << 10 << 1;
        QTest::newRow("text after a closing quote dropped") << QString(text).replace("photos\"", "photos\"junk")
                                                            << "c:\\photos" << 10 << 1;
        QTest::newRow("fields after the 35th ignored") << text + "\"extra\",1,2,3\r\n" << "c:\\photos" << 10 << 1;
        // A number that does not fit its field takes the field's default.
        QTest::newRow("out of range") << QString(text)
                                             .replace("41,0,0", "41,99999999999,-99999999999")
                                             .replace(",64,10,1", ",70000,12.5,13.5")
                                             .replace("0,0,0,0,0,0,0", "40000,-40000,5,5,1,1,0")
                                      << "c:\\photos" << 12 << 14;
    }
    void readsOriginalLayout()
    {
        QFETCH(QString, text);
        QFETCH(QString, source);
        QFETCH(int, thumbCount);
        QFETCH(int, slideSeconds);
        Module1 m;
        QCOMPARE(SettingsStore::parse(text, m), Status::Ok);
        QCOMPARE(m.SourceFolder, source);
        QCOMPARE(m.Serial, (std::array<int32_t, 3> { 41, 0, 0 }));
        QCOMPARE(int(m.WindowWidth), 0);
        QCOMPARE(int(m.WindowHeight), 0);
        QCOMPARE(int(m.ThumbCount), thumbCount);
        QCOMPARE(int(m.SlideSeconds), slideSeconds);
        QCOMPARE(m.DestPath[10], QStringLiteral("/"));
        QCOMPARE(int(m.ThumbSize), 64);
    }

    void unreadable()
    {
        Module1 m;
        for (int keep : { 0, 1, 23 })
            QCOMPARE(SettingsStore::parse(keep ? lines(defaultLines().mid(0, keep)) : QString(), m), Status::TooShort);
        QTemporaryDir dir;
        QCOMPARE(SettingsStore::read(dir.filePath("Pirapo.ini"), m), Status::Missing);
        QVERIFY(QDir(dir.path()).mkdir("Pirapo.ini"));
        QCOMPARE(SettingsStore::read(dir.filePath("Pirapo.ini"), m), Status::Missing);
    }

    void destNames_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("trailing separator") << "/photos/cats/" << "cats";
        QTest::newRow("no trailing separator") << "/photos/cats" << "cats";
        QTest::newRow("root") << "/" << "";
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
