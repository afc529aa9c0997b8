// Pirapo.ini on disk and the main window's start-up and shut-down around it.
#include "ModalCatcher.h"
#include "TestFiles.h"
#include "app/Form1.h"
#include "app/SettingsStore.h"
#include "platform/FileList.h"
#include "platform/StatusBar.h"
#include <QAction>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace TestFiles;
using Status = SettingsStore::ReadStatus;

class TestApp : public QObject {
    Q_OBJECT

    QTemporaryDir m_app;
    QTemporaryDir m_photos;
    QString m_oldCwd = QDir::currentPath();
    Module1 m;

    QString ini() const { return SettingsStore::settingsPath(m_app.path()); }
    QString cwd() const { return QDir::toNativeSeparators(QDir(m_photos.path()).absolutePath()); }
    static QByteArray lines(const QStringList& l) { return l.join("\r\n").toUtf8() + "\r\n"; }
    static QStringList defaultLines()
    {
        QStringList l;
        for (int i = 0; i < 22; ++i)
            l << (i < 12 ? "\"/\"" : "\"\"");
        return l << "0,0,0" << "0,0,0,0,0,0,0,64,10,1";
    }

private slots:
    void initTestCase()
    {
        for (const char* n : { "IMG_0001.JPG", "IMG_0002.jpg", "note.txt", "x.png" })
            touch(m_photos.filePath(n));
        QVERIFY(QDir(m_photos.path()).mkdir("sub"));
        touch(m_photos.filePath("sub/inner.jpg"));
        ::close(::creat((QFile::encodeName(m_photos.path()) + "/sjis\x83\x65.jpg").constData(), 0644)); // not UTF-8
    }
    void init()
    {
        QFile::remove(ini());
        QDir().rmdir(ini());
        QDir::setCurrent(m_photos.path());
        m = Module1();
        m.AppPath = m_app.path();
    }
    void cleanup() { QDir::setCurrent(m_oldCwd); }
    void cleanupTestCase() { ::unlink((QFile::encodeName(m_photos.path()) + "/sjis\x83\x65.jpg").constData()); }

    // Doubled quotes, commas and extreme numbers all come back as written.
    void roundTripThroughDisk()
    {
        SettingsStore::setDefaults(m);
        QCOMPARE(SettingsStore::format(m), lines(defaultLines()));
        m.SourceFolder = "/写真/2024,夏";
        m.DestPath[3] = "/a,b \"quoted\" c/";
        m.DestPath[10] = "\"";
        m.HeadName[2] = "trip \"2024\",夏";
        m.HeadName[9] = "  lead";
        m.Serial = { 41, 999999, -5 };
        m.WindowTop = -105;
        m.WindowLeft = 32767;
        m.NameRule = 2;
        m.RememberFolder = 1;
        m.ThumbSize = 512;
        m.ThumbCount = 30;
        m.SlideSeconds = 32;
        QString error;
        QVERIFY(SettingsStore::write(ini(), m, &error));
        QCOMPARE(readFile(ini()).count("\r\n"), 24);
        Module1 back;
        QCOMPARE(SettingsStore::read(ini(), back), Status::Ok);
        QCOMPARE(SettingsStore::format(back), SettingsStore::format(m));
        QCOMPARE(back.HeadName[2], m.HeadName[2]);
        QCOMPARE(back.Serial, m.Serial);
    }

    // Hand-edited files and files in the original layout (no doubled quotes) still read.
    void readsOriginalLayout_data()
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
    void readsOriginalLayout()
    {
        QFETCH(QByteArray, text);
        QCOMPARE(SettingsStore::parse(text, m), Status::Ok);
        QCOMPARE(m.SourceFolder, QString("c:\\photos"));
        QCOMPARE(m.Serial, (std::array<int32_t, 3> { 41, 0, 0 }));
        QCOMPARE(int(m.WindowWidth), 0);
        QCOMPARE(int(m.WindowHeight), 0);
        QTEST(int(m.ThumbCount), "thumbCount");
        QTEST(int(m.SlideSeconds), "slideSeconds");
        QCOMPARE(m.DestPath[10], QString("/"));
        QCOMPARE(int(m.ThumbSize), 64);
    }

    // What start-up makes of the file it finds: the defaults unless the file is usable,
    // and a short file is deleted and nothing starts. One that cannot be read, or is no
    // regular file (or links to none), is said once and left as it is at exit; without
    // one, closing writes the file.
    void startUp_data()
    {
        QTest::addColumn<QString>("found"); // empty: none; "/...": a link to that
        QTest::addColumn<bool>("started");
        QTest::addColumn<int>("warnings");
        QTest::newRow("none") << "" << true << 0;
        QTest::newRow("a folder of that name") << "folder" << true << 1;
#ifdef Q_OS_LINUX
        QTest::newRow("cannot be read") << "/proc/self/mem" << true << 1; // fails even for root
        QTest::newRow("link to a FIFO") << "/fifo" << true << 1;
        QTest::newRow("link to a device") << "/null" << true << 1;
#endif
        QTest::newRow("23 lines") << "\"/\"\r\n" << false << 0;
        QTest::newRow("empty") << "\r\n" << false << 0;
    }
    void startUp()
    {
        QFETCH(QString, found);
        QFETCH(bool, started);
        QFETCH(int, warnings);
        const QString target = found == "folder" ? ini() : found.startsWith("/proc") ? found : m_app.path() + found;
        if (found == "/fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
        if (found == "/null" && ::mknod(QFile::encodeName(target).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("making a device needs root");
        if (found == "folder")
            QVERIFY(QDir(m_app.path()).mkdir("Pirapo.ini"));
        else if (found.startsWith("/"))
            QVERIFY(QFile::link(target, ini()));
        else if (!found.isEmpty())
            writeFile(ini(), found.toUtf8().repeated(found.size() > 2 ? 23 : 1));
        const auto typeOf = [](const QString& path) {
            struct stat st;
            return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & S_IFMT) : 0;
        };
        const int before = typeOf(target);
        {
            ModalCatcher catcher;
            Form1 w(m);
            QCOMPARE(w.startedUp(), started);
            QCOMPARE(catcher.seen.size(), warnings);
            if (!started) {
                QVERIFY(!QFile::exists(ini()));
                return;
            }
            QCOMPARE(m.SourceFolder, cwd());
            QCOMPARE(w.StatusBar1->panelText(1), " " + cwd() + " ");
            QCOMPARE(w.StatusBar1->panelText(3), QString(" 3 File "));
            QCOMPARE(w.StatusBar1->panelText(4), QString(" 表示できない名前 1 "));
            QCOMPARE(int(m.ThumbCount), 10);
            QVERIFY(!w.mnuUnd->isEnabled());
            w.show();
            QVERIFY(w.close());
            QCOMPARE(catcher.seen.size(), warnings);
        }
        if (found.isEmpty()) {
            const QByteArray written = readFile(ini());
            QCOMPARE(written.count("\r\n"), 24);
            QVERIFY(written.endsWith(",0,0,0,64,10,1\r\n"));
        } else {
            QCOMPARE(typeOf(target), before);
            QCOMPARE(QFileInfo(ini()).symLinkTarget(), found.startsWith("/") ? target : QString());
        }
    }

    // A path the system's encoding cannot show keeps its very bytes while the run leaves
    // it alone; a value the run changed is written anew.
    void untouchedValuesKeepTheirBytes()
    {
        SettingsStore::setDefaults(m);
        QList<QByteArray> l = lines(defaultLines()).split('\n');
        l[3] = "\"/photos/\xff\xfe,x\"\r"; // DestPath 2
        l[4] = "\"/a\xff/\"\r"; // DestPath 3, changed below
        l[14] = "\"\x83\x65\x83\x58\"\r"; // HeadName 2, Shift-JIS
        writeFile(ini(), l.join('\n'));
        {
            Form1 w(m);
            w.show();
            m.DestPath[3] = "/b/";
            QVERIFY(w.close());
        }
        l[4] = "\"/b/\"\r";
        const QList<QByteArray> written = readFile(ini()).split('\n');
        QCOMPARE(written.size(), l.size());
        QCOMPARE(written.mid(1, 22), l.mid(1, 22));
    }

    void rememberedFolderReopensOrFallsBack()
    {
        Module1 saved;
        SettingsStore::setDefaults(saved);
        saved.RememberFolder = 1;
        QString error;
        for (const QString& folder : { m_photos.filePath("sub"), m_photos.filePath("gone/away") }) {
            saved.SourceFolder = QDir::toNativeSeparators(folder);
            QVERIFY(SettingsStore::write(ini(), saved, &error));
            Module1 m2;
            m2.AppPath = m_app.path();
            Form1 w(m2);
            QVERIFY(w.startedUp());
            const bool gone = folder.endsWith("away");
            QCOMPARE(m2.SourceFolder, gone ? cwd() : saved.SourceFolder);
            QCOMPARE(w.File1->entries().size(), gone ? 3 : 1);
        }
    }

    void unwritableSettingsAreReportedAndTheWindowStillCloses()
    {
        // The program folder is a plain file, so nothing can be created in it, even by root.
        QTemporaryDir tmp;
        touch(tmp.filePath("notafolder"));
        m.AppPath = tmp.filePath("notafolder");
        Form1 w(m);
        w.show();
        ModalCatcher catcher;
        QVERIFY(w.close());
        QCOMPARE(catcher.seen.size(), 1);
        QVERIFY(catcher.seen[0].text.contains("Pirapo.ini") && catcher.seen[0].text.contains("保存できませんでした"));
    }
};

QTEST_MAIN(TestApp)
#include "test_app.moc"
