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

// A reason without its closing "。", to sit inside parentheses of a longer sentence.
QString inner(QString reason)
{
    if (reason.endsWith(u'。'))
        reason.chop(1);
    return reason;
}

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

QString summary(const std::vector<SendAllFailure>& failures)
{
    if (failures.empty())
        return QString();
    constexpr size_t shown = 20;
    QString text = QStringLiteral("次のファイルは削除フォルダへ送れませんでした。元の場所に残っています。\n");
    for (size_t i = 0; i < failures.size() && i < shown; ++i)
        text += QStringLiteral("\n・%1（%2）").arg(failures[i].fileName, inner(failures[i].reason));
    if (failures.size() > shown)
        text += QStringLiteral("\nほか %1 件").arg(failures.size() - shown);
    return text;
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
        emit failed(result.message);
    }
    return result;
}

TransferResult Sorter::transferFiles(int k, const QString& sourceFolder, const QString& fileName)
{
    TransferResult result;
    const QString source = FileOps::joinPath(sourceFolder, fileName);
    const bool validTarget = k >= 0 && k <= 9;
    const QString destFolder = validTarget ? m_settings.destPaths[static_cast<size_t>(k)] : QString();
    // A copy-mode drop on the delete folder still moves, however either path is written.
    const bool deleteSource = !m_session.copyMode || destFolder == m_settings.destPaths[10]
        || FolderIdentity::same(destFolder, m_settings.destPaths[10]);

    const UndoEntry dropped = m_history.shiftDown();
    QList<CompanionMove> companionsMoved;
    auto fail = [&](QString reason) {
        reason += takeBackCompanions(companionsMoved, deleteSource);
        companionsMoved.clear();
        m_history.shiftUp(dropped);
        result.ok = false;
        result.message = (deleteSource ? QStringLiteral("「%1」を移動できませんでした。\n")
                                       : QStringLiteral("「%1」をコピーできませんでした。\n"))
                             .arg(fileName)
            + reason;
        return result;
    };

    if (!validTarget)
        return fail(QStringLiteral("移動先の番号（%1）が正しくありません。").arg(k));
    if (Settings::isUnsetFolder(destFolder))
        return fail(Settings::unsetFolderMessage(k));
    if (fileName.isEmpty())
        return fail(QStringLiteral("ファイル名がありません。"));

    if (!FileOps::fileExists(source))
        return fail(QStringLiteral("元のファイルが見つかりません。"));

    // A name already in the folder (a wrapped counter, one edited back, files from an
    // earlier session) is never replaced: the counter moves on to the next free serial.
    // The dialog stores paths with a trailing separator; one typed into the settings
    // file without it still gets the name inside the folder, not glued to it.
    const auto rule
        = static_cast<size_t>(m_settings.nameRule >= 0 && m_settings.nameRule <= 2 ? m_settings.nameRule : 0);
    const int32_t firstCounter = m_settings.serials[rule];
    int32_t counter = firstCounter;
    // One serial for the whole unit: free for the picture and every companion.
    const QStringList companions
        = m_session.companionsFollow ? Companions::find(sourceFolder, fileName) : QStringList();
    Renaming::NewName n;
    QString dest;
    for (int tries = 0;; ++tries) {
        n = Renaming::newNameFor(m_settings, k, fileName, counter);
        if (!n.ok)
            return fail(n.error);
        dest = FileOps::joinPath(destFolder, n.name);
        if (Companions::unitFree(destFolder, fileName, companions, n.name))
            break;
        if (tries + 1 == Renaming::MaxNameTries)
            return fail(QStringLiteral(
                "移動先に空いている名前が見つかりませんでした（通し番号 %1 から %2 個がすべて使われています）。"
                "「移動先フォルダ設定」で通し番号を設定し直してください。")
                            .arg(Numeric::formatSerial(Renaming::serialToUse(firstCounter)))
                            .arg(Renaming::MaxNameTries));
        counter = n.serial + 1;
    }
    result.newName = n.name;
    result.destination = dest;

    // The companions first: the picture's own failures then keep their words.
    if (const QString why = moveCompanions(
            Companions::moves(sourceFolder, fileName, companions, destFolder, n.name), deleteSource, companionsMoved);
        !why.isEmpty())
        return fail(why);

    // A failure here shows again in the copy or the delete, which say why.
    m_actions.setNormalAttributes(source);

    const FileMove::Result moved = moveResponsive(source, dest, deleteSource, { fileName });
    switch (moved.outcome) {
    case FileMove::Outcome::CopyFailed:
        return fail(moved.error);
    case FileMove::Outcome::LengthDiffers:
        return fail(QStringLiteral("コピーしたファイルの大きさが元のファイルと一致しません。"));
    case FileMove::Outcome::SourceKept:
        return fail(QStringLiteral("元のファイルを削除できませんでした（%1）。"
                                   "コピーしたファイルは取り除いたので、ファイルは元の場所にあります。")
                        .arg(inner(moved.error)));
    case FileMove::Outcome::BothLeft:
        // Both stay: record the copy like a copy-mode drop so undo can take it back.
        result.duplicateLeft = true;
        result.message = QStringLiteral("「%1」を移動できませんでした。\n元のファイルを削除できず（%2）、"
                                        "コピーした「%3」も取り除けませんでした。"
                                        "ファイルは両方の場所にあります。アンドゥでコピーを取り除けます。")
                             .arg(fileName, inner(moved.error), dest)
            + takeBackCompanions(companionsMoved, deleteSource);
        companionsMoved.clear();
        break;
    case FileMove::Outcome::Done:
        result.sourceDeleted = deleteSource;
        break;
    }

    UndoEntry& entry = m_history.newest();
    entry.from = source;
    entry.to = dest;
    entry.kind = n.rule;
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
    if (!result.message.isEmpty())
        emit failed(result.message);
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

    const QString head = QStringLiteral("「%1」を元に戻せませんでした。\n").arg(name);
    // Companions already back go to the destination again: the unit stays whole there.
    QList<ReturnedCompanion> returned;
    auto keep = [&](const QString& reason) {
        result.outcome = UndoResult::Outcome::Kept;
        result.message = head + reason + putBackCompanions(returned)
            + QStringLiteral("\nこの操作は履歴に残してあるので、原因を取り除いてからもう一度アンドゥできます。");
        return result;
    };
    // The counter stays: the number was used for a file that is no longer ours to take back.
    auto drop = [&](const QString& reason) {
        m_history.shiftUp();
        result.outcome = UndoResult::Outcome::EntryDropped;
        result.message = head + reason + QStringLiteral("\nこの操作は履歴から外しました。");
        return result;
    };
    auto done = [&] {
        if (e.kind >= 0 && e.kind <= 2) {
            int32_t& counter = m_settings.serials[static_cast<size_t>(e.kind)];
            const int64_t back = int64_t(counter) - std::max<int32_t>(1, e.serialAdvance);
            counter = static_cast<int32_t>(std::max<int64_t>(back, std::numeric_limits<int32_t>::min()));
        }
        m_history.shiftUp();
        result.outcome = UndoResult::Outcome::Restored;
        result.message.clear();
        return result;
    };

    if (!FileOps::fileExists(e.to))
        return drop(QStringLiteral("移動先の「%1」がもうありません。").arg(e.to));
    // Two names for one file: removing the one it went to would remove the only copy.
    if (sameFile(e.from, e.to))
        return drop(QStringLiteral("元の場所と移動先が同じファイルです。"));

    // A different file where a companion came from keeps the whole unit where it is.
    for (const CompanionMove& c : e.companions)
        if (FileOps::fileExists(c.to) && FileOps::entryExists(c.from) && !sameContent(c.from, c.to))
            return keep(QStringLiteral("元の場所に内容の異なる「%1」があるため、上書きしませんでした。"
                                       "どちらのファイルもそのまま残してあります。")
                            .arg(QFileInfo(c.from).fileName()));

    m_actions.setNormalAttributes(e.to);

    // A copy-mode transfer: the source is still there, so only the copy goes.
    const bool copied = FileOps::entryExists(e.from);
    if (copied) {
        if (!FileOps::fileExists(e.from))
            return keep(QStringLiteral("元の場所「%1」に同じ名前のフォルダがあります。").arg(e.from));
        if (!sameContent(e.from, e.to))
            return keep(QStringLiteral("元の場所に内容の異なる「%1」があるため、上書きしませんでした。"
                                       "どちらのファイルもそのまま残してあります。")
                            .arg(name));
    } else {
        const QString folder = QFileInfo(e.from).absolutePath();
        // The user wants the file back where it was, so a folder removed meanwhile is made again.
        if (!FileOps::folderExists(folder) && !m_actions.makeFolder(folder))
            return keep(QStringLiteral("元のフォルダ「%1」を作れませんでした。").arg(folder));
    }

    if (const QString why = returnCompanions(e.companions, returned); !why.isEmpty())
        return keep(why);
    if (copied) {
        if (const auto deleted = m_actions.deleteFile(e.to); !deleted)
            return keep(QStringLiteral("移動先の「%1」を削除できませんでした（%2）。").arg(e.to, inner(deleted.error)));
        return done();
    }

    const FileMove::Result moved = moveResponsive(e.to, e.from, true, { name });
    switch (moved.outcome) {
    case FileMove::Outcome::Done:
        return done();
    case FileMove::Outcome::CopyFailed:
        return keep(moved.error);
    case FileMove::Outcome::LengthDiffers:
        return keep(QStringLiteral("戻したファイルの大きさが移動先のファイルと一致しません。"));
    case FileMove::Outcome::SourceKept:
    case FileMove::Outcome::BothLeft:
        break;
    }
    const QString why = QStringLiteral("移動先の「%1」を削除できませんでした（%2）。").arg(e.to, inner(moved.error));
    if (moved.outcome == FileMove::Outcome::SourceKept)
        return keep(why);
    // Both stay identical; the next undo finds the same bytes where the file came from
    // and only removes the other.
    return keep(why + QStringLiteral("元の場所にも同じファイルがあります。"));
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
    if (!result.message.isEmpty())
        emit failed(result.message);
    return result;
}

SendAllResult Sorter::sendAllFiles(
    const QString& sourceFolder, const QStringList& fileNames, const QList<int>& positions)
{
    SendAllResult result;
    // Read once: a dialog opened while events run changes the next command, not this one.
    const QString deleteFolder = m_settings.destPaths[10];
    if (Settings::isUnsetFolder(deleteFolder)) {
        result.message = Settings::unsetFolderMessage(10);
        return result;
    }
    if (FolderIdentity::same(deleteFolder, sourceFolder)) {
        result.message = QStringLiteral("削除フォルダが元のフォルダと同じため、何もしませんでした。");
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
        auto failed = [&](const QString& reason) {
            result.failures.push_back({ i, name, reason });
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
            const QString dest = FileOps::joinPath(deleteFolder, stored);
            QList<CompanionMove> companionsMoved;
            bool record = false;
            if (stored.isEmpty()) {
                failed(QStringLiteral("削除フォルダに空いている名前がありません。"));
            } else if (const QString why
                       = moveCompanions(Companions::moves(sourceFolder, name, companions, deleteFolder, stored), true,
                           companionsMoved);
                       !why.isEmpty()) {
                failed(why);
            } else {
                const FileMove::Result moved
                    = moveResponsive(source, dest, true, { name, number, int(positions.size()) });
                switch (moved.outcome) {
                case FileMove::Outcome::CopyFailed:
                    failed(moved.error);
                    break;
                case FileMove::Outcome::LengthDiffers:
                    failed(QStringLiteral("コピーしたファイルの大きさが元のファイルと一致しません。"));
                    break;
                case FileMove::Outcome::SourceKept:
                    failed(QStringLiteral("元のファイルを削除できませんでした（%1）。").arg(inner(moved.error)));
                    break;
                case FileMove::Outcome::BothLeft:
                    // Both stay: the copy is recorded so undo can take it back.
                    failed(QStringLiteral("元のファイルを削除できず（%1）、削除フォルダのコピーも取り除けませんでした。"
                                          "アンドゥでコピーを取り除けます。")
                               .arg(inner(moved.error)));
                    record = true;
                    break;
                case FileMove::Outcome::Done:
                    record = true;
                    ++result.moved;
                    if (stored != name)
                        result.renamed.push_back({ i, name, stored });
                    break;
                }
            }

            // A picture that stayed takes its companions back with it.
            if (!result.failures.empty() && result.failures.back().position == i && !companionsMoved.isEmpty()) {
                result.failures.back().reason += takeBackCompanions(companionsMoved, true);
                companionsMoved.clear();
            }
            if (record) {
                UndoEntry& entry = m_history.newest();
                entry.from = source;
                entry.to = dest;
                entry.kind = 3;
                entry.companions = companionsMoved;
            } else {
                m_history.shiftUp(dropped);
            }
        }
        if (m_commandClock.elapsed() >= ProgressAfterMs)
            showProgress({ name, number, int(positions.size()) });
        QCoreApplication::processEvents();
    }
    result.message = summary(result.failures);
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

FileMove::Result Sorter::moveResponsive(const QString& from, const QString& to, bool deleteSource, MoveProgress shown)
{
    struct Shared {
        std::mutex mutex;
        std::condition_variable finishedChanged;
        bool finished = false;
        std::atomic<qint64> done { 0 };
    };
    Shared shared;
    QEventLoop loop;
    FileMove::Result result;
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
