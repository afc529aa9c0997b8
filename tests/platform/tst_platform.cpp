// The platform layer: moves and writes that lose nothing (a fault at every step, the order of the system calls of a
// move between two file systems), numbers read and rounded half to even, a settings file that never blocks, and the
// file listing.
#include "TestFiles.h"
#include "platform/DurableFile.h"
#include "platform/FileListing.h"
#include "platform/FileOps.h"
#include "platform/Numeric.h"
#include "platform/TextFile.h"
#include "platform/Twips.h"
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace TestFiles;
using DurableFile::Step;

namespace {

struct Fault {
    Step step;
    int error;
    enum Where { Source, Destination, Any } where = Any; // the file or folder the step works on
    int nth = 0; // only the step's nth call fails; 0: every call
};

// Zeroed when the path is missing.
struct stat statOf(const QString& path)
{
    struct stat st { };
    ::stat(QFile::encodeName(path).constData(), &st);
    return st;
}
ino_t inode(const QString& path) { return statOf(path).st_ino; }

// A folder on another file system than the test's temporary folder, or empty.
QString otherFileSystem()
{
    const dev_t shm = statOf("/dev/shm").st_dev;
    return shm && shm != statOf(QDir::tempPath()).st_dev ? QStringLiteral("/dev/shm") : QString();
}

// The photo is whole at exactly the expected places, and nothing else is in either folder.
void expectOnly(const QString& src, const QString& dest, bool atSource, bool atDestination, const QByteArray& photo)
{
    using Files = QMap<QString, QByteArray>;
    QCOMPARE(snapshot(src), (atSource ? Files { { "a.jpg", photo } } : Files {}));
    QCOMPARE(snapshot(dest), (atDestination ? Files { { "b.jpg", photo } } : Files {}));
}

}
Q_DECLARE_METATYPE(Fault)

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    // Grouped by the step that fails: after each the photo is whole at one place only (both
    // in copy mode, or where neither the source nor its copy could be removed), and no
    // temporary file is left. A move forced through the copy fails its rename with EXDEV.
    void faultAtEveryStep_data()
    {
        QTest::addColumn<bool>("copy"); // between two file systems
        QTest::addColumn<bool>("keepSource");
        QTest::addColumn<QList<Fault>>("faults");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<int>("endsAt"); // 1 the source, 2 the destination, 3 both
        auto row = [](const char* tag, bool copy, bool keep, QList<Fault> faults, Reason o = Reason::System,
                       int endsAt = 1) {
            if (copy && !keep)
                faults.prepend({ Step::Rename, EXDEV });
            QTest::newRow(tag) << copy << keep << faults << int(o) << endsAt;
        };
        row("rename: moved", false, false, {}, Reason::None, 2);
        row("rename: refused", false, false, { { Step::Rename, EACCES } });
        row("rename: destination folder not synced", false, false, { { Step::SyncFolder, EIO, Fault::Destination } });
        row("rename: source folder not synced", false, false, { { Step::SyncFolder, EIO, Fault::Source } });
        row("copy: moved", true, false, {}, Reason::None, 2);
        row("copy: create", true, false, { { Step::Create, ENOSPC } });
        row("copy: first write", true, false, { { Step::Write, ENOSPC } });
        row("copy: second write", true, false, { { Step::Write, EIO, Fault::Any, 2 } });
        row("copy: file sync", true, false, { { Step::SyncFile, EIO } });
        row("copy: publish", true, false, { { Step::Publish, EEXIST } });
        row("copy: destination folder sync", true, false, { { Step::SyncFolder, EIO, Fault::Destination } });
        row("copy: source unlink", true, false, { { Step::Unlink, EACCES, Fault::Source } }, Reason::SourceKept, 1);
        row("copy: source and copy unlink", true, false, { { Step::Unlink, EACCES } }, Reason::BothLeft, 3);
        row("copy: source folder sync", true, false, { { Step::SyncFolder, EIO, Fault::Source } }, Reason::None, 2);
        row("copy mode: made", true, true, {}, Reason::None, 3);
        row("copy mode: file sync", true, true, { { Step::SyncFile, EIO } });
        row("copy mode: destination folder sync", true, true, { { Step::SyncFolder, EIO, Fault::Destination } });
    }
    void faultAtEveryStep()
    {
        QFETCH(bool, copy);
        QFETCH(bool, keepSource);
        QFETCH(QList<Fault>, faults);
        QTemporaryDir dir;
        const QString src = dir.filePath("src"), dest = dir.filePath("dest");
        QVERIFY(QDir().mkpath(src));
        QVERIFY(QDir().mkpath(dest));
        QByteArray photo(9 << 20, 'p'); // more than two chunks of the copy
        photo[12345] = 'q';
        writeFile(src + "/a.jpg", photo);
        const QDateTime old = QDateTime::currentDateTime().addDays(-30);
        setModified(src + "/a.jpg", old);
        QVERIFY(QFile::setPermissions(src + "/a.jpg", QFile::ReadOwner | QFile::ReadGroup));
        const ino_t before = inode(src + "/a.jpg");

        QList<int> seen(faults.size());
        const auto fault = [&](Step step, const QString& path) {
            for (qsizetype i = 0; i < faults.size(); ++i) {
                const Fault& x = faults[i];
                if (x.step == step && (x.where == Fault::Any || path.startsWith(x.where == Fault::Source ? src : dest))
                    && (++seen[i] == x.nth || x.nth == 0))
                    return x.error;
            }
            return 0;
        };
        const DurableFile::Result r = DurableFile::move(src + "/a.jpg", dest + "/b.jpg", keepSource, { fault, {} });
        QTEST(int(r.reason), "outcome");
        QCOMPARE(r.renamed, !copy && r.ok());
        QFETCH(int, endsAt);
        expectOnly(src, dest, endsAt & 1, endsAt & 2, photo);
        if (endsAt & 2) {
            const QString b = dest + "/b.jpg";
            QCOMPARE(inode(b) == before, !copy);
            QCOMPARE(QFileInfo(b).lastModified().toSecsSinceEpoch(), old.toSecsSinceEpoch());
            if (copy) // the owner may write a copy, as a copy the program always made
                QCOMPARE(QFile::permissions(b) & 0x7077, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
        }
    }

    // Refusals, and a move in copy mode or a settings write that a full disk (a file-size limit) cuts
    // off part way: nothing changes on disk, and the failure says why.
    void failuresChangeNothing_data()
    {
        QTest::addColumn<QString>("from"); // empty: the settings file is written
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("keepSource");
        QTest::addColumn<int>("limit"); // -1: none
        QTest::addColumn<int>("reason");
        QTest::addColumn<int>("error");
        auto row = [](const QString& tag, const char* from, const char* to, bool keep, Reason reason, int error,
                       int limit = -1) {
            QTest::newRow(qPrintable(tag)) << from << to << keep << limit << int(reason) << error;
        };
        for (bool keep : { false, true }) {
            const QString mode = keep ? "copy mode: " : "move: ";
            row(mode + "name taken", "a.jpg", "b.jpg", keep, Reason::System, EEXIST);
            row(mode + "source missing", "missing.jpg", "out.jpg", keep, Reason::System, ENOENT);
            row(mode + "folder missing", "a.jpg", "nofolder/out.jpg", keep, Reason::FolderMissing, ENOENT);
        }
        row("copy mode: source is a folder", "sub", "out.jpg", true, Reason::System, ENOENT);
        row("copy mode: target is a folder", "a.jpg", "sub", true, Reason::System, EEXIST);
        row("copy mode: disk fills part way", "a.jpg", "out.jpg", true, Reason::System, EFBIG, 1500000);
        for (int limit : { 0, 100, 999 }) // nothing, a part, all but one byte fits
            row(QString("settings: %1 bytes fit").arg(limit), "", "", false, Reason::System, EFBIG, limit);
    }
    void failuresChangeNothing()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, keepSource);
        QFETCH(int, limit);
        QTemporaryDir dir;
        writeFile(dir.filePath("a.jpg"), QByteArray(3000000, 'a'));
        writeFile(dir.filePath("b.jpg"), "precious");
        writeFile(dir.filePath("Pirapo.ini"), "the settings of last time\r\n");
        QVERIFY(QDir(dir.path()).mkdir("sub"));
        const auto before = snapshot(dir.path());
        rlimit saved {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = limit >= 0 ? rlim_t(limit) : saved.rlim_cur;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        Failure r;
        if (from.isEmpty())
            TextFile::write(dir.filePath("Pirapo.ini"), QByteArray(1000, 'x'), &r);
        else
            r = DurableFile::move(dir.filePath(from), dir.filePath(to), keepSource);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QTEST(int(r.reason), "reason");
        QTEST(r.error, "error");
        QCOMPARE(snapshot(dir.path()), before);
    }

    // A write that fails at any step leaves the old file whole; one that succeeds through a
    // link replaces the link's target and keeps the link. Leftovers are known by their exact name.
    void writeThroughALink()
    {
        QTemporaryDir dir;
        QVERIFY(QDir().mkpath(dir.filePath("real")));
        writeFile(dir.filePath("real/Pirapo.ini"), "old");
        QVERIFY(QFile::link("real/Pirapo.ini", dir.filePath("Pirapo.ini")));
        const auto before = snapshot(dir.path());
        for (Step step : { Step::Create, Step::Write, Step::SyncFile, Step::Publish }) {
            const auto fault = [step](Step s, const QString&) { return s == step ? EIO : 0; };
            const auto r = DurableFile::write(dir.filePath("Pirapo.ini"), "new", DurableFile::Content::UserData, fault);
            QCOMPARE(r.error, EIO);
            QCOMPARE(snapshot(dir.path()), before);
        }
        QVERIFY(DurableFile::write(dir.filePath("Pirapo.ini"), "new").ok());
        QCOMPARE(QFileInfo(dir.filePath("Pirapo.ini")).symLinkTarget(), dir.filePath("real/Pirapo.ini"));
        QCOMPARE(readFile(dir.filePath("real/Pirapo.ini")), QByteArray("new"));

        for (const char* name : { ".lumo-part-aZ09xy", ".lumo-part-aZ09x", ".lumo-part-aZ09xyz", "lumo-part-aZ09xy" })
            writeFile(dir.filePath(name), "left");
        QCOMPARE(DurableFile::removeLeftovers(dir.path()), 0); // written just now: maybe still being written
        QCOMPARE(DurableFile::removeLeftovers(dir.path(), 0), 1);
        QVERIFY(!QFile::exists(dir.filePath(".lumo-part-aZ09xy")));
        QVERIFY(QFile::exists(dir.filePath(".lumo-part-aZ09x")));
    }

    // Traced: the copy and its folder are synced before the source is unlinked.
    void systemCallOrder()
    {
        const QString other = otherFileSystem();
        const QString strace = QStandardPaths::findExecutable("strace");
        if (other.isEmpty() || strace.isEmpty())
            QSKIP("needs strace and /dev/shm on a file system of its own");
        QTemporaryDir far(other + "/lumo-XXXXXX"), near;
        writeFile(far.filePath("a.jpg"), QByteArray(3 << 20, 'a'));
        QProcess traced;
        traced.start(strace,
            { "-f", "-y", "-qq", "-e", "trace=fsync,renameat2,rename,link,unlink,unlinkat",
                QCoreApplication::applicationFilePath(), "--move", far.filePath("a.jpg"), near.filePath("b.jpg") });
        QVERIFY(traced.waitForFinished(60000));
        const QString log = QString::fromLocal8Bit(traced.readAllStandardError());
        if (traced.exitCode() != 0 && log.contains("ptrace"))
            QSKIP("tracing is not allowed here");
        QCOMPARE(traced.exitCode(), 0);
        const QString n = QRegularExpression::escape(near.path()), f = QRegularExpression::escape(far.path());
        const QStringList steps = { "fsync\\(\\d+<" + n + "/\\.lumo-part-\\w{6}>", // the copy
            "rename\\w*\\(.*" + n + "/\\.lumo-part-\\w{6}.*" + n + "/b\\.jpg", // published
            "fsync\\(\\d+<" + n + ">", // its folder
            "unlink\\w*\\(.*" + f + "/a\\.jpg", // only then the source
            "fsync\\(\\d+<" + f + ">" };
        qsizetype at = 0;
        for (const QString& step : steps) {
            const qsizetype found = log.indexOf(QRegularExpression(step), at);
            QVERIFY2(found >= 0, qPrintable(step + "\n" + log));
            at = found + 1;
        }
    }

    // Round half to even, twips at 15 a pixel, the leading number of a text, 16- and 32-bit
    // ranges (NaN: out of range) and the clamp to 16 bits.
    void numbers_data()
    {
        QTest::addColumn<char>("kind");
        QTest::addColumn<QString>("in");
        QTest::addColumn<double>("out");
        const double none = qQNaN();
        for (const auto& [kind, in, out] :
            std::initializer_list<std::tuple<char, const char*, double>> { { 'r', "2.5", 2 }, { 'r', "3.5", 4 },
                { 'r', "-2.5", -2 }, { 't', "6030", 402 }, { 't', "37.5", 2 }, { 't', "112.5", 8 },
                { 'v', " -3.5x", -3.5 }, { 'v', ".5", 0.5 }, { 'v', "1e3", 1000 }, { 'v', "12e", 12 },
                { 'v', "1 2", 1 }, { 'v', "abc", 0 }, { 'i', "32767.4", 32767 }, { 'i', "32767.5", none },
                { 'i', "-32769", none }, { 'l', "2147483647", 2147483647 }, { 'l', "2147483648", none },
                { 'l', "inf", none }, { 'c', "99999", 32767 }, { 'c', "-99999", -32768 }, { 'c', "nan", 0 } })
            QTest::addRow("%c %s", kind, in) << kind << QString(in) << out;
    }
    void numbers()
    {
        QFETCH(char, kind);
        QFETCH(QString, in);
        const double x = in.toDouble();
        auto value = [](auto v) { return v ? double(*v) : qQNaN(); };
        const double got = kind == 'r' ? Numeric::roundHalfEven(x)
            : kind == 't'              ? double(twipsToPixels(x, 15.0))
            : kind == 'v'              ? Numeric::leadingNumber(in)
            : kind == 'i'              ? value(Numeric::toInt16(x))
            : kind == 'l'              ? value(Numeric::toInt32(x))
                                       : double(Numeric::clampToInt16(x));
        QTEST(got, "out");
        QCOMPARE(Numeric::formatSerial(-2147483648LL), QString("-2147483648"));
    }

    // A FIFO named like the settings file is refused at once instead of blocking in open(). A file once open is
    // opened again by the name it was given, not by its old name, which now leads to a FIFO.
    void neverWaitsOnAFifo()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("a.jpg"), "picture");
        QFile picture(dir.filePath("a.jpg"));
        QVERIFY(FileOps::openRegularFile(picture));
        QVERIFY(QFile::rename(dir.filePath("a.jpg"), dir.filePath("moved.jpg")));
        FifoGuard fifo(dir.filePath("Pirapo.ini")), swapped(dir.filePath("a.jpg"));
        QByteArray text;
        QVERIFY(fifo.made());
        QVERIFY(!TextFile::read(dir.filePath("Pirapo.ini"), &text));
        QCOMPARE(readFile(FileOps::openedFilePath(picture)), QByteArray("picture"));
        QVERIFY(!fifo.rescued());
        QVERIFY(!swapped.rescued());
    }

    // Pictures by extension in any case, sorted without regard to case; no hidden files
    // and no folders. Names that are not UTF-8 Qt cannot list at all: they are counted.
    void fileListing()
    {
        QTemporaryDir dir;
        for (const char* n : { "b.JPG", "a.jpg", "C.png", "d.Gif", "e.bmp", "f.txt", ".hidden.jpg", "g.jpeg", "A.jpg" })
            touch(dir.filePath(n));
        for (const char* n : { "/x\xff.JPG", "/y\xfe.txt", "/.z\xff.jpg" })
            ::close(::creat((QFile::encodeName(dir.path()) + n).constData(), 0644));
        QCOMPARE(unlistableCount(dir.path(), "*.jpg;*.png"), 1);
        for (const char* n : { "/x\xff.JPG", "/y\xfe.txt", "/.z\xff.jpg" })
            ::unlink((QFile::encodeName(dir.path()) + n).constData()); // Qt cannot see them to remove them
        QVERIFY(QDir(dir.path()).mkdir("folder.jpg"));
        QCOMPARE(listFiles(dir.path(), "*.jpg;*.bmp;*.gif;*.png"),
            QStringList({ "A.jpg", "a.jpg", "b.JPG", "C.png", "d.Gif", "e.bmp" }));
    }
};

int main(int argc, char** argv)
{
    // The child of the trace test: one move, nothing else.
    if (argc == 4 && qstrcmp(argv[1], "--move") == 0)
        return DurableFile::move(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), false).ok() ? 0 : 1;
    QCoreApplication app(argc, argv);
    TestPlatform test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_platform.moc"
