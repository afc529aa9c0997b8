// The main window's start-up and shut-down around Pirapo.ini.
#include "ModalCatcher.h"
#include "TestFiles.h"
#include "app/Form1.h"
#include "platform/FileList.h"
#include "platform/StatusBar.h"
#include "session/SettingsFile.h"
#include "sorting/Sorter.h"
#include <QAction>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace TestFiles;
class TestApp : public QObject {
    Q_OBJECT

    QTemporaryDir m_app;
    QTemporaryDir m_photos;
    QString m_oldCwd = QDir::currentPath();
    Settings settings;
    Session session { m_app.path() };
    PictureFolder folder;
    Sorter sorter { settings, session };

    QString ini() const { return SettingsFile::path(m_app.path()); }
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
        settings = Settings();
        session = Session(m_app.path());
    }
    void cleanup() { QDir::setCurrent(m_oldCwd); }
    void cleanupTestCase() { ::unlink((QFile::encodeName(m_photos.path()) + "/sjis\x83\x65.jpg").constData()); }

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
            Form1 w(settings, session, folder, sorter);
            QCOMPARE(w.startedUp(), started);
            QCOMPARE(catcher.seen.size(), warnings);
            if (!started) {
                QVERIFY(!QFile::exists(ini()));
                return;
            }
            QCOMPARE(settings.sourceFolder, cwd());
            QCOMPARE(w.statusBar().panelText(1), " " + cwd() + " ");
            QCOMPARE(w.statusBar().panelText(3), QString(" 3 File "));
            QCOMPARE(w.statusBar().panelText(4), QString(" 表示できない名前 1 "));
            QCOMPARE(int(settings.thumbCount), 10);
            QVERIFY(!w.undoAction->isEnabled());
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
        QList<QByteArray> l = lines(defaultLines()).split('\n');
        l[3] = "\"/photos/\xff\xfe,x\"\r"; // destination 2
        l[4] = "\"/a\xff/\"\r"; // destination 3, changed below
        l[14] = "\"\x83\x65\x83\x58\"\r"; // head name 2, Shift-JIS
        writeFile(ini(), l.join('\n'));
        {
            Form1 w(settings, session, folder, sorter);
            w.show();
            settings.destPaths[3] = "/b/";
            QVERIFY(w.close());
        }
        l[4] = "\"/b/\"\r";
        const QList<QByteArray> written = readFile(ini()).split('\n');
        QCOMPARE(written.size(), l.size());
        QCOMPARE(written.mid(1, 22), l.mid(1, 22));
    }

    void rememberedFolderReopensOrFallsBack()
    {
        Settings saved = SettingsFile::defaults();
        saved.rememberFolder = 1;
        QString error;
        for (const QString& remembered : { m_photos.filePath("sub"), m_photos.filePath("gone/away") }) {
            saved.sourceFolder = QDir::toNativeSeparators(remembered);
            QVERIFY(SettingsFile::write(ini(), saved, &error));
            Settings read;
            Sorter readSorter(read, session);
            Form1 w(read, session, folder, readSorter);
            QVERIFY(w.startedUp());
            const bool gone = remembered.endsWith("away");
            QCOMPARE(read.sourceFolder, gone ? cwd() : saved.sourceFolder);
            QCOMPARE(w.folder().names().size(), gone ? 3 : 1);
        }
    }

    void unwritableSettingsAreReportedAndTheWindowStillCloses()
    {
        // The program folder is a plain file, so nothing can be created in it, even by root.
        QTemporaryDir tmp;
        touch(tmp.filePath("notafolder"));
        session = Session(tmp.filePath("notafolder"));
        Form1 w(settings, session, folder, sorter);
        w.show();
        ModalCatcher catcher;
        QVERIFY(w.close());
        QCOMPARE(catcher.seen.size(), 1);
        QVERIFY(catcher.seen[0].text.contains("Pirapo.ini") && catcher.seen[0].text.contains("保存できませんでした"));
    }
};

QTEST_MAIN(TestApp)
#include "tst_app.moc"
