#include "DistributeFixture.h"
#include "distribute/Transfer.h"
#include "distribute/Undo.h"
#include <QFileInfo>
#include <QtTest>

using namespace Distribute;
using Fixture::contentOf;
using Fixture::readFile;
using Outcome = UndoResult::Outcome;

namespace {

FileOps::Result denied() { return FileOps::Result::failure(QStringLiteral("アクセスが拒否されました。")); }

FileActions refusingDelete(const QStringList& victims)
{
    FileActions fs;
    fs.deleteFile = [victims](const QString& p) { return victims.contains(p) ? denied() : FileOps::deleteFile(p); };
    return fs;
}

// One move of a.jpg from the source folder to d2 under rule 0, counter 5 -> 6.
struct Moved {
    Fixture::Tree t;
    QString from;
    QString to;
    Moved()
    {
        t.m.Serial = { 5, 50, 500 };
        t.put(QStringLiteral("a.jpg"));
        from = t.src(QStringLiteral("a.jpg"));
        const TransferResult r = transferDrop(t.m, 2, t.source, QStringLiteral("a.jpg"));
        to = r.destination;
    }
};

}

// A refused undo leaves files, history and counters as they were.
#define EXPECT_KEPT(tree, r, files, history, serial)                                                     \
    do {                                                                                                 \
        QCOMPARE((r).outcome, Outcome::Kept);                                                            \
        QVERIFY(!(r).ok());                                                                              \
        QVERIFY2((r).message.contains(QStringLiteral("a.jpg")), qPrintable((r).message));                \
        QVERIFY2((r).message.contains(QStringLiteral("履歴に残して")), qPrintable((r).message));          \
        QCOMPARE(Fixture::snapshot((tree).root), files);                                                 \
        QVERIFY((tree).m.Undo == (history));                                                             \
        QCOMPARE((tree).m.Serial, (serial));                                                             \
    } while (0)

class TestUndo : public QObject {
    Q_OBJECT
private slots:
    void nothingToUndo();
    void undoesOneMove();
    void tenTransfersTenUndos();
    void elevenTransfersTenComeBack();
    void copyModeTransfer();
    void sendAllKind();
    void wrappedCounterNotWrappedBack();
    void missingSourceFolderIsMadeAgain();

    void targetGoneDropsEntry();
    void differentFileAtFromKept();
    void folderAtFromKept();
    void sourceFolderCannotBeMade();
    void sourceFolderReadOnly();
    void targetFolderReadOnly();
    void targetDeleteAndCleanupFail();
    void identicalAtFromButTargetLocked();
    void sameFileByTwoNames();
};

void TestUndo::nothingToUndo()
{
    Module1 m;
    const UndoResult r = undoLast(m);
    QCOMPARE(r.outcome, Outcome::NothingToUndo);
    QVERIFY(r.message.isEmpty());
    QVERIFY(!m.Undo.canUndo());
}

void TestUndo::undoesOneMove()
{
    Moved mv;
    QVERIFY(QFileInfo::exists(mv.to));
    QCOMPARE(mv.t.m.Serial[0], 6);
    const UndoResult r = undoLast(mv.t.m);
    QVERIFY2(r.ok(), qPrintable(r.message));
    QVERIFY(r.message.isEmpty());
    QCOMPARE(r.restoredPath, mv.from);
    QCOMPARE(readFile(mv.from), contentOf(QStringLiteral("a.jpg")));
    QVERIFY(!QFileInfo::exists(mv.to));
    QCOMPARE(mv.t.m.Serial[0], 5);
    QVERIFY(!mv.t.m.Undo.canUndo());
    QVERIFY(mv.t.m.Undo.at(9).isEmpty());
}

void TestUndo::tenTransfersTenUndos()
{
    Fixture::Tree t;
    const std::array<int32_t, 3> start { 5, 100, 7 };
    t.m.Serial = start;
    t.m.HeadName = { "h0", "h1", "h2", "h3", "h4", "h5", "h6", "h7", "h8", "h9" };
    // Two source folders: every file goes back to its own one.
    const QString other = t.root + QStringLiteral("/src2");
    QVERIFY(QDir().mkpath(other));
    QStringList names;
    for (int i = 0; i < 10; ++i) {
        const QString name = QStringLiteral("IMG_%1.jpg").arg(i);
        const QString folder = i % 2 ? other : t.source;
        Fixture::writeFile(folder + u'/' + name, contentOf(name));
        t.m.NameRule = static_cast<int16_t>(i % 3);
        const TransferResult r = transferDrop(t.m, i, folder, name);
        QVERIFY2(r.ok, qPrintable(r.message));
        QVERIFY(t.m.Undo.canUndo());
        names << folder + u'/' + name;
    }
    QCOMPARE(t.m.Undo.count(), 10);
    QCOMPARE(t.m.Serial, (std::array<int32_t, 3> { 9, 103, 10 }));

    for (int i = 0; i < 10; ++i) {
        QVERIFY(t.m.Undo.canUndo());
        const UndoResult r = undoLast(t.m);
        QVERIFY2(r.ok(), qPrintable(r.message));
        QCOMPARE(r.restoredPath, names.at(9 - i));
    }
    QVERIFY(!t.m.Undo.canUndo());
    QCOMPARE(t.m.Undo, UndoHistory {});
    QCOMPARE(t.m.Serial, start);
    for (const QString& path : std::as_const(names))
        QCOMPARE(readFile(path), contentOf(QFileInfo(path).fileName()));
    for (int k = 0; k < 10; ++k)
        QVERIFY(QDir(t.dest[k]).isEmpty());
}

void TestUndo::elevenTransfersTenComeBack()
{
    Fixture::Tree t;
    t.m.NameRule = 1;
    for (int i = 0; i < 11; ++i) {
        const QString name = QStringLiteral("p%1.jpg").arg(i);
        t.put(name);
        QVERIFY(transferDrop(t.m, 4, t.source, name).ok);
    }
    QCOMPARE(t.m.Serial[1], 11);
    int undone = 0;
    while (t.m.Undo.canUndo()) {
        QVERIFY(undoLast(t.m).ok());
        ++undone;
    }
    QCOMPARE(undone, 10);
    QCOMPARE(t.m.Serial[1], 1);
    QVERIFY(!QFileInfo::exists(t.src(QStringLiteral("p0.jpg"))));
    QCOMPARE(readFile(t.dest[4] + QStringLiteral("/d4000000.jpg")), contentOf(QStringLiteral("p0.jpg")));
    for (int i = 1; i < 11; ++i)
        QCOMPARE(readFile(t.src(QStringLiteral("p%1.jpg").arg(i))), contentOf(QStringLiteral("p%1.jpg").arg(i)));
    QCOMPARE(QDir(t.dest[4]).entryList(QDir::Files).size(), 1);
}

void TestUndo::copyModeTransfer()
{
    Fixture::Tree t;
    t.m.CopyMode = 1;
    t.m.Serial[0] = 3;
    t.put(QStringLiteral("a.jpg"));
    const TransferResult tr = transferDrop(t.m, 1, t.source, QStringLiteral("a.jpg"));
    QVERIFY(tr.ok && !tr.sourceDeleted);
    const QDateTime mtime = QFileInfo(t.src(QStringLiteral("a.jpg"))).lastModified();

    const UndoResult r = undoLast(t.m);
    QVERIFY2(r.ok(), qPrintable(r.message));
    QVERIFY(!QFileInfo::exists(tr.destination));
    QCOMPARE(readFile(t.src(QStringLiteral("a.jpg"))), contentOf(QStringLiteral("a.jpg")));
    QCOMPARE(QFileInfo(t.src(QStringLiteral("a.jpg"))).lastModified(), mtime);
    QCOMPARE(t.m.Serial[0], 3);
    QVERIFY(!t.m.Undo.canUndo());
}

void TestUndo::sendAllKind()
{
    Fixture::Tree t;
    t.m.Serial = { 1, 2, 3 };
    Fixture::writeFile(t.trash + QStringLiteral("/x.jpg"), contentOf(QStringLiteral("x.jpg")));
    t.m.Undo.shiftDown();
    t.m.Undo.newest() = { t.src(QStringLiteral("x.jpg")), t.trash + QStringLiteral("/x.jpg"), 3 };
    const UndoResult r = undoLast(t.m);
    QVERIFY2(r.ok(), qPrintable(r.message));
    QCOMPARE(readFile(t.src(QStringLiteral("x.jpg"))), contentOf(QStringLiteral("x.jpg")));
    QVERIFY(!QFileInfo::exists(t.trash + QStringLiteral("/x.jpg")));
    QCOMPARE(t.m.Serial, (std::array<int32_t, 3> { 1, 2, 3 }));
}

void TestUndo::wrappedCounterNotWrappedBack()
{
    Fixture::Tree t;
    t.m.NameRule = 2;
    t.m.Serial[2] = 999999;
    t.put(QStringLiteral("a.jpg"));
    QVERIFY(transferDrop(t.m, 0, t.source, QStringLiteral("a.jpg")).ok);
    QCOMPARE(t.m.Serial[2], 1);
    QVERIFY(undoLast(t.m).ok());
    QCOMPARE(t.m.Serial[2], 0);
}

void TestUndo::missingSourceFolderIsMadeAgain()
{
    Moved mv;
    QVERIFY(QDir(mv.t.source).removeRecursively());
    const UndoResult r = undoLast(mv.t.m);
    QVERIFY2(r.ok(), qPrintable(r.message));
    QCOMPARE(readFile(mv.from), contentOf(QStringLiteral("a.jpg")));
    QVERIFY(!QFileInfo::exists(mv.to));
    QCOMPARE(mv.t.m.Serial[0], 5);
}

void TestUndo::targetGoneDropsEntry()
{
    Moved mv;
    Fixture::fillHistory(mv.t.m.Undo); // older entries below the move
    mv.t.m.Undo.shiftDown();
    mv.t.m.Undo.newest() = { mv.from, mv.to, 0 };
    UndoHistory expected = mv.t.m.Undo;
    expected.shiftUp();
    QVERIFY(QFile::remove(mv.to));
    const auto files = Fixture::snapshot(mv.t.root);

    const UndoResult r = undoLast(mv.t.m);
    QCOMPARE(r.outcome, Outcome::EntryDropped);
    QVERIFY2(r.message.contains(QStringLiteral("a.jpg")) && r.message.contains(QStringLiteral("履歴から外しました")),
        qPrintable(r.message));
    QVERIFY(mv.t.m.Undo == expected);
    QCOMPARE(mv.t.m.Serial[0], 6); // the number stays used
    QCOMPARE(Fixture::snapshot(mv.t.root), files);
}

void TestUndo::differentFileAtFromKept()
{
    Moved mv;
    Fixture::writeFile(mv.from, "a new picture under the old name");
    const auto files = Fixture::snapshot(mv.t.root);
    const UndoHistory history = mv.t.m.Undo;
    const auto serial = mv.t.m.Serial;
    const UndoResult r = undoLast(mv.t.m);
    EXPECT_KEPT(mv.t, r, files, history, serial);
    QVERIFY(r.message.contains(QStringLiteral("内容の異なる")));

    // Same length, different bytes: still not the same file.
    QByteArray same = contentOf(QStringLiteral("a.jpg"));
    same[same.size() - 1] = '#';
    Fixture::writeFile(mv.from, same);
    const auto files2 = Fixture::snapshot(mv.t.root);
    const UndoResult r2 = undoLast(mv.t.m);
    EXPECT_KEPT(mv.t, r2, files2, history, serial);

    // Once the user moves it away, the undo goes through.
    QVERIFY(QFile::remove(mv.from));
    QVERIFY(undoLast(mv.t.m).ok());
    QCOMPARE(readFile(mv.from), contentOf(QStringLiteral("a.jpg")));
}

void TestUndo::folderAtFromKept()
{
    Moved mv;
    QVERIFY(QDir().mkpath(mv.from));
    Fixture::writeFile(mv.from + QStringLiteral("/inside.jpg"), "inside");
    const auto files = Fixture::snapshot(mv.t.root);
    const UndoHistory history = mv.t.m.Undo;
    const auto serial = mv.t.m.Serial;
    const UndoResult r = undoLast(mv.t.m);
    EXPECT_KEPT(mv.t, r, files, history, serial);
}

void TestUndo::sourceFolderCannotBeMade()
{
    Moved mv;
    // The source folder's place is now taken by a plain file.
    QVERIFY(QDir(mv.t.source).removeRecursively());
    Fixture::writeFile(mv.t.source, "not a folder");
    const auto files = Fixture::snapshot(mv.t.root);
    const UndoHistory history = mv.t.m.Undo;
    const auto serial = mv.t.m.Serial;
    const UndoResult r = undoLast(mv.t.m);
    EXPECT_KEPT(mv.t, r, files, history, serial);
    QCOMPARE(readFile(mv.to), contentOf(QStringLiteral("a.jpg")));
}

void TestUndo::sourceFolderReadOnly()
{
    Moved mv;
    const auto files = Fixture::snapshot(mv.t.root);
    const UndoHistory history = mv.t.m.Undo;
    const auto serial = mv.t.m.Serial;
    LOCK_FOLDER_OR_SKIP(lock, mv.t.source);
    const UndoResult r = undoLast(mv.t.m);
    lock.unlock();
    EXPECT_KEPT(mv.t, r, files, history, serial);
}

void TestUndo::targetFolderReadOnly()
{
    Moved mv;
    const auto files = Fixture::snapshot(mv.t.root);
    const UndoHistory history = mv.t.m.Undo;
    const auto serial = mv.t.m.Serial;
    {
        LOCK_FOLDER_OR_SKIP(lock, mv.t.dest[2]);
        const UndoResult r = undoLast(mv.t.m);
        lock.unlock();
        // The copy back was taken away again, so nothing is doubled.
        EXPECT_KEPT(mv.t, r, files, history, serial);
        QVERIFY(r.message.contains(QStringLiteral("削除できませんでした")));
    }
    // The same through replaced actions, which also run where folders cannot be locked.
    const UndoResult r2 = undoLast(mv.t.m, refusingDelete({ mv.to }));
    EXPECT_KEPT(mv.t, r2, files, history, serial);
    QVERIFY(!QFileInfo::exists(mv.from));
}

void TestUndo::targetDeleteAndCleanupFail()
{
    Moved mv;
    const UndoHistory history = mv.t.m.Undo;
    const auto serial = mv.t.m.Serial;
    const UndoResult r = undoLast(mv.t.m, refusingDelete({ mv.to, mv.from }));
    QCOMPARE(r.outcome, Outcome::Kept);
    QVERIFY(mv.t.m.Undo == history);
    QCOMPARE(mv.t.m.Serial, serial);
    QCOMPARE(readFile(mv.from), contentOf(QStringLiteral("a.jpg")));
    QCOMPARE(readFile(mv.to), contentOf(QStringLiteral("a.jpg")));

    // Both are the same bytes now: the next undo only removes the target.
    const UndoResult again = undoLast(mv.t.m);
    QVERIFY2(again.ok(), qPrintable(again.message));
    QVERIFY(!QFileInfo::exists(mv.to));
    QCOMPARE(readFile(mv.from), contentOf(QStringLiteral("a.jpg")));
    QCOMPARE(mv.t.m.Serial[0], 5);
}

void TestUndo::identicalAtFromButTargetLocked()
{
    Fixture::Tree t;
    t.m.CopyMode = 1;
    t.put(QStringLiteral("a.jpg"));
    const TransferResult tr = transferDrop(t.m, 1, t.source, QStringLiteral("a.jpg"));
    QVERIFY(tr.ok);
    const auto files = Fixture::snapshot(t.root);
    const UndoHistory history = t.m.Undo;
    const auto serial = t.m.Serial;
    const UndoResult r = undoLast(t.m, refusingDelete({ tr.destination }));
    EXPECT_KEPT(t, r, files, history, serial);
}

void TestUndo::sameFileByTwoNames()
{
#if defined(Q_OS_UNIX)
    Fixture::Tree t;
    t.put(QStringLiteral("a.jpg"));
    const QString alias = t.root + QStringLiteral("/alias");
    QVERIFY(QFile::link(t.source, alias));
    t.m.Undo.shiftDown();
    t.m.Undo.newest() = { t.src(QStringLiteral("a.jpg")), alias + QStringLiteral("/a.jpg"), 0 };
    const UndoResult r = undoLast(t.m);
    QCOMPARE(r.outcome, Outcome::EntryDropped);
    QCOMPARE(readFile(t.src(QStringLiteral("a.jpg"))), contentOf(QStringLiteral("a.jpg")));
    QVERIFY(!t.m.Undo.canUndo());
#else
    QSKIP("symbolic links need privileges here");
#endif
}

QTEST_GUILESS_MAIN(TestUndo)
#include "tst_undo.moc"
