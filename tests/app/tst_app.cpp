// The main window: its start-up and shut-down around Pirapo.ini, the two screens, the
// commands of its menus, toolbar and buttons, the windows they open, and sorting from the viewer.
#include "Controls.h"
#include "Fixture.h"
#include "TestFiles.h"
#include "app/FolderPage.h"
#include "app/MainWindow.h"
#include "board/CopyModeBadge.h"
#include "dialogs/DestinationsDialog.h"
#include "dialogs/OptionsDialog.h"
#include "sorting/Renaming.h"
#include "viewer/PicturePrefetch.h"
#include "widgets/DirList.h"
#include "widgets/FileList.h"
#include "widgets/StatusBar.h"
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QToolBar>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace TestFiles;

namespace {

// The top-level windows shown besides the main window (menus aside).
QWidgetList otherWindowsOf(const QWidget& main)
{
    QWidgetList shown;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != &main && w->isVisible() && !qobject_cast<QMenu*>(w))
            shown << w;
    return shown;
}

using Panel = MainWindow::StatusPanel;
ViewerWindow* shownViewer() { return shownWindow<ViewerWindow>(); }

// The main window on the fixture's tree, with photos a.jpg, b.jpg, ... in src/. open()
// starts it as the program does: the fixture's settings reach it through prog/Pirapo.ini.
struct App : Fixture {
    std::unique_ptr<MainWindow> w;

    explicit App(int count = 0) { photos(count); }
    void photos(int count)
    {
        for (int i = 0; i < count; ++i)
            Hostile::write(src(QString(QChar('a' + i)) + ".jpg"), Hostile::wellFormed(Hostile::Format::Jpeg, {}, i));
    }
    ~App()
    {
        if (w)
            w->close();
    }
    QString ini() const { return SettingsFile::path(session.programFolder()); }
    bool open(bool withSettings = true)
    {
        if (withSettings && !SettingsFile::write(ini(), settings, nullptr))
            return false;
        w = std::make_unique<MainWindow>(program);
        w->show();
        return QTest::qWaitForWindowExposed(w.get());
    }
    QString panel(Panel p) const { return control<StatusBar>(w.get(), "mainStatusBar")->panelText(p); }
    QAction* act(const char* name) const { return control<QAction>(w.get(), QLatin1String(name)); }
    QToolBar* toolbar() const { return control<QToolBar>(w.get(), "boardToolbar"); }
    FolderPage& page() const { return *control<FolderPage>(w.get(), "folderPage"); }
    FileList* fileList() const { return control<FileList>(&page(), "files"); }
    DirList* folders() const { return control<DirList>(&page(), "folders"); }
    void start() const { control<QPushButton>(&page(), "startButton")->click(); }
    // The main window's board and its tiles, not the fixture's own.
    SortingBoard& board() const { return *control<SortingBoard>(w.get(), "board"); }
    Tile* tile(int i) const { return control<Tile>(&board(), "tile", i); }
    // The viewer on entry `entry`, its title, and a key pressed in it.
    ViewerWindow* view(int entry)
    {
        w->openViewer(entry, ViewerWindow::Mode::Full);
        return shownViewer();
    }
    QString title(const QString& name, int n, int count) const
    {
        return QStringLiteral("ピラポくんViewer  %1   (%2/%3)").arg(name).arg(n).arg(count);
    }
    void key(int k, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(shownViewer(), Qt::Key(k), mods); }
};

} // namespace

class TestApp : public QObject {
    Q_OBJECT
    QTemporaryDir m_bin; // PATH: no desktop opener unless a test puts one here
    const QByteArray m_path = qgetenv("PATH");
    const QString m_cwd = QDir::currentPath();

private slots:
    void init()
    {
        QFile::remove(m_bin.filePath("xdg-open"));
        qputenv("PATH", QFile::encodeName(m_bin.path()));
    }
    void cleanup()
    {
        QDir::setCurrent(m_cwd);
        qputenv("PATH", m_path);
    }

    // What start-up makes of the file it finds: the defaults unless the file is usable. A damaged one is kept aside as
    // Pirapo.ini.bad and said once. One that cannot be read, or is no regular file (or links to none), is said once and
    // left as it is at exit; without one, closing writes the file. A remembered folder is opened again while it is
    // there, else the current folder.
    void startUp_data()
    {
        QTest::addColumn<QString>("found"); // empty: none; "/...": a link to that
        QTest::addColumn<bool>("keptAside");
        QTest::addColumn<int>("warnings");
        QTest::addColumn<QString>("remembered"); // a file remembering this folder of src/
        QTest::newRow("none") << "" << false << 0 << "";
        QTest::newRow("a folder of that name") << "folder" << false << 1 << "";
        QTest::newRow("cannot be read") << "/proc/self/mem" << false << 1 << ""; // fails even for root
        QTest::newRow("link to a FIFO") << "/fifo" << false << 1 << "";
        QTest::newRow("link to a device") << "/null" << false << 1 << "";
        QTest::newRow("23 lines") << "\"/\"\r\n" << true << 1 << "";
        QTest::newRow("remembered folder") << "" << false << 0 << "sub";
        QTest::newRow("remembered folder gone") << "" << false << 0 << "gone/away";
    }
    void startUp()
    {
        QFETCH(QString, found);
        QFETCH(QString, remembered);
        App s;
        QVERIFY(QDir(s.src()).mkdir("sub"));
        for (const char* n : { "IMG_0001.JPG", "IMG_0002.jpg", "note.txt", "x.png", "sub/inner.jpg" })
            touch(s.src(n));
        const QByteArray sjis = QFile::encodeName(s.src()) + "/sjis\x83\x65.jpg"; // not UTF-8
        ::close(::creat(sjis.constData(), 0644));
        const auto unlinkSjis = qScopeGuard([&] { ::unlink(sjis.constData()); }); // Qt cannot see it to remove it
        QVERIFY(QDir::setCurrent(s.src()));
        const QString ini = s.ini();
        const QString target = found == "folder" ? ini : found.startsWith("/proc") ? found : s.root("prog") + found;
        if (found == "/fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
        if (found == "/null" && ::mknod(QFile::encodeName(target).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("making a device needs root");
        if (found == "folder")
            QVERIFY(QDir().mkdir(ini));
        else if (found.startsWith("/"))
            QVERIFY(QFile::link(target, ini));
        else if (!found.isEmpty())
            writeFile(ini, found.toUtf8().repeated(23));
        if (!remembered.isEmpty()) {
            Settings saved = SettingsFile::defaults();
            saved.rememberFolder = 1;
            saved.sourceFolder = QDir::toNativeSeparators(s.src(remembered));
            QVERIFY(SettingsFile::write(ini, saved, nullptr));
        }
        const auto typeOf = [](const QString& path) {
            struct stat st;
            return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & S_IFMT) : 0;
        };
        const int before = typeOf(target);
        s.settings.thumbCount = 30; // whatever the start finds, this goes
        s.open(false);
        QTEST(int(s.boxes.seen.size()), "warnings");
        QFETCH(bool, keptAside);
        if (keptAside) {
            QVERIFY(s.boxes.texts()[0].contains("Pirapo.ini.bad"));
            QCOMPARE(readFile(ini + ".bad"), readFile(ini));
        }
        const bool sub = remembered == "sub";
        const QString opened = QDir::toNativeSeparators(sub ? s.src("sub") : s.src());
        QCOMPARE(s.settings.sourceFolder, opened);
        QCOMPARE(s.panel(Panel::Folder), " " + opened + " ");
        QCOMPARE(s.panel(Panel::FileCount), QString(sub ? " 1 File " : " 3 File "));
        QCOMPARE(s.panel(Panel::Unlistable), QString(sub ? "" : " 表示できない名前 1 "));
        QCOMPARE(s.fileList()->count(), sub ? 1 : 3);
        QCOMPARE(int(s.settings.thumbCount), 10);
        QVERIFY(!s.act("undoAction")->isEnabled());
        QVERIFY(!s.act("toolbarUndoAction")->isEnabled());
        QVERIFY(s.w->close());
        QTEST(int(s.boxes.seen.size()), "warnings");
        if (found.isEmpty() || keptAside) {
            const QByteArray written = readFile(ini);
            QCOMPARE(written.count("\r\n"), 24);
            QVERIFY(written.endsWith(remembered.isEmpty() ? ",0,0,0,64,10,1\r\n" : ",0,1,0,64,10,1\r\n"));
            QVERIFY(!keptAside || readFile(ini + ".bad").startsWith(found.toUtf8()));
        } else {
            QCOMPARE(typeOf(target), before);
            QCOMPARE(QFileInfo(ini).symLinkTarget(), found.startsWith("/") ? target : QString());
        }
    }

    // Every close writes the settings first, then closes the other windows: a one-point viewer open at the end is in
    // the file, which is written when the viewer closes. A file that cannot be written is said once and the window
    // still closes; a close while the board is being built runs the build out without touching anything else.
    void shutDown_data()
    {
        QTest::addColumn<QString>("when");
        for (const char* when : { "one-point viewer open", "settings unwritable", "board being built" })
            QTest::newRow(when) << QString(when);
    }
    void shutDown()
    {
        QFETCH(QString, when);
        App s(8);
        QVERIFY(QDir::setCurrent(s.src()));
        if (when == "settings unwritable") { // the program folder is a plain file, even for root
            touch(s.root("notafolder"));
            s.session = Session(s.root("notafolder"));
        }
        QVERIFY(s.open(when != "settings unwritable"));
        s.w->openViewer(1, when == "board being built" ? ViewerWindow::Mode::Full : ViewerWindow::Mode::OnePoint);
        QByteArray written;
        connect(shownViewer(), &ViewerWindow::closed, [&] { written = readFile(s.ini()); });
        QVERIFY(QFile::remove(s.ini()) || when == "settings unwritable");
        const auto before = s.files();
        bool closedWhileBusy = false;
        if (when == "board being built") {
            afterEventPasses(1, [&] {
                closedWhileBusy = s.session.isBusy();
                s.w->close();
            });
            s.start();
            QVERIFY(closedWhileBusy);
            QVERIFY(!s.session.isBusy());
        } else {
            QVERIFY(s.w->close());
        }
        QVERIFY(!s.w->isVisible());
        QVERIFY(!shownViewer());
        QCOMPARE(s.files(), before);
        if (when == "settings unwritable") {
            QCOMPARE(s.boxes.seen.size(), 1);
            QVERIFY(s.boxes.texts()[0].contains("Pirapo.ini"));
            QVERIFY(s.boxes.texts()[0].contains("保存できませんでした"));
            return;
        }
        QVERIFY(s.boxes.seen.isEmpty());
        QCOMPARE(written.count("\r\n"), 24);
        QVERIFY(written.endsWith(when == "board being built" ? ",1,0,64,10,1\r\n" : ",1,1,64,10,1\r\n"));
        QCOMPARE(s.settings.viewerMode, int16_t(0));
    }

    // A path the system's encoding cannot show keeps its very bytes while the run leaves
    // it alone; a value the run changed is written anew.
    void untouchedValuesKeepTheirBytes()
    {
        App s;
        QList<QByteArray> l = SettingsFile::format(SettingsFile::defaults()).split('\n');
        l[3] = "\"/photos/\xff\xfe,x\"\r"; // destination 2
        l[4] = "\"/a\xff/\"\r"; // destination 3, changed below
        l[14] = "\"\x83\x65\x83\x58\"\r"; // head name 2, Shift-JIS
        writeFile(s.ini(), l.join('\n'));
        QVERIFY(s.open(false));
        s.settings.destinationFolders[3] = "/b/";
        QVERIFY(s.w->close());
        l[4] = "\"/b/\"\r";
        const QList<QByteArray> written = readFile(s.ini()).split('\n');
        QCOMPARE(written.size(), l.size());
        QCOMPARE(written.mid(1, 22), l.mid(1, 22));
    }

    // A single click on a folder makes it the folder used: the folder screen lists and sorts it, the status bar names
    // it. 実行 turns the window into the board over the whole work area, its toolbar on and the keyboard with the
    // board, and is refused on top of a board; キャンセル brings the folder screen back at its place, listed anew. The
    // status bar names the file chosen and the files a refill found.
    void screens()
    {
        App s(3);
        QVERIFY(QDir().mkpath(s.src("sub")));
        touch(s.src("sub/inner.jpg"));
        QVERIFY(s.open());
        MainWindow& w = *s.w;
        const auto clickRow = [](DirList* dirs, const QString& name) {
            const auto found = dirs->findItems(name, Qt::MatchEndsWith);
            QCOMPARE(found.size(), 1);
            QTest::mouseClick(dirs->viewport(), Qt::LeftButton, {}, dirs->visualItemRect(found[0]).center());
        };
        clickRow(s.folders(), "sub");
        QCOMPARE(s.folder.path(), s.src("sub"));
        QCOMPARE(s.settings.sourceFolder, s.src("sub"));
        QCOMPARE(s.fileList()->count(), 1);
        QCOMPARE(s.panel(Panel::Folder), " " + s.src("sub") + " ");
        QCOMPARE(s.panel(Panel::FileCount), " 1 File ");
        clickRow(s.folders(), "src"); // an ancestor: chosen too, without leaving the list
        QCOMPARE(s.fileList()->count(), 3);
        QCOMPARE(s.folders()->findItems("sub", Qt::MatchEndsWith).size(), 1);
        QTest::keyClick(s.fileList(), Qt::Key_Down);
        QTest::keyClick(s.fileList(), Qt::Key_Down);
        QCOMPARE(s.panel(Panel::FileName), QString(" b.jpg "));
        QVERIFY(s.toolbar()->isHidden());
        w.move(30, 20); // the board takes the whole work area from there
        // What a cut-off copy left in a destination goes when the board opens; nothing else does.
        for (const char* name : { ".lumo-part-Ab3xyz", ".lumo-part-mine" })
            setModified(s.dest(3, name), QDateTime::currentDateTime().addSecs(-600));

        s.start();
        QVERIFY(w.onBoard());
        QVERIFY(s.page().isHidden());
        QVERIFY(s.toolbar()->isVisible());
        QVERIFY(s.toolbar()->isEnabled());
        QCOMPARE(QDir(s.dest(3)).entryList(QDir::Files | QDir::Hidden), QStringList { ".lumo-part-mine" });
        // A long move: its progress in the file name's panel under a busy cursor, then both as they were.
        const QString fileShown = s.panel(Panel::FileName);
        emit s.sorter.moveProgress({ "c.jpg", 2, 3, 3 << 19, 3 << 20 });
        QCOMPARE(s.panel(Panel::FileName), QString(" 移動中 2/3 c.jpg 1.5/3.0 MB "));
        QVERIFY(QGuiApplication::overrideCursor());
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        emit s.sorter.moveProgressEnded();
        QCOMPARE(s.panel(Panel::FileName), fileShown);
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(w.frameGeometry(), QRect(QPoint(0, 0), workArea().bottomRight()));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QWidget* board = QApplication::focusWidget();
        QCOMPARE(board, static_cast<QWidget*>(&s.board()));
        w.move(30, 20);
        s.start();
        QCOMPARE(w.pos(), QPoint(30, 20));

        // A click on the toolbar leaves the keyboard with the board; keys through the window system reach it past the
        // shortcuts of the pop-up menu: one transfer per digit, one undo per Ctrl+Z.
        QVERIFY(s.sorter.transfer(3, 0, s.folder.path(), "a.jpg").ok);
        QTest::mouseClick(s.toolbar()->widgetForAction(s.act("toolbarUndoAction")), Qt::LeftButton);
        QVERIFY(QFile::exists(s.src("a.jpg")));
        QCOMPARE(QApplication::focusWidget(), board);
        for (const QKeyCombination k : { QKeyCombination(Qt::Key_Right), QKeyCombination(Qt::Key_1),
                 QKeyCombination(Qt::Key_2), QKeyCombination(Qt::ControlModifier, Qt::Key_Z) })
            QTest::keyClick(w.windowHandle(), k.key(), k.keyboardModifiers());
        QVERIFY(QFile::exists(s.dest(1, "000041 b.jpg")));
        QVERIFY(QFile::exists(s.src("c.jpg")));
        QCOMPARE(s.sorter.history().count(), 1);
        s.act("undoAction")->trigger();
        s.photos(4);
        s.act("loadMoreAction")->trigger();
        QCOMPARE(s.panel(Panel::FileCount), QString(" 4 File "));
        QVERIFY(QFile::remove(s.src("d.jpg")));

        s.act("backAction")->trigger();
        QVERIFY(!w.onBoard());
        QVERIFY(s.page().isVisible());
        QVERIFY(s.toolbar()->isHidden());
        const TwipsPerPixel tpp = w.tpp();
        QCOMPARE(w.frameGeometry(),
            QRect(twipsToPixels(105, tpp.x), twipsToPixels(105, tpp.y), twipsToPixels(6600, tpp.x),
                twipsToPixels(4350, tpp.y)));
        QCOMPARE(s.fileList()->count(), 3);
        s.start();
        s.act("quitAction")->trigger();
        QVERIFY(!w.isVisible());
        QVERIFY(s.boxes.seen.isEmpty());
    }

    // While a page fills, every command of the window waits: none opens a window or the
    // help page, leaves the board, closes the program or moves a file.
    void commandsWaitForTheBoard_data()
    {
        QTest::addColumn<QString>("fill");
        for (const char* fill : { "build", "reload", "load more" })
            QTest::newRow(fill) << QString(fill);
    }
    void commandsWaitForTheBoard()
    {
        QFETCH(QString, fill);
        App s(14);
        // Nothing on PATH can open the page: let through, the usage window would show.
        QVERIFY(QDir().mkpath(s.root("prog/help")));
        writeFile(s.root("prog/help/help.htm"), "<html></html>\n");
        QVERIFY(s.open());
        MainWindow& w = *s.w;
        if (fill != "build")
            s.start();
        QVERIFY(s.sorter.transfer(3, 0, s.folder.path(), "a.jpg").ok);
        const auto before = s.files();
        QStringList wrong;
        s.boxes.onModal = [&](QWidget* dialog) {
            wrong << dialog->windowTitle();
            dialog->close();
        };
        int tried = 0;
        std::function<void()> tryEverything = [&] {
            if (!s.session.isBusy())
                return QTimer::singleShot(0, tryEverything);
            ++tried;
            if (s.toolbar()->isEnabled())
                wrong << "the toolbar is on";
            for (QAction* a :
                { s.act("optionsAction"), s.act("destinationsAction"), s.act("helpAction"), s.act("viewerAction"),
                    s.act("sendAllAction"), s.act("backAction"), s.act("toolbarUndoAction"), s.act("quitAction") })
                a->trigger();
            s.start();
            for (QWidget* shown : otherWindowsOf(w))
                wrong << shown->windowTitle();
            if (!w.onBoard() || !w.isVisible())
                wrong << "the board was left";
            if (s.files() != before || s.sorter.history().count() != 1)
                wrong << "a file moved";
        };
        QTimer::singleShot(0, tryEverything);
        if (fill == "build")
            s.start();
        else
            (fill == "reload" ? s.act("reloadAction") : s.act("loadMoreAction"))->trigger();
        QCOMPARE(tried, 1);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(", ")));
        QVERIFY(s.toolbar()->isEnabled());
        QVERIFY(!s.session.isBusy());
        QVERIFY(s.boxes.seen.isEmpty());
    }

    // The help command opens help/help.htm with the desktop's opener, else Readme.txt in the usage window, never a
    // message. 実行 is held back while the usage window or the about box is open and given back however it closes, and
    // when a viewer closes; asked for again, the open window comes forward rather than a second one.
    void otherWindows_data()
    {
        QTest::addColumn<QString>("page"); // what help/help.htm is; "about": the about box instead
        QTest::addColumn<bool>("opener"); // an xdg-open on PATH
        QTest::addColumn<QString>("how"); // a button of the window, or how else it goes
        QTest::newRow("about, OK") << "about" << true << "OK";
        QTest::newRow("about, Esc") << "about" << true << "Esc";
        QTest::newRow("about, 終了") << "about" << true << "終了";
        QTest::newRow("about, a viewer closes") << "about" << true << "viewer";
        QTest::newRow("no page: usage, プログラムへ戻る") << "" << true << "プログラムへ戻る";
        QTest::newRow("a page, opened") << "file" << true << "";
        QTest::newRow("a page, nothing to open it: usage, close box") << "file" << false << "close";
        QTest::newRow("a folder of that name: usage, 終了") << "folder" << false << "終了";
    }
    void otherWindows()
    {
        QFETCH(QString, page);
        QFETCH(bool, opener);
        QFETCH(QString, how);
        App s(2);
        const QDir prog(s.session.programFolder());
        writeFile(prog.filePath("Readme.txt"), "使い方\n");
        QVERIFY(page.isEmpty() || page == "about" || prog.mkpath(page == "folder" ? "help/help.htm" : "help"));
        if (page == "file")
            writeFile(prog.filePath("help/help.htm"), "<html></html>\n");
        if (opener) {
            writeFile(m_bin.filePath("xdg-open"), "#!/bin/sh\necho \"$1\" > \"$0.page\"\n");
            QVERIFY(QFile::setPermissions(m_bin.filePath("xdg-open"), QFile::ReadOwner | QFile::ExeOwner));
        }
        QVERIFY(s.open());
        MainWindow& w = *s.w;
        QPushButton* start = control<QPushButton>(&s.page(), "startButton");
        QAction* const command = page == "about" ? s.act("aboutAction") : s.act("helpAction");
        command->trigger();
        if (how.isEmpty()) {
            QTRY_COMPARE(readFile(m_bin.filePath("xdg-open.page")), prog.filePath("help/help.htm").toUtf8() + "\n");
            QVERIFY(otherWindowsOf(w).isEmpty());
            QVERIFY(start->isEnabled());
            return;
        }
        const QPointer<QWidget> window = otherWindowsOf(w).value(0);
        QVERIFY(window);
        QVERIFY(!window->isModal());
        QVERIFY(!start->isEnabled());
        if (page != "about")
            QCOMPARE(window->findChild<QPlainTextEdit*>()->toPlainText(), QString("使い方\n"));
        window->hide(); // as if minimised out of sight
        command->trigger();
        QCOMPARE(otherWindowsOf(w), QWidgetList { window });
        if (how == "viewer") {
            FileList* files = s.fileList();
            files->setCurrentRow(1);
            emit files->entryActivated(1);
            QVERIFY(shownViewer());
            QVERIFY(shownViewer()->windowTitle().contains("b.jpg"));
            shownViewer()->close();
        } else if (how == "Esc") {
            QTest::keyClick(window, Qt::Key_Escape);
        } else if (how == "close") {
            window->close();
        } else {
            QWidget* const owner = how == "終了" ? static_cast<QWidget*>(&w) : window.data();
            const auto buttons = owner->findChildren<QPushButton*>();
            const auto b
                = std::find_if(buttons.begin(), buttons.end(), [&](QPushButton* p) { return p->text() == how; });
            QVERIFY(b != buttons.end());
            (*b)->click();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(window.isNull(), how != "viewer");
        QVERIFY(start->isEnabled());
        QVERIFY(s.boxes.seen.isEmpty());
    }

    // From the menu both dialogs are modal; from the viewer the options dialog is modeless, one
    // at a time, and the main window's: it outlives the viewer and closes with the main window. Copy mode blinks the
    // badge, OK shows it as copy mode is, and a folder the destinations dialog makes shows in the folder list.
    void dialogs()
    {
        App s(1);
        QVERIFY(s.open());
        MainWindow& w = *s.w;
        CopyModeBadge* const badge = control<CopyModeBadge>(&w, "copyModeBadge");
        QStringList opened;
        bool blinkingAtOpen = false;
        s.boxes.onModal = [&](QWidget* d) {
            opened << d->metaObject()->className();
            QVERIFY(d->isModal());
            if (auto* options = qobject_cast<OptionsDialog*>(d)) {
                blinkingAtOpen = badge->isBlinking();
                control<QCheckBox>(options, "copyModeBox")->click();
                QVERIFY(!badge->isBlinking());
                control<QCheckBox>(options, "copyModeBox")->click();
                QVERIFY(badge->isBlinking());
                badge->setVisible(false);
                control<QPushButton>(options, "okButton")->click();
            } else if (auto* destinations = qobject_cast<DestinationsDialog*>(d)) {
                control<QLineEdit>(destinations, "pathField", 0)->setText(s.src("made/"));
                // The announcement is caught.
                QTimer::singleShot(0, control<QPushButton>(destinations, "okButton"), &QPushButton::click);
            }
        };
        s.session.copyMode = true;
        s.act("optionsAction")->trigger();
        s.act("destinationsAction")->trigger();
        QCOMPARE(opened, (QStringList { "OptionsDialog", "DestinationsDialog" }));
        QVERIFY(blinkingAtOpen); // copy mode was on when the dialog opened
        QVERIFY(badge->isVisible());
        QCOMPARE(s.boxes.texts(), QStringList { s.src("made/") + "を作成します。" });
        QVERIFY(!s.folders()->findItems("made", Qt::MatchEndsWith).isEmpty());

        w.openViewer(0, ViewerWindow::Mode::Full);
        control<QAction>(shownViewer(), "optionsAction")->trigger();
        QPointer<OptionsDialog> modeless = w.findChild<OptionsDialog*>();
        QVERIFY(modeless);
        QVERIFY(modeless->isVisible());
        QVERIFY(!modeless->isModal());
        control<QAction>(shownViewer(), "optionsAction")->trigger();
        QCOMPARE(w.findChildren<OptionsDialog*>().size(), 1);
        control<QCheckBox>(modeless, "copyModeBox")->click(); // off: no more blinking
        QVERIFY(!badge->isBlinking());
        control<QLineEdit>(modeless, "intervalField")->setText("7");
        shownViewer()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(modeless);
        QVERIFY(modeless->isVisible());
        QCOMPARE(control<QLineEdit>(modeless, "intervalField")->text(), "7");
        w.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!modeless);
    }

    // An installed program: its folder takes no files, so the settings go to the user's own folder, or into the file
    // beside the program when that one may be written; a short file that cannot be deleted does not stop every start.
    // With no remembered folder it opens in the user's pictures folder, never in the folder it was started in, unless
    // its settings are beside it. Last: it leaves the process an ordinary user.
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
        QFETCH(bool, inPlace);
        m_bin.remove(); // an ordinary user may not remove root's folder from /tmp; PATH still finds no opener
        if (!becomeOrdinaryUser())
            QSKIP("started as root and could not become an ordinary user");
        App s;
        const QByteArray config = qgetenv("XDG_CONFIG_HOME");
        const auto restoreConfig = qScopeGuard([&] { qputenv("XDG_CONFIG_HOME", config); });
        QVERIFY(QDir().mkpath(s.root("config")));
        QVERIFY(QDir().mkpath(s.root("Bilder")));
        writeFile(s.root("config/user-dirs.dirs"), "XDG_PICTURES_DIR=\"" + s.root("Bilder").toUtf8() + "\"\n");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(s.root("config")));
        QVERIFY(QDir::setCurrent(s.src()));
        s.session = Session(s.session.programFolder(), s.root("config/pirapo-lumo"));
        s.settings.rememberFolder = 0;
        const QString beside = s.ini(), own = SettingsFile::path(s.session.userFolder());
        QVERIFY(SettingsFile::write(beside, s.settings, nullptr));
        if (found == "short")
            writeFile(beside, "\"/\"\r\n");
        Settings mine = s.settings;
        mine.serials[0] = 7;
        QVERIFY(found != "own" || SettingsFile::write(own, mine, nullptr));
        const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ExeOwner;
        QVERIFY(QFile::setPermissions(beside, found == "writable" ? readOnly | QFile::WriteOwner : QFile::ReadOwner));
        QVERIFY(QFile::setPermissions(s.session.programFolder(), readOnly));
        const auto restore
            = qScopeGuard([&] { QFile::setPermissions(s.session.programFolder(), readOnly | QFile::WriteOwner); });
        const QByteArray before = readFile(beside);
        QVERIFY(s.open(false));
        QTEST(int(s.settings.serials[0]), "serial");
        QCOMPARE(s.folders()->path(), inPlace ? s.src() : s.root("Bilder"));
        s.settings.serials[2] = 1000;
        s.w->close();
        QTEST(int(s.boxes.seen.size()), "messages");
        QCOMPARE(readFile(inPlace ? beside : own), SettingsFile::format(s.settings));
        QVERIFY(inPlace || readFile(beside) == before);
        QCOMPARE(QFileInfo::exists(own), !inPlace);
    }

    // Sorting from the viewer. Key 3 on b.jpg: the file goes to target 3 under the rule's name (copy mode keeps the
    // source), the viewer shows c.jpg at once and counts one less, a notice names the target, no box opens, and d.jpg
    // is made ahead. Ctrl+Z brings b.jpg back into view and into the count. Refused, the picture stays shown, nothing
    // moves, the count stays, and the notice and the sorter's message say so (while busy, nothing is said).
    void sendFromViewer_data()
    {
        QTest::addColumn<bool>("copy");
        QTest::addColumn<QString>("refusal"); // empty: sent
        QTest::newRow("sent") << false << "";
        QTest::newRow("copy mode") << true << "";
        QTest::newRow("missing folder") << false << "missing";
        QTest::newRow("while busy") << false << "busy";
    }
    void sendFromViewer()
    {
        QFETCH(bool, copy);
        QFETCH(QString, refusal);
        App s(4);
        s.session.copyMode = copy;
        if (refusal == "missing")
            s.settings.destinationFolders[3] = s.dest(3) + "/gone/";
        QVERIFY(s.open());
        const auto before = s.files();
        const Renaming::NewName n = Renaming::newNameFor(s.settings, 3, "b.jpg", s.settings.serials[0]);
        ViewerWindow* v = s.view(1);
        QVERIFY(v);
        {
            std::optional<Session::BusyGuard> busy;
            if (refusal == "busy")
                busy.emplace(s.session);
            s.key(Qt::Key_3);
        }
        QCOMPARE(control<QLabel>(v, "notice")->isVisible(), refusal != "busy");
        if (!refusal.isEmpty()) {
            QCOMPARE(s.files(), before);
            QCOMPARE(v->windowTitle(), s.title("b.jpg", 2, 4));
            QCOMPARE(s.boxes.seen.size(), refusal == "busy" ? 0 : 1);
            if (refusal != "busy")
                QCOMPARE(control<QLabel>(v, "notice")->text(), QStringLiteral("3 × 送れませんでした"));
            return;
        }
        QVERIFY(n.ok());
        QVERIFY(QFile::exists(s.dest(3, n.name)));
        QCOMPARE(QFile::exists(s.src("b.jpg")), copy);
        QCOMPARE(v->windowTitle(), s.title("c.jpg", 2, 3));
        QCOMPARE(control<QLabel>(v, "notice")->text(), QStringLiteral("3 → %1").arg(s.settings.destinationNames[3]));
        QCOMPARE(s.boxes.seen.size(), 0);
        QTRY_VERIFY(v->prefetch().isPrepared(s.src("d.jpg"), v->lastDecodeBox()));
        QTRY_VERIFY(control<QLabel>(v, "notice")->isHidden());

        s.key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(QFile::exists(s.src("b.jpg")));
        QVERIFY(!QFile::exists(s.dest(3, n.name)));
        QCOMPARE(v->windowTitle(), s.title("b.jpg", 2, 4));
        QCOMPARE(s.sorter.canUndo(), false);
    }

    // The menu's two items, kept for the next run in Lumo.ini. While companions follow, the board's and the viewer's
    // file panels name them; unchecked, a drop moves the picture alone. Classic formats lists the classic four only.
    void menuItems()
    {
        App s(2);
        for (const char* name : { "b.CR2", "B.xmp", "c.heic", "d.rw2" })
            writeFile(s.src(name), {});
        QVERIFY(s.open());
        QCOMPARE(s.panel(Panel::FileCount), QString(" 4 File ")); // b.CR2 is listed as b.jpg
        QVERIFY(!s.act("classicFormatsAction")->isChecked());
        QVERIFY(s.act("companionsAction")->isChecked());
        s.start();
        const auto viewerFileName = [&s] { // the viewer's panel beside the board's
            const QString shown
                = control<StatusBar>(s.view(1), "statusBar")->panelText(ViewerWindow::StatusPanel::FileName);
            shownViewer()->close();
            return shown;
        };
        emit s.board().fileChosen("b.jpg");
        QCOMPARE(s.panel(Panel::FileName), QString(" b.jpg +CR2 +XMP "));
        QCOMPARE(viewerFileName(), QString(" b.jpg +CR2 +XMP "));
        s.act("companionsAction")->trigger();
        emit s.board().fileChosen("b.jpg");
        QCOMPARE(s.panel(Panel::FileName), QString(" b.jpg "));
        QCOMPARE(viewerFileName(), QString(" b.jpg "));
        s.board().sendToTarget(1, 3);
        QVERIFY(!QFile::exists(s.src("b.jpg")));
        QVERIFY(QFile::exists(s.src("b.CR2")));
        const QString menuFile = s.session.programFolder() + "/Lumo.ini";
        QCOMPARE(readFile(menuFile), QByteArray("ClassicFormatsOnly=0\r\nCompanionsFollow=0\r\n"));
        s.act("backAction")->trigger();
        s.act("classicFormatsAction")->trigger();
        QCOMPARE(s.panel(Panel::FileCount), QString(" 1 File "));
        QCOMPARE(s.fileList()->count(), 1);
        QCOMPARE(readFile(menuFile), QByteArray("ClassicFormatsOnly=1\r\nCompanionsFollow=0\r\n"));
        s.w->close();
        QVERIFY(s.open());
        QVERIFY(s.act("classicFormatsAction")->isChecked());
        QVERIFY(!s.act("companionsAction")->isChecked());
        QVERIFY(!s.session.companionsFollow);
    }

    // With the board open: a send from the viewer hides the tile, Ctrl+Z in the viewer brings it back; when the board
    // sends the picture shown, the viewer shows the next. After board sends a viewer opened from the menu counts and
    // steps over the files still there only, and its Ctrl+Z brings back the board's.
    void viewerAndBoardShareTheListing()
    {
        App s(4);
        QVERIFY(s.open());
        s.start();
        QVERIFY(s.w->onBoard());
        ViewerWindow* v = s.view(1);
        s.key(Qt::Key_3);
        QVERIFY(s.tile(1)->isHidden());
        s.key(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(s.tile(1)->isVisible());
        s.board().sendToTarget(1, 4); // the picture shown, from the board
        QTRY_COMPARE(v->windowTitle(), s.title("c.jpg", 2, 3));
        s.sorter.undoLast();
        v->close();
        QTRY_VERIFY(!shownViewer());

        s.board().sendToTarget(0, 4);
        s.board().sendToTarget(2, 4);
        s.act("viewerAction")->trigger();
        v = shownViewer();
        QVERIFY(v);
        QCOMPARE(v->windowTitle(), s.title("b.jpg", 1, 2));
        s.key(Qt::Key_End);
        QCOMPARE(v->windowTitle(), s.title("d.jpg", 2, 2));
        QCOMPARE(s.boxes.seen.size(), 0); // no "not found" on the way
        s.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(v->windowTitle(), s.title("c.jpg", 2, 3));
        QVERIFY(s.tile(2)->isVisible());

        // A file deleted by another program leaves both windows, the picture shown included.
        const int c = s.folder.names().indexOf("c.jpg");
        QVERIFY(s.tile(c)->isVisible());
        QVERIFY(QFile::remove(s.src("c.jpg")));
        QTRY_COMPARE(v->windowTitle(), s.title("d.jpg", 2, 2));
        QVERIFY(s.tile(c)->isHidden());
        QCOMPARE(s.boxes.seen.size(), 0);

        // The last picture sent shows the one before it; the only one left sent says the folder is empty and closes.
        s.key(Qt::Key_1);
        QCOMPARE(v->windowTitle(), s.title("b.jpg", 1, 1));
        const QPointer<ViewerWindow> open(v);
        s.key(Qt::Key_2);
        QCOMPARE(s.boxes.seen.size(), 1);
        QTRY_VERIFY(!open || !open->isVisible());
        QVERIFY(!shownViewer());
        QVERIFY(QFile::exists(s.dest(2, Renaming::newNameFor(s.settings, 2, "b.jpg", s.settings.serials[0] - 1).name)));
        // An undo and a send all that fail say so, as a drop does.
        writeFile(s.src("b.jpg"), "in the way");
        s.sorter.undoLast();
        QCOMPARE(s.boxes.seen.size(), 2);
        s.settings.deleteFolder().clear();
        s.act("sendAllAction")->trigger();
        QCOMPARE(s.boxes.seen.size(), 3);
    }
};

QTEST_MAIN(TestApp)
#include "tst_app.moc"
