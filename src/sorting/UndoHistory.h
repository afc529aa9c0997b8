#pragma once
#include "session/Settings.h"
#include <QList>
#include <QString>
#include <array>
#include <cstdint>

// A file that went along with the entry's picture, and where to.
struct CompanionMove {
    QString from;
    QString to;
    friend bool operator==(const CompanionMove& a, const CompanionMove& b) { return a.from == b.from && a.to == b.to; }
};

// What undo puts back: a transfer renamed under one of the naming rules, whose counter
// it moves back, or a picture sent to the delete folder under its own name.
enum class HistoryKind : int16_t { SerialAndName, FolderNameAndSerial, HeadNameAndSerial, SentToDeleteFolder };
inline HistoryKind historyKindOf(NamingRule rule) { return HistoryKind(int16_t(rule)); }
static_assert(int(HistoryKind::HeadNameAndSerial) == int(NamingRule::HeadNameAndSerial)
    && int(HistoryKind::SentToDeleteFolder) == NamingRuleCount);

// One transfer that can be put back.
struct UndoEntry {
    QString from;
    QString to;
    HistoryKind kind = HistoryKind::SerialAndName;
    // How far the transfer moved its rule's counter: more than one when taken names were
    // skipped. Undo moves it back as far.
    int32_t serialAdvance = 1;
    QList<CompanionMove> companions {}; // moved with it, as one unit
    bool isEmpty() const { return from.isEmpty(); }
    friend bool operator==(const UndoEntry& a, const UndoEntry& b)
    {
        return a.from == b.from && a.to == b.to && a.kind == b.kind && a.serialAdvance == b.serialAdvance
            && a.companions == b.companions;
    }
    friend bool operator!=(const UndoEntry& a, const UndoEntry& b) { return !(a == b); }
};

// Ten entries, index 0 the newest.
class UndoHistory {
public:
    static constexpr int Size = 10;

    const UndoEntry& at(int i) const { return m_entries[static_cast<size_t>(i)]; }
    UndoEntry& at(int i) { return m_entries[static_cast<size_t>(i)]; }
    const UndoEntry& newest() const { return m_entries[0]; }
    UndoEntry& newest() { return m_entries[0]; }

    // Moves 8..0 to 9..1 (the oldest falls out); the caller then writes entry 0.
    // Returns the entry that fell out so a failed transfer can put it back.
    UndoEntry shiftDown()
    {
        UndoEntry dropped = m_entries[Size - 1];
        for (int i = Size - 1; i >= 1; --i)
            m_entries[static_cast<size_t>(i)] = m_entries[static_cast<size_t>(i - 1)];
        m_entries[0] = UndoEntry {};
        return dropped;
    }

    // Reverses shiftDown: 1..9 move to 0..8 and entry 9 becomes `last`.
    void shiftUp(const UndoEntry& last = UndoEntry {})
    {
        for (int i = 0; i < Size - 1; ++i)
            m_entries[static_cast<size_t>(i)] = m_entries[static_cast<size_t>(i + 1)];
        m_entries[Size - 1] = last;
    }

    // The enabling rule of the undo commands.
    bool canUndo() const { return !m_entries[0].isEmpty(); }

    int count() const
    {
        int n = 0;
        for (const auto& e : m_entries)
            n += e.isEmpty() ? 0 : 1;
        return n;
    }

    friend bool operator==(const UndoHistory& a, const UndoHistory& b) { return a.m_entries == b.m_entries; }
    friend bool operator!=(const UndoHistory& a, const UndoHistory& b) { return !(a == b); }

private:
    std::array<UndoEntry, Size> m_entries;
};
