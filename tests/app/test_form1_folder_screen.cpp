#include "ModalCatcher.h"
#include "TestFiles.h"
#include "app/Form1.h"
#include "app/SettingsStore.h"
#include "board/BoardWidgets.h"
#include "platform/FolderControls.h"
#include "platform/StatusBar.h"
#include <QAction>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestFiles;

class TestForm1FolderScreen : public QObject {
    Q_OBJECT

    QTemporaryDir m_app;
    QTemporaryDir m_photos;
    QString m_oldCwd = QDir::currentPath();
    Module1 m;

    QString ini() const { return SettingsStore::settingsPath(m_app.path()); }
    QString cwd() const { return QDir::toNativeSeparators(QDir(m_photos.path()).absolutePath()); }

private slots:
    void initTestCase()
    {
        for (const char* n : { "IMG_0001.JPG", "IMG_0002.jpg", "note.txt", "x.png" })
            touch(m_photos.filePath(n));
        QVERIFY(QDir(m_photos.path()).mkdir("sub"));
        touch(m_photos.filePath("sub/inner.jpg"));
    }
    void init()
    {
        QFile::remove(ini());
        QDir::setCurrent(m_photos.path());
        m = Module1();
        m.AppPath = m_app.path();
    }
    void cleanup() { QDir::setCurrent(m_oldCwd); }

    // Without a settings file: the defaults, the working folder, and a file written on closing.
    void firstStart()
    {
        {
            Form1 w(m);
            QVERIFY(w.startedUp());
            QCOMPARE(m.SourceFolder, cwd());
            QCOMPARE(w.StatusBar1->panelText(1), " " + cwd() + " ");
            QCOMPARE(w.StatusBar1->panelText(2), QString("（無題）"));
            QCOMPARE(w.StatusBar1->panelText(3), QString(" 3 File "));
            QCOMPARE(m.DestPath[4], QString("/"));
            QCOMPARE(int(w.BoardEnd), 10);
            QVERIFY(!w.mnuUnd->isEnabled());
            QVERIFY(!w.Label2->isVisibleTo(&w));
            w.show();
            QVERIFY(w.close());
        }
        const QByteArray written = readFile(ini());
        QCOMPARE(written.count("\r\n"), 24);
        QVERIFY(written.endsWith(",0,0,0,64,10,1\r\n"));
    }

    void shortFileIsDeletedAndNoWindowShows()
    {
        writeFile(ini(), QByteArray("\"/\"\r\n").repeated(23));
        Form1 w(m);
        QVERIFY(!w.startedUp());
        QVERIFY(!QFile::exists(ini()));
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

    void folderChangeKeepsTheFileName()
    {
        Form1 w(m);
        w.File1->setCurrentRow(1);
        w.File1_Click();
        QCOMPARE(w.StatusBar1->panelText(2), QString(" IMG_0002.jpg "));
        QVERIFY(w.Dir1->setPath(m_photos.filePath("sub")));
        QCOMPARE(m.SourceFolder, QDir::toNativeSeparators(m_photos.filePath("sub")));
        QCOMPARE(w.StatusBar1->panelText(1), " " + m.SourceFolder + " ");
        QCOMPARE(w.StatusBar1->panelText(3), QString(" 1 File "));
        QCOMPARE(w.StatusBar1->panelText(2), QString(" IMG_0002.jpg "));
    }

    void doubleClickSetsTheViewerPosition()
    {
        Form1 w(m);
        m.ViewerMode = 1;
        w.File1->setCurrentRow(2);
        w.File1_DblClick();
        QCOMPARE(m.ViewerFile, QString("x.png"));
        QCOMPARE(m.ViewerIndex, 2);
        QCOMPARE(int(m.ViewerMode), 0);
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

QTEST_MAIN(TestForm1FolderScreen)
#include "test_form1_folder_screen.moc"
