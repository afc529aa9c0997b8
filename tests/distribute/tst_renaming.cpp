#include "app/Module1.h"
#include "distribute/Renaming.h"
#include <QtTest>
#include <limits>

using namespace Distribute;

class TestRenaming : public QObject {
    Q_OBJECT
private slots:
    void extension_data();
    void extension();
    void serialPrefix_data();
    void serialPrefix();
    void wrap();
    void names_data();
    void names();
    void refusals_data();
    void refusals();
    void fromRecord();
};

void TestRenaming::extension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("ext");
    QTest::newRow("plain") << "IMG_0001.jpg" << ".jpg";
    QTest::newRow("case kept") << "IMG_0001.JPG" << ".JPG";
    QTest::newRow("last dot") << "photo.2020.jpg" << ".jpg";
    QTest::newRow("no dot") << "README" << "";
    QTest::newRow("only a dot at the start") << ".JPG" << ".JPG";
    QTest::newRow("trailing dot") << "name." << ".";
    QTest::newRow("empty") << "" << "";
}

void TestRenaming::extension()
{
    QFETCH(QString, name);
    QFETCH(QString, ext);
    QCOMPARE(extensionOf(name), ext);
}

void TestRenaming::serialPrefix_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("base");
    QTest::newRow("serial prefix") << "000012 IMG_0001.JPG" << "IMG_0001.JPG";
    QTest::newRow("any prefix") << "ABCDEF GHI.jpg" << "GHI.jpg";
    QTest::newRow("space sixth") << "ABCDE FG.jpg" << "ABCDE FG.jpg";
    QTest::newRow("exactly seven") << "ABCDEF " << "";
    QTest::newRow("six characters") << "ABCDE " << "ABCDE ";
    QTest::newRow("no space") << "IMG_0001.JPG" << "IMG_0001.JPG";
    QTest::newRow("japanese prefix") << "写真写真写真 旅.jpg" << "旅.jpg";
}

void TestRenaming::serialPrefix()
{
    QFETCH(QString, name);
    QFETCH(QString, base);
    QCOMPARE(withoutSerialPrefix(name), base);
}

void TestRenaming::wrap()
{
    QCOMPARE(serialToUse(999999), 0);
    QCOMPARE(serialToUse(999998), 999998);
    QCOMPARE(serialToUse(1000000), 1000000);
    QCOMPARE(serialToUse(0), 0);
    QCOMPARE(serialToUse(-1), -1);
}

void TestRenaming::names_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<int>("counter");
    QTest::addColumn<QString>("head");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("serial");

    QTest::newRow("r0 fresh serial for a serial prefix") << 0 << 41 << "" << "000012 IMG_0001.JPG" << "000041 IMG_0001.JPG" << 41;
    QTest::newRow("r0 any seven-char prefix") << 0 << 41 << "" << "ABCDEF GHI.jpg" << "000041 GHI.jpg" << 41;
    QTest::newRow("r0 space sixth kept") << 0 << 41 << "" << "ABCDE FG.jpg" << "000041 ABCDE FG.jpg" << 41;
    QTest::newRow("r0 plain") << 0 << 41 << "" << "IMG_0001.JPG" << "000041 IMG_0001.JPG" << 41;
    QTest::newRow("r0 head ignored") << 0 << 3 << "x/y" << "a.jpg" << "000003 a.jpg" << 3;
    QTest::newRow("r0 wrap") << 0 << 999999 << "" << "a.jpg" << "000000 a.jpg" << 0;
    QTest::newRow("r0 seven digits") << 0 << 1000000 << "" << "a.jpg" << "1000000 a.jpg" << 1000000;
    QTest::newRow("r0 negative") << 0 << -5 << "" << "a.jpg" << "-000005 a.jpg" << -5;
    QTest::newRow("r0 name of seven chars") << 0 << 1 << "" << "ABCDEF " << "000001 " << 1;

    QTest::newRow("r1 folder name") << 1 << 7 << "Cats" << "IMG_0001.jpg" << "Cats000007.jpg" << 7;
    QTest::newRow("r1 last dot") << 1 << 7 << "Cats" << "photo.2020.jpg" << "Cats000007.jpg" << 7;
    QTest::newRow("r1 no dot") << 1 << 7 << "Cats" << "README" << "Cats000007" << 7;
    QTest::newRow("r1 all extension") << 1 << 7 << "Cats" << ".JPG" << "Cats000007.JPG" << 7;
    QTest::newRow("r1 upper case kept") << 1 << 7 << "Cats" << "IMG_0001.JPG" << "Cats000007.JPG" << 7;
    QTest::newRow("r1 root folder has no name") << 1 << 0 << "" << "a.png" << "000000.png" << 0;
    QTest::newRow("r1 wrap") << 1 << 999999 << "Cats" << "a.jpg" << "Cats000000.jpg" << 0;

    QTest::newRow("r2 empty head") << 2 << 5 << "" << "IMG.jpg" << "000005.jpg" << 5;
    QTest::newRow("r2 head name") << 2 << 123 << "trip" << "a.jpg" << "trip000123.jpg" << 123;
    QTest::newRow("r2 japanese head") << 2 << 1 << "旅行" << "a.gif" << "旅行000001.gif" << 1;
    QTest::newRow("r2 seven digits") << 2 << 1234567 << "trip" << "a.jpg" << "trip1234567.jpg" << 1234567;
    QTest::newRow("r2 negative") << 2 << -1 << "trip" << "a.jpg" << "trip-000001.jpg" << -1;
    QTest::newRow("r2 wrap") << 2 << 999999 << "trip" << "a.jpg" << "trip000000.jpg" << 0;
    QTest::newRow("r2 one below the top") << 2 << std::numeric_limits<int32_t>::max() - 1 << "t" << "a.jpg"
                                          << "t2147483646.jpg" << std::numeric_limits<int32_t>::max() - 1;
    QTest::newRow("r2 dot head stays inside") << 2 << 1 << "." << "a.jpg" << ".000001.jpg" << 1;
}

void TestRenaming::names()
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
    QVERIFY(n.error.isEmpty());
}

void TestRenaming::refusals_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<int>("counter");
    QTest::addColumn<QString>("head");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("mentions");

    QTest::newRow("rule 3") << 3 << 1 << "" << "a.jpg" << "名前の付け方";
    QTest::newRow("rule -1") << -1 << 1 << "" << "a.jpg" << "名前の付け方";
    QTest::newRow("head with slash") << 2 << 1 << "a/b" << "a.jpg" << "a/b";
    QTest::newRow("head with backslash") << 2 << 1 << "..\\up" << "a.jpg" << "..\\up";
    QTest::newRow("head dot dot") << 2 << 1 << ".." << "a.jpg" << "..";
    QTest::newRow("folder name with slash") << 1 << 1 << "x/.." << "a.jpg" << "x/..";
    QTest::newRow("head with nul") << 2 << 1 << QString(QChar(0)) << "a.jpg" << "ヘッドネーム";
    QTest::newRow("file name with nul") << 0 << 1 << "" << QString("a") + QChar(0) + "b.jpg" << "ファイル名";
    QTest::newRow("counter at the top") << 0 << std::numeric_limits<int32_t>::max() << "" << "a.jpg" << "通し番号";
}

void TestRenaming::refusals()
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

void TestRenaming::fromRecord()
{
    Module1 m;
    m.DestName[3] = QStringLiteral("Cats");
    m.HeadName[3] = QStringLiteral("trip");
    m.Serial = { 41, 7, 123 };

    m.NameRule = 0;
    QCOMPARE(newNameFor(m, 3, QStringLiteral("IMG_0001.JPG")).name, QStringLiteral("000041 IMG_0001.JPG"));
    m.NameRule = 1;
    QCOMPARE(newNameFor(m, 3, QStringLiteral("IMG_0001.jpg")).name, QStringLiteral("Cats000007.jpg"));
    m.NameRule = 2;
    const NewName n = newNameFor(m, 3, QStringLiteral("x.jpg"));
    QCOMPARE(n.name, QStringLiteral("trip000123.jpg"));
    QCOMPARE(int(n.rule), 2);
    // Building a name never moves a counter.
    QCOMPARE(m.Serial[0], 41);
    QCOMPARE(m.Serial[1], 7);
    QCOMPARE(m.Serial[2], 123);

    QVERIFY(!newNameFor(m, 10, QStringLiteral("x.jpg")).ok);
    QVERIFY(!newNameFor(m, -1, QStringLiteral("x.jpg")).ok);
    m.NameRule = 7;
    const NewName bad = newNameFor(m, 3, QStringLiteral("x.jpg"));
    QVERIFY(!bad.ok);
    QVERIFY(bad.error.contains(QStringLiteral("（7）")));
}

QTEST_GUILESS_MAIN(TestRenaming)
#include "tst_renaming.moc"
