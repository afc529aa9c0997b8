#include "sorting/Sorter.h"
#include "platform/FileOps.h"
#include "platform/FolderIdentity.h"
#include "platform/Numeric.h"
#include "session/Session.h"
#include "session/Settings.h"
#include "sorting/Companions.h"
#include "sorting/FileMove.h"
#include "sorting/Renaming.h"
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <mutex>
#include <thread>
#include <utility>

namespace {

// A move done within this long keeps the window's events waiting: short enough not to be
// seen, and the usual small move never lets events run in the middle of a command.
constexpr std::chrono::milliseconds QuietWait { 100 };
constexpr qint64 ProgressAfterMs = 500;
constexpr int ProgressEveryMs = 200;

bool sameContent(const QString& a, const QString& b)
{
    QFile fa(a);
    QFile fb(b);
    if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
        return false;
    constexpr qint64 chunk = 1 << 16;
    for (;;) {
        const QByteArray da = fa.read(chunk);
        const QByteArray db = fb.read(chunk);
        if (da != db)
            return false;
        if (da.isEmpty())
            return !fa.error() && !fb.error();
    }
}

bool sameFile(const QString& a, const QString& b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

}

Sorter::Sorter(Settings& settings, Session& session, FileActions actions, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_session(session)
    , m_actions(std::move(actions))
{
}

// ---- transfer

TransferResult Sorter::transfer(int target, int position, const QString& folder, const QString& name)
{
    if (m_session.isBusy() || m_moving)
        return {};
    const Session::BusyGuard busy(m_session);
    startCommand();
    emit moving(position);
    const TransferResult result = transferFiles(target, folder, name);
    endCommand();
    QCoreApplication::processEvents();
    emit historyChanged(m_history.canUndo());
    if (!result.ok) {
        emit stayed(position);
        emit transferFailed(result);
    }
    return result;
}

TransferResult Sorter::transferFiles(int target, const QString& sourceFolder, const QString& fileName)
{
    TransferResult result;
    result.fileName = fileName;
    const QString source = FileOps::joinPath(sourceFolder, fileName);
    const bool validTarget = Settings::isTarget(target);
    const QString destinationFolder
        = validTarget ? m_settings.destinationFolders[static_cast<size_t>(target)] : QString();
    // A copy-mode drop on the delete folder still moves, however either path is written.
    const bool deleteSource = !m_session.copyMode || destinationFolder == m_settings.deleteFolder()
        || FolderIdentity::same(destinationFolder, m_settings.deleteFolder());

    result.copying = !deleteSource;

    const UndoEntry dropped = m_history.shiftDown();
    QList<CompanionMove> companionsMoved;
    auto fail = [&](const Failure& why) {
        result.companionsLeft += takeBackCompanions(companionsMoved, deleteSource);
        companionsMoved.clear();
        m_history.shiftUp(dropped);
        result.ok = false;
        result.failure = why;
        return result;
    };
    auto failFor = [&](Reason reason, qint64 number = 0) {
        Failure why = Failure::of(reason);
        why.number = number;
        return fail(why);
    };

    if (!validTarget)
        return failFor(Reason::TargetInvalid, target);
    if (Settings::isUnsetFolder(destinationFolder))
        return failFor(Reason::FolderUnset, target);
    if (fileName.isEmpty())
        return failFor(Reason::NoFileName);

    if (!FileOps::fileExists(source))
        return failFor(Reason::SourceMissing);

    // A name already in the folder (a wrapped counter, one edited back, files from an
    // earlier session) is never replaced: the counter moves on to the next free serial.
    // The dialog stores paths with a trailing separator; one typed into the settings
    // file without it still gets the name inside the folder, not glued to it.
    const auto rule = static_cast<size_t>(knownRuleOrFirst(m_settings.namingRule));
    const int32_t firstCounter = m_settings.serials[rule];
    int32_t counter = firstCounter;
    // One serial for the whole unit: free for the picture and every companion.
    const QStringList companions
        = m_session.companionsFollow ? Companions::find(sourceFolder, fileName) : QStringList();
    Renaming::NewName n;
    QString newPath;
    for (int tries = 0;; ++tries) {
        n = Renaming::newNameFor(m_settings, target, fileName, counter);
        if (!n.ok())
            return fail(n);
        newPath = FileOps::joinPath(destinationFolder, n.name);
        if (Companions::unitFree(destinationFolder, fileName, companions, n.name))
            break;
        if (tries + 1 == Renaming::MaxNameTries) {
            Failure why = Failure::of(Reason::NoFreeSerial);
            why.number = Renaming::serialToUse(firstCounter);
            why.count = Renaming::MaxNameTries;
            return fail(why);
        }
        counter = n.serial + 1;
    }
    result.newName = n.name;
    result.newPath = newPath;

    // The companions first: the picture's own failures then keep their words.
    if (const Failure why
        = moveCompanions(Companions::moves(sourceFolder, fileName, companions, destinationFolder, n.name), deleteSource,
            companionsMoved, result.companionsLeft);
        !why.ok())
        return fail(why);

    // A failure here shows again in the copy or the delete, which say why.
    m_actions.setNormalAttributes(source);

    const Failure moved = moveResponsive(source, newPath, deleteSource, { fileName });
    if (moved.reason == Reason::BothLeft) {
        // Both stay: record the copy like a copy-mode drop so undo can take it back.
        result.duplicateLeft = true;
        result.failure = moved;
        result.failure.path = newPath;
        result.companionsLeft += takeBackCompanions(companionsMoved, deleteSource);
        companionsMoved.clear();
    } else if (!moved.ok()) {
        return fail(moved);
    } else {
        result.sourceDeleted = deleteSource;
    }

    UndoEntry& entry = m_history.newest();
    entry.from = source;
    entry.to = newPath;
    entry.kind = historyKindOf(n.rule);
    entry.companions = companionsMoved;
    // Counted from the serial the counter stood for, so a counter that wrapped to 0 is
    // given back to 0, not to the value before the wrap.
    entry.serialAdvance = std::max<int32_t>(1, n.serial + 1 - Renaming::serialToUse(firstCounter));
    m_settings.serials[static_cast<size_t>(n.rule)] = n.serial + 1;
    result.ok = !result.duplicateLeft;
    return result;
}

// ---- undo

UndoResult Sorter::undoLast()
{
    if (m_moving)
        return {};
    startCommand();
    const UndoResult result = undoFiles();
    endCommand();
    using Outcome = UndoResult::Outcome;
    if (result.outcome == Outcome::Restored || result.outcome == Outcome::EntryDropped)
        emit undone();
    emit historyChanged(m_history.canUndo());
    if (result.worthTelling())
        emit undoFailed(result);
    return result;
}

UndoResult Sorter::undoFiles()
{
    UndoResult result;
    if (!m_history.canUndo())
        return result;

    const UndoEntry e = m_history.newest();
    const QString name = QFileInfo(e.from).fileName();
    result.restoredPath = e.from;

    // Companions already back go to the destination again: the unit stays whole there.
    QList<ReturnedCompanion> returned;
    auto keep = [&](const Failure& why) {
        result.outcome = UndoResult::Outcome::Kept;
        result.failure = why;
        result.companionsStillBack = putBackCompanions(returned);
        return result;
    };
    // The counter stays: the number was used for a file that is no longer ours to take back.
    auto drop = [&](const Failure& why) {
        m_history.shiftUp();
        result.outcome = UndoResult::Outcome::EntryDropped;
        result.failure = why;
        return result;
    };
    auto about = [](Reason reason, const QString& path, const QString& other = QString()) {
        Failure why = Failure::of(reason);
        why.path = path;
        why.other = other;
        return why;
    };
    auto done = [&] {
        if (e.kind != HistoryKind::SentToDeleteFolder) {
            int32_t& counter = m_settings.serials[static_cast<size_t>(e.kind)];
            const int64_t back = int64_t(counter) - std::max<int32_t>(1, e.serialAdvance);
            counter = static_cast<int32_t>(std::max<int64_t>(back, std::numeric_limits<int32_t>::min()));
        }
        m_history.shiftUp();
        result.outcome = UndoResult::Outcome::Restored;
        result.failure = Failure();
        return result;
    };

    if (!FileOps::fileExists(e.to))
        return drop(about(Reason::TargetGone, e.to));
    // Two names for one file: removing the one it went to would remove the only copy.
    if (sameFile(e.from, e.to))
        return drop(Failure::of(Reason::SameFile));

    // A different file where a companion came from keeps the whole unit where it is.
    for (const CompanionMove& c : e.companions)
        if (FileOps::fileExists(c.to) && FileOps::entryExists(c.from) && !sameContent(c.from, c.to))
            return keep(about(Reason::DifferentFileInWay, c.from, QFileInfo(c.from).fileName()));

    m_actions.setNormalAttributes(e.to);

    // A copy-mode transfer: the source is still there, so only the copy goes.
    const bool copied = FileOps::entryExists(e.from);
    if (copied) {
        if (!FileOps::fileExists(e.from))
            return keep(about(Reason::FolderInWay, e.from));
        if (!sameContent(e.from, e.to))
            return keep(about(Reason::DifferentFileInWay, e.from, name));
    } else {
        const QString folder = QFileInfo(e.from).absolutePath();
        // The user wants the file back where it was, so a folder removed meanwhile is made again.
        if (!FileOps::folderExists(folder) && !m_actions.makeFolder(folder))
            return keep(about(Reason::FolderNotMade, folder));
    }

    if (const Failure why = returnCompanions(e.companions, returned); !why.ok())
        return keep(why);
    if (copied) {
        if (const Failure deleted = m_actions.deleteFile(e.to); !deleted.ok()) {
            Failure why = about(Reason::CopyNotDeleted, e.to);
            why.error = deleted.error;
            return keep(why);
        }
        return done();
    }

    const Failure moved = moveResponsive(e.to, e.from, true, { name });
    switch (moved.reason) {
    case Reason::None:
        return done();
    case Reason::LengthDiffers:
        return keep(Failure::of(Reason::ReturnLengthDiffers));
    case Reason::SourceKept:
    case Reason::BothLeft: {
        // With BothLeft both stay identical; the next undo finds the same bytes where the
        // file came from and only removes the other.
        Failure why = about(Reason::CopyNotDeleted, e.to);
        why.error = moved.error;
        why.cause = moved.reason;
        return keep(why);
    }
    default:
        return keep(moved);
    }
}

void Sorter::forgetVanishedIn(const QString& folder)
{
    // Entries whose file went with the folder's content can never be undone: dropped
    // now, so the undo commands offer only what can still be put back. The history holds
    // the folder as it was written, the caller perhaps by another path: compared by identity.
    UndoHistory kept;
    int n = 0;
    for (int i = 0; i < UndoHistory::Size; ++i) {
        const UndoEntry& e = m_history.at(i);
        if (e.isEmpty())
            continue;
        const bool gone = !FileOps::entryExists(e.to) && FolderIdentity::same(QFileInfo(e.to).absolutePath(), folder);
        if (!gone)
            kept.at(n++) = e;
    }
    if (kept == m_history)
        return;
    m_history = kept;
    emit historyChanged(m_history.canUndo());
}

// ---- send all

SendAllResult Sorter::sendAll(QString folder, QStringList names, QList<int> positions)
{
    // The busy state stays off, so drops may run between two files; a second send all
    // started in that moment is dropped instead.
    if (m_session.isBusy() || m_sendingAll || m_moving)
        return {};
    m_sendingAll = true;
    m_cancelRequested = false;
    startCommand();
    const SendAllResult result = sendAllFiles(folder, names, positions);
    endCommand();
    emit historyChanged(m_history.canUndo());
    m_sendingAll = false;
    if (result.worthTelling())
        emit sendAllFailed(result);
    return result;
}

SendAllResult Sorter::sendAllFiles(
    const QString& sourceFolder, const QStringList& fileNames, const QList<int>& positions)
{
    SendAllResult result;
    // Read once: a dialog opened while events run changes the next command, not this one.
    const QString deleteFolder = m_settings.deleteFolder();
    if (Settings::isUnsetFolder(deleteFolder)) {
        result.refused = Failure::of(Reason::FolderUnset);
        result.refused.number = Settings::DeleteFolder;
        return result;
    }
    if (FolderIdentity::same(deleteFolder, sourceFolder)) {
        result.refused = Failure::of(Reason::DeleteFolderIsSource);
        return result;
    }

    int number = 0;
    for (const int i : positions) {
        ++number;
        if (m_cancelRequested) {
            result.cancelled = true;
            break;
        }
        if (i < 0 || i >= fileNames.size())
            continue;
        const QString& name = fileNames.at(i);
        const QString source = FileOps::joinPath(sourceFolder, name);
        auto failed = [&](const Failure& why) {
            result.failures.push_back({ i, name, why, {} });
            emit stayed(i);
        };

        m_actions.setNormalAttributes(source);
        if (!name.isEmpty() && FileOps::fileExists(source)) {
            const UndoEntry dropped = m_history.shiftDown();
            emit moving(i);
            m_actions.setNormalAttributes(source);

            const QStringList companions
                = m_session.companionsFollow ? Companions::find(sourceFolder, name) : QStringList();
            const QString stored = Companions::freeUnitName(deleteFolder, name, companions);
            const QString newPath = FileOps::joinPath(deleteFolder, stored);
            QList<CompanionMove> companionsMoved;
            QList<CompanionMove> companionsLeft;
            bool record = false;
            if (stored.isEmpty()) {
                failed(Failure::of(Reason::NoFreeName));
            } else if (const Failure why
                       = moveCompanions(Companions::moves(sourceFolder, name, companions, deleteFolder, stored), true,
                           companionsMoved, companionsLeft);
                       !why.ok()) {
                failed(why);
            } else {
                const Failure moved = moveResponsive(source, newPath, true, { name, number, int(positions.size()) });
                if (!moved.ok())
                    failed(moved);
                // Both stay: the copy is recorded so undo can take it back.
                record = moved.ok() || moved.reason == Reason::BothLeft;
                if (moved.ok()) {
                    ++result.moved;
                    if (stored != name)
                        result.renamed.push_back({ i, name, stored });
                }
            }

            // A picture that stayed takes its companions back with it.
            if (!result.failures.empty() && result.failures.back().position == i) {
                companionsLeft += takeBackCompanions(companionsMoved, true);
                companionsMoved.clear();
                result.failures.back().companionsLeft = companionsLeft;
            }
            if (record) {
                UndoEntry& entry = m_history.newest();
                entry.from = source;
                entry.to = newPath;
                entry.kind = HistoryKind::SentToDeleteFolder;
                entry.companions = companionsMoved;
            } else {
                m_history.shiftUp(dropped);
            }
        }
        if (m_commandClock.elapsed() >= ProgressAfterMs)
            showProgress({ name, number, int(positions.size()) });
        QCoreApplication::processEvents();
    }
    return result;
}

// ---- the file work off the window's thread

void Sorter::cancelSendAll()
{
    if (m_sendingAll)
        m_cancelRequested = true;
}

// A drop between two files of send all runs inside it: the outer command's clock goes on.
void Sorter::startCommand()
{
    if (m_commandDepth++ > 0)
        return;
    m_commandClock.start();
    m_progressShown = false;
}

void Sorter::showProgress(const MoveProgress& progress)
{
    m_progressShown = true;
    emit moveProgress(progress);
}

void Sorter::endCommand()
{
    if (--m_commandDepth > 0 || !m_progressShown)
        return;
    m_progressShown = false;
    emit moveProgressEnded();
}

Failure Sorter::moveResponsive(const QString& from, const QString& to, bool deleteSource, MoveProgress shown)
{
    struct Shared {
        std::mutex mutex;
        std::condition_variable finishedChanged;
        bool finished = false;
        std::atomic<qint64> done { 0 };
    };
    Shared shared;
    QEventLoop loop;
    Failure result;
    shown.bytesTotal = FileOps::fileLength(from);
    std::thread worker([&] {
        result
            = FileMove(m_actions).run(from, to, deleteSource, [&shared](qint64 done, qint64) { shared.done = done; });
        {
            const std::lock_guard<std::mutex> lock(shared.mutex);
            shared.finished = true;
        }
        shared.finishedChanged.notify_all();
        // Posted: runs in the loop below, or is dropped with it when the loop never ran.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    bool finished = false;
    {
        std::unique_lock<std::mutex> lock(shared.mutex);
        finished = shared.finishedChanged.wait_for(lock, QuietWait, [&shared] { return shared.finished; });
    }
    if (!finished) {
        QTimer ticker;
        ticker.setInterval(ProgressEveryMs);
        connect(&ticker, &QTimer::timeout, this, [&] {
            if (m_commandClock.elapsed() < ProgressAfterMs)
                return;
            shown.bytesDone = shared.done;
            showProgress(shown);
        });
        ticker.start();
        m_moving = true;
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        m_moving = false;
    }
    worker.join();
    return result;
}
