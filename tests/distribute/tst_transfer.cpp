#include "DistributeFixture.h"
#include "distribute/Transfer.h"
#include <QFileInfo>
#include <csignal>
#include <optional>
#include <sys/resource.h>

using namespace Distribute;

namespace {

// One refused transfer of a.jpg to target 1: what a fault may change before it runs.
struct Case {
    Tree t;
    QString source = t.src(QStringLiteral("a.jpg"));
    QString taken = t.dest[1] + QStringLiteral("/000000 a.jpg"); // the name it would get
    int k = 1;
    FileActions fs;
    QString lock; // a folder made read-only around the transfer
    rlim_t fileSizeLimit = 0;
};
using Fault = std::function<void(Case&)>;

}
Q_DECLARE_METATYPE(Fault)

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
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("mentions");
        QTest::addColumn<bool>("early"); // refused before the source is touched
        auto row = [](const char* name, const char* mentions, bool early, Fault fault) {
            QTest::newRow(name) << fault << QString::fromUtf8(mentions) << early;
        };
        row("rule 3", "名前の付け方の設定（3）", true, [](Case& c) { c.t.m.NameRule = 3; });
        auto head = [](const char* name) {
            return Fault([name](Case& c) { c.t.m.NameRule = 2; c.t.m.HeadName[1] = name; });
        };
        row("head leaves the folder", "../x", true, head("../x"));
        row("head dot dot", "ヘッドネーム", true, head(".."));
        row("target 10", "移動先の番号", true, [](Case& c) { c.k = 10; });
        row("target -1", "移動先の番号", true, [](Case& c) { c.k = -1; });
        row("no destination", "移動先フォルダが設定されていません", true, [](Case& c) { c.t.m.DestPath[1].clear(); });
        row("destination missing", "フォルダが見つかりません", false,
            [](Case& c) { c.t.m.DestPath[1] = c.t.root + "/gone/"; });
        row("name is a folder", "000000 a.jpg", false, [](Case& c) {
            QDir().mkpath(c.taken);
            writeFile(c.taken + "/inner.jpg", "inner");
        });
        row("name taken, move", "移動できません", false, [](Case& c) { writeFile(c.taken, "the user's own"); });
        row("name taken, copy", "コピーできません", false, [](Case& c) {
            writeFile(c.taken, "the user's own");
            c.t.m.CopyMode = 1;
        });
        row("source gone", "見つかりません", false, [](Case& c) { QFile::remove(c.source); });
        row("source is a folder", "a.jpg", false, [](Case& c) {
            QFile::remove(c.source);
            QDir().mkpath(c.source);
            writeFile(c.source + "/inside.jpg", "inside");
        });
        row("destination locked", "a.jpg", false, [](Case& c) { c.lock = c.t.dest[1]; });
        row("source folder locked", "削除できませんでした", false, [](Case& c) { c.lock = c.t.source; });
        row("delete refused", "元の場所にあります", false, [](Case& c) { c.fs = refusingDelete({ c.source }); });
        row("delete refused, copy mode on the delete folder", "元の場所にあります", false, [](Case& c) {
            c.fs = refusingDelete({ c.source });
            c.t.m.CopyMode = 1;
            c.t.m.DestPath[1] = c.t.m.DestPath[10];
        });
        row("short copy", "大きさ", false, [](Case& c) {
            c.fs.copyFile = [](const QString& from, const QString& to) {
                QFile out(to);
                const QByteArray all = readFile(from);
                out.open(QIODevice::WriteOnly | QIODevice::NewOnly);
                out.write(all.left(all.size() / 2)); // and claims success
                return FileOps::Result::success();
            };
        });
        // A file-size limit makes writes fail part way, like a full disk.
        row("disk full", "a.jpg", false, [](Case& c) {
            writeFile(c.source, QByteArray(3 << 20, 'x'));
            c.fileSizeLimit = 64 * 1024;
        });
    }
    void refused()
    {
        QFETCH(Fault, fault);
        QFETCH(QString, mentions);
        QFETCH(bool, early);
        Case c;
        c.t.m.Serial = { 999999, 7, 5 }; // the wrap belongs to a transfer that did not happen
        c.t.fillHistory();
        c.t.put(QStringLiteral("a.jpg"));
        QVERIFY(QFile::setPermissions(c.source, QFileDevice::ReadOwner));
        fault(c);
        const auto files = snapshot(c.t.root);
        const UndoHistory history = c.t.m.Undo;
        const auto serial = c.t.m.Serial;

        std::optional<LockedFolder> lock;
        if (!c.lock.isEmpty() && !lock.emplace(c.lock).locked())
            QSKIP("no way to make a folder read-only here");
        rlimit old {};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &old) == 0);
        rlimit limited = old;
        limited.rlim_cur = c.fileSizeLimit ? c.fileSizeLimit : old.rlim_cur;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limited) == 0);
        const TransferResult r = transferDrop(c.t.m, c.k, c.t.source, QStringLiteral("a.jpg"), c.fs);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        lock.reset();

        QVERIFY(!r.ok);
        QVERIFY(!r.duplicateLeft);
        QVERIFY2(r.message.contains(QStringLiteral("a.jpg")) && r.message.contains(mentions), qPrintable(r.message));
        QCOMPARE(snapshot(c.t.root), files);
        QVERIFY(c.t.m.Undo == history);
        QCOMPARE(c.t.m.Serial, serial);
        if (early)
            QVERIFY(!(QFile::permissions(c.source) & QFileDevice::WriteOwner));
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
