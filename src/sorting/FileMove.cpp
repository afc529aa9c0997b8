#include "sorting/FileMove.h"

FileMove::FileMove(const FileActions& actions)
    : m_actions(actions)
{
}

FileMove::Result FileMove::run(const QString& from, const QString& to, bool deleteSource) const
{
    if (const auto copied = m_actions.copyFile(from, to); !copied)
        return { Outcome::CopyFailed, copied.error };
    // The source goes only once a whole copy is known to be in place.
    if (FileOps::fileLength(to) != FileOps::fileLength(from)) {
        m_actions.deleteFile(to);
        return { Outcome::LengthDiffers, QString() };
    }
    if (!deleteSource)
        return {};
    if (const auto deleted = m_actions.deleteFile(from); !deleted)
        return { m_actions.deleteFile(to) ? Outcome::SourceKept : Outcome::BothLeft, deleted.error };
    return {};
}
