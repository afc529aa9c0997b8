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
#include "widgets/TwipsWidget.h"
#include <QCoreApplication>
#include <QDrag>
#include <QDropEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>

namespace {

const QString kTileTip = QStringLiteral("右クリックでワンポイントViewerを起動します。");
const QString kTargetTip = QStringLiteral("サムネイルをここへドラッグドロップする事でファイルを移動します。");
// Thumbnails made ahead past the page: one load-more step.
constexpr int kLookAhead = 10;

QColor opaque(const QColor& c) { return QColor(c.red(), c.green(), c.blue()); }

QPointF twipsAt(const QPointF& px, const TwipsPerPixel& tpp) { return { px.x() * tpp.x, px.y() * tpp.y }; }

// Between the badge and the targets' row, and around the empty board's note.
constexpr int kGap = 4;
// How soon a layout held back by busy work is tried again.
constexpr int kRetryMs = 50;

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
    , m_targetColor(opaque(client->palette().color(QPalette::Window)))
    , m_pageEnd(settings.thumbCount)
    , m_undoEnabled(sorter.canUndo())
{
    setAcceptDrops(true);
    // On the board the board takes the keyboard; its keys are read by BoardFocus.
    setFocusPolicy(Qt::StrongFocus);
    m_targets.resize(Settings::TargetCount);
    m_targets[0] = new Target(0, m_targetColor, this);
    m_targets[0]->hide();
    connect(m_targets[0], &Target::dropped, this, &SortingBoard::dropOnTarget);
    m_focus = std::make_unique<BoardFocus>(*this, m_session, m_sorter);
    // The status bar names the file the frame is on, as it names a pressed one.
    connect(m_focus.get(), &BoardFocus::currentChanged, this, [this](int position) {
        if (!m_layingOut)
            m_frameWanted = -1;
        if (const Tile* tile = tileAt(position); tile && !tile->isHidden() && position < m_folder.count())
            emit fileChosen(m_folder.name(position));
    });
    m_tiles.append(nullptr);
    createTile(0);
    // The badge lives on the client area itself on the folder screen.
    m_badge = new CopyModeBadge(m_tpp, client);
    m_badge->setObjectName(QStringLiteral("copyModeBadge"));
    connect(m_badge, &CopyModeBadge::droppedOn, this, &SortingBoard::dropOnBadge);
    placeBadge(false);
    m_badge->hide();
    m_emptyNote = new QLabel(this);
    m_emptyNote->setObjectName(QStringLiteral("emptyNote"));
    m_emptyNote->setAlignment(Qt::AlignCenter);
    m_emptyNote->hide();

    connect(&m_sorter, &Sorter::moving, this, [this](int i) {
        if (Tile* tile = tileAt(i)) {
            tile->setSent(true);
            tile->hide();
        }
        updateEmptyNote();
    });
    // The file stayed where it was, so its thumbnail comes back.
    connect(&m_sorter, &Sorter::stayed, this, [this](int i) {
        if (Tile* tile = tileAt(i)) {
            tile->setSent(false);
            if (tile->isPlaced())
                tile->show();
        }
        updateEmptyNote();
    });
    // A file gone from the folder by another hand leaves the board as a sent one does.
    connect(&m_folder, &PictureFolder::presenceChanged, this, [this](int i) {
        Tile* tile = m_folder.isGone(i) ? tileAt(i) : nullptr;
        if (!tile || tile->isSent())
            return;
        tile->setSent(true);
        tile->hide();
        updateEmptyNote();
    });
    connect(&m_sorter, &Sorter::historyChanged, this, [this](bool on) { m_undoEnabled = on; });
    // The history changed: the board shows the folder as it now is. A board torn down
    // (an undo from the viewer over the folder screen) has nothing to show.
    connect(&m_sorter, &Sorter::undone, this, [this] {
        if (m_built)
            reload();
    });
}

SortingBoard::~SortingBoard() = default;

void SortingBoard::setCopyModeBlinking(bool on) { m_badge->setBlinking(on); }

void SortingBoard::showCopyModeBadge(bool on) { m_badge->setVisible(on); }

Tile* SortingBoard::tileAt(int i) const { return i >= 0 && i < m_tiles.size() ? m_tiles[i] : nullptr; }

Target* SortingBoard::targetAt(int target) const
{
    return target >= 0 && target < m_targets.size() ? m_targets[target] : nullptr;
}

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
    connect(tile, &Tile::dragFinished, this, [this] { m_dragging = false; });
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
    m_tiles[0]->setSent(false);
    m_filled = 0;
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
        if (m_badge->parentWidget() != this)
            m_badge->setParent(this);
        const int targetsTop = height() - m_targets[0]->preferredHeight();
        m_badge->setGeometry(BoardGeometry::badgeRect(size(), m_badge->sizeHint(), targetsTop - kGap));
    } else {
        m_badge->setParent(client);
        // Its text decides its size: a fixed box would cut the text at a larger font.
        placeTwips(m_badge, 120, 720, 0, 0, m_tpp);
        m_badge->resize(m_badge->sizeHint());
    }
    m_badge->setVisible(shown);
}

int SortingBoard::tileAreaHeight() const
{
    return BoardGeometry::tileAreaHeight(
        height(), m_targets[0]->preferredHeight(), m_badge->sizeHint().height() + kGap);
}

int SortingBoard::thumbnailDeviceBox() const
{
    return BoardGeometry::deviceBox(twipsToPixels(m_thumbTwips, m_tpp.x), devicePixelRatioF());
}

void SortingBoard::placeTargets()
{
    for (Target* target : std::as_const(m_targets))
        if (target)
            target->setGeometry(BoardGeometry::targetRect(target->number(), size(), target->preferredHeight()));
}

BoardGeometry::Grid SortingBoard::gridFor(int tiles) const
{
    const double w = pixelsToTwips(width(), m_tpp.x);
    const double h = pixelsToTwips(tileAreaHeight(), m_tpp.y);
    return BoardGeometry::spread(BoardGeometry::boardGrid(w, h, m_tpp, m_thumbSize), tiles);
}

void SortingBoard::updateEmptyNote()
{
    bool anyShown = false;
    for (const Tile* tile : std::as_const(m_tiles))
        anyShown = anyShown || (tile && tile->isPlaced() && !tile->isSent());
    if (!m_built || anyShown) {
        m_emptyNote->hide();
        return;
    }
    const QString hint = QStringLiteral("F5 キー（右クリックの「画像をリロードする」）で読み直します。");
    m_emptyNote->setText(m_folder.count() == 0 ? QStringLiteral("このフォルダに画像はありません。") + hint
                                               : QStringLiteral("表示した画像はすべて振り分けました。") + hint);
    m_emptyNote->setGeometry(kGap, kGap, std::max(0, width() - 2 * kGap), std::max(0, tileAreaHeight() - 2 * kGap));
    m_emptyNote->setWordWrap(m_emptyNote->fontMetrics().horizontalAdvance(m_emptyNote->text()) > m_emptyNote->width());
    m_emptyNote->show();
    m_emptyNote->lower();
}

void SortingBoard::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    relayout();
}

void SortingBoard::relayout()
{
    if (!m_built)
        return;
    if (m_session.isBusy()) {
        // Once, when the work under way has ended: a fill or a transfer lets events run.
        if (!m_relayoutPending) {
            m_relayoutPending = true;
            QTimer::singleShot(kRetryMs, this, [this] {
                m_relayoutPending = false;
                relayout();
            });
        }
        return;
    }
    // The targets move away under a drag: it ends here rather than over a place that is gone.
    if (m_dragging) {
        m_dragging = false;
        QDrag::cancel();
    }
    for (Target* target : std::as_const(m_targets))
        if (target)
            target->resetColor();
    placeTargets();
    placeBadge(true);
    // A frame whose tile a smaller board left out goes to a tile on show, and comes back
    // when the board is large enough again, unless the user moved it meanwhile.
    const int wanted = m_frameWanted >= 0 ? m_frameWanted : m_focus->current();
    m_layingOut = true;
    {
        const Session::BusyGuard busy(m_session);
        layTiles(m_pageEnd, false);
    }
    if (const Tile* tile = tileAt(wanted); tile && !tile->isHidden()) {
        m_focus->setCurrent(wanted);
        m_frameWanted = -1;
    } else {
        m_frameWanted = wanted;
        if (const Tile* current = tileAt(m_focus->current()); !current || current->isHidden())
            m_focus->frameFirst();
    }
    m_layingOut = false;
}

void SortingBoard::build(const Session::BusyGuard&)
{
    m_pageEnd = m_settings.thumbCount;
    m_settings.updateDestinationNames();

    for (int target = 0; target < Settings::TargetCount; ++target) {
        if (target > 0) {
            delete m_targets[target];
            m_targets[target] = new Target(target, m_targetColor, this);
            connect(m_targets[target], &Target::dropped, this, &SortingBoard::dropOnTarget);
        }
        Target* widget = m_targets[target];
        // The root a first start gives every target is no place to sort into.
        const auto i = static_cast<size_t>(target);
        widget->setText(Settings::isUnsetFolder(m_settings.destinationFolders[i]) ? QStringLiteral("未設定")
                                                                                  : m_settings.destinationNames[i]);
        // The whole name, for a target too narrow to show it.
        widget->setToolTip(widget->text() + QLatin1Char('\n') + kTargetTip);
        widget->resetColor();
        widget->show();
    }
    placeTargets();
    placeBadge(true);
    m_built = true;
    fillPage(m_settings.thumbCount, true);
}

void SortingBoard::tearDown()
{
    m_built = false;
    m_emptyNote->hide();
    for (int target = 1; target < m_targets.size(); ++target) {
        delete m_targets[target];
        m_targets[target] = nullptr;
    }
    removeTiles();
    placeBadge(false);
    m_steps = 0;
    m_pageEnd = m_settings.thumbCount;
}

void SortingBoard::reload() { refill(0); }

void SortingBoard::loadMore()
{
    if (!m_session.isBusy())
        refill(BoardGeometry::nextLoadMoreSteps(m_steps));
}

void SortingBoard::refill(int16_t steps)
{
    if (m_session.isBusy())
        return;
    {
        const Session::BusyGuard busy(m_session);
        m_steps = steps;
        // Load more is bounded by the list as it was before this command relists it.
        m_pageEnd = steps == 0 ? m_settings.thumbCount
                               : BoardGeometry::loadMoreEnd(steps, m_settings.thumbCount, m_folder.count());
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
    m_thumbSize = BoardGeometry::effectiveThumbSize(m_settings.thumbSize);
    Tile* first = m_tiles[0];
    first->setSizeTwips(QSizeF(m_tpp.x * m_thumbSize, m_thumbSize * m_tpp.y));
    m_thumbTwips = BoardGeometry::thumbTwips(m_tpp.x, m_thumbSize);
    // Tile 0 shows again only when it gets a file of this page.
    first->hide();
    first->setPlaced(false);
    first->setSent(false);
    m_filled = 0;
    m_frameWanted = -1;

    QCoreApplication::processEvents();
    if (fromBuild)
        first->setToolTip(kTileTip);
    layTiles(limit, true);
}

void SortingBoard::layTiles(int limit, bool showEach)
{
    const int tiles = std::min(limit, m_folder.count());
    m_grid = gridFor(tiles);
    BoardGeometry::PageCursor cursor(m_grid);
    // Every picture the page can show and does not have yet is asked for before the first
    // tile is placed, so the workers stay ahead of the tiles.
    const int planned = std::min(tiles, m_grid.columns * m_grid.rows);
    const int box = thumbnailDeviceBox();
    QStringList paths;
    for (int i = m_filled; i < planned; ++i)
        paths.append(m_folder.filePath(i));
    if (!paths.isEmpty())
        m_thumbnails.prefetch(paths, box);

    bool full = false;
    for (int i = 0; i < tiles; ++i) {
        Tile* tile = tileAt(i);
        if (full) {
            // Past the end of a board grown smaller: kept with its picture for a larger one.
            if (tile) {
                tile->setPlaced(false);
                tile->hide();
            }
            continue;
        }
        if (i >= m_filled) {
            tile = i == 0 ? m_tiles[0] : createTile(i);
            tile->hide();
            placePicture(*tile, m_folder.filePath(i));
            m_filled = i + 1;
        }
        const std::optional<QPointF> at = cursor.place(tile->sizeTwips());
        if (!at) {
            full = true;
            tile->setPlaced(false);
            tile->hide();
            continue;
        }
        tile->moveTwips(*at);
        tile->setPlaced(true);
        if (!showEach) {
            tile->setVisible(!tile->isSent());
            continue;
        }
        QCoreApplication::processEvents();
        // The events just run may have refilled nothing (the busy state), but look again.
        if (Tile* t = tileAt(i); t && !t->isSent())
            t->show();
    }
    if (showEach || !paths.isEmpty()) {
        // What the page no longer needs is dropped. The entries after it are the ones the
        // next reload (after drops) and load more show: made while the user sorts.
        m_thumbnails.cancelPending();
        QStringList next;
        for (int i = planned; i < std::min(m_folder.count(), planned + kLookAhead); ++i)
            next.append(m_folder.filePath(i));
        m_thumbnails.prefetch(next, box);
    }
    // The targets stay reachable over a dragged thumbnail let go in their band.
    for (Target* target : std::as_const(m_targets))
        if (target)
            target->raise();
    m_badge->raise();
    updateEmptyNote();
}

void SortingBoard::placePicture(Tile& tile, const QString& path)
{
    tile.setStretch(false);
    const ThumbnailMaker::ThumbResult thumb = m_thumbnails.take(path, thumbnailDeviceBox());
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
    m_dragging = true;
    emit fileChosen(m_folder.name(position));
}

void SortingBoard::requestOnePointViewer(int position)
{
    emit fileChosen(m_folder.name(position));
    emit onePointViewerRequested(position);
}

void SortingBoard::dropOnTarget(int target) { sendToTarget(m_drag.position, target); }

void SortingBoard::sendToTarget(int position, int target)
{
    if (m_session.isBusy())
        return;
    if (Target* widget = targetAt(target))
        widget->resetColor();
    m_sorter.transfer(target, position, m_folder.path(), m_folder.name(position));
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
