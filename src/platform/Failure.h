#pragma once
#include <QString>

// Why something the user asked for did not happen, told without words: the window layer
// (wording/) makes the sentence the user reads. Which details a reason fills is noted
// beside it.
enum class Reason {
    None, // nothing failed
    System, // a system call failed: `error`
    // A move of one file
    FolderMissing, // the destination folder does not exist
    LengthDiffers, // the copy came out another length than the source; it is gone again
    SourceKept, // the source could not be removed (`error`); its copy is gone again
    BothLeft, // the source could not be removed (`error`), nor could its copy (`path`, once known)
    // A new name
    RuleInvalid, // `number`: the naming rule
    SerialExhausted, // the counter is at the top of its range
    HeadUnusable, // `other`: the head; `number`: the naming rule
    NameUnusable, // `other`: the new name
    TargetInvalid, // `number`: the target
    // A transfer or send all
    FolderUnset, // `number`: the target, or the delete folder
    NoFileName,
    SourceMissing,
    NoFreeSerial, // `number`: the first serial tried, `count`: how many were tried
    CompanionNotMoved, // `other`: the companion's name, `path`: its copy, `cause` and `error`: why
    NoFreeName, // the delete folder has no free name left
    DeleteFolderIsSource,
    // An undo
    TargetGone, // `path`: the file the entry went to
    SameFile, // where it came from and where it went are one file
    DifferentFileInWay, // `other`: the name of the different file where it came from
    FolderInWay, // `path`: where it came from
    CopyNotDeleted, // `path`: the copy, `error`; `cause` BothLeft when both copies stay
    FolderNotMade, // `path`: the folder it came from
    ReturnLengthDiffers, // the file put back came out another length
    CompanionCopyNotDeleted, // `other`: the companion's name, `error`
    CompanionNotReturned, // `other`: the companion's name, `cause` and `error`: why
};

struct Failure {
    Reason reason = Reason::None;
    int error = 0; // errno of the system call that failed
    QString path;
    QString other;
    qint64 number = 0;
    int count = 0;
    Reason cause = Reason::None;

    bool ok() const { return reason == Reason::None; }
    static Failure system(int error) { return { Reason::System, error, {}, {}, 0, 0, Reason::None }; }
    static Failure of(Reason reason) { return { reason, 0, {}, {}, 0, 0, Reason::None }; }
};
