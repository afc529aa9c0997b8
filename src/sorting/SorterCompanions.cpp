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

QList<CompanionMove> Sorter::returnCompanions(const QList<CompanionMove>& moves)
{
    QList<CompanionMove> left;
    for (const CompanionMove& m : moves) {
        if (!FileOps::fileExists(m.to))
            continue; // gone meanwhile: nothing to bring back
        m_actions.setNormalAttributes(m.to);
        // A copy-mode transfer left the companion where it was: only its copy goes.
        const bool back = FileOps::fileExists(m.from)
            ? m_actions.deleteFile(m.to).ok()
            : moveResponsive(m.to, m.from, true, { QFileInfo(m.to).fileName() }).ok();
        if (!back)
            left.push_back(m);
    }
    return left;
}
