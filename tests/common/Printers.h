#pragma once
// What QCOMPARE prints for the sorter's and the settings' own types, so that a failure shows both sides.
#include "sorting/UndoHistory.h"
#include <QDebug>
#include <QTest>
#include <array>

// The entries in use, newest first.
inline QDebug operator<<(QDebug d, const UndoHistory& history)
{
    const QDebugStateSaver saver(d);
    d.nospace() << "history:";
    for (int i = 0; i < UndoHistory::Size; ++i) {
        const UndoEntry& e = history.at(i);
        if (!e.isEmpty())
            d << ' ' << i << ": " << e.from << " -> " << e.to << " kind " << int(e.kind) << " +" << e.serialAdvance
              << " with " << e.companions.size();
    }
    return d;
}

// The settings' arrays (folders, head names, counters): QDebug has no printer for std::array, and QTest
// prints what QDebug can.
template <typename T, std::size_t N> QDebug operator<<(QDebug d, const std::array<T, N>& values)
{
    return d << QList<T>(values.begin(), values.end());
}
