#pragma once
#include <QString>
#include <QVector>
#include <Qt>
#include <cstdint>

// The board's keyboard without a window: which key does what, and where the frame of
// the current thumbnail goes. Tiles are addressed by their list position; the page fill
// lays them out in list order, `columns` to a row.
namespace BoardKeys {

enum class Command {
    None,
    Send, // the current thumbnail to target `target`
    Previous,
    Next,
    Up,
    Down,
    First,
    Last,
    OpenViewer, // the one-point viewer on the current thumbnail
    Undo,
    Reload,
    LoadMore,
    StopSendAll, // a running send all stops before its next file
};

struct Action {
    Command command = Command::None;
    int target = -1; // 0..9 for Send

    bool operator==(const Action& o) const { return command == o.command && target == o.target; }
    bool operator!=(const Action& o) const { return !(*this == o); }
};

// How the window system numbers its native scan codes. The digit row is found by its
// physical key where the numbering is known, so that layouts which put the digits on
// the shifted level (AZERTY) or elsewhere still send to the printed target.
enum class ScanCodes {
    Unknown, // only the key's own meaning counts
    Xkb, // X11 and Wayland: evdev code + 8
    Windows, // PC set-1 scan codes
};

ScanCodes scanCodesOf(const QString& platformName);

// The target of a digit-row key by its scan code; -1 for any other key.
int digitRowTarget(uint32_t scanCode, ScanCodes codes);

struct KeyPress {
    int key = 0; // Qt::Key
    Qt::KeyboardModifiers modifiers;
    uint32_t scanCode = 0;
    bool autoRepeat = false;
};

// What a key does on the board. A held key repeats only the moves of the frame: a held
// digit sends one picture, not a row of them, and a held F5 does not reload in a loop.
Action actionFor(const KeyPress& press, ScanCodes codes);

// Visibility of the board's tiles, index = list position. Hidden tiles (already sent, or
// beyond the page) are never current.
using Shown = QVector<bool>;

int firstShown(const Shown& shown);
int lastShown(const Shown& shown);
// Nearest shown tile after / before `from` in list order; -1 when there is none.
int nextShown(const Shown& shown, int from);
int previousShown(const Shown& shown, int from);

// Where a move takes the frame from `current` (which may itself be hidden or -1).
// Up and down go to the nearest row above or below that has a shown tile, to its tile
// closest in column (the left one of two equally close). A move that has nowhere to
// go keeps `current`; from no current tile every move goes to the first shown one.
int move(Command command, const Shown& shown, int columns, int current);

// After the current tile was sent: the next shown tile, else the nearest one before it.
int afterSend(const Shown& shown, int sent);

}
