#include "platform/TextFile.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#if defined(Q_OS_UNIX)
#include <csignal>
#include <sys/resource.h>
#endif

static QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class TestTextFile : public QObject {
    Q_OBJECT
private slots:
    void writeReplacesAndReadsBack()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Pirapo.ini"));
        QString error;
        QVERIFY(TextFile::write(path, QStringLiteral("first\r\n"), &error));
        QVERIFY(TextFile::write(path, QStringLiteral("「写真」\r\n"), &error));
        QString text;
        QVERIFY(TextFile::read(path, &text));
        QCOMPARE(text, QStringLiteral("「写真」\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { QStringLiteral("Pirapo.ini") });
    }

    void writeCutShortKeepsTheOldFile_data()
    {
        QTest::addColumn<int>("limit");
        QTest::newRow("nothing fits") << 0;
        QTest::newRow("part fits") << 100;
        QTest::newRow("all but one byte fits") << 999;
    }

    // A disk that fills while the file is written must leave the previous file as it
    // was, not a shortened or empty one, and say why.
    void writeCutShortKeepsTheOldFile()
    {
#if defined(Q_OS_UNIX)
        QFETCH(int, limit);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Pirapo.ini"));
        QString error;
        QVERIFY(TextFile::write(path, QStringLiteral("the settings of last time\r\n"), &error));
        const QByteArray old = readFile(path);

        // A file-size limit makes writes fail part way like a full disk.
        rlimit saved {};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = rlim_t(limit);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        const bool written = TextFile::write(path, QString(1000, u'x'), &error);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!written);
        QVERIFY(!error.isEmpty());
        QCOMPARE(readFile(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { QStringLiteral("Pirapo.ini") });
#else
        QSKIP("needs a file-size limit");
#endif
    }
};

QTEST_GUILESS_MAIN(TestTextFile)
#include "test_text_file.moc"
