// SPDX-License-Identifier: MIT
// The about box, and the usage window with Readme.txt behind it.

#include "ModalCatcher.h"
#include "TestFiles.h"
#include "about/Form3.h"
#include "about/frmAbout.h"
#include "app/FolderPage.h"
#include "app/Form1.h"
#include "sorting/Sorter.h"
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using TestFiles::writeFile;

class TestAbout : public QObject {
    Q_OBJECT

    QTemporaryDir m_app; // stands for the program's folder
    QTemporaryDir m_emptyPath; // PATH with nothing on it: no browser, no system information
    QByteArray m_path = qgetenv("PATH");
    Settings settings;
    Session session { m_app.path() };
    PictureFolder folder;
    Sorter sorter { settings, session };

    static frmAbout* aboutOf(Form1& w) { return qobject_cast<frmAbout*>(w.about.data()); }
    static Form3* form3Of(Form1& w) { return qobject_cast<Form3*>(w.form3.data()); }

private slots:
    void init()
    {
        qputenv("PATH", QFile::encodeName(m_emptyPath.path()));
        QDir(m_app.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_app.path()));
        settings = Settings();
        session = Session(m_app.path());
    }
    void cleanup() { qputenv("PATH", m_path); }

    // Without a help page the help command shows Readme.txt in the usage window: UTF-8
    // when the bytes are valid UTF-8, else code page 932.
    void help_data()
    {
        QTest::addColumn<QString>("helpEntry"); // the folder made
        QTest::addColumn<QByteArray>("readme"); // null: none
        QTest::addColumn<QString>("shown"); // empty: no usage window
        const QByteArray sjis("\x83\x73\x83\x89\x83\x7C\x82\xAD\x82\xF1\x82\xCC\x8E\x67\x82\xA2\x95\xFB\r\n");
        const QString usage = "ピラポくんの使い方\n";
        QTest::newRow("utf-8 with byte-order mark") << "" << QByteArray("\xEF\xBB\xBFピラポくんの使い方") << usage;
        QTest::newRow("mixed line ends") << "" << QByteArray("a\r\nb\n\nc\rd") << "a\nb\n\nc\nd\n";
        QTest::newRow("shift-jis") << "" << sjis << usage;
        // The second byte of 表 is 0x5C, the backslash: it must not be read as one.
        QTest::newRow("shift-jis, trail byte 0x5C") << "" << QByteArray("\x95\x5C\x8E\xA6\n") << "表示\n";
        QTest::newRow("shift-jis, windows-only signs") << "" << QByteArray("\x87\x40\x81\x60") << "\u2460\uFF5E\n";
        QTest::newRow("help folder without the page, no readme")
            << "help" << QByteArray() << "Readme.txtが見つかりません。";
    }
    void help()
    {
        QFETCH(QString, helpEntry);
        QFETCH(QByteArray, readme);
        QFETCH(QString, shown);
        const QDir app(m_app.path());
        if (!readme.isNull())
            writeFile(app.filePath("Readme.txt"), readme);
        QVERIFY(helpEntry.isEmpty() || app.mkpath(helpEntry));
        Form1 w(settings, session, folder, sorter);
        w.show();
        ModalCatcher catcher;
        w.helpAction->trigger();
        QCOMPARE(!w.form3.isNull(), !shown.isEmpty());
        QCOMPARE(w.folderPage().startButton()->isEnabled(), shown.isEmpty());
        if (!shown.isEmpty())
            QCOMPARE(form3Of(w)->Text1->toPlainText(), shown);
        QVERIFY(catcher.seen.isEmpty());
    }

    // A program that is missing or cannot start is reported, never silently ignored.
    void sysInfo_data()
    {
        QTest::addColumn<QByteArray>("script"); // empty: no program on PATH
        QTest::newRow("none") << QByteArray();
        QTest::newRow("runs") << QByteArray("#!/bin/sh\necho ran > \"$0.ran\"\n");
        QTest::newRow("cannot be started") << QByteArray("#!/nonexistent/interpreter\n");
    }
    void sysInfo()
    {
        QFETCH(QByteArray, script);
        QTemporaryDir bin;
        const QString program = bin.filePath("hardinfo");
        if (!script.isEmpty()) {
            writeFile(program, script);
            QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
            qputenv("PATH", QFile::encodeName(bin.path()));
        }
        Form1 w(settings, session, folder, sorter);
        w.mnuHelp2_Click();
        ModalCatcher catcher;
        aboutOf(w)->cmdSysInfo->click();
        const bool runs = script.contains("echo");
        if (runs)
            QTRY_VERIFY(QFile::exists(program + ".ran"));
        QCOMPARE(catcher.texts(), runs ? QStringList() : QStringList { "現時点ではｼｽﾃﾑ情報を使用できません" });
        QVERIFY(aboutOf(w)->isVisible());
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
