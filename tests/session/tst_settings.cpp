// Pirapo.ini and Lumo.ini read, written and parsed without a window; the folder's listing.
#include "TestFiles.h"
#include "session/ExtraOptions.h"
#include "session/PictureFolder.h"
#include "session/SettingsFile.h"
#include <QtTest>
#include <algorithm>

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
    // Hand-edited files and files written before quotes were doubled still read. A file that does not read cleanly
    // is not read at all: each damage here would shift or spoil fields.
    void parse_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("thumbCount"); // 99: the file was refused, the value before stays
        QTest::addColumn<int>("slideSeconds");
        QStringList l = defaultLines();
        l[0] = "\"/photos\"";
        l[22] = "41,0,0";
        const QByteArray text = lines(l), good = lines(defaultLines());
        QTest::newRow("lf only") << l.join(u'\n').toUtf8() + '\n' << 10 << 1;
        QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + text << 10 << 1;
        QTest::newRow("bare line, blanks after a quote")
            << QByteArray(text).replace("\"/photos\"", "/photos").replace("\"\"\r\n0,", "\"\"  \r\n0,") << 10 << 1;
        QTest::newRow("blank lines after") << text + "\r\n\r\n" << 10 << 1;
        // A number that does not fit its field takes the field's default.
        QTest::newRow("out of range") << QByteArray(text)
                                             .replace("41,0,0", "41,99999999999,-99999999999")
                                             .replace(",64,10,1", ",70000,12.5,13.5")
                                             .replace("0,0,0,0,0,0,0", "40000,-40000,5,5,1,1,0")
                                      << 12 << 14;
        const auto damaged = [&l](const char* tag, int n, const QByteArray& to) {
            l = defaultLines();
            l[n] = QString::fromUtf8(to);
            QTest::newRow(tag) << lines(l) << 99 << 1;
        };
        QTest::newRow("empty") << QByteArray() << 99 << 1;
        QTest::newRow("23 lines") << good.left(good.lastIndexOf("0,0,0,0")) << 99 << 1;
        damaged("line break in a folder", 0, "\"/base/nl\r\nfolder\"");
        damaged("lone carriage return", 2, "\"/a\rb\"");
        damaged("comma in a bare line 1", 0, "/a,b");
        damaged("unclosed quote", 5, "\"/a");
        damaged("relative folder", 3, "\"photos/\"");
        damaged("junk on line 23", 22, "41,x,0");
        damaged("junk on line 24", 23, "0,0,0,0,0,0,0,64,ten,1");
        damaged("eleven numbers", 23, "0,0,0,0,0,0,0,64,10,1,1");
        QTest::newRow("junk after the end") << good + "more\r\n" << 99 << 1;
        QTest::newRow("no line end") << good.chopped(2) << 99 << 1;
        QStringEncoder utf16(QStringConverter::Utf16LE);
        QTest::newRow("utf-16") << "\xFF\xFE" + QByteArray(utf16(QString::fromUtf8(good))) << 99 << 1;
    }
    void parse()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, thumbCount);
        const bool read = thumbCount != 99;
        Settings settings = SettingsFile::defaults();
        settings.thumbCount = 99;
        QCOMPARE(SettingsFile::parse(text, settings), read ? Status::Ok : Status::Damaged);
        QCOMPARE(settings.sourceFolder, read ? QString("/photos") : QString("/"));
        QCOMPARE(settings.serials, (std::array<int32_t, 3> { read ? 41 : 0, 0, 0 }));
        QCOMPARE(QSize(settings.windowWidth, settings.windowHeight), QSize(0, 0));
        QTEST(int(settings.thumbCount), "thumbCount");
        QTEST(int(settings.slideSeconds), "slideSeconds");
        QCOMPARE(settings.deleteFolder(), QString("/"));
        QCOMPARE(int(settings.thumbSize), 64);
    }

    // Random folders and head names, among them every character the file cannot carry, and numbers up to the limits:
    // each either reads back equal or is refused, and the file stays as it was.
    void randomValuesReadBackOrAreRefused()
    {
        QRandomGenerator random(22);
        const QList<QChar> awkward = { u'"', u',', u'\r', u'\n', QChar(0), u' ', u'\t', QChar(0xD800), u'\\', u'写',
            QChar(0xFEFF), u'.', u'/' };
        const auto randomText = [&](bool folder) {
            QString t = folder ? QStringLiteral("/") : QString();
            const int n = int(random.bounded(8));
            for (int i = 0; i < n; ++i)
                t += random.bounded(3) ? QChar(u'a' + int(random.bounded(26)))
                                       : awkward[random.bounded(awkward.size())];
            return t;
        };
        const QByteArray before = "the file as it was";
        int refused = 0;
        for (int round = 0; round < 300; ++round) {
            Settings s = SettingsFile::defaults();
            s.sourceFolder = randomText(true);
            s.destinationFolders[size_t(random.bounded(11))] = randomText(true);
            s.headNames[size_t(random.bounded(10))] = randomText(false);
            s.serials = { round, -round, 999999 };
            s.windowTop = int16_t(-round);
            s.windowLeft = int16_t(32767 - round);
            writeFile(ini(), before);
            const bool holdable = SettingsFile::canHold(s.sourceFolder)
                && std::all_of(s.destinationFolders.begin(), s.destinationFolders.end(), SettingsFile::canHold)
                && std::all_of(s.headNames.begin(), s.headNames.end(), SettingsFile::canHold);
            const bool written = SettingsFile::write(ini(), s, nullptr);
            QCOMPARE(written, holdable);
            if (!written) {
                ++refused;
                QCOMPARE(readFile(ini()), before);
                // What the end of a run writes instead keeps the old value in its place.
                QVERIFY(SettingsFile::readsBack(SettingsFile::storable(s, QByteArray())));
                continue;
            }
            Settings back;
            QCOMPARE(SettingsFile::read(ini(), back), Status::Ok);
            QVERIFY2(SettingsFile::sameStoredValues(back, s), qPrintable(s.sourceFolder + " / " + back.sourceFolder));
        }
        QCOMPARE_GT(refused, 0);
        QCOMPARE_LT(refused, 300);
    }

    // Lumo.ini: a line a newer version wrote is passed over, anything damaged gives the defaults.
    void extraOptions_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("classicOnly");
        QTest::newRow("on") << QByteArray("ClassicFormatsOnly=1\r\n") << true;
        QTest::newRow("off") << QByteArray("ClassicFormatsOnly=0\r\n") << false;
        QTest::newRow("newer line") << QByteArray("Later=0\r\nClassicFormatsOnly=1\r\n") << true;
        QTest::newRow("LF only") << QByteArray("ClassicFormatsOnly=1\n") << false;
        QTest::newRow("no line end") << QByteArray("ClassicFormatsOnly=1") << false;
        QTest::newRow("bad value") << QByteArray("ClassicFormatsOnly=yes\r\n") << false;
        QTest::newRow("damaged line") << QByteArray("ClassicFormatsOnly=1\r\n\x01\r\n") << false;
        QTest::newRow("too large") << QByteArray("ClassicFormatsOnly=1\r\n").repeated(500) << false;
    }
    void extraOptions()
    {
        QFETCH(QByteArray, bytes);
        const QString file = m_app.filePath("Lumo.ini");
        writeFile(file, bytes);
        QTEST(ExtraOptionsFile::read(file).classicFormatsOnly, "classicOnly");
        QVERIFY(ExtraOptionsFile::write(file, ExtraOptions { true }, nullptr));
        QCOMPARE(readFile(file), QByteArray("ClassicFormatsOnly=1\r\nCompanionsFollow=1\r\n"));
        QCOMPARE(ExtraOptionsFile::locate(m_app.path(), "/nowhere"), file);
    }

    // The newer formats are listed, a RAW beside its picture once (as the picture); the classic four alone on request.
    void listing()
    {
        QTemporaryDir dir;
        for (const char* name : { "a.JPG", "a.cr2", "B.heic", "b.NEF", "c.RAF", "d.webp", "e.tif", "f.xmp", "g.png" })
            writeFile(dir.filePath(name), "x");
        PictureFolder folder;
        folder.setPath(dir.path());
        QCOMPARE(folder.names(), QStringList({ "a.JPG", "B.heic", "c.RAF", "d.webp", "e.tif", "g.png" }));
        folder.setFormats(PictureFormats::FormatSet::ClassicOnly);
        folder.refresh();
        QCOMPARE(folder.names(), QStringList({ "a.JPG", "g.png" }));
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
