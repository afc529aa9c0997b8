#include "wording/Wording.h"
#include "platform/Numeric.h"
#include "session/Settings.h"
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace Wording {

namespace {

    // A reason without its closing "。", to sit inside parentheses of a longer sentence.
    QString inner(QString reason)
    {
        if (reason.endsWith(u'。'))
            reason.chop(1);
        return reason;
    }

    QString folderName(qint64 target)
    {
        return target == Settings::DeleteFolder ? QStringLiteral("削除フォルダ")
                                                : QStringLiteral("移動先フォルダ") + QChar(0xFF10 + int(target));
    }

    // Companions neither moved nor taken back, one line each.
    QString left(const QList<CompanionMove>& companions)
    {
        QString text;
        for (const CompanionMove& m : companions)
            text += QStringLiteral("\n「%1」は「%2」に残っています。").arg(QFileInfo(m.from).fileName(), m.to);
        return text;
    }

    // Why one file of send all stayed where it was.
    QString sendAllReason(const Failure& failure)
    {
        switch (failure.reason) {
        case Reason::SourceKept:
            return QStringLiteral("元のファイルを削除できませんでした（%1）。").arg(inner(systemError(failure.error)));
        case Reason::BothLeft:
            return QStringLiteral("元のファイルを削除できず（%1）、削除フォルダのコピーも取り除けませんでした。"
                                  "アンドゥでコピーを取り除けます。")
                .arg(inner(systemError(failure.error)));
        default:
            return messageFor(failure);
        }
    }

}

QString systemError(int error)
{
    switch (error) {
    case ENOENT:
        return QStringLiteral("ファイルまたはフォルダが見つかりません。");
    case EACCES:
    case EPERM:
        return QStringLiteral("アクセスが拒否されました。");
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("ディスクの空き容量が足りません。");
    case EEXIST:
        return QStringLiteral("同じ名前のファイルが既にあります。");
    case EROFS:
        return QStringLiteral("書き込みのできないドライブです。");
    case EBUSY:
#ifdef ETXTBSY
    case ETXTBSY:
#endif
        return QStringLiteral("ファイルが使用中です。");
    case ENAMETOOLONG:
        return QStringLiteral("ファイル名が長すぎます。");
    case EISDIR:
        return QStringLiteral("同じ名前のフォルダがあります。");
    case EIO:
        return QStringLiteral("読み書きのエラーが起きました。");
    case EXDEV:
        return QStringLiteral("別のドライブへは移動できません。");
    default:
        return QStringLiteral("ファイルの操作に失敗しました（%1）。").arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}

QString messageFor(const Failure& f)
{
    switch (f.reason) {
    case Reason::None:
        return QString();
    case Reason::System:
        return systemError(f.error);
    case Reason::FolderMissing:
        return QStringLiteral("コピー先のフォルダが見つかりません。");
    case Reason::LengthDiffers:
        return QStringLiteral("コピーしたファイルの大きさが元のファイルと一致しません。");
    case Reason::SourceKept:
        return QStringLiteral("元のファイルを削除できませんでした（%1）。"
                              "コピーしたファイルは取り除いたので、ファイルは元の場所にあります。")
            .arg(inner(systemError(f.error)));
    case Reason::BothLeft:
        return QStringLiteral("元のファイルを削除できず（%1）、コピーした「%2」も取り除けませんでした。"
                              "ファイルは両方の場所にあります。アンドゥでコピーを取り除けます。")
            .arg(inner(systemError(f.error)), f.path);
    case Reason::RuleInvalid:
        return QStringLiteral("名前の付け方の設定（%1）が正しくありません。"
                              "「移動先フォルダ設定」で名前の付け方を選び直してください。")
            .arg(f.number);
    case Reason::SerialExhausted:
        return QStringLiteral(
            "通し番号がこれ以上増やせません。「移動先フォルダ設定」で通し番号を設定し直してください。");
    case Reason::HeadUnusable:
        return (f.number == 1 ? QStringLiteral("移動先フォルダの名前「%1」は") : QStringLiteral("ヘッドネーム「%1」は"))
                   .arg(f.other)
            + QStringLiteral("ファイル名に使えません（/ や \\ を含むか「.」で始まります）。");
    case Reason::NameUnusable:
        return QStringLiteral("新しいファイル名「%1」はファイル名に使えません。").arg(f.other);
    case Reason::TargetInvalid:
        return QStringLiteral("移動先の番号（%1）が正しくありません。").arg(f.number);
    case Reason::FolderUnset:
        return QStringLiteral("%1が設定されていません。"
                              "メニューの「オプション」→「移動先フォルダ設定」でフォルダを指定して下さい。")
            .arg(folderName(f.number));
    case Reason::NoFileName:
        return QStringLiteral("ファイル名がありません。");
    case Reason::SourceMissing:
        return QStringLiteral("元のファイルが見つかりません。");
    case Reason::NoFreeSerial:
        return QStringLiteral(
            "移動先に空いている名前が見つかりませんでした（通し番号 %1 から %2 個がすべて使われています）。"
            "「移動先フォルダ設定」で通し番号を設定し直してください。")
            .arg(Numeric::formatSerial(static_cast<int32_t>(f.number)))
            .arg(f.count);
    case Reason::CompanionNotMoved: {
        const QString why = f.cause == Reason::LengthDiffers
            ? QStringLiteral("コピーしたファイルの大きさが元のファイルと一致しません")
            : inner(messageFor(Failure { f.cause == Reason::FolderMissing ? Reason::FolderMissing : Reason::System,
                f.error, {}, {}, 0, 0, Reason::None }));
        QString text = QStringLiteral("一緒に動かす「%1」を動かせなかったため、どのファイルも動かしていません（%2）。")
                           .arg(f.other, why);
        if (f.cause == Reason::BothLeft)
            text += QStringLiteral("コピーした「%1」は取り除けませんでした。").arg(f.path);
        return text;
    }
    case Reason::NoFreeName:
        return QStringLiteral("削除フォルダに空いている名前がありません。");
    case Reason::DeleteFolderIsSource:
        return QStringLiteral("削除フォルダが元のフォルダと同じため、何もしませんでした。");
    case Reason::TargetGone:
        return QStringLiteral("移動先の「%1」がもうありません。").arg(f.path);
    case Reason::SameFile:
        return QStringLiteral("元の場所と移動先が同じファイルです。");
    case Reason::DifferentFileInWay:
        return QStringLiteral("元の場所に内容の異なる「%1」があるため、上書きしませんでした。"
                              "どちらのファイルもそのまま残してあります。")
            .arg(f.other);
    case Reason::FolderInWay:
        return QStringLiteral("元の場所「%1」に同じ名前のフォルダがあります。").arg(f.path);
    case Reason::CopyNotDeleted: {
        QString text
            = QStringLiteral("移動先の「%1」を削除できませんでした（%2）。").arg(f.path, inner(systemError(f.error)));
        if (f.cause == Reason::BothLeft)
            text += QStringLiteral("元の場所にも同じファイルがあります。");
        return text;
    }
    case Reason::FolderNotMade:
        return QStringLiteral("元のフォルダ「%1」を作れませんでした。").arg(f.path);
    case Reason::ReturnLengthDiffers:
        return QStringLiteral("戻したファイルの大きさが移動先のファイルと一致しません。");
    case Reason::CompanionCopyNotDeleted:
        return QStringLiteral("一緒に動かした「%1」の移動先のファイルを削除できませんでした（%2）。")
            .arg(f.other, inner(systemError(f.error)));
    case Reason::CompanionNotReturned: {
        const QString why = f.cause == Reason::LengthDiffers
            ? QStringLiteral("戻したファイルの大きさが移動先のファイルと一致しません")
            : inner(systemError(f.error));
        QString text = QStringLiteral("一緒に動かした「%1」を戻せませんでした（%2）。").arg(f.other, why);
        if (f.cause == Reason::BothLeft)
            text += QStringLiteral("元の場所にも同じファイルがあります。");
        return text;
    }
    }
    return QString();
}

QString messageFor(const TransferResult& r)
{
    const QString head = r.copying ? QStringLiteral("「%1」をコピーできませんでした。\n")
                                   : QStringLiteral("「%1」を移動できませんでした。\n");
    return head.arg(r.fileName) + messageFor(r.failure) + left(r.companionsLeft);
}

QString messageFor(const UndoResult& r)
{
    const QString name = QFileInfo(r.restoredPath).fileName();
    const QString head = QStringLiteral("「%1」を元に戻せませんでした。\n").arg(name);
    switch (r.outcome) {
    case UndoResult::Outcome::Kept: {
        QString stillBack;
        for (const QString& companion : r.companionsStillBack)
            stillBack += QStringLiteral("\n「%1」は元の場所に戻っています。").arg(companion);
        return head + messageFor(r.failure) + stillBack
            + QStringLiteral("\nこの操作は履歴に残してあるので、原因を取り除いてからもう一度アンドゥできます。");
    }
    case UndoResult::Outcome::EntryDropped:
        return head + messageFor(r.failure) + QStringLiteral("\nこの操作は履歴から外しました。");
    case UndoResult::Outcome::Restored:
    case UndoResult::Outcome::NothingToUndo:
        break;
    }
    return QString();
}

QString messageFor(const SendAllResult& r)
{
    if (!r.refused.ok())
        return messageFor(r.refused);
    if (r.failures.empty())
        return QString();
    constexpr size_t shown = 20;
    QString text = QStringLiteral("次のファイルは削除フォルダへ送れませんでした。元の場所に残っています。\n");
    for (size_t i = 0; i < r.failures.size() && i < shown; ++i) {
        const SendAllFailure& f = r.failures[i];
        text
            += QStringLiteral("\n・%1（%2）").arg(f.fileName, inner(sendAllReason(f.failure) + left(f.companionsLeft)));
    }
    if (r.failures.size() > shown)
        text += QStringLiteral("\nほか %1 件").arg(r.failures.size() - shown);
    return text;
}

}
