// Drops, undo and send all on a throw-away tree, and what the sorter tells the windows.
// Whatever fails, no file is lost or replaced and the history and counters stay true.
#include "Printers.h"
#include "TestFiles.h"
#include "session/Session.h"
#include "sorting/Companions.h"
#include "sorting/Renaming.h"
#include "sorting/Sorter.h"
#include <QtTest>
#include <numeric>
#include <sys/mount.h>

using namespace TestFiles;
using Outcome = UndoResult::Outcome;
using Step = DurableFile::Step;

namespace {

// Everything a transfer or an undo may change; printed so that a failure shows both sides.
struct State {
    QMap<QString, QByteArray> files;
    UndoHistory history;
    std::array<int32_t, 3> serials;
};
bool operator==(const State& a, const State& b)
{
    return a.files == b.files && a.history == b.history && a.serials == b.serials;
}
QDebug operator<<(QDebug d, const State& s)
{
    const QDebugStateSaver saver(d);
    d.nospace() << "files:";
    for (auto it = s.files.cbegin(); it != s.files.cend(); ++it)
        if (it->size() <= 32)
            d << ' ' << it.key() << ' ' << *it;
        else
            d << ' ' << it.key() << " (" << it->size() << " bytes, hash " << qHash(*it) << ')';
    d << '\n' << s.history << "\nserials: " << s.serials[0] << ' ' << s.serials[1] << ' ' << s.serials[2];
    return d;
}

// A source folder, destinations d0..d9 and a delete folder, the settings pointing at them.
struct Tree {
    QTemporaryDir tmp;
    QString root = tmp.path(), source = root + "/src", deleteFolder = root + "/delete";
    QString dest[10];
    Settings settings;
    Session session { QString() };
    FileActions fs; // the real ones until a test makes one step fail
    Sorter sorter { settings, session,
        { [this](const QString& p) { return fs.setNormalAttributes(p); },
            [this](Step step, const QString& p) { return fs.failStep ? fs.failStep(step, p) : 0; },
            [this](const QString& p) { return fs.deleteFile(p); },
            [this](const QString& p) { return fs.makeFolder(p); } } };
    Tree()
    {
        QDir().mkpath(source);
        QDir().mkpath(deleteFolder);
        for (size_t k = 0; k < 10; ++k) {
            QDir().mkpath(dest[k] = root + QStringLiteral("/d%1").arg(k));
            settings.destinationFolders[k] = dest[k] + u'/';
            settings.destinationNames[k] = QStringLiteral("d%1").arg(k);
        }
        settings.deleteFolder() = deleteFolder + u'/';
        settings.headNames[3] = "trip";
    }
    ~Tree()
    {
        if (!mounted.isEmpty())
            ::umount(QFile::encodeName(mounted).constData());
    }
    QString mounted; // a bind mount the test made, undone before the folder goes
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
                = { "/old/from" + QString::number(i), "/old/to" + QString::number(i), HistoryKind(i % 4) };
        }
    }
    TransferResult drop(int k, const QString& name, const QString& folder = {})
    {
        return sorter.transfer(k, 0, folder.isEmpty() ? source : folder, name);
    }
    State state() const { return { snapshot(root), sorter.history(), settings.serials }; }
    // `s` as it is once `from` went to `to` (paths below the root) and was recorded as `kind`.
    void moved(State& s, const QString& from, const QString& to, int kind, bool kept = false) const
    {
        s.history.shiftDown();
        s.history.newest() = { root + u'/' + from, root + u'/' + to, HistoryKind(kind) };
        s.files.insert(to, s.files.value(from));
        if (!kept)
            s.files.remove(from);
    }
};

// What the sorter says, in order, marked when it came while busy; "events" is one pass of pending events. A move that
// outlasts its quiet wait runs passes of its own while its file work goes on: how many is the disk's, not the
// sorter's, so those go unrecorded, and a call made later() waits for the move to end.
struct Recorder {
    QObject context;
    QStringList log;
    const Sorter& sorter;
    explicit Recorder(Tree& t)
        : sorter(t.sorter)
    {
        const auto add = [this, &t](const QString& what) { log << what + (t.session.isBusy() ? " busy" : ""); };
        const auto at = [add](const char* what) { return [add, what](int i) { add(what + QString::number(i)); }; };
        QObject::connect(&t.sorter, &Sorter::moving, &context, at("moving "));
        QObject::connect(&t.sorter, &Sorter::stayed, &context, at("stayed "));
        QObject::connect(&t.sorter, &Sorter::historyChanged, &context,
            [add](bool on) { add(on ? QStringLiteral("history on") : QStringLiteral("history off")); });
        QObject::connect(&t.sorter, &Sorter::undone, &context, [add] { add("undone"); });
        QObject::connect(&t.sorter, &Sorter::transferFailed, &context, [add] { add("failed"); });
        QObject::connect(&t.sorter, &Sorter::undoFailed, &context, [add] { add("failed"); });
        QObject::connect(&t.sorter, &Sorter::sendAllFailed, &context, [add] { add("failed"); });
        pass(add);
    }
    // Each pass of pending events runs the call the pass before posted, and posts the next.
    template <typename Add> void pass(Add add)
    {
        QMetaObject::invokeMethod(
            &context,
            [this, add] {
                if (!sorter.isMoving())
                    add("events");
                pass(add);
            },
            Qt::QueuedConnection);
    }
    // Runs `call` in the first pass of pending events that comes between moves.
    void later(const std::function<void()>& call)
    {
        QMetaObject::invokeMethod(
            &context, [this, call] { sorter.isMoving() ? later(call) : call(); }, Qt::QueuedConnection);
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

// A move copies as it does between two file systems, so that each step runs on its own, and
// `which` on one of `victims` (any file when none) fails with `error`.
DurableFile::FaultHook failing(Step which, int error, const QStringList& victims = {})
{
    return [=](Step step, const QString& p) {
        return step == Step::Rename ? EXDEV : step == which && (victims.isEmpty() || victims.contains(p)) ? error : 0;
    };
}

// Real file actions, except that deleting one of `victims` is refused.
FileActions refusingDelete(const QStringList& victims)
{
    FileActions fs;
    fs.deleteFile = [victims](const QString& p) {
        return victims.contains(p) ? Failure::system(EACCES) : FileOps::deleteFile(p);
    };
    fs.failStep = failing(Step::Unlink, EACCES, victims);
    return fs;
}

struct Move {
    int rule, counter;
    QString file, expected;
    bool copyMode = false;
    QString target = {}; // how destination 3 is written, below the tree's root
    QStringList taken = {}; // names already in the folder
    int used = -1; // the serial written, when not the counter's own
};
using Fault = std::function<void(Tree&)>;

// A drop of IMG_0001.JPG with its RAW and sidecars beside it, on target 3.
struct Unit {
    int rule;
    QStringList expected; // the new names of the picture, the RAW and the two sidecars; none: nothing moves
    int counter = 0; // the rule's counter afterwards
    bool copyMode = false, follow = true;
    QString taken = {}; // a name already in the destination folder
    QString refused = {}; // the new name whose copy finds the disk full
    int undoRefused = -1; // the file of the unit (as in `expected`) that cannot go back
};

// The picture, its companions (letter case aside) and files that only look like them.
void putShoot(Tree& t)
{
    const QString camera = QStringLiteral(LUMO_TESTDATA "/camera/");
    t.put("IMG_0001.JPG");
    QVERIFY(QFile::copy(camera + "CanonRaw.cr2", t.src("IMG_0001.CR2")));
    QVERIFY(QFile::copy(camera + "XMP.xmp", t.src("img_0001.xmp")));
    for (const char* name : { "IMG_0001.JPG.xmp", "IMG_0002.CR2", "IMG_00011.xmp", "IMG_0001.txt", "IMG_0001.png" })
        t.put(name);
}

}
Q_DECLARE_METATYPE(Unit)
Q_DECLARE_METATYPE(Move)
Q_DECLARE_METATYPE(Fault)

class TestSorting : public QObject {
    Q_OBJECT
private slots:
    // Each rule's name and counter on disk, copy or move, and its undo giving both back.
    void transferAndUndo_data()
    {
        QTest::addColumn<Move>("m");
        auto row = [](const char* tag, const Move& m) { QTest::newRow(tag) << m; };
        // Rule 0 replaces only a serial it could have put there: six digits and a space.
        row("rule 0", { 0, 41, "000012 IMG_0001.JPG", "000041 IMG_0001.JPG" });
        row("rule 0, any six digits", { 0, 41, "123456 x.jpg", "000041 x.jpg" });
        row("rule 0, five digits", { 0, 41, "12345 x.jpg", "000041 12345 x.jpg" });
        row("rule 0, a first word", { 0, 2, "Family trip.jpg", "000002 Family trip.jpg" });
        row("rule 0, full-width digits", { 0, 2, "１２３４５６ 全角.jpg", "000002 １２３４５６ 全角.jpg" });
        row("rule 0, seven digits", { 0, 1000000, "a.jpg", "1000000 a.jpg" });
        // Rules 1 and 2 keep the extension from the last dot, case and all.
        row("rule 1", { 1, 7, "photo.2020.JPG", "d3000007.JPG" });
        row("rule 1, no dot", { 1, 7, "README", "d3000007" });
        row("rule 2", { 2, 123, "IMG_0002.png", "trip000123.png" });
        row("copy mode on the delete folder", { 0, 5, "a.jpg", "000005 a.jpg", true, "delete/" });
        // The delete folder is recognised by what it is, however it is written.
        row("copy mode, delete folder spelt otherwise", { 0, 5, "a.jpg", "000005 a.jpg", true, "delete/./" });
        row("copy mode, delete folder without separator", { 0, 5, "a.jpg", "000005 a.jpg", true, "delete" });
        row("folder without separator", { 0, 5, "a.jpg", "000005 a.jpg", false, "d3" });
        // Names already there are passed over silently, across the wrap too.
        row("rule 1, taken up to the wrap", { 1, 999998, "a.jpg", "d3000000.jpg", false, {}, { "d3999998.jpg" }, 0 });
        // Undo gives back every number the transfer passed over, not only the one it used.
        row("rule 0, taken name passed over", { 0, 41, "a.jpg", "000042 a.jpg", false, {}, { "000041 a.jpg" }, 42 });
    }
    void transferAndUndo()
    {
        QFETCH(Move, m);
        Tree t;
        t.settings.namingRule = NamingRule(m.rule);
        t.session.copyMode = m.copyMode;
        t.settings.serials[size_t(m.rule)] = m.counter;
        if (!m.target.isEmpty())
            t.settings.destinationFolders[3] = t.root + u'/' + m.target;
        const QString folder = m.target.startsWith("delete") ? t.deleteFolder : t.dest[3],
                      to = folder + u'/' + m.expected;
        t.put(m.file);
        t.put("other.jpg");
        for (const QString& name : m.taken)
            writeFile(folder + u'/' + name, "the user's own");
        QVERIFY(QFile::setPermissions(t.src(m.file), QFileDevice::ReadOwner));
        auto before = t.state(), after = before;
        const TransferResult r = t.drop(3, m.file);
        QVERIFY(r.ok);
        QCOMPARE(r.newName, m.expected);
        QCOMPARE(QFileInfo(r.newPath).canonicalFilePath(), QFileInfo(to).canonicalFilePath());
        t.moved(after, "src/" + m.file, QDir(t.root).relativeFilePath(to), m.rule);
        after.history.newest().to = r.newPath;
        const int used = m.used >= 0 ? m.used : m.counter;
        after.history.newest().serialAdvance = used + 1 - (m.used == 0 ? 0 : m.counter);
        after.serials[size_t(m.rule)] = used + 1;
        QCOMPARE(t.state(), after);
        const UndoResult u = t.sorter.undoLast();
        QVERIFY(u.ok());
        if (m.used == 0)
            before.serials[size_t(m.rule)] = 0; // a wrap is not wound back to 999999
        QCOMPARE(t.state(), before);
    }

    // A picture's RAW and sidecars go with it under one serial free for all of them, or
    // none goes; undo brings the whole unit back.
    void companionsMoveWithTheirPicture_data()
    {
        QTest::addColumn<Unit>("u");
        auto row = [](const char* tag, const Unit& u) { QTest::newRow(tag) << u; };
        const QStringList rule0
            = { "000041 IMG_0001.JPG", "000041 IMG_0001.CR2", "000041 IMG_0001.JPG.xmp", "000041 IMG_0001.xmp" };
        row("rule 0", { 0, rule0, 42 });
        row("rule 1", { 1, { "d3000007.JPG", "d3000007.CR2", "d3000007.JPG.xmp", "d3000007.xmp" }, 8 });
        row("rule 2", { 2, { "trip000123.JPG", "trip000123.CR2", "trip000123.JPG.xmp", "trip000123.xmp" }, 124 });
        row("copy mode", { 0, rule0, 42, true });
        row("a sidecar's name taken",
            { 0, { "000042 IMG_0001.JPG", "000042 IMG_0001.CR2", "000042 IMG_0001.JPG.xmp", "000042 IMG_0001.xmp" }, 43,
                false, true, "000041 IMG_0001.xmp" });
        row("switched off", { 0, { "000041 IMG_0001.JPG" }, 42, false, false });
        row("RAW refused", { 0, {}, 41, false, true, {}, "000041 IMG_0001.CR2" });
        row("a sidecar refused after the RAW went", { 0, {}, 41, false, true, {}, "000041 IMG_0001.xmp" });
        row("picture refused after its companions", { 0, {}, 41, false, true, {}, "000041 IMG_0001.JPG" });
        row("copy mode, picture refused", { 0, {}, 41, true, true, {}, "000041 IMG_0001.JPG" });
        // An undo stopped half-way sends what already came back to the destination again.
        row("undo: a sidecar refused after the RAW", { 0, rule0, 42, false, true, {}, {}, 2 });
        row("undo: the picture refused after its companions", { 0, rule0, 42, false, true, {}, {}, 0 });
        row("copy mode, undo: the picture refused", { 0, rule0, 42, true, true, {}, {}, 0 });
    }
    void companionsMoveWithTheirPicture()
    {
        QFETCH(Unit, u);
        Tree t;
        t.settings.namingRule = NamingRule(u.rule);
        t.settings.serials = { 41, 7, 123 };
        t.session.copyMode = u.copyMode;
        t.session.companionsFollow = u.follow;
        putShoot(t);
        QCOMPARE(Companions::summary(Companions::find(t.source, "IMG_0001.JPG")), QString("+CR2 +XMP"));
        if (!u.taken.isEmpty())
            writeFile(t.dest[3] + u'/' + u.taken, "the user's own");
        if (!u.refused.isEmpty()) {
            t.fs.failStep = failing(Step::Publish, ENOSPC, { t.dest[3] + u'/' + u.refused });
            t.fillHistory(); // put back as it was, the entry that would fall out too
        }
        const auto before = t.state();
        auto files = before.files;
        const QStringList sources = { "IMG_0001.JPG", "IMG_0001.CR2", "IMG_0001.JPG.xmp", "img_0001.xmp" };
        for (int i = 0; i < u.expected.size(); ++i) {
            files.insert("d3/" + u.expected[i], files.value("src/" + sources[i]));
            if (!u.copyMode)
                files.remove("src/" + sources[i]);
        }
        const TransferResult r = t.drop(3, "IMG_0001.JPG");
        QCOMPARE(r.ok, !u.expected.isEmpty());
        QCOMPARE(snapshot(t.root).keys(), files.keys());
        QCOMPARE(snapshot(t.root), files);
        QCOMPARE(t.settings.serials[size_t(u.rule)], u.counter);
        if (!r.ok) {
            const bool picture = u.refused.endsWith(".JPG");
            QCOMPARE(r.failure.reason, picture ? Reason::System : Reason::CompanionNotMoved);
            QCOMPARE(r.failure.path, picture ? QString() : t.dest[3] + u'/' + u.refused);
            QCOMPARE(r.companionsLeft.size(), 0);
            QCOMPARE(t.state(), before);
            return;
        }
        QCOMPARE(t.sorter.history().newest().companions.size(), u.expected.size() - 1);
        if (u.undoRefused >= 0) {
            const auto dropped = t.state();
            t.fs = refusingDelete({ t.dest[3] + u'/' + u.expected[u.undoRefused] });
            t.fs.failStep = failing(Step::Publish, ENOSPC, { t.src(sources[u.undoRefused]) });
            const UndoResult kept = t.sorter.undoLast();
            QCOMPARE(kept.outcome, Outcome::Kept);
            QVERIFY(!kept.failure.ok());
            QCOMPARE(kept.companionsStillBack, QStringList());
            QCOMPARE(t.state(), dropped);
            t.fs = FileActions();
        }
        const UndoResult back = t.sorter.undoLast();
        QVERIFY(back.ok());
        QVERIFY(!back.worthTelling());
        QCOMPARE(t.state(), before);
    }

    // Send all takes each picture with its companions, under a name free for all of them. After the bulk delete
    // emptied the delete folder, the entries of the files it took go; the others keep their order, and nothing is
    // said when nothing went.
    void sendAllMovesUnitsThenForgetsVanished()
    {
        Tree t;
        putShoot(t);
        t.put("a.jpg");
        t.put("b.jpg");
        QVERIFY(t.drop(1, "a.jpg").ok);
        writeFile(t.deleteFolder + "/IMG_0001.xmp", "older one");
        auto before = t.state();
        const SendAllResult r
            = t.sorter.sendAll(t.source, { "IMG_0002.CR2", "IMG_0001.JPG", "b.jpg", "a.jpg" }, { 0, 1, 2 });
        QVERIFY(!r.worthTelling());
        QCOMPARE(r.moved, 3);
        QCOMPARE(QDir(t.deleteFolder).entryList(QDir::Files),
            QStringList({ "b.jpg", "IMG_0001 (2).CR2", "IMG_0001 (2).JPG", "IMG_0001 (2).JPG.xmp", "IMG_0001 (2).xmp",
                "IMG_0001.xmp", "IMG_0002.CR2" }));
        QCOMPARE(t.sorter.history().count(), 4);
        for (const char* name : { "IMG_0002.CR2", "b.jpg" }) // the newest entry and one below the unit
            QVERIFY(QFile::remove(t.deleteFolder + u'/' + name));
        QSignalSpy changed(&t.sorter, &Sorter::historyChanged);
        t.sorter.forgetVanishedIn(t.deleteFolder + "/./");
        QCOMPARE(t.sorter.history().count(), 2);
        QCOMPARE(QFileInfo(t.sorter.history().at(0).to).fileName(), QString("IMG_0001 (2).JPG"));
        QCOMPARE(t.sorter.history().at(1).from, t.src("a.jpg"));
        QCOMPARE(changed.count(), 1);
        t.sorter.forgetVanishedIn(t.deleteFolder);
        QCOMPARE(changed.count(), 1);
        QVERIFY(t.sorter.undoLast().ok());
        before.files.remove("src/IMG_0002.CR2");
        before.files.remove("src/b.jpg");
        QCOMPARE(t.state(), before);
    }

    // Every refusal and failure of a drop of a.jpg on target 1 leaves files, history and counters as they were.
    void refused_data()
    {
        QTest::addColumn<Reason>("reason");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<bool>("copyOnRecord"); // the copy stayed and undo can take it away
        auto row = [](const char* tag, Reason reason, const Fault& fault, bool copyOnRecord = false) {
            QTest::newRow(tag) << reason << fault << copyOnRecord;
        };
        row("rule 3", Reason::RuleInvalid, [](Tree& t) { t.settings.namingRule = NamingRule(3); });
        const auto named = [](NamingRule rule, const char* head) -> Fault {
            return [=](Tree& t) {
                t.settings.namingRule = rule;
                (rule == NamingRule::FolderNameAndSerial ? t.settings.destinationNames[1] : t.settings.headNames[1])
                    = head;
            };
        };
        row("head leaves the folder", Reason::HeadUnusable, named(NamingRule::HeadNameAndSerial, "x/../../y"));
        row("head name '.'", Reason::HeadUnusable, named(NamingRule::HeadNameAndSerial, ".")); // a hidden file
        row("folder named '..'", Reason::HeadUnusable, named(NamingRule::FolderNameAndSerial, ".."));
        row("counter at the top", Reason::SerialExhausted,
            [](Tree& t) { t.settings.serials[0] = std::numeric_limits<int32_t>::max(); });
        row("no destination", Reason::FolderUnset, [](Tree& t) { t.settings.destinationFolders[1].clear(); });
        row("every name taken", Reason::NoFreeSerial, [](Tree& t) {
            QDir().mkpath(t.dest[1] + "/000000 a.jpg"); // a folder of the name counts as taken too
            writeFile(t.dest[1] + "/000000 a.jpg/inner.jpg", "inner");
            for (int n = 1; n < Renaming::MaxNameTries; ++n)
                writeFile(t.dest[1] + QStringLiteral("/%1 a.jpg").arg(n, 6, 10, QLatin1Char('0')), "");
        });
        row("source gone", Reason::SourceMissing, [](Tree& t) { QFile::remove(t.src("a.jpg")); });
        row("source is a folder", Reason::SourceMissing, [](Tree& t) {
            QFile::remove(t.src("a.jpg"));
            QDir().mkpath(t.src("a.jpg"));
            writeFile(t.src("a.jpg/inside.jpg"), "inside");
        });
        row("delete refused", Reason::SourceKept, [](Tree& t) { t.fs = refusingDelete({ t.src("a.jpg") }); });
        row("delete refused, copy mode on the delete folder", Reason::SourceKept, [](Tree& t) {
            t.fs = refusingDelete({ t.src("a.jpg") });
            t.session.copyMode = true;
            t.settings.destinationFolders[1] = t.settings.deleteFolder();
        });
        const Fault neither = [](Tree& t) { t.fs = refusingDelete({ t.src("a.jpg"), t.dest[1] + "/000000 a.jpg" }); };
        row("neither deletable", Reason::BothLeft, neither, true);
        row("copy not on the disk", Reason::System, [](Tree& t) { t.fs.failStep = failing(Step::SyncFile, EIO); });
    }
    void refused()
    {
        QFETCH(Fault, fault);
        QFETCH(bool, copyOnRecord);
        Tree t;
        t.settings.serials = { 999999, 7, 5 }; // the wrap belongs to a transfer that did not happen
        t.fillHistory();
        t.put("a.jpg");
        fault(t);
        auto before = t.state();
        if (copyOnRecord) {
            t.moved(before, "src/a.jpg", "d1/000000 a.jpg", 0, true);
            before.serials[0] = 1;
        }
        const TransferResult r = t.drop(1, "a.jpg");
        QVERIFY(!r.ok);
        QCOMPARE(r.duplicateLeft, copyOnRecord);
        QTEST(r.failure.reason, "reason");
        QCOMPARE(r.fileName, QString("a.jpg"));
        QCOMPARE(t.state(), before);
    }

    // A cause that can go away changes nothing, and once it is gone the same undo goes through.
    // An entry whose target is gone, or is the source itself, is dropped: the number stays used.
    void undoRefused_data()
    {
        QTest::addColumn<bool>("dropped");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<bool>("copyMode");
        auto row = [](const char* tag, bool dropped, const Fault& fault, bool copyMode = false) {
            QTest::newRow(tag) << dropped << fault << copyMode;
        };
        row("different file at the old place", false, [](Tree& t) { writeFile(t.src("a.jpg"), "new"); });
        row("same length, other bytes", false, [](Tree& t) {
            QByteArray bytes = contentOf("a.jpg");
            writeFile(t.src("a.jpg"), bytes.replace(bytes.size() - 2, 1, "#"));
        });
        row("folder at the old place", false, [](Tree& t) {
            QVERIFY(QDir().mkpath(t.src("a.jpg")));
            writeFile(t.src("a.jpg/inside.jpg"), "inside");
        });
        row("source folder is now a file", false, [](Tree& t) {
            QVERIFY(QDir(t.source).removeRecursively());
            writeFile(t.source, "not a folder");
        });
        const Fault refuse = [](Tree& t) { t.fs = refusingDelete({ t.sorter.history().newest().to }); };
        row("target delete refused", false, refuse);
        row("copy mode, target delete refused", false, refuse, true);
        row("target gone", true, [](Tree& t) { QVERIFY(QFile::remove(t.sorter.history().newest().to)); });
        row("one file under two names", true, [](Tree& t) {
            QVERIFY(QFile::rename(t.sorter.history().newest().to, t.src("a.jpg")));
            QVERIFY(QFile::link(t.source, t.root + "/alias"));
            t.sorter.history().newest().to = t.root + "/alias/a.jpg";
        });
    }
    void undoRefused()
    {
        QFETCH(bool, dropped);
        QFETCH(Fault, fault);
        QFETCH(bool, copyMode);
        Tree t;
        t.session.copyMode = copyMode;
        t.settings.serials = { 5, 50, 500 };
        t.put("a.jpg");
        t.fillHistory();
        const QString from = t.src("a.jpg"), to = t.drop(2, "a.jpg").newPath;
        fault(t);
        auto expected = t.state();
        if (dropped)
            expected.history.shiftUp();
        const UndoResult r = t.sorter.undoLast();
        QCOMPARE(r.outcome, dropped ? Outcome::EntryDropped : Outcome::Kept);
        QCOMPARE_NE(r.failure.reason, Reason::None);
        QCOMPARE(QFileInfo(r.restoredPath).fileName(), QString("a.jpg"));
        QCOMPARE(t.state(), expected); // the number stays used
        if (dropped)
            return;
        if (!QFile::remove(t.source) && !t.session.copyMode) // the cause goes away
            QFile::remove(from);
        QDir(from).removeRecursively();
        t.fs = FileActions();
        const UndoResult again = t.sorter.undoLast();
        QVERIFY(again.ok());
        QCOMPARE(readFile(from), contentOf("a.jpg"));
        QVERIFY(!QFileInfo::exists(to));
        QCOMPARE(t.settings.serials[0], 5);
    }

    // Send all takes only the board's part of the list, in copy mode too, passes over files that drops took already and
    // records each move as SentToDeleteFolder. A name taken in the delete folder is never replaced: the file gets the
    // first free "name (n).ext". Undo brings every file back.
    void sendAll()
    {
        Tree t;
        t.settings.serials = { 10, 20, 30 };
        const QStringList names = t.put(25);
        QVERIFY(QFile::setPermissions(t.src(names[0]), QFileDevice::ReadOwner));
        QVERIFY(t.drop(1, names[2]).ok);
        QVERIFY(t.drop(1, names[5]).ok);
        writeFile(t.deleteFolder + "/IMG_0001.jpg", "older one");
        writeFile(t.deleteFolder + "/IMG_0001 (2).jpg", "older two");
        t.session.copyMode = true;
        const auto before = t.state();
        auto after = before;
        for (int i : { 0, 1, 3, 4, 6, 7, 8, 9 }) // newest last, above the two drops
            t.moved(after, "src/" + names[i], "delete/" + (i == 1 ? QStringLiteral("IMG_0001 (3).jpg") : names[i]), 3);
        Recorder said(t);
        const SendAllResult r = t.sorter.sendAll(t.source, names, { 0, 1, 2, 3, 4, 5, 6, 7, 8, 9 });
        QVERIFY(!r.worthTelling());
        QCOMPARE(r.moved, 8);
        QCOMPARE(r.renamed.size(), size_t(1));
        QCOMPARE(r.renamed[0].storedAs, QString("IMG_0001 (3).jpg"));
        QCOMPARE(said.log.join(", "), // events once for each position, the ones passed over too
            QString("moving 0, events, moving 1, events, events, moving 3, events, moving 4, events, events, moving 6, "
                    "events, moving 7, events, moving 8, events, moving 9, events, history on"));
        QCOMPARE(t.state(), after);
        QVERIFY(QFile::permissions(t.deleteFolder + u'/' + names[0]) & QFileDevice::WriteOwner);
        for (int j = 0; j < 8; ++j)
            QVERIFY(t.sorter.undoLast().ok());
        QCOMPARE(t.state(), before);
    }

    // A transfer is busy throughout and says that a file stayed before the warning; an
    // undo is not held back by a transfer's busy state; send all is never busy, so a drop
    // may take a later file away between two files, while a second send all is dropped.
    void sequence_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("log");
        auto row = [](const char* tag, const char* what, const char* log) { QTest::newRow(tag) << what << log; };
        row("turned away while busy", "busy", "");
        row("refused", "refused", "moving 0 busy, events busy, history off busy, stayed 0 busy, failed busy");
        row("undo while a transfer is busy", "undo",
            "moving 0 busy, events busy, undone busy, history off busy, history off busy");
        row("a drop and a second send all between two files", "send all",
            "moving 0, events, moving 2 busy, events busy, history on busy, moving 1, events, events, moving 3, "
            "events, history on");
    }
    void sequence()
    {
        QFETCH(QString, what);
        Tree t;
        const QStringList names = t.put(4);
        const auto before = snapshot(t.root);
        if (what == "refused")
            t.fs = refusingDelete({ t.src(names[0]) });
        Recorder said(t);
        said.later([&] {
            if (what == "undo")
                QCOMPARE(t.sorter.undoLast().outcome, Outcome::Restored);
            if (what == "send all") {
                QCOMPARE(t.sorter.sendAll(t.source, names, { 0 }).moved, 0);
                QVERIFY(t.sorter.isSendingAll());
                QVERIFY(t.sorter.transfer(0, 2, t.source, names[2]).ok);
            }
        });
        const std::optional<Session::BusyGuard> busy
            = what == "busy" ? std::make_optional<Session::BusyGuard>(t.session) : std::nullopt;
        if (what == "send all") {
            QCOMPARE(t.sorter.sendAll(t.source, names, { 0, 1, 2, 3 }).moved, 3);
            QCOMPARE(int(t.sorter.history().at(2).kind), 0);
            QVERIFY(!t.sorter.isSendingAll());
        } else {
            QCOMPARE(t.drop(1, names[0]).ok, what == "undo");
            QCOMPARE(snapshot(t.root), before);
        }
        QTEST(said.log.join(", "), "log");
    }

    // Nothing can be sent, or only some files: what stays is listed (twenty names, then a
    // count), the history holds only what went, and nothing else changes.
    void sendAllRefused_data()
    {
        QTest::addColumn<Reason>("reason"); // the one refusal, or the first file's failure
        QTest::addColumn<int>("failures");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<bool>("partly"); // five positions offered, some go
        auto row = [](const char* tag, Reason reason, int failures, const Fault& fault, bool partly = false) {
            QTest::newRow(tag) << reason << failures << fault << partly;
        };
        row("delete folder missing", Reason::FolderMissing, 25,
            [](Tree& t) { QVERIFY(QDir(t.deleteFolder).removeRecursively()); });
        row("delete folder is the source", Reason::DeleteFolderIsSource, 0,
            [](Tree& t) { t.settings.deleteFolder() = t.source + u'/'; });
        // However it is written or reached, the source is still the source.
        row("source without its separator", Reason::DeleteFolderIsSource, 0,
            [](Tree& t) { t.settings.deleteFolder() = t.source; });
        row("source through a link", Reason::DeleteFolderIsSource, 0, [](Tree& t) {
            QVERIFY(QFile::link(t.source, t.root + "/alias"));
            t.settings.deleteFolder() = t.root + "/alias/";
        });
        row("source through a bind mount", Reason::DeleteFolderIsSource, 0, [](Tree& t) {
            const QString at = t.root + "/bound";
            QVERIFY(QDir().mkpath(at));
            if (::mount(QFile::encodeName(t.source).constData(), QFile::encodeName(at).constData(), nullptr, MS_BIND,
                    nullptr)
                == 0)
                t.mounted = at;
            else { // not root: a link stands in
                QVERIFY(QDir(at).removeRecursively());
                QVERIFY(QFile::link(t.source, at));
            }
            t.settings.deleteFolder() = at + u'/';
        });
        row("delete folder unset", Reason::FolderUnset, 0, [](Tree& t) { t.settings.deleteFolder().clear(); });
        // Position 1 is a folder, passed over; 3 cannot be copied and 4 not deleted; 0 and 2 go.
        const Fault partly = [](Tree& t) {
            QVERIFY(QFile::remove(t.src("IMG_0001.jpg")));
            QVERIFY(QDir().mkpath(t.src("IMG_0001.jpg")));
            t.fs = refusingDelete({ t.src("IMG_0004.jpg") });
            t.fs.failStep = [busy = t.src("IMG_0003.jpg"), refusing = t.fs.failStep](Step step, const QString& p) {
                return step == Step::Rename && p == busy ? EBUSY : refusing(step, p);
            };
        };
        row("partly", Reason::System, 2, partly, true);
    }
    void sendAllRefused()
    {
        QFETCH(int, failures);
        QFETCH(Fault, fault);
        QFETCH(bool, partly);
        Tree t;
        const QStringList names = t.put(25);
        t.fillHistory();
        fault(t);
        auto before = t.state();
        for (int i : { 0, 2 })
            if (partly)
                t.moved(before, "src/" + names[i], "delete/" + names[i], 3);
        Recorder said(t);
        QList<int> all(25);
        std::iota(all.begin(), all.end(), 0);
        const SendAllResult r = t.sorter.sendAll(t.source, names, partly ? all.mid(0, 5) : all);
        QCOMPARE(r.moved, partly ? 2 : 0);
        QCOMPARE(int(r.failures.size()), failures);
        QCOMPARE(said.positions("stayed"), (partly ? QList<int> { 3, 4 } : said.positions("moving")));
        QCOMPARE(said.log.count("failed"), 1);
        QTEST(r.failures.empty() ? r.refused.reason : r.failures[0].failure.reason, "reason");
        for (int i = 0; i < failures; ++i)
            QCOMPARE(r.failures[size_t(i)].fileName, names[partly ? 3 + i : i]);
        if (partly) {
            QCOMPARE(r.failures[0].position, 3);
            QCOMPARE(r.failures[0].failure.error, EBUSY);
            QCOMPARE(r.failures[1].failure.reason, Reason::SourceKept);
            QCOMPARE(r.failures[1].failure.error, EACCES);
        }
        QCOMPARE(t.state(), before);
    }

    // Slow moves between two file systems (each chunk of the copy takes a quarter second) run
    // off the window's thread: a timer keeps firing, the progress is told and its end; a send
    // all stopped half way leaves each file moved and on record, or untouched.
    void longMovesKeepTheWindowAnswering()
    {
        Tree t;
        const QStringList names = t.put(5);
        const QByteArray big(9 << 20, 'b'); // three chunks
        writeFile(t.src("big.jpg"), big);
        t.fs.failStep = [](Step step, const QString&) {
            if (step == Step::Write)
                QThread::msleep(250);
            return step == Step::Rename ? EXDEV : 0;
        };
        QList<MoveProgress> told;
        int ended = 0, ticks = 0;
        QObject::connect(&t.sorter, &Sorter::moveProgress, [&](const MoveProgress& p) {
            told << p;
            if (p.number == 2) // send all is stopped while its second file moves
                t.sorter.cancelSendAll();
        });
        QObject::connect(&t.sorter, &Sorter::moveProgressEnded, [&] { ++ended; });
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(10);
        QVERIFY(t.drop(1, "big.jpg").ok);
        QVERIFY2(ticks >= 30, qPrintable(QString::number(ticks)));
        QVERIFY(!told.isEmpty());
        QCOMPARE(told.last().fileName, QString("big.jpg"));
        QCOMPARE(told.last().bytesTotal, big.size());
        QCOMPARE_GT(told.last().bytesDone, 0);
        QCOMPARE(ended, 1);
        auto after = t.state();
        const SendAllResult r = t.sorter.sendAll(t.source, names, { 0, 1, 2, 3, 4 });
        QVERIFY(r.cancelled);
        QVERIFY(!r.worthTelling());
        QCOMPARE(r.moved, 2);
        for (int i = 0; i < r.moved; ++i)
            t.moved(after, "src/" + names[i], "delete/" + names[i], 3);
        QCOMPARE(t.state(), after);
        QCOMPARE(told.last().count, 5);
        QCOMPARE(ended, 2);
    }
};

QTEST_GUILESS_MAIN(TestSorting)
#include "tst_sorting.moc"
