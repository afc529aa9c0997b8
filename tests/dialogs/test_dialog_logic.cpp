#include "TestFiles.h"
#include "dialogs/DialogLogic.h"
#include <QTemporaryDir>
#include <QtTest>

using namespace DialogLogic;
using TestFiles::touch;

class TestDialogLogic : public QObject {
    Q_OBJECT

private slots:
    void trailingSeparator_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("appended") << "/Sort/Cats" << "/Sort/Cats/";
        QTest::newRow("kept") << "/Sort/Cats/" << "/Sort/Cats/";
        QTest::newRow("empty is the root") << "" << "/";
        QTest::newRow("root") << "/" << "/";
    }
    void trailingSeparator()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QCOMPARE(withTrailingSeparator(typed), stored);
    }

    void serial_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("problem");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("current"); // the counter the field showed
        const int none = int(SerialProblem::None), neg = int(SerialProblem::Negative);
        const int big = int(SerialProblem::TooLarge);
        QTest::newRow("trailing letters") << "12a" << none << 12 << 0;
        QTest::newRow("no number") << "abc" << none << 0 << 0;
        QTest::newRow("empty") << "" << none << 0 << 0;
        QTest::newRow("seven digits stay") << "1234567" << none << 1234567 << 0;
        QTest::newRow("leading blanks") << "   000041" << none << 41 << 0;
        QTest::newRow("half down to even") << "2.5" << none << 2 << 0;
        QTest::newRow("half up to even") << "3.5" << none << 4 << 0;
        QTest::newRow("minus zero") << "-0.4" << none << 0 << 0;
        QTest::newRow("largest") << "2147483647" << none << 2147483647 << 0;
        QTest::newRow("negative") << "-5" << neg << 0 << 0;
        QTest::newRow("negative half") << "-1.5" << neg << 0 << 0;
        QTest::newRow("over 32 bits") << "2147483648" << big << 0 << 0;
        QTest::newRow("twenty digits") << "99999999999999999999" << big << 0 << 0;
        // A negative counter from the settings file, shown unchanged, must not block OK.
        QTest::newRow("negative shown unchanged") << "-000005" << none << -5 << -5;
        QTest::newRow("negative edited") << "-000006" << neg << 0 << -5;
    }
    void serial()
    {
        QFETCH(QString, text);
        QFETCH(int, problem);
        QFETCH(int, value);
        QFETCH(int, current);
        const SerialValue v = parseSerial(text, current);
        QCOMPARE(int(v.problem), problem);
        if (v.ok())
            QCOMPARE(v.value, value);
    }

    void interval_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("problem");
        QTest::addColumn<int>("seconds");
        const int none = int(IntervalProblem::None), tooLong = int(IntervalProblem::TooLong),
                  notPositive = int(IntervalProblem::NotPositive), nan = int(IntervalProblem::NotANumber);
        QTest::newRow("2.5 to even") << "2.5" << none << 2;
        QTest::newRow("3.5 to even") << "3.5" << none << 4;
        QTest::newRow("blanks") << "  7 " << none << 7;
        QTest::newRow("full-width") << "１２" << none << 12;
        QTest::newRow("32.5 rounds to 32") << "32.5" << none << 32;
        QTest::newRow("shortest") << "1" << none << 1;
        QTest::newRow("blank") << "   " << int(IntervalProblem::Empty) << 0;
        QTest::newRow("letters") << "abc" << nan << 0;
        QTest::newRow("number then letters") << "3s" << nan << 0;
        QTest::newRow("rounds to zero") << "0.4" << notPositive << 0;
        QTest::newRow("negative") << "-3" << notPositive << 0;
        QTest::newRow("too long") << "33" << tooLong << 0;
        QTest::newRow("33.5 rounds to 34") << "33.5" << tooLong << 0;
        QTest::newRow("beyond 16 bits") << "40000" << tooLong << 0;
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
        QTest::newRow("empty") << "" << true;
        QTest::newRow("dots inside") << "a..b" << true;
        QTest::newRow("dot") << "." << false;
        QTest::newRow("hidden") << ".trip" << false;
        QTest::newRow("nul") << QString("a") + QChar(0) + "b" << false;
        QTest::newRow("too long") << QString(240, u'a') << false;
    }
    void headName()
    {
        QFETCH(QString, name);
        QFETCH(bool, usable);
        QCOMPARE(headNameProblem(name).isEmpty(), usable);
    }

    // Only the folder's own plain files go; one that stays does not stop the others.
    void bulkDelete()
    {
        QTemporaryDir tmp;
        const QString f = tmp.path() + "/";
        for (const char* n : { "a.jpg", "README", "busy.jpg", ".hidden", "ro.jpg" })
            touch(f + n);
        QVERIFY(QFile::setPermissions(f + "ro.jpg", QFileDevice::ReadOwner));
        QVERIFY(QDir(f).mkdir("sub"));
        touch(f + "sub/inner.jpg");
        const BulkDeleteResult r = deleteFolderFiles(f, [](const QString& path) {
            return path.endsWith("busy.jpg") ? FileOps::Result::failure("busy") : FileOps::deleteFile(path);
        });
        QCOMPARE(r.deleted, 3);
        QCOMPARE(r.remaining, QStringList { "busy.jpg" });
        QCOMPARE(QDir(f).entryList(QDir::Files | QDir::Hidden, QDir::Name), (QStringList { ".hidden", "busy.jpg" }));
        QVERIFY(QFile::exists(f + "sub/inner.jpg"));

        const BulkDeleteResult none = deleteFolderFiles(tmp.path() + "/gone/");
        QCOMPARE(none.deleted, 0);
        QVERIFY(none.remaining.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDialogLogic)
#include "test_dialog_logic.moc"
