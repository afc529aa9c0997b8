#pragma once
// The undo history as QCOMPARE prints it: the entries in use, newest first.
#include "sorting/UndoHistory.h"
#include <QDebug>

inline QDebug operator<<(QDebug d, const UndoHistory& history)
{
    const QDebugStateSaver saver(d);
    d.nospace() << "history:";
    for (int i = 0; i < UndoHistory::Size; ++i) {
        const UndoEntry& e = history.at(i);
        if (!e.isEmpty())
            d << ' ' << i << ": " << e.from << " -> " << e.to << " kind " << e.kind << " +" << e.serialAdvance
              << " with " << e.companions.size();
    }
    return d;
}
