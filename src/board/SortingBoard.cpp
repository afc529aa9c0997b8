#include "board/SortingBoard.h"
#include "board/BoardFocus.h"
#include "board/BoardGeometry.h"
#include "board/CopyModeBadge.h"
#include "board/Target.h"
#include "board/Tile.h"
#include "imaging/ThumbnailCache.h"
#include "session/PictureFolder.h"
#include "session/Settings.h"
#include "sorting/Sorter.h"
#include <QCoreApplication>
#include <QDropEvent>
#include <QMouseEvent>
#include <algorithm>

namespace {

const QString kTileTip = QStringLiteral("右クリックでワンポイントViewerを起動します。");
const QString kTargetTip = QStringLiteral("サムネイルをここへドラッグドロップする事でファイルを移動します。");
// Thumbnails made ahead past the page: one load-anew step.
constexpr int kLookAhead = 10;

QColor opaque(const QColor& c) { return QColor(c.red(), c.green(), c.blue()); }

QPointF twipsAt(const QPointF& px, const TwipsPerPixel& tpp) { return { px.x() * tpp.x, px.y() * tpp.y }; }

}

SortingBoard::SortingBoard(Settings& settings, Session& session, PictureFolder& folder, Sorter& sorter,
    ThumbnailCache& thumbnails, QWidget* client)
    : QWidget(client)
    , m_settings(settings)
    , m_session(session)
    , m_folder(folder)
    , m_sorter(sorter)
    , m_thumbnails(thumbnails)
    , m_tpp(screenTwipsPerPixel())
    , m_targetColour(opaque(client->palette().color(QPalette::Window)))
    , m_pageEnd(settings.thumbCount)
    , m_undoEnabled(sorter.canUndo())
{
    setAcceptDrops(true);
    // On the board the board takes the keyboard; its keys are read by BoardFocus.
    setFocusPolicy(Qt::StrongFocus);
    m_targets.resize(10);
    m_targets[0] = new Target(0, m_targetColour, this);
    m_targets[0]->hide();
    connect(m_targets[0], &Target::dropped, this, &SortingBoard::dropOnTarget);
    m_focus = std::make_unique<BoardFocus>(*this, m_session, m_sorter);
    m_tiles.append(nullptr);
    createTile(0);
    // The badge lives on the client area itself on the folder screen.
    m_badge = new CopyModeBadge(m_tpp, client);
    connect(m_badge, &CopyModeBadge::droppedOn, this, &SortingBoard::dropOnBadge);
    placeBadge(false);
    m_badge->hide();

    connect(&m_sorter, &Sorter::moving, this, [this](int i) {
        if (Tile* tile = tileAt(i))
            tile->hide();
    });
    // The file stayed where it was, so its thumbnail comes back.
    connect(&m_sorter, &Sorter::stayed, this, [this](int i) {
        if (Tile* tile = tileAt(i))
            tile->show();
    });
    connect(&m_sorter, &Sorter::historyChanged, this, [this](bool on) { m_undoEnabled = on; });
    // The history changed: the board shows the folder as it now is.
    connect(&m_sorter, &Sorter::undone, this, &SortingBoard::reload);
}

SortingBoard::~SortingBoard() = default;

Tile* SortingBoard::tileAt(int i) const { return i >= 0 && i < m_tiles.size() ? m_tiles[i] : nullptr; }

Target* SortingBoard::targetAt(int k) const { return k >= 0 && k < m_targets.size() ? m_targets[k] : nullptr; }

Tile* SortingBoard::createTile(int i)
{
    if (m_tiles.size() <= i)
        m_tiles.resize(i + 1);
    delete m_tiles[i];
    auto* tile = new Tile(i, m_tpp, this);
    // A new tile starts with tile 0's size, as the first tile of a page is measured.
    if (i > 0) {
        tile->setSizeTwips(m_tiles[0]->sizeTwips());
        tile->setToolTip(kTileTip);
    }
    tile->hide();
    connect(tile, &Tile::pressed, this, &SortingBoard::pressTile);
    connect(tile, &Tile::droppedOn, this, &SortingBoard::dropOnTile);
    connect(tile, &Tile::entered, m_focus.get(), &BoardFocus::tileEntered);
    connect(tile, &Tile::hiddenByItself, m_focus.get(), &BoardFocus::tileHidden);
    m_tiles[i] = tile;
    return tile;
}

void SortingBoard::removeTiles()
{
    // Every tile above 0, not only those of the page: a thumbnail count changed on the
    // board would otherwise leave tiles of the earlier page standing.
    for (int i = 1; i < m_tiles.size(); ++i)
        delete m_tiles[i];
    m_tiles.resize(1);
}

QList<int> SortingBoard::reachedPositions() const
{
    // The page fill places tiles in list order, so the placed ones are a run from 0.
    QList<int> reached;
    for (int i = 0; i < m_pageEnd && tileAt(i) && tileAt(i)->isPlaced(); ++i)
        reached.append(i);
    return reached;
}

void SortingBoard::placeBadge(bool onBoard)
{
    // Reparenting hides a widget; the blink state must survive the move.
    const bool shown = !m_badge->isHidden();
    QWidget* client = parentWidget();
    if (onBoard) {
        m_badge->setParent(this);
        const QRectF r = BoardGeometry::badgeRect(
            pixelsToTwips(client->width(), m_tpp.x), pixelsToTwips(client->height(), m_tpp.y));
        placeTwips(m_badge, r.x(), r.y(), r.width(), r.height(), m_tpp);
    } else {
        m_badge->setParent(client);
        placeTwips(m_badge, 120, 720, 255, 255, m_tpp);
    }
    m_badge->setVisible(shown);
}

void SortingBoard::build(const Session::BusyGuard&)
{
    m_pageEnd = m_settings.thumbCount;
    placeBadge(true);
    m_settings.updateDestNames();

    const double w = pixelsToTwips(width(), m_tpp.x);
    const double h = pixelsToTwips(height(), m_tpp.y);
    for (int k = 0; k < 10; ++k) {
        if (k > 0) {
            delete m_targets[k];
            m_targets[k] = new Target(k, m_targetColour, this);
            connect(m_targets[k], &Target::dropped, this, &SortingBoard::dropOnTarget);
        }
        Target* target = m_targets[k];
        target->setToolTip(kTargetTip);
        const QRectF r = BoardGeometry::targetRect(k, w, h);
        placeTwips(target, r.x(), r.y(), r.width(), r.height(), m_tpp);
        // The root a first start gives every target is no place to sort into.
        const auto i = static_cast<size_t>(k);
        target->setText(
            Settings::isUnsetFolder(m_settings.destPaths[i]) ? QStringLiteral("未設定") : m_settings.destNames[i]);
        target->resetColour();
        target->show();
    }
    fillPage(m_settings.thumbCount, true);
}

void SortingBoard::tearDown()
{
    for (int k = 1; k < m_targets.size(); ++k) {
        delete m_targets[k];
        m_targets[k] = nullptr;
    }
    removeTiles();
    placeBadge(false);
    m_steps = 0;
    m_pageEnd = m_settings.thumbCount;
}

void SortingBoard::reload() { refill(0); }

void SortingBoard::loadAnew()
{
    if (!m_session.isBusy())
        refill(BoardGeometry::nextLoadAnewSteps(m_steps));
}

void SortingBoard::refill(int16_t steps)
{
    if (m_session.isBusy())
        return;
    {
        const Session::BusyGuard busy(m_session);
        m_steps = steps;
        // Load anew is bounded by the list as it was before this command relists it.
        m_pageEnd = steps == 0 ? m_settings.thumbCount
                               : BoardGeometry::loadAnewEnd(steps, m_settings.thumbCount, m_folder.count());
        emit refillStarted();
        removeTiles();
        m_folder.refresh();
        fillPage(m_pageEnd, false);
        emit refilled(m_folder.count());
    }
    m_focus->frameFirst();
}

void SortingBoard::fillPage(int limit, bool fromBuild)
{
    const int size = BoardGeometry::effectiveThumbSize(m_settings.thumbSize);
    const double boardW = pixelsToTwips(width(), m_tpp.x);
    const double boardH = pixelsToTwips(height(), m_tpp.y);

    Tile* first = m_tiles[0];
    first->setSizeTwips(QSizeF(m_tpp.x * size, size * m_tpp.y));
    m_thumbTwips = BoardGeometry::thumbTwips(m_tpp.x, size);
    // Tile 0 shows again only when it gets a file of this page.
    first->hide();
    first->setPlaced(false);

    QCoreApplication::processEvents();
    if (fromBuild)
        first->setToolTip(kTileTip);

    const BoardGeometry::Grid grid = BoardGeometry::boardGrid(boardW, boardH, m_tpp, size);
    BoardGeometry::PageCursor cursor(grid);
    // Every picture the page can show is asked for before the first tile is placed, so
    // the workers stay ahead of the tiles.
    const int planned = std::min({ limit, m_folder.count(), grid.columns * grid.rows });
    QStringList paths;
    for (int i = 0; i < planned; ++i)
        paths.append(m_folder.filePath(i));
    const int box = twipsToPixels(m_thumbTwips, m_tpp.x);
    m_thumbnails.prefetch(paths, box);

    for (int i = 0; i < limit; ++i) {
        Tile* tile = i == 0 ? m_tiles[0] : createTile(i);
        if (i >= m_folder.count())
            break;
        tile->hide();
        placePicture(*tile, m_folder.filePath(i));
        const std::optional<QPointF> at = cursor.place(tile->sizeTwips());
        if (!at)
            break; // the board is full
        tile->moveTwips(*at);
        tile->setPlaced(true);
        QCoreApplication::processEvents();
        // The events just run may have refilled nothing (the busy state), but look again.
        if (Tile* t = tileAt(i))
            t->show();
    }
    // What the page no longer needs is dropped. The entries after it are the ones the
    // next reload (after drops) and load anew show: made while the user sorts.
    m_thumbnails.cancelPending();
    QStringList next;
    for (int i = planned; i < std::min(m_folder.count(), planned + kLookAhead); ++i)
        next.append(m_folder.filePath(i));
    m_thumbnails.prefetch(next, box);
    // The targets stay reachable over a last row that reaches into their band.
    for (Target* target : std::as_const(m_targets))
        if (target)
            target->raise();
    m_badge->raise();
}

void SortingBoard::placePicture(Tile& tile, const QString& path)
{
    tile.setStretch(false);
    const ThumbnailMaker::ThumbResult thumb = m_thumbnails.take(path, twipsToPixels(m_thumbTwips, m_tpp.x));
    if (thumb.image.isNull()) {
        // Nothing readable: an empty frame of the size the tile had, never the picture
        // of another file.
        tile.showNoPicture();
        return;
    }
    tile.showPicture(thumb.image, thumb.natural);
    const BoardGeometry::Fit fit
        = BoardGeometry::fitThumbnail(BoardGeometry::naturalTwips(thumb.natural, m_tpp), m_thumbTwips);
    tile.setStretch(fit.stretch);
    tile.setSizeTwips(fit.size);
}

void SortingBoard::pressTile(int position, Qt::MouseButton button, QPointF grabTwips)
{
    if (m_session.isBusy())
        return;
    Tile* tile = tileAt(position);
    if (!tile)
        return;
    m_drag = { position, grabTwips };
    // The right button opens the one-point viewer over the board instead: a drag begun
    // with it would hold the pointer and swallow the click that closes the viewer.
    if (button == Qt::RightButton) {
        requestOnePointViewer(position);
        return;
    }
    tile->beginDrag();
    emit fileChosen(m_folder.name(position));
}

void SortingBoard::requestOnePointViewer(int position)
{
    emit fileChosen(m_folder.name(position));
    emit onePointViewerRequested(position);
}

void SortingBoard::dropOnTarget(int k) { sendToTarget(m_drag.position, k); }

void SortingBoard::sendToTarget(int position, int k)
{
    if (m_session.isBusy())
        return;
    if (Target* target = targetAt(k))
        target->resetColour();
    m_sorter.transfer(k, position, m_folder.path(), m_folder.name(position));
}

void SortingBoard::sendAllReached()
{
    // Never a list position the user has not seen: a full board stops short of the page's end.
    m_sorter.sendAll(m_folder.path(), m_folder.names(), reachedPositions());
}

void SortingBoard::moveDragged(QPointF topLeft)
{
    if (Tile* dragged = tileAt(m_drag.position))
        dragged->moveTwips(topLeft - m_drag.grabTwips);
}

void SortingBoard::dropOnTile(int position, QPointF atTwips)
{
    if (const Tile* under = tileAt(position); under && tileAt(m_drag.position))
        moveDragged(under->posTwips() + atTwips);
}

void SortingBoard::dropOnBadge(QPointF atTwips)
{
    moveDragged(QPointF(pixelsToTwips(m_badge->x(), m_tpp.x), pixelsToTwips(m_badge->y(), m_tpp.y)) + atTwips);
}

void SortingBoard::mousePressEvent(QMouseEvent* e)
{
    if (m_session.isBusy() || e->button() != Qt::RightButton)
        return;
    const QPointF t = twipsAt(e->position(), m_tpp);
    emit menuRequested(mapToGlobal(QPoint(twipsToPixels(t.x(), m_tpp.x), twipsToPixels(t.y(), m_tpp.y))));
}

void SortingBoard::dragEnterEvent(QDragEnterEvent* e) { TileDrag::accept(e); }
void SortingBoard::dragMoveEvent(QDragMoveEvent* e) { TileDrag::accept(e); }

void SortingBoard::dropEvent(QDropEvent* e)
{
    if (TileDrag::accept(e))
        moveDragged(twipsAt(e->position(), m_tpp));
}
