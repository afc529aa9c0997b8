#pragma once
#include "sorting/FileActions.h"
#include <QString>

// The one way a file changes folders: an exclusive copy that keeps the time, its length
// checked, then the source deleted when asked. Whatever fails, no byte is lost: a short
// copy is removed again, and a source that cannot be deleted takes its copy back with
// it when it can. Making the source's attributes normal is left to the caller.
class FileMove {
public:
    explicit FileMove(const FileActions& actions);

    enum class Outcome {
        Done,
        CopyFailed, // nothing was made; `error` says why
        LengthDiffers, // the copy came out short and is gone again
        SourceKept, // the source could not be deleted (`error`); its copy is gone again
        BothLeft, // the source could not be deleted (`error`), nor could its copy
    };
    struct Result {
        Outcome outcome = Outcome::Done;
        QString error; // Japanese, from the step that failed
        bool ok() const { return outcome == Outcome::Done; }
    };

    Result run(const QString& from, const QString& to, bool deleteSource) const;

private:
    const FileActions& m_actions;
};
