#pragma once
// The program as main() makes it, on a throw-away tree: prog/ (the program's folder, with the PNG decoder and
// Error.jpg), src/ (the source folder) and dest0/ .. dest10/ (the destinations). A host widget stands in for the main
// window: the sorting board's parent, the other windows' owner. The sorter's warnings are recorded; message boxes are
// answered and recorded; any other modal window is turned away, so that no test can hang on one.
#include "Controls.h"
#include "ModalCatcher.h"
#include "Printers.h"
#include "TestFiles.h"
#include "app/Program.h"
#include "board/BoardFocus.h"
#include "board/BoardGeometry.h"
#include "board/CopyModeBadge.h"
#include "board/SortingBoard.h"
#include "board/Target.h"
#include "board/Tile.h"
#include "imaging/PngDecoder.h"
#include "imaging/ThumbnailCache.h"
#include "session/SettingsFile.h"
#include "viewer/ViewerWindow.h"
#include "wording/Wording.h"
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

// prog/ with the decoder library and Error.jpg, made before the program that reads it.
struct ProgramFolder {
    QTemporaryDir tmp { QDir::tempPath() + QStringLiteral("/lumo-XXXXXX") };
    ProgramFolder()
    {
        const QDir prog(tmp.filePath(QStringLiteral("prog")));
        QDir().mkpath(prog.path());
        const QDir bin(QStringLiteral(LUMO_BIN_DIR));
        for (const QString& lib : bin.entryList({ QStringLiteral("libmpng.so*"), QStringLiteral("mpng.dll") }))
            QFile::copy(bin.filePath(lib), prog.filePath(lib));
        Hostile::write(
            prog.filePath(QStringLiteral("Error.jpg")), Hostile::wellFormed(Hostile::Format::Jpeg, QSize(44, 33), 99));
    }
};

struct Fixture : ProgramFolder {
    Program program { tmp.filePath(QStringLiteral("prog")), QString() };
    Settings& settings = program.settings;
    Session& session = program.session;
    PictureFolder& folder = program.folder;
    Sorter& sorter = program.sorter;
    const PngDecoder* const png = &program.png();
    QStringList warnings; // every warning the sorter gave
    QWidget host; // the main window's place
    ModalCatcher boxes;

    Fixture()
    {
        QDir().mkpath(src());
        for (int k = 0; k <= 10; ++k) {
            settings.destinationFolders[size_t(k)] = dest(k) + QLatin1Char('/');
            QDir().mkpath(dest(k));
        }
        settings.sourceFolder = src();
        settings.rememberFolder = 1;
        settings.thumbSize = 64;
        settings.thumbCount = 10;
        settings.slideSeconds = 1;
        settings.serials = { 41, 7, 123 };
        for (int k = 0; k < 10; ++k)
            settings.headNames[size_t(k)] = QStringLiteral("head%1").arg(k);
        settings.updateDestinationNames();
        boxes.onModal = [](QWidget* w) {
            if (auto* d = qobject_cast<QDialog*>(w))
                d->reject();
            else
                w->close();
        };
        const auto record = [this](const auto& result) { warnings << Wording::messageFor(result); };
        QObject::connect(&sorter, &Sorter::transferFailed, record);
        QObject::connect(&sorter, &Sorter::undoFailed, record);
        QObject::connect(&sorter, &Sorter::sendAllFailed, record);
    }
    ThumbnailCache& thumbnails() const { return program.thumbnails(); }

    QString root(const QString& rel = QString()) const { return rel.isEmpty() ? tmp.path() : tmp.filePath(rel); }
    QString src(const QString& name = QString()) const { return root(name.isEmpty() ? "src" : "src/" + name); }
    QString dest(int k, const QString& name = QString()) const
    {
        return root(QStringLiteral("dest%1").arg(k) + (name.isEmpty() ? QString() : '/' + name));
    }
    void list() { folder.setPath(src()); } // src/ as it is now

    // As the main window opens the viewer: an open one is asked again, a closed one is made anew.
    ViewerWindow* viewer(int index, ViewerWindow::Mode mode = ViewerWindow::Mode::Full)
    {
        if (!m_viewer) {
            m_viewer = new ViewerWindow(settings, session, folder, *png, &host);
            QObject::connect(m_viewer, &ViewerWindow::closed, &host, [this] { m_viewer = nullptr; });
        }
        m_viewer->open(index, mode);
        return m_viewer;
    }
    ViewerWindow* openViewer() const { return m_viewer; }

    // As a new run: the board and the thumbnails' memory are gone, the shared cache stays.
    void restart()
    {
        delete m_board;
        program.renewThumbnails();
    }

    SortingBoard& board()
    {
        if (!m_board) {
            m_board = new SortingBoard(settings, session, folder, sorter, program.thumbnails(), &host);
            m_board->hide();
        }
        return *m_board;
    }
    // Null when the board has no such tile or target.
    Tile* tile(int i) { return board().findChild<Tile*>(QStringLiteral("tile%1").arg(i)); }
    Target* target(int k) { return board().findChild<Target*>(QStringLiteral("target%1").arg(k)); }
    CopyModeBadge* badge() { return control<CopyModeBadge>(&host, "copyModeBadge"); } // on the board or the host
    QLabel* emptyNote() { return control<QLabel>(&board(), "emptyNote"); }

    // As the main window switches to the board on src/, listed now unless it was before.
    bool build()
    {
        if (session.isBusy())
            return false;
        if (folder.path() != src())
            list();
        host.resize(workArea().size());
        host.show();
        board().show();
        board().setGeometry(BoardGeometry::boardRect(host.size(), 33, 17));
        {
            const Session::BusyGuard busy(session);
            board().build(busy);
        }
        board().focus().frameFirst();
        board().setFocus(Qt::OtherFocusReason);
        return QTest::qWaitForWindowExposed(&host) && !session.isBusy();
    }
    // And back to the folder screen.
    void leave()
    {
        board().hide();
        board().tearDown();
        folder.refresh();
    }

    // A press on tile i, dragged over target k and let go there.
    void drop(int i, int k)
    {
        board().pressTile(i, Qt::LeftButton, QPointF(150, 150));
        if (Target* t = target(k))
            t->setBackColor(Target::highlight());
        board().dropOnTarget(k);
    }
    void key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(&board(), Qt::Key(key), mods); }
    int shown() // tiles on show
    {
        int n = 0;
        for (int i = 0; i < board().tileCount(); ++i)
            n += tile(i) && tile(i)->isVisible() ? 1 : 0;
        return n;
    }
    void undoAll()
    {
        while (sorter.canUndo())
            sorter.undoLast();
    }

    // Every file of src/ and the destinations by path and content; prog/ is left out.
    QMap<QString, QByteArray> files() const
    {
        auto all = TestFiles::snapshot(root());
        all.removeIf(
            [](const auto& it) { return it.key().startsWith(QLatin1String("prog/")) || it.value() == "<dir>"; });
        return all;
    }
    QStringList messages() const { return boxes.texts(); }

private:
    QPointer<SortingBoard> m_board;
    QPointer<ViewerWindow> m_viewer;
};

// Runs `action` from the event loop after `passes` turns of it, as input waiting in the
// queue is handled inside a handler that lets pending events run.
inline void afterEventPasses(int passes, std::function<void()> action)
{
    QTimer::singleShot(0, [passes, action = std::move(action)]() mutable {
        passes <= 0 ? action() : afterEventPasses(passes - 1, std::move(action));
    });
}
