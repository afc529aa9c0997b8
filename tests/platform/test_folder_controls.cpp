#include "platform/FolderControls.h"
#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

static void touch(const QString& path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

class TestFolderControls : public QObject {
    Q_OBJECT
private slots:
    void fileListMatchesPatternsCaseInsensitively()
    {
        QTemporaryDir dir;
        for (const char* n : { "b.JPG", "a.jpg", "C.png", "d.Gif", "e.bmp", "f.txt", ".hidden.jpg", "g.jpeg", "A.jpg" })
            touch(dir.filePath(n));
        QVERIFY(QDir(dir.path()).mkdir("folder.jpg"));
        const QStringList names = FileList::listFolder(dir.path(), "*.jpg;*.bmp;*.gif;*.png");
        QCOMPARE(names, QStringList({ "A.jpg", "a.jpg", "b.JPG", "C.png", "d.Gif", "e.bmp" }));
    }

    void fileListEntriesAndRefresh()
    {
        QTemporaryDir dir;
        touch(dir.filePath("1.jpg"));
        FileList list;
        list.setPattern("*.jpg");
        list.setPath(dir.path());
        QCOMPARE(list.entryCount(), 1);
        QCOMPARE(list.entry(0), QString("1.jpg"));
        QCOMPARE(list.entry(1), QString());
        QCOMPARE(list.entry(-1), QString());
        touch(dir.filePath("0.jpg"));
        QCOMPARE(list.entryCount(), 1); // stale until refreshed
        list.refresh();
        QCOMPARE(list.entries(), QStringList({ "0.jpg", "1.jpg" }));
    }

    void dirListShowsAncestorsThenSubfolders()
    {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("b");
        QDir(dir.path()).mkpath("A");
        QDir(dir.path()).mkpath(".hidden");
        DirList list;
        QSignalSpy changed(&list, &DirList::changed);
        QVERIFY(list.setPath(dir.path()));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(list.path(), QDir::toNativeSeparators(QDir(dir.path()).absolutePath()));
        const int depth = QDir(dir.path()).absolutePath().count(u'/') + 1;
        QCOMPARE(list.count(), depth + 2);
        QVERIFY(list.item(list.count() - 2)->text().trimmed() == "A");
        QVERIFY(list.item(list.count() - 1)->text().trimmed() == "b");
    }

    void dirListRefusesMissingFolder()
    {
        QTemporaryDir dir;
        DirList list;
        QVERIFY(list.setPath(dir.path()));
        QSignalSpy changed(&list, &DirList::changed);
        QString error;
        QVERIFY(!list.setPath(dir.filePath("gone"), &error));
        QVERIFY(error.contains("gone"));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(list.path(), QDir::toNativeSeparators(QDir(dir.path()).absolutePath()));
    }

    void dirListRemembersFolderPerDrive()
    {
        QTemporaryDir dir;
        DirList list;
        QVERIFY(list.setPath(dir.path()));
        QCOMPARE(list.lastFolderOn(DriveList::driveOf(dir.path())), list.path());
    }

    void driveListStartsWithRoot()
    {
        DriveList drives;
        QVERIFY(drives.count() >= 1);
        QCOMPARE(drives.itemData(0).toString(), QString("/"));
    }
};

QTEST_MAIN(TestFolderControls)
#include "test_folder_controls.moc"
