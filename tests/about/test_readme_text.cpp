// SPDX-License-Identifier: MIT
// Readme.txt as the usage window reads it: encodings, line ends, and a file that is not there.

#include "about/ReadmeText.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestReadmeText : public QObject {
    Q_OBJECT

private slots:
    void load_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");

        const QString usage = QStringLiteral("ピラポくんの使い方");
        QTest::newRow("utf-8, CR LF") << QByteArray("ピラポくんの使い方\r\n2行目\r\n")
                                      << usage + QStringLiteral("\r\n2行目\r\n");
        QTest::newRow("utf-8, LF only") << QByteArray("ピラポくんの使い方\n2行目\n")
                                        << usage + QStringLiteral("\r\n2行目\r\n");
        QTest::newRow("utf-8, CR only") << QByteArray("a\rb\r") << QStringLiteral("a\r\nb\r\n");
        QTest::newRow("utf-8 with byte-order mark") << QByteArray("\xEF\xBB\xBFピラポくんの使い方\r\n")
                                                    << usage + QStringLiteral("\r\n");
        QTest::newRow("last line without an end") << QByteArray("a\r\nb") << QStringLiteral("a\r\nb\r\n");
        QTest::newRow("blank lines kept") << QByteArray("a\n\n\nb\n") << QStringLiteral("a\r\n\r\n\r\nb\r\n");
        QTest::newRow("mixed line ends") << QByteArray("a\r\nb\nc\rd") << QStringLiteral("a\r\nb\r\nc\r\nd\r\n");
        QTest::newRow("empty file") << QByteArray() << QString();

        // Written by a Japanese Windows editor: code page 932.
        QTest::newRow("shift-jis") << QByteArray("\x83\x73\x83\x89\x83\x7C\x82\xAD\x82\xF1\x82\xCC\x8E\x67\x82\xA2"
                                                 "\x95\xFB\r\n")
                                   << usage + QStringLiteral("\r\n");
        QTest::newRow("shift-jis, half-width katakana") << QByteArray("\xBC\xBD\xC3\xD1\x8F\xEE\x95\xF1\r\n")
                                                        << QStringLiteral("ｼｽﾃﾑ情報\r\n");
        // The second byte of 表 is 0x5C, the backslash: it must not be read as one.
        QTest::newRow("shift-jis, trail byte 0x5C") << QByteArray("\x95\x5C\x8E\xA6\n") << QStringLiteral("表示\r\n");
        QTest::newRow("shift-jis, windows-only signs") << QByteArray("\x87\x40\x81\x60\r\n")
                                                       << QStringLiteral("\u2460\uFF5E\r\n");
        QTest::newRow("shift-jis, LF only") << QByteArray("\xBC\xBD\xC3\xD1\nabc\n") << QStringLiteral("ｼｽﾃﾑ\r\nabc\r\n");
    }

    void load()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QFile f(dir.filePath(QStringLiteral("Readme.txt")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        QCOMPARE(ReadmeText::load(dir.path()), expected);
    }

    void notReadable_data()
    {
        QTest::addColumn<QString>("make");
        QTest::newRow("missing") << QString();
        QTest::newRow("a folder of that name") << QStringLiteral("folder");
        QTest::newRow("only readme.txt in lower case") << QStringLiteral("lower");
    }

    void notReadable()
    {
        QFETCH(QString, make);
        QTemporaryDir dir;
        if (make == QLatin1String("folder")) {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("Readme.txt")));
        } else if (make == QLatin1String("lower")) {
            QFile f(dir.filePath(QStringLiteral("readme.txt")));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("text\n");
            f.close();
            if (QFile::exists(dir.filePath(QStringLiteral("Readme.txt"))))
                QSKIP("file names are not case-sensitive here");
        }
        QCOMPARE(ReadmeText::load(dir.path()), QStringLiteral("Readme.txtが見つかりません。"));
    }
};

QTEST_GUILESS_MAIN(TestReadmeText)
#include "test_readme_text.moc"
