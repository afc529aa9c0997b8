#include "app/Form1.h"
#include "app/SettingsStore.h"
#include "board/BoardWidgets.h"
#include "platform/FolderControls.h"
#include "platform/StatusBar.h"
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#ifndef Q_OS_WIN
#include <unistd.h>
#endif

static void touch(const QString& path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

static QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Closes every message box that opens, remembering its text.
class MessageCatcher : public QObject {
public:
    QStringList texts;
    MessageCatcher()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->done(QMessageBox::Ok);
            }
        });
        m_timer.start(10);
    }

private:
    QTimer m_timer;
};

class TestForm1FolderScreen : public QObject {
    Q_OBJECT

    QTemporaryDir m_app;
    QTemporaryDir m_photos;
    QString m_oldCwd;

private slots:
    void init()
    {
        QFile::remove(SettingsStore::settingsPath(m_app.path()));
        m_oldCwd = QDir::currentPath();
        QDir::setCurrent(m_photos.path());
    }
    void cleanup() { QDir::setCurrent(m_oldCwd); }

    void initTestCase()
    {
        for (const char* n : { "IMG_0001.JPG", "IMG_0002.jpg", "note.txt", "x.png" })
            touch(m_photos.filePath(n));
        QDir(m_photos.path()).mkdir("sub");
        touch(m_photos.filePath("sub/inner.jpg"));
    }

    void firstStartWithoutFile()
    {
        Module1 m;
        m.AppPath = m_app.path();
        Form1 w(m);
        QVERIFY(w.startedUp());
        QCOMPARE(w.windowTitle(), QString("ピラポくんLumo"));
        const QString cwd = QDir::toNativeSeparators(QDir(m_photos.path()).absolutePath());
        QCOMPARE(m.SourceFolder, cwd);
        QCOMPARE(w.StatusBar1->panelText(1), " " + cwd + " ");
        QCOMPARE(w.StatusBar1->panelText(2), QString("（無題）"));
        QCOMPARE(w.StatusBar1->panelText(3), QString(" 3 File "));
        QCOMPARE(m.DestPath[4], QString("/"));
        QCOMPARE(m.DestName[4], QString(""));
        QCOMPARE(int(m.ThumbSize), 64);
        QCOMPARE(int(m.ThumbCount), 10);
        QCOMPARE(int(m.SlideSeconds), 1);
        QCOMPARE(int(w.BoardEnd), 10);
        QVERIFY(!w.mnuUnd->isEnabled());
        QVERIFY(!w.ToolbarButtons[2]->isEnabled());
        QCOMPARE(w.Command1->text(), QString("実行"));
        QCOMPARE(w.Command2->text(), QString("終了"));
        QCOMPARE(w.Command1->geometry(), QRect(240, 184, 89, 33));
        QVERIFY(!w.Label2->isVisibleTo(&w));
    }

    void closeWritesTheSettingsFile()
    {
        {
            Module1 m;
            m.AppPath = m_app.path();
            Form1 w(m);
            w.show();
            QVERIFY(w.close());
        }
        const QByteArray ini = readAll(SettingsStore::settingsPath(m_app.path()));
        QCOMPARE(ini.count("\r\n"), 24);
        const QList<QByteArray> lines = ini.split('\n');
        QVERIFY(lines[23].endsWith(",0,0,0,64,10,1\r"));
        QCOMPARE(lines[1], QByteArray("\"/\"\r"));
        QCOMPARE(lines[11], QByteArray("\"/\"\r"));
    }

    void shortFileIsDeletedAndNoWindowShows()
    {
        const QString ini = SettingsStore::settingsPath(m_app.path());
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly));
        for (int i = 0; i < 23; ++i)
            f.write("\"/\"\r\n");
        f.close();
        Module1 m;
        m.AppPath = m_app.path();
        Form1 w(m);
        QVERIFY(!w.startedUp());
        QVERIFY(!QFile::exists(ini));
    }

    void rememberedFolderReopensOrFallsBack()
    {
        Module1 saved;
        SettingsStore::setDefaults(saved);
        saved.RememberFolder = 1;
        saved.SourceFolder = QDir::toNativeSeparators(m_photos.filePath("sub"));
        QString error;
        QVERIFY(SettingsStore::write(SettingsStore::settingsPath(m_app.path()), saved, &error));
        {
            Module1 m;
            m.AppPath = m_app.path();
            Form1 w(m);
            QCOMPARE(m.SourceFolder, saved.SourceFolder);
            QCOMPARE(w.File1->entries(), QStringList({ "inner.jpg" }));
        }
        saved.SourceFolder = m_photos.filePath("gone/away");
        QVERIFY(SettingsStore::write(SettingsStore::settingsPath(m_app.path()), saved, &error));
        Module1 m;
        m.AppPath = m_app.path();
        Form1 w(m);
        QVERIFY(w.startedUp());
        QCOMPARE(m.SourceFolder, QDir::toNativeSeparators(QDir(m_photos.path()).absolutePath()));
        QCOMPARE(w.StatusBar1->panelText(3), QString(" 3 File "));
    }

    void folderChangeUpdatesPanelsButNotTheFileName()
    {
        Module1 m;
        m.AppPath = m_app.path();
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
        Module1 m;
        m.AppPath = m_app.path();
        Form1 w(m);
        m.ViewerMode = 1;
        w.File1->setCurrentRow(2);
        w.File1_DblClick();
        QCOMPARE(m.ViewerFile, QString("x.png"));
        QCOMPARE(m.ViewerIndex, 2);
        QCOMPARE(int(m.ViewerMode), 0);
    }

    void blinkAlternatesWhileRunningAndHidesWhenStopped()
    {
        Module1 m;
        m.AppPath = m_app.path();
        Form1 w(m);
        w.show();
        w.setBlinkInterval(500);
        QVERIFY(w.Timer1->isActive());
        QCOMPARE(w.Timer1->interval(), 500);
        w.Timer1_Timer();
        QVERIFY(w.Label2->isVisible());
        w.Timer1_Timer();
        QVERIFY(!w.Label2->isVisible());
        w.Timer1_Timer();
        QVERIFY(w.Label2->isVisible());
        w.setBlinkInterval(0);
        QVERIFY(!w.Timer1->isActive());
        w.Timer1_Timer();
        QVERIFY(!w.Label2->isVisible());
    }

    void unwritableSettingsAreReportedAndTheWindowStillCloses()
    {
        if (geteuid() == 0)
            QSKIP("root writes into read-only folders");
        QTemporaryDir app;
        Module1 m;
        m.AppPath = app.path();
        Form1 w(m);
        w.show();
        QFile::setPermissions(app.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        MessageCatcher catcher;
        QVERIFY(w.close());
        QFile::setPermissions(app.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(catcher.texts.size(), 1);
        QVERIFY(catcher.texts[0].contains("Pirapo.ini"));
    }

    void unwritableSettingsPathIsReported()
    {
        // Works as root too: the program folder is a plain file, so nothing can be created in it.
        QTemporaryDir tmp;
        touch(tmp.filePath("notafolder"));
        Module1 m;
        m.AppPath = tmp.filePath("notafolder");
        Form1 w(m);
        w.show();
        MessageCatcher catcher;
        QVERIFY(w.close());
        QCOMPARE(catcher.texts.size(), 1);
        QVERIFY(catcher.texts[0].contains("保存できませんでした"));
    }
};

QTEST_MAIN(TestForm1FolderScreen)
#include "test_form1_folder_screen.moc"
