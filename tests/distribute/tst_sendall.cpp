#include "DistributeFixture.h"
#include "distribute/SendAll.h"
#include "distribute/Transfer.h"
#include "distribute/Undo.h"
#include <QFileInfo>
#include <QtTest>

using namespace Distribute;
using Fixture::contentOf;
using Fixture::readFile;

namespace {

QStringList makeFiles(const Fixture::Tree& t, int n)
{
    QStringList names;
    for (int i = 0; i < n; ++i) {
        const QString name = QStringLiteral("IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
        t.put(name);
        names << name;
    }
    return names;
}

FileOps::Result denied() { return FileOps::Result::failure(QStringLiteral("アクセスが拒否されました。")); }

struct Recorder {
    QList<int> hidden;
    QList<int> shown;
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
    void freeName_data();
    void freeName();

    void reachesOnlyTheBoard();
    void copyModeStillMoves();
    void positionsBeyondTheList();
    void readOnlySourceIsMoved();
    void elevenMovedTenUndoable();
    void nothingLeftKeepsHistoryEmpty();
    void takenNameGetsFreeName();
    void dropWhileEventsRun();

    void deleteFolderMissing();
    void oneFailureAmongMany();
    void sourceFolderReadOnly();
    void deleteFailsCopyRemoved();
    void deleteAndCleanupFailRecorded();
    void deleteFolderIsSourceFolder();
    void deleteFolderUnset();
    void longFailureListIsShortened();
};

void TestSendAll::freeName_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("free") << QStringList {} << "x.jpg" << "x.jpg";
    QTest::newRow("taken") << QStringList { "x.jpg" } << "x.jpg" << "x (2).jpg";
    QTest::newRow("taken twice") << QStringList { "x.jpg", "x (2).jpg" } << "x.jpg" << "x (3).jpg";
    QTest::newRow("gap used") << QStringList { "x.jpg", "x (3).jpg" } << "x.jpg" << "x (2).jpg";
    QTest::newRow("last dot") << QStringList { "a.b.JPG" } << "a.b.JPG" << "a.b (2).JPG";
    QTest::newRow("no dot") << QStringList { "README" } << "README" << "README (2)";
    QTest::newRow("all extension") << QStringList { ".JPG" } << ".JPG" << " (2).JPG";
    QTest::newRow("folder counts as taken") << QStringList { "dir:x.jpg" } << "x.jpg" << "x (2).jpg";
}

void TestSendAll::freeName()
{
    QFETCH(QStringList, present);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    for (const QString& p : std::as_const(present)) {
        if (p.startsWith(QStringLiteral("dir:")))
            QVERIFY(QDir(dir.path()).mkdir(p.mid(4)));
        else
            Fixture::writeFile(dir.path() + u'/' + p, "x");
    }
    QCOMPARE(freeNameIn(dir.path(), name), expected);
}

void TestSendAll::reachesOnlyTheBoard()
{
    Fixture::Tree t;
    t.m.Serial = { 10, 20, 30 };
    const QStringList names = makeFiles(t, 25);
    // Positions 2 and 5 were already sorted by drops.
    QVERIFY(transferDrop(t.m, 1, t.source, names[2]).ok);
    QVERIFY(transferDrop(t.m, 1, t.source, names[5]).ok);
    const auto serial = t.m.Serial;

    Recorder rec;
    const SendAllResult r = sendAllToDeleteFolder(t.m, t.source, names, 10, rec.callbacks());
    QVERIFY2(r.message.isEmpty(), qPrintable(r.message));
    QCOMPARE(r.moved, 8);
    QVERIFY(r.failures.empty());
    QVERIFY(r.renamed.empty());
    QCOMPARE(rec.hidden, (QList<int> { 0, 1, 3, 4, 6, 7, 8, 9 }));
    QVERIFY(rec.shown.isEmpty());
    QCOMPARE(rec.events, 10);
    QCOMPARE(t.m.Serial, serial);

    for (int i = 0; i < 25; ++i) {
        const bool sent = i < 10 && i != 2 && i != 5;
        QCOMPARE(QFileInfo::exists(t.src(names[i])), i >= 10);
        QCOMPARE(QFileInfo::exists(t.trash + u'/' + names[i]), sent);
        if (sent)
            QCOMPARE(readFile(t.trash + u'/' + names[i]), contentOf(names[i]));
    }
    // Eight kind-3 entries, newest the last position, above the two drops.
    QCOMPARE(t.m.Undo.count(), 10);
    const QList<int> order { 9, 8, 7, 6, 4, 3, 1, 0 };
    for (int j = 0; j < order.size(); ++j) {
        const UndoEntry& e = t.m.Undo.at(j);
        QCOMPARE(e.From, t.src(names[order[j]]));
        QCOMPARE(e.To, t.trash + u'/' + names[order[j]]);
        QCOMPARE(int(e.Kind), 3);
    }
    QCOMPARE(t.m.Undo.at(8).From, t.src(names[5]));
    QCOMPARE(t.m.Undo.at(9).From, t.src(names[2]));
}

void TestSendAll::copyModeStillMoves()
{
    Fixture::Tree t;
    t.m.CopyMode = 1;
    const QStringList names = makeFiles(t, 3);
    const SendAllResult r = sendAllToDeleteFolder(t.m, t.source, names, 10);
    QCOMPARE(r.moved, 3);
    QVERIFY(QDir(t.source).isEmpty());
    QCOMPARE(QDir(t.trash).entryList(QDir::Files), names);
}

void TestSendAll::positionsBeyondTheList()
{
    Fixture::Tree t;
    const QStringList names = makeFiles(t, 3);
    Recorder rec;
    const SendAllResult r = sendAllToDeleteFolder(t.m, t.source, names, 30, rec.callbacks());
    QCOMPARE(r.moved, 3);
    QCOMPARE(rec.events, 3);

    Fixture::Tree u;
    const QStringList more = makeFiles(u, 2);
    Recorder none;
    QCOMPARE(sendAllToDeleteFolder(u.m, u.source, more, -1, none.callbacks()).moved, 0);
    QCOMPARE(sendAllToDeleteFolder(u.m, u.source, more, 0, none.callbacks()).moved, 0);
    QCOMPARE(sendAllToDeleteFolder(u.m, u.source, {}, 10, none.callbacks()).moved, 0);
    QCOMPARE(none.events, 0);
    QVERIFY(!u.m.Undo.canUndo());
}

void TestSendAll::readOnlySourceIsMoved()
{
    Fixture::Tree t;
    const QStringList names = makeFiles(t, 1);
    QVERIFY(QFile::setPermissions(t.src(names[0]), QFileDevice::ReadOwner));
    const SendAllResult r = sendAllToDeleteFolder(t.m, t.source, names, 10);
    QCOMPARE(r.moved, 1);
    QVERIFY(QFile::permissions(t.trash + u'/' + names[0]) & QFileDevice::WriteOwner);
}

void TestSendAll::elevenMovedTenUndoable()
{
    Fixture::Tree t;
    const QStringList names = makeFiles(t, 12);
    QCOMPARE(sendAllToDeleteFolder(t.m, t.source, names, 12).moved, 12);
    int undone = 0;
    while (t.m.Undo.canUndo()) {
        QVERIFY(undoLast(t.m).ok());
        ++undone;
    }
    QCOMPARE(undone, 10);
    QCOMPARE(QDir(t.trash).entryList(QDir::Files), (QStringList { names[0], names[1] }));
    for (int i = 2; i < 12; ++i)
        QCOMPARE(readFile(t.src(names[i])), contentOf(names[i]));
    QCOMPARE(t.m.Serial, (std::array<int32_t, 3> {}));
}

void TestSendAll::nothingLeftKeepsHistoryEmpty()
{
    Fixture::Tree t;
    const QStringList names { QStringLiteral("gone1.jpg"), QStringLiteral("gone2.jpg") };
    Recorder rec;
    const SendAllResult r = sendAllToDeleteFolder(t.m, t.source, names, 10, rec.callbacks());
    QCOMPARE(r.moved, 0);
    QVERIFY(r.message.isEmpty());
    QVERIFY(!t.m.Undo.canUndo());
    QVERIFY(rec.hidden.isEmpty());
    QCOMPARE(rec.events, 2);
}

void TestSendAll::takenNameGetsFreeName()
{
    Fixture::Tree t;
    const QStringList names = makeFiles(t, 2);
    Fixture::writeFile(t.trash + u'/' + names[0], "older one");
    Fixture::writeFile(t.trash + QStringLiteral("/IMG_0000 (2).jpg"), "older two");
    const SendAllResult r = sendAllToDeleteFolder(t.m, t.source, names, 10);
    QCOMPARE(r.moved, 2);
    QCOMPARE(r.renamed.size(), size_t(1));
    QCOMPARE(r.renamed[0].storedAs, QStringLiteral("IMG_0000 (3).jpg"));
    QCOMPARE(readFile(t.trash + u'/' + names[0]), QByteArray("older one"));
    QCOMPARE(readFile(t.trash + QStringLiteral("/IMG_0000 (2).jpg")), QByteArray("older two"));
    QCOMPARE(readFile(t.trash + QStringLiteral("/IMG_0000 (3).jpg")), contentOf(names[0]));
    QCOMPARE(t.m.Undo.at(1).To, t.trash + QStringLiteral("/IMG_0000 (3).jpg"));

    QVERIFY(undoLast(t.m).ok());
    QVERIFY(undoLast(t.m).ok());
    QCOMPARE(readFile(t.src(names[0])), contentOf(names[0]));
    QCOMPARE(readFile(t.trash + u'/' + names[0]), QByteArray("older one"));
    QVERIFY(!QFileInfo::exists(t.trash + QStringLiteral("/IMG_0000 (3).jpg")));
}

void TestSendAll::dropWhileEventsRun()
{
    // Events run between files with the busy flag down, so a drop may move a later file.
    Fixture::Tree t;
    const QStringList names = makeFiles(t, 4);
    int step = 0;
    SendAllCallbacks cb;
    cb.processEvents = [&] {
        if (step++ == 0)
            QVERIFY(transferDrop(t.m, 0, t.source, names[2]).ok);
    };
    const SendAllResult r = sendAllToDeleteFolder(t.m, t.source, names, 10, cb);
    QCOMPARE(r.moved, 3);
    QVERIFY(r.failures.empty());
    QCOMPARE(t.m.Undo.count(), 4);
    QCOMPARE(t.m.Undo.at(0).From, t.src(names[3]));
    QCOMPARE(t.m.Undo.at(1).From, t.src(names[1]));
    QCOMPARE(int(t.m.Undo.at(2).Kind), 0);
    QCOMPARE(t.m.Undo.at(2).From, t.src(names[2]));
    QCOMPARE(t.m.Undo.at(3).From, t.src(names[0]));
}

void TestSendAll::deleteFolderMissing()
{
    Fixture::Tree t;
    const QStringList names = makeFiles(t, 3);
    QVERIFY(QDir(t.trash).removeRecursively());
    Fixture::fillHistory(t.m.Undo);
    const UndoHistory history = t.m.Undo;
    const auto files = Fixture::snapshot(t.root);
    Recorder rec;
    const SendAllResult r = sendAllToDeleteFolder(t.m, t.source, names, 10, rec.callbacks());
    QCOMPARE(r.moved, 0);
    QCOMPARE(r.failures.size(), size_t(3));
    QCOMPARE(rec.shown, rec.hidden);
    QCOMPARE(Fixture::snapshot(t.root), files);
    QVERIFY(t.m.Undo == history);
    for (const QString& n : names)
        QVERIFY2(r.message.contains(n), qPrintable(r.message));
    QVERIFY(r.message.contains(QStringLiteral("フォルダが見つかりません")));
}

void TestSendAll::oneFailureAmongMany()
{
    Fixture::Tree t;
    const QStringList names = makeFiles(t, 5);
    // Position 1 became a folder: not a file, so silently passed over.
    QVERIFY(QFile::remove(t.src(names[1])));
    QVERIFY(QDir().mkpath(t.src(names[1])));
    Fixture::fillHistory(t.m.Undo);
    UndoHistory expected = t.m.Undo;
    for (int i : { 0, 2, 4 }) {
        expected.shiftDown();
        expected.newest() = { t.src(names[i]), t.trash + u'/' + names[i], 3 };
    }
    FileActions fs;
    const QString victim = t.src(names[3]);
    fs.copyFile = [victim](const QString& from, const QString& to) {
        return from == victim ? FileOps::Result::failure(QStringLiteral("ファイルが使用中です。")) : FileOps::copyFile(from, to);
    };
    Recorder rec;
    const SendAllResult r = sendAllToDeleteFolder(t.m, t.source, names, 10, rec.callbacks(), fs);
    QCOMPARE(r.moved, 3);
    QCOMPARE(r.failures.size(), size_t(1));
    QCOMPARE(r.failures[0].position, 3);
    QCOMPARE(r.failures[0].fileName, names[3]);
    QCOMPARE(rec.shown, QList<int> { 3 });
    QVERIFY2(r.message.contains(names[3]) && r.message.contains(QStringLiteral("使用中")), qPrintable(r.message));
    QVERIFY(t.m.Undo == expected);
    QCOMPARE(readFile(t.src(names[3])), contentOf(names[3]));
    QVERIFY(!QFileInfo::exists(t.trash + u'/' + names[3]));
    QVERIFY(QFileInfo(t.src(names[1])).isDir());
}

void TestSendAll::sourceFolderReadOnly()
{
    Fixture::Tree t;
    const QStringList names = makeFiles(t, 3);
    Fixture::fillHistory(t.m.Undo);
    const UndoHistory history = t.m.Undo;
    const auto files = Fixture::snapshot(t.root);
    LOCK_FOLDER_OR_SKIP(lock, t.source);
    const SendAllResult r = sendAllToDeleteFolder(t.m, t.source, names, 10);
    lock.unlock();
    QCOMPARE(r.moved, 0);
    QCOMPARE(r.failures.size(), size_t(3));
    QCOMPARE(Fixture::snapshot(t.root), files);
    QVERIFY(t.m.Undo == history);
}

void TestSendAll::deleteFailsCopyRemoved()
{
    Fixture::Tree t;
    const QStringList names = makeFiles(t, 3);
    FileActions fs;
    const QString victim = t.src(names[1]);
    fs.deleteFile = [victim](const QString& p) { return p == victim ? denied() : FileOps::deleteFile(p); };
    const SendAllResult r = sendAllToDeleteFolder(t.m, t.source, names, 10, {}, fs);
    QCOMPARE(r.moved, 2);
    QCOMPARE(r.failures.size(), size_t(1));
    QCOMPARE(readFile(victim), contentOf(names[1]));
    QVERIFY(!QFileInfo::exists(t.trash + u'/' + names[1]));
    QCOMPARE(t.m.Undo.count(), 2);
}

void TestSendAll::deleteAndCleanupFailRecorded()
{
    Fixture::Tree t;
    const QStringList names = makeFiles(t, 1);
    const QString s = t.src(names[0]);
    const QString d = t.trash + u'/' + names[0];
    FileActions fs;
    fs.deleteFile = [](const QString&) { return denied(); };
    const SendAllResult r = sendAllToDeleteFolder(t.m, t.source, names, 10, {}, fs);
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

void TestSendAll::deleteFolderIsSourceFolder()
{
    Fixture::Tree t;
    const QStringList names = makeFiles(t, 2);
    t.m.DestPath[10] = t.source + QStringLiteral("/");
    const auto files = Fixture::snapshot(t.root);
    Recorder rec;
    const SendAllResult r = sendAllToDeleteFolder(t.m, t.source, names, 10, rec.callbacks());
    QCOMPARE(r.moved, 0);
    QVERIFY(r.message.contains(QStringLiteral("同じ")));
    QCOMPARE(Fixture::snapshot(t.root), files);
    QVERIFY(!t.m.Undo.canUndo());
    QCOMPARE(rec.events, 0);
}

void TestSendAll::deleteFolderUnset()
{
    Fixture::Tree t;
    const QStringList names = makeFiles(t, 2);
    t.m.DestPath[10].clear();
    const auto files = Fixture::snapshot(t.root);
    const SendAllResult r = sendAllToDeleteFolder(t.m, t.source, names, 10);
    QCOMPARE(r.moved, 0);
    QVERIFY(!r.message.isEmpty());
    QCOMPARE(Fixture::snapshot(t.root), files);
    QVERIFY(!t.m.Undo.canUndo());
}

void TestSendAll::longFailureListIsShortened()
{
    Fixture::Tree t;
    const QStringList names = makeFiles(t, 25);
    QVERIFY(QDir(t.trash).removeRecursively());
    const SendAllResult r = sendAllToDeleteFolder(t.m, t.source, names, 25);
    QCOMPARE(r.failures.size(), size_t(25));
    QVERIFY(r.message.contains(names[19]));
    QVERIFY(!r.message.contains(names[20]));
    QVERIFY2(r.message.contains(QStringLiteral("ほか 5 件")), qPrintable(r.message));
}

QTEST_GUILESS_MAIN(TestSendAll)
#include "tst_sendall.moc"
