// lumo_bench --shoot DIR --work DIR [--runs N] [--vips PATH]
// Runs every figure in fresh child processes, several times over, and prints each
// median beside its baselines from the same run.
#include "bench_children.h"
#include "bench_files.h"
#include "platform/DurableFile.h"
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <functional>

using namespace Bench;

namespace {

using Values = QMap<QString, QString>;

double median(QList<double> v)
{
    if (v.isEmpty())
        return -1;
    std::sort(v.begin(), v.end());
    const qsizetype n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

QList<double> numbers(const QString& csv)
{
    QList<double> out;
    for (const QString& s : csv.split(QLatin1Char(','), Qt::SkipEmptyParts))
        out.append(s.toDouble());
    return out;
}

QString loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).section(QLatin1Char(' '), 0, 2)
                                       : QStringLiteral("?");
}

// A screen of the given size for the offscreen platform.
QString screenConfig(const QString& work, int w, int h)
{
    const QString path = QDir(work).filePath(QStringLiteral("screen-%1x%2.json").arg(w).arg(h));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(QStringLiteral(R"({"screens":[{"name":"bench","x":0,"y":0,"width":%1,"height":%2,)"
                               R"("logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})")
                    .arg(w)
                    .arg(h)
                    .toUtf8());
    return QStringLiteral("offscreen:configfile=") + path;
}

Values runChild(const QStringList& args, const QString& cache, const QString& platform)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CACHE_HOME"), cache);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(), args);
    Values v;
    if (!p.waitForFinished(10 * 60 * 1000) || p.exitCode() != 0) {
        p.kill();
        p.waitForFinished();
        std::fprintf(stderr, "child %s failed\n", qPrintable(args.join(QLatin1Char(' '))));
        return v;
    }
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        const int eq = line.indexOf('=');
        if (eq > 0)
            v.insert(QString::fromUtf8(line.left(eq)), QString::fromUtf8(line.mid(eq + 1)));
    }
    return v;
}

QString ms(double v)
{
    return v < 0 ? QStringLiteral("n/a") : QString::number(v, 'f', v < 100 ? 1 : 0) + QStringLiteral(" ms");
}
QString mb(double kb)
{
    return kb < 0 ? QStringLiteral("n/a") : QString::number(kb / 1024.0, 'f', 0) + QStringLiteral(" MB");
}
QString yes(bool b) { return b ? QStringLiteral("yes") : QStringLiteral("NO"); }

// A 100 MB file moved within the work folder's file system and from /dev/shm (a tmpfs)
// onto it, by the program's move and by mv; milliseconds, mv's including its start.
QMap<QString, QList<double>> moveFigures(const QString& work, int runs)
{
    QMap<QString, QList<double>> r;
    const QString disk = QDir(work).filePath(QStringLiteral("moves")), shm = QStringLiteral("/dev/shm/lumo-bench");
    QDir(disk).removeRecursively();
    QDir(shm).removeRecursively();
    if (!QDir().mkpath(disk) || !QDir().mkpath(shm))
        return r;
    QByteArray data(100 << 20, Qt::Uninitialized);
    for (qsizetype i = 0; i < data.size(); ++i)
        data[i] = char(i * 2654435761u >> 24);
    auto timed = [](const std::function<bool()>& move) {
        QElapsedTimer t;
        t.start();
        return move() ? t.nsecsElapsed() / 1e6 : -1.0;
    };
    auto mv = [](const QString& from, const QString& to) {
        return QProcess::execute(QStringLiteral("mv"), { QStringLiteral("-n"), from, to }) == 0;
    };
    for (int run = 0; run < runs; ++run) {
        for (const bool across : { false, true }) {
            const QString from = QDir(across ? shm : disk).filePath(QStringLiteral("a.raw"));
            const QString to = QDir(disk).filePath(QStringLiteral("b.raw"));
            const QString key = across ? QStringLiteral("across") : QStringLiteral("within");
            for (const bool ours : { true, false }) {
                QFile f(from);
                if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
                    return r;
                f.close();
                QProcess::execute(QStringLiteral("sync"), {});
                r[key + (ours ? QStringLiteral("_lumo") : QStringLiteral("_mv"))].append(
                    timed([&] { return ours ? DurableFile::move(from, to, false).ok() : mv(from, to); }));
                QFile::remove(to);
            }
        }
    }
    QDir(disk).removeRecursively();
    QDir(shm).removeRecursively();
    return r;
}

int orchestrate(const QStringList& args)
{
    // Absolute: vipsthumbnail takes a relative output path as relative to each input.
    const QString shootDir = QDir(option(args, QStringLiteral("shoot"))).absolutePath();
    const QString work = QDir(option(args, QStringLiteral("work"))).absolutePath();
    const int runs = std::max(1, option(args, QStringLiteral("runs"), QStringLiteral("5")).toInt());
    const QString vips
        = option(args, QStringLiteral("vips"), QStandardPaths::findExecutable(QStringLiteral("vipsthumbnail")));
    QStringList shoot;
    const QDir sd(shootDir);
    for (const QString& n : sd.entryList({ QStringLiteral("*.jpg") }, QDir::Files, QDir::Name))
        shoot.append(sd.filePath(n));
    // The same page as a phone's HEIC photos and as RAW files alone; none: not measured.
    struct CameraPage {
        QString key, pattern;
        QStringList files;
    };
    QList<CameraPage> cameraPages;
    for (const char* name : { "heic", "heic_bare" }) {
        const QString key = QString::fromLatin1(name);
        const QDir dir(option(args, key + QStringLiteral("-shoot"), QStringLiteral("/nonexistent")));
        QStringList heic;
        for (const QString& n : dir.entryList({ QStringLiteral("*.heic") }, QDir::Files, QDir::Name))
            heic << dir.filePath(n);
        if (!heic.isEmpty())
            cameraPages.append({ key, QStringLiteral("P%1.heic"), heic });
    }
    const QString raw = option(args, QStringLiteral("raw"));
    if (!raw.isEmpty())
        cameraPages.append({ QStringLiteral("raw"), QStringLiteral("P%1.raf"), { raw } });
    if (shoot.size() < 40) {
        std::fprintf(
            stderr, "the shoot in %s has %d files; 40 or more are needed\n", qPrintable(shootDir), int(shoot.size()));
        return 1;
    }
    QDir().mkpath(work);
    const QString app = QDir(work).filePath(QStringLiteral("app"));
    QDir().mkpath(app);
    // The PNG decoder beside the program, as it is installed.
    const QDir bin(QCoreApplication::applicationDirPath());
    for (const QString& lib : bin.entryList({ QStringLiteral("libmpng.so*") })) {
        QFile::remove(QDir(app).filePath(lib));
        QFile::copy(bin.filePath(lib), QDir(app).filePath(lib));
    }
    // 24 MP photos (6000 x 4000), when run.sh made them.
    QStringList shoot24;
    const QDir big(option(args, QStringLiteral("shoot24")));
    for (const QString& n : big.entryList({ QStringLiteral("*.jpg") }, QDir::Files, QDir::Name))
        shoot24.append(big.filePath(n));
    const QStringList exifShoot = withThumbnails(shoot, QDir(work).filePath(QStringLiteral("exif-shoot")));
    const QString bomb = pngBomb(work);
    const QString normalScreen = screenConfig(work, 1920, 1080);
    const QString largeScreen = screenConfig(work, 3840, 2160);
    // A hundred thousand empty pictures: only the listing is measured.
    const QString huge = QDir(work).filePath(QStringLiteral("huge"));
    if (QDir(huge).entryList(QDir::Files).size() != 100000) {
        QDir().mkpath(huge);
        for (int i = 0; i < 100000; ++i)
            QFile(QDir(huge).filePath(QStringLiteral("P%1.jpg").arg(i, 7, 10, QLatin1Char('0'))))
                .open(QIODevice::WriteOnly);
    }
    const QString load0 = loadAverage();

    QMap<QString, QList<double>> r;
    Values last;
    for (int run = 0; run < runs; ++run) {
        std::fprintf(stderr, "run %d of %d (load %s)\n", run + 1, runs, qPrintable(loadAverage()));
        const QString base = QDir(work).filePath(QStringLiteral("run"));
        QDir(base).removeRecursively();
        const QString page = linkFolder(base + QStringLiteral("/page"), shoot, 40);
        QStringList first30;
        for (int i = 0; i < 30; ++i)
            first30.append(QDir(page).filePath(QStringLiteral("P%1.jpg").arg(i + 1, 7, 10, QLatin1Char('0'))));
        const QString cache = base + QStringLiteral("/cache");
        const QStringList common { QStringLiteral("--app"), app, QStringLiteral("--dest"),
            base + QStringLiteral("/dest") };

        Values full = runChild({ QStringLiteral("child-full"), QStringLiteral("--folder"), page }, cache, normalScreen);
        r[QStringLiteral("full")].append(full.value(QStringLiteral("full_ms"), QStringLiteral("-1")).toDouble());
        r[QStringLiteral("full_cpu")].append(
            full.value(QStringLiteral("full_cpu_ms"), QStringLiteral("-1")).toDouble());
        r[QStringLiteral("full_peak")].append(full.value(QStringLiteral("peak_kb"), QStringLiteral("-1")).toDouble());
        r[QStringLiteral("full_held")].append(
            full.value(QStringLiteral("full_held_kb"), QStringLiteral("-1")).toDouble());

        r[QStringLiteral("desktop64")].append(desktopThumbnailer(first30, base + QStringLiteral("/desktop")));
        r[QStringLiteral("vips")].append(
            vips.isEmpty() ? -1 : vipsThumbnail(vips, first30, base + QStringLiteral("/vips")));

        Values bare = runChild({ QStringLiteral("child-bare"), QStringLiteral("--folder"), page }, cache, normalScreen);
        r[QStringLiteral("bare")].append(bare.value(QStringLiteral("bare_ms"), QStringLiteral("-1")).toDouble());
        r[QStringLiteral("bare_cpu")].append(
            bare.value(QStringLiteral("bare_cpu_ms"), QStringLiteral("-1")).toDouble());

        QDir(cache).removeRecursively();
        Values board = runChild(
            QStringList { QStringLiteral("child-board"), QStringLiteral("--folder"), page, QStringLiteral("--drop") }
                + common,
            cache, normalScreen);
        r[QStringLiteral("fill")].append(board.value(QStringLiteral("fill_ms"), QStringLiteral("-1")).toDouble());
        r[QStringLiteral("fill_cpu")].append(
            board.value(QStringLiteral("fill_cpu_ms"), QStringLiteral("-1")).toDouble());
        r[QStringLiteral("reload")].append(board.value(QStringLiteral("reload_ms"), QStringLiteral("-1")).toDouble());
        r[QStringLiteral("fill_peak")].append(board.value(QStringLiteral("peak_kb"), QStringLiteral("-1")).toDouble());

        // The same with the drop made the moment the fill ends: the reload may wait for
        // the one new thumbnail.
        {
            const QString hurried = linkFolder(base + QStringLiteral("/hurried"), shoot, 40);
            const QString hurriedCache = base + QStringLiteral("/hurried-cache");
            Values at = runChild(
                QStringList { QStringLiteral("child-board"), QStringLiteral("--folder"), hurried,
                    QStringLiteral("--drop"), QStringLiteral("--drag-ms"), QStringLiteral("0"), QStringLiteral("--app"),
                    app, QStringLiteral("--dest"), base + QStringLiteral("/dest-hurried") },
                hurriedCache, normalScreen);
            r[QStringLiteral("reload_at_once")].append(
                at.value(QStringLiteral("reload_ms"), QStringLiteral("-1")).toDouble());
        }

        // A new run on the same folder: the thumbnails are in the shared cache now.
        Values again
            = runChild(QStringList { QStringLiteral("child-board"), QStringLiteral("--folder"), page } + common, cache,
                normalScreen);
        r[QStringLiteral("again")].append(again.value(QStringLiteral("fill_ms"), QStringLiteral("-1")).toDouble());

        // The same page as cameras write it, with a thumbnail in every file's EXIF block: the
        // board must still show what each file itself decodes to.
        {
            const QString folder = linkFolder(base + QStringLiteral("/exif"), exifShoot, 40);
            Values exif
                = runChild(QStringList { QStringLiteral("child-board"), QStringLiteral("--folder"), folder } + common,
                    base + QStringLiteral("/exif-cache"), normalScreen);
            r[QStringLiteral("exif_fill")].append(
                exif.value(QStringLiteral("fill_ms"), QStringLiteral("-1")).toDouble());
            last.insert(QStringLiteral("exif_fill_stats"), exif.value(QStringLiteral("fill_stats")));
        }

        for (const CameraPage& camera : cameraPages) {
            const QString folder = linkFolder(base + QLatin1Char('/') + camera.key, camera.files, 40, camera.pattern);
            Values v
                = runChild(QStringList { QStringLiteral("child-board"), QStringLiteral("--folder"), folder } + common,
                    base + QLatin1Char('/') + camera.key + QStringLiteral("-cache"), normalScreen);
            r[camera.key + QStringLiteral("_fill")].append(
                v.value(QStringLiteral("fill_ms"), QStringLiteral("-1")).toDouble());
            last.insert(camera.key + QStringLiteral("_stats"), v.value(QStringLiteral("fill_stats")));
        }

        // The JPEG page shot as RAW+JPEG, a sidecar beside each pair: listed once per pair. The
        // drop moves one whole unit within the file system.
        if (!raw.isEmpty()) {
            const QString folder = linkFolder(base + QStringLiteral("/pairs"), shoot, 40);
            linkFolder(folder, { raw }, 40, QStringLiteral("P%1.RAF"), false);
            linkFolder(folder, { QFileInfo(raw).dir().filePath(QStringLiteral("XMP.xmp")) }, 40,
                QStringLiteral("P%1.xmp"), false);
            Values v = runChild(
                { QStringLiteral("child-board"), QStringLiteral("--folder"), folder, QStringLiteral("--drop"),
                    QStringLiteral("--app"), app, QStringLiteral("--dest"), base + QStringLiteral("/dest-pairs") },
                base + QStringLiteral("/pairs-cache"), normalScreen);
            r[QStringLiteral("pairs_fill")].append(v.value(QStringLiteral("fill_ms"), QStringLiteral("-1")).toDouble());
            r[QStringLiteral("pairs_drop")].append(v.value(QStringLiteral("drop_ms"), QStringLiteral("-1")).toDouble());
            last.insert(QStringLiteral("pairs_stats"), v.value(QStringLiteral("fill_stats")));
            last.insert(QStringLiteral("pairs_left"), v.value(QStringLiteral("drop_left")));
        }

        // From 「実行」 to painted thumbnails, cold: one picture, and a page of 30.
        for (const int count : { 1, 40 }) {
            const QString folder = linkFolder(base + QStringLiteral("/paint%1").arg(count), shoot, count);
            Values paint
                = runChild(QStringList { QStringLiteral("child-paint"), QStringLiteral("--folder"), folder } + common,
                    base + QStringLiteral("/paint-cache%1").arg(count), normalScreen);
            const QString key = count == 1 ? QStringLiteral("paint_one") : QStringLiteral("paint_page");
            r[key].append(paint.value(QStringLiteral("first_paint_ms"), QStringLiteral("-1")).toDouble());
            r[key + QStringLiteral("_all")].append(
                paint.value(QStringLiteral("page_paint_ms"), QStringLiteral("-1")).toDouble());
        }

        Values viewer
            = runChild(QStringList { QStringLiteral("child-viewer"), QStringLiteral("--folder"), page } + common, cache,
                normalScreen);
        r[QStringLiteral("step")].append(median(numbers(viewer.value(QStringLiteral("step_prepared_ms")))));
        r[QStringLiteral("step_cold")].append(median(numbers(viewer.value(QStringLiteral("step_unprepared_ms")))));
        r[QStringLiteral("step_full")].append(median(numbers(viewer.value(QStringLiteral("step_full_ms")))));
        if (!shoot24.isEmpty()) {
            const QString folder = linkFolder(base + QStringLiteral("/big"), shoot24, 14);
            Values send = runChild(
                QStringList { QStringLiteral("child-viewer-send"), QStringLiteral("--folder"), folder } + common, cache,
                normalScreen);
            r[QStringLiteral("send")].append(median(numbers(send.value(QStringLiteral("send_ms")))));
        }

        // A page of PNG bombs, once: the peak is a property of the build, not of the machine's load.
        if (run == 0) {
            const QString folder = linkFolder(base + QStringLiteral("/bombs"), { bomb }, 30, QStringLiteral("B%1.png"));
            Values bombs
                = runChild(QStringList { QStringLiteral("child-board"), QStringLiteral("--folder"), folder } + common,
                    base + QStringLiteral("/bomb-cache"), normalScreen);
            r[QStringLiteral("bomb_peak")].append(
                bombs.value(QStringLiteral("peak_kb"), QStringLiteral("-1")).toDouble());
            r[QStringLiteral("bomb_fill")].append(
                bombs.value(QStringLiteral("fill_ms"), QStringLiteral("-1")).toDouble());
            last.insert(QStringLiteral("bomb_slots"), bombs.value(QStringLiteral("fill_slots")));
            last.insert(QStringLiteral("bomb_stats"), bombs.value(QStringLiteral("fill_stats")));
            const QString hostile = hostilePage(base + QStringLiteral("/hostile"));
            Values worst
                = runChild(QStringList { QStringLiteral("child-board"), QStringLiteral("--folder"), hostile } + common,
                    base + QStringLiteral("/hostile-cache"), normalScreen);
            r[QStringLiteral("hostile_peak")].append(
                worst.value(QStringLiteral("peak_kb"), QStringLiteral("-1")).toDouble());
            last.insert(QStringLiteral("hostile_slots"), worst.value(QStringLiteral("fill_slots")));
        }

        if (run < std::min(runs, 3)) {
            const QString grown = linkFolder(base + QStringLiteral("/grow"), shoot, 300);
            QDir(cache).removeRecursively();
            Values grow
                = runChild(QStringList { QStringLiteral("child-grow"), QStringLiteral("--folder"), grown } + common,
                    cache, largeScreen);
            r[QStringLiteral("grow_peak")].append(
                grow.value(QStringLiteral("peak_kb"), QStringLiteral("-1")).toDouble());
            r[QStringLiteral("grow_ms")].append(grow.value(QStringLiteral("grow_ms"), QStringLiteral("-1")).toDouble());
            r[QStringLiteral("relayout")].append(
                grow.value(QStringLiteral("relayout_ms"), QStringLiteral("-1")).toDouble());
            for (auto it = grow.cbegin(); it != grow.cend(); ++it)
                last.insert(it.key(), it.value());
        }
        Values start = runChild(
            { QStringLiteral("child-start"), QStringLiteral("--folder"), huge, QStringLiteral("--app"), app }, cache,
            normalScreen);
        r[QStringLiteral("start")].append(start.value(QStringLiteral("start_ms"), QStringLiteral("-1")).toDouble());
        r[QStringLiteral("scroll")].append(start.value(QStringLiteral("scroll_ms"), QStringLiteral("-1")).toDouble());
        last.insert(QStringLiteral("start_listed"), start.value(QStringLiteral("start_listed")));
        for (const Values* v : { &board, &again, &viewer, &bare, &full })
            for (auto it = v->cbegin(); it != v->cend(); ++it)
                last.insert((v == &again ? QStringLiteral("again_") : QString()) + it.key(), it.value());
    }
    const QMap<QString, QList<double>> moves = moveFigures(work, runs);
    const QString load1 = loadAverage();

    auto M = [&](const char* k) { return median(r.value(QString::fromLatin1(k))); };
    const double fill = M("fill"), full = M("full"), vipsMs = M("vips"), bare = M("bare"), reload = M("reload");
    const double again = M("again"), step = M("step"), stepCold = M("step_cold"), stepFull = M("step_full");
    const double send = r.contains(QStringLiteral("send")) ? M("send") : -1;
    const double growPeak = M("grow_peak"), fullHeld = M("full_held");
    const double exifFill = M("exif_fill"), bombPeak = M("bomb_peak"), hostilePeak = M("hostile_peak");
    // Every thumbnail of the page made from its own file: none taken from the EXIF block.
    const QString exifStats = last.value(QStringLiteral("exif_fill_stats"));
    const bool ownPictures = exifStats.contains(QLatin1String("decoded 30"));

    QString text;
    QTextStream ts(&text);
    ts << "Figure | Lumo | Baseline (same run) | Ratio | Target | Met\n";
    ts << "---|---|---|---|---|---\n";
    ts << "Cold page fill, 30 thumbnails, thumbnail size 128 | " << ms(fill) << " | full decode " << ms(full)
       << "; vipsthumbnail " << ms(vipsMs) << " | " << QString::number(full / fill, 'f', 1) << "x faster than full; "
       << QString::number(vipsMs / fill, 'f', 2) << "x vips | >= 5x full and faster than vips | "
       << yes(full / fill >= 5 && fill < vipsMs) << "\n";
    ts << "Cold page fill against the bare limit | " << ms(fill) << " | bare limit " << ms(bare) << " | "
       << QString::number(fill / bare, 'f', 2) << "x | within 1.3x | " << yes(fill <= 1.3 * bare) << "\n";
    ts << "Reload after one drop, 30 thumbnails (dropped 1 s after the fill) | " << ms(reload) << " | full decode "
       << ms(full) << " | " << QString::number(full / reload, 'f', 0) << "x faster | < 50 ms | " << yes(reload < 50)
       << "\n";
    ts << "Board grown to 300 entries, peak resident memory | " << mb(growPeak) << " | full decode holds "
       << mb(fullHeld) << " for 30, so ~" << QString::number(fullHeld * 10 / 1024.0 / 1024.0, 'f', 1)
       << " GB for 300 | " << QString::number(fullHeld * 10 / growPeak, 'f', 0) << "x less | < 300 MB | "
       << yes(growPeak < 300 * 1024) << "\n";
    ts << "Viewer step, 1280 x 1000, next prepared | " << ms(step) << " | full decode " << ms(stepFull)
       << "; not prepared " << ms(stepCold) << " | " << QString::number(stepFull / step, 'f', 0)
       << "x faster | median < 30 ms | " << yes(step < 30) << "\n";
    ts << "Viewer digit key to the next picture painted, 24 MP JPEGs, next prepared | "
       << (send < 0 ? QStringLiteral("not measured (no 24 MP shoot)") : ms(send)) << " | step " << ms(step)
       << " | | median < 50 ms | " << yes(send >= 0 && send < 50) << "\n";
    ts << "Cold page fill, 30 camera JPEGs with EXIF thumbnails | " << ms(exifFill) << " | same page without "
       << ms(fill) << " | " << QString::number(exifFill / fill, 'f', 2) << "x | each file's own picture | "
       << yes(ownPictures) << "\n";
    const std::pair<const char*, const char*> cameraFigures[]
        = { { "heic", "Cold page fill, 30 HEIC photos (5120 x 2880, 320-pixel embedded thumbnail)" },
              { "heic_bare", "Cold page fill, 30 HEIC photos without an embedded thumbnail (decoded whole)" },
              { "raw", "Cold page fill, 30 RAW files alone (copies of a RAF, from its preview)" } };
    for (const auto& [key, title] : cameraFigures) {
        const double camera = median(r.value(QString::fromLatin1(key) + QStringLiteral("_fill")));
        ts << title << " | " << ms(camera) << " | the JPEG page " << ms(fill) << " | "
           << QString::number(camera / fill, 'f', 2) << "x | within 2x | " << yes(camera > 0 && camera <= 2 * fill)
           << " (" << last.value(QString::fromLatin1(key) + QStringLiteral("_stats")) << ")\n";
    }
    ts << "Cold page fill, 30 RAW+JPEG pairs with an XMP each (the JPEG page, a RAF and a sidecar beside each) | "
       << ms(M("pairs_fill")) << " | the JPEG page " << ms(fill) << " | "
       << QString::number(M("pairs_fill") / fill, 'f', 2) << "x | within 1.1x | "
       << yes(M("pairs_fill") > 0 && M("pairs_fill") <= 1.1 * fill) << " (" << last.value(QStringLiteral("pairs_stats"))
       << ")\n";
    ts << "Drop of one unit (JPEG, RAF and XMP) onto a target on the same file system, before the reload | "
       << ms(M("pairs_drop")) << " | - | - | whole unit moved | "
       << yes(last.value(QStringLiteral("pairs_left")) == "0") << "\n";
    ts << "Page of 30 PNG bombs (16384 x 16384, 1 GiB each decoded whole), peak resident memory | " << mb(bombPeak)
       << " | whole decode 1024 MB each | " << QString::number(1024.0 * 1024 / bombPeak, 'f', 1)
       << "x less than one | < 300 MB | " << yes(bombPeak > 0 && bombPeak < 300 * 1024) << "\n";
    ts << "Page of 30 hostile files (progressive JPEGs claiming 40000 x 40000 and 45000 x 45000, PNGs with a "
          "text chunk claiming 1 GiB), peak resident memory | "
       << mb(hostilePeak) << " | a page of PNG bombs " << mb(bombPeak) << " | "
       << QString::number(hostilePeak / bombPeak, 'f', 2) << "x | < 300 MB | "
       << yes(hostilePeak > 0 && hostilePeak < 300 * 1024) << "\n";
    ts << "Folder opened again in a new run, 30 in the shared cache | " << ms(again) << " | cold fill " << ms(fill)
       << " | " << QString::number(fill / again, 'f', 1) << "x faster | < 100 ms | " << yes(again < 100) << "\n";
    ts << "Board laid out again after a resize, 300 entries, every thumbnail cached (slowest of four) | "
       << ms(M("relayout")) << " | - | - | < 50 ms | " << yes(M("relayout") >= 0 && M("relayout") < 50) << "\n";
    ts << "From 実行 to the first painted thumbnail, one picture, size 64 | " << ms(M("paint_one")) << " | - | - | "
       << "- | -\n";
    ts << "From 実行 to the whole 30-picture page painted, size 64 | " << ms(M("paint_page_all")) << " (first "
       << ms(M("paint_page")) << ") | gdk-pixbuf-thumbnailer -s 64, two at a time " << ms(M("desktop64")) << " | "
       << QString::number(M("desktop64") / M("paint_page_all"), 'f', 2) << "x | faster than the desktop's | "
       << yes(M("paint_page_all") >= 0 && M("paint_page_all") < M("desktop64")) << "\n";
    ts << "Start-up to the folder screen on a folder of 100,000 pictures | " << ms(M("start")) << " | "
       << last.value(QStringLiteral("start_listed")) << " listed; end and back " << ms(M("scroll")) << " | | < 1 s | "
       << yes(M("start") > 0 && M("start") < 1000) << "\n";
    const double within = median(moves.value(QStringLiteral("within_lumo")));
    const double across = median(moves.value(QStringLiteral("across_lumo")));
    const double acrossMv = median(moves.value(QStringLiteral("across_mv")));
    ts << "Move of a 100 MB file within one file system | " << ms(within) << " | mv "
       << ms(median(moves.value(QStringLiteral("within_mv")))) << " (with its start) | a rename | < 5 ms | "
       << yes(within >= 0 && within < 5) << "\n";
    ts << "Move of a 100 MB file from a tmpfs to the disk, copy and source synced | " << ms(across) << " | mv "
       << ms(acrossMv) << ", which syncs nothing | " << QString::number(across / acrossMv, 'f', 2)
       << "x; the syncs cost ~" << ms(across - acrossMv) << " | no file lost in a power cut | " << yes(across >= 0)
       << "\n";
    ts << "\n";
    ts << "Medians of " << runs << " runs (the 300-entry board: " << std::min(runs, 3) << "), "
       << QThread::idealThreadCount() << " cores, load average " << load0 << " before and " << load1 << " after.\n";
    ts << "Reload with the drop made the moment the fill ended: " << ms(M("reload_at_once")) << ".\n";
    ts << "Peak memory of the cold fill child " << mb(M("fill_peak")) << ", of the full-decode child "
       << mb(M("full_peak")) << "; the 300-entry board took " << ms(M("grow_ms")) << " for "
       << last.value(QStringLiteral("grow_commands")) << " load-more commands.\n";
    // CPU time does not depend on how much of the machine others leave free.
    ts << "CPU time (all threads): cold fill " << ms(M("fill_cpu")) << ", bare limit " << ms(M("bare_cpu"))
       << ", full decode " << ms(M("full_cpu")) << " (" << QString::number(M("full_cpu") / M("fill_cpu"), 'f', 1)
       << "x the fill's work).\n";
    ts << "Last run: cold fill " << last.value(QStringLiteral("fill_stats")) << "; reload "
       << last.value(QStringLiteral("reload_stats")) << "; new run " << last.value(QStringLiteral("again_fill_stats"))
       << "; 300 entries " << last.value(QStringLiteral("grow_slots")) << " tiles shown, "
       << last.value(QStringLiteral("grow_stats")) << "; viewer area " << last.value(QStringLiteral("viewer_area"))
       << "; bare limit on " << last.value(QStringLiteral("bare_threads")) << " threads.\n";
    ts << "EXIF page: " << exifStats << "; PNG bombs: " << last.value(QStringLiteral("bomb_slots")) << " tiles shown, "
       << last.value(QStringLiteral("bomb_stats")) << ", " << ms(M("bomb_fill"))
       << "; hostile page: " << last.value(QStringLiteral("hostile_slots")) << " tiles shown.\n";
    ts.flush();
    std::fputs(qPrintable(text), stdout);
    QFile result(QDir(work).filePath(QStringLiteral("bench-result.md")));
    if (result.open(QIODevice::WriteOnly))
        result.write(text.toUtf8());
    return 0;
}

}

int main(int argc, char** argv)
{
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (mode.startsWith(QLatin1String("child-"))) {
        QApplication a(argc, argv);
        const QStringList args = a.arguments();
        if (mode == QLatin1String("child-board"))
            return childBoard(args);
        if (mode == QLatin1String("child-start"))
            return childStart(args);
        if (mode == QLatin1String("child-grow"))
            return childGrow(args);
        if (mode == QLatin1String("child-paint"))
            return childFirstPaint(args);
        if (mode == QLatin1String("child-viewer"))
            return childViewer(args);
        if (mode == QLatin1String("child-viewer-send"))
            return childViewerSend(args);
        if (mode == QLatin1String("child-full"))
            return childFull(args);
        if (mode == QLatin1String("child-bare"))
            return childBare(args);
        return 2;
    }
    QCoreApplication a(argc, argv);
    return orchestrate(a.arguments());
}
