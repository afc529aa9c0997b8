// Sorting from the viewer: digit keys send the picture shown through the board's
// transfer, Ctrl+Z undoes, and the viewer and the board read one listing.
#include "Fixture.h"
#include "app/FolderPage.h"
#include "app/MainWindow.h"
#include "sorting/Renaming.h"
#include "viewer/PicturePrefetch.h"
#include "viewer/PictureView.h"
#include <QPushButton>
#include <unistd.h>

namespace {

// The main window on a.jpg, b.jpg, ... in src/, started as the program starts.
struct App : Fixture {
    std::unique_ptr<MainWindow> w;

    explicit App(int count)
    {
        for (int i = 0; i < count; ++i)
            Hostile::write(src(QString(QChar('a' + i)) + ".jpg"), Hostile::wellFormed(Hostile::Format::Jpeg, {}, i));
    }
    ~App()
    {
        if (w)
            w->close();
    }
    bool open()
    {
        if (!SettingsFile::write(SettingsFile::path(session.programFolder()), settings, nullptr))
            return false;
        w = std::make_unique<MainWindow>(settings, session, folder, sorter);
        w->show();
        return QTest::qWaitForWindowExposed(w.get());
    }
    ViewerWindow* view(int entry)
    {
        w->openViewer(entry, ViewerWindow::Mode::Full);
        return w->viewer();
    }
    QString title(const QString& name, int n, int count) const
    {
        return QStringLiteral("ピラポくんViewer  %1   (%2/%3)").arg(name).arg(n).arg(count);
    }
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QTest::keyClick(w->viewer(), Qt::Key(k), mods);
    }
};

} // namespace

class TestViewerSorting : public QObject {
    Q_OBJECT
private slots:
    // Key 3 on b.jpg: the file goes to target 3 under the rule's name (copy mode keeps the
    // source), the viewer shows c.jpg at once and counts one less, a notice names the
    // target, no box opens, and d.jpg is made ahead. Ctrl+Z brings b.jpg back
    // into view and into the count.
    void send_data()
    {
        QTest::addColumn<int>("rule");
        QTest::addColumn<bool>("copy");
        QTest::newRow("serial and name") << 0 << false;
        QTest::newRow("rule 1") << 1 << false;
        QTest::newRow("rule 2") << 2 << false;
        QTest::newRow("copy mode") << 0 << true;
    }
    void send()
    {
        QFETCH(int, rule);
        QFETCH(bool, copy);
        App s(4);
        s.settings.nameRule = int16_t(rule);
        s.session.copyMode = copy;
        QVERIFY(s.open());
        const Renaming::NewName n = Renaming::newNameFor(s.settings, 3, "b.jpg", s.settings.serials[size_t(rule)]);
        QVERIFY(n.ok);
        ViewerWindow* v = s.view(1);
        QVERIFY(v);
        s.key(Qt::Key_3);
        QVERIFY(QFile::exists(s.dest(3, n.name)));
        QCOMPARE(QFile::exists(s.src("b.jpg")), copy);
        QCOMPARE(v->windowTitle(), s.title("c.jpg", 2, 3));
        QVERIFY(v->notice->isVisible());
        QCOMPARE(v->notice->text(), QStringLiteral("3 → %1").arg(s.settings.destNames[3]));
        QCOMPARE(s.boxes.seen.size(), 0);
        QTRY_VERIFY(v->prefetch().isPrepared(s.src("d.jpg"), v->lastDecodeBox()));
        QTRY_VERIFY(v->notice->isHidden());

        s.key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(QFile::exists(s.src("b.jpg")));
        QVERIFY(!QFile::exists(s.dest(3, n.name)));
        QCOMPARE(v->windowTitle(), s.title("b.jpg", 2, 4));
        QCOMPARE(s.sorter.canUndo(), false);
    }

    // A refused send: the picture stays shown, nothing moves, the count stays, and the
    // notice and the sorter's message say so.
    void refused_data()
    {
        QTest::addColumn<QString>("why");
        QTest::newRow("unset target") << "unset";
        QTest::newRow("read-only folder") << "read-only";
        QTest::newRow("missing folder") << "missing";
        QTest::newRow("while busy") << "busy";
    }
    void refused()
    {
        QFETCH(QString, why);
        if (why == "read-only" && ::geteuid() == 0)
            QSKIP("root writes into read-only folders");
        App s(3);
        if (why == "unset")
            s.settings.destPaths[3].clear();
        if (why == "missing")
            s.settings.destPaths[3] = s.dest(3) + "/gone/";
        QVERIFY(s.open());
        if (why == "read-only")
            QVERIFY(QFile::setPermissions(s.dest(3), QFile::ReadOwner | QFile::ExeOwner));
        const auto before = s.files();
        ViewerWindow* v = s.view(1);
        if (why == "busy") {
            const Session::BusyGuard busy(s.session);
            s.key(Qt::Key_3);
        } else {
            s.key(Qt::Key_3);
        }
        QFile::setPermissions(s.dest(3), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(s.files(), before);
        QCOMPARE(v->windowTitle(), s.title("b.jpg", 2, 3));
        QCOMPARE(s.boxes.seen.size(), why == "busy" ? 0 : 1);
        QCOMPARE(v->notice->isVisible(), why != "busy");
    }

    // The last picture sent shows the one before it; the folder's only picture sent says
    // the folder is empty and closes the viewer.
    void endOfTheFolder()
    {
        App s(2);
        QVERIFY(s.open());
        ViewerWindow* v = s.view(1);
        s.key(Qt::Key_1);
        QCOMPARE(v->windowTitle(), s.title("a.jpg", 1, 1));
        QCOMPARE(v->position(), 0);
        const QPointer<ViewerWindow> open(v);
        s.key(Qt::Key_2);
        QCOMPARE(s.boxes.seen.size(), 1);
        QTRY_VERIFY(!open || !open->isVisible());
        QVERIFY(!s.w->viewer());
        QVERIFY(QFile::exists(s.dest(2, Renaming::newNameFor(s.settings, 2, "a.jpg", s.settings.serials[0] - 1).name)));
    }

    // With the board open: a send from the viewer hides the tile, Ctrl+Z in the viewer
    // brings it back; after a send from the board a viewer opened from the menu counts
    // and steps over the files still there only, and its Ctrl+Z brings back the board's.
    void boardAndViewer()
    {
        App s(4);
        QVERIFY(s.open());
        s.w->folderPage().startButton()->click();
        QVERIFY(s.w->onBoard());
        ViewerWindow* v = s.view(1);
        s.key(Qt::Key_3);
        QVERIFY(s.w->board().tileAt(1)->isHidden());
        s.key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(s.w->board().tileAt(1)->isVisible());
        QCOMPARE(v->windowTitle(), s.title("b.jpg", 2, 4));
        v->close();
        QTRY_VERIFY(!s.w->viewer());

        s.w->board().sendToTarget(0, 4);
        s.w->board().sendToTarget(2, 4);
        QVERIFY(!QFile::exists(s.src("a.jpg")));
        s.w->viewerAction->trigger();
        v = s.w->viewer();
        QVERIFY(v);
        QCOMPARE(v->windowTitle(), s.title("b.jpg", 1, 2));
        s.key(Qt::Key_End);
        QCOMPARE(v->windowTitle(), s.title("d.jpg", 2, 2));
        QCOMPARE(s.boxes.seen.size(), 0); // no "not found" on the way
        s.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(v->windowTitle(), s.title("c.jpg", 2, 3));
        QVERIFY(s.w->board().tileAt(2)->isVisible());
    }
};

QTEST_MAIN(TestViewerSorting)
#include "tst_viewersorting.moc"
