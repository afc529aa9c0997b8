// The about box, and the usage window with Readme.txt behind it.
#include "Controls.h"
#include "ModalCatcher.h"
#include "TestFiles.h"
#include "about/AboutDialog.h"
#include "about/UsageWindow.h"
#include <QPlainTextEdit>
#include <QPushButton>

using TestFiles::writeFile;

class TestAbout : public QObject {
    Q_OBJECT
    QTemporaryDir m_app; // stands for the program's folder

private slots:
    // Readme.txt as UTF-8 when the bytes are valid UTF-8, else as code page 932, in a fixed-pitch font.
    void readme_data()
    {
        QTest::addColumn<QByteArray>("readme"); // null: none
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* name, const QByteArray& readme, const char* shown = "ピラポくんの使い方\n") {
            QTest::newRow(name) << readme << QString(shown);
        };
        row("utf-8 with byte-order mark", "\xEF\xBB\xBFピラポくんの使い方");
        row("mixed line ends", "a\r\nb\n\nc\rd", "a\nb\n\nc\nd\n");
        // The second byte of 表 is 0x5C, the backslash: it must not be read as one.
        row("shift-jis, trail byte 0x5C", "\x95\x5C\x8E\xA6\n", "表示\n");
        row("shift-jis, windows-only signs", "\x87\x40\x81\x60", "\u2460\uFF5E\n");
        row("none", QByteArray(), "Readme.txtが見つかりません。");
    }
    void readme()
    {
        QFETCH(QByteArray, readme);
        QFile::remove(m_app.filePath("Readme.txt"));
        if (!readme.isNull())
            writeFile(m_app.filePath("Readme.txt"), readme);
        const UsageWindow usage(m_app.path(), nullptr);
        QTEST(control<QPlainTextEdit>(&usage, "textView")->toPlainText(), "shown");
        const QFontMetrics fm(control<QPlainTextEdit>(&usage, "textView")->font()); // fixed pitch: tables line up
        QCOMPARE(fm.horizontalAdvance(QStringLiteral("iiii")), fm.horizontalAdvance(QStringLiteral("WWWW")));
        QCOMPARE(fm.horizontalAdvance(QStringLiteral("表示")), fm.horizontalAdvance(QStringLiteral("iiii")));
    }

    // With no system-information program, the button shows the system's facts, copyable, never a refusal.
    void systemFacts()
    {
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "/nonexistent");
        const auto restore = qScopeGuard([&] { qputenv("PATH", path); });
        AboutDialog about(nullptr);
        ModalCatcher catcher;
        control<QPushButton>(&about, "sysInfoButton")->click();
        QVERIFY(catcher.texts().isEmpty());
        QPlainTextEdit* const view = control<QPlainTextEdit>(&about, "systemFactsView");
        QVERIFY(view->isReadOnly());
        const QString facts = view->toPlainText();
        for (const QString& fact : { QSysInfo::kernelVersion(), QSysInfo::currentCpuArchitecture(),
                 QString::fromLatin1(qVersion()), QStringLiteral("倍率") })
            QVERIFY2(facts.contains(fact), qPrintable(fact));
        QVERIFY(view->textInteractionFlags() & Qt::TextSelectableByMouse);
    }
};

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
