#pragma once
#include "platform/Twips.h"
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <cstdint>
#include <optional>

// The sorting board's geometry. The grid and the tiles are in twips, as the page fill
// measures pictures; the board, its targets and the badge are in the window's pixels,
// from its size and its fonts. Plain arithmetic, so the layout is checked without a window.
namespace BoardGeometry {

// The thumbnail size the board works with. A size below one pixel (only a hand-edited
// settings file gives one) would make the box vanish and the grid divide by zero.
int effectiveThumbSize(int thumbSize);

// Edge of the square thumbnail box: horizontal twips per pixel x thumbnail size, halves to even.
int32_t thumbTwips(double twipsPerPixelX, int thumbSize);

// The grid one page fill lays its tiles on.
struct Grid {
    int columns = 1;
    int rows = 1;
    double pitch = 0; // column pitch: board width / columns
    double rowStep = 0; // thumbnail size x vertical twips per pixel (rounded)
    int32_t box = 0; // the thumbnail box's edge
    double left = 0; // the first column's margin
};

// Columns and rows as whole-number divisions of the board's inner size; the rows cover
// the band of the targets too. A board too small for one box still gets one
// column and one row, so the fill always has a place for the first thumbnail.
Grid boardGrid(double innerWidth, double innerHeight, const TwipsPerPixel& tpp, int thumbSize);

// A page that does not fill the board is spread over its whole width in as few rows as
// it needs, evenly filled, each box centred in its column: a wide screen shows it neither
// crowded into a corner nor as one full row and a straggler.
Grid spread(Grid grid, int tiles);

// The board area inside the window's client area: below the toolbar, above the status bar.
QRect boardRect(QSize client, int toolbarHeight, int statusBarHeight);

// The target's place (0..9), in pixels: one eleventh of the board wide, centred in its tenth,
// `height` high along the board's bottom edge.
QRect targetRect(int target, QSize board, int height);

// The copy-mode badge of size `badge` just above the right end of the targets' row,
// whose top is `targetsTop`.
QRect badgeRect(QSize board, QSize badge, int targetsTop);

// What stays free for tiles above the targets and the badge.
int tileAreaHeight(int boardHeight, int targetHeight, int badgeHeight);

// A thumbnail's edge in the screen's own pixels: sharp where a logical pixel is several.
int deviceBox(int box, double devicePixelRatio);

// A picture's natural size in twips.
QSizeF naturalTwips(QSize pixels, const TwipsPerPixel& tpp);

// Shrinks a tile to the box: width first, then height, keeping the aspect ratio.
// The quotient is taken in double precision and stored in single precision, as the
// tile's size is kept. A side equal to the box is left alone.
struct Fit {
    QSizeF size;
    bool stretch = false;
};
Fit fitThumbnail(QSizeF current, int32_t box);

// Walks the grid tile by tile: the column counter, the row counter and the current
// row's top of one page fill.
class PageCursor {
public:
    explicit PageCursor(const Grid& grid);

    // The top-left of the next tile of the given size; nullopt when the board is full
    // (the next row would be past the last). On success the cursor moves one column on.
    std::optional<QPointF> place(QSizeF tile);

    int column() const { return m_column; }
    int row() const { return m_row; }

private:
    Grid m_grid;
    int m_column = 0;
    int m_row = 0;
    double m_rowTop = 0;
};

// The page's end after `steps` load-more commands: steps x 10 + the thumbnail count, no
// more than the list's entries and never past what a 16-bit counter can hold.
int16_t loadMoreEnd(int steps, int thumbCount, int entryCount);

// The load-more steps after one more; they stop at the 16-bit limit.
int16_t nextLoadMoreSteps(int16_t steps);

}
