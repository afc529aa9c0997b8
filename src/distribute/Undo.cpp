#include "distribute/Undo.h"
#include "distribute/UndoHistory.h"
#include "platform/FileOps.h"
#include "session/Settings.h"
#include <QFile>
#include <QFileInfo>
#include <limits>

namespace Distribute {

static bool sameContent(const QString& a, const QString& b)
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

static bool sameFile(const QString& a, const QString& b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

static QString inner(QString reason)
{
    if (reason.endsWith(u'。'))
        reason.chop(1);
    return reason;
}

UndoResult undoLast(Settings& settings, UndoHistory& history, const FileActions& fs)
{
    UndoResult result;
    if (!history.canUndo())
        return result;

    const UndoEntry e = history.newest();
    const QString name = QFileInfo(e.From).fileName();
    result.restoredPath = e.From;

    const QString head = QStringLiteral("「%1」を元に戻せませんでした。\n").arg(name);
    auto keep = [&](const QString& reason) {
        result.outcome = UndoResult::Outcome::Kept;
        result.message = head + reason
            + QStringLiteral("\nこの操作は履歴に残してあるので、原因を取り除いてからもう一度アンドゥできます。");
        return result;
    };
    // The counter stays: the number was used for a file that is no longer ours to take back.
    auto drop = [&](const QString& reason) {
        history.shiftUp();
        result.outcome = UndoResult::Outcome::EntryDropped;
        result.message = head + reason + QStringLiteral("\nこの操作は履歴から外しました。");
        return result;
    };
    auto done = [&] {
        if (e.Kind >= 0 && e.Kind <= 2) {
            int32_t& counter = settings.serials[static_cast<size_t>(e.Kind)];
            if (counter > std::numeric_limits<int32_t>::min())
                --counter;
        }
        history.shiftUp();
        result.outcome = UndoResult::Outcome::Restored;
        result.message.clear();
        return result;
    };

    if (!FileOps::fileExists(e.To))
        return drop(QStringLiteral("移動先の「%1」がもうありません。").arg(e.To));
    // Two names for one file: removing To would remove the only copy.
    if (sameFile(e.From, e.To))
        return drop(QStringLiteral("元の場所と移動先が同じファイルです。"));

    fs.setNormalAttributes(e.To);

    if (FileOps::entryExists(e.From)) {
        if (!FileOps::fileExists(e.From))
            return keep(QStringLiteral("元の場所「%1」に同じ名前のフォルダがあります。").arg(e.From));
        if (!sameContent(e.From, e.To))
            return keep(QStringLiteral("元の場所に内容の異なる「%1」があるため、上書きしませんでした。"
                                       "どちらのファイルもそのまま残してあります。")
                            .arg(name));
        // A copy-mode transfer: the source is still there, so only the copy goes.
        if (const auto deleted = fs.deleteFile(e.To); !deleted)
            return keep(QStringLiteral("移動先の「%1」を削除できませんでした（%2）。").arg(e.To, inner(deleted.error)));
        return done();
    }

    const QString folder = QFileInfo(e.From).absolutePath();
    // The user wants the file back where it was, so a folder removed meanwhile is made again.
    if (!FileOps::folderExists(folder) && !fs.makeFolder(folder))
        return keep(QStringLiteral("元のフォルダ「%1」を作れませんでした。").arg(folder));

    if (const auto copied = fs.copyFile(e.To, e.From); !copied)
        return keep(copied.error);
    if (FileOps::fileLength(e.From) != FileOps::fileLength(e.To)) {
        fs.deleteFile(e.From);
        return keep(QStringLiteral("戻したファイルの大きさが移動先のファイルと一致しません。"));
    }

    if (const auto deleted = fs.deleteFile(e.To); !deleted) {
        const QString why = QStringLiteral("移動先の「%1」を削除できませんでした（%2）。").arg(e.To, inner(deleted.error));
        if (fs.deleteFile(e.From))
            return keep(why);
        // Both stay identical; the next undo finds the same bytes at From and only removes To.
        return keep(why + QStringLiteral("元の場所にも同じファイルがあります。"));
    }
    return done();
}

}
