#include "DistributeFixture.h"
#include "distribute/Transfer.h"
#include "distribute/Undo.h"
#include <QFileInfo>
#include <optional>

using namespace Distribute;
using Outcome = UndoResult::Outcome;

namespace {

// a.jpg moved (or copied) from the source folder to d2 under rule 0, counter 5 -> 6.
struct Moved : Tree {
    QString from = src(QStringLiteral("a.jpg"));
    QString to;
    explicit Moved(bool copyMode = false)
    {
        m.CopyMode = copyMode;
        m.Serial = { 5, 50, 500 };
        put(QStringLiteral("a.jpg"));
        to = transferDrop(m, 2, source, QStringLiteral("a.jpg")).destination;
    }
};

}

class TestUndo : public QObject {
    Q_OBJECT
private slots:
    void tenTransfersTenUndos()
    {
        Tree t;
        t.m.Serial = { 5, 100, 999999 };
        t.m.HeadName = { "h0", "h1", "h2", "h3", "h4", "h5", "h6", "h7", "h8", "h9" };
        // Two source folders: every file goes back to its own one.
        const QString other = t.root + QStringLiteral("/src2");
        QVERIFY(QDir().mkpath(other));
        QStringList paths;
        for (int i = 0; i < 10; ++i) {
            const QString name = QStringLiteral("IMG_%1.jpg").arg(i);
            const QString folder = i % 2 ? other : t.source;
            writeFile(folder + u'/' + name, contentOf(name));
            t.m.NameRule = int16_t(i % 3);
            const TransferResult r = transferDrop(t.m, i, folder, name);
            QVERIFY2(r.ok, qPrintable(r.message));
            paths << folder + u'/' + name;
        }
        QCOMPARE(t.m.Undo.count(), 10);
        QCOMPARE(t.m.Serial, (std::array<int32_t, 3> { 9, 103, 3 }));
        QVERIFY(QDir(other).removeRecursively()); // made again by the undo

        for (int i = 9; i >= 0; --i) {
            QVERIFY(t.m.Undo.canUndo());
            const UndoResult r = undoLast(t.m);
            QVERIFY2(r.ok(), qPrintable(r.message));
            QCOMPARE(r.restoredPath, paths.at(i));
        }
        QCOMPARE(t.m.Undo, UndoHistory {});
        // Counters given back; a wrapped one is not wound back to 999999.
        QCOMPARE(t.m.Serial, (std::array<int32_t, 3> { 5, 100, 0 }));
        for (const QString& path : std::as_const(paths))
            QCOMPARE(readFile(path), contentOf(QFileInfo(path).fileName()));
        for (const QString& d : t.dest)
            QVERIFY(QDir(d).isEmpty());
        const UndoResult none = undoLast(t.m);
        QCOMPARE(none.outcome, Outcome::NothingToUndo);
        QVERIFY(none.message.isEmpty());
    }

    void elevenTransfersTenComeBack()
    {
        Tree t;
        t.m.NameRule = 1;
        for (int i = 0; i < 11; ++i) {
            t.put(QStringLiteral("p%1.jpg").arg(i));
            QVERIFY(transferDrop(t.m, 4, t.source, QStringLiteral("p%1.jpg").arg(i)).ok);
        }
        int undone = 0;
        for (; t.m.Undo.canUndo(); ++undone)
            QVERIFY(undoLast(t.m).ok());
        QCOMPARE(undone, 10);
        QCOMPARE(t.m.Serial[1], 1);
        QCOMPARE(QDir(t.dest[4]).entryList(QDir::Files), QStringList { "d4000000.jpg" });
        QCOMPARE(readFile(t.dest[4] + QStringLiteral("/d4000000.jpg")), contentOf(QStringLiteral("p0.jpg")));
        for (int i = 1; i < 11; ++i)
            QCOMPARE(readFile(t.src(QStringLiteral("p%1.jpg").arg(i))), contentOf(QStringLiteral("p%1.jpg").arg(i)));
    }

    void copyModeRemovesOnlyTheCopy()
    {
        Moved mv(true);
        const QDateTime mtime = QFileInfo(mv.from).lastModified();
        QVERIFY(QFileInfo::exists(mv.to));
        const UndoResult r = undoLast(mv.m);
        QVERIFY2(r.ok(), qPrintable(r.message));
        QVERIFY(!QFileInfo::exists(mv.to));
        QCOMPARE(readFile(mv.from), contentOf(QStringLiteral("a.jpg")));
        QCOMPARE(QFileInfo(mv.from).lastModified(), mtime); // not written again
        QCOMPARE(mv.m.Serial[0], 5);
    }

    // A cause that can go away changes nothing; once it is gone the same undo goes through.
    void kept_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("different file at the old place") << "different";
        QTest::newRow("same length, other bytes") << "same length";
        QTest::newRow("folder at the old place") << "folder";
        QTest::newRow("source folder is now a file") << "source is a file";
        QTest::newRow("source folder locked") << "locked source";
        QTest::newRow("target folder locked") << "locked target";
        QTest::newRow("target delete refused") << "refused";
        QTest::newRow("copy mode, target delete refused") << "copy refused";
    }
    void kept()
    {
        QFETCH(QString, fault);
        Moved mv(fault == QLatin1String("copy refused"));
        QString obstacle = mv.from;
        FileActions fs;
        if (fault == QLatin1String("different")) {
            writeFile(mv.from, "a new picture under the old name");
        } else if (fault == QLatin1String("same length")) {
            QByteArray bytes = contentOf(QStringLiteral("a.jpg"));
            bytes[bytes.size() - 1] = '#';
            writeFile(mv.from, bytes);
        } else if (fault == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(mv.from));
            writeFile(mv.from + QStringLiteral("/inside.jpg"), "inside");
        } else if (fault == QLatin1String("source is a file")) {
            QVERIFY(QDir(mv.source).removeRecursively());
            writeFile(mv.source, "not a folder");
            obstacle = mv.source;
        } else if (fault.endsWith(QLatin1String("refused"))) {
            fs = refusingDelete({ mv.to });
        }
        const auto files = snapshot(mv.root);
        const UndoHistory history = mv.m.Undo;
        const auto serial = mv.m.Serial;
        std::optional<LockedFolder> lock;
        if (fault.startsWith(QLatin1String("locked "))) {
            lock.emplace(fault.endsWith(QLatin1String("source")) ? mv.source : mv.dest[2]);
            if (!lock->locked())
                QSKIP("no way to make a folder read-only here");
        }
        const UndoResult r = undoLast(mv.m, fs);
        lock.reset();
        QCOMPARE(r.outcome, Outcome::Kept);
        QVERIFY2(r.message.contains(QStringLiteral("a.jpg")) && r.message.contains(QStringLiteral("履歴に残して")),
                 qPrintable(r.message));
        QCOMPARE(snapshot(mv.root), files);
        QVERIFY(mv.m.Undo == history);
        QCOMPARE(mv.m.Serial, serial);

        if (QFileInfo(obstacle).isDir())
            QVERIFY(QDir(obstacle).removeRecursively());
        else if (fault != QLatin1String("copy refused"))
            QFile::remove(obstacle);
        const UndoResult again = undoLast(mv.m);
        QVERIFY2(again.ok(), qPrintable(again.message));
        QCOMPARE(readFile(mv.from), contentOf(QStringLiteral("a.jpg")));
        QVERIFY(!QFileInfo::exists(mv.to));
        QCOMPARE(mv.m.Serial[0], 5);
    }

    void targetAndCleanupDeleteRefused()
    {
        Moved mv;
        const UndoHistory history = mv.m.Undo;
        const UndoResult r = undoLast(mv.m, refusingDelete({ mv.to, mv.from }));
        QCOMPARE(r.outcome, Outcome::Kept);
        QVERIFY(mv.m.Undo == history);
        QCOMPARE(mv.m.Serial[0], 6);
        QCOMPARE(readFile(mv.from), contentOf(QStringLiteral("a.jpg")));
        QCOMPARE(readFile(mv.to), contentOf(QStringLiteral("a.jpg")));
        // Both hold the same bytes now: the next undo only removes the target.
        QVERIFY(undoLast(mv.m).ok());
        QVERIFY(!QFileInfo::exists(mv.to));
        QCOMPARE(readFile(mv.from), contentOf(QStringLiteral("a.jpg")));
    }

    // The entry goes, the number stays used, and no file is touched.
    void dropped_data()
    {
        QTest::addColumn<bool>("alias");
        QTest::newRow("target gone") << false;
        QTest::newRow("one file under two names") << true;
    }
    void dropped()
    {
        QFETCH(bool, alias);
        Moved mv;
        mv.fillHistory();
        mv.m.Undo.shiftDown();
        mv.m.Undo.newest() = { mv.from, mv.to, 0 };
        if (alias) {
            QVERIFY(QFile::rename(mv.to, mv.from));
            QVERIFY(QFile::link(mv.source, mv.root + QStringLiteral("/alias")));
            mv.m.Undo.newest().To = mv.root + QStringLiteral("/alias/a.jpg");
        } else {
            QVERIFY(QFile::remove(mv.to));
        }
        UndoHistory expected = mv.m.Undo;
        expected.shiftUp();
        const auto files = snapshot(mv.root);
        const UndoResult r = undoLast(mv.m);
        QCOMPARE(r.outcome, Outcome::EntryDropped);
        QVERIFY2(r.message.contains(QStringLiteral("履歴から外しました")), qPrintable(r.message));
        QVERIFY(mv.m.Undo == expected);
        QCOMPARE(mv.m.Serial[0], 6);
        QCOMPARE(snapshot(mv.root), files);
    }
};

QTEST_GUILESS_MAIN(TestUndo)
#include "tst_undo.moc"
