#include "platform/FileOps.h"
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

static void writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

static QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class TestFileOps : public QObject {
    Q_OBJECT
private slots:
    void copyKeepsContentAndTime()
    {
        QTemporaryDir dir;
        const QString from = dir.filePath("a.jpg");
        QByteArray data(3 * 1024 * 1024 + 17, 'x'); // more than one copy buffer
        data[12345] = 'y';
        writeFile(from, data);
        const QDateTime old = QDateTime::currentDateTime().addDays(-30);
        {
            QFile f(from);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(old, QFileDevice::FileModificationTime));
        }
        const QString to = dir.filePath("b.jpg");
        QVERIFY(FileOps::copyFile(from, to));
        QCOMPARE(readFile(to), data);
        QCOMPARE(QFileInfo(to).lastModified().toSecsSinceEpoch(), old.toSecsSinceEpoch());
    }

    void copyNeverReplacesAnExistingFile()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("a"), "new");
        writeFile(dir.filePath("b"), "precious");
        const auto r = FileOps::copyFile(dir.filePath("a"), dir.filePath("b"));
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());
        QCOMPARE(readFile(dir.filePath("b")), QByteArray("precious"));
    }

    void copyFailuresLeaveNothingBehind_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("source missing") << "missing.jpg" << "out.jpg";
        QTest::newRow("destination folder missing") << "a.jpg" << "nofolder/out.jpg";
        QTest::newRow("source is a folder") << "sub" << "out.jpg";
        QTest::newRow("destination is a folder") << "a.jpg" << "sub";
    }
    void copyFailuresLeaveNothingBehind()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QTemporaryDir dir;
        writeFile(dir.filePath("a.jpg"), "data");
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        const auto r = FileOps::copyFile(dir.filePath(from), dir.filePath(to));
        QVERIFY(!r.ok);
        QVERIFY(!r.error.isEmpty());
        QCOMPARE(readFile(dir.filePath("a.jpg")), QByteArray("data"));
        if (to != "sub")
            QVERIFY(!QFileInfo::exists(dir.filePath(to)));
    }

    void deleteAndAttributes()
    {
        QTemporaryDir dir;
        const QString p = dir.filePath("ro.jpg");
        writeFile(p, "x");
        QVERIFY(QFile::setPermissions(p, QFileDevice::ReadOwner));
        QVERIFY(FileOps::setNormalAttributes(p));
        QVERIFY(QFileInfo(p).permissions() & QFileDevice::WriteOwner);
        QVERIFY(FileOps::deleteFile(p));
        QVERIFY(!FileOps::deleteFile(p).ok);
        QVERIFY(!FileOps::setNormalAttributes(p).ok);
    }

    void joinPath()
    {
        QCOMPARE(FileOps::joinPath("/a", "b.jpg"), QString("/a/b.jpg"));
        QCOMPARE(FileOps::joinPath("/", "b.jpg"), QString("/b.jpg"));
        QCOMPARE(FileOps::joinPath("/a/", "b.jpg"), QString("/a/b.jpg"));
    }

    void mkpathCreatesParents()
    {
        QTemporaryDir dir;
        const QString deep = dir.filePath("Sort/Cats/2024/");
        QVERIFY(FileOps::makeSureDirectoryPathExists(deep));
        QVERIFY(FileOps::folderExists(deep));
        writeFile(dir.filePath("file"), "x");
        QVERIFY(!FileOps::makeSureDirectoryPathExists(dir.filePath("file/sub")));
    }
};

QTEST_GUILESS_MAIN(TestFileOps)
#include "test_file_ops.moc"
