#pragma once
#include "board/BoardGeometry.h"
#include "platform/Twips.h"
#include "session/Session.h"
#include <QColor>
#include <QList>
#include <QPointF>
#include <QVector>
#include <QWidget>
#include <cstdint>
#include <memory>

class BoardFocus;
class CopyModeBadge;
class QLabel;
class PictureFolder;
class Sorter;
class Target;
class ThumbnailCache;
class Tile;
struct Settings;

// The sorting board: a page of thumbnails of the source folder above ten drop targets,
// and the copy-mode badge. It fills its page, hands a dropped or keyed thumbnail's file
// to the sorter and shows what the sorter did. The window around it places it in its
// client area, switches to it and shows what its signals tell.
class SortingBoard : public QWidget {
    Q_OBJECT
public:
    // `client`: the window's client area, the board's parent. The badge lives there on
    // the folder screen and is placed from its size on the board.
    SortingBoard(Settings& settings, Session& session, PictureFolder& folder, Sorter& sorter,
        ThumbnailCache& thumbnails, QWidget* client);
    ~SortingBoard() override;

    // The board on the folder as listed, once it has its place: the badge comes onto it,
    // the targets take their folders' names, the first page fills. Runs under the caller's
    // busy state.
    void build(const Session::BusyGuard& busy);
    // Back to the folder screen: targets 1..9 and every tile but the first go, the badge
    // returns there, and the next fill starts at the first page again.
    void tearDown();
    // The folder listed again and its first page shown; load more shows ten more each
    // time. Both are held back while busy.
    void reload();
    void loadMore();
    // Every file the board has reached goes to the delete folder.
    void sendAllReached();
    // Laid out again for the board's size, as every resize does: the targets along the
    // bottom, the badge above them, the page's tiles on the grid that now fits above
    // both. Sent tiles stay hidden in their places, the frame and the history stay, and a
    // thumbnail already made is not made again. A drag under way is cancelled. Held
    // back while busy and done when the busy work ends.
    void relayout();

    // What the tiles, targets and badge report; callable directly too.
    void pressTile(int position, Qt::MouseButton button, QPointF grabTwips);
    void dropOnTarget(int target); // the tile last pressed
    void sendToTarget(int position, int target); // held back while busy
    // Drops that only move the dragged thumbnail, to put the point where it was grabbed
    // under the pointer. They touch no file and are not held back.
    void dropOnTile(int position, QPointF atTwips);
    void dropOnBadge(QPointF atTwips);
    void requestOnePointViewer(int position);

    // Copy mode as the options dialog switches it: the badge blinks while it is on.
    void setCopyModeBlinking(bool on);
    // Copy mode as the dialog stored it: the badge shown while it is on.
    void showCopyModeBadge(bool on);

    // Tiles are named "tile<position>", targets "target<number>".
    int tileCount() const { return int(m_tiles.size()); }
    QColor targetColor() const { return m_targetColor; }
    const TwipsPerPixel& tpp() const { return m_tpp; }
    int32_t thumbTwips() const { return m_thumbTwips; } // the last fill's box
    int16_t pageEnd() const { return m_pageEnd; }
    int16_t loadMoreSteps() const { return m_steps; }
    int pageColumns() const { return m_grid.columns; } // of the last fill or layout
    int thumbnailDeviceBox() const; // the box's edge in the screen's own pixels
    // Where tiles may go: the board above the targets and the badge.
    int tileAreaHeight() const;
    // List positions 0..n-1 whose thumbnails got a place on the board (shown, or hidden
    // since by a transfer): what send all may take.
    QList<int> reachedPositions() const;
    bool undoEnabled() const { return m_undoEnabled; } // as the sorter last said
    BoardFocus& focus() { return *m_focus; }

signals:
    void refillStarted(); // a reload or load more begins
    void refilled(int entryCount); // and ended; the folder now lists this many
    void fileChosen(const QString& name); // a thumbnail was pressed or opened
    void onePointViewerRequested(int position);
    void menuRequested(const QPoint& globalPos);

protected:
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    friend class BoardFocus; // the frame and the flash live on the tiles and targets

    Tile* tileAt(int i) const; // null when tile i does not exist
    Target* targetAt(int target) const; // null when that target does not exist
    void refill(int16_t steps);
    void fillPage(int limit, bool fromBuild);
    void placePicture(Tile& tile, const QString& path);
    Tile* createTile(int i);
    void removeTiles(); // every tile above 0
    void placeBadge(bool onBoard);
    void placeTargets();
    // The grid for a page of `tiles` at the board's size and the last fill's box.
    BoardGeometry::Grid gridFor(int tiles) const;
    // Lays tiles 0..limit-1 on `grid` from tile `from` on; the ones not filled yet get
    // their pictures. False when the board is full.
    void layTiles(int limit, bool showEach);
    void updateEmptyNote();
    void moveDragged(QPointF topLeft);

    Settings& m_settings;
    Session& m_session;
    PictureFolder& m_folder;
    Sorter& m_sorter;
    ThumbnailCache& m_thumbnails;
    const TwipsPerPixel m_tpp;
    const QColor m_targetColor;
    QVector<Tile*> m_tiles; // element 0 always exists
    QVector<Target*> m_targets; // 0..9, element 0 always exists
    CopyModeBadge* m_badge;
    struct Drag {
        int position = 0; // the tile pressed last
        QPointF grabTwips; // where it was grabbed, from its top-left
    } m_drag;
    int32_t m_thumbTwips = 0;
    int m_thumbSize = 1; // pixels, of the last fill
    BoardGeometry::Grid m_grid;
    int m_filled = 0; // tiles 0..m_filled-1 have their pictures
    bool m_built = false;
    bool m_relayoutPending = false;
    bool m_dragging = false;
    bool m_layingOut = false;
    int m_frameWanted = -1; // the frame's tile while a smaller board leaves it out
    QLabel* m_emptyNote = nullptr; // the one line an empty board shows, hidden while a tile is
    int16_t m_pageEnd = 0;
    int16_t m_steps = 0; // load more commands since the first page
    bool m_undoEnabled = false;
    std::unique_ptr<BoardFocus> m_focus;
};
