#include "DistributeFixture.h"
#include "distribute/Transfer.h"
#include <QFileInfo>
#include <csignal>
#include <optional>
#include <sys/resource.h>

using namespace Distribute;

class TestTransfer : public QObject {
    Q_OBJECT
private slots:
    void moves_data()
    {
        QTest::addColumn<int>("rule");
        QTest::addColumn<int>("counter");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("target"); // how DestPath(3) is written
        QTest::addColumn<bool>("copyMode");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("sourceKept");
        QTest::newRow("rule 0") << 0 << 41 << "000012 IMG_0001.JPG" << "" << false << "000041 IMG_0001.JPG" << false;
        QTest::newRow("rule 1") << 1 << 7 << "IMG_0001.jpg" << "" << false << "d3000007.jpg" << false;
        QTest::newRow("rule 2") << 2 << 123 << "IMG_0002.png" << "" << false << "trip000123.png" << false;
        QTest::newRow("rule 0 wrap") << 0 << 999999 << "a.jpg" << "" << false << "000000 a.jpg" << false;
        QTest::newRow("rule 1 wrap") << 1 << 999999 << "a.jpg" << "" << false << "d3000000.jpg" << false;
        QTest::newRow("rule 2 wrap") << 2 << 999999 << "a.jpg" << "" << false << "trip000000.jpg" << false;
        QTest::newRow("copy mode") << 0 << 5 << "a.jpg" << "" << true << "000005 a.jpg" << true;
        QTest::newRow("copy mode on the delete folder") << 0 << 5 << "a.jpg" << "trash/" << true << "000005 a.jpg"
                                                        << false;
        // The delete folder is recognised by its exact text only.
        QTest::newRow("copy mode, delete folder spelt otherwise") << 0 << 5 << "a.jpg" << "trash/./" << true
                                                                  << "000005 a.jpg" << true;
        QTest::newRow("folder without separator") << 0 << 5 << "a.jpg" << "d3" << false << "000005 a.jpg" << false;
    }
    void moves()
    {
        QFETCH(int, rule);
        QFETCH(int, counter);
        QFETCH(QString, file);
        QFETCH(QString, target);
        QFETCH(bool, copyMode);
        QFETCH(QString, expected);
        QFETCH(bool, sourceKept);
        Tree t;
        t.m.NameRule = int16_t(rule);
        t.m.CopyMode = copyMode;
        t.m.Serial = { 41, 7, 123 };
        t.m.Serial[size_t(rule)] = counter;
        t.m.HeadName[3] = QStringLiteral("trip");
        if (!target.isEmpty())
            t.m.DestPath[3] = t.root + u'/' + target;
        const QString folder = target.startsWith(QLatin1String("trash")) ? t.trash : t.dest[3];
        t.put(file);
        t.put(QStringLiteral("other.jpg"));
        QVERIFY(QFile::setPermissions(t.src(file), QFileDevice::ReadOwner));
        // A source folder written with its separator is not doubled either.
        const QString sourceFolder = target == QLatin1String("d3") ? t.source + u'/' : t.source;

        const TransferResult r = transferDrop(t.m, 3, sourceFolder, file);
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(r.newName, expected);
        QCOMPARE(QFileInfo(r.destination).canonicalFilePath(), QFileInfo(folder + u'/' + expected).canonicalFilePath());
        QCOMPARE(readFile(folder + u'/' + expected), contentOf(file));
        QCOMPARE(r.sourceDeleted, !sourceKept);
        QCOMPARE(QFileInfo::exists(t.src(file)), sourceKept);
        if (sourceKept) {
            QCOMPARE(readFile(t.src(file)), contentOf(file));
            QVERIFY(QFile::permissions(t.src(file)) & QFileDevice::WriteOwner);
        }
        QCOMPARE(readFile(t.src(QStringLiteral("other.jpg"))), contentOf(QStringLiteral("other.jpg")));

        QCOMPARE(t.m.Undo.count(), 1);
        QCOMPARE(t.m.Undo.newest(), (UndoEntry { t.src(file), r.destination, int16_t(rule) }));
        std::array<int32_t, 3> serial { 41, 7, 123 };
        serial[size_t(rule)] = counter == 999999 ? 1 : counter + 1;
        QCOMPARE(t.m.Serial, serial);
    }

    // Every refusal and failure leaves the files, the history and the counters as they were.
    void refused_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("mentions");
        QTest::addColumn<bool>("early"); // refused before the source is touched
        QTest::newRow("rule 3") << "rule 3" << "名前の付け方の設定（3）" << true;
        QTest::newRow("head leaves the folder") << "head ../x" << "../x" << true;
        QTest::newRow("head dot dot") << "head .." << "ヘッドネーム" << true;
        QTest::newRow("target 10") << "k 10" << "移動先の番号" << true;
        QTest::newRow("target -1") << "k -1" << "移動先の番号" << true;
        QTest::newRow("no destination") << "no destination" << "移動先フォルダが設定されていません" << true;
        QTest::newRow("destination missing") << "destination missing" << "フォルダが見つかりません" << false;
        QTest::newRow("name is a folder") << "name is a folder" << "000000 a.jpg" << false;
        QTest::newRow("name taken, move") << "name taken" << "移動できません" << false;
        QTest::newRow("name taken, copy") << "name taken copy" << "コピーできません" << false;
        QTest::newRow("source gone") << "source gone" << "見つかりません" << false;
        QTest::newRow("source is a folder") << "source is a folder" << "a.jpg" << false;
        QTest::newRow("destination locked") << "locked destination" << "a.jpg" << false;
        QTest::newRow("source folder locked") << "locked source" << "削除できませんでした" << false;
        QTest::newRow("delete refused") << "delete refused" << "元の場所にあります" << false;
        QTest::newRow("delete refused, copy mode on the delete folder") << "delete refused copy" << "元の場所にあります"
                                                                         << false;
        QTest::newRow("short copy") << "short copy" << "大きさ" << false;
        QTest::newRow("disk full") << "disk full" << "a.jpg" << false;
    }
    void refused()
    {
        QFETCH(QString, fault);
        QFETCH(QString, mentions);
        QFETCH(bool, early);
        Tree t;
        t.m.Serial = { 999999, 7, 5 }; // the wrap belongs to a transfer that did not happen
        t.fillHistory();
        const QString s = t.src(QStringLiteral("a.jpg"));
        const QString taken = t.dest[1] + QStringLiteral("/000000 a.jpg");
        if (fault == QLatin1String("disk full"))
            writeFile(s, QByteArray(3 << 20, 'x'));
        else
            t.put(QStringLiteral("a.jpg"));
        QVERIFY(QFile::setPermissions(s, QFileDevice::ReadOwner));
        int k = 1;
        FileActions fs;
        if (fault == QLatin1String("rule 3")) {
            t.m.NameRule = 3;
        } else if (fault.startsWith(QLatin1String("head "))) {
            t.m.NameRule = 2;
            t.m.HeadName[1] = fault.mid(5);
        } else if (fault.startsWith(QLatin1String("k "))) {
            k = fault.mid(2).toInt();
        } else if (fault == QLatin1String("no destination")) {
            t.m.DestPath[1].clear();
        } else if (fault == QLatin1String("destination missing")) {
            t.m.DestPath[1] = t.root + QStringLiteral("/gone/");
        } else if (fault == QLatin1String("name is a folder")) {
            QVERIFY(QDir().mkpath(taken));
            writeFile(taken + QStringLiteral("/inner.jpg"), "inner");
        } else if (fault.startsWith(QLatin1String("name taken"))) {
            writeFile(taken, "the user's own picture");
            t.m.CopyMode = fault.endsWith(QLatin1String("copy"));
        } else if (fault.startsWith(QLatin1String("source "))) {
            QVERIFY(QFile::remove(s));
            if (fault.endsWith(QLatin1String("folder"))) {
                QVERIFY(QDir().mkpath(s));
                writeFile(s + QStringLiteral("/inside.jpg"), "inside");
            }
        } else if (fault.startsWith(QLatin1String("delete refused"))) {
            fs = refusingDelete({ s });
            if (fault.endsWith(QLatin1String("copy"))) {
                t.m.CopyMode = 1;
                t.m.DestPath[1] = t.m.DestPath[10];
            }
        } else if (fault == QLatin1String("short copy")) {
            fs.copyFile = [](const QString& from, const QString& to) {
                QFile out(to);
                if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
                    return FileOps::Result::failure(QStringLiteral("x"));
                const QByteArray all = readFile(from);
                out.write(all.left(all.size() / 2)); // and claims success
                return FileOps::Result::success();
            };
        }
        const auto files = snapshot(t.root);
        const UndoHistory history = t.m.Undo;
        const auto serial = t.m.Serial;

        std::optional<LockedFolder> lock;
        if (fault.startsWith(QLatin1String("locked "))) {
            lock.emplace(fault.endsWith(QLatin1String("source")) ? t.source : t.dest[1]);
            if (!lock->locked())
                QSKIP("no way to make a folder read-only here");
        }
        // A file-size limit makes writes fail part way, like a full disk.
        rlimit old {};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &old) == 0);
        rlimit small = old;
        small.rlim_cur = 64 * 1024;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        if (fault == QLatin1String("disk full"))
            QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        const TransferResult r = transferDrop(t.m, k, t.source, QStringLiteral("a.jpg"), fs);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        lock.reset();

        QVERIFY(!r.ok);
        QVERIFY(!r.duplicateLeft);
        QVERIFY2(r.message.contains(QStringLiteral("a.jpg")) && r.message.contains(mentions), qPrintable(r.message));
        QCOMPARE(snapshot(t.root), files);
        QVERIFY(t.m.Undo == history);
        QCOMPARE(t.m.Serial, serial);
        if (early)
            QVERIFY(!(QFile::permissions(s) & QFileDevice::WriteOwner));
    }

    void deleteAndCleanupFailRecordedAsCopy()
    {
        Tree t;
        t.fillHistory();
        const UndoEntry oldNewest = t.m.Undo.newest();
        t.m.Serial[0] = 9;
        t.put(QStringLiteral("a.jpg"));
        const QString s = t.src(QStringLiteral("a.jpg"));
        const QString d = t.dest[2] + QStringLiteral("/000009 a.jpg");
        const TransferResult r = transferDrop(t.m, 2, t.source, QStringLiteral("a.jpg"), refusingDelete({ s, d }));
        QVERIFY(!r.ok);
        QVERIFY(r.duplicateLeft);
        QVERIFY(r.message.contains(QStringLiteral("a.jpg")));
        QCOMPARE(readFile(s), contentOf(QStringLiteral("a.jpg")));
        QCOMPARE(readFile(d), contentOf(QStringLiteral("a.jpg")));
        // The copy exists, so it is on record for undo and its number is used.
        QCOMPARE(t.m.Undo.newest(), (UndoEntry { s, d, 0 }));
        QCOMPARE(t.m.Undo.at(1), oldNewest);
        QCOMPARE(t.m.Serial[0], 10);
    }
};

QTEST_GUILESS_MAIN(TestTransfer)
#include "tst_transfer.moc"
