#include "DistributeFixture.h"
#include "distribute/Transfer.h"
#include <QFileInfo>
#include <QtTest>

#if defined(Q_OS_UNIX)
#include <csignal>
#include <sys/resource.h>
#endif

using namespace Distribute;
using Fixture::contentOf;
using Fixture::readFile;

namespace {

// What a refused transfer must leave exactly as it found.
struct State {
    QMap<QString, QByteArray> files;
    UndoHistory history;
    std::array<int32_t, 3> serial {};

    static State of(const Fixture::Tree& t) { return { Fixture::snapshot(t.root), t.m.Undo, t.m.Serial }; }
};

FileOps::Result denied() { return FileOps::Result::failure(QStringLiteral("アクセスが拒否されました。")); }

// Real actions except that deleting one of `victims` is refused.
FileActions refusingDelete(const QStringList& victims)
{
    FileActions fs;
    fs.deleteFile = [victims](const QString& p) { return victims.contains(p) ? denied() : FileOps::deleteFile(p); };
    return fs;
}

}

#define EXPECT_UNCHANGED(tree, before, result, name)                                                     \
    do {                                                                                                 \
        QVERIFY(!(result).ok);                                                                           \
        QVERIFY2((result).message.contains(name), qPrintable((result).message));                        \
        QCOMPARE(Fixture::snapshot((tree).root), (before).files);                                        \
        QVERIFY((tree).m.Undo == (before).history);                                                      \
        QCOMPARE((tree).m.Serial, (before).serial);                                                      \
    } while (0)

class TestTransfer : public QObject {
    Q_OBJECT
private slots:
    void movesUnderEachRule_data();
    void movesUnderEachRule();
    void wrapAtTop_data();
    void wrapAtTop();
    void copyModeOnDeleteFolderMoves();
    void copyModeKeepsSourceWithOwnerWrite();
    void folderWithoutSeparator();
    void keepsModificationTime();

    void refusedBeforeAnyFileWork_data();
    void refusedBeforeAnyFileWork();
    void destinationFolderMissing();
    void destinationNameIsFolder();
    void existingFileNeverReplaced_data();
    void existingFileNeverReplaced();
    void existingFileAfterWrapKeepsCounter();
    void sourceGone();
    void sourceReplacedByFolder();
    void destinationFolderReadOnly();
    void sourceFolderReadOnly();
    void deleteFailsCopyRemoved_data();
    void deleteFailsCopyRemoved();
    void deleteAndCleanupFailRecordedAsCopy();
    void shortCopyNeverDeletesSource();
    void diskFullLeavesNoPartialCopy();
};

void TestTransfer::movesUnderEachRule_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");
    QTest::newRow("rule 0") << 0 << "000012 IMG_0001.JPG" << "000041 IMG_0001.JPG";
    QTest::newRow("rule 1") << 1 << "IMG_0001.jpg" << "d3000007.jpg";
    QTest::newRow("rule 2") << 2 << "IMG_0002.png" << "trip000123.png";
    QTest::newRow("rule 2 empty head") << 2 << "x.gif" << "000123.gif";
}

void TestTransfer::movesUnderEachRule()
{
    QFETCH(int, rule);
    QFETCH(QString, file);
    QFETCH(QString, expected);
    Fixture::Tree t;
    t.m.NameRule = static_cast<int16_t>(rule);
    t.m.Serial = { 41, 7, 123 };
    if (expected.startsWith(QStringLiteral("trip")))
        t.m.HeadName[3] = QStringLiteral("trip");
    t.put(file);
    t.put(QStringLiteral("other.jpg"));

    const TransferResult r = transferDrop(t.m, 3, t.source, file);
    QVERIFY2(r.ok, qPrintable(r.message));
    QVERIFY(r.message.isEmpty());
    QCOMPARE(r.newName, expected);
    QCOMPARE(r.destination, t.dest[3] + u'/' + expected);
    QVERIFY(r.sourceDeleted);
    QVERIFY(!QFileInfo::exists(t.src(file)));
    QCOMPARE(readFile(r.destination), contentOf(file));
    QCOMPARE(readFile(t.src(QStringLiteral("other.jpg"))), contentOf(QStringLiteral("other.jpg")));

    const UndoEntry& e = t.m.Undo.newest();
    QCOMPARE(e.From, t.src(file));
    QCOMPARE(e.To, r.destination);
    QCOMPARE(int(e.Kind), rule);
    QCOMPARE(t.m.Undo.count(), 1);
    std::array<int32_t, 3> serial { 41, 7, 123 };
    ++serial[static_cast<size_t>(rule)];
    QCOMPARE(t.m.Serial, serial);
}

void TestTransfer::wrapAtTop_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<QString>("expected");
    QTest::newRow("rule 0") << 0 << "000000 a.jpg";
    QTest::newRow("rule 1") << 1 << "d5000000.jpg";
    QTest::newRow("rule 2") << 2 << "h000000.jpg";
}

void TestTransfer::wrapAtTop()
{
    QFETCH(int, rule);
    QFETCH(QString, expected);
    Fixture::Tree t;
    t.m.NameRule = static_cast<int16_t>(rule);
    t.m.HeadName[5] = QStringLiteral("h");
    t.m.Serial[static_cast<size_t>(rule)] = 999999;
    t.put(QStringLiteral("a.jpg"));
    const TransferResult r = transferDrop(t.m, 5, t.source, QStringLiteral("a.jpg"));
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(r.newName, expected);
    QCOMPARE(t.m.Serial[static_cast<size_t>(rule)], 1);
}

void TestTransfer::copyModeOnDeleteFolderMoves()
{
    Fixture::Tree t;
    t.m.CopyMode = 1;
    t.m.DestPath[3] = t.m.DestPath[10];
    t.put(QStringLiteral("a.jpg"));
    const TransferResult r = transferDrop(t.m, 3, t.source, QStringLiteral("a.jpg"));
    QVERIFY2(r.ok, qPrintable(r.message));
    QVERIFY(r.sourceDeleted);
    QVERIFY(!QFileInfo::exists(t.src(QStringLiteral("a.jpg"))));
    QCOMPARE(readFile(t.trash + QStringLiteral("/000000 a.jpg")), contentOf(QStringLiteral("a.jpg")));

    // The comparison is by exact text: the same folder written differently only copies.
    Fixture::Tree u;
    u.m.CopyMode = 1;
    u.m.DestPath[3] = u.trash + QStringLiteral("/./");
    u.put(QStringLiteral("b.jpg"));
    const TransferResult r2 = transferDrop(u.m, 3, u.source, QStringLiteral("b.jpg"));
    QVERIFY2(r2.ok, qPrintable(r2.message));
    QVERIFY(!r2.sourceDeleted);
    QVERIFY(QFileInfo::exists(u.src(QStringLiteral("b.jpg"))));
}

void TestTransfer::copyModeKeepsSourceWithOwnerWrite()
{
    Fixture::Tree t;
    t.m.CopyMode = 1;
    t.put(QStringLiteral("a.jpg"));
    const QString s = t.src(QStringLiteral("a.jpg"));
    QVERIFY(QFile::setPermissions(s, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    const TransferResult r = transferDrop(t.m, 3, t.source, QStringLiteral("a.jpg"));
    QVERIFY2(r.ok, qPrintable(r.message));
    QVERIFY(!r.sourceDeleted);
    QCOMPARE(readFile(s), contentOf(QStringLiteral("a.jpg")));
    QCOMPARE(readFile(r.destination), contentOf(QStringLiteral("a.jpg")));
    QVERIFY(QFile::permissions(s) & QFileDevice::WriteOwner);
    QCOMPARE(t.m.Undo.newest().From, s);
    QCOMPARE(t.m.Serial[0], 1);
}

void TestTransfer::folderWithoutSeparator()
{
    Fixture::Tree t;
    t.m.DestPath[2] = t.dest[2]; // as typed into the settings file, no trailing separator
    t.put(QStringLiteral("a.jpg"));
    const TransferResult r = transferDrop(t.m, 2, t.source, QStringLiteral("a.jpg"));
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(r.destination, t.dest[2] + QStringLiteral("/000000 a.jpg"));
    QCOMPARE(readFile(r.destination), contentOf(QStringLiteral("a.jpg")));
    QCOMPARE(t.m.Undo.newest().To, r.destination);

    // A source folder given with its trailing separator is not doubled either.
    t.put(QStringLiteral("b.jpg"));
    const TransferResult r2 = transferDrop(t.m, 2, t.source + u'/', QStringLiteral("b.jpg"));
    QVERIFY2(r2.ok, qPrintable(r2.message));
    QCOMPARE(t.m.Undo.newest().From, t.src(QStringLiteral("b.jpg")));
}

void TestTransfer::keepsModificationTime()
{
    Fixture::Tree t;
    t.put(QStringLiteral("a.jpg"));
    const QDateTime when = QDateTime::fromSecsSinceEpoch(1'100'000'000);
    {
        QFile f(t.src(QStringLiteral("a.jpg")));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(when, QFileDevice::FileModificationTime));
    }
    const TransferResult r = transferDrop(t.m, 0, t.source, QStringLiteral("a.jpg"));
    QVERIFY2(r.ok, qPrintable(r.message));
    QCOMPARE(QFileInfo(r.destination).lastModified().toSecsSinceEpoch(), when.toSecsSinceEpoch());
}

void TestTransfer::refusedBeforeAnyFileWork_data()
{
    QTest::addColumn<int>("rule");
    QTest::addColumn<int>("k");
    QTest::addColumn<QString>("head");
    QTest::addColumn<bool>("emptyDest");
    QTest::addColumn<QString>("reason");
    QTest::newRow("rule 3") << 3 << 1 << "" << false << "名前の付け方の設定（3）";
    QTest::newRow("rule -2") << -2 << 1 << "" << false << "名前の付け方の設定（-2）";
    QTest::newRow("head leaves folder") << 2 << 1 << "../x" << false << "../x";
    QTest::newRow("head dot dot") << 2 << 1 << ".." << false << "ヘッドネーム";
    QTest::newRow("target 10") << 0 << 10 << "" << false << "移動先の番号";
    QTest::newRow("target -1") << 0 << -1 << "" << false << "移動先の番号";
    QTest::newRow("no destination") << 0 << 1 << "" << true << "移動先フォルダが設定されていません";
}

void TestTransfer::refusedBeforeAnyFileWork()
{
    QFETCH(int, rule);
    QFETCH(int, k);
    QFETCH(QString, head);
    QFETCH(bool, emptyDest);
    QFETCH(QString, reason);
    Fixture::Tree t;
    t.m.NameRule = static_cast<int16_t>(rule);
    t.m.HeadName[1] = head;
    if (emptyDest)
        t.m.DestPath[1].clear();
    t.m.Serial = { 999999, 999999, 999999 };
    Fixture::fillHistory(t.m.Undo);
    t.put(QStringLiteral("a.jpg"));
    const QString s = t.src(QStringLiteral("a.jpg"));
    QVERIFY(QFile::setPermissions(s, QFileDevice::ReadOwner));
    const State before = State::of(t);

    const TransferResult r = transferDrop(t.m, k, t.source, QStringLiteral("a.jpg"));
    EXPECT_UNCHANGED(t, before, r, QStringLiteral("a.jpg"));
    QVERIFY2(r.message.contains(reason), qPrintable(r.message));
    // Refused before step 7: the source keeps its permissions.
    QVERIFY(!(QFile::permissions(s) & QFileDevice::WriteOwner));
}

void TestTransfer::destinationFolderMissing()
{
    Fixture::Tree t;
    Fixture::fillHistory(t.m.Undo);
    t.m.Serial = { 5, 6, 7 };
    t.m.DestPath[4] = t.root + QStringLiteral("/gone/");
    t.put(QStringLiteral("a.jpg"));
    const State before = State::of(t);
    const TransferResult r = transferDrop(t.m, 4, t.source, QStringLiteral("a.jpg"));
    EXPECT_UNCHANGED(t, before, r, QStringLiteral("a.jpg"));
    QVERIFY2(r.message.contains(QStringLiteral("フォルダが見つかりません")), qPrintable(r.message));
    QVERIFY(!QFileInfo::exists(t.root + QStringLiteral("/gone")));
}

void TestTransfer::destinationNameIsFolder()
{
    Fixture::Tree t;
    Fixture::fillHistory(t.m.Undo);
    t.put(QStringLiteral("a.jpg"));
    QVERIFY(QDir().mkpath(t.dest[0] + QStringLiteral("/000000 a.jpg")));
    Fixture::writeFile(t.dest[0] + QStringLiteral("/000000 a.jpg/inner.jpg"), "inner");
    const State before = State::of(t);
    const TransferResult r = transferDrop(t.m, 0, t.source, QStringLiteral("a.jpg"));
    EXPECT_UNCHANGED(t, before, r, QStringLiteral("a.jpg"));
    QVERIFY(r.message.contains(QStringLiteral("000000 a.jpg")));
}

void TestTransfer::existingFileNeverReplaced_data()
{
    QTest::addColumn<int>("copyMode");
    QTest::newRow("move") << 0;
    QTest::newRow("copy") << 1;
}

void TestTransfer::existingFileNeverReplaced()
{
    QFETCH(int, copyMode);
    Fixture::Tree t;
    t.m.CopyMode = static_cast<int16_t>(copyMode);
    t.m.NameRule = 1;
    t.m.Serial[1] = 7;
    Fixture::fillHistory(t.m.Undo);
    t.put(QStringLiteral("a.jpg"));
    Fixture::writeFile(t.dest[6] + QStringLiteral("/d6000007.jpg"), "the user's own picture");
    const State before = State::of(t);
    const TransferResult r = transferDrop(t.m, 6, t.source, QStringLiteral("a.jpg"));
    EXPECT_UNCHANGED(t, before, r, QStringLiteral("a.jpg"));
    QVERIFY(r.message.contains(QStringLiteral("d6000007.jpg")));
    QVERIFY(r.message.contains(copyMode ? QStringLiteral("コピーできません") : QStringLiteral("移動できません")));
}

void TestTransfer::existingFileAfterWrapKeepsCounter()
{
    Fixture::Tree t;
    t.m.Serial[0] = 999999;
    t.put(QStringLiteral("a.jpg"));
    Fixture::writeFile(t.dest[1] + QStringLiteral("/000000 a.jpg"), "older");
    const State before = State::of(t);
    const TransferResult r = transferDrop(t.m, 1, t.source, QStringLiteral("a.jpg"));
    EXPECT_UNCHANGED(t, before, r, QStringLiteral("a.jpg"));
    QCOMPARE(t.m.Serial[0], 999999); // the wrap is part of a transfer that did not happen
}

void TestTransfer::sourceGone()
{
    Fixture::Tree t;
    Fixture::fillHistory(t.m.Undo);
    const State before = State::of(t);
    const TransferResult r = transferDrop(t.m, 1, t.source, QStringLiteral("vanished.jpg"));
    EXPECT_UNCHANGED(t, before, r, QStringLiteral("vanished.jpg"));
    QVERIFY(r.message.contains(QStringLiteral("見つかりません")));
}

void TestTransfer::sourceReplacedByFolder()
{
    Fixture::Tree t;
    Fixture::fillHistory(t.m.Undo);
    QVERIFY(QDir().mkpath(t.src(QStringLiteral("a.jpg"))));
    Fixture::writeFile(t.src(QStringLiteral("a.jpg/inside.jpg")), "inside");
    const State before = State::of(t);
    const TransferResult r = transferDrop(t.m, 1, t.source, QStringLiteral("a.jpg"));
    EXPECT_UNCHANGED(t, before, r, QStringLiteral("a.jpg"));
    QVERIFY(QFileInfo(t.src(QStringLiteral("a.jpg"))).isDir());
}

void TestTransfer::destinationFolderReadOnly()
{
    Fixture::Tree t;
    Fixture::fillHistory(t.m.Undo);
    t.m.Serial = { 3, 4, 5 };
    t.put(QStringLiteral("a.jpg"));
    const State before = State::of(t);
    LOCK_FOLDER_OR_SKIP(lock, t.dest[2]);
    const TransferResult r = transferDrop(t.m, 2, t.source, QStringLiteral("a.jpg"));
    lock.unlock();
    EXPECT_UNCHANGED(t, before, r, QStringLiteral("a.jpg"));
}

void TestTransfer::sourceFolderReadOnly()
{
    Fixture::Tree t;
    Fixture::fillHistory(t.m.Undo);
    t.m.Serial = { 3, 4, 5 };
    t.put(QStringLiteral("a.jpg"));
    const State before = State::of(t);
    LOCK_FOLDER_OR_SKIP(lock, t.source);
    const TransferResult r = transferDrop(t.m, 2, t.source, QStringLiteral("a.jpg"));
    lock.unlock();
    EXPECT_UNCHANGED(t, before, r, QStringLiteral("a.jpg"));
    QVERIFY2(r.message.contains(QStringLiteral("削除できませんでした")), qPrintable(r.message));
    QVERIFY(!r.duplicateLeft);
}

void TestTransfer::deleteFailsCopyRemoved_data()
{
    QTest::addColumn<int>("copyMode");
    QTest::newRow("move mode") << 0;
    QTest::newRow("copy mode on the delete folder") << 1;
}

void TestTransfer::deleteFailsCopyRemoved()
{
    QFETCH(int, copyMode);
    Fixture::Tree t;
    t.m.CopyMode = static_cast<int16_t>(copyMode);
    t.m.DestPath[2] = t.m.DestPath[10];
    Fixture::fillHistory(t.m.Undo);
    t.m.Serial = { 999999, 4, 5 };
    t.put(QStringLiteral("a.jpg"));
    const State before = State::of(t);
    const TransferResult r
        = transferDrop(t.m, 2, t.source, QStringLiteral("a.jpg"), refusingDelete({ t.src(QStringLiteral("a.jpg")) }));
    EXPECT_UNCHANGED(t, before, r, QStringLiteral("a.jpg"));
    QVERIFY(r.message.contains(QStringLiteral("アクセスが拒否されました")));
    QVERIFY(r.message.contains(QStringLiteral("元の場所にあります")));
}

void TestTransfer::deleteAndCleanupFailRecordedAsCopy()
{
    Fixture::Tree t;
    Fixture::fillHistory(t.m.Undo);
    const UndoHistory old = t.m.Undo;
    t.m.Serial = { 9, 4, 5 };
    t.put(QStringLiteral("a.jpg"));
    const QString s = t.src(QStringLiteral("a.jpg"));
    const QString d = t.dest[2] + QStringLiteral("/000009 a.jpg");
    const TransferResult r = transferDrop(t.m, 2, t.source, QStringLiteral("a.jpg"), refusingDelete({ s, d }));
    QVERIFY(!r.ok);
    QVERIFY(r.duplicateLeft);
    QVERIFY(r.message.contains(QStringLiteral("a.jpg")));
    QCOMPARE(readFile(s), contentOf(QStringLiteral("a.jpg")));
    QCOMPARE(readFile(d), contentOf(QStringLiteral("a.jpg")));
    // The copy exists, so it is on record and its number is used.
    QCOMPARE(t.m.Undo.newest().From, s);
    QCOMPARE(t.m.Undo.newest().To, d);
    QCOMPARE(t.m.Undo.at(1), old.at(0));
    QCOMPARE(t.m.Serial[0], 10);
}

void TestTransfer::shortCopyNeverDeletesSource()
{
    Fixture::Tree t;
    Fixture::fillHistory(t.m.Undo);
    t.put(QStringLiteral("a.jpg"));
    const State before = State::of(t);
    FileActions fs;
    // A copy that claims success but wrote only half the bytes.
    fs.copyFile = [](const QString& from, const QString& to) {
        QFile out(to);
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return FileOps::Result::failure(QStringLiteral("x"));
        const QByteArray all = readFile(from);
        out.write(all.left(all.size() / 2));
        return FileOps::Result::success();
    };
    const TransferResult r = transferDrop(t.m, 2, t.source, QStringLiteral("a.jpg"), fs);
    EXPECT_UNCHANGED(t, before, r, QStringLiteral("a.jpg"));
    QVERIFY(r.message.contains(QStringLiteral("大きさ")));
}

void TestTransfer::diskFullLeavesNoPartialCopy()
{
#if defined(Q_OS_UNIX)
    // A file-size limit makes writes fail part way like a full disk, without root or a small file system.
    Fixture::Tree t;
    Fixture::fillHistory(t.m.Undo);
    Fixture::writeFile(t.src(QStringLiteral("big.jpg")), QByteArray(3 << 20, 'x'));
    const State before = State::of(t);

    rlimit old {};
    QVERIFY(getrlimit(RLIMIT_FSIZE, &old) == 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
    const TransferResult r = transferDrop(t.m, 2, t.source, QStringLiteral("big.jpg"));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_UNCHANGED(t, before, r, QStringLiteral("big.jpg"));
#else
    QSKIP("needs a file-size limit");
#endif
}

QTEST_GUILESS_MAIN(TestTransfer)
#include "tst_transfer.moc"
