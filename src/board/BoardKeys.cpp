#include "board/BoardKeys.h"
#include <algorithm>
#include <cstdlib>

namespace BoardKeys {

ScanCodes scanCodesOf(const QString& platformName)
{
    if (platformName == QLatin1String("xcb") || platformName.startsWith(QLatin1String("wayland")))
        return ScanCodes::Xkb;
    if (platformName == QLatin1String("windows"))
        return ScanCodes::Windows;
    return ScanCodes::Unknown;
}

int digitRowTarget(uint32_t scanCode, ScanCodes codes)
{
    // Both numberings run 1, 2, ..., 9, 0 from left to right.
    uint32_t first = 0;
    switch (codes) {
    case ScanCodes::Xkb:
        first = 10;
        break;
    case ScanCodes::Windows:
        first = 0x02;
        break;
    case ScanCodes::Unknown:
        return -1;
    }
    if (scanCode < first || scanCode > first + 9)
        return -1;
    return int(scanCode - first + 1) % 10;
}

Action actionFor(const KeyPress& press, ScanCodes codes)
{
    // The keypad flag only says where the key is; it is no modifier here.
    const Qt::KeyboardModifiers mods = press.modifiers & ~Qt::KeyboardModifiers(Qt::KeypadModifier);
    const bool plain = mods == Qt::NoModifier;

    if (plain || mods == Qt::ShiftModifier) {
        int target = digitRowTarget(press.scanCode, codes);
        if (target < 0 && press.key >= Qt::Key_0 && press.key <= Qt::Key_9)
            target = press.key - Qt::Key_0;
        if (target >= 0)
            return press.autoRepeat ? Action {} : Action { Command::Send, target };
    }

    if (plain) {
        switch (press.key) {
        case Qt::Key_Left:
            return { Command::Previous };
        case Qt::Key_Right:
            return { Command::Next };
        case Qt::Key_Up:
            return { Command::Up };
        case Qt::Key_Down:
            return { Command::Down };
        case Qt::Key_Home:
            return { Command::First };
        case Qt::Key_End:
            return { Command::Last };
        default:
            break;
        }
    }

    if (press.autoRepeat)
        return {};
    if (plain) {
        switch (press.key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return { Command::OpenViewer };
        case Qt::Key_F5:
            return { Command::Reload };
        case Qt::Key_Escape:
            return { Command::StopSendAll };
        default:
            break;
        }
    }
    if (mods == Qt::ControlModifier) {
        switch (press.key) {
        case Qt::Key_Z:
            return { Command::Undo };
        case Qt::Key_N:
            return { Command::LoadMore };
        default:
            break;
        }
    }
    return {};
}

int firstShown(const Shown& shown) { return nextShown(shown, -1); }

int lastShown(const Shown& shown) { return previousShown(shown, int(shown.size())); }

int nextShown(const Shown& shown, int from)
{
    for (int i = std::max(from + 1, 0); i < shown.size(); ++i)
        if (shown[i])
            return i;
    return -1;
}

int previousShown(const Shown& shown, int from)
{
    for (int i = std::min(from - 1, int(shown.size()) - 1); i >= 0; --i)
        if (shown[i])
            return i;
    return -1;
}

namespace {

    // The shown tile of row `row` closest in column to `column`; -1 when the row has none.
    int closestInRow(const Shown& shown, int columns, int row, int column)
    {
        int best = -1;
        int bestDistance = 0;
        const int end = std::min(int(shown.size()), (row + 1) * columns);
        for (int i = row * columns; i < end; ++i) {
            if (!shown[i])
                continue;
            const int distance = std::abs(i % columns - column);
            if (best < 0 || distance < bestDistance) {
                best = i;
                bestDistance = distance;
            }
        }
        return best;
    }

}

int move(Command command, const Shown& shown, int columns, int current)
{
    if (current < 0 || current >= shown.size()) {
        const int first = firstShown(shown);
        return first >= 0 ? first : current;
    }
    columns = std::max(columns, 1);
    int to = -1;
    switch (command) {
    case Command::Previous:
        to = previousShown(shown, current);
        break;
    case Command::Next:
        to = nextShown(shown, current);
        break;
    case Command::First:
        to = firstShown(shown);
        break;
    case Command::Last:
        to = lastShown(shown);
        break;
    case Command::Up:
        for (int row = current / columns - 1; row >= 0 && to < 0; --row)
            to = closestInRow(shown, columns, row, current % columns);
        break;
    case Command::Down: {
        const int rows = (int(shown.size()) + columns - 1) / columns;
        for (int row = current / columns + 1; row < rows && to < 0; ++row)
            to = closestInRow(shown, columns, row, current % columns);
        break;
    }
    default:
        break;
    }
    return to >= 0 ? to : current;
}

int afterSend(const Shown& shown, int sent)
{
    const int next = nextShown(shown, sent);
    return next >= 0 ? next : previousShown(shown, sent);
}

}
