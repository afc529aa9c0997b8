#include "TestFiles.h"
#include "platform/FileOps.h"
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestFiles;

class TestFileOps : public QObject {
    Q_OBJECT
private slots:
    void copyKeepsContentAndTime()
    {
        QTemporaryDir dir;
        QByteArray data(3 * 1024 * 1024 + 17, 'x'); // more than one copy buffer
        data[12345] = 'y';
        writeFile(dir.filePath("a.jpg"), data);
        const QDateTime old = QDateTime::currentDateTime().addDays(-30);
        {
            QFile f(dir.filePath("a.jpg"));
            QVERIFY(f.open(QIODevice::ReadWrite) && f.setFileTime(old, QFileDevice::FileModificationTime));
        }
        QVERIFY(FileOps::copyFile(dir.filePath("a.jpg"), dir.filePath("b.jpg")));
        QCOMPARE(readFile(dir.filePath("b.jpg")), data);
        QCOMPARE(QFileInfo(dir.filePath("b.jpg")).lastModified().toSecsSinceEpoch(), old.toSecsSinceEpoch());
    }

    // A failed copy leaves the source and whatever stood at the target as they were.
    void copyFailures_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("target exists") << "a.jpg" << "b.jpg";
        QTest::newRow("source missing") << "missing.jpg" << "out.jpg";
        QTest::newRow("target folder missing") << "a.jpg" << "nofolder/out.jpg";
        QTest::newRow("source is a folder") << "sub" << "out.jpg";
        QTest::newRow("target is a folder") << "a.jpg" << "sub";
    }
    void copyFailures()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QTemporaryDir dir;
        writeFile(dir.filePath("a.jpg"), "data");
        writeFile(dir.filePath("b.jpg"), "precious");
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        const auto before = snapshot(dir.path());
        const FileOps::Result r = FileOps::copyFile(dir.filePath(from), dir.filePath(to));
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());
        QCOMPARE(snapshot(dir.path()), before);
    }

    void deleteAndAttributes()
    {
        QTemporaryDir dir;
        const QString p = dir.filePath("ro.jpg");
        touch(p);
        QVERIFY(QFile::setPermissions(p, QFileDevice::ReadOwner));
        QVERIFY(FileOps::setNormalAttributes(p));
        QVERIFY(QFileInfo(p).permissions() & QFileDevice::WriteOwner);
        QVERIFY(FileOps::deleteFile(p));
        QVERIFY(!FileOps::deleteFile(p).ok);
        QVERIFY(!FileOps::setNormalAttributes(p).ok);
    }

    void paths()
    {
        QCOMPARE(FileOps::joinPath("/a", "b.jpg"), QString("/a/b.jpg"));
        QCOMPARE(FileOps::joinPath("/a/", "b.jpg"), QString("/a/b.jpg"));
        QCOMPARE(FileOps::joinPath("/", "b.jpg"), QString("/b.jpg"));
        QTemporaryDir dir;
        QVERIFY(FileOps::makeSureDirectoryPathExists(dir.filePath("Sort/Cats/2024/")));
        QVERIFY(FileOps::folderExists(dir.filePath("Sort/Cats/2024")));
        touch(dir.filePath("file"));
        QVERIFY(!FileOps::makeSureDirectoryPathExists(dir.filePath("file/sub")));
    }
};

QTEST_GUILESS_MAIN(TestFileOps)
#include "test_file_ops.moc"
