#include "platform/FileOps.h"
#include "sorting/Sorter.h"
#include <QFileInfo>

Failure Sorter::moveCompanions(
    const QList<CompanionMove>& moves, bool deleteSource, QList<CompanionMove>& moved, QList<CompanionMove>& left)
{
    for (const CompanionMove& m : moves) {
        const QString name = QFileInfo(m.from).fileName();
        m_actions.setNormalAttributes(m.from);
        const Failure r = moveResponsive(m.from, m.to, deleteSource, { name });
        if (r.ok()) {
            moved.push_back(m);
            continue;
        }
        Failure why = Failure::of(Reason::CompanionNotMoved);
        why.other = name;
        why.path = m.to;
        why.cause = r.reason;
        why.error = r.error;
        left += takeBackCompanions(moved, deleteSource);
        moved.clear();
        return why;
    }
    return Failure();
}

QList<CompanionMove> Sorter::takeBackCompanions(const QList<CompanionMove>& moved, bool deleteSource)
{
    QList<CompanionMove> left;
    for (auto m = moved.rbegin(); m != moved.rend(); ++m) {
        const bool back = deleteSource ? moveResponsive(m->to, m->from, true, { QFileInfo(m->to).fileName() }).ok()
                                       : m_actions.deleteFile(m->to).ok();
        if (!back)
            left.push_back(*m);
    }
    return left;
}

Failure Sorter::returnCompanions(const QList<CompanionMove>& moves, QList<ReturnedCompanion>& returned)
{
    for (const CompanionMove& m : moves) {
        if (!FileOps::fileExists(m.to))
            continue; // gone meanwhile: nothing to bring back
        const QString name = QFileInfo(m.from).fileName();
        m_actions.setNormalAttributes(m.to);
        // A copy-mode transfer left the companion where it was: only its copy goes.
        if (FileOps::fileExists(m.from)) {
            if (const Failure deleted = m_actions.deleteFile(m.to); !deleted.ok()) {
                Failure why = Failure::of(Reason::CompanionCopyNotDeleted);
                why.other = name;
                why.error = deleted.error;
                return why;
            }
            returned.push_back({ m, true });
            continue;
        }
        const Failure r = moveResponsive(m.to, m.from, true, { name });
        if (r.ok()) {
            returned.push_back({ m, false });
            continue;
        }
        Failure why = Failure::of(Reason::CompanionNotReturned);
        why.other = name;
        why.error = r.error;
        why.cause = r.reason;
        return why;
    }
    return Failure();
}

QStringList Sorter::putBackCompanions(const QList<ReturnedCompanion>& returned)
{
    QStringList stillBack;
    for (auto c = returned.rbegin(); c != returned.rend(); ++c) {
        const QString name = QFileInfo(c->move.from).fileName();
        if (!moveResponsive(c->move.from, c->move.to, !c->copyRemoved, { name }).ok())
            stillBack.push_back(name);
    }
    return stillBack;
}
