#pragma once
#include "platform/Failure.h"
#include <QByteArray>
#include <QString>
#include <functional>

// Writes and moves that survive a power cut: nothing is replaced or removed before what
// takes its place is on the disk (the file and its folder synced), and nothing half made
// ever carries a real name, only a hidden temporary one that temporaryName() recognises.
namespace DurableFile {

// The steps a move or a write takes, for a test to make one of them fail.
enum class Step {
    Rename, // the one-step move within a file system (the path is the source)
    Create, // the hidden temporary file
    Write, // one chunk of the copy
    SyncFile, // the temporary file's data on the disk
    Publish, // the temporary file renamed to its real name
    SyncFolder, // a folder's entries on the disk
    Unlink, // a source or a copy removed
    // Create, Write and SyncFile name the temporary file, Publish the real name.
};

// Returns the errno a step on `path` fails with, or 0 to let it run. Called on the
// thread that does the work.
using FaultHook = std::function<int(Step step, const QString& path)>;
using ProgressHook = std::function<void(qint64 done, qint64 total)>;

// A failure is one of System (nothing was made and the source is whole where it was),
// FolderMissing, LengthDiffers (the copy is gone again), SourceKept (the source could not
// be removed; its copy is gone again) or BothLeft (nor could its copy), with the errno.
struct Result : Failure {
    Step step = Step::Rename; // the step that failed
    bool renamed = false; // moved within one file system: the same file, no copy made
};

struct Hooks {
    FaultHook fault;
    ProgressHook progress;
};

// Moves `from` to `to`, never replacing an existing `to`: a rename within one file
// system, otherwise a synced copy published under its name, and only then the source
// removed. With `keepSource` the same copy is made and the source left alone. The copy
// keeps the modification time and the permissions, plus write for the owner.
Result move(const QString& from, const QString& to, bool keepSource, const Hooks& hooks = {});

// Replaces `path` with `bytes`: a temporary file beside it, synced, renamed over it and
// the folder synced. A link keeps pointing where it points: its target is replaced in its
// own folder. In a folder that takes no new files an existing file is rewritten in place.
enum class Content {
    UserData, // synced; a new file gets the usual mode
    // Not synced, a new file private to its owner: a cache file a power cut empties or
    // loses is known on reading and made again, and waiting for the disk slows every page.
    Cache,
};
Failure write(
    const QString& path, const QByteArray& bytes, Content content = Content::UserData, const FaultHook& fault = {});

// True for the names of the hidden temporary files this program makes.
bool temporaryName(const QString& name);

// Removes this program's temporary files from `folder` that nothing has written to
// for `quietSeconds` (a copy another window is making right now is left alone). Returns
// how many went.
int removeLeftovers(const QString& folder, int quietSeconds = 60);

}
