// The board's arithmetic without a window: the grid and tile placement in twips, and
// what a key press means and where it moves the frame.
#include "board/BoardGeometry.h"
#include "board/BoardKeys.h"
#include <QTest>

using BoardKeys::Action;
using C = BoardKeys::Command;

Q_DECLARE_METATYPE(BoardKeys::Action)
Q_DECLARE_METATYPE(BoardKeys::Command)

QDebug operator<<(QDebug d, const Action& a)
{
    return d.nospace() << "command " << int(a.command) << ", target " << a.target;
}

template <typename... T> void addColumns(std::initializer_list<const char*> names)
{
    auto name = names.begin();
    (QTest::addColumn<T>(*name++), ...);
}

// "1101" -> shown, hidden, shown, shown; blanks only group the rows for the reader.
BoardKeys::Shown shownFrom(QString pattern)
{
    BoardKeys::Shown shown;
    for (QChar c : pattern.remove(u' '))
        shown.append(c == u'1');
    return shown;
}

class TestBoardLogic : public QObject {
    Q_OBJECT
private slots:
    void grid_data()
    {
        addColumns<double, double, double, int, int, int, int, double>(
            { "width", "height", "twipsPerPixel", "thumbSize", "box", "columns", "rows", "pitch" });
        QTest::newRow("64 on 15000x9500") << 15000.0 << 9500.0 << 15.0 << 64 << 960 << 15 << 9 << 1000.0;
        QTest::newRow("32 at 120 dpi") << 12000.0 << 6000.0 << 12.0 << 32 << 384 << 31 << 15 << 12000.0 / 31;
        // Both sizes are rounded half to even before the whole-number division.
        QTest::newRow("width 1919.5 rounds to 1920") << 1919.5 << 1000.0 << 15.0 << 64 << 960 << 2 << 1 << 959.75;
        QTest::newRow("width 1920.5 rounds to 1920") << 1920.5 << 1000.0 << 15.0 << 64 << 960 << 2 << 1 << 960.25;
        // Too small for one box: one column and one row all the same, never a division by zero.
        QTest::newRow("narrower than a box") << 500.0 << 9500.0 << 15.0 << 64 << 960 << 1 << 9 << 500.0;
        QTest::newRow("size 0 from an edited file") << 15000.0 << 9500.0 << 15.0 << 0 << 15 << 1000 << 633 << 15.0;
    }

    void grid()
    {
        QFETCH(double, width);
        QFETCH(double, height);
        QFETCH(double, twipsPerPixel);
        QFETCH(int, thumbSize);
        const BoardGeometry::Grid g
            = BoardGeometry::boardGrid(width, height, TwipsPerPixel { twipsPerPixel, twipsPerPixel }, thumbSize);
        QTEST(int(g.box), "box");
        QTEST(int(g.columns), "columns");
        QTEST(int(g.rows), "rows");
        QTEST(double(g.pitch), "pitch");
    }

    void geometry()
    {
        const auto fit = [](QSize pixels) {
            return BoardGeometry::fitThumbnail(BoardGeometry::naturalTwips(pixels, TwipsPerPixel {}), 960);
        };
        QCOMPARE(fit(QSize(0, 0)).size, QSizeF(0, 0));
        QVERIFY(!fit(QSize(64, 64)).stretch); // exactly the box is left alone
        QCOMPARE(fit(QSize(32, 128)).size, QSizeF(240, 960)); // only the height too tall
        // Stored in single precision, not rounded to whole twips.
        QCOMPARE(fit(QSize(700, 300)).size, QSizeF(960, float(960.0 / 10500 * 4500)));
        BoardGeometry::PageCursor cursor(BoardGeometry::boardGrid(15000, 9500, TwipsPerPixel {}, 64));
        // Centred in the box; the vertical offset is rounded half to even, the horizontal one is not.
        QCOMPARE(cursor.place(QSizeF(960, 720)), std::optional<QPointF>(QPointF(0, 120)));
        QCOMPARE(cursor.place(QSizeF(720, 960)), std::optional<QPointF>(QPointF(1120, 0)));
        QCOMPARE(cursor.place(QSizeF(959, 959)), std::optional<QPointF>(QPointF(2000.5, 0)));
        QCOMPARE(cursor.place(QSizeF(600, 451)), std::optional<QPointF>(QPointF(3180, 254)));
        QList<QPointF> rest;
        while (const std::optional<QPointF> at = cursor.place(QSizeF(960, 960)))
            rest.append(*at);
        QCOMPARE(rest.size(), 15 * 9 - 4);
        QCOMPARE(rest[15 - 4], QPointF(0, 960)); // first tile of the second row
        QCOMPARE(rest.last(), QPointF(14000, 8 * 960));
        // One large box: the second tile would start a row past the only one.
        BoardGeometry::PageCursor large(BoardGeometry::boardGrid(15000, 9500, TwipsPerPixel {}, 512));
        QCOMPARE(large.place(QSizeF(7680, 5760)), std::optional<QPointF>(QPointF(0, 960)));
        QVERIFY(!large.place(QSizeF(7680, 7680)));

        // A short page spreads over the width, each box centred in its column.
        BoardGeometry::PageCursor wide(BoardGeometry::spread(BoardGeometry::boardGrid(15000, 9500, {}, 64), 5));
        QCOMPARE(wide.place(QSizeF(960, 960)), std::optional<QPointF>(QPointF(1020, 0)));
        QCOMPARE(wide.place(QSizeF(960, 960)), std::optional<QPointF>(QPointF(4020, 0)));
        const BoardGeometry::Grid g = BoardGeometry::boardGrid(15000, 9500, {}, 64); // 15 x 9
        QCOMPARE(BoardGeometry::spread(g, 16).columns, 8); // two even rows, not 15 and 1
        QCOMPARE(BoardGeometry::spread(g, 44).columns, 15);
        QCOMPARE(BoardGeometry::spread(g, 500).columns, 15); // more than the board holds

        for (int k = 0; k < 10; ++k) // centred in its tenth; tst_board's followsResize sees them along the bottom
            QCOMPARE_LE(std::abs(BoardGeometry::targetRect(k, QSize(1000, 600), 40).center().x() - (k * 100 + 50)), 1);
        const QRect badge = BoardGeometry::badgeRect(QSize(1000, 600), QSize(120, 24), 556);
        QCOMPARE(badge.bottom(), 555);
        QCOMPARE(badge.right(), BoardGeometry::targetRect(9, QSize(1000, 600), 44).right());
        QCOMPARE(BoardGeometry::boardRect(QSize(1000, 700), 40, 20), QRect(0, 40, 1000, 640));
        QCOMPARE(BoardGeometry::deviceBox(64, 1.5), 96);
        QCOMPARE(BoardGeometry::deviceBox(65, 1.5), 98); // rounded up, never blurred by a pixel short
        // Load more is bounded by the list and by 16 bits (ten more per step: tst_board's pageLimits).
        QCOMPARE(BoardGeometry::loadMoreEnd(4, 10, 47), 47);
        QCOMPARE(BoardGeometry::loadMoreEnd(1, 10, 0), 0);
        QCOMPARE(BoardGeometry::loadMoreEnd(1, -32768, 25), 0); // a hand-edited count
        QCOMPARE(BoardGeometry::loadMoreEnd(32767, 30, 1000000), 32767);
        QCOMPARE(BoardGeometry::nextLoadMoreSteps(32767), 32767); // never wraps negative
    }

    void keyAction_data()
    {
        addColumns<int, int, uint, QString, bool, Action>({ "key", "mods", "code", "platform", "repeat", "expected" });
        const int keypad = Qt::KeypadModifier, shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier;
        const auto send = [](int k) { return Action { C::Send, k }; };
        const QString off = QStringLiteral("offscreen");
        // Digits: main row, keypad, and the physical digit row whatever the layout prints.
        QTest::newRow("1") << int(Qt::Key_1) << 0 << 0u << off << false << send(1);
        QTest::newRow("keypad 0 on X11") << int(Qt::Key_0) << keypad << 90u << "xcb" << false << send(0);
        QTest::newRow("AZERTY & on X11") << int(Qt::Key_Ampersand) << 0 << 10u << "xcb" << false << send(1);
        QTest::newRow("a-grave on Wayland") << int(Qt::Key_Agrave) << 0 << 19u << "wayland" << false << send(0);
        QTest::newRow("9 on Windows") << int(Qt::Key_Ccedilla) << 0 << 0x0Au << "windows" << false << send(9);
        QTest::newRow("the key's place wins") << int(Qt::Key_7) << shift << 10u << "xcb" << false << send(1);
        QTest::newRow("& where codes are unknown") << int(Qt::Key_Ampersand) << 0 << 10u << off << false << Action {};
        QTest::newRow("minus after the digit row") << int(Qt::Key_Minus) << 0 << 20u << "xcb" << false << Action {};
        QTest::newRow("Ctrl+1") << int(Qt::Key_1) << ctrl << 10u << "xcb" << false << Action {};
        QTest::newRow("held digit sends once") << int(Qt::Key_3) << 0 << 0u << off << true << Action {};
        // A held arrow keeps moving the frame; commands run once per press.
        QTest::newRow("held right") << int(Qt::Key_Right) << 0 << 0u << off << true << Action { C::Next };
        QTest::newRow("keypad end") << int(Qt::Key_End) << keypad << 87u << "xcb" << false << Action { C::Last };
        QTest::newRow("keypad enter") << int(Qt::Key_Enter) << keypad << 0u << off << false << Action { C::OpenViewer };
        QTest::newRow("held return") << int(Qt::Key_Return) << 0 << 0u << off << true << Action {};
        QTest::newRow("Ctrl+Z") << int(Qt::Key_Z) << ctrl << 0u << off << false << Action { C::Undo };
        QTest::newRow("held Ctrl+Z") << int(Qt::Key_Z) << ctrl << 0u << off << true << Action {};
        QTest::newRow("Ctrl+Shift+Z") << int(Qt::Key_Z) << (ctrl | shift) << 0u << off << false << Action {};
        QTest::newRow("F5") << int(Qt::Key_F5) << 0 << 0u << off << false << Action { C::Reload };
        QTest::newRow("Ctrl+N") << int(Qt::Key_N) << ctrl << 0u << off << false << Action { C::LoadMore };
    }

    void keyAction()
    {
        QFETCH(int, key);
        QFETCH(int, mods);
        QFETCH(uint, code);
        QFETCH(QString, platform);
        QFETCH(bool, repeat);
        const BoardKeys::KeyPress press { key, Qt::KeyboardModifiers(mods), code, repeat };
        QTEST(BoardKeys::actionFor(press, BoardKeys::scanCodesOf(platform)), "expected");
    }

    void move_data()
    {
        addColumns<QString, int, int, C, int>({ "pattern", "columns", "current", "command", "expected" });
        // Along the list, across rows, skipping hidden tiles.
        QTest::newRow("next skips a hidden one") << "1101" << 4 << 1 << C::Next << 3;
        QTest::newRow("next at the last stays") << "1101" << 4 << 3 << C::Next << 3;
        QTest::newRow("home skips hidden") << "0110" << 4 << 2 << C::First << 1;
        QTest::newRow("previous from a hidden one") << "1011" << 4 << 1 << C::Previous << 0;
        // Up and down by one row of the grid.
        QTest::newRow("down into a short last row") << "1111 1111 11" << 4 << 7 << C::Down << 9;
        QTest::newRow("down on the last row stays") << "1111 1111 11" << 4 << 9 << C::Down << 9;
        QTest::newRow("down onto a hidden one: left of a tie") << "1111 1011" << 4 << 1 << C::Down << 4;
        QTest::newRow("down over a row sent away") << "1111 0000 1111" << 4 << 2 << C::Down << 10;
        QTest::newRow("up over a row sent away") << "1111 0000 1111" << 4 << 10 << C::Up << 2;
        QTest::newRow("no columns counts as one") << "1111" << 0 << 1 << C::Up << 0;
        QTest::newRow("from none: the first shown") << "0011" << 4 << -1 << C::Previous << 2;
        QTest::newRow("nothing shown") << "000" << 3 << -1 << C::Next << -1;
        QTest::newRow("everything sent: stays") << "000" << 3 << 1 << C::Last << 1;
        // None: `current` was sent and is hidden now; the next shown, else the nearest before.
        QTest::newRow("sent: the next") << "1001" << 4 << 1 << C::None << 3;
        QTest::newRow("sent last: the one before") << "1100" << 4 << 2 << C::None << 1;
        QTest::newRow("sent the only one") << "0000" << 4 << 1 << C::None << -1;
    }

    void move()
    {
        QFETCH(QString, pattern);
        QFETCH(int, columns);
        QFETCH(int, current);
        QFETCH(C, command);
        const BoardKeys::Shown shown = shownFrom(pattern);
        const int to = command == C::None ? BoardKeys::afterSend(shown, current)
                                          : BoardKeys::move(command, shown, columns, current);
        QTEST(to, "expected");
    }
};

QTEST_APPLESS_MAIN(TestBoardLogic)
#include "tst_boardlogic.moc"
