#pragma once
#include "distribute/FileActions.h"
#include <QString>

class UndoHistory;
struct Settings;

namespace Distribute {

struct UndoResult {
    enum class Outcome {
        Restored, // the file is back at From, the entry is gone, the counter given back
        NothingToUndo, // the history was empty
        EntryDropped, // the file at To no longer exists; the entry is removed, counters kept
        Kept, // a cause that can go away (a different file at From, no access): nothing changed
    };
    Outcome outcome = Outcome::NothingToUndo;
    QString message; // Japanese, for the window's message box; empty unless dropped or kept
    QString restoredPath; // From of the entry that was undone
    bool ok() const { return outcome == Outcome::Restored; }
};

// The file work of the undo command for the newest history entry: puts the file at
// To back at From, removes To, gives the counter of kinds 0..2 back and shifts the
// history up. The caller reloads the board and applies history.canUndo().
//
// A different file standing at From is never replaced; when From already holds the
// same bytes (a copy-mode transfer) only To is removed. To is removed only after the
// copy back is in place. A missing source folder is created again.
UndoResult undoLast(Settings& settings, UndoHistory& history, const FileActions& fs = FileActions::real());
}
