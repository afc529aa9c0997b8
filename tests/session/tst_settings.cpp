// Pirapo.ini read, written and parsed without a window.
#include "TestFiles.h"
#include "session/SettingsFile.h"
#include <QTemporaryDir>
#include <QtTest>

using namespace TestFiles;
using Status = SettingsFile::ReadStatus;

class TestSettings : public QObject {
    Q_OBJECT

    QTemporaryDir m_app;

    QString ini() const { return SettingsFile::path(m_app.path()); }
    static QByteArray lines(const QStringList& l) { return l.join("\r\n").toUtf8() + "\r\n"; }
    static QStringList defaultLines()
    {
        QStringList l;
        for (int i = 0; i < 22; ++i)
            l << (i < 12 ? "\"/\"" : "\"\"");
        return l << "0,0,0"
                 << "0,0,0,0,0,0,0,64,10,1";
    }

private slots:
    // Doubled quotes, commas and extreme numbers all come back as written.
    void roundTrip()
    {
        Settings settings = SettingsFile::defaults();
        QCOMPARE(SettingsFile::format(settings), lines(defaultLines()));
        settings.sourceFolder = "/写真/2024,夏";
        settings.destPaths[3] = "/a,b \"quoted\" c/";
        settings.destPaths[10] = "\"";
        settings.headNames[2] = "trip \"2024\",夏";
        settings.headNames[9] = "  lead";
        settings.serials = { 41, 999999, -5 };
        settings.windowTop = -105;
        settings.windowLeft = 32767;
        settings.nameRule = 2;
        settings.rememberFolder = 1;
        settings.thumbSize = 512;
        settings.thumbCount = 30;
        settings.slideSeconds = 32;
        QString error;
        QVERIFY(SettingsFile::write(ini(), settings, &error));
        QCOMPARE(readFile(ini()).count("\r\n"), 24);
        Settings back;
        QCOMPARE(SettingsFile::read(ini(), back), Status::Ok);
        QCOMPARE(SettingsFile::format(back), SettingsFile::format(settings));
        QCOMPARE(std::tie(back.headNames[2], back.serials), std::tie(settings.headNames[2], settings.serials));
    }

    // Hand-edited files and files written before quotes were doubled still read.
    void readsHandEditedFiles_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("thumbCount");
        QTest::addColumn<int>("slideSeconds");
        QStringList l = defaultLines();
        l[0] = "\"c:\\photos\"";
        l[22] = "41,0,0";
        const QByteArray text = lines(l);
        QTest::newRow("lf only") << l.join(u'\n').toUtf8() + '\n' << 10 << 1;
        QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + text << 10 << 1;
        QTest::newRow("ninth number is letters") << QByteArray(text).replace(",10,1", ",abc,1") << 0 << 1;
        // A number that does not fit its field takes the field's default.
        QTest::newRow("out of range") << QByteArray(text)
                                             .replace("41,0,0", "41,99999999999,-99999999999")
                                             .replace(",64,10,1", ",70000,12.5,13.5")
                                             .replace("0,0,0,0,0,0,0", "40000,-40000,5,5,1,1,0")
                                      << 12 << 14;
    }
    void readsHandEditedFiles()
    {
        QFETCH(QByteArray, text);
        Settings settings;
        QCOMPARE(SettingsFile::parse(text, settings), Status::Ok);
        QCOMPARE(settings.sourceFolder, QString("c:\\photos"));
        QCOMPARE(settings.serials, (std::array<int32_t, 3> { 41, 0, 0 }));
        QCOMPARE(QSize(settings.windowWidth, settings.windowHeight), QSize(0, 0));
        QTEST(int(settings.thumbCount), "thumbCount");
        QTEST(int(settings.slideSeconds), "slideSeconds");
        QCOMPARE(settings.destPaths[10], QString("/"));
        QCOMPARE(int(settings.thumbSize), 64);
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
