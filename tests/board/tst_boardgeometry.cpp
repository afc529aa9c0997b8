#include "board/BoardGeometry.h"
#include <QTest>
#include <limits>

class TestBoardGeometry : public QObject {
    Q_OBJECT
private slots:
    void grid_data();
    void grid();
    void targetLabels_data();
    void targetLabels();
    void fit_data();
    void fit();
    void placement_data();
    void placement();
    void largeThumbsFillOneSlot();
    void rowsWrapAndStopWhenFull();
    void boardAndCopyLabel();
    void loadAnewEnd_data();
    void loadAnewEnd();
    void extendCountStopsAtLimit();
};

void TestBoardGeometry::grid_data()
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
    QTest::newRow("512 fits once each way") << 15000.0 << 9500.0 << 15.0 << 512 << 7680 << 1 << 1 << 15000.0;
    QTest::newRow("32 at 120 dpi") << 12000.0 << 6000.0 << 12.0 << 32 << 384 << 31 << 15 << 12000.0 / 31;
    // Both sizes are rounded half to even before the whole-number division.
    QTest::newRow("width 1919.5 rounds to 1920") << 1919.5 << 1000.0 << 15.0 << 64 << 960 << 2 << 1 << 959.75;
    QTest::newRow("width 1920.5 rounds to 1920") << 1920.5 << 1000.0 << 15.0 << 64 << 960 << 2 << 1 << 960.25;
    // Too small for one box: one column and one row all the same.
    QTest::newRow("narrower than a box") << 500.0 << 9500.0 << 15.0 << 64 << 960 << 1 << 9 << 500.0;
    QTest::newRow("lower than a box") << 15000.0 << 200.0 << 15.0 << 64 << 960 << 15 << 1 << 1000.0;
    QTest::newRow("ThumbSize 0 from an edited file") << 15000.0 << 9500.0 << 15.0 << 0 << 15 << 1000 << 633 << 15.0;
}

void TestBoardGeometry::grid()
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

void TestBoardGeometry::targetLabels_data()
{
    QTest::addColumn<int>("k");
    QTest::addColumn<double>("left");
    for (int k = 0; k < 10; ++k)
        QTest::addRow("label %d", k) << k << k * 1500 + 68.18;
}

void TestBoardGeometry::targetLabels()
{
    QFETCH(int, k);
    QFETCH(double, left);
    const QRectF r = Board::targetLabelRect(k, 15000, 9500);
    QVERIFY(qAbs(r.left() - left) < 0.005);
    QVERIFY(qAbs(r.width() - 1363.64) < 0.005);
    QCOMPARE(r.top(), 9000.0);
    QCOMPARE(r.height(), 500.0);
    // Centred in its tenth of the board.
    QCOMPARE(r.center().x(), k * 1500 + 750.0);
}

void TestBoardGeometry::fit_data()
{
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<QSizeF>("expected");
    QTest::addColumn<bool>("stretch");

    QTest::newRow("landscape 1600x1200") << QSize(1600, 1200) << QSizeF(960, 720) << true;
    QTest::newRow("portrait 1200x1600: width, then height") << QSize(1200, 1600) << QSizeF(720, 960) << true;
    QTest::newRow("small GIF keeps its size") << QSize(40, 30) << QSizeF(600, 450) << false;
    QTest::newRow("exactly the box is not touched") << QSize(64, 64) << QSizeF(960, 960) << false;
    QTest::newRow("only the height too tall") << QSize(32, 128) << QSizeF(240, 960) << true;
    QTest::newRow("empty picture") << QSize(0, 0) << QSizeF(0, 0) << false;
    // Stored in single precision, not rounded to whole twips.
    QTest::newRow("fraction kept") << QSize(700, 300) << QSizeF(960, float(960.0 / 10500 * 4500)) << true;
}

void TestBoardGeometry::fit()
{
    QFETCH(QSize, pixels);
    QFETCH(QSizeF, expected);
    const Board::Fit f = Board::fitThumbnail(Board::naturalTwips(pixels, TwipsPerPixel {}), 960);
    QCOMPARE(f.size, expected);
    QTEST(f.stretch, "stretch");
}

void TestBoardGeometry::placement_data()
{
    QTest::addColumn<QSizeF>("slot");
    QTest::addColumn<QPointF>("at");
    QTest::newRow("960x720 in column 3") << QSizeF(960, 720) << QPointF(3000, 120);
    QTest::newRow("720x960 in column 3") << QSizeF(720, 960) << QPointF(3120, 0);
    QTest::newRow("full box") << QSizeF(960, 960) << QPointF(3000, 0);
    // The vertical offset is rounded half to even, the horizontal one is not.
    QTest::newRow("odd sizes") << QSizeF(959, 959) << QPointF(3000.5, 0);
    QTest::newRow("fractional height") << QSizeF(600, 451) << QPointF(3180, 254);
}

void TestBoardGeometry::placement()
{
    QFETCH(QSizeF, slot);
    const Board::Grid g = Board::boardGrid(15000, 9500, TwipsPerPixel {}, 64);
    Board::PageCursor cursor(g);
    for (int i = 0; i < 3; ++i)
        QVERIFY(cursor.place(QSizeF(960, 960)));
    const std::optional<QPointF> at = cursor.place(slot);
    QVERIFY(at);
    QTEST(*at, "at");
}

void TestBoardGeometry::largeThumbsFillOneSlot()
{
    Board::PageCursor cursor(Board::boardGrid(15000, 9500, TwipsPerPixel {}, 512));
    QCOMPARE(cursor.place(QSizeF(7680, 5760)), std::optional<QPointF>(QPointF(0, 960)));
    // The second slot would start row 1, which is past the only row.
    QVERIFY(!cursor.place(QSizeF(7680, 7680)));
    QVERIFY(!cursor.place(QSizeF(7680, 7680)));
}

void TestBoardGeometry::rowsWrapAndStopWhenFull()
{
    const Board::Grid g = Board::boardGrid(15000, 9500, TwipsPerPixel {}, 64);
    Board::PageCursor cursor(g);
    int placed = 0;
    QPointF last;
    while (const std::optional<QPointF> at = cursor.place(QSizeF(960, 960))) {
        if (placed == 15) // first slot of the second row
            QCOMPARE(*at, QPointF(0, 960));
        last = *at;
        ++placed;
    }
    QCOMPARE(placed, 15 * 9);
    QCOMPARE(last, QPointF(14000, 8 * 960));
}

void TestBoardGeometry::boardAndCopyLabel()
{
    QCOMPARE(Board::boardRect(15000, 10250), QRectF(0, 500, 15000, 9500));
    QCOMPARE(Board::copyModeLabelRect(15000, 10250), QRectF(13000, 8250, 1750, 330));
    // The copy-mode label ends above the target labels' band (board top 500 + 9000).
    const QRectF label = Board::copyModeLabelRect(15000, 10250).translated(0, 500);
    QVERIFY(label.bottom() <= 500 + Board::targetLabelRect(9, 15000, 9500).top());
}

void TestBoardGeometry::loadAnewEnd_data()
{
    QTest::addColumn<int>("extendCount");
    QTest::addColumn<int>("thumbCount");
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("end");
    QTest::newRow("first") << 1 << 10 << 47 << 20;
    QTest::newRow("second") << 2 << 10 << 47 << 30;
    QTest::newRow("third") << 3 << 10 << 47 << 40;
    QTest::newRow("bounded by the list") << 4 << 10 << 47 << 47;
    QTest::newRow("step is ten whatever ThumbCount") << 1 << 30 << 100 << 40;
    QTest::newRow("fewer files than a page") << 1 << 30 << 12 << 12;
    QTest::newRow("empty list") << 1 << 10 << 0 << 0;
    QTest::newRow("beyond 16 bits") << 32767 << 30 << 1000000 << 32767;
}

void TestBoardGeometry::loadAnewEnd()
{
    QFETCH(int, extendCount);
    QFETCH(int, thumbCount);
    QFETCH(int, entries);
    QTEST(int(Board::loadAnewEnd(extendCount, thumbCount, entries)), "end");
}

void TestBoardGeometry::extendCountStopsAtLimit()
{
    QCOMPARE(Board::nextExtendCount(0), int16_t(1));
    QCOMPARE(Board::nextExtendCount(std::numeric_limits<int16_t>::max()), std::numeric_limits<int16_t>::max());
}

QTEST_APPLESS_MAIN(TestBoardGeometry)
#include "tst_boardgeometry.moc"
