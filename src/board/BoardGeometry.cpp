#include "board/BoardGeometry.h"
#include "platform/Numeric.h"
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace BoardGeometry {

using Numeric::roundHalfEven;

int effectiveThumbSize(int thumbSize) { return std::max(1, thumbSize); }

int32_t thumbTwips(double twipsPerPixelX, int thumbSize)
{
    return static_cast<int32_t>(roundHalfEven(twipsPerPixelX * effectiveThumbSize(thumbSize)));
}

Grid boardGrid(double innerWidth, double innerHeight, const TwipsPerPixel& tpp, int thumbSize)
{
    const int size = effectiveThumbSize(thumbSize);
    Grid g;
    g.box = thumbTwips(tpp.x, size);
    const auto colDivisor = static_cast<int64_t>(roundHalfEven(tpp.x * size));
    g.rowStep = size * roundHalfEven(tpp.y);
    const auto rowDivisor = static_cast<int64_t>(g.rowStep);
    const auto width = static_cast<int64_t>(roundHalfEven(innerWidth));
    const auto height = static_cast<int64_t>(roundHalfEven(innerHeight));
    g.columns = colDivisor > 0 ? static_cast<int>(std::max<int64_t>(1, width / colDivisor)) : 1;
    g.rows = rowDivisor > 0 ? static_cast<int>(std::max<int64_t>(1, height / rowDivisor)) : 1;
    g.pitch = innerWidth / g.columns;
    return g;
}

Grid spread(Grid grid, int tiles)
{
    if (tiles <= 0)
        return grid;
    // As few rows as the page needs, with as many columns each as fill them evenly.
    const int placed = static_cast<int>(std::min<int64_t>(tiles, int64_t(grid.columns) * grid.rows));
    const int rows = (placed + grid.columns - 1) / grid.columns;
    const int columns = (placed + rows - 1) / rows;
    if (columns >= grid.columns)
        return grid;
    const double width = grid.pitch * grid.columns;
    grid.columns = columns;
    grid.pitch = width / columns;
    grid.left = std::max(0.0, (grid.pitch - grid.box) / 2);
    return grid;
}

QRect boardRect(QSize client, int toolbarHeight, int statusBarHeight)
{
    return QRect(0, toolbarHeight, client.width(), std::max(0, client.height() - toolbarHeight - statusBarHeight));
}

QRect targetRect(int target, QSize board, int height)
{
    const double cell = board.width() / 10.0;
    const double width = board.width() / 11.0;
    const int left = int(std::lround(target * cell + (cell - width) / 2));
    const int right = int(std::lround(target * cell + (cell + width) / 2));
    return QRect(left, board.height() - height, right - left, height);
}

QRect badgeRect(QSize board, QSize badge, int targetsTop)
{
    const QRect last = targetRect(9, board, board.height() - targetsTop);
    return QRect(
        QPoint(std::max(0, last.right() + 1 - badge.width()), std::max(0, targetsTop - badge.height())), badge);
}

int tileAreaHeight(int boardHeight, int targetHeight, int badgeHeight)
{
    return std::max(0, boardHeight - targetHeight - badgeHeight);
}

int deviceBox(int box, double devicePixelRatio) { return int(std::ceil(box * std::max(1.0, devicePixelRatio) - 1e-9)); }

QSizeF naturalTwips(QSize pixels, const TwipsPerPixel& tpp)
{
    return QSizeF(pixels.width() * tpp.x, pixels.height() * tpp.y);
}

Fit fitThumbnail(QSizeF current, int32_t box)
{
    Fit f;
    auto w = static_cast<float>(current.width());
    auto h = static_cast<float>(current.height());
    if (w > box) {
        f.stretch = true;
        h = static_cast<float>(double(box) / w * h);
        w = static_cast<float>(box);
    }
    if (h > box) {
        f.stretch = true;
        w = static_cast<float>(double(box) / h * w);
        h = static_cast<float>(box);
    }
    f.size = QSizeF(w, h);
    return f;
}

PageCursor::PageCursor(const Grid& grid)
    : m_grid(grid)
{
}

std::optional<QPointF> PageCursor::place(QSizeF tile)
{
    if (m_column == m_grid.columns) {
        m_rowTop += m_grid.rowStep;
        m_column = 0;
        ++m_row;
        if (m_row == m_grid.rows)
            return std::nullopt;
    }
    if (m_row >= m_grid.rows)
        return std::nullopt;
    const double box = m_grid.box;
    const double top = tile.height() == box ? m_rowTop : m_rowTop + roundHalfEven((box - tile.height()) / 2);
    const double left = m_grid.left
        + (tile.width() == box ? m_column * m_grid.pitch : m_column * m_grid.pitch + (box - tile.width()) / 2);
    ++m_column;
    return QPointF(left, top);
}

int16_t loadMoreEnd(int steps, int thumbCount, int entryCount)
{
    int64_t end = int64_t(steps) * 10 + thumbCount;
    end = std::min<int64_t>(end, entryCount);
    end = std::min<int64_t>(end, std::numeric_limits<int16_t>::max());
    return static_cast<int16_t>(std::max<int64_t>(end, 0));
}

int16_t nextLoadMoreSteps(int16_t steps)
{
    return steps < std::numeric_limits<int16_t>::max() ? static_cast<int16_t>(steps + 1) : steps;
}

}
