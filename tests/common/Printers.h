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

// The settings' arrays (folders, head names, counters): std::array has no printer of its own.
namespace TestPrinters {
template <typename T, std::size_t N> char* arrayToString(const std::array<T, N>& values)
{
    QString text;
    QDebug(&text) << QList<T>(values.begin(), values.end());
    return qstrdup(text.toUtf8().constData());
}
} // namespace TestPrinters
namespace QTest {
template <> inline char* toString(const std::array<QString, 11>& a) { return TestPrinters::arrayToString(a); }
template <> inline char* toString(const std::array<QString, 10>& a) { return TestPrinters::arrayToString(a); }
template <> inline char* toString(const std::array<int32_t, 3>& a) { return TestPrinters::arrayToString(a); }
} // namespace QTest
