#pragma once
#include "platform/DurableFile.h"
#include "sorting/FileActions.h"
#include <QString>

// The one way a file changes folders: a rename within one file system, otherwise a copy
// made safe on the disk under a hidden name, published under its own name, and only then
// the source removed when asked. Whatever fails, or wherever the power goes, no byte is
// lost: the file is whole at one of the two places, and no half copy carries a real name.
// Making the source's attributes normal is left to the caller. Safe to run off the
// window's thread.
class FileMove {
public:
    explicit FileMove(const FileActions& actions);

    // Reason::None when done; otherwise the failure of DurableFile::move.
    Failure run(const QString& from, const QString& to, bool deleteSource,
        const DurableFile::ProgressHook& progress = {}) const;

private:
    const FileActions& m_actions;
};
