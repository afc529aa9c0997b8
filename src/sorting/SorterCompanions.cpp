#include "platform/FileOps.h"
#include "sorting/Sorter.h"
#include <QFileInfo>

namespace {

QString inner(QString reason)
{
    if (reason.endsWith(u'。'))
        reason.chop(1);
    return reason;
}

}

QString Sorter::moveCompanions(const QList<CompanionMove>& moves, bool deleteSource, QList<CompanionMove>& moved)
{
    for (const CompanionMove& m : moves) {
        const QString name = QFileInfo(m.from).fileName();
        m_actions.setNormalAttributes(m.from);
        const FileMove::Result r = moveResponsive(m.from, m.to, deleteSource, { name });
        if (r.ok()) {
            moved.push_back(m);
            continue;
        }
        const QString why = r.outcome == FileMove::Outcome::LengthDiffers
            ? QStringLiteral("コピーしたファイルの大きさが元のファイルと一致しません")
            : inner(r.error);
        QString text = QStringLiteral("一緒に動かす「%1」を動かせなかったため、どのファイルも動かしていません（%2）。")
                           .arg(name, why);
        if (r.outcome == FileMove::Outcome::BothLeft)
            text += QStringLiteral("コピーした「%1」は取り除けませんでした。").arg(m.to);
        text += takeBackCompanions(moved, deleteSource);
        moved.clear();
        return text;
    }
    return QString();
}

QString Sorter::takeBackCompanions(const QList<CompanionMove>& moved, bool deleteSource)
{
    QString left;
    for (auto m = moved.rbegin(); m != moved.rend(); ++m) {
        const bool back = deleteSource ? moveResponsive(m->to, m->from, true, { QFileInfo(m->to).fileName() }).ok()
                                       : bool(m_actions.deleteFile(m->to));
        if (!back)
            left += QStringLiteral("\n「%1」は「%2」に残っています。").arg(QFileInfo(m->from).fileName(), m->to);
    }
    return left;
}

QString Sorter::returnCompanions(const QList<CompanionMove>& moves, QList<ReturnedCompanion>& returned)
{
    for (const CompanionMove& m : moves) {
        if (!FileOps::fileExists(m.to))
            continue; // gone meanwhile: nothing to bring back
        const QString name = QFileInfo(m.from).fileName();
        m_actions.setNormalAttributes(m.to);
        // A copy-mode transfer left the companion where it was: only its copy goes.
        if (FileOps::fileExists(m.from)) {
            if (const auto deleted = m_actions.deleteFile(m.to); !deleted)
                return QStringLiteral("一緒に動かした「%1」の移動先のファイルを削除できませんでした（%2）。")
                    .arg(name, inner(deleted.error));
            returned.push_back({ m, true });
            continue;
        }
        const FileMove::Result r = moveResponsive(m.to, m.from, true, { name });
        if (r.ok()) {
            returned.push_back({ m, false });
            continue;
        }
        const QString why = r.outcome == FileMove::Outcome::LengthDiffers
            ? QStringLiteral("戻したファイルの大きさが移動先のファイルと一致しません")
            : inner(r.error);
        QString text = QStringLiteral("一緒に動かした「%1」を戻せませんでした（%2）。").arg(name, why);
        if (r.outcome == FileMove::Outcome::BothLeft)
            text += QStringLiteral("元の場所にも同じファイルがあります。");
        return text;
    }
    return QString();
}

QString Sorter::putBackCompanions(const QList<ReturnedCompanion>& returned)
{
    QString left;
    for (auto c = returned.rbegin(); c != returned.rend(); ++c) {
        const QString name = QFileInfo(c->move.from).fileName();
        if (!moveResponsive(c->move.from, c->move.to, !c->copyRemoved, { name }).ok())
            left += QStringLiteral("\n「%1」は元の場所に戻っています。").arg(name);
    }
    return left;
}
