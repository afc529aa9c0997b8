#include "dialogs/DialogLogic.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace DialogLogic;

static void touch(const QString& path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
}

class TestDialogLogic : public QObject {
    Q_OBJECT

private slots:
    void trailingSeparator_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("appended") << "/Sort/Cats"
                                  << "/Sort/Cats/";
        QTest::newRow("kept") << "/Sort/Cats/"
                              << "/Sort/Cats/";
        QTest::newRow("empty is the root") << ""
                                           << "/";
        QTest::newRow("root") << "/"
                              << "/";
    }
    void trailingSeparator()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QCOMPARE(withTrailingSeparator(typed), stored);
    }

    void pathProblems()
    {
        QTemporaryDir tmp;
        touch(tmp.filePath("afile"));
        QVERIFY(pathProblem(tmp.path() + "/missing/deeper/").isEmpty());
        QVERIFY(pathProblem(tmp.path() + "/").isEmpty());
        QVERIFY(pathProblem("/").isEmpty());
        QVERIFY(pathProblem(tmp.filePath("afile") + "/").contains(tmp.filePath("afile")));
        QVERIFY(pathProblem("relative/dir/").contains("relative/dir/"));
        QVERIFY(!pathProblem(tmp.path() + QChar(0) + "x/").isEmpty());
    }

    void serial_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("problem");
        QTest::addColumn<int>("value");
        const int none = int(SerialProblem::None), neg = int(SerialProblem::Negative),
                  big = int(SerialProblem::TooLarge);
        QTest::newRow("trailing letters") << "12a" << none << 12;
        QTest::newRow("no number") << "abc" << none << 0;
        QTest::newRow("empty") << "" << none << 0;
        QTest::newRow("seven digits stay") << "1234567" << none << 1234567;
        QTest::newRow("leading blanks") << "   000041" << none << 41;
        QTest::newRow("half down to even") << "2.5" << none << 2;
        QTest::newRow("half up to even") << "3.5" << none << 4;
        QTest::newRow("plus sign") << "+7" << none << 7;
        QTest::newRow("minus zero") << "-0.4" << none << 0;
        QTest::newRow("largest") << "2147483647" << none << 2147483647;
        QTest::newRow("negative") << "-5" << neg << 0;
        QTest::newRow("negative half") << "-1.5" << neg << 0;
        QTest::newRow("over 32 bits") << "2147483648" << big << 0;
        QTest::newRow("twenty digits") << "99999999999999999999" << big << 0;
    }
    void serial()
    {
        QFETCH(QString, text);
        QFETCH(int, problem);
        QFETCH(int, value);
        const SerialValue v = parseSerial(text);
        QCOMPARE(int(v.problem), problem);
        if (v.ok())
            QCOMPARE(v.value, value);
    }

    void serialShownUnchangedIsKept()
    {
        // A negative counter read from the settings file must not block OK.
        const SerialValue v = parseSerial("-000005", -5);
        QVERIFY(v.ok());
        QCOMPARE(v.value, -5);
        QCOMPARE(int(parseSerial("-000006", -5).problem), int(SerialProblem::Negative));
    }

    void interval_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("problem");
        QTest::addColumn<int>("seconds");
        const int none = int(IntervalProblem::None);
        QTest::newRow("2.5 to even") << "2.5" << none << 2;
        QTest::newRow("3.5 to even") << "3.5" << none << 4;
        QTest::newRow("blanks") << "  7 " << none << 7;
        QTest::newRow("full-width") << "１２" << none << 12;
        QTest::newRow("longest") << "32" << none << 32;
        QTest::newRow("32.5 rounds to 32") << "32.5" << none << 32;
        QTest::newRow("shortest") << "1" << none << 1;
        QTest::newRow("empty") << "" << int(IntervalProblem::Empty) << 0;
        QTest::newRow("blank") << "   " << int(IntervalProblem::Empty) << 0;
        QTest::newRow("letters") << "abc" << int(IntervalProblem::NotANumber) << 0;
        QTest::newRow("number then letters") << "3s" << int(IntervalProblem::NotANumber) << 0;
        QTest::newRow("zero") << "0" << int(IntervalProblem::NotPositive) << 0;
        QTest::newRow("rounds to zero") << "0.4" << int(IntervalProblem::NotPositive) << 0;
        QTest::newRow("negative") << "-3" << int(IntervalProblem::NotPositive) << 0;
        QTest::newRow("too long") << "33" << int(IntervalProblem::TooLong) << 0;
        QTest::newRow("33.5 rounds to 34") << "33.5" << int(IntervalProblem::TooLong) << 0;
        QTest::newRow("beyond 16 bits") << "40000" << int(IntervalProblem::TooLong) << 0;
    }
    void interval()
    {
        QFETCH(QString, text);
        QFETCH(int, problem);
        QFETCH(int, seconds);
        const IntervalValue v = parseInterval(text);
        QCOMPARE(int(v.problem), problem);
        if (v.ok())
            QCOMPARE(int(v.seconds), seconds);
    }

    void headName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("usable");
        QTest::newRow("plain") << "trip" << true;
        QTest::newRow("empty") << "" << true;
        QTest::newRow("japanese") << "旅行_" << true;
        QTest::newRow("dots inside") << "a..b" << true;
        QTest::newRow("separator") << "a/b" << false;
        QTest::newRow("dot") << "." << false;
        QTest::newRow("dot dot") << ".." << false;
        QTest::newRow("nul") << QString("a") + QChar(0) + "b" << false;
        QTest::newRow("too long") << QString(240, u'a') << false;
#ifdef Q_OS_WIN
        for (const char* c : { "<", ">", ":", "\"", "\\", "|", "?", "*" })
            QTest::newRow(c) << QString("a%1b").arg(c) << false;
#else
        QTest::newRow("hidden") << ".trip" << false;
        QTest::newRow("backslash is a name character here") << "a\\b" << true;
#endif
    }
    void headName()
    {
        QFETCH(QString, name);
        QFETCH(bool, usable);
        QCOMPARE(headNameProblem(name).isEmpty(), usable);
    }

    void optionMappings()
    {
        const int sizes[] = { 32, 64, 128, 256, 512 };
        for (int i = 0; i < ThumbSizeOptions; ++i) {
            QCOMPARE(thumbSizeOfOption(i), sizes[i]);
            QCOMPARE(optionOfThumbSize(sizes[i]), i);
        }
        for (int i = 0; i < ThumbCountOptions; ++i) {
            QCOMPARE(thumbCountOfOption(i), 5 * (i + 1));
            QCOMPARE(optionOfThumbCount(5 * (i + 1)), i);
        }
        QCOMPARE(optionOfThumbSize(100), -1);
        QCOMPARE(optionOfThumbSize(0), -1);
        QCOMPARE(optionOfThumbCount(7), -1);
        QCOMPARE(optionOfThumbCount(0), -1);
    }

    void bulkDeleteKeepsSubFoldersAndHiddenFiles()
    {
        QTemporaryDir tmp;
        const QString f = tmp.path() + "/";
        for (const char* n : { "a.jpg", "README", "b.PNG", ".hidden" })
            touch(f + n);
        touch(f + "ro.jpg");
        QVERIFY(QFile::setPermissions(f + "ro.jpg", QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        QVERIFY(QDir(f).mkdir("sub"));
        touch(f + "sub/inner.jpg");

        const BulkDeleteResult r = deleteFolderFiles(f);
        QCOMPARE(r.deleted, 4);
        QVERIFY(r.remaining.isEmpty());
        QDir d(f);
        QCOMPARE(d.entryList(QDir::Files | QDir::Hidden), QStringList { ".hidden" });
        QVERIFY(QFile::exists(f + "sub/inner.jpg"));
    }

    void bulkDeleteGoesOnPastAFileThatStays()
    {
        QTemporaryDir tmp;
        const QString f = tmp.path() + "/";
        for (const char* n : { "1.jpg", "2.jpg", "3.jpg" })
            touch(f + n);
        QStringList tried;
        const BulkDeleteResult r = deleteFolderFiles(f, [&](const QString& path) {
            tried << QFileInfo(path).fileName();
            if (path.endsWith("2.jpg"))
                return FileOps::Result::failure("busy");
            return FileOps::deleteFile(path);
        });
        QCOMPARE(tried, (QStringList { "1.jpg", "2.jpg", "3.jpg" }));
        QCOMPARE(r.deleted, 2);
        QCOMPARE(r.remaining, QStringList { "2.jpg" });
        QVERIFY(QFile::exists(f + "2.jpg"));
        QVERIFY(!QFile::exists(f + "3.jpg"));
    }

    void bulkDeleteOfAMissingFolderDoesNothing()
    {
        QTemporaryDir tmp;
        const BulkDeleteResult r = deleteFolderFiles(tmp.path() + "/gone/");
        QCOMPARE(r.deleted, 0);
        QVERIFY(r.remaining.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDialogLogic)
#include "test_dialog_logic.moc"
