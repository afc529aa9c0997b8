// SPDX-License-Identifier: MIT
// Readme.txt as the usage window reads it: encodings, line ends, and a file that is not there.

#include "TestFiles.h"
#include "about/ReadmeText.h"
#include <QTemporaryDir>
#include <QtTest>

class TestReadmeText : public QObject {
    Q_OBJECT

private slots:
    void load_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // "<folder>": a folder of that name
        QTest::addColumn<QString>("expected");
        const QString usage = QStringLiteral("ピラポくんの使い方");
        QTest::newRow("utf-8, CR LF") << QByteArray("ピラポくんの使い方\r\n2行目\r\n") << usage + QStringLiteral("\r\n2行目\r\n");
        QTest::newRow("utf-8 with byte-order mark") << QByteArray("\xEF\xBB\xBFピラポくんの使い方\n") << usage + "\r\n";
        QTest::newRow("mixed line ends, blank lines, no last end") << QByteArray("a\r\nb\n\nc\rd")
                                                                   << QStringLiteral("a\r\nb\r\n\r\nc\r\nd\r\n");
        QTest::newRow("empty file") << QByteArray("") << QString();
        // Written by a Japanese Windows editor: code page 932.
        QTest::newRow("shift-jis") << QByteArray("\x83\x73\x83\x89\x83\x7C\x82\xAD\x82\xF1\x82\xCC\x8E\x67\x82\xA2"
                                                 "\x95\xFB\r\n")
                                   << usage + "\r\n";
        QTest::newRow("shift-jis, half-width katakana, LF") << QByteArray("\xBC\xBD\xC3\xD1\x8F\xEE\x95\xF1\n")
                                                            << QStringLiteral("ｼｽﾃﾑ情報\r\n");
        // The second byte of 表 is 0x5C, the backslash: it must not be read as one.
        QTest::newRow("shift-jis, trail byte 0x5C") << QByteArray("\x95\x5C\x8E\xA6\n") << QStringLiteral("表示\r\n");
        QTest::newRow("shift-jis, windows-only signs") << QByteArray("\x87\x40\x81\x60\r\n")
                                                       << QStringLiteral("\u2460\uFF5E\r\n");
        const QString missing = QStringLiteral("Readme.txtが見つかりません。");
        QTest::newRow("missing") << QByteArray() << missing;
        QTest::newRow("a folder of that name") << QByteArray("<folder>") << missing;
    }
    void load()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Readme.txt"));
        if (bytes == "<folder>")
            QVERIFY(QDir().mkdir(path));
        else if (!bytes.isNull())
            TestFiles::writeFile(path, bytes);
        QCOMPARE(ReadmeText::load(dir.path()), expected);
    }
};

QTEST_GUILESS_MAIN(TestReadmeText)
#include "test_readme_text.moc"
