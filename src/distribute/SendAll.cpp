#include "distribute/SendAll.h"
#include "distribute/Transfer.h"
#include "distribute/UndoHistory.h"
#include "platform/FileOps.h"
#include "session/Settings.h"
#include <QFileInfo>
#include <algorithm>

namespace Distribute {

QString freeNameIn(const QString& folder, const QString& fileName)
{
    if (!FileOps::entryExists(FileOps::joinPath(folder, fileName)))
        return fileName;
    const qsizetype dot = fileName.lastIndexOf(u'.');
    const QString stem = dot < 0 ? fileName : fileName.left(dot);
    const QString ext = dot < 0 ? QString() : fileName.mid(dot);
    for (int n = 2; n <= 9999; ++n) {
        const QString candidate = QStringLiteral("%1 (%2)%3").arg(stem).arg(n).arg(ext);
        if (!FileOps::entryExists(FileOps::joinPath(folder, candidate)))
            return candidate;
    }
    return QString();
}

static QString inner(QString reason)
{
    if (reason.endsWith(u'。'))
        reason.chop(1);
    return reason;
}

static QString summary(const std::vector<SendAllFailure>& failures)
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

SendAllResult sendAllToDeleteFolder(Settings& settings, UndoHistory& history, const QString& sourceFolder,
    const QStringList& fileNames, int reached, const SendAllCallbacks& cb, const FileActions& fs)
{
    SendAllResult result;
    // Read once: a dialog opened while events run changes the next command, not this one.
    const QString deleteFolder = settings.destPaths[10];
    if (isUnsetFolder(deleteFolder)) {
        result.message = unsetFolderMessage(10);
        return result;
    }
    const QString canonicalDelete = QFileInfo(deleteFolder).canonicalFilePath();
    if (!canonicalDelete.isEmpty() && canonicalDelete == QFileInfo(sourceFolder).canonicalFilePath()) {
        result.message = QStringLiteral("削除フォルダが元のフォルダと同じため、何もしませんでした。");
        return result;
    }

    const int last = std::min<qsizetype>(reached, fileNames.size());
    for (int i = 0; i < last; ++i) {
        const QString& name = fileNames.at(i);
        const QString source = FileOps::joinPath(sourceFolder, name);
        auto failed = [&](const QString& reason) {
            result.failures.push_back({ i, name, reason });
            if (cb.showThumbnail)
                cb.showThumbnail(i);
        };

        fs.setNormalAttributes(source);
        if (!name.isEmpty() && FileOps::fileExists(source)) {
            const UndoEntry dropped = history.shiftDown();
            if (cb.hideThumbnail)
                cb.hideThumbnail(i);
            fs.setNormalAttributes(source);

            const QString stored = freeNameIn(deleteFolder, name);
            const QString dest = FileOps::joinPath(deleteFolder, stored);
            bool record = false;
            if (stored.isEmpty()) {
                failed(QStringLiteral("削除フォルダに空いている名前がありません。"));
            } else if (const auto copied = fs.copyFile(source, dest); !copied) {
                failed(copied.error);
            } else if (FileOps::fileLength(dest) != FileOps::fileLength(source)) {
                fs.deleteFile(dest);
                failed(QStringLiteral("コピーしたファイルの大きさが元のファイルと一致しません。"));
            } else if (const auto deleted = fs.deleteFile(source); !deleted) {
                if (fs.deleteFile(dest)) {
                    failed(QStringLiteral("元のファイルを削除できませんでした（%1）。").arg(inner(deleted.error)));
                } else {
                    // Both stay: the copy is recorded so undo can take it back.
                    failed(QStringLiteral("元のファイルを削除できず（%1）、削除フォルダのコピーも取り除けませんでした。"
                                          "アンドゥでコピーを取り除けます。")
                               .arg(inner(deleted.error)));
                    record = true;
                }
            } else {
                record = true;
                ++result.moved;
                if (stored != name)
                    result.renamed.push_back({ i, name, stored });
            }

            if (record) {
                UndoEntry& entry = history.newest();
                entry.From = source;
                entry.To = dest;
                entry.Kind = 3;
            } else {
                history.shiftUp(dropped);
            }
        }
        if (cb.processEvents)
            cb.processEvents();
    }
    result.message = summary(result.failures);
    return result;
}

}
