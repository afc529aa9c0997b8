#include "bench_children.h"
#include "app/FolderPage.h"
#include "app/MainWindow.h"
#include "app/Program.h"
#include "board/SortingBoard.h"
#include "board/Tile.h"
#include "imaging/ThumbnailCache.h"
#include "imaging/ThumbnailMaker.h"
#include "session/PictureFolder.h"
#include "session/Session.h"
#include "session/Settings.h"
#include "sorting/Sorter.h"
#include "viewer/PicturePrefetch.h"
#include "viewer/PictureView.h"
#include "viewer/ViewerWindow.h"
#include "widgets/DirList.h"
#include "widgets/FileList.h"
#include "widgets/PictureBox.h"
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImageReader>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QtConcurrent>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

namespace Bench {

namespace {

    double msSince(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

    // CPU time of every thread of this process so far, user and system.
    double cpuMs()
    {
        rusage u {};
        getrusage(RUSAGE_SELF, &u);
        return (double(u.ru_utime.tv_sec) + double(u.ru_stime.tv_sec)) * 1e3
            + (double(u.ru_utime.tv_usec) + double(u.ru_stime.tv_usec)) / 1e3;
    }

    // A window's control by object name, as the tests reach it; a missing one ends the run.
    template <class T> T& control(const QObject& window, const QString& name)
    {
        T* const found = window.findChild<T*>(name);
        if (!found)
            qFatal("no %s named \"%s\"", T::staticMetaObject.className(), qPrintable(name));
        return *found;
    }
    SortingBoard& boardOf(const MainWindow& w) { return control<SortingBoard>(w, QStringLiteral("board")); }
    // The viewer the main window has open; a closed one waits for deletion hidden.
    ViewerWindow* shownViewer(const MainWindow& w)
    {
        for (ViewerWindow* v : w.findChildren<ViewerWindow*>(QStringLiteral("viewer"), Qt::FindDirectChildrenOnly))
            if (v->isVisible())
                return v;
        return nullptr;
    }

    void out(const char* key, const QString& value) { std::printf("%s=%s\n", key, qPrintable(value)); }
    void out(const char* key, double value) { std::printf("%s=%.3f\n", key, value); }

    QStringList filesOf(const QString& folder)
    {
        QStringList files;
        const QDir dir(folder);
        for (const QString& name : dir.entryList({ QStringLiteral("*.jpg") }, QDir::Files, QDir::Name))
            files.append(dir.filePath(name));
        return files;
    }

    void settle(int rounds = 3)
    {
        for (int i = 0; i < rounds; ++i)
            QCoreApplication::processEvents();
    }

    // A main window as the user has it after start-up, on `folder`.
    struct Board {
        Program program;
        Settings& settings = program.settings;
        Session& session = program.session;
        PictureFolder& folder = program.folder;
        std::unique_ptr<MainWindow> form;
        QTimer watchdog;

        explicit Board(const QStringList& args)
            : program(option(args, QStringLiteral("app")), QString())
        {
            // A message box would wait for a hand that never comes: report it and close it,
            // so the figure is marked failed instead of the bench hanging.
            QObject::connect(&watchdog, &QTimer::timeout, [] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    std::fprintf(stderr, "bench: unexpected message: %s\n", qPrintable(box->text()));
                    out("message", box->text());
                    box->reject();
                }
            });
            watchdog.start(200);
            form = std::make_unique<MainWindow>(program);
            const QString dest = option(args, QStringLiteral("dest"));
            for (int k = 0; k < Settings::FolderCount; ++k) {
                const QString d = QDir(dest).filePath(QString::number(k));
                QDir().mkpath(d);
                settings.destinationFolders[size_t(k)] = d + QLatin1Char('/');
            }
            settings.thumbSize = 128;
            settings.thumbCount = 30;
            session.copyMode = false;
            form->show();
            settle();
            control<DirList>(*form, QStringLiteral("folders")).setPath(option(args, QStringLiteral("folder")));
            settle();
        }
        int visibleTiles() const
        {
            int n = 0;
            const SortingBoard& board = boardOf(*form);
            for (int i = 0; i < board.tileCount(); ++i) {
                const Tile* tile = board.findChild<Tile*>(QStringLiteral("tile%1").arg(i));
                n += tile && !tile->isHidden() && tile->hasPicture() ? 1 : 0;
            }
            return n;
        }
        void stats(const char* prefix)
        {
            const ThumbnailCache::Stats s = program.thumbnails().stats();
            std::printf("%s_stats=memory %d, shared %d, decoded %d, unreadable %d\n", prefix, s.memory, s.shared,
                s.decoded, s.unreadable);
            program.thumbnails().resetStats();
        }
    };

}

qint64 peakKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

QString option(const QStringList& args, const QString& name, const QString& fallback)
{
    const int i = args.indexOf(QStringLiteral("--") + name);
    return i >= 0 && i + 1 < args.size() ? args[i + 1] : fallback;
}

int childBoard(const QStringList& args)
{
    Board b(args);
    MainWindow& f = *b.form;

    QElapsedTimer t;
    const double cpu = cpuMs();
    t.start();
    f.openBoard();
    out("fill_ms", msSince(t));
    out("fill_cpu_ms", cpuMs() - cpu);
    out("fill_slots", QString::number(b.visibleTiles()));
    b.stats("fill");
    settle();

    if (args.contains(QStringLiteral("--drop"))) {
        // A hand takes a second or so to drag a thumbnail to its target.
        const int dragMs = option(args, QStringLiteral("drag-ms"), QStringLiteral("1000")).toInt();
        QElapsedTimer drag;
        drag.start();
        while (drag.elapsed() < dragMs) {
            QCoreApplication::processEvents();
            QThread::msleep(5);
        }
        // Tile 0 onto target 1 in move mode, as the user drops it; then the reload.
        const QString dropped = b.folder.name(0);
        t.restart();
        boardOf(f).pressTile(0, Qt::LeftButton, QPointF());
        boardOf(f).dropOnTarget(1);
        settle();
        out("drop_ms", msSince(t));
        const QDir source(control<FolderPage>(f, QStringLiteral("folderPage")).folderPath());
        out("drop_moved", source.exists(dropped) ? "no" : "yes");
        // The picture and its companions: none may stay behind.
        out("drop_left",
            QString::number(source.entryList({ QFileInfo(dropped).completeBaseName() + QStringLiteral(".*") }).size()));
        t.restart();
        boardOf(f).reload();
        out("reload_ms", msSince(t));
        out("reload_slots", QString::number(b.visibleTiles()));
        b.stats("reload");
    }
    out("peak_kb", double(peakKb()));
    return 0;
}

int childStart(const QStringList& args)
{
    // From nothing to the folder screen painted with the whole folder listed.
    QElapsedTimer clock;
    clock.start();
    Program program(option(args, QStringLiteral("app")), QString());
    MainWindow form(program);
    control<DirList>(form, QStringLiteral("folders")).setPath(option(args, QStringLiteral("folder")));
    form.show();
    form.repaint();
    settle();
    out("start_ms", QString::number(clock.nsecsElapsed() / 1e6, 'f', 1));
    out("start_listed", QString::number(control<FileList>(form, QStringLiteral("files")).count()));
    // Scrolling the list to its end and back must not wait on the rows in between.
    clock.restart();
    control<FileList>(form, QStringLiteral("files")).scrollToBottom();
    form.repaint();
    control<FileList>(form, QStringLiteral("files")).scrollToTop();
    form.repaint();
    out("scroll_ms", QString::number(clock.nsecsElapsed() / 1e6, 'f', 1));
    return 0;
}

int childGrow(const QStringList& args)
{
    Board b(args);
    MainWindow& f = *b.form;
    const int want = option(args, QStringLiteral("entries"), QStringLiteral("300")).toInt();
    QElapsedTimer t;
    t.start();
    f.openBoard();
    int commands = 0;
    while (boardOf(f).pageEnd() < want && commands < 1000) {
        boardOf(f).loadMore();
        ++commands;
        if (boardOf(f).pageEnd() >= b.folder.count())
            break;
    }
    out("grow_ms", msSince(t));
    out("grow_commands", QString::number(commands));
    out("grow_slots", QString::number(b.visibleTiles()));
    out("grow_cache_kb", double(b.program.thumbnails().memoryBytes() / 1024));
    b.stats("grow");
    // Smaller and back, as a user un-maximises and maximises: nothing is decoded again.
    const QSize large = f.size();
    double worst = 0;
    for (const QSize size : { large * 3 / 4, large, large / 2, large }) {
        t.restart();
        f.resize(size);
        settle(1);
        worst = std::max(worst, msSince(t));
    }
    out("relayout_ms", worst);
    out("relayout_slots", QString::number(b.visibleTiles()));
    b.stats("relayout");
    out("peak_kb", double(peakKb()));
    return 0;
}

int childFirstPaint(const QStringList& args)
{
    Board b(args);
    b.settings.thumbSize = 64;
    MainWindow& f = *b.form;
    const int page = std::min(b.folder.count(), 30);
    struct Painted : QObject {
        QElapsedTimer clock;
        double first = -1, last = -1;
        QSet<const QObject*> tiles;
        int want = 0;
        bool eventFilter(QObject* o, QEvent* e) override
        {
            if (e->type() == QEvent::Paint)
                if (const auto* tile = qobject_cast<const Tile*>(o); tile && tile->hasPicture()) {
                    if (first < 0)
                        first = double(clock.nsecsElapsed()) / 1e6;
                    tiles.insert(o);
                    if (int(tiles.size()) == want && last < 0)
                        last = double(clock.nsecsElapsed()) / 1e6;
                }
            return false;
        }
    } painted;
    painted.want = page;
    qApp->installEventFilter(&painted);
    painted.clock.start();
    f.openBoard();
    while (painted.last < 0 && painted.clock.elapsed() < 10000) {
        QCoreApplication::processEvents();
        QThread::msleep(1);
    }
    qApp->removeEventFilter(&painted);
    out("first_paint_ms", painted.first);
    out("page_paint_ms", painted.last);
    b.stats("paint");
    return 0;
}

// The viewer on the first entry at 1280 x 1000, laid out; null when it did not open.
ViewerWindow* openViewerAtFirst(MainWindow& f)
{
    f.openViewer(0, ViewerWindow::Mode::Full);
    ViewerWindow* v = shownViewer(f);
    if (v) {
        v->resize(1280, 1000);
        settle();
    }
    return v;
}

int childViewer(const QStringList& args)
{
    Board b(args);
    MainWindow& f = *b.form;
    Settings& settings = b.settings;
    const int steps
        = std::min(option(args, QStringLiteral("steps"), QStringLiteral("12")).toInt(), b.folder.count() - 1);
    ViewerWindow* v = openViewerAtFirst(f);
    if (!v)
        return 2;
    const QSize area = v->findChild<PictureView*>(QStringLiteral("pictureView"))->size();
    out("viewer_area", QStringLiteral("%1x%2").arg(area.width()).arg(area.height()));

    // The next picture made in the background while this one is on screen.
    QStringList prepared;
    for (int i = 0; i < steps; ++i) {
        const QString next = QDir(settings.sourceFolder).filePath(b.folder.name(v->position() + 1));
        QElapsedTimer wait;
        wait.start();
        while (!v->prefetch().isPrepared(next, area) && wait.elapsed() < 20000) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
        }
        QElapsedTimer t;
        t.start();
        v->command(ViewerWindow::Command::Next);
        QCoreApplication::processEvents(); // the repaint
        prepared.append(QString::number(msSince(t), 'f', 3));
    }
    out("step_prepared_ms", prepared.join(QLatin1Char(',')));

    // The same steps back, with nothing prepared: decoded at display size on the spot.
    QStringList cold;
    for (int i = 0; i < steps; ++i) {
        v->prefetch().keepOnly({}, QSize());
        QElapsedTimer t;
        t.start();
        v->command(ViewerWindow::Command::Previous);
        QCoreApplication::processEvents();
        cold.append(QString::number(msSince(t), 'f', 3));
    }
    out("step_unprepared_ms", cold.join(QLatin1Char(',')));

    // The full-decode path for the same pictures: decoded whole, drawn reduced.
    QStringList full;
    QImage screen(area, QImage::Format_ARGB32_Premultiplied);
    for (int i = 1; i <= steps; ++i) {
        const QString path = QDir(settings.sourceFolder).filePath(b.folder.name(i));
        QElapsedTimer t;
        t.start();
        QImageReader reader(path);
        reader.setAutoTransform(true);
        const QPixmap pixmap = QPixmap::fromImage(reader.read());
        QPainter p(&screen);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const QSize fitted = pixmap.size().scaled(area, Qt::KeepAspectRatio);
        p.drawPixmap(QRect(QPoint(0, 0), fitted), pixmap);
        p.end();
        full.append(QString::number(msSince(t), 'f', 3));
    }
    out("step_full_ms", full.join(QLatin1Char(',')));
    v->close();
    settle();
    return 0;
}

int childViewerSend(const QStringList& args)
{
    Board b(args);
    MainWindow& f = *b.form;
    const int sends = std::min(12, b.folder.count() - 2);
    ViewerWindow* v = openViewerAtFirst(f);
    if (!v)
        return 2;
    const QSize area = v->findChild<PictureView*>(QStringLiteral("pictureView"))->size();
    // Each send shows the next entry, which was made ahead while the last one was on screen.
    QStringList times;
    for (int i = 0; i < sends && v == shownViewer(f); ++i) {
        const QString next = b.folder.filePath(v->position() + 1);
        QElapsedTimer wait;
        wait.start();
        while (!v->prefetch().isPrepared(next, area) && wait.elapsed() < 20000) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, QStringLiteral("1"));
        QElapsedTimer t;
        t.start();
        QApplication::sendEvent(v, &press);
        QCoreApplication::processEvents(); // the repaint
        times.append(QString::number(msSince(t), 'f', 3));
    }
    out("send_ms", times.join(QLatin1Char(',')));
    return 0;
}

int childFull(const QStringList& args)
{
    const QStringList files = filesOf(option(args, QStringLiteral("folder")))
                                  .mid(0, option(args, QStringLiteral("count"), QStringLiteral("30")).toInt());
    std::vector<QPixmap> held;
    QElapsedTimer t;
    const double cpu = cpuMs();
    t.start();
    // Each tile holds its whole picture and paints it shrunk into the box, as a picture
    // control with stretching on does.
    QImage tile(QSize(128, 128), QImage::Format_ARGB32_Premultiplied);
    for (const QString& path : files) {
        QImageReader reader(path);
        reader.setAutoTransform(true);
        held.push_back(QPixmap::fromImage(reader.read()));
        QPainter p(&tile);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawPixmap(QRect(QPoint(0, 0), held.back().size().scaled(tile.size(), Qt::KeepAspectRatio)), held.back());
        p.end();
        QCoreApplication::processEvents();
    }
    out("full_ms", msSince(t));
    out("full_cpu_ms", cpuMs() - cpu);
    qint64 bytes = 0;
    for (const QPixmap& p : held)
        bytes += qint64(p.width()) * p.height() * 4;
    out("full_held_kb", double(bytes / 1024));
    out("peak_kb", double(peakKb()));
    return 0;
}

int childBare(const QStringList& args)
{
    const QStringList files = filesOf(option(args, QStringLiteral("folder")))
                                  .mid(0, option(args, QStringLiteral("count"), QStringLiteral("30")).toInt());
    QElapsedTimer t;
    const double cpu = cpuMs();
    t.start();
    const QList<QImage> images = QtConcurrent::blockingMapped(files, [](const QString& path) {
        QSize natural;
        return ThumbnailMaker::decodeThumbnail(path, 128, &natural, nullptr);
    });
    out("bare_ms", msSince(t));
    out("bare_cpu_ms", cpuMs() - cpu);
    int ok = 0;
    for (const QImage& i : images)
        ok += i.isNull() ? 0 : 1;
    out("bare_decoded", QString::number(ok));
    out("bare_threads", QString::number(QThreadPool::globalInstance()->maxThreadCount()));
    return 0;
}

}
