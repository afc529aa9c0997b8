#include "TestFiles.h"
#include "platform/FolderControls.h"
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using TestFiles::touch;

class TestFolderControls : public QObject {
    Q_OBJECT
private slots:
    void fileList()
    {
        QTemporaryDir dir;
        for (const char* n : { "b.JPG", "a.jpg", "C.png", "d.Gif", "e.bmp", "f.txt", ".hidden.jpg", "g.jpeg", "A.jpg" })
            touch(dir.filePath(n));
        QVERIFY(QDir(dir.path()).mkdir("folder.jpg"));
        QCOMPARE(FileList::listFolder(dir.path(), "*.jpg;*.bmp;*.gif;*.png"),
                 QStringList({ "A.jpg", "a.jpg", "b.JPG", "C.png", "d.Gif", "e.bmp" }));

        FileList list;
        list.setPattern("*.jpg");
        list.setPath(dir.path());
        QCOMPARE(list.entryCount(), 3);
        QCOMPARE(list.entry(2), QString("b.JPG"));
        QCOMPARE(list.entry(3), QString());
        QCOMPARE(list.entry(-1), QString());
        touch(dir.filePath("0.jpg"));
        QCOMPARE(list.entryCount(), 3); // as read until refreshed
        list.refresh();
        QCOMPARE(list.entries(), QStringList({ "0.jpg", "A.jpg", "a.jpg", "b.JPG" }));
    }

    void dirList()
    {
        QTemporaryDir dir;
        for (const char* sub : { "b", "A", ".hidden" })
            QVERIFY(QDir(dir.path()).mkdir(sub));
        DirList list;
        QSignalSpy changed(&list, &DirList::changed);
        QVERIFY(list.setPath(dir.path()));
        QCOMPARE(changed.count(), 1);
        const QString native = QDir::toNativeSeparators(QDir(dir.path()).absolutePath());
        QCOMPARE(list.path(), native);
        // The ancestors, the folder itself, then its visible sub-folders.
        QCOMPARE(list.count(), int(QDir(dir.path()).absolutePath().count(u'/')) + 3);
        QCOMPARE(list.item(list.count() - 2)->text().trimmed(), QString("A"));
        QCOMPARE(list.item(list.count() - 1)->text().trimmed(), QString("b"));

        QString error;
        QVERIFY(!list.setPath(dir.filePath("gone"), &error));
        QVERIFY(error.contains("gone"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(list.path(), native);
    }
};

QTEST_MAIN(TestFolderControls)
#include "test_folder_controls.moc"
