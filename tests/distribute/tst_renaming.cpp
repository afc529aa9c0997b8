#include "app/Module1.h"
#include "distribute/Renaming.h"
#include <QtTest>
#include <limits>

using namespace Distribute;

class TestRenaming : public QObject {
    Q_OBJECT
private slots:
    void names_data()
    {
        QTest::addColumn<int>("rule");
        QTest::addColumn<int>("counter");
        QTest::addColumn<QString>("head");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("serial");
        // Rule 0 replaces a seven-character prefix ending in a space, whatever it holds.
        QTest::newRow("r0 serial prefix") << 0 << 41 << "" << "000012 IMG_0001.JPG" << "000041 IMG_0001.JPG" << 41;
        QTest::newRow("r0 any prefix") << 0 << 41 << "" << "ABCDEF GHI.jpg" << "000041 GHI.jpg" << 41;
        QTest::newRow("r0 space sixth kept") << 0 << 41 << "" << "ABCDE FG.jpg" << "000041 ABCDE FG.jpg" << 41;
        QTest::newRow("r0 name of seven") << 0 << 1 << "" << "ABCDEF " << "000001 " << 1;
        QTest::newRow("r0 japanese prefix") << 0 << 2 << "" << "写真写真写真 旅.jpg" << "000002 旅.jpg" << 2;
        QTest::newRow("r0 plain, head ignored") << 0 << 3 << "x/y" << "IMG.JPG" << "000003 IMG.JPG" << 3;
        QTest::newRow("r0 wrap") << 0 << 999999 << "" << "a.jpg" << "000000 a.jpg" << 0;
        QTest::newRow("r0 seven digits") << 0 << 1000000 << "" << "a.jpg" << "1000000 a.jpg" << 1000000;
        QTest::newRow("r0 negative") << 0 << -5 << "" << "a.jpg" << "-000005 a.jpg" << -5;
        // Rules 1 and 2 keep the extension from the last dot, case and all.
        QTest::newRow("r1 folder name") << 1 << 7 << "Cats" << "IMG_0001.JPG" << "Cats000007.JPG" << 7;
        QTest::newRow("r1 last dot") << 1 << 7 << "Cats" << "photo.2020.jpg" << "Cats000007.jpg" << 7;
        QTest::newRow("r1 no dot") << 1 << 7 << "Cats" << "README" << "Cats000007" << 7;
        QTest::newRow("r1 all extension") << 1 << 7 << "Cats" << ".JPG" << "Cats000007.JPG" << 7;
        QTest::newRow("r1 root folder") << 1 << 0 << "" << "a.png" << "000000.png" << 0;
        QTest::newRow("r1 wrap") << 1 << 999999 << "Cats" << "a.jpg" << "Cats000000.jpg" << 0;
        QTest::newRow("r2 head name") << 2 << 123 << "旅行" << "a.gif" << "旅行000123.gif" << 123;
        QTest::newRow("r2 below the top") << 2 << std::numeric_limits<int32_t>::max() - 1 << "t" << "a.jpg"
                                          << "t2147483646.jpg" << std::numeric_limits<int32_t>::max() - 1;
    }
    void names()
    {
        QFETCH(int, rule);
        QFETCH(int, counter);
        QFETCH(QString, head);
        QFETCH(QString, file);
        QFETCH(QString, expected);
        QFETCH(int, serial);
        const NewName n = makeNewName(rule, counter, head, file);
        QVERIFY2(n.ok, qPrintable(n.error));
        QCOMPARE(n.name, expected);
        QCOMPARE(n.serial, serial);
        QCOMPARE(int(n.rule), rule);
    }

    void refusals_data()
    {
        QTest::addColumn<int>("rule");
        QTest::addColumn<int>("counter");
        QTest::addColumn<QString>("head");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("rule 3") << 3 << 1 << "" << "a.jpg" << "名前の付け方";
        QTest::newRow("head with slash") << 2 << 1 << "a/b" << "a.jpg" << "a/b";
        QTest::newRow("head dot dot") << 2 << 1 << ".." << "a.jpg" << "..";
        QTest::newRow("head with nul") << 2 << 1 << QString(QChar(0)) << "a.jpg" << "ヘッドネーム";
        QTest::newRow("file name with nul") << 0 << 1 << "" << QString("a") + QChar(0) + "b.jpg" << "ファイル名";
        QTest::newRow("counter at the top") << 0 << std::numeric_limits<int32_t>::max() << "" << "a.jpg" << "通し番号";
    }
    void refusals()
    {
        QFETCH(int, rule);
        QFETCH(int, counter);
        QFETCH(QString, head);
        QFETCH(QString, file);
        QFETCH(QString, mentions);
        const NewName n = makeNewName(rule, counter, head, file);
        QVERIFY(!n.ok);
        QVERIFY(n.name.isEmpty());
        QVERIFY2(n.error.contains(mentions), qPrintable(n.error));
    }
};

QTEST_GUILESS_MAIN(TestRenaming)
#include "tst_renaming.moc"
