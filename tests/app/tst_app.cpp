// The main window: its start-up and shut-down around Pirapo.ini, the two screens, the
// commands of its menus, toolbar and buttons, and the windows they open.
#include "../SessionFixture.h"
#include "TestFiles.h"
#include "board/CopyModeBadge.h"
#include "dialogs/DestinationsDialog.h"
#include "dialogs/OptionsDialog.h"
#include "platform/DirList.h"
#include "platform/FileList.h"
#include "platform/StatusBar.h"
#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <fcntl.h>
#include <functional>
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

QPushButton* button(const QWidget* window, const QString& text)
{
    for (QPushButton* b : window->findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

// Photos a.jpg, b.jpg, ... in the fixture's source folder.
void writePhotos(const SessionFixture& s, int count)
{
    for (int i = 0; i < count; ++i)
        QVERIFY(Hostile::write(
            s.src(QString(QChar('a' + i)) + ".jpg"), Hostile::wellFormed(Hostile::Format::Jpeg, QSize(40, 30), i)));
}

}

class TestApp : public QObject {
    Q_OBJECT

    QTemporaryDir m_app;
    QTemporaryDir m_photos;
    QTemporaryDir m_bin; // PATH: no desktop opener unless a test puts one here
    QString m_oldCwd = QDir::currentPath();
    QByteArray m_path = qgetenv("PATH");
    Settings settings;
    Session session { m_app.path() };
    PictureFolder folder;
    Sorter sorter { settings, session };

    QString ini() const { return SettingsFile::path(m_app.path()); }
    QString cwd() const { return QDir::toNativeSeparators(QDir(m_photos.path()).absolutePath()); }
    static QByteArray lines(const QStringList& l) { return l.join("\r\n").toUtf8() + "\r\n"; }
    static QStringList defaultLines()
    {
        QStringList l;
        for (int i = 0; i < 22; ++i)
            l << (i < 12 ? "\"/\"" : "\"\"");
        return l << "0,0,0" << "0,0,0,0,0,0,0,64,10,1";
    }

private slots:
    void initTestCase()
    {
        for (const char* n : { "IMG_0001.JPG", "IMG_0002.jpg", "note.txt", "x.png" })
            touch(m_photos.filePath(n));
        QVERIFY(QDir(m_photos.path()).mkdir("sub"));
        touch(m_photos.filePath("sub/inner.jpg"));
        ::close(::creat((QFile::encodeName(m_photos.path()) + "/sjis\x83\x65.jpg").constData(), 0644)); // not UTF-8
    }
    void init()
    {
        QDir(m_app.path()).removeRecursively();
        QVERIFY(QDir().mkpath(m_app.path()));
        QDir::setCurrent(m_photos.path());
        settings = Settings();
        session = Session(m_app.path());
        QFile::remove(m_bin.filePath("xdg-open"));
        qputenv("PATH", QFile::encodeName(m_bin.path()));
    }
    void cleanup()
    {
        QDir::setCurrent(m_oldCwd);
        qputenv("PATH", m_path);
    }
    void cleanupTestCase() { ::unlink((QFile::encodeName(m_photos.path()) + "/sjis\x83\x65.jpg").constData()); }

    // What start-up makes of the file it finds: the defaults unless the file is usable,
    // and a short file is deleted and nothing starts. One that cannot be read, or is no
    // regular file (or links to none), is said once and left as it is at exit; without
    // one, closing writes the file. A remembered folder is opened again while it is there.
    void startUp_data()
    {
        QTest::addColumn<QString>("found"); // empty: none; "/...": a link to that
        QTest::addColumn<bool>("started");
        QTest::addColumn<int>("warnings");
        QTest::addColumn<QString>("remembered"); // a file remembering this folder of m_photos
        QTest::newRow("none") << "" << true << 0 << "";
        QTest::newRow("a folder of that name") << "folder" << true << 1 << "";
#ifdef Q_OS_LINUX
        QTest::newRow("cannot be read") << "/proc/self/mem" << true << 1 << ""; // fails even for root
        QTest::newRow("link to a FIFO") << "/fifo" << true << 1 << "";
        QTest::newRow("link to a device") << "/null" << true << 1 << "";
#endif
        QTest::newRow("23 lines") << "\"/\"\r\n" << false << 0 << "";
        QTest::newRow("empty") << "\r\n" << false << 0 << "";
        QTest::newRow("remembered folder") << "" << true << 0 << "sub";
        QTest::newRow("remembered folder gone") << "" << true << 0 << "gone/away";
    }
    void startUp()
    {
        QFETCH(QString, found);
        QFETCH(bool, started);
        QFETCH(int, warnings);
        QFETCH(QString, remembered);
        const QString target = found == "folder" ? ini() : found.startsWith("/proc") ? found : m_app.path() + found;
        if (found == "/fifo")
            QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
        if (found == "/null" && ::mknod(QFile::encodeName(target).constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
            QSKIP("making a device needs root");
        if (found == "folder")
            QVERIFY(QDir(m_app.path()).mkdir("Pirapo.ini"));
        else if (found.startsWith("/"))
            QVERIFY(QFile::link(target, ini()));
        else if (!found.isEmpty())
            writeFile(ini(), found.toUtf8().repeated(found.size() > 2 ? 23 : 1));
        const bool opensSub = remembered == "sub";
        if (!remembered.isEmpty()) {
            Settings saved = SettingsFile::defaults();
            saved.rememberFolder = 1;
            saved.sourceFolder = QDir::toNativeSeparators(m_photos.filePath(remembered));
            QVERIFY(SettingsFile::write(ini(), saved, nullptr));
        }
        const auto typeOf = [](const QString& path) {
            struct stat st;
            return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & S_IFMT) : 0;
        };
        const int before = typeOf(target);
        {
            ModalCatcher catcher;
            Form1 w(settings, session, folder, sorter);
            QCOMPARE(w.startedUp(), started);
            QCOMPARE(catcher.seen.size(), warnings);
            if (!started) {
                QVERIFY(!QFile::exists(ini()));
                return;
            }
            const QString opened = opensSub ? QDir::toNativeSeparators(m_photos.filePath("sub")) : cwd();
            QCOMPARE(settings.sourceFolder, opened);
            QCOMPARE(w.statusBar().panelText(1), " " + opened + " ");
            QCOMPARE(w.statusBar().panelText(3), QString(opensSub ? " 1 File " : " 3 File "));
            QCOMPARE(w.statusBar().panelText(4), QString(opensSub ? "" : " 表示できない名前 1 "));
            QCOMPARE(w.folderPage().files()->count(), opensSub ? 1 : 3);
            QCOMPARE(int(settings.thumbCount), 10);
            QVERIFY(!w.undoAction->isEnabled() && !w.toolbarUndoAction->isEnabled());
            w.show();
            QVERIFY(w.close());
            QCOMPARE(catcher.seen.size(), warnings);
        }
        if (found.isEmpty()) {
            const QByteArray written = readFile(ini());
            QCOMPARE(written.count("\r\n"), 24);
            QVERIFY(written.endsWith(remembered.isEmpty() ? ",0,0,0,64,10,1\r\n" : ",0,1,0,64,10,1\r\n"));
        } else {
            QCOMPARE(typeOf(target), before);
            QCOMPARE(QFileInfo(ini()).symLinkTarget(), found.startsWith("/") ? target : QString());
        }
    }

    // The two screens. 実行 turns the window into the board over the whole work area, its
    // toolbar on and the keyboard with the board, and is refused on top of a board;
    // キャンセル brings the folder screen back at its place, listed anew. The status bar
    // names the folder, the file chosen and the files a refill found.
    void screens()
    {
        SessionFixture s;
        writePhotos(s, 3);
        QVERIFY(QDir().mkpath(s.root("empty")));
        QVERIFY(s.open());
        Form1& w = *s.form;
        FolderPage& page = w.folderPage();
        QTest::keyClick(page.files(), Qt::Key_Down);
        QTest::keyClick(page.files(), Qt::Key_Down);
        QCOMPARE(w.statusBar().panelText(2), QString(" b.jpg "));
        QVERIFY(page.folders()->setPath(s.root("empty")));
        QCOMPARE(w.statusBar().panelText(1), " " + s.root("empty") + " ");
        QCOMPARE(w.statusBar().panelText(3), QString(" 0 File "));
        QCOMPARE(s.settings.sourceFolder, s.root("empty"));
        QVERIFY(page.folders()->setPath(s.src()));
        QVERIFY(w.toolbar()->isHidden());

        page.startButton()->click();
        QVERIFY(w.onBoard() && page.isHidden() && w.toolbar()->isVisible() && w.toolbar()->isEnabled());
        const QRect area = workArea();
        QCOMPARE(w.frameGeometry(), QRect(0, 0, area.right() + 1, area.bottom() + 1));
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QWidget* board = QApplication::focusWidget();
        QVERIFY(board && !page.isAncestorOf(board) && !w.toolbar()->isAncestorOf(board));
        w.move(30, 20);
        page.startButton()->click();
        QCOMPARE(w.pos(), QPoint(30, 20));

        // A click on the toolbar leaves the keyboard with the board.
        QVERIFY(s.sorter.transfer(3, 0, s.folder.path(), "a.jpg").ok);
        QTest::mouseClick(w.toolbar()->widgetForAction(w.toolbarUndoAction), Qt::LeftButton);
        QVERIFY(QFile::exists(s.src("a.jpg")));
        QCOMPARE(QApplication::focusWidget(), board);
        // Keys through the window system reach the board past the shortcut map that knows
        // the pop-up menu's keys: one transfer per digit, one undo per Ctrl+Z.
        for (const QKeyCombination k : { QKeyCombination(Qt::Key_Right), QKeyCombination(Qt::Key_1),
                 QKeyCombination(Qt::Key_2), QKeyCombination(Qt::ControlModifier, Qt::Key_Z) })
            QTest::keyClick(w.windowHandle(), k.key(), k.keyboardModifiers());
        QVERIFY(QFile::exists(s.dest(1, "000041 b.jpg")) && QFile::exists(s.src("c.jpg")));
        QCOMPARE(s.sorter.history().count(), 1);
        s.sorter.undoLast();
        QVERIFY(QFile::remove(s.src("c.jpg")));
        w.reloadAction->trigger();
        QCOMPARE(w.statusBar().panelText(3), QString(" 2 File "));
        writePhotos(s, 4);
        w.loadAnewAction->trigger();
        QCOMPARE(w.statusBar().panelText(3), QString(" 4 File "));
        QVERIFY(QFile::remove(s.src("d.jpg")));

        w.backAction->trigger();
        QVERIFY(!w.onBoard() && page.isVisible() && w.toolbar()->isHidden());
        const TwipsPerPixel tpp = w.tpp();
        QCOMPARE(w.frameGeometry(),
            QRect(twipsToPixels(105, tpp.x), twipsToPixels(105, tpp.y), twipsToPixels(6600, tpp.x),
                twipsToPixels(4350, tpp.y)));
        QCOMPARE(page.files()->count(), 3);
        page.startButton()->click();
        w.quitAction->trigger();
        QVERIFY(!w.isVisible());
        QVERIFY(s.messages().isEmpty());
    }

    // While a page fills, every command of the window waits: none opens a window or the
    // help page, leaves the board, closes the program or moves a file.
    void commandsWaitForTheBoard_data()
    {
        QTest::addColumn<QString>("fill");
        QTest::newRow("build") << "build";
        QTest::newRow("reload") << "reload";
        QTest::newRow("load anew") << "anew";
    }
    void commandsWaitForTheBoard()
    {
        QFETCH(QString, fill);
        SessionFixture s;
        writePhotos(s, 14);
        // Nothing on PATH can open the page: let through, the usage window would show.
        QVERIFY(QDir().mkpath(s.root("prog/help")));
        writeFile(s.root("prog/help/help.htm"), "<html></html>\n");
        QVERIFY(s.open());
        Form1& w = *s.form;
        if (fill != "build")
            w.folderPage().startButton()->click();
        QVERIFY(s.sorter.transfer(3, 0, s.folder.path(), "a.jpg").ok);
        const auto before = s.files();
        QStringList wrong;
        s.boxes->onModal = [&](QWidget* dialog) {
            wrong << dialog->windowTitle();
            dialog->close();
        };
        int tried = 0;
        std::function<void()> tryEverything = [&] {
            if (!s.session.isBusy()) {
                QTimer::singleShot(0, tryEverything);
                return;
            }
            ++tried;
            if (w.toolbar()->isEnabled())
                wrong << "the toolbar is on";
            for (QAction* a : { w.optionsAction, w.destinationsAction, w.helpAction, w.viewerAction, w.sendAllAction,
                     w.backAction, w.toolbarUndoAction, w.quitAction })
                a->trigger();
            w.folderPage().startButton()->click();
            for (QWidget* shown : otherWindowsOf(w))
                wrong << shown->windowTitle();
            if (!w.onBoard() || !w.isVisible())
                wrong << "the board was left";
            if (s.files() != before || s.sorter.history().count() != 1)
                wrong << "a file moved";
        };
        QTimer::singleShot(0, tryEverything);
        if (fill == "build")
            w.folderPage().startButton()->click();
        else
            (fill == "reload" ? w.reloadAction : w.loadAnewAction)->trigger();
        QCOMPARE(tried, 1);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(", ")));
        QVERIFY(w.toolbar()->isEnabled() && !s.session.isBusy());
        QVERIFY(s.messages().isEmpty());
    }

    // The help command opens help/help.htm with the desktop's opener, else Readme.txt in
    // the usage window, never a message. 実行 is held back while the usage window or the
    // about box is open and given back however it closes, and when a viewer closes; asked
    // for again, the open window comes forward rather than a second one.
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
        SessionFixture s;
        writePhotos(s, 2);
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
        Form1& w = *s.form;
        QPushButton* start = w.folderPage().startButton();
        const auto open = [&] { (page == "about" ? w.aboutAction : w.helpAction)->trigger(); };
        open();
        if (how.isEmpty()) {
            QTRY_COMPARE(readFile(m_bin.filePath("xdg-open.page")), prog.filePath("help/help.htm").toUtf8() + "\n");
            QVERIFY(otherWindowsOf(w).isEmpty() && start->isEnabled());
            return;
        }
        const QPointer<QWidget> window = otherWindowsOf(w).value(0);
        QVERIFY(window && !window->isModal());
        QVERIFY(!start->isEnabled());
        if (page != "about")
            QCOMPARE(window->findChild<QPlainTextEdit*>()->toPlainText(), QString("使い方\n"));
        window->hide(); // as if minimised out of sight
        open();
        QCOMPARE(otherWindowsOf(w), QWidgetList { window });
        if (how == "viewer") {
            FileList* files = w.folderPage().files();
            files->setCurrentRow(1);
            emit files->itemDoubleClicked(files->item(1));
            QVERIFY(s.viewer() && s.viewer()->windowTitle().contains("b.jpg"));
            s.viewer()->close();
        } else if (how == "Esc") {
            QTest::keyClick(window, Qt::Key_Escape);
        } else if (how == "close") {
            window->close();
        } else {
            QPushButton* b = button(how == "終了" ? &w : window.data(), how);
            QVERIFY(b);
            b->click();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(window.isNull(), how != "viewer");
        QVERIFY(start->isEnabled());
        QVERIFY(s.messages().isEmpty());
    }

    // From the menu both dialogs are modal and wait for the board; from the viewer the
    // options dialog is modeless, one at a time, and the main window's: it outlives the
    // viewer and closes with the main window. Copy mode blinks the badge, OK shows it as
    // copy mode is, and a folder the destinations dialog makes shows in the folder list.
    void dialogs()
    {
        Form1 w(settings, session, folder, sorter);
        w.show();
        ModalCatcher catcher;
        QStringList opened;
        catcher.onModal = [&](QWidget* d) {
            opened << d->metaObject()->className();
            QVERIFY(d->isModal());
            if (auto* options = qobject_cast<OptionsDialog*>(d)) {
                options->copyModeBox->click();
                QVERIFY(w.board().copyModeBadge()->isBlinking());
                w.board().copyModeBadge()->setVisible(false);
                options->okButton->click();
            } else if (auto* destinations = qobject_cast<DestinationsDialog*>(d)) {
                destinations->pathFields[0]->setText(m_photos.filePath("made/"));
                QTimer::singleShot(0, destinations->okButton, &QPushButton::click); // the announcement is caught
            }
        };
        {
            const Session::BusyGuard busy(session);
            w.optionsAction->trigger();
            w.destinationsAction->trigger();
        }
        QVERIFY(opened.isEmpty());
        w.optionsAction->trigger();
        w.destinationsAction->trigger();
        QCOMPARE(opened, (QStringList { "OptionsDialog", "DestinationsDialog" }));
        QVERIFY(w.board().copyModeBadge()->isVisible());
        QCOMPARE(catcher.texts(), QStringList { m_photos.filePath("made/") + "を作成します。" });
        QVERIFY(!w.folderPage().folders()->findItems("made", Qt::MatchEndsWith).isEmpty());
        QDir(m_photos.filePath("made")).removeRecursively();

        w.openViewer(0, ViewerWindow::Mode::Full);
        w.viewer()->optionsAction->trigger();
        QPointer<OptionsDialog> modeless = w.findChild<OptionsDialog*>();
        QVERIFY(modeless && modeless->isVisible() && !modeless->isModal());
        w.viewer()->optionsAction->trigger();
        QCOMPARE(w.findChildren<OptionsDialog*>().size(), 1);
        modeless->copyModeBox->click(); // off: no more blinking
        QVERIFY(!w.board().copyModeBadge()->isBlinking());
        modeless->intervalField->setText("7");
        w.viewer()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(modeless && modeless->isVisible() && modeless->intervalField->text() == "7");
        w.close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!modeless);
    }

    // The settings are written before the other windows close: a one-point viewer open at
    // the end is in the file, and the file is already written when the viewer closes.
    void viewerOpenAtTheEnd()
    {
        Form1 w(settings, session, folder, sorter);
        w.show();
        w.openViewer(1, ViewerWindow::Mode::OnePoint);
        QByteArray written;
        connect(w.viewer(), &ViewerWindow::closed, [&] { written = readFile(ini()); });
        QVERIFY(w.close());
        QVERIFY(written.endsWith(",0,1,64,10,1\r\n"));
        QCOMPARE(settings.viewerMode, int16_t(0));
    }

    // A path the system's encoding cannot show keeps its very bytes while the run leaves
    // it alone; a value the run changed is written anew.
    void untouchedValuesKeepTheirBytes()
    {
        QList<QByteArray> l = lines(defaultLines()).split('\n');
        l[3] = "\"/photos/\xff\xfe,x\"\r"; // destination 2
        l[4] = "\"/a\xff/\"\r"; // destination 3, changed below
        l[14] = "\"\x83\x65\x83\x58\"\r"; // head name 2, Shift-JIS
        writeFile(ini(), l.join('\n'));
        {
            Form1 w(settings, session, folder, sorter);
            w.show();
            settings.destPaths[3] = "/b/";
            QVERIFY(w.close());
        }
        l[4] = "\"/b/\"\r";
        const QList<QByteArray> written = readFile(ini()).split('\n');
        QCOMPARE(written.size(), l.size());
        QCOMPARE(written.mid(1, 22), l.mid(1, 22));
    }

    // The close box while the board is being built: the settings are written, the viewer
    // closes, and the build runs out without touching anything else.
    void closingDuringAPageFill()
    {
        SessionFixture s;
        writePhotos(s, 8);
        QVERIFY(s.open());
        QVERIFY(s.openViewer(0));
        QVERIFY(QFile::remove(SettingsFile::path(s.session.programFolder())));
        const auto before = s.files();
        bool closedWhileBusy = false;
        QTimer::singleShot(0, [&] {
            QTimer::singleShot(0, [&] {
                closedWhileBusy = s.session.isBusy();
                s.form->close();
            });
        });
        s.form->folderPage().startButton()->click();
        QVERIFY(closedWhileBusy && !s.form->isVisible() && !s.viewer() && !s.session.isBusy());
        QCOMPARE(readFile(SettingsFile::path(s.session.programFolder())).count("\r\n"), 24);
        QCOMPARE(s.files(), before);
        QVERIFY(s.messages().isEmpty());
    }

    void unwritableSettingsAreReportedAndTheWindowStillCloses()
    {
        // The program folder is a plain file, so nothing can be created in it, even by root.
        QTemporaryDir tmp;
        touch(tmp.filePath("notafolder"));
        session = Session(tmp.filePath("notafolder"));
        Form1 w(settings, session, folder, sorter);
        w.show();
        ModalCatcher catcher;
        QVERIFY(w.close());
        QCOMPARE(catcher.seen.size(), 1);
        QVERIFY(catcher.seen[0].text.contains("Pirapo.ini") && catcher.seen[0].text.contains("保存できませんでした"));
    }
    // An installed program: its folder takes no files, so the settings go to the user's
    // own folder, or into the file beside the program when that one may be written; a
    // short file that cannot be deleted does not stop every start. Last: it leaves the
    // process an ordinary user.
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
        if (!becomeOrdinaryUser())
            QSKIP("started as root and could not become an ordinary user");
        SessionFixture s;
        s.session = Session(s.session.programFolder(), s.root("config/pirapo-lumo"));
        const QString beside = SettingsFile::path(s.session.programFolder());
        const QString own = SettingsFile::path(s.session.userFolder());
        QVERIFY(SettingsFile::write(beside, s.settings, nullptr));
        if (found == "short")
            writeFile(beside, "\"/\"\r\n");
        Settings mine = s.settings;
        mine.serials[0] = 7;
        if (found == "own")
            QVERIFY(SettingsFile::write(own, mine, nullptr));
        const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ExeOwner;
        QVERIFY(QFile::setPermissions(beside, found == "writable" ? readOnly | QFile::WriteOwner : QFile::ReadOwner));
        QVERIFY(QFile::setPermissions(s.session.programFolder(), readOnly));
        const auto restore
            = qScopeGuard([&] { QFile::setPermissions(s.session.programFolder(), readOnly | QFile::WriteOwner); });
        const QByteArray before = readFile(beside);
        {
            Form1 w(s.settings, s.session, s.folder, s.sorter);
            QVERIFY(w.startedUp());
            QCOMPARE(s.settings.serials[0], serial);
            s.settings.serials[2] = 1000;
            w.close();
        }
        QCOMPARE(s.messages().size(), messages);
        QCOMPARE(readFile(inPlace ? beside : own), SettingsFile::format(s.settings));
        if (!inPlace)
            QCOMPARE(readFile(beside), before);
        QCOMPARE(QFileInfo::exists(own), !inPlace);
    }
};

QTEST_MAIN(TestApp)
#include "tst_app.moc"
