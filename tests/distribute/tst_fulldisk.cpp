// A real file system that fills up: a 1 MB tmpfs mounted by the test (root only)
// as a destination, the delete folder, the source folder or the program's folder,
// and the window's own handlers writing to it.
#include "../SessionFixture.h"
#include "platform/StatusBar.h"
#include <QRandomGenerator>
#include <QScopeGuard>
#ifdef Q_OS_LINUX
#include <sys/mount.h>
#include <unistd.h>
#endif

using Hostile::Format;

namespace {

// A JPEG of `bytes` bytes: a small picture, then noise after its end marker, as some
// cameras leave behind. Decoders stop at the marker.
QByteArray photo(qsizetype bytes, int seed)
{
    QByteArray b = Hostile::wellFormed(Format::Jpeg, QSize(40, 30), seed);
    QRandomGenerator gen(uint32_t(seed) + 1);
    while (b.size() < bytes) {
        const quint32 v = gen.generate();
        b.append(reinterpret_cast<const char*>(&v), std::min<qsizetype>(4, bytes - b.size()));
    }
    return b;
}

// A 1 MB tmpfs over an empty folder for as long as it lives.
class SmallDisk {
public:
    explicit SmallDisk(const QString& folder)
        : m_folder(folder)
    {
#ifdef Q_OS_LINUX
        const QByteArray path = QFile::encodeName(folder);
        m_mounted = ::mount("lumo-test", path.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=1m,mode=0755") == 0;
#endif
    }
    ~SmallDisk()
    {
#ifdef Q_OS_LINUX
        if (m_mounted)
            ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
#endif
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return m_mounted; }

private:
    QString m_folder;
    bool m_mounted = false;
};

#define MOUNT_SMALL_DISK(var, folder)                                                                                  \
    SmallDisk var(folder);                                                                                             \
    if (!var.mounted())                                                                                                \
        QSKIP("mounting a small file system needs root");

}

class TestFullDisk : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void dropOntoAFillingDisk();
    void sendAllOntoAFillingDisk();
    void undoIntoAFullSourceFolder();
    void settingsOnAFullDisk();
};

void TestFullDisk::initTestCase()
{
#ifndef Q_OS_LINUX
    QSKIP("mounts a tmpfs");
#else
    if (geteuid() != 0)
        QSKIP("mounting a small file system needs root");
#endif
}

void TestFullDisk::dropOntoAFillingDisk()
{
    SessionFixture s;
    MOUNT_SMALL_DISK(disk, s.dest(3));
    QVERIFY(Hostile::write(s.src(QStringLiteral("a.jpg")), photo(600 * 1024, 1)));
    QVERIFY(Hostile::write(s.src(QStringLiteral("b.jpg")), photo(600 * 1024, 2)));
    QVERIFY(Hostile::write(s.src(QStringLiteral("c.jpg")), photo(20 * 1024, 3)));
    const auto before = s.files();
    QVERIFY(s.build());
    Form1& f = *s.form;
    QVERIFY(s.slot(1)->hasPicture());

    s.drop(0, 3); // fits
    QVERIFY(s.messages().isEmpty());
    QCOMPARE(Hostile::read(s.dest(3, QStringLiteral("000041 a.jpg"))), photo(600 * 1024, 1));

    // The second runs out of room half way.
    s.drop(1, 3);
    QCOMPARE(s.messages().size(), 1);
    const QString text = s.messages().at(0);
    QVERIFY2(text.contains(QStringLiteral("「b.jpg」を移動できませんでした")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("ディスクの空き容量が足りません")), qPrintable(text));
    // Whole where it was, no half copy left behind, no number used, nothing recorded.
    QCOMPARE(Hostile::read(s.src(QStringLiteral("b.jpg"))), photo(600 * 1024, 2));
    QCOMPARE(QDir(s.dest(3)).entryList(QDir::Files | QDir::Hidden), QStringList { QStringLiteral("000041 a.jpg") });
    QCOMPARE(s.m.Serial[0], 42);
    QCOMPARE(s.m.Undo.count(), 1);
    QVERIFY(s.slot(1)->isVisible());
    QCOMPARE(s.m.BoardBusy, int16_t(0));

    // A small one still fits; then undo both, and the freed room takes b.jpg.
    s.drop(2, 3);
    QCOMPARE(s.messages().size(), 1);
    QVERIFY(QFile::exists(s.dest(3, QStringLiteral("000042 c.jpg"))));
    f.UndoLast();
    f.UndoLast();
    QCOMPARE(s.files(), before);
    QCOMPARE(s.m.Serial[0], 41);
    f.mnuRL_Click();
    s.drop(1, 3);
    QCOMPARE(s.messages().size(), 1);
    QCOMPARE(Hostile::read(s.dest(3, QStringLiteral("000041 b.jpg"))), photo(600 * 1024, 2));
}

void TestFullDisk::sendAllOntoAFillingDisk()
{
    SessionFixture s;
    MOUNT_SMALL_DISK(disk, s.dest(10));
    for (int i = 0; i < 4; ++i)
        QVERIFY(Hostile::write(s.src(QStringLiteral("p%1.jpg").arg(i)), photo(400 * 1024, i)));
    QVERIFY(s.build());
    s.form->mnuDel1_Click();

    // Two fit; the other two stay where they were, named in one message.
    QCOMPARE(s.messages().size(), 1);
    const QString text = s.messages().at(0);
    QVERIFY2(text.contains(QStringLiteral("p2.jpg")) && text.contains(QStringLiteral("p3.jpg")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("ディスクの空き容量が足りません")));
    QCOMPARE(QDir(s.dest(10)).entryList(QDir::Files | QDir::Hidden), QStringList({ "p0.jpg", "p1.jpg" }));
    QCOMPARE(QDir(s.src()).entryList(QDir::Files | QDir::Hidden), QStringList({ "p2.jpg", "p3.jpg" }));
    for (int i = 0; i < 4; ++i) {
        const QString name = QStringLiteral("p%1.jpg").arg(i);
        QCOMPARE(Hostile::read(i < 2 ? s.dest(10, name) : s.src(name)), photo(400 * 1024, i));
    }
    QVERIFY(s.slot(2)->isVisible());
    QVERIFY(s.slot(0)->isHidden());
    QCOMPARE(s.m.Undo.count(), 2); // only what arrived can be undone
    s.form->UndoLast();
    s.form->UndoLast();
    QCOMPARE(QDir(s.src()).entryList(QDir::Files).size(), 4);
    QCOMPARE(s.messages().size(), 1);
}

void TestFullDisk::undoIntoAFullSourceFolder()
{
    SessionFixture s;
    MOUNT_SMALL_DISK(disk, s.src());
    QVERIFY(Hostile::write(s.src(QStringLiteral("a.jpg")), photo(600 * 1024, 1)));
    QVERIFY(s.build());
    Form1& f = *s.form;
    s.drop(0, 5); // off the small disk, which is then filled by something else
    QVERIFY(s.messages().isEmpty());
    QVERIFY(Hostile::write(s.src(QStringLiteral("other.dat")), photo(600 * 1024, 9)));

    f.UndoLast();
    QCOMPARE(s.messages().size(), 1);
    const QString text = s.messages().at(0);
    QVERIFY2(text.contains(QStringLiteral("「a.jpg」を元に戻せませんでした")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("ディスクの空き容量が足りません")), qPrintable(text));
    QCOMPARE(QDir(s.src()).entryList(QDir::Files | QDir::Hidden), QStringList { QStringLiteral("other.dat") });
    QCOMPARE(Hostile::read(s.dest(5, QStringLiteral("000041 a.jpg"))), photo(600 * 1024, 1));
    QVERIFY(f.mnuUnd->isEnabled()); // kept, to try again
    QCOMPARE(s.m.Serial[0], 42);

    QVERIFY(QFile::remove(s.src(QStringLiteral("other.dat"))));
    f.UndoLast();
    QCOMPARE(s.messages().size(), 1);
    QCOMPARE(Hostile::read(s.src(QStringLiteral("a.jpg"))), photo(600 * 1024, 1));
    QVERIFY(QDir(s.dest(5)).isEmpty());
    QCOMPARE(s.m.Serial[0], 41);
}

void TestFullDisk::settingsOnAFullDisk()
{
    SessionFixture s;
    const QString prog = s.root(QStringLiteral("full prog"));
    QVERIFY(QDir().mkpath(prog));
    MOUNT_SMALL_DISK(disk, prog);
    s.m.AppPath = prog;
    QVERIFY(s.open()); // writes its Pirapo.ini there
    const QString ini = SettingsStore::settingsPath(prog);
    const QByteArray old = Hostile::read(ini);
    QVERIFY(!old.isEmpty());
    // Fill the disk to the last byte.
    QFile filler(QDir(prog).filePath(QStringLiteral("filler")));
    QVERIFY(filler.open(QIODevice::WriteOnly));
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) { }
    filler.close();

    s.m.Serial = { 1, 2, 3 };
    s.form->close();
    QCOMPARE(s.messages().size(), 1);
    QVERIFY2(s.messages().at(0).contains(QStringLiteral("保存できませんでした")), qPrintable(s.messages().at(0)));
    QCOMPARE(Hostile::read(ini), old); // the last good settings survive
    QCOMPARE(QDir(prog).entryList(QDir::Files | QDir::Hidden, QDir::Name), QStringList({ "Pirapo.ini", "filler" }));
}

QTEST_MAIN(TestFullDisk)
#include "tst_fulldisk.moc"
