#include "sorting/FileMove.h"

FileMove::FileMove(const FileActions& actions)
    : m_actions(actions)
{
}

Failure FileMove::run(
    const QString& from, const QString& to, bool deleteSource, const DurableFile::ProgressHook& progress) const
{
    return DurableFile::move(from, to, !deleteSource, { m_actions.failStep, progress });
}
