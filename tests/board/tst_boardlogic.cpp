// The board's arithmetic without a window: the grid and slot placement in twips, and
// what a key press means and where it moves the frame.
#include "board/BoardGeometry.h"
#include "board/BoardKeys.h"
#include <QTest>
#include <limits>

using BoardKeys::Action;
using BoardKeys::Command;
using BoardKeys::ScanCodes;

Q_DECLARE_METATYPE(BoardKeys::Action)
Q_DECLARE_METATYPE(BoardKeys::Command)
Q_DECLARE_METATYPE(BoardKeys::ScanCodes)

namespace QTest {
template <> char* toString(const BoardKeys::Action& a)
{
    return qstrdup(QByteArray::number(int(a.command)).append(" -> ").append(QByteArray::number(a.target)).constData());
}
}

namespace {

// "1101" -> shown, hidden, shown, shown; blanks only group the rows for the reader.
BoardKeys::Shown shownFrom(const QString& pattern)
{
    BoardKeys::Shown shown;
    for (QChar c : pattern)
        if (c != u' ')
            shown.append(c == u'1');
    return shown;
}

}

class TestBoardLogic : public QObject {
    Q_OBJECT
private slots:
    void grid_data();
    void grid();
    void fit();
    void placement();
    void labelsAndCopyLabelDoNotOverlap();
    void loadAnewEnd_data();
    void loadAnewEnd();
    void keyAction_data();
    void keyAction();
    void move_data();
    void move();
    void afterSend();
};

void TestBoardLogic::grid_data()
{
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<double>("tpp");
    QTest::addColumn<int>("thumbSize");
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<double>("pitch");
    QTest::newRow("64 on 15000x9500") << 15000.0 << 9500.0 << 15.0 << 64 << 960 << 15 << 9 << 1000.0;
    QTest::newRow("32 at 120 dpi") << 12000.0 << 6000.0 << 12.0 << 32 << 384 << 31 << 15 << 12000.0 / 31;
    // Both sizes are rounded half to even before the whole-number division.
    QTest::newRow("width 1919.5 rounds to 1920") << 1919.5 << 1000.0 << 15.0 << 64 << 960 << 2 << 1 << 959.75;
    QTest::newRow("width 1920.5 rounds to 1920") << 1920.5 << 1000.0 << 15.0 << 64 << 960 << 2 << 1 << 960.25;
    // Too small for one box: one column and one row all the same, never a division by zero.
    QTest::newRow("narrower than a box") << 500.0 << 9500.0 << 15.0 << 64 << 960 << 1 << 9 << 500.0;
    QTest::newRow("ThumbSize 0 from an edited file") << 15000.0 << 9500.0 << 15.0 << 0 << 15 << 1000 << 633 << 15.0;
}

void TestBoardLogic::grid()
{
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(double, tpp);
    QFETCH(int, thumbSize);
    const Board::Grid g = Board::boardGrid(width, height, TwipsPerPixel { tpp, tpp }, thumbSize);
    QTEST(int(g.box), "box");
    QTEST(g.columns, "columns");
    QTEST(g.rows, "rows");
    QTEST(g.pitch, "pitch");
}

void TestBoardLogic::fit()
{
    // The window's test places the usual shapes; here the edges.
    const auto fit = [](QSize pixels) { return Board::fitThumbnail(Board::naturalTwips(pixels, TwipsPerPixel {}), 960); };
    QCOMPARE(fit(QSize(0, 0)).size, QSizeF(0, 0));
    QVERIFY(!fit(QSize(64, 64)).stretch); // exactly the box is left alone
    QCOMPARE(fit(QSize(32, 128)).size, QSizeF(240, 960)); // only the height too tall
    // Stored in single precision, not rounded to whole twips.
    QCOMPARE(fit(QSize(700, 300)).size, QSizeF(960, float(960.0 / 10500 * 4500)));
}

void TestBoardLogic::placement()
{
    Board::PageCursor cursor(Board::boardGrid(15000, 9500, TwipsPerPixel {}, 64));
    // Centred in the box; the vertical offset is rounded half to even, the horizontal one is not.
    QCOMPARE(cursor.place(QSizeF(960, 720)), std::optional<QPointF>(QPointF(0, 120)));
    QCOMPARE(cursor.place(QSizeF(720, 960)), std::optional<QPointF>(QPointF(1120, 0)));
    QCOMPARE(cursor.place(QSizeF(959, 959)), std::optional<QPointF>(QPointF(2000.5, 0)));
    QCOMPARE(cursor.place(QSizeF(600, 451)), std::optional<QPointF>(QPointF(3180, 254)));
    int placed = 4;
    QPointF last;
    while (const std::optional<QPointF> at = cursor.place(QSizeF(960, 960))) {
        if (placed == 15) // first slot of the second row
            QCOMPARE(*at, QPointF(0, 960));
        last = *at;
        ++placed;
    }
    QCOMPARE(placed, 15 * 9);
    QCOMPARE(last, QPointF(14000, 8 * 960));

    // One large box: the second slot would start a row past the only one.
    Board::PageCursor large(Board::boardGrid(15000, 9500, TwipsPerPixel {}, 512));
    QCOMPARE(large.place(QSizeF(7680, 5760)), std::optional<QPointF>(QPointF(0, 960)));
    QVERIFY(!large.place(QSizeF(7680, 7680)));
}

void TestBoardLogic::labelsAndCopyLabelDoNotOverlap()
{
    for (int k = 0; k < 10; ++k) {
        const QRectF r = Board::targetLabelRect(k, 15000, 9500);
        QCOMPARE(r.center().x(), k * 1500 + 750.0); // centred in its tenth
        QCOMPARE(r.bottom(), 9500.0);
    }
    const QRectF label = Board::copyModeLabelRect(15000, 10250);
    QVERIFY(label.bottom() <= Board::boardRect(15000, 10250).top() + Board::targetLabelRect(9, 15000, 9500).top());
}

void TestBoardLogic::loadAnewEnd_data()
{
    QTest::addColumn<int>("extendCount");
    QTest::addColumn<int>("thumbCount");
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("end");
    QTest::newRow("first") << 1 << 10 << 47 << 20;
    QTest::newRow("bounded by the list") << 4 << 10 << 47 << 47;
    QTest::newRow("step is ten whatever ThumbCount") << 1 << 30 << 100 << 40;
    QTest::newRow("empty list") << 1 << 10 << 0 << 0;
    QTest::newRow("beyond 16 bits") << 32767 << 30 << 1000000 << 32767;
}

void TestBoardLogic::loadAnewEnd()
{
    QFETCH(int, extendCount);
    QFETCH(int, thumbCount);
    QFETCH(int, entries);
    QTEST(int(Board::loadAnewEnd(extendCount, thumbCount, entries)), "end");
    // The counter itself stops at its limit instead of wrapping negative.
    QCOMPARE(Board::nextExtendCount(std::numeric_limits<int16_t>::max()), std::numeric_limits<int16_t>::max());
}

void TestBoardLogic::keyAction_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<uint>("scanCode");
    QTest::addColumn<QString>("platform");
    QTest::addColumn<bool>("repeat");
    QTest::addColumn<Action>("expected");
    const int none = Qt::NoModifier;
    const int keypad = Qt::KeypadModifier;
    const int shift = Qt::ShiftModifier;
    const int ctrl = Qt::ControlModifier;
    const auto send = [](int k) { return Action { Command::Send, k }; };
    const Action nothing;
    const QString off = QStringLiteral("offscreen");

    // Digits: main row, keypad, and the physical digit row whatever the layout prints.
    QTest::newRow("1") << int(Qt::Key_1) << none << 0u << off << false << send(1);
    QTest::newRow("keypad 0 on X11") << int(Qt::Key_0) << keypad << 90u << "xcb" << false << send(0);
    QTest::newRow("AZERTY & on X11") << int(Qt::Key_Ampersand) << none << 10u << "xcb" << false << send(1);
    QTest::newRow("AZERTY a-grave on Wayland") << int(Qt::Key_Agrave) << none << 19u << "wayland" << false << send(0);
    QTest::newRow("digit row 9 on Windows") << int(Qt::Key_Ccedilla) << none << 0x0Au << "windows" << false << send(9);
    QTest::newRow("the key's place wins") << int(Qt::Key_7) << shift << 10u << "xcb" << false << send(1);
    QTest::newRow("& where codes are unknown") << int(Qt::Key_Ampersand) << none << 10u << off << false << nothing;
    QTest::newRow("minus after the digit row") << int(Qt::Key_Minus) << none << 20u << "xcb" << false << nothing;
    QTest::newRow("Ctrl+1") << int(Qt::Key_1) << ctrl << 10u << "xcb" << false << nothing;
    QTest::newRow("held digit sends once") << int(Qt::Key_3) << none << 0u << off << true << nothing;
    // Moves of the frame; a held arrow keeps moving.
    QTest::newRow("held right") << int(Qt::Key_Right) << none << 0u << off << true << Action { Command::Next };
    QTest::newRow("keypad end") << int(Qt::Key_End) << keypad << 87u << "xcb" << false << Action { Command::Last };
    // Commands, each once per press.
    QTest::newRow("keypad enter") << int(Qt::Key_Enter) << keypad << 0u << off << false
                                  << Action { Command::OpenViewer };
    QTest::newRow("held return") << int(Qt::Key_Return) << none << 0u << off << true << nothing;
    QTest::newRow("Ctrl+Z") << int(Qt::Key_Z) << ctrl << 0u << off << false << Action { Command::Undo };
    QTest::newRow("held Ctrl+Z") << int(Qt::Key_Z) << ctrl << 0u << off << true << nothing;
    QTest::newRow("Ctrl+Shift+Z") << int(Qt::Key_Z) << (ctrl | shift) << 0u << off << false << nothing;
    QTest::newRow("F5") << int(Qt::Key_F5) << none << 0u << off << false << Action { Command::Reload };
    QTest::newRow("Ctrl+N") << int(Qt::Key_N) << ctrl << 0u << off << false << Action { Command::LoadAnew };
}

void TestBoardLogic::keyAction()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(uint, scanCode);
    QFETCH(QString, platform);
    QFETCH(bool, repeat);
    const BoardKeys::KeyPress press { key, Qt::KeyboardModifiers(modifiers), scanCode, repeat };
    QTEST(BoardKeys::actionFor(press, BoardKeys::scanCodesOf(platform)), "expected");
}

void TestBoardLogic::move_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("current");
    QTest::addColumn<Command>("command");
    QTest::addColumn<int>("expected");
    // Along the list, across rows, skipping hidden slots.
    QTest::newRow("next skips a hidden one") << "1101" << 4 << 1 << Command::Next << 3;
    QTest::newRow("next at the last stays") << "1101" << 4 << 3 << Command::Next << 3;
    QTest::newRow("home skips hidden") << "0110" << 4 << 2 << Command::First << 1;
    QTest::newRow("previous from a hidden one") << "1011" << 4 << 1 << Command::Previous << 0;
    // Up and down by one row of the grid.
    QTest::newRow("down into a short last row") << "1111 1111 11" << 4 << 7 << Command::Down << 9;
    QTest::newRow("down on the last row stays") << "1111 1111 11" << 4 << 9 << Command::Down << 9;
    QTest::newRow("down onto a hidden one: left of a tie") << "1111 1011" << 4 << 1 << Command::Down << 4;
    QTest::newRow("down over a row sent away") << "1111 0000 1111" << 4 << 2 << Command::Down << 10;
    QTest::newRow("up over a row sent away") << "1111 0000 1111" << 4 << 10 << Command::Up << 2;
    QTest::newRow("no columns counts as one") << "1111" << 0 << 1 << Command::Up << 0;
    // No current thumbnail yet, or nothing left.
    QTest::newRow("from none: the first shown") << "0011" << 4 << -1 << Command::Previous << 2;
    QTest::newRow("nothing shown") << "000" << 3 << -1 << Command::Next << -1;
    QTest::newRow("everything sent: stays") << "000" << 3 << 1 << Command::Last << 1;
}

void TestBoardLogic::move()
{
    QFETCH(QString, pattern);
    QFETCH(int, columns);
    QFETCH(int, current);
    QFETCH(Command, command);
    QTEST(BoardKeys::move(command, shownFrom(pattern), columns, current), "expected");
}

void TestBoardLogic::afterSend()
{
    // The sent slot is already hidden: the next one, else the nearest before, else none.
    QCOMPARE(BoardKeys::afterSend(shownFrom(QStringLiteral("1001")), 1), 3);
    QCOMPARE(BoardKeys::afterSend(shownFrom(QStringLiteral("1100")), 2), 1);
    QCOMPARE(BoardKeys::afterSend(shownFrom(QStringLiteral("0000")), 1), -1);
}

QTEST_APPLESS_MAIN(TestBoardLogic)
#include "tst_boardlogic.moc"
