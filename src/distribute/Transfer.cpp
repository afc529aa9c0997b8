#include "distribute/Transfer.h"
#include "app/Module1.h"
#include "distribute/Renaming.h"
#include "platform/FileOps.h"

namespace Distribute {

// A reason without its closing "。", to sit inside parentheses of a longer sentence.
static QString inner(QString reason)
{
    if (reason.endsWith(u'。'))
        reason.chop(1);
    return reason;
}

TransferResult transferDrop(Module1& m, int k, const QString& sourceFolder, const QString& fileName,
    const FileActions& fs)
{
    TransferResult result;
    const QString source = FileOps::joinPath(sourceFolder, fileName);
    const bool validTarget = k >= 0 && k <= 9;
    const QString destFolder = validTarget ? m.DestPath[static_cast<size_t>(k)] : QString();
    // Exact text comparison: a copy-mode drop on the delete folder's path still moves.
    const bool deleteSource = m.CopyMode == 0 || (m.CopyMode == 1 && destFolder == m.DestPath[10]);

    const UndoEntry dropped = m.Undo.shiftDown();
    auto fail = [&](const QString& reason) {
        m.Undo.shiftUp(dropped);
        result.ok = false;
        result.message = (deleteSource ? QStringLiteral("「%1」を移動できませんでした。\n")
                                       : QStringLiteral("「%1」をコピーできませんでした。\n"))
                             .arg(fileName)
            + reason;
        return result;
    };

    if (!validTarget)
        return fail(QStringLiteral("移動先の番号（%1）が正しくありません。").arg(k));
    if (destFolder.isEmpty())
        return fail(QStringLiteral("移動先フォルダが設定されていません。"));
    if (fileName.isEmpty())
        return fail(QStringLiteral("ファイル名がありません。"));

    const NewName n = newNameFor(m, k, fileName);
    if (!n.ok)
        return fail(n.error);
    // The dialog stores paths with a trailing separator; one typed into the settings
    // file without it still gets the name inside the folder, not glued to it.
    const QString dest = FileOps::joinPath(destFolder, n.name);
    result.newName = n.name;
    result.destination = dest;

    if (!FileOps::fileExists(source))
        return fail(QStringLiteral("元のファイルが見つかりません。"));
    if (FileOps::entryExists(dest))
        return fail(QStringLiteral("移動先に同じ名前の「%1」が既にあるため、上書きせずに止めました。").arg(n.name));

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

    UndoEntry& entry = m.Undo.newest();
    entry.From = source;
    entry.To = dest;
    entry.Kind = n.rule;
    m.Serial[static_cast<size_t>(n.rule)] = n.serial + 1;
    result.ok = !result.duplicateLeft;
    return result;
}

}
