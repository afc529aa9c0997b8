// Files the user may not touch, through the board. The tests turn the process into nobody for good.
#include "Fixture.h"
#include <QScopeGuard>

#define SAYS(f, n, ...)                                                                                                \
    for (const char* part : { __VA_ARGS__ })                                                                           \
        QVERIFY2((f).warnings.value(n).contains(QString::fromUtf8(part)), qPrintable((f).warnings.value(n)));

namespace {

// A small JPEG of its own for each seed.
QByteArray photo(int seed) { return Hostile::wellFormed(Hostile::Format::Jpeg, QSize(40, 30), seed); }

#define BECOME_ORDINARY_USER()                                                                                         \
    if (!TestFiles::becomeOrdinaryUser())                                                                              \
        QSKIP("started as root and could not become an ordinary user");
const QFile::Permissions kReadOnly = QFile::ReadOwner | QFile::ExeOwner;
const QFile::Permissions kOpen = kReadOnly | QFile::WriteOwner;

}

class TestDisk : public QObject {
    Q_OBJECT
private slots:
    // Unreadable: no picture; a drop is refused and says why; send all takes the others and names it.
    void unreadableFile()
    {
        BECOME_ORDINARY_USER();
        Fixture f;
        for (int i = 0; i < 3; ++i)
            QVERIFY(Hostile::write(f.src(QStringLiteral("%1.jpg").arg(i)), photo(i)));
        QVERIFY(QFile::setPermissions(f.src("1.jpg"), {}));
        const auto restore = qScopeGuard([&] { QFile::setPermissions(f.src("1.jpg"), kOpen); });
        QVERIFY(f.build());
        QVERIFY(f.tile(0)->hasPicture());
        QVERIFY(!f.tile(1)->hasPicture());
        QVERIFY(f.tile(1)->isVisible());
        f.drop(1, 3);
        QCOMPARE(f.warnings.size(), 1);
        SAYS(f, 0, "「1.jpg」", "アクセスが拒否されました");
        QVERIFY(QDir(f.dest(3)).isEmpty());
        QCOMPARE(f.settings.serials[0], 41);
        QVERIFY(!f.sorter.canUndo());
        f.board().sendAllReached();
        SAYS(f, 1, "1.jpg");
        QCOMPARE(f.warnings.size(), 2);
        QVERIFY(!f.warnings[1].contains("0.jpg"));
        QCOMPARE(QDir(f.dest(10)).entryList(QDir::Files), QStringList({ "0.jpg", "2.jpg" }));
        QVERIFY(QFile::setPermissions(f.src("1.jpg"), kOpen));
        QCOMPARE(Hostile::read(f.src("1.jpg")), photo(1));
    }

    // Read-only folders: a move out of one is taken back whole, nothing goes into one (the settings neither, and they
    // say why), and an undo into one is kept until it may be written again. Copy mode still works.
    void readOnlyFolders()
    {
        BECOME_ORDINARY_USER();
        Fixture f;
        QVERIFY(Hostile::write(f.src("a.jpg"), photo(1)));
        QVERIFY(Hostile::write(f.src("b.jpg"), photo(2)));
        const auto before = f.files();
        QVERIFY(f.build());
        f.drop(0, 1);
        const auto moved = f.files();
        QVERIFY(QFile::setPermissions(f.src(), kReadOnly));
        QVERIFY(QFile::setPermissions(f.dest(6), kReadOnly));
        const auto restore
            = qScopeGuard([&] { QFile::setPermissions(f.src(), kOpen), QFile::setPermissions(f.dest(6), kOpen); });
        f.drop(1, 2);
        f.drop(1, 6);
        f.sorter.undoLast();
        f.board().sendAllReached();
        Failure settingsFailure;
        QVERIFY(!SettingsFile::write(f.src("Pirapo.ini"), f.settings, &settingsFailure));
        QCOMPARE(settingsFailure.error, EACCES);
        QCOMPARE(f.warnings.size(), 4);
        SAYS(f, 0, "「b.jpg」を移動できませんでした");
        SAYS(f, 1, "アクセスが拒否されました");
        SAYS(f, 2, "「a.jpg」を元に戻せませんでした");
        SAYS(f, 3, "b.jpg");
        QVERIFY(f.board().undoEnabled());
        QCOMPARE(f.settings.serials[0], 42);
        QCOMPARE(f.files(), moved);
        f.session.copyMode = true;
        f.drop(1, 4);
        QCOMPARE(Hostile::read(f.dest(4, "000042 b.jpg")), Hostile::read(f.src("b.jpg")));
        f.sorter.undoLast();
        QVERIFY(QFile::setPermissions(f.src(), kOpen));
        f.sorter.undoLast();
        QCOMPARE(f.warnings.size(), 4);
        QCOMPARE(f.files(), before);
        QCOMPARE(f.settings.serials[0], 41);
    }
};

QTEST_MAIN(TestDisk)
#include "tst_disk.moc"
