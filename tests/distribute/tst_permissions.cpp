// Files and folders the user may not read or write, through the window's handlers.
// Root reads and writes everything, so when started as root this test becomes an
// ordinary user (nobody) before anything else runs; if it cannot, it skips.
#include "../SessionFixture.h"
#include "platform/PictureBox.h"
#include "platform/StatusBar.h"
#include <QFileInfo>
#include <QScopeGuard>
#ifdef Q_OS_LINUX
#include <grp.h>
#include <sys/prctl.h>
#include <unistd.h>
#endif

using Hostile::Format;

namespace {

QString g_unprivileged; // why the permission checks cannot be tested; empty when they can

const QFile::Permissions kNone {};
const QFile::Permissions kReadOnlyFolder
    = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
const QFile::Permissions kOpenFolder = kReadOnlyFolder | QFile::WriteOwner;
const QFile::Permissions kOpenFile = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;

// Every path whose mode a test changed gets an open mode back at the end, so that
// the temporary tree can be removed even when a check fails half way.
QStringList g_changed;

bool setMode(const QString& path, QFile::Permissions p)
{
    g_changed << path;
    return QFile::setPermissions(path, p);
}

void restoreModes()
{
    for (const QString& path : std::as_const(g_changed))
        QFile::setPermissions(path, QFileInfo(path).isDir() ? kOpenFolder : kOpenFile);
    g_changed.clear();
}

}

class TestPermissions : public QObject {
    Q_OBJECT
public:
    static void initMain()
    {
#ifdef Q_OS_LINUX
        if (geteuid() != 0)
            return;
        const gid_t nogroup = 65534;
        const uid_t nobody = 65534;
        if (setgroups(0, nullptr) != 0 || setresgid(nogroup, nogroup, nogroup) != 0
            || setresuid(nobody, nobody, nobody) != 0 || geteuid() == 0) {
            g_unprivileged = QStringLiteral("started as root and could not become an ordinary user");
            return;
        }
        // A changed user makes the process undumpable, which the leak checker cannot work with.
        prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
#elif defined(Q_OS_WIN)
        g_unprivileged = QStringLiteral("read-only folders do not stop deleting here");
#endif
    }

private slots:
    void init();
    void cleanup();
    void unreadableFiles();
    void readOnlySourceFolder();
    void readOnlyDestination();
    void undoBlockedThenAllowed();
    void settingsFileThatCannotBeWritten();
};

void TestPermissions::init()
{
    if (!g_unprivileged.isEmpty())
        QSKIP(qPrintable(g_unprivileged));
}

void TestPermissions::cleanup() { restoreModes(); }

void TestPermissions::unreadableFiles()
{
    SessionFixture s;
    const auto restore = qScopeGuard(restoreModes); // before the tree goes
    QVERIFY(Hostile::write(s.src(QStringLiteral("a.jpg")), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), 1)));
    QVERIFY(Hostile::write(s.src(QStringLiteral("b.jpg")), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), 2)));
    QVERIFY(Hostile::write(s.src(QStringLiteral("c.png")), Hostile::wellFormed(Format::Png, QSize(40, 30), 3)));
    QVERIFY(Hostile::write(s.src(QStringLiteral("d.gif")), Hostile::wellFormed(Format::Gif, QSize(40, 30), 4)));
    QVERIFY(setMode(s.src(QStringLiteral("b.jpg")), kNone));
    QVERIFY(setMode(s.src(QStringLiteral("c.png")), QFile::WriteOwner));
    QFile probe(s.src(QStringLiteral("b.jpg")));
    QVERIFY2(!probe.open(QIODevice::ReadOnly), "the file can still be read");

    QVERIFY(s.build());
    Form1& f = *s.form;
    QCOMPARE(f.File1->entryCount(), 4);
    for (int i : { 0, 3 })
        QVERIFY(s.slot(i)->hasPicture());
    for (int i : { 1, 2 }) {
        QVERIFY(!s.slot(i)->hasPicture());
        QVERIFY(s.slot(i)->isVisible());
    }

    // The viewer: nothing to show for either, and no crash.
    Form4* v = s.openViewer(1);
    QVERIFY(v);
    QVERIFY(v->Image1->isHidden());
    v->Form_KeyDown(32, 0);
    QCOMPARE(v->windowTitle(), QStringLiteral("ピラポくんViewer  c.png   (3/4)"));
    QVERIFY(!v->Image1->hasPicture());
    v->Form_KeyDown(32, 0);
    QVERIFY(v->Image1->hasPicture());
    v->close();
    QVERIFY(s.messages().isEmpty());

    // A drop of the unreadable file: told why, the file stays, no number is used.
    QVERIFY(setMode(s.src(QStringLiteral("c.png")), kNone));
    s.drop(1, 3);
    QCOMPARE(s.messages().size(), 1);
    QVERIFY(s.messages().at(0).contains(QStringLiteral("「b.jpg」")));
    QVERIFY(s.messages().at(0).contains(QStringLiteral("アクセスが拒否されました")));
    QVERIFY(QFileInfo::exists(s.src(QStringLiteral("b.jpg"))));
    QVERIFY(QDir(s.dest(3)).isEmpty());
    QCOMPARE(s.m.Serial[0], 41);
    QVERIFY(!s.m.Undo.canUndo());
    QVERIFY(s.slot(1)->isVisible());

    // Send-all: the readable ones go, the two others are named in one message.
    f.mnuDel1_Click();
    QCOMPARE(s.messages().size(), 2);
    QVERIFY(s.messages().at(1).contains(QStringLiteral("b.jpg")));
    QVERIFY(s.messages().at(1).contains(QStringLiteral("c.png")));
    QVERIFY(!s.messages().at(1).contains(QStringLiteral("a.jpg")));
    QCOMPARE(QDir(s.dest(10)).entryList(QDir::Files), QStringList({ "a.jpg", "d.gif" }));
    QCOMPARE(QDir(s.src()).entryList(QDir::Files | QDir::System), QStringList({ "b.jpg", "c.png" }));

    // Given back their permissions, they are whole.
    QVERIFY(setMode(s.src(QStringLiteral("b.jpg")), kOpenFile));
    QVERIFY(setMode(s.src(QStringLiteral("c.png")), kOpenFile));
    QCOMPARE(Hostile::read(s.src(QStringLiteral("b.jpg"))), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), 2));
    QCOMPARE(Hostile::read(s.src(QStringLiteral("c.png"))), Hostile::wellFormed(Format::Png, QSize(40, 30), 3));
}

void TestPermissions::readOnlySourceFolder()
{
    SessionFixture s;
    const auto restore = qScopeGuard(restoreModes); // before the tree goes
    for (const char* name : { "a.jpg", "b.jpg", "c.jpg" })
        QVERIFY(Hostile::write(
            s.src(QString::fromLatin1(name)), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), name[0])));
    QVERIFY(s.build());
    Form1& f = *s.form;
    QVERIFY(setMode(s.src(), kReadOnlyFolder));
    const auto before = s.files();

    // A move cannot delete the source: the copy is taken back and the user told.
    s.drop(0, 4);
    QCOMPARE(s.messages().size(), 1);
    QVERIFY(s.messages().at(0).contains(QStringLiteral("「a.jpg」を移動できませんでした")));
    QCOMPARE(s.files(), before);
    QCOMPARE(s.m.Serial[0], 41);
    QVERIFY(!s.m.Undo.canUndo());

    // Send-all: nothing can leave; nothing is lost or doubled.
    f.mnuDel1_Click();
    QCOMPARE(s.messages().size(), 2);
    QCOMPARE(s.files(), before);
    QVERIFY(!s.m.Undo.canUndo());

    // Copy mode leaves the source alone anyway, so it works.
    s.m.CopyMode = 1;
    s.drop(1, 4);
    QCOMPARE(s.messages().size(), 2);
    QCOMPARE(Hostile::read(s.dest(4, QStringLiteral("000041 b.jpg"))), Hostile::read(s.src(QStringLiteral("b.jpg"))));
    f.UndoLast();
    QCOMPARE(s.files(), before);
    QVERIFY(setMode(s.src(), kOpenFolder));
}

void TestPermissions::readOnlyDestination()
{
    SessionFixture s;
    const auto restore = qScopeGuard(restoreModes); // before the tree goes
    QVERIFY(Hostile::write(s.src(QStringLiteral("a.jpg")), Hostile::wellFormed(Format::Jpeg)));
    QVERIFY(s.build());
    QVERIFY(setMode(s.dest(6), kReadOnlyFolder));
    QVERIFY(setMode(s.dest(10), kReadOnlyFolder));
    const auto before = s.files();
    s.drop(0, 6);
    QCOMPARE(s.messages().size(), 1);
    QVERIFY(s.messages().at(0).contains(QStringLiteral("アクセスが拒否されました")));
    s.form->mnuDel1_Click();
    QCOMPARE(s.messages().size(), 2);
    QVERIFY(s.messages().at(1).contains(QStringLiteral("a.jpg")));
    QCOMPARE(s.files(), before);
    QVERIFY(s.slot(0)->isVisible());
    QVERIFY(!s.m.Undo.canUndo());
    QVERIFY(setMode(s.dest(6), kOpenFolder));
    QVERIFY(setMode(s.dest(10), kOpenFolder));
}

void TestPermissions::undoBlockedThenAllowed()
{
    SessionFixture s;
    const auto restore = qScopeGuard(restoreModes); // before the tree goes
    QVERIFY(Hostile::write(s.src(QStringLiteral("a.jpg")), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), 1)));
    QVERIFY(Hostile::write(s.src(QStringLiteral("b.jpg")), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), 2)));
    const auto before = s.files();
    QVERIFY(s.build());
    Form1& f = *s.form;
    s.drop(0, 1);
    s.drop(1, 2);
    QCOMPARE(s.m.Serial[0], 43);
    const auto moved = s.files();

    // The file cannot come back into a read-only folder: kept, and the user told.
    QVERIFY(setMode(s.src(), kReadOnlyFolder));
    f.UndoLast();
    QCOMPARE(s.messages().size(), 1);
    QVERIFY(s.messages().at(0).contains(QStringLiteral("「b.jpg」を元に戻せませんでした")));
    QCOMPARE(s.files(), moved);
    QCOMPARE(s.m.Serial[0], 43);
    QVERIFY(f.mnuUnd->isEnabled());

    // Nor can an unreadable file be copied back.
    QVERIFY(setMode(s.src(), kOpenFolder));
    QVERIFY(setMode(s.dest(2, QStringLiteral("000042 b.jpg")), kNone));
    f.UndoLast();
    QCOMPARE(s.messages().size(), 2);
    QVERIFY(!QFileInfo::exists(s.src(QStringLiteral("b.jpg"))));
    QVERIFY(QFileInfo::exists(s.dest(2, QStringLiteral("000042 b.jpg"))));

    // Once allowed, both come back in order and the numbers are given back.
    QVERIFY(setMode(s.dest(2, QStringLiteral("000042 b.jpg")), kOpenFile));
    f.UndoLast();
    f.UndoLast();
    QCOMPARE(s.messages().size(), 2);
    QCOMPARE(s.files(), before);
    QCOMPARE(s.m.Serial[0], 41);
    QVERIFY(!f.mnuUnd->isEnabled());
}

void TestPermissions::settingsFileThatCannotBeWritten()
{
    SessionFixture s;
    const auto restore = qScopeGuard(restoreModes); // before the tree goes
    QVERIFY(s.open());
    const QString ini = SettingsStore::settingsPath(s.m.AppPath);
    const QByteArray old = Hostile::read(ini);
    QVERIFY(!old.isEmpty());
    QVERIFY(setMode(s.m.AppPath, kReadOnlyFolder));
    QVERIFY(setMode(ini, QFile::ReadOwner));
    s.m.Serial[1] = 555;
    s.form->close();
    QCOMPARE(s.messages().size(), 1);
    QVERIFY(s.messages().at(0).contains(QStringLiteral("保存できませんでした")));
    QCOMPARE(Hostile::read(ini), old);
    QVERIFY(setMode(s.m.AppPath, kOpenFolder));
}

QTEST_MAIN(TestPermissions)
#include "tst_permissions.moc"
