// SPDX-License-Identifier: MIT
// The about box and the usage window on the main window: the start button while they are
// open, the about box's link and system-information button, and the help command.

#include "ModalCatcher.h"
#include "TestFiles.h"
#include "about/Form3.h"
#include "about/frmAbout.h"
#include "app/Form1.h"
#include "app/Module1.h"
#include <QDesktopServices>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

using TestFiles::writeFile;

// Receives what QDesktopServices::openUrl would hand to the browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class TestAboutWindows : public QObject {
    Q_OBJECT

    QTemporaryDir m_app; // stands for the program's folder
    QTemporaryDir m_emptyPath; // PATH with nothing on it: no browser, no system information
    QByteArray m_path = qgetenv("PATH");
    UrlCatcher m_urls;
    Module1 m;

    static frmAbout* aboutOf(Form1& w) { return qobject_cast<frmAbout*>(w.about.data()); }
    static Form3* form3Of(Form1& w) { return qobject_cast<Form3*>(w.form3.data()); }

private slots:
    void initTestCase()
    {
        // A click on the link must never reach a real browser.
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_urls, "open");
    }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }

    void init()
    {
        qputenv("PATH", QFile::encodeName(m_emptyPath.path()));
        QDir(m_app.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_app.path()));
        m_urls.opened.clear();
        m = Module1();
        m.AppPath = m_app.path();
    }
    void cleanup() { qputenv("PATH", m_path); }

    // "実行" is off while either window is open, and back on however it closes.
    void startButton_data()
    {
        QTest::addColumn<bool>("usage");
        QTest::addColumn<QString>("how");
        QTest::newRow("about, OK") << false << "button";
        QTest::newRow("about, close box") << false << "close";
        QTest::newRow("about, Esc") << false << "esc";
        QTest::newRow("about, main window closes") << false << "main";
        QTest::newRow("usage, プログラムへ戻る") << true << "button";
        QTest::newRow("usage, close box") << true << "close";
        QTest::newRow("usage, main window closes") << true << "main";
    }
    void startButton()
    {
        QFETCH(bool, usage);
        QFETCH(QString, how);
        Form1 w(m);
        w.show();
        QVERIFY(w.Command1->isEnabled());
        usage ? w.ShowUsageWindow() : w.mnuHelp2->trigger();
        QWidget* window = usage ? static_cast<QWidget*>(form3Of(w)) : aboutOf(w);
        QVERIFY(window && window->isVisible() && !window->isModal());
        QVERIFY(!w.Command1->isEnabled());
        if (how == QLatin1String("button"))
            (usage ? form3Of(w)->Command1 : aboutOf(w)->cmdOK)->click();
        else if (how == QLatin1String("close"))
            window->close();
        else if (how == QLatin1String("esc"))
            QTest::keyClick(window, Qt::Key_Escape);
        else
            w.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(w.about.isNull() && w.form3.isNull());
        QVERIFY(w.Command1->isEnabled());
    }

    void openWindowComesToFront()
    {
        Form1 w(m);
        w.show();
        w.mnuHelp2_Click();
        w.ShowUsageWindow();
        frmAbout* box = aboutOf(w);
        Form3* usage = form3Of(w);
        box->hide(); // as if minimised out of sight
        w.mnuHelp2_Click();
        w.ShowUsageWindow();
        QCOMPARE(aboutOf(w), box);
        QCOMPARE(form3Of(w), usage);
        QVERIFY(box->isVisible());
        QCOMPARE(w.findChildren<frmAbout*>().size(), 1);
        QCOMPARE(w.findChildren<Form3*>().size(), 1);
    }

    // Where the mouse moves, in order: Link, Form, Description.
    void link_data()
    {
        QTest::addColumn<QString>("moves");
        QTest::addColumn<QColor>("expected");
        const QColor blue(0, 0, 255), purple(128, 0, 128);
        QTest::newRow("opened") << "" << blue;
        QTest::newRow("over the link") << "L" << purple;
        QTest::newRow("link, then the form") << "LF" << blue;
        QTest::newRow("link, then the description") << "LD" << blue;
        QTest::newRow("back over the link") << "LFL" << purple;
    }
    void link()
    {
        QFETCH(QString, moves);
        QFETCH(QColor, expected);
        Form1 w(m);
        w.mnuHelp2_Click();
        frmAbout* box = aboutOf(w);
        QVERIFY(QTest::qWaitForWindowExposed(box));
        QCOMPARE(box->windowTitle(), QStringLiteral("ピラポくんLumoのﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(box->lblVersion->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ " LUMO_VERSION));
        const QPoint onLink(5, box->Label1->height() / 2);
        for (const QChar c : moves) {
            if (c == u'L')
                QTest::mouseMove(box->Label1, onLink);
            else if (c == u'D')
                QTest::mouseMove(box->lblDescription, QPoint(5, 5));
            else
                QTest::mouseMove(box, QPoint(box->width() / 2, box->height() - 3)); // under the buttons
        }
        QCOMPARE(box->Label1->palette().color(QPalette::WindowText), expected);
        QCOMPARE(box->Label1->font().pointSizeF(), 10.0);
        // A left click opens the homepage; a right click does nothing.
        QTest::mouseClick(box->Label1, Qt::RightButton, {}, onLink);
        QTest::mouseClick(box->Label1, Qt::LeftButton, {}, onLink);
        QCOMPARE(m_urls.opened, QList<QUrl> { QUrl(box->Label1->text()) });
        QCOMPARE(m_urls.opened[0].scheme(), QStringLiteral("https"));
        QVERIFY(box->isVisible());
    }

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
        const QString program = bin.filePath(QStringLiteral("hardinfo"));
        if (!script.isEmpty()) {
            writeFile(program, script);
            QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
            qputenv("PATH", QFile::encodeName(bin.path()));
        }
        Form1 w(m);
        w.mnuHelp2_Click();
        ModalCatcher catcher;
        aboutOf(w)->cmdSysInfo->click();
        const bool runs = script.contains("echo");
        if (runs)
            QTRY_VERIFY(QFile::exists(program + QStringLiteral(".ran")));
        QCOMPARE(catcher.texts(), runs ? QStringList() : QStringList { QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません") });
        QVERIFY(runs || catcher.seen[0].title == QStringLiteral("ピラポくんLumo"));
        QVERIFY(aboutOf(w)->isVisible());
    }

    // Without help/help.htm the usage window shows Readme.txt instead.
    void help_data()
    {
        QTest::addColumn<QString>("helpEntry"); // what stands at help/help.htm
        QTest::addColumn<QByteArray>("readme"); // empty: none
        QTest::addColumn<QString>("shown"); // empty: no usage window
        QTest::newRow("no help folder") << "" << QByteArray("使い方\r\nline 2\r\n") << "使い方\nline 2\n";
        QTest::newRow("help folder without the page, no readme") << "folder" << QByteArray()
                                                                 << "Readme.txtが見つかりません。";
        QTest::newRow("page present") << "file" << QByteArray("x\r\n") << "";
        QTest::newRow("a folder named help.htm") << "folder/help.htm" << QByteArray("x\r\n") << "";
    }
    void help()
    {
        QFETCH(QString, helpEntry);
        QFETCH(QByteArray, readme);
        QFETCH(QString, shown);
        const QDir app(m_app.path());
        if (!readme.isEmpty())
            writeFile(app.filePath(QStringLiteral("Readme.txt")), readme);
        if (!helpEntry.isEmpty())
            QVERIFY(app.mkdir(QStringLiteral("help")));
        if (helpEntry == QLatin1String("file"))
            writeFile(app.filePath(QStringLiteral("help/help.htm")), "<html></html>\n");
        else if (helpEntry.endsWith(QLatin1String("help.htm")))
            QVERIFY(app.mkdir(QStringLiteral("help/help.htm")));
        Form1 w(m);
        w.show();
        ModalCatcher catcher;
        w.mnuHelp3->trigger(); // PATH is empty: with the page there, no program opens it, silently
        QCOMPARE(!w.form3.isNull(), !shown.isEmpty());
        QCOMPARE(w.Command1->isEnabled(), shown.isEmpty());
        if (!shown.isEmpty())
            QCOMPARE(form3Of(w)->Text1->toPlainText(), shown);
        QVERIFY(catcher.seen.isEmpty());
    }
};

QTEST_MAIN(TestAboutWindows)
#include "test_about_windows.moc"
