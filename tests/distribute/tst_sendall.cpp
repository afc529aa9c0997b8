#include "DistributeFixture.h"
#include "distribute/SendAll.h"
#include "distribute/Transfer.h"
#include "distribute/Undo.h"
#include <QFileInfo>

using namespace Distribute;

namespace {

QStringList makeFiles(const Tree& t, int n)
{
    QStringList names;
    for (int i = 0; i < n; ++i) {
        names << QStringLiteral("IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
        t.put(names.last());
    }
    return names;
}

struct Recorder {
    QList<int> hidden, shown;
    int events = 0;
    SendAllCallbacks callbacks()
    {
        return { [this](int i) { hidden << i; }, [this](int i) { shown << i; }, [this] { ++events; } };
    }
};

}

class TestSendAll : public QObject {
    Q_OBJECT
private slots:
    void reachesOnlyTheBoard()
    {
        Tree t;
        t.m.CopyMode = 1; // send all moves all the same
        t.m.Serial = { 10, 20, 30 };
        const QStringList names = makeFiles(t, 25);
        QVERIFY(QFile::setPermissions(t.src(names[0]), QFileDevice::ReadOwner));
        // Positions 2 and 5 were sorted by drops already.
        t.m.CopyMode = 0;
        QVERIFY(transferDrop(t.m, 1, t.source, names[2]).ok);
        QVERIFY(transferDrop(t.m, 1, t.source, names[5]).ok);
        t.m.CopyMode = 1;
        const auto serial = t.m.Serial;

        Recorder rec;
        const SendAllResult r = sendAllToDeleteFolder(t.m, t.source, names, 10, rec.callbacks());
        QVERIFY2(r.message.isEmpty(), qPrintable(r.message));
        QCOMPARE(r.moved, 8);
        QVERIFY(r.failures.empty() && r.renamed.empty());
        QCOMPARE(rec.hidden, (QList<int> { 0, 1, 3, 4, 6, 7, 8, 9 }));
        QVERIFY(rec.shown.isEmpty());
        QCOMPARE(rec.events, 10);
        QCOMPARE(t.m.Serial, serial);
        for (int i = 0; i < 25; ++i) {
            const bool sent = i < 10 && i != 2 && i != 5;
            QCOMPARE(QFileInfo::exists(t.src(names[i])), i >= 10);
            QCOMPARE(readFile(t.trash + u'/' + names[i]), sent ? contentOf(names[i]) : QByteArray());
        }
        QVERIFY(QFile::permissions(t.trash + u'/' + names[0]) & QFileDevice::WriteOwner);
        // Eight kind-3 entries, newest the last position, above the two drops.
        const int order[] = { 9, 8, 7, 6, 4, 3, 1, 0 };
        for (int j = 0; j < 8; ++j)
            QCOMPARE(t.m.Undo.at(j), (UndoEntry { t.src(names[order[j]]), t.trash + u'/' + names[order[j]], 3 }));
        QCOMPARE(t.m.Undo.at(8).From, t.src(names[5]));
        QCOMPARE(t.m.Undo.at(9).From, t.src(names[2]));
    }

    void nothingToSend()
    {
        Tree t;
        const QStringList names = makeFiles(t, 3);
        Recorder rec;
        for (int boardEnd : { -1, 0 })
            QCOMPARE(sendAllToDeleteFolder(t.m, t.source, names, boardEnd, rec.callbacks()).moved, 0);
        QCOMPARE(sendAllToDeleteFolder(t.m, t.source, {}, 10, rec.callbacks()).moved, 0);
        QCOMPARE(rec.events, 0);
        // Files gone meanwhile are passed over without a word.
        const SendAllResult r = sendAllToDeleteFolder(t.m, t.source, { "gone1.jpg", "gone2.jpg" }, 10, rec.callbacks());
        QCOMPARE(r.moved, 0);
        QVERIFY(r.message.isEmpty());
        QCOMPARE(rec.events, 2);
        QVERIFY(rec.hidden.isEmpty());
        QVERIFY(!t.m.Undo.canUndo());
        // A board end past the list stops at the list.
        QCOMPARE(sendAllToDeleteFolder(t.m, t.source, names, 30, rec.callbacks()).moved, 3);
        QCOMPARE(rec.events, 5);
    }

    void elevenMovedTenUndoable()
    {
        Tree t;
        const QStringList names = makeFiles(t, 12);
        QCOMPARE(sendAllToDeleteFolder(t.m, t.source, names, 12).moved, 12);
        int undone = 0;
        for (; t.m.Undo.canUndo(); ++undone)
            QVERIFY(undoLast(t.m).ok());
        QCOMPARE(undone, 10);
        QCOMPARE(QDir(t.trash).entryList(QDir::Files), names.mid(0, 2));
        for (int i = 2; i < 12; ++i)
            QCOMPARE(readFile(t.src(names[i])), contentOf(names[i]));
        QCOMPARE(t.m.Serial, (std::array<int32_t, 3> {}));
    }

    void takenNameGetsFreeName()
    {
        Tree t;
        const QStringList names = makeFiles(t, 2);
        const QString taken2 = t.trash + QStringLiteral("/IMG_0000 (2).jpg");
        const QString free3 = t.trash + QStringLiteral("/IMG_0000 (3).jpg");
        writeFile(t.trash + u'/' + names[0], "older one");
        writeFile(taken2, "older two");
        const SendAllResult r = sendAllToDeleteFolder(t.m, t.source, names, 10);
        QCOMPARE(r.moved, 2);
        QCOMPARE(r.renamed.size(), size_t(1));
        QCOMPARE(r.renamed[0].storedAs, QStringLiteral("IMG_0000 (3).jpg"));
        QCOMPARE(readFile(t.trash + u'/' + names[0]), QByteArray("older one"));
        QCOMPARE(readFile(taken2), QByteArray("older two"));
        QCOMPARE(readFile(free3), contentOf(names[0]));
        QCOMPARE(t.m.Undo.at(1).To, free3);
        QVERIFY(undoLast(t.m).ok() && undoLast(t.m).ok());
        QCOMPARE(readFile(t.src(names[0])), contentOf(names[0]));
        QCOMPARE(readFile(t.trash + u'/' + names[0]), QByteArray("older one"));
        QVERIFY(!QFileInfo::exists(free3));
    }

    void dropWhileEventsRun()
    {
        // Events run between files, so a drop may take a later file away first.
        Tree t;
        const QStringList names = makeFiles(t, 4);
        SendAllCallbacks cb;
        cb.processEvents = [&, step = 0]() mutable {
            if (step++ == 0)
                QVERIFY(transferDrop(t.m, 0, t.source, names[2]).ok);
        };
        const SendAllResult r = sendAllToDeleteFolder(t.m, t.source, names, 10, cb);
        QCOMPARE(r.moved, 3);
        QVERIFY(r.failures.empty());
        QCOMPARE(t.m.Undo.count(), 4);
        const int order[] = { 3, 1, 2, 0 }; // the drop's entry among them
        for (int j = 0; j < 4; ++j)
            QCOMPARE(t.m.Undo.at(j).From, t.src(names[order[j]]));
        QCOMPARE(int(t.m.Undo.at(2).Kind), 0);
    }

    // Nothing can be sent: every file stays, the history is untouched.
    void refusedWhole_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("mentions");
        QTest::addColumn<int>("failures");
        QTest::newRow("delete folder missing") << "missing" << "フォルダが見つかりません" << 25;
        QTest::newRow("source folder locked") << "locked" << "" << 25;
        QTest::newRow("delete folder is the source") << "source" << "同じ" << 0;
        QTest::newRow("delete folder unset") << "unset" << "設定されていません" << 0;
    }
    void refusedWhole()
    {
        QFETCH(QString, fault);
        QFETCH(QString, mentions);
        QFETCH(int, failures);
        Tree t;
        const QStringList names = makeFiles(t, 25);
        t.fillHistory();
        if (fault == QLatin1String("missing"))
            QVERIFY(QDir(t.trash).removeRecursively());
        else if (fault == QLatin1String("source"))
            t.m.DestPath[10] = t.source + u'/';
        else if (fault == QLatin1String("unset"))
            t.m.DestPath[10].clear();
        const auto files = snapshot(t.root);
        const UndoHistory history = t.m.Undo;
        LockedFolder lock(fault == QLatin1String("locked") ? t.source : QString());
        if (fault == QLatin1String("locked") && !lock.locked())
            QSKIP("no way to make a folder read-only here");
        Recorder rec;
        const SendAllResult r = sendAllToDeleteFolder(t.m, t.source, names, 25, rec.callbacks());
        lock.unlock();
        QCOMPARE(r.moved, 0);
        QCOMPARE(int(r.failures.size()), failures);
        QCOMPARE(rec.shown, rec.hidden);
        QVERIFY2(r.message.contains(mentions), qPrintable(r.message));
        // A long list names twenty files and counts the rest.
        for (int i = 0; i < qMin(failures, 20); ++i)
            QVERIFY(r.message.contains(names[i]));
        if (failures > 20)
            QVERIFY(!r.message.contains(names[20]) && r.message.contains(QStringLiteral("ほか 5 件")));
        QCOMPARE(snapshot(t.root), files);
        QVERIFY(t.m.Undo == history);
    }

    void partialFailures()
    {
        Tree t;
        const QStringList names = makeFiles(t, 5);
        // Position 1 became a folder: not a file, so passed over.
        QVERIFY(QFile::remove(t.src(names[1])) && QDir().mkpath(t.src(names[1])));
        t.fillHistory();
        UndoHistory expected = t.m.Undo;
        for (int i : { 0, 2 }) {
            expected.shiftDown();
            expected.newest() = { t.src(names[i]), t.trash + u'/' + names[i], 3 };
        }
        FileActions fs = refusingDelete({ t.src(names[4]) });
        fs.copyFile = [busy = t.src(names[3])](const QString& from, const QString& to) {
            return from == busy ? FileOps::Result::failure(QStringLiteral("ファイルが使用中です。"))
                                : FileOps::copyFile(from, to);
        };
        Recorder rec;
        const SendAllResult r = sendAllToDeleteFolder(t.m, t.source, names, 10, rec.callbacks(), fs);
        QCOMPARE(r.moved, 2);
        QCOMPARE(r.failures.size(), size_t(2));
        QCOMPARE(r.failures[0].position, 3);
        QCOMPARE(r.failures[1].fileName, names[4]);
        QCOMPARE(rec.shown, (QList<int> { 3, 4 }));
        QVERIFY2(r.message.contains(QStringLiteral("使用中")) && r.message.contains(QStringLiteral("拒否")),
                 qPrintable(r.message));
        QVERIFY(t.m.Undo == expected);
        for (int i : { 3, 4 }) {
            QCOMPARE(readFile(t.src(names[i])), contentOf(names[i]));
            QVERIFY(!QFileInfo::exists(t.trash + u'/' + names[i]));
        }
        QVERIFY(QFileInfo(t.src(names[1])).isDir());
    }

    void deleteAndCleanupFailRecorded()
    {
        Tree t;
        const QStringList names = makeFiles(t, 1);
        const QString s = t.src(names[0]);
        const QString d = t.trash + u'/' + names[0];
        const SendAllResult r = sendAllToDeleteFolder(t.m, t.source, names, 10, {}, refusingDelete({ s, d }));
        QCOMPARE(r.moved, 0);
        QCOMPARE(r.failures.size(), size_t(1));
        QCOMPARE(readFile(s), contentOf(names[0]));
        QCOMPARE(readFile(d), contentOf(names[0]));
        QCOMPARE(t.m.Undo.newest(), (UndoEntry { s, d, 3 }));
        // Undo takes the copy back and leaves the original.
        QVERIFY(undoLast(t.m).ok());
        QVERIFY(!QFileInfo::exists(d));
        QCOMPARE(readFile(s), contentOf(names[0]));
    }
};

QTEST_GUILESS_MAIN(TestSendAll)
#include "tst_sendall.moc"
