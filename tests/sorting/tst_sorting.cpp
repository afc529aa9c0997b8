// Drops, undo and send all on a throw-away tree, and the order of what the sorter tells
// the windows. Whatever fails, no file may be lost or replaced, and the history and
// counters must stay true.
#include "TestFiles.h"
#include "session/Session.h"
#include "session/Settings.h"
#include "sorting/Renaming.h"
#include "sorting/Sorter.h"
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestFiles;
using Outcome = UndoResult::Outcome;

namespace {

// A source folder, destinations d0..d9 and a delete folder, the settings pointing at them.
struct Tree {
    QTemporaryDir tmp;
    QString root = tmp.path(), source = root + "/src", trash = root + "/trash";
    QString dest[10];
    Settings settings;
    Session session { QString() };
    FileActions fs; // the real ones until a test makes one step fail
    Sorter sorter { settings, session,
        { [this](const QString& p) { return fs.setNormalAttributes(p); },
            [this](const QString& from, const QString& to) { return fs.copyFile(from, to); },
            [this](const QString& p) { return fs.deleteFile(p); },
            [this](const QString& p) { return fs.makeFolder(p); } } };
    Tree()
    {
        QDir().mkpath(source);
        QDir().mkpath(trash);
        for (size_t k = 0; k < 10; ++k) {
            dest[k] = root + QStringLiteral("/d%1").arg(k);
            QDir().mkpath(dest[k]);
            settings.destPaths[k] = dest[k] + u'/';
            settings.destNames[k] = QStringLiteral("d%1").arg(k);
        }
        settings.destPaths[10] = trash + u'/';
        settings.headNames[3] = QStringLiteral("trip");
    }
    QString src(const QString& name) const { return source + u'/' + name; }
    void put(const QString& name) const { writeFile(src(name), contentOf(name)); }
    QStringList put(int n) const
    {
        QStringList names;
        for (int i = 0; i < n; ++i)
            put(names.emplace_back(QStringLiteral("IMG_%1.jpg").arg(i, 4, 10, QLatin1Char('0'))));
        return names;
    }
    // Ten distinct old entries, so that a history put back off by one shows.
    void fillHistory()
    {
        for (int i = 0; i < UndoHistory::Size; ++i) {
            sorter.history().shiftDown();
            sorter.history().newest()
                = { "/old/from" + QString::number(i), "/old/to" + QString::number(i), int16_t(i % 4) };
        }
    }
    TransferResult drop(int k, const QString& name, const QString& folder = QString())
    {
        return sorter.transfer(k, 0, folder.isEmpty() ? source : folder, name);
    }
    // Files, history and counters, to show that a failure changed none of them.
    struct State {
        QMap<QString, QByteArray> files;
        UndoHistory undo;
        std::array<int32_t, 3> serial;
        bool operator==(const State& o) const { return files == o.files && undo == o.undo && serial == o.serial; }
    };
    State state() const { return { snapshot(root), sorter.history(), settings.serials }; }
};

// What the sorter says, in order, each marked when it came while busy; "events" is one
// pass of pending events.
struct Recorder {
    QObject context;
    QStringList log;
    explicit Recorder(Tree& t)
    {
        const auto add = [this, &t](const QString& what) { log << what + (t.session.isBusy() ? " busy" : ""); };
        QObject::connect(
            &t.sorter, &Sorter::moving, &context, [add](int i) { add(QStringLiteral("moving %1").arg(i)); });
        QObject::connect(
            &t.sorter, &Sorter::stayed, &context, [add](int i) { add(QStringLiteral("stayed %1").arg(i)); });
        QObject::connect(&t.sorter, &Sorter::historyChanged, &context,
            [add](bool on) { add(on ? QStringLiteral("history on") : QStringLiteral("history off")); });
        QObject::connect(&t.sorter, &Sorter::undone, &context, [add] { add(QStringLiteral("undone")); });
        QObject::connect(&t.sorter, &Sorter::failed, &context, [add] { add(QStringLiteral("failed")); });
        pass(add);
    }
    // Each pass of pending events runs the call the pass before posted, and posts the next.
    template <typename Add> void pass(Add add)
    {
        QMetaObject::invokeMethod(
            &context,
            [this, add] {
                add(QStringLiteral("events"));
                pass(add);
            },
            Qt::QueuedConnection);
    }
    QList<int> positions(const QString& signal) const
    {
        QList<int> found;
        for (const QString& line : log)
            if (line.startsWith(signal + u' '))
                found << line.section(u' ', 1, 1).toInt();
        return found;
    }
};

// Real file actions, except that deleting one of `victims` is refused.
FileActions refusingDelete(const QStringList& victims)
{
    FileActions fs;
    fs.deleteFile = [victims](const QString& p) {
        return victims.contains(p) ? FileOps::Result::failure(QStringLiteral("アクセスが拒否されました。"))
                                   : FileOps::deleteFile(p);
    };
    return fs;
}

// One refused drop of a.jpg on target 1: what a fault may change before it runs.
struct Case {
    Tree t;
    QString source = t.src("a.jpg"), taken = t.dest[1] + "/000000 a.jpg"; // the name it would get
};
using Fault = std::function<void(Case&)>;

}
Q_DECLARE_METATYPE(Fault)

class TestSorting : public QObject {
    Q_OBJECT
private slots:
    // Each rule's name and counter on disk, copy or move, and its undo giving both back.
    void transferAndUndo_data()
    {
        QTest::addColumn<int>("rule");
        QTest::addColumn<int>("counter");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("target"); // how destination 3 is written
        QTest::addColumn<bool>("copyMode");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("sourceKept");
        QTest::addColumn<QStringList>("taken"); // names already in the folder
        QTest::addColumn<int>("used"); // the serial written, when not the counter's own
        auto row
            = [](const char* tag, int rule, int counter, const char* file, const char* expected, bool copyMode = false,
                  bool kept = false, const char* target = "", const QStringList& taken = {}, int used = -1) {
                  QTest::newRow(tag) << rule << counter << QString::fromUtf8(file) << QString(target) << copyMode
                                     << QString::fromUtf8(expected) << kept << taken
                                     << (used >= 0                  ? used
                                                : counter == 999999 ? 0
                                                                    : counter);
              };
        // Rule 0 replaces a seven-character prefix ending in a space, whatever it holds.
        row("rule 0", 0, 41, "000012 IMG_0001.JPG", "000041 IMG_0001.JPG");
        row("rule 0, space sixth", 0, 41, "ABCDE FG.jpg", "000041 ABCDE FG.jpg");
        row("rule 0, japanese prefix", 0, 2, "写真写真写真 旅.jpg", "000002 旅.jpg");
        row("rule 0, seven digits", 0, 1000000, "a.jpg", "1000000 a.jpg");
        // Rules 1 and 2 keep the extension from the last dot, case and all.
        row("rule 1", 1, 7, "photo.2020.JPG", "d3000007.JPG");
        row("rule 1, no dot", 1, 7, "README", "d3000007");
        row("rule 2", 2, 123, "IMG_0002.png", "trip000123.png");
        for (int rule : { 0, 1, 2 })
            row(qPrintable(QStringLiteral("rule %1 wrap").arg(rule)), rule, 999999, "a.jpg",
                rule == 0       ? "000000 a.jpg"
                    : rule == 1 ? "d3000000.jpg"
                                : "trip000000.jpg");
        row("copy mode", 0, 5, "a.jpg", "000005 a.jpg", true, true);
        row("copy mode on the delete folder", 0, 5, "a.jpg", "000005 a.jpg", true, false, "trash/");
        // The delete folder is recognised by its exact text only.
        row("copy mode, delete folder spelt otherwise", 0, 5, "a.jpg", "000005 a.jpg", true, true, "trash/./");
        row("folder without separator", 0, 5, "a.jpg", "000005 a.jpg", false, false, "d3");
        // Names already there are passed over silently, across the wrap too; undo gives
        // back the serial that was used.
        row("rule 0, names taken", 0, 41, "a.jpg", "000043 a.jpg", false, false, "", { "000041 a.jpg", "000042 a.jpg" },
            43);
        row("rule 1, taken up to the wrap", 1, 999998, "a.jpg", "d3000000.jpg", false, false, "", { "d3999998.jpg" },
            0);
    }
    void transferAndUndo()
    {
        QFETCH(int, rule);
        QFETCH(int, counter);
        QFETCH(QString, file);
        QFETCH(QString, target);
        QFETCH(bool, copyMode);
        QFETCH(QString, expected);
        QFETCH(bool, sourceKept);
        QFETCH(QStringList, taken);
        QFETCH(int, used);
        Tree t;
        t.settings.nameRule = int16_t(rule);
        t.session.copyMode = copyMode;
        t.settings.serials = { 41, 7, 123 };
        t.settings.serials[size_t(rule)] = counter;
        if (!target.isEmpty())
            t.settings.destPaths[3] = t.root + u'/' + target;
        const QString folder = target.startsWith(QLatin1String("trash")) ? t.trash : t.dest[3];
        t.put(file);
        t.put(QStringLiteral("other.jpg"));
        for (const QString& name : taken)
            writeFile(folder + u'/' + name, "the user's own");
        QVERIFY(QFile::setPermissions(t.src(file), QFileDevice::ReadOwner));
        const QDateTime mtime = QFileInfo(t.src(file)).lastModified();

        const TransferResult r = t.drop(3, file);
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(r.newName, expected);
        QCOMPARE(QFileInfo(r.destination).canonicalFilePath(), QFileInfo(folder + u'/' + expected).canonicalFilePath());
        QCOMPARE(readFile(folder + u'/' + expected), contentOf(file));
        QCOMPARE(QFileInfo::exists(t.src(file)), sourceKept);
        QCOMPARE(readFile(t.src(QStringLiteral("other.jpg"))), contentOf(QStringLiteral("other.jpg")));
        QCOMPARE(t.sorter.history().count(), 1);
        QCOMPARE(t.sorter.history().newest(), (UndoEntry { t.src(file), r.destination, int16_t(rule) }));
        std::array<int32_t, 3> serial { 41, 7, 123 };
        serial[size_t(rule)] = used + 1;
        QCOMPARE(t.settings.serials, serial);

        const UndoResult u = t.sorter.undoLast();
        QVERIFY2(u.ok(), qPrintable(u.message));
        QVERIFY(!QFileInfo::exists(folder + u'/' + expected));
        QCOMPARE(readFile(t.src(file)), contentOf(file));
        if (sourceKept) // not written again
            QCOMPARE(QFileInfo(t.src(file)).lastModified(), mtime);
        serial[size_t(rule)] = used; // a wrap is not wound back to 999999
        QCOMPARE(t.settings.serials, serial);
        QVERIFY(!t.sorter.canUndo());
        for (const QString& name : taken)
            QCOMPARE(readFile(folder + u'/' + name), QByteArray("the user's own"));
    }

    // Every refusal and failure leaves the files, the history and the counters as they were.
    void refused_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("mentions");
        auto row = [](const char* name, const char* mentions, Fault fault) {
            QTest::newRow(name) << fault << QString::fromUtf8(mentions);
        };
        row("rule 3", "名前の付け方の設定（3）", [](Case& c) { c.t.settings.nameRule = 3; });
        row("head leaves the folder", "../x", [](Case& c) {
            c.t.settings.nameRule = 2;
            c.t.settings.headNames[1] = "../x";
        });
        row("counter at the top", "通し番号",
            [](Case& c) { c.t.settings.serials[0] = std::numeric_limits<int32_t>::max(); });
        row("no destination", "移動先フォルダ設定", [](Case& c) { c.t.settings.destPaths[1].clear(); });
        row("the root, as on a first start", "移動先フォルダ設定",
            [](Case& c) { c.t.settings.destPaths[1] = FileOps::rootPath(); });
        row("destination missing", "フォルダが見つかりません",
            [](Case& c) { c.t.settings.destPaths[1] = c.t.root + "/gone/"; });
        row("every name taken", "空いている名前", [](Case& c) {
            QDir().mkpath(c.taken); // a folder of the name counts as taken too
            writeFile(c.taken + "/inner.jpg", "inner");
            for (int n = 1; n < Renaming::MaxNameTries; ++n)
                writeFile(c.t.dest[1] + QStringLiteral("/%1 a.jpg").arg(n, 6, 10, QLatin1Char('0')), "");
        });
        row("source gone", "見つかりません", [](Case& c) { QFile::remove(c.source); });
        row("source is a folder", "a.jpg", [](Case& c) {
            QFile::remove(c.source);
            QDir().mkpath(c.source);
            writeFile(c.source + "/inside.jpg", "inside");
        });
        row("delete refused", "元の場所にあります", [](Case& c) { c.t.fs = refusingDelete({ c.source }); });
        row("delete refused, copy mode on the delete folder", "元の場所にあります", [](Case& c) {
            c.t.fs = refusingDelete({ c.source });
            c.t.session.copyMode = true;
            c.t.settings.destPaths[1] = c.t.settings.destPaths[10];
        });
        row("short copy", "大きさ", [](Case& c) {
            c.t.fs.copyFile = [](const QString& from, const QString& to) {
                QFile out(to);
                const QByteArray all = readFile(from);
                if (out.open(QIODevice::WriteOnly | QIODevice::NewOnly))
                    out.write(all.left(all.size() / 2)); // and claims success
                return FileOps::Result::success();
            };
        });
    }
    void refused()
    {
        QFETCH(Fault, fault);
        QFETCH(QString, mentions);
        Case c;
        c.t.settings.serials = { 999999, 7, 5 }; // the wrap belongs to a transfer that did not happen
        c.t.fillHistory();
        c.t.put(QStringLiteral("a.jpg"));
        fault(c);
        const Tree::State before = c.t.state();
        const TransferResult r = c.t.drop(1, QStringLiteral("a.jpg"));

        QVERIFY(!r.ok && !r.duplicateLeft);
        QVERIFY2(r.message.contains(QStringLiteral("a.jpg")) && r.message.contains(mentions), qPrintable(r.message));
        QVERIFY(c.t.state() == before);
    }

    // The copy stays when neither the source nor the copy can be deleted: it is on
    // record, so undo can take it away, and its number is used.
    void deleteAndCleanupRefused()
    {
        Tree t;
        t.fillHistory();
        const UndoEntry oldNewest = t.sorter.history().newest();
        t.settings.serials[0] = 9;
        t.put(QStringLiteral("a.jpg"));
        const QString s = t.src(QStringLiteral("a.jpg")), d = t.dest[2] + QStringLiteral("/000009 a.jpg");
        t.fs = refusingDelete({ s, d });
        const TransferResult r = t.drop(2, QStringLiteral("a.jpg"));
        QVERIFY(!r.ok && r.duplicateLeft && r.message.contains(QStringLiteral("a.jpg")));
        QCOMPARE(readFile(s), contentOf(QStringLiteral("a.jpg")));
        QCOMPARE(readFile(d), contentOf(QStringLiteral("a.jpg")));
        QCOMPARE(t.sorter.history().newest(), (UndoEntry { s, d, 0 }));
        QCOMPARE(t.sorter.history().at(1), oldNewest);
        QCOMPARE(t.settings.serials[0], 10);
    }

    // Eleven drops from two folders under all rules: ten come back, each to its own
    // folder (made again), newest first, and the counters are given back.
    void tenUndos()
    {
        Tree t;
        t.settings.serials = { 5, 100, 999999 };
        const QString other = t.root + QStringLiteral("/src2");
        QVERIFY(QDir().mkpath(other));
        QStringList paths;
        for (int i = 0; i < 11; ++i) {
            const QString name = QStringLiteral("IMG_%1.jpg").arg(i), folder = i % 2 ? other : t.source;
            writeFile(folder + u'/' + name, contentOf(name));
            t.settings.nameRule = int16_t(i % 3);
            const TransferResult r = t.drop(i % 10, name, folder);
            QVERIFY2(r.ok, qPrintable(r.message));
            paths << folder + u'/' + name;
        }
        QCOMPARE(t.sorter.history().count(), 10);
        QCOMPARE(t.settings.serials, (std::array<int32_t, 3> { 9, 104, 3 }));
        QVERIFY(QDir(other).removeRecursively());

        for (int i = 10; i >= 1; --i) {
            const UndoResult r = t.sorter.undoLast();
            QVERIFY2(r.ok(), qPrintable(r.message));
            QCOMPARE(r.restoredPath, paths.at(i));
            QCOMPARE(readFile(paths.at(i)), contentOf(QFileInfo(paths.at(i)).fileName()));
        }
        QCOMPARE(t.sorter.history(), UndoHistory {});
        QCOMPARE(t.sorter.undoLast().outcome, Outcome::NothingToUndo);
        QCOMPARE(t.settings.serials, (std::array<int32_t, 3> { 6, 100, 0 }));
        QCOMPARE(snapshot(t.dest[0]).keys(), QStringList { "000005 IMG_0.jpg" }); // the eleventh from the end
        for (size_t k = 1; k < 10; ++k)
            QVERIFY(QDir(t.dest[k]).isEmpty());
    }

    // A cause that can go away changes nothing; once it is gone the same undo goes through.
    void undoKept_data()
    {
        QTest::addColumn<QString>("fault");
        for (const char* f : { "different file at the old place", "same length, other bytes", "folder at the old place",
                 "source folder is now a file", "target delete refused", "copy mode, target delete refused" })
            QTest::newRow(f) << QString(f);
    }
    void undoKept()
    {
        QFETCH(QString, fault);
        Tree t;
        const bool copy = fault.startsWith(QLatin1String("copy"));
        t.session.copyMode = copy;
        t.settings.serials = { 5, 50, 500 };
        t.put(QStringLiteral("a.jpg"));
        const QString from = t.src(QStringLiteral("a.jpg"));
        const QString to = t.drop(2, QStringLiteral("a.jpg")).destination;
        QString obstacle = from;
        if (fault.startsWith(QLatin1String("different"))) {
            writeFile(from, "a new picture under the old name");
        } else if (fault.startsWith(QLatin1String("same length"))) {
            QByteArray bytes = contentOf(QStringLiteral("a.jpg"));
            bytes[bytes.size() - 1] = '#';
            writeFile(from, bytes);
        } else if (fault.startsWith(QLatin1String("folder"))) {
            QVERIFY(QDir().mkpath(from));
            writeFile(from + QStringLiteral("/inside.jpg"), "inside");
        } else if (fault.startsWith(QLatin1String("source folder"))) {
            QVERIFY(QDir(t.source).removeRecursively());
            writeFile(t.source, "not a folder");
            obstacle = t.source;
        } else {
            t.fs = refusingDelete({ to });
        }
        const Tree::State before = t.state();
        const UndoResult r = t.sorter.undoLast();
        QCOMPARE(r.outcome, Outcome::Kept);
        QVERIFY2(r.message.contains(QStringLiteral("a.jpg")) && r.message.contains(QStringLiteral("履歴に残して")),
            qPrintable(r.message));
        QVERIFY(t.state() == before);

        if (QFileInfo(obstacle).isDir())
            QVERIFY(QDir(obstacle).removeRecursively());
        else if (!copy)
            QFile::remove(obstacle);
        t.fs = FileActions();
        const UndoResult again = t.sorter.undoLast();
        QVERIFY2(again.ok(), qPrintable(again.message));
        QCOMPARE(readFile(from), contentOf(QStringLiteral("a.jpg")));
        QVERIFY(!QFileInfo::exists(to));
        QCOMPARE(t.settings.serials[0], 5);
    }

    // An entry whose target is gone, or is the source itself, is dropped: the number
    // stays used and no file is touched.
    void undoDropped_data()
    {
        QTest::addColumn<bool>("alias");
        QTest::newRow("target gone") << false;
        QTest::newRow("one file under two names") << true;
    }
    void undoDropped()
    {
        QFETCH(bool, alias);
        Tree t;
        t.settings.serials[0] = 5;
        t.put(QStringLiteral("a.jpg"));
        const QString from = t.src(QStringLiteral("a.jpg"));
        const QString to = t.drop(2, QStringLiteral("a.jpg")).destination;
        const UndoEntry drop = t.sorter.history().newest();
        t.fillHistory();
        t.sorter.history().shiftDown();
        t.sorter.history().newest() = drop;
        if (alias) {
            QVERIFY(QFile::rename(to, from));
            QVERIFY(QFile::link(t.source, t.root + QStringLiteral("/alias")));
            t.sorter.history().newest().to = t.root + QStringLiteral("/alias/a.jpg");
        } else {
            QVERIFY(QFile::remove(to));
        }
        Tree::State expected = t.state();
        expected.undo.shiftUp();
        const UndoResult r = t.sorter.undoLast();
        QCOMPARE(r.outcome, Outcome::EntryDropped);
        QVERIFY2(r.message.contains(QStringLiteral("履歴から外しました")), qPrintable(r.message));
        QVERIFY(t.state() == expected);
        QCOMPARE(t.settings.serials[0], 6);
    }

    // Send all takes only the board's part of the list, in copy mode too, passes over
    // files that drops took already, and records each move as kind 3. A name taken in
    // the delete folder is never replaced: the file gets the first free "name (n).ext".
    // Undo brings every file back from where it went.
    void sendAll()
    {
        Tree t;
        t.settings.serials = { 10, 20, 30 };
        const QStringList names = t.put(25);
        QVERIFY(QFile::setPermissions(t.src(names[0]), QFileDevice::ReadOwner));
        QVERIFY(t.drop(1, names[2]).ok);
        QVERIFY(t.drop(1, names[5]).ok);
        const QString taken = t.trash + "/IMG_0001.jpg", taken2 = t.trash + "/IMG_0001 (2).jpg";
        writeFile(taken, "older one");
        writeFile(taken2, "older two");
        t.session.copyMode = true;
        const auto serial = t.settings.serials;
        Recorder said(t);
        const SendAllResult r = t.sorter.sendAll(t.source, names, { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9 });
        QVERIFY2(r.message.isEmpty() && r.failures.empty(), qPrintable(r.message));
        QCOMPARE(r.moved, 8);
        QCOMPARE(r.renamed.size(), size_t(1));
        QCOMPARE(r.renamed[0].storedAs, QStringLiteral("IMG_0001 (3).jpg"));
        QCOMPARE(said.positions("moving"), (QList<int> { 0, 1, 3, 4, 6, 7, 8, 9 }));
        QVERIFY(said.positions("stayed").isEmpty());
        QCOMPARE(said.log.count("events"), 10); // once for each position, the ones passed over too
        QCOMPARE(said.log.mid(said.log.size() - 2), QStringList({ "events", "history on" }));
        QCOMPARE(t.settings.serials, serial);
        auto sentTo = [&](int i) { return t.trash + u'/' + (i == 1 ? QStringLiteral("IMG_0001 (3).jpg") : names[i]); };
        for (int i = 0; i < 25; ++i) {
            QCOMPARE(QFileInfo::exists(t.src(names[i])), i >= 10);
            if (i < 10 && i != 2 && i != 5)
                QCOMPARE(readFile(sentTo(i)), contentOf(names[i]));
        }
        QCOMPARE(readFile(taken), QByteArray("older one"));
        QCOMPARE(readFile(taken2), QByteArray("older two"));
        QVERIFY(QFile::permissions(sentTo(0)) & QFileDevice::WriteOwner);
        const int order[] = { 9, 8, 7, 6, 4, 3, 1, 0 }; // newest first, above the two drops
        for (int j = 0; j < 8; ++j)
            QCOMPARE(t.sorter.history().at(j), (UndoEntry { t.src(names[order[j]]), sentTo(order[j]), 3 }));
        QCOMPARE(t.sorter.history().at(8).from, t.src(names[5]));

        for (int j = 0; j < 8; ++j)
            QVERIFY(t.sorter.undoLast().ok());
        for (int i : order)
            QCOMPARE(readFile(t.src(names[i])), contentOf(names[i]));
        QCOMPARE(QDir(t.trash).entryList(QDir::Files), QStringList({ "IMG_0001 (2).jpg", "IMG_0001.jpg" }));
        QCOMPARE(t.settings.serials, serial);
    }

    // What the windows are told, in order, and where pending events run: a transfer is
    // busy throughout and says that a file stayed before the warning; an undo is not held
    // back by a transfer's busy state; send all is never busy, so a drop may take a later
    // file away between two files, while a second send all is dropped.
    void sequence_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("turned away while busy") << "busy" << QStringList();
        QTest::newRow("refused") << "refused"
                                 << QStringList { "moving 0 busy", "events busy", "history off busy", "stayed 0 busy",
                                        "failed busy" };
        QTest::newRow("undo while a transfer is busy")
            << "undo"
            << QStringList { "moving 0 busy", "events busy", "undone busy", "history off busy", "history off busy" };
        QTest::newRow("a drop and a second send all between two files")
            << "send all"
            << QStringList { "moving 0", "events", "moving 2 busy", "events busy", "history on busy", "moving 1",
                   "events", "events", "moving 3", "events", "history on" };
    }
    void sequence()
    {
        QFETCH(QString, what);
        QFETCH(QStringList, log);
        Tree t;
        const QStringList names = t.put(4);
        const QMap<QString, QByteArray> before = snapshot(t.root);
        if (what == "refused")
            t.fs = refusingDelete({ t.src(names[0]) });
        Recorder said(t);
        // Runs in the first pass of pending events.
        QMetaObject::invokeMethod(
            &said.context,
            [&] {
                if (what == "undo")
                    QCOMPARE(t.sorter.undoLast().outcome, Outcome::Restored);
                if (what == "send all") {
                    QCOMPARE(t.sorter.sendAll(t.source, names, { 0 }).moved, 0);
                    QVERIFY(t.sorter.isSendingAll());
                    QVERIFY(t.sorter.transfer(0, 2, t.source, names[2]).ok);
                }
            },
            Qt::QueuedConnection);
        if (what == "send all") {
            QCOMPARE(t.sorter.sendAll(t.source, names, { 0, 1, 2, 3 }).moved, 3);
            QCOMPARE(int(t.sorter.history().at(2).kind), 0);
        } else {
            const std::optional<Session::BusyGuard> busy
                = what == "busy" ? std::make_optional<Session::BusyGuard>(t.session) : std::nullopt;
            QCOMPARE(t.drop(1, names[0]).ok, what == "undo");
        }
        QCOMPARE(said.log, log);
        QVERIFY(!t.session.isBusy() && !t.sorter.isSendingAll());
        if (what != "send all")
            QCOMPARE(snapshot(t.root), before);
    }

    // Nothing can be sent: every file stays and the history is untouched; a long list
    // of failures names twenty files and counts the rest.
    void sendAllRefused_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("mentions");
        QTest::addColumn<int>("failures");
        QTest::newRow("delete folder missing") << "missing"
                                               << "フォルダが見つかりません" << 25;
        QTest::newRow("delete folder is the source") << "source"
                                                     << "同じ" << 0;
        QTest::newRow("delete folder unset") << "unset"
                                             << "移動先フォルダ設定" << 0;
        QTest::newRow("delete folder is the root") << "root"
                                                   << "移動先フォルダ設定" << 0;
    }
    void sendAllRefused()
    {
        QFETCH(QString, fault);
        QFETCH(QString, mentions);
        QFETCH(int, failures);
        Tree t;
        const QStringList names = t.put(25);
        t.fillHistory();
        if (fault == QLatin1String("missing"))
            QVERIFY(QDir(t.trash).removeRecursively());
        else if (fault == QLatin1String("source"))
            t.settings.destPaths[10] = t.source + u'/';
        else if (fault == QLatin1String("unset"))
            t.settings.destPaths[10].clear();
        else if (fault == QLatin1String("root"))
            t.settings.destPaths[10] = FileOps::rootPath();
        const Tree::State before = t.state();
        Recorder said(t);
        QList<int> all;
        for (int i = 0; i < 25; ++i)
            all << i;
        const SendAllResult r = t.sorter.sendAll(t.source, names, all);
        QCOMPARE(r.moved, 0);
        QCOMPARE(int(r.failures.size()), failures);
        QCOMPARE(said.positions("stayed"), said.positions("moving"));
        QCOMPARE(said.log.count("failed"), 1);
        QVERIFY2(r.message.contains(mentions), qPrintable(r.message));
        for (int i = 0; i < qMin(failures, 20); ++i)
            QVERIFY(r.message.contains(names[i]));
        if (failures > 20)
            QVERIFY(!r.message.contains(names[20]) && r.message.contains(QStringLiteral("ほか 5 件")));
        QVERIFY(t.state() == before);
    }

    // Some files fail: they stay and are listed with their reasons; the others go.
    void sendAllPartly()
    {
        Tree t;
        const QStringList names = t.put(5);
        QVERIFY(QFile::remove(t.src(names[1])) && QDir().mkpath(t.src(names[1]))); // not a file: passed over
        t.fillHistory();
        UndoHistory expected = t.sorter.history();
        for (int i : { 0, 2 }) {
            expected.shiftDown();
            expected.newest() = { t.src(names[i]), t.trash + u'/' + names[i], 3 };
        }
        t.fs = refusingDelete({ t.src(names[4]) });
        t.fs.copyFile = [busy = t.src(names[3])](const QString& from, const QString& to) {
            return from == busy ? FileOps::Result::failure(QStringLiteral("ファイルが使用中です。"))
                                : FileOps::copyFile(from, to);
        };
        Recorder said(t);
        const SendAllResult r = t.sorter.sendAll(t.source, names, { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9 });
        QCOMPARE(r.moved, 2);
        QCOMPARE(r.failures.size(), size_t(2));
        QCOMPARE(r.failures[0].position, 3);
        QCOMPARE(r.failures[1].fileName, names[4]);
        QCOMPARE(said.positions("stayed"), (QList<int> { 3, 4 }));
        QVERIFY2(r.message.contains(names[3]) && r.message.contains(QStringLiteral("使用中"))
                && r.message.contains(names[4]) && r.message.contains(QStringLiteral("拒否")),
            qPrintable(r.message));
        QVERIFY(t.sorter.history() == expected);
        for (int i : { 3, 4 }) {
            QCOMPARE(readFile(t.src(names[i])), contentOf(names[i]));
            QVERIFY(!QFileInfo::exists(t.trash + u'/' + names[i]));
        }
        QVERIFY(QFileInfo(t.src(names[1])).isDir());
    }
};

QTEST_GUILESS_MAIN(TestSorting)
#include "tst_sorting.moc"
