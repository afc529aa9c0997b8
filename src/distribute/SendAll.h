#pragma once
#include "distribute/FileActions.h"
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class UndoHistory;
struct Settings;

namespace Distribute {

struct SendAllCallbacks {
    std::function<void(int position)> hideThumbnail; // before the file at `position` is moved
    std::function<void(int position)> showThumbnail; // that file stayed after all
    std::function<void()> processEvents; // once per position handled
};

struct SendAllFailure {
    int position = 0;
    QString fileName;
    QString reason; // Japanese
};

struct SendAllRename {
    int position = 0;
    QString fileName;
    QString storedAs; // the free name it got in the delete folder
};

struct SendAllResult {
    int moved = 0;
    std::vector<SendAllFailure> failures; // files that are still in the source folder
    std::vector<SendAllRename> renamed;
    QString message; // one Japanese message for the window; empty when nothing failed
};

// The file work of "send all to the delete folder": every position 0..reached-1 of
// `fileNames` (the file list's entries; `reached` the positions the board gave a
// thumbnail's place) whose file is still in `sourceFolder` is
// copied to the delete folder and deleted from the source, copy mode or not, each with
// a kind-3 history entry. The caller checks the busy flag before and applies
// history.canUndo() after.
//
// A name already taken in the delete folder is never replaced: the file gets the
// first free name "name (2).ext", "name (3).ext", ... and the history records it.
// A file that cannot be moved stays where it was and leaves no history entry.
SendAllResult sendAllToDeleteFolder(Settings& settings, UndoHistory& history, const QString& sourceFolder,
    const QStringList& fileNames, int reached, const SendAllCallbacks& callbacks = {},
    const FileActions& fs = FileActions::real());

// `fileName` if nothing of that name is in `folder`, else the first free
// "stem (n).ext"; empty when none up to the limit is free.
QString freeNameIn(const QString& folder, const QString& fileName);

}
