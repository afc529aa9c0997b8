#include "board/BoardKeys.h"
#include <QTest>

using BoardKeys::Action;
using BoardKeys::Command;
using BoardKeys::ScanCodes;

Q_DECLARE_METATYPE(BoardKeys::Action)
Q_DECLARE_METATYPE(BoardKeys::Command)
Q_DECLARE_METATYPE(BoardKeys::ScanCodes)

namespace {

// "1101" -> shown, hidden, shown, shown; blanks only group the rows for the reader.
BoardKeys::Shown shownFrom(const char* pattern)
{
    BoardKeys::Shown shown;
    for (const char* c = pattern; *c; ++c)
        if (*c != ' ')
            shown.append(*c == '1');
    return shown;
}

}

namespace QTest {
template <> char* toString(const BoardKeys::Action& a)
{
    return qstrdup(QByteArray::number(int(a.command)).append(" -> ").append(QByteArray::number(a.target)).constData());
}
}

class TestBoardKeysLogic : public QObject {
    Q_OBJECT
private slots:
    void actionFor_data();
    void actionFor();
    void scanCodesOf_data();
    void scanCodesOf();
    void move_data();
    void move();
    void afterSend_data();
    void afterSend();
};

void TestBoardKeysLogic::actionFor_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<uint>("scanCode");
    QTest::addColumn<ScanCodes>("codes");
    QTest::addColumn<bool>("repeat");
    QTest::addColumn<Action>("expected");

    const int none = Qt::NoModifier;
    const int keypad = Qt::KeypadModifier;
    const int shift = Qt::ShiftModifier;
    const int ctrl = Qt::ControlModifier;
    const auto send = [](int k) { return Action { Command::Send, k }; };
    const Action nothing;
    const ScanCodes unknown = ScanCodes::Unknown;
    const ScanCodes xkb = ScanCodes::Xkb;
    const ScanCodes win = ScanCodes::Windows;

    // Digits: main row, keypad, and the physical digit row whatever the layout prints.
    QTest::newRow("1") << int(Qt::Key_1) << none << 0u << unknown << false << send(1);
    QTest::newRow("0") << int(Qt::Key_0) << none << 0u << unknown << false << send(0);
    QTest::newRow("keypad 7") << int(Qt::Key_7) << keypad << 0u << unknown << false << send(7);
    QTest::newRow("keypad 0 on X11") << int(Qt::Key_0) << keypad << 90u << xkb << false << send(0);
    QTest::newRow("AZERTY & on X11") << int(Qt::Key_Ampersand) << none << 10u << xkb << false << send(1);
    QTest::newRow("AZERTY shifted 2 on X11") << int(Qt::Key_2) << shift << 11u << xkb << false << send(2);
    QTest::newRow("AZERTY a-grave on X11") << int(Qt::Key_Agrave) << none << 19u << xkb << false << send(0);
    QTest::newRow("digit row 9 on Windows") << int(Qt::Key_Ccedilla) << none << 0x0Au << win << false << send(9);
    QTest::newRow("digit row 0 on Windows") << int(Qt::Key_Agrave) << none << 0x0Bu << win << false << send(0);
    QTest::newRow("the key's place wins over its meaning") << int(Qt::Key_7) << shift << 10u << xkb << false << send(1);
    QTest::newRow("& where the numbering is unknown")
        << int(Qt::Key_Ampersand) << none << 10u << unknown << false << nothing;
    QTest::newRow("letter beside the digit row") << int(Qt::Key_Q) << none << 24u << xkb << false << nothing;
    QTest::newRow("minus after the digit row") << int(Qt::Key_Minus) << none << 20u << xkb << false << nothing;
    QTest::newRow("Windows code under the digit row")
        << int(Qt::Key_Escape) << none << 0x01u << win << false << nothing;
    QTest::newRow("Ctrl+1") << int(Qt::Key_1) << ctrl << 10u << xkb << false << nothing;
    QTest::newRow("Alt+1") << int(Qt::Key_1) << int(Qt::AltModifier) << 0u << unknown << false << nothing;
    QTest::newRow("held digit sends once") << int(Qt::Key_3) << none << 0u << unknown << true << nothing;

    // Moves of the frame; a held arrow keeps moving.
    QTest::newRow("left") << int(Qt::Key_Left) << none << 0u << unknown << false << Action { Command::Previous };
    QTest::newRow("right") << int(Qt::Key_Right) << none << 0u << unknown << false << Action { Command::Next };
    QTest::newRow("up") << int(Qt::Key_Up) << none << 0u << unknown << false << Action { Command::Up };
    QTest::newRow("down") << int(Qt::Key_Down) << none << 0u << unknown << false << Action { Command::Down };
    QTest::newRow("home") << int(Qt::Key_Home) << none << 0u << unknown << false << Action { Command::First };
    QTest::newRow("end") << int(Qt::Key_End) << none << 0u << unknown << false << Action { Command::Last };
    QTest::newRow("keypad end, Num Lock off")
        << int(Qt::Key_End) << keypad << 87u << xkb << false << Action { Command::Last };
    QTest::newRow("held right") << int(Qt::Key_Right) << none << 0u << unknown << true << Action { Command::Next };
    QTest::newRow("Shift+right") << int(Qt::Key_Right) << shift << 0u << unknown << false << nothing;
    QTest::newRow("Ctrl+home") << int(Qt::Key_Home) << ctrl << 0u << unknown << false << nothing;

    // Commands.
    QTest::newRow("return") << int(Qt::Key_Return) << none << 0u << unknown << false << Action { Command::OpenViewer };
    QTest::newRow("keypad enter") << int(Qt::Key_Enter) << keypad << 0u << unknown << false
                                  << Action { Command::OpenViewer };
    QTest::newRow("held return") << int(Qt::Key_Return) << none << 0u << unknown << true << nothing;
    QTest::newRow("Ctrl+Z") << int(Qt::Key_Z) << ctrl << 0u << unknown << false << Action { Command::Undo };
    QTest::newRow("held Ctrl+Z") << int(Qt::Key_Z) << ctrl << 0u << unknown << true << nothing;
    QTest::newRow("Ctrl+Shift+Z") << int(Qt::Key_Z) << (ctrl | shift) << 0u << unknown << false << nothing;
    QTest::newRow("Z") << int(Qt::Key_Z) << none << 0u << unknown << false << nothing;
    QTest::newRow("F5") << int(Qt::Key_F5) << none << 0u << unknown << false << Action { Command::Reload };
    QTest::newRow("Ctrl+F5") << int(Qt::Key_F5) << ctrl << 0u << unknown << false << nothing;
    QTest::newRow("Ctrl+N") << int(Qt::Key_N) << ctrl << 0u << unknown << false << Action { Command::LoadAnew };
    QTest::newRow("N") << int(Qt::Key_N) << none << 0u << unknown << false << nothing;
    QTest::newRow("space") << int(Qt::Key_Space) << none << 65u << xkb << false << nothing;
}

void TestBoardKeysLogic::actionFor()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(uint, scanCode);
    QFETCH(ScanCodes, codes);
    QFETCH(bool, repeat);
    QFETCH(Action, expected);
    const BoardKeys::KeyPress press { key, Qt::KeyboardModifiers(modifiers), scanCode, repeat };
    QCOMPARE(BoardKeys::actionFor(press, codes), expected);
}

void TestBoardKeysLogic::scanCodesOf_data()
{
    QTest::addColumn<QString>("platform");
    QTest::addColumn<ScanCodes>("expected");
    QTest::newRow("xcb") << "xcb" << ScanCodes::Xkb;
    QTest::newRow("wayland") << "wayland" << ScanCodes::Xkb;
    QTest::newRow("wayland-egl") << "wayland-egl" << ScanCodes::Xkb;
    QTest::newRow("windows") << "windows" << ScanCodes::Windows;
    QTest::newRow("offscreen") << "offscreen" << ScanCodes::Unknown;
    QTest::newRow("cocoa") << "cocoa" << ScanCodes::Unknown;
}

void TestBoardKeysLogic::scanCodesOf()
{
    QFETCH(QString, platform);
    QFETCH(ScanCodes, expected);
    QCOMPARE(BoardKeys::scanCodesOf(platform), expected);
}

void TestBoardKeysLogic::move_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("current");
    QTest::addColumn<Command>("command");
    QTest::addColumn<int>("expected");

    // Along the list, across rows, skipping hidden slots.
    QTest::newRow("next skips a hidden one") << "1101" << 4 << 1 << Command::Next << 3;
    QTest::newRow("previous skips a hidden one") << "1101" << 4 << 3 << Command::Previous << 1;
    QTest::newRow("next crosses into the next row") << "111 111" << 3 << 2 << Command::Next << 3;
    QTest::newRow("next at the last stays") << "1101" << 4 << 3 << Command::Next << 3;
    QTest::newRow("previous at the first stays") << "0110" << 4 << 1 << Command::Previous << 1;
    QTest::newRow("home skips hidden") << "0110" << 4 << 2 << Command::First << 1;
    QTest::newRow("end skips hidden") << "0110" << 4 << 1 << Command::Last << 2;
    QTest::newRow("next from a hidden one") << "1011" << 4 << 1 << Command::Next << 2;
    QTest::newRow("previous from a hidden one") << "1011" << 4 << 1 << Command::Previous << 0;

    // Up and down by one row of the grid.
    QTest::newRow("down") << "1111 1111 11" << 4 << 1 << Command::Down << 5;
    QTest::newRow("up") << "1111 1111 11" << 4 << 5 << Command::Up << 1;
    QTest::newRow("down into a short last row") << "1111 1111 11" << 4 << 7 << Command::Down << 9;
    QTest::newRow("down on the last row stays") << "1111 1111 11" << 4 << 9 << Command::Down << 9;
    QTest::newRow("up on the first row stays") << "1111 1111 11" << 4 << 2 << Command::Up << 2;
    QTest::newRow("down onto a hidden one: nearest in that row, left of a tie")
        << "1111 1011" << 4 << 1 << Command::Down << 4;
    QTest::newRow("down onto a hidden one: nearest in that row") << "1111 1101" << 4 << 2 << Command::Down << 5;
    QTest::newRow("down over a row sent away") << "1111 0000 1111" << 4 << 2 << Command::Down << 10;
    QTest::newRow("up over a row sent away") << "1111 0000 1111" << 4 << 10 << Command::Up << 2;
    QTest::newRow("down with nothing below stays") << "1111 0000" << 4 << 2 << Command::Down << 2;
    QTest::newRow("one column") << "1111" << 1 << 1 << Command::Down << 2;
    QTest::newRow("no columns counts as one") << "1111" << 0 << 1 << Command::Up << 0;

    // No current thumbnail yet, or nothing left.
    QTest::newRow("from none: the first shown") << "0011" << 4 << -1 << Command::Previous << 2;
    QTest::newRow("from past the page: the first shown") << "0011" << 4 << 9 << Command::Down << 2;
    QTest::newRow("nothing shown") << "000" << 3 << -1 << Command::Next << -1;
    QTest::newRow("everything sent: stays") << "000" << 3 << 1 << Command::Last << 1;
}

void TestBoardKeysLogic::move()
{
    QFETCH(QString, pattern);
    QFETCH(int, columns);
    QFETCH(int, current);
    QFETCH(Command, command);
    QFETCH(int, expected);
    QCOMPARE(BoardKeys::move(command, shownFrom(pattern.toLatin1().constData()), columns, current), expected);
}

void TestBoardKeysLogic::afterSend_data()
{
    QTest::addColumn<QString>("pattern"); // after the send: the sent slot is hidden
    QTest::addColumn<int>("sent");
    QTest::addColumn<int>("expected");
    QTest::newRow("the next one") << "1001" << 1 << 3;
    QTest::newRow("the last one sent: the nearest before") << "1100" << 2 << 1;
    QTest::newRow("nothing left") << "0000" << 1 << -1;
}

void TestBoardKeysLogic::afterSend()
{
    QFETCH(QString, pattern);
    QFETCH(int, sent);
    QFETCH(int, expected);
    QCOMPARE(BoardKeys::afterSend(shownFrom(pattern.toLatin1().constData()), sent), expected);
}

QTEST_APPLESS_MAIN(TestBoardKeysLogic)
#include "test_board_keys_logic.moc"
