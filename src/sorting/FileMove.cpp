#include "sorting/FileMove.h"

FileMove::FileMove(const FileActions& actions)
    : m_actions(actions)
{
}

FileMove::Result FileMove::run(
    const QString& from, const QString& to, bool deleteSource, const DurableFile::ProgressHook& progress) const
{
    using Moved = DurableFile::Outcome;
    const DurableFile::Result r = DurableFile::move(from, to, !deleteSource, { m_actions.failStep, progress });
    const QString why = r.error ? FileOps::describeSystemError(r.error) : QString();
    switch (r.outcome) {
    case Moved::Done:
        return {};
    case Moved::NotMade:
        return { Outcome::CopyFailed, why };
    case Moved::FolderMissing:
        return { Outcome::CopyFailed, QStringLiteral("コピー先のフォルダが見つかりません。") };
    case Moved::LengthDiffers:
        return { Outcome::LengthDiffers, QString() };
    case Moved::SourceKept:
        return { Outcome::SourceKept, why };
    case Moved::BothLeft:
        return { Outcome::BothLeft, why };
    }
    return { Outcome::CopyFailed, why };
}
