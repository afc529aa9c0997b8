#pragma once
#include "sorting/FileActions.h"
#include "sorting/FileMove.h"
#include "sorting/UndoHistory.h"
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

class Session;
struct Settings;

struct TransferResult {
    bool ok = false;
    // Why it failed, or, with duplicateLeft, why both files remain (BothLeft). None when
    // ok or turned away.
    Failure failure;
    bool copying = false; // copy mode: the source was to stay
    QString fileName; // the file's name in the source folder
    QList<CompanionMove> companionsLeft; // companions neither moved nor taken back: `to` is where each is
    QString newName; // the file's name in the destination folder
    QString newPath; // the full path the copy was made to
    bool sourceDeleted = false;
    // A move whose source could not be deleted and whose copy could not be taken
    // back either: both files remain, and the copy is recorded so undo can remove it.
    bool duplicateLeft = false;
};

struct UndoResult {
    enum class Outcome {
        Restored, // the file is back where it came from, the entry is gone, the counter given back
        NothingToUndo, // the history was empty
        EntryDropped, // the file it went to no longer exists; the entry is removed, counters kept
        Kept, // a cause that can go away (a different file in the way, no access): nothing changed
    };
    Outcome outcome = Outcome::NothingToUndo;
    Failure failure; // why it was dropped or kept
    QString restoredPath; // where the undone entry's file came from
    // Kept: companions this undo brought back that could not go out again; the next undo
    // finishes bringing the unit back.
    QStringList companionsStillBack;
    // Something the user must be told: dropped or kept.
    bool worthTelling() const { return failure.reason != Reason::None; }
    bool ok() const { return outcome == Outcome::Restored; }
};

struct SendAllFailure {
    int position = 0;
    QString fileName;
    Failure failure;
    QList<CompanionMove> companionsLeft; // moved with it and not taken back: `to` is where each is
};

struct SendAllRename {
    int position = 0;
    QString fileName;
    QString storedAs; // the free name it got in the delete folder
};

struct SendAllResult {
    int moved = 0;
    bool cancelled = false; // the files after the last one moved were left where they are
    std::vector<SendAllFailure> failures; // files that are still in the source folder
    std::vector<SendAllRename> renamed;
    Failure refused; // why nothing was sent: the delete folder is unset or is the source folder
    bool worthTelling() const { return refused.reason != Reason::None || !failures.empty(); }
};

// How far a long transfer or send all has come, for the window to show.
struct MoveProgress {
    QString fileName; // the file moving now
    int number = 1; // its place among `count` files, from 1
    int count = 1;
    qint64 bytesDone = 0; // of the file moving now
    qint64 bytesTotal = 0;
};

// Moves the user's files: a drop or digit key onto a target, the undo of the last ten
// transfers, and send all to the delete folder. It owns the history and tells the
// windows through its signals what they must show; pending events run where the
// windows expect them to. No byte of a file is ever lost or replaced: whatever fails,
// the files, the history and the counters stay as they were, and the failure signals say why.
class Sorter : public QObject {
    Q_OBJECT
public:
    Sorter(Settings& settings, Session& session, FileActions actions = {}, QObject* parent = nullptr);

    const UndoHistory& history() const { return m_history; }
    UndoHistory& history() { return m_history; } // for a history set up by hand
    bool canUndo() const { return m_history.canUndo(); }
    bool isSendingAll() const { return m_sendingAll; }
    bool isMoving() const { return m_moving; } // a move's file work runs, the window's events with it

    // The file `name` of `folder`, shown at list position `position`, onto target
    // 0..9: named by the naming rule, copied there, the source deleted unless copy
    // mode keeps it (a copy-mode drop onto the delete folder's very path still moves),
    // recorded as history entry 0, the rule's counter moved on past the names taken.
    // Turned away while busy or while another command's move runs (nothing happens, no
    // signal). Otherwise, busy throughout:
    // moving, the file work, pending events once, historyChanged, and on failure
    // stayed then transferFailed.
    TransferResult transfer(int target, int position, const QString& folder, const QString& name);

    // Puts the file of the newest history entry back where it came from; a different
    // file standing there is never replaced, and a missing source folder is made again.
    // Not held back while busy, only while a move's file work runs (nothing happens).
    // undone (the entry restored or dropped), historyChanged, then undoFailed when there
    // is something to say.
    UndoResult undoLast();

    // Every position of `positions` whose file of `names` is still in `folder` goes to
    // the delete folder under its own name, or the first free "name (n).ext" there,
    // copy mode or not, each recorded as SentToDeleteFolder. Never busy, so transfers may run
    // between two files; turned away while busy or while one runs. Per position:
    // moving (and stayed when the file stays), then pending events; at the end
    // historyChanged, and one sendAllFailed when a file stayed. Taken by value: the
    // events may relist the folder meanwhile.
    SendAllResult sendAll(QString folder, QStringList names, QList<int> positions);

    // After `folder` was emptied: the entries whose file was in it and is gone are
    // dropped, the others keep their order; historyChanged when anything went.
    void forgetVanishedIn(const QString& folder);

    // Ends a running send all before its next file: what went stays moved and undoable.
    void cancelSendAll();

signals:
    void moving(int position); // its thumbnail goes
    void stayed(int position); // the file is still in the source folder: its thumbnail comes back
    void historyChanged(bool canUndo);
    void undone(); // the board shows the folder as it now is
    // One warning each, shown before a transfer's busy state ends.
    void transferFailed(const TransferResult& result);
    void undoFailed(const UndoResult& result);
    void sendAllFailed(const SendAllResult& result);
    // A command running longer than half a second, now and then while it runs; the end
    // follows when the command is over. The file work runs off the window's thread
    // meanwhile: timers and painting go on, input waits.
    void moveProgress(const MoveProgress& progress);
    void moveProgressEnded();

private:
    // Runs the move on a thread of its own; the window's events (not its input) go on
    // while it takes longer than a moment.
    Failure moveResponsive(const QString& from, const QString& to, bool deleteSource, MoveProgress shown);
    void startCommand();
    void showProgress(const MoveProgress& progress);
    void endCommand();

    // Moves (or copies) each companion; on the first failure takes back the ones moved,
    // adds those that stay to `left` and returns why. `moved` holds what went.
    Failure moveCompanions(
        const QList<CompanionMove>& moves, bool deleteSource, QList<CompanionMove>& moved, QList<CompanionMove>& left);
    // Puts moved companions back; returns those that could not be.
    QList<CompanionMove> takeBackCompanions(const QList<CompanionMove>& moved, bool deleteSource);
    // A companion an undo brought back; `copyRemoved`: only its copy went (copy mode).
    struct ReturnedCompanion {
        CompanionMove move;
        bool copyRemoved = false;
    };
    // Before their picture goes back: each companion of `moves` back where it came from,
    // until one cannot be; returns why. `returned` holds what is back.
    Failure returnCompanions(const QList<CompanionMove>& moves, QList<ReturnedCompanion>& returned);
    // Sends the companions of an undo that stopped half-way to the destination again;
    // returns the names of those that could not go.
    QStringList putBackCompanions(const QList<ReturnedCompanion>& returned);

    TransferResult transferFiles(int target, const QString& folder, const QString& name);
    UndoResult undoFiles();
    SendAllResult sendAllFiles(const QString& folder, const QStringList& names, const QList<int>& positions);

    Settings& m_settings;
    Session& m_session;
    const FileActions m_actions;
    UndoHistory m_history;
    bool m_sendingAll = false;
    bool m_cancelRequested = false;
    bool m_moving = false; // a move runs on its thread and the window's events are running
    bool m_progressShown = false;
    int m_commandDepth = 0;
    QElapsedTimer m_commandClock;
};
