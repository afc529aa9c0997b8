#include "distribute/Transfer.h"
#include "distribute/Renaming.h"
#include "distribute/UndoHistory.h"
#include "platform/FileOps.h"
#include "platform/Numeric.h"
#include "session/Session.h"
#include "session/Settings.h"
#include <QDir>

namespace Distribute {

// A reason without its closing "。", to sit inside parentheses of a longer sentence.
static QString inner(QString reason)
{
    if (reason.endsWith(u'。'))
        reason.chop(1);
    return reason;
}

bool isUnsetFolder(const QString& path)
{
    if (path.trimmed().isEmpty())
        return true;
    const QString clean = QDir::cleanPath(QDir::fromNativeSeparators(path));
    const QString root = QDir::cleanPath(QDir::fromNativeSeparators(FileOps::rootPath()));
#ifdef Q_OS_WIN
    return clean.compare(root, Qt::CaseInsensitive) == 0;
#else
    return clean == root;
#endif
}

QString unsetFolderMessage(int k)
{
    const QString which
        = k == 10 ? QStringLiteral("削除フォルダ") : QStringLiteral("移動先フォルダ") + QChar(0xFF10 + k);
    return QStringLiteral("%1が設定されていません。"
                          "メニューの「オプション」→「移動先フォルダ設定」でフォルダを指定して下さい。")
        .arg(which);
}

TransferResult transferDrop(Settings& settings, Session& session, UndoHistory& history, int k,
    const QString& sourceFolder, const QString& fileName, const FileActions& fs)
{
    TransferResult result;
    const QString source = FileOps::joinPath(sourceFolder, fileName);
    const bool validTarget = k >= 0 && k <= 9;
    const QString destFolder = validTarget ? settings.destPaths[static_cast<size_t>(k)] : QString();
    // Exact text comparison: a copy-mode drop on the delete folder's path still moves.
    const bool deleteSource = !session.copyMode || destFolder == settings.destPaths[10];

    const UndoEntry dropped = history.shiftDown();
    auto fail = [&](const QString& reason) {
        history.shiftUp(dropped);
        result.ok = false;
        result.message = (deleteSource ? QStringLiteral("「%1」を移動できませんでした。\n")
                                       : QStringLiteral("「%1」をコピーできませんでした。\n"))
                             .arg(fileName)
            + reason;
        return result;
    };

    if (!validTarget)
        return fail(QStringLiteral("移動先の番号（%1）が正しくありません。").arg(k));
    if (isUnsetFolder(destFolder))
        return fail(unsetFolderMessage(k));
    if (fileName.isEmpty())
        return fail(QStringLiteral("ファイル名がありません。"));

    if (!FileOps::fileExists(source))
        return fail(QStringLiteral("元のファイルが見つかりません。"));

    // A name already in the folder (a wrapped counter, one edited back, files from an
    // earlier session) is never replaced: the counter moves on to the next free serial.
    // The dialog stores paths with a trailing separator; one typed into the settings
    // file without it still gets the name inside the folder, not glued to it.
    const auto rule = static_cast<size_t>(settings.nameRule >= 0 && settings.nameRule <= 2 ? settings.nameRule : 0);
    const int32_t firstCounter = settings.serials[rule];
    int32_t counter = firstCounter;
    NewName n;
    QString dest;
    for (int tries = 0;; ++tries) {
        n = newNameFor(settings, k, fileName, counter);
        if (!n.ok)
            return fail(n.error);
        dest = FileOps::joinPath(destFolder, n.name);
        if (!FileOps::entryExists(dest))
            break;
        if (tries + 1 == MaxNameTries)
            return fail(QStringLiteral(
                "移動先に空いている名前が見つかりませんでした（通し番号 %1 から %2 個がすべて使われています）。"
                "「移動先フォルダ設定」で通し番号を設定し直してください。")
                            .arg(Numeric::formatSerial(serialToUse(firstCounter)))
                            .arg(MaxNameTries));
        counter = n.serial + 1;
    }
    result.newName = n.name;
    result.destination = dest;

    // A failure here shows again in the copy or the delete, which say why.
    fs.setNormalAttributes(source);

    if (const auto copied = fs.copyFile(source, dest); !copied)
        return fail(copied.error);
    // The source goes only once a whole copy is known to be in place.
    if (FileOps::fileLength(dest) != FileOps::fileLength(source)) {
        fs.deleteFile(dest);
        return fail(QStringLiteral("コピーしたファイルの大きさが元のファイルと一致しません。"));
    }

    if (deleteSource) {
        if (const auto deleted = fs.deleteFile(source); !deleted) {
            if (fs.deleteFile(dest))
                return fail(QStringLiteral("元のファイルを削除できませんでした（%1）。"
                                           "コピーしたファイルは取り除いたので、ファイルは元の場所にあります。")
                                .arg(inner(deleted.error)));
            // Both stay: record the copy like a copy-mode drop so undo can take it back.
            result.duplicateLeft = true;
            result.message = QStringLiteral("「%1」を移動できませんでした。\n元のファイルを削除できず（%2）、"
                                            "コピーした「%3」も取り除けませんでした。"
                                            "ファイルは両方の場所にあります。アンドゥでコピーを取り除けます。")
                                 .arg(fileName, inner(deleted.error), dest);
        } else {
            result.sourceDeleted = true;
        }
    }

    UndoEntry& entry = history.newest();
    entry.From = source;
    entry.To = dest;
    entry.Kind = n.rule;
    settings.serials[static_cast<size_t>(n.rule)] = n.serial + 1;
    result.ok = !result.duplicateLeft;
    return result;
}

}
