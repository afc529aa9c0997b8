// SPDX-License-Identifier: MIT
// The about box and the usage window on the main window: the start button while they are
// open, the about box's texts and link, its system-information button, and the help command.

#include "about/Form3.h"
#include "about/ReadmeText.h"
#include "about/frmAbout.h"
#include "app/Form1.h"
#include "app/Module1.h"
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

namespace {

// Closes every message box that opens, remembering its title and text.
class MessageCatcher : public QObject {
public:
    QStringList texts;
    QStringList titles;
    MessageCatcher()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                titles << box->windowTitle();
                box->done(QMessageBox::Ok);
            }
        });
        m_timer.start(10);
    }

private:
    QTimer m_timer;
};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

} // namespace

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
    QByteArray m_path;
    UrlCatcher m_urls;

    Module1 module()
    {
        Module1 m;
        m.AppPath = m_app.path();
        return m;
    }

    static frmAbout* aboutOf(Form1& w) { return qobject_cast<frmAbout*>(w.about.data()); }
    static Form3* form3Of(Form1& w) { return qobject_cast<Form3*>(w.form3.data()); }

private slots:
    void initTestCase()
    {
        m_path = qgetenv("PATH");
        // A click on the link must never reach a real browser.
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &m_urls, "open");
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &m_urls, "open");
    }

    void cleanupTestCase()
    {
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    }

    void init()
    {
        qputenv("PATH", QFile::encodeName(m_emptyPath.path()));
        QDir(m_app.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_app.path()));
        m_urls.opened.clear();
    }

    void cleanup() { qputenv("PATH", m_path); }

    // ---- the start button around both windows

    void startButtonAroundAbout_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("OK") << "ok";
        QTest::newRow("close box") << "close";
        QTest::newRow("Esc") << "esc";
        QTest::newRow("main window closes") << "main";
    }

    void startButtonAroundAbout()
    {
        QFETCH(QString, how);
        Module1 m = module();
        Form1 w(m);
        w.show();
        QVERIFY(w.Command1->isEnabled());

        w.mnuHelp2->trigger();
        frmAbout* box = aboutOf(w);
        QVERIFY(box);
        QVERIFY(box->isVisible());
        QVERIFY(!box->isModal());
        QVERIFY(!w.Command1->isEnabled());

        if (how == QLatin1String("ok"))
            box->cmdOK->click();
        else if (how == QLatin1String("close"))
            box->close();
        else if (how == QLatin1String("esc"))
            QTest::keyClick(box, Qt::Key_Escape);
        else
            w.close();
        flushDeletes();
        QVERIFY(w.about.isNull());
        QVERIFY(w.Command1->isEnabled());
    }

    void startButtonAroundUsageWindow_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("プログラムへ戻る") << "button";
        QTest::newRow("close box") << "close";
        QTest::newRow("main window closes") << "main";
    }

    void startButtonAroundUsageWindow()
    {
        QFETCH(QString, how);
        Module1 m = module();
        Form1 w(m);
        w.show();

        w.ShowUsageWindow();
        Form3* usage = form3Of(w);
        QVERIFY(usage);
        QVERIFY(usage->isVisible());
        QVERIFY(!usage->isModal());
        QVERIFY(!w.Command1->isEnabled());

        if (how == QLatin1String("button"))
            usage->Command1->click();
        else if (how == QLatin1String("close"))
            usage->close();
        else
            w.close();
        flushDeletes();
        QVERIFY(w.form3.isNull());
        QVERIFY(w.Command1->isEnabled());
    }

    void openWindowComesToFront()
    {
        Module1 m = module();
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
        QVERIFY(!w.Command1->isEnabled());
    }

    // ---- the about box

    void aboutTexts()
    {
        Module1 m = module();
        Form1 w(m);
        w.mnuHelp2_Click();
        frmAbout* box = aboutOf(w);
        QCOMPARE(box->windowTitle(), QStringLiteral("ピラポくんLumoのﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(box->lblTitle->text(), QStringLiteral("ピラポくんLumo"));
        QCOMPARE(box->lblVersion->text(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ ") + QStringLiteral(LUMO_VERSION));
        QCOMPARE(box->lblDescription->text(),
                 QStringLiteral("プロカメラマンがネガやポジを選別するような感覚で画像を振り分けます。"));
        QCOMPARE(box->cmdOK->text(), QStringLiteral("OK"));
        QCOMPARE(box->cmdSysInfo->text(), QStringLiteral("ｼｽﾃﾑ情報(&S)..."));
        const QUrl home(box->Label1->text());
        QVERIFY(home.isValid());
        QCOMPARE(home.scheme(), QStringLiteral("https"));
    }

    void linkColours_data()
    {
        // Where the mouse moves, in order: link, form, description.
        QTest::addColumn<QString>("moves");
        QTest::addColumn<QColor>("expected");
        const QColor blue(0, 0, 255), purple(128, 0, 128);
        QTest::newRow("opened") << "" << blue;
        QTest::newRow("over the link") << "L" << purple;
        QTest::newRow("link, then the form") << "LF" << blue;
        QTest::newRow("link, then the description") << "LD" << blue;
        QTest::newRow("form, then the link") << "FL" << purple;
        QTest::newRow("back over the link") << "LFL" << purple;
    }

    void linkColours()
    {
        QFETCH(QString, moves);
        QFETCH(QColor, expected);
        Module1 m = module();
        Form1 w(m);
        w.mnuHelp2_Click();
        frmAbout* box = aboutOf(w);
        QVERIFY(QTest::qWaitForWindowExposed(box));

        const QPoint formSpot(box->width() / 2, box->height() - 3); // the margin under the buttons
        for (const QChar c : moves) {
            if (c == QLatin1Char('L'))
                QTest::mouseMove(box->Label1, QPoint(5, box->Label1->height() / 2));
            else if (c == QLatin1Char('D'))
                QTest::mouseMove(box->lblDescription, QPoint(5, 5));
            else
                QTest::mouseMove(box, formSpot);
        }
        QCOMPARE(box->Label1->palette().color(QPalette::WindowText), expected);
        QCOMPARE(box->Label1->font().pointSizeF(), 10.0);
    }

    void linkOpensHomepage()
    {
        Module1 m = module();
        Form1 w(m);
        w.mnuHelp2_Click();
        frmAbout* box = aboutOf(w);
        QVERIFY(QTest::qWaitForWindowExposed(box));
        QTest::mouseClick(box->Label1, Qt::LeftButton, {}, QPoint(5, box->Label1->height() / 2));
        QCOMPARE(m_urls.opened, QList<QUrl> { QUrl(box->Label1->text()) });
        QTest::mouseClick(box->Label1, Qt::RightButton, {}, QPoint(5, box->Label1->height() / 2));
        QCOMPARE(m_urls.opened.size(), 1);
        QVERIFY(box->isVisible());
    }

    void sysInfoMissing()
    {
        Module1 m = module();
        Form1 w(m);
        w.mnuHelp2_Click();
        frmAbout* box = aboutOf(w);
        MessageCatcher catcher;
        box->cmdSysInfo->click();
        QCOMPARE(catcher.texts, QStringList { QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません") });
        QCOMPARE(catcher.titles, QStringList { QStringLiteral("ピラポくんLumo") });
        QVERIFY(box->isVisible());
    }

    void sysInfoStarts_data()
    {
        QTest::addColumn<QByteArray>("script");
        QTest::addColumn<bool>("starts");
        QTest::newRow("runs") << QByteArray("#!/bin/sh\necho ran > \"$0.ran\"\n") << true;
        QTest::newRow("cannot be started") << QByteArray("#!/nonexistent/interpreter\n") << false;
    }

    void sysInfoStarts()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows names the program in the registry");
#else
        QFETCH(QByteArray, script);
        QFETCH(bool, starts);
        QTemporaryDir bin;
        const QString program = bin.filePath(QStringLiteral("hardinfo"));
        writeFile(program, script);
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        qputenv("PATH", QFile::encodeName(bin.path()));

        Module1 m = module();
        Form1 w(m);
        w.mnuHelp2_Click();
        MessageCatcher catcher;
        aboutOf(w)->cmdSysInfo->click();
        if (starts) {
            QVERIFY(catcher.texts.isEmpty());
            QTRY_VERIFY(QFile::exists(program + QStringLiteral(".ran")));
        } else {
            QCOMPARE(catcher.texts, QStringList { QStringLiteral("現時点ではｼｽﾃﾑ情報を使用できません") });
        }
#endif
    }

    // ---- the usage window

    void usageWindowLayout()
    {
        Module1 m = module();
        Form1 w(m);
        if (w.tpp().x != 15.0 || w.tpp().y != 15.0)
            QSKIP("the pixel sizes below are for 15 twips per pixel");
        w.ShowUsageWindow();
        Form3* usage = form3Of(w);
        QCOMPARE(usage->windowTitle(), QStringLiteral("ピラポくんの使い方"));
        QCOMPARE(usage->size(), QSize(538, 468)); // 8070 x 7020
        QCOMPARE(usage->Text1->geometry(), QRect(0, 0, 537, 433)); // 0, 0, 8055, 6495
        QCOMPARE(usage->Command1->geometry(), QRect(408, 440, 129, 25)); // 6120, 6600, 1935, 375
        QCOMPARE(usage->Command1->text(), QStringLiteral("プログラムへ戻る"));
        QVERIFY(usage->Text1->isReadOnly());
        QCOMPARE(usage->Text1->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(usage->Text1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(usage->Text1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    }

    void usageWindowText_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // empty: no Readme.txt at all
        QTest::addColumn<QString>("shown");
        QTest::newRow("utf-8") << QByteArray("使い方\r\nline 2\r\n") << QStringLiteral("使い方\nline 2\n");
        QTest::newRow("shift-jis, LF only") << QByteArray("\xBC\xBD\xC3\xD1\nline 2")
                                            << QStringLiteral("ｼｽﾃﾑ\nline 2\n");
        QTest::newRow("missing") << QByteArray() << QStringLiteral("Readme.txtが見つかりません。");
    }

    void usageWindowText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        if (!bytes.isEmpty())
            writeFile(QDir(m_app.path()).filePath(QStringLiteral("Readme.txt")), bytes);
        Module1 m = module();
        Form1 w(m);
        w.ShowUsageWindow();
        QCOMPARE(form3Of(w)->Text1->toPlainText(), shown);
    }

    // ---- the help command

    void helpFallsBackToUsageWindow_data()
    {
        QTest::addColumn<QString>("helpEntry"); // what stands at help/help.htm
        QTest::addColumn<bool>("usageWindow");
        QTest::newRow("no help folder") << "" << true;
        QTest::newRow("help folder without the page") << "emptyfolder" << true;
        QTest::newRow("page present") << "file" << false;
        QTest::newRow("a folder named help.htm") << "folder" << false;
    }

    void helpFallsBackToUsageWindow()
    {
        QFETCH(QString, helpEntry);
        QFETCH(bool, usageWindow);
        const QDir app(m_app.path());
        writeFile(app.filePath(QStringLiteral("Readme.txt")), "readme\r\n");
        if (!helpEntry.isEmpty())
            QVERIFY(app.mkdir(QStringLiteral("help")));
        if (helpEntry == QLatin1String("file"))
            writeFile(app.filePath(QStringLiteral("help/help.htm")), "<html></html>\n");
        else if (helpEntry == QLatin1String("folder"))
            QVERIFY(app.mkdir(QStringLiteral("help/help.htm")));

        Module1 m = module();
        Form1 w(m);
        w.show();
        MessageCatcher catcher;
        w.mnuHelp3->trigger(); // PATH is empty: with the page there, no program opens it, silently
        QCOMPARE(!w.form3.isNull(), usageWindow);
        QCOMPARE(w.Command1->isEnabled(), !usageWindow);
        if (usageWindow) {
            QVERIFY(form3Of(w)->isVisible());
            QCOMPARE(form3Of(w)->Text1->toPlainText(), QStringLiteral("readme\n"));
        }
        QVERIFY(catcher.texts.isEmpty());
    }
};

QTEST_MAIN(TestAboutWindows)
#include "test_about_windows.moc"
