// A real disk that fills up and files the user may not touch, through the window's
// own handlers. The full disk is a 1 MB tmpfs mounted by the test, so it needs root;
// root reads and writes everything, so the permission tests, which come last, first
// turn the process into an ordinary user (nobody) for good.
#include "../SessionFixture.h"
#include <QRandomGenerator>
#include <QScopeGuard>
#include <grp.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <unistd.h>

using Hostile::Format;

// Message box n of those shown so far says every one of the parts.
#define SAYS(s, n, ...)                                                                                                \
    for (const char* part : { __VA_ARGS__ })                                                                           \
        QVERIFY2((s).messages().value(n).contains(QString::fromUtf8(part)), qPrintable((s).messages().value(n)));

namespace {

// A JPEG of `bytes` bytes: a small picture, then noise after its end marker.
QByteArray photo(qsizetype bytes, int seed)
{
    QByteArray b = Hostile::wellFormed(Format::Jpeg, QSize(40, 30), seed);
    QRandomGenerator gen(uint32_t(seed) + 1);
    while (b.size() < bytes)
        b.append(char(gen.generate()));
    return b;
}

// A 1 MB tmpfs over an empty folder for as long as it lives.
struct SmallDisk {
    QByteArray path;
    bool mounted;
    explicit SmallDisk(const QString& folder)
        : path(QFile::encodeName(folder))
        , mounted(
              geteuid() == 0 && ::mount("lumo-test", path.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=1m") == 0)
    {
    }
    ~SmallDisk()
    {
        if (mounted)
            ::umount2(path.constData(), MNT_DETACH);
    }
};
#define MOUNT_SMALL_DISK(folder)                                                                                       \
    SmallDisk disk(folder);                                                                                            \
    if (!disk.mounted)                                                                                                 \
        QSKIP("mounting a small file system needs root");

#define BECOME_ORDINARY_USER()                                                                                         \
    if (geteuid() == 0                                                                                                 \
        && (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 || setresuid(65534, 65534, 65534) != 0   \
            || geteuid() == 0))                                                                                        \
        QSKIP("started as root and could not become an ordinary user");                                                \
    prctl(PR_SET_DUMPABLE, 1, 0, 0, 0); // the leak checker cannot work with an undumpable process

const QFile::Permissions kReadOnly = QFile::ReadOwner | QFile::ExeOwner;
const QFile::Permissions kOpen = kReadOnly | QFile::WriteOwner;

}

class TestDisk : public QObject {
    Q_OBJECT
private slots:
    // The second drop runs out of room half way: whole where it was, no half copy, no
    // number used, nothing recorded; once undo frees the room it goes through.
    void dropOntoAFillingDisk()
    {
        SessionFixture s;
        MOUNT_SMALL_DISK(s.dest(3));
        QVERIFY(Hostile::write(s.src("a.jpg"), photo(600 * 1024, 1)));
        QVERIFY(Hostile::write(s.src("b.jpg"), photo(600 * 1024, 2)));
        QVERIFY(s.build());
        s.drop(0, 3);
        QVERIFY(s.messages().isEmpty());
        s.drop(1, 3);
        QCOMPARE(s.messages().size(), 1);
        SAYS(s, 0, "「b.jpg」を移動できませんでした", "ディスクの空き容量が足りません");
        QCOMPARE(Hostile::read(s.src("b.jpg")), photo(600 * 1024, 2));
        QCOMPARE(QDir(s.dest(3)).entryList(QDir::Files | QDir::Hidden), QStringList { "000041 a.jpg" });
        QCOMPARE(s.settings.serials[0], 42);
        QCOMPARE(s.sorter.history().count(), 1);
        QVERIFY(s.slot(1)->isVisible());
        QVERIFY(!s.session.isBusy());

        s.form->UndoLast();
        QCOMPARE(Hostile::read(s.src("a.jpg")), photo(600 * 1024, 1));
        s.form->mnuRL_Click();
        s.drop(1, 3);
        QCOMPARE(s.messages().size(), 1);
        QCOMPARE(Hostile::read(s.dest(3, "000041 b.jpg")), photo(600 * 1024, 2));
    }

    // Two fit; the other two stay where they were, named in one message.
    void sendAllOntoAFillingDisk()
    {
        SessionFixture s;
        MOUNT_SMALL_DISK(s.dest(10));
        for (int i = 0; i < 4; ++i)
            QVERIFY(Hostile::write(s.src(QStringLiteral("p%1.jpg").arg(i)), photo(400 * 1024, i)));
        QVERIFY(s.build());
        s.form->mnuDel1_Click();
        QCOMPARE(s.messages().size(), 1);
        SAYS(s, 0, "p2.jpg", "p3.jpg", "ディスクの空き容量が足りません");
        QCOMPARE(QDir(s.dest(10)).entryList(QDir::Files | QDir::Hidden), QStringList({ "p0.jpg", "p1.jpg" }));
        for (int i = 0; i < 4; ++i) {
            const QString name = QStringLiteral("p%1.jpg").arg(i);
            QCOMPARE(Hostile::read(i < 2 ? s.dest(10, name) : s.src(name)), photo(400 * 1024, i));
        }
        QVERIFY(s.slot(2)->isVisible());
        QVERIFY(s.slot(0)->isHidden());
        QCOMPARE(s.sorter.history().count(), 2);
    }

    // Undo into a source folder that filled up meanwhile: kept, to try again.
    void undoIntoAFullSourceFolder()
    {
        SessionFixture s;
        MOUNT_SMALL_DISK(s.src());
        QVERIFY(Hostile::write(s.src("a.jpg"), photo(600 * 1024, 1)));
        QVERIFY(s.build());
        s.drop(0, 5);
        QVERIFY(Hostile::write(s.src("other.dat"), photo(600 * 1024, 9)));
        s.form->UndoLast();
        QCOMPARE(s.messages().size(), 1);
        SAYS(s, 0, "「a.jpg」を元に戻せませんでした", "ディスクの空き容量が足りません");
        QCOMPARE(QDir(s.src()).entryList(QDir::Files | QDir::Hidden), QStringList { "other.dat" });
        QCOMPARE(Hostile::read(s.dest(5, "000041 a.jpg")), photo(600 * 1024, 1));
        QVERIFY(s.form->undoAction->isEnabled());
        QCOMPARE(s.settings.serials[0], 42);

        QVERIFY(QFile::remove(s.src("other.dat")));
        s.form->UndoLast();
        QCOMPARE(s.messages().size(), 1);
        QCOMPARE(Hostile::read(s.src("a.jpg")), photo(600 * 1024, 1));
        QVERIFY(QDir(s.dest(5)).isEmpty());
        QCOMPARE(s.settings.serials[0], 41);
    }

    // The settings cannot be saved on a full disk: the last good ones survive whole.
    void settingsOnAFullDisk()
    {
        SessionFixture s;
        const QString prog = s.root("full prog");
        QVERIFY(QDir().mkpath(prog));
        MOUNT_SMALL_DISK(prog);
        s.session = Session(prog);
        QVERIFY(s.open());
        const QString ini = SettingsFile::path(prog);
        const QByteArray old = Hostile::read(ini);
        QVERIFY(!old.isEmpty());
        QFile filler(QDir(prog).filePath("filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(4096, 'x')) == 4096 && filler.flush()) { }
        filler.close();
        s.settings.serials = { 1, 2, 3 };
        s.form->close();
        QCOMPARE(s.messages().size(), 1);
        SAYS(s, 0, "保存できませんでした");
        QCOMPARE(Hostile::read(ini), old);
        QCOMPARE(QDir(prog).entryList(QDir::Files | QDir::Hidden, QDir::Name), QStringList({ "Pirapo.ini", "filler" }));
    }

    // An unreadable file: no picture and no crash; a drop is refused and says why;
    // send all takes the others and names it.
    void unreadableFile()
    {
        BECOME_ORDINARY_USER();
        SessionFixture s;
        for (int i = 0; i < 3; ++i)
            QVERIFY(Hostile::write(
                s.src(QStringLiteral("%1.jpg").arg(i)), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), i)));
        QVERIFY(QFile::setPermissions(s.src("1.jpg"), {}));
        const auto restore = qScopeGuard([&] { QFile::setPermissions(s.src("1.jpg"), kOpen); });
        QVERIFY(s.build());
        QVERIFY(s.slot(0)->hasPicture() && !s.slot(1)->hasPicture() && s.slot(1)->isVisible());

        s.drop(1, 3);
        QCOMPARE(s.messages().size(), 1);
        SAYS(s, 0, "「1.jpg」", "アクセスが拒否されました");
        QVERIFY(QDir(s.dest(3)).isEmpty());
        QCOMPARE(s.settings.serials[0], 41);
        QVERIFY(!s.sorter.history().canUndo());

        s.form->mnuDel1_Click();
        QCOMPARE(s.messages().size(), 2);
        SAYS(s, 1, "1.jpg");
        QVERIFY(!s.messages()[1].contains("0.jpg"));
        QCOMPARE(QDir(s.dest(10)).entryList(QDir::Files), QStringList({ "0.jpg", "2.jpg" }));
        QVERIFY(QFile::setPermissions(s.src("1.jpg"), kOpen));
        QCOMPARE(Hostile::read(s.src("1.jpg")), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), 1));
    }

    // Read-only folders: a move out of one is taken back whole, nothing is sent into
    // one, send all leaves everything in place, and an undo into one is kept until the
    // folder may be written again. Copy mode still works.
    void readOnlyFolders()
    {
        BECOME_ORDINARY_USER();
        SessionFixture s;
        for (const char* name : { "a.jpg", "b.jpg" })
            QVERIFY(Hostile::write(s.src(name), Hostile::wellFormed(Format::Jpeg, QSize(40, 30), name[0])));
        const auto before = s.files();
        QVERIFY(s.build());
        s.drop(0, 1);
        QVERIFY(s.messages().isEmpty());
        const auto moved = s.files();
        QVERIFY(QFile::setPermissions(s.src(), kReadOnly) && QFile::setPermissions(s.dest(6), kReadOnly));
        const auto restore = qScopeGuard([&] {
            QFile::setPermissions(s.src(), kOpen);
            QFile::setPermissions(s.dest(6), kOpen);
        });

        s.drop(1, 2);
        s.drop(1, 6);
        s.form->UndoLast();
        s.form->mnuDel1_Click();
        QCOMPARE(s.messages().size(), 4);
        SAYS(s, 0, "「b.jpg」を移動できませんでした");
        SAYS(s, 1, "アクセスが拒否されました");
        SAYS(s, 2, "「a.jpg」を元に戻せませんでした");
        SAYS(s, 3, "b.jpg");
        QVERIFY(s.form->undoAction->isEnabled());
        QCOMPARE(s.files(), moved);
        QCOMPARE(s.settings.serials[0], 42);

        s.session.copyMode = true;
        s.drop(1, 4);
        QCOMPARE(s.messages().size(), 4);
        QCOMPARE(Hostile::read(s.dest(4, "000042 b.jpg")), Hostile::read(s.src("b.jpg")));
        s.form->UndoLast();
        QVERIFY(QFile::setPermissions(s.src(), kOpen));
        s.form->UndoLast();
        QCOMPARE(s.messages().size(), 4);
        QCOMPARE(s.files(), before);
        QCOMPARE(s.settings.serials[0], 41);
    }

    // An installed program: its folder takes no files, so the settings go to the user's
    // own folder, or into the file beside the program when that one may be written; a
    // short file that cannot be deleted does not stop every start.
    void settingsOfAnInstalledProgram_data()
    {
        QTest::addColumn<QString>("found"); // beside the program, or in the user's folder
        QTest::addColumn<int>("serial"); // the counter the start read
        QTest::addColumn<bool>("inPlace"); // written beside the program
        QTest::addColumn<int>("messages");
        QTest::newRow("first start") << "beside" << 41 << false << 0;
        QTest::newRow("then from the user's folder") << "own" << 7 << false << 0;
        QTest::newRow("writable file beside") << "writable" << 41 << true << 0;
        QTest::newRow("short file beside") << "short" << 0 << false << 1;
    }
    void settingsOfAnInstalledProgram()
    {
        QFETCH(QString, found);
        QFETCH(int, serial);
        QFETCH(bool, inPlace);
        QFETCH(int, messages);
        BECOME_ORDINARY_USER();
        SessionFixture s;
        s.session = Session(s.session.programFolder(), s.root("config/pirapo-lumo"));
        const QString beside = SettingsFile::path(s.session.programFolder());
        const QString own = SettingsFile::path(s.session.userFolder());
        QVERIFY(SettingsFile::write(beside, s.settings, nullptr));
        if (found == "short")
            QVERIFY(Hostile::write(beside, "\"/\"\r\n"));
        Settings mine = s.settings;
        mine.serials[0] = 7;
        if (found == "own")
            QVERIFY(SettingsFile::write(own, mine, nullptr));
        QVERIFY(QFile::setPermissions(beside, found == "writable" ? kOpen : QFile::ReadOwner));
        QVERIFY(QFile::setPermissions(s.session.programFolder(), kReadOnly));
        const auto restore = qScopeGuard([&] { QFile::setPermissions(s.session.programFolder(), kOpen); });
        const QByteArray before = Hostile::read(beside);

        s.form = std::make_unique<Form1>(s.settings, s.session, s.folder, s.sorter);
        QVERIFY(s.form->startedUp());
        QCOMPARE(s.settings.serials[0], serial);
        s.settings.serials[2] = 1000;
        s.form->close();
        QCOMPARE(s.messages().size(), messages);
        QCOMPARE(Hostile::read(inPlace ? beside : own), SettingsFile::format(s.settings));
        if (!inPlace)
            QCOMPARE(Hostile::read(beside), before);
        QCOMPARE(QFileInfo::exists(own), !inPlace);
    }
};

QTEST_MAIN(TestDisk)
#include "tst_disk.moc"
