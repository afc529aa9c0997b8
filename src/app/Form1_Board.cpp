#include "app/Form1.h"
#include "board/BoardFocus.h"
#include "board/BoardGeometry.h"
#include "board/SortingBoard.h"
#include "imaging/SharedThumbnails.h"
#include "imaging/ThumbnailCache.h"
#include "platform/Message.h"
#include "platform/Numeric.h"
#include "platform/StatusBar.h"
#include "session/Session.h"
#include "sorting/Sorter.h"
#include <QAction>
#include <QLayout>
#include <QMenu>
#include <QToolBar>

// The main window's side of the sorting board: switching to it, and showing what it
// and the sorter report in the toolbar, the status bar, the menus and message boxes.

void Form1::wireBoard()
{
    ThumbnailCache::Options thumbs;
    thumbs.png = m_png.get();
    thumbs.sharedRoot = SharedThumbnails::defaultRoot();
    m_thumbs = std::make_unique<ThumbnailCache>(thumbs);
    m_board = new SortingBoard(m_settings, m_session, m_folder, m_sorter, *m_thumbs, m_client);
    m_board->hide();

    connect(m_board, &SortingBoard::refillStarted, this, [this] { m_toolbar->setEnabled(false); });
    connect(m_board, &SortingBoard::refilled, this, [this](int entries) {
        m_toolbar->setEnabled(true);
        m_statusBar->setPanelText(3, QStringLiteral(" %1 File ").arg(entries));
    });
    connect(m_board, &SortingBoard::fileChosen, this, [this](const QString& name) {
        m_statusBar->setPanelText(2, QStringLiteral(" ") + name + QStringLiteral(" "));
    });
    connect(m_board, &SortingBoard::onePointViewerRequested, this,
        [this](int position) { openViewer(position, ViewerWindow::Mode::OnePoint); });
    connect(m_board, &SortingBoard::menuRequested, this, [this](const QPoint& at) { m_boardMenu->popup(at); });
    connect(&m_sorter, &Sorter::historyChanged, this, &Form1::setUndoEnabled);
    connect(&m_sorter, &Sorter::failed, this,
        [this](const QString& message) { showMessage(this, message, QMessageBox::Ok, QMessageBox::Warning); });
}

void Form1::openBoard()
{
    // The build assumes the folder screen; it never runs on top of a board.
    if (onBoard() || m_session.isBusy())
        return;
    {
        const Session::BusyGuard busy(m_session);
        showFolderScreen(false);
        m_board->show();
        m_toolbar->show();
        m_toolbar->setEnabled(false);

        // The whole work area, without switching to the maximised state.
        const QRect wa = workArea();
        const double widthTwips = Numeric::roundHalfEven(pixelsToTwips(wa.x() + wa.width(), m_tpp.x));
        const double heightTwips = Numeric::roundHalfEven(pixelsToTwips(wa.y() + wa.height(), m_tpp.y));
        setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
        const QSize frameExtra = frameGeometry().size() - geometry().size();
        move(0, 0);
        resize(twipsToPixels(widthTwips, m_tpp.x) - frameExtra.width(),
            twipsToPixels(heightTwips, m_tpp.y) - frameExtra.height());
        layoutClientNow();

        const QRectF r = BoardGeometry::boardRect(innerWidthTwips(), innerHeightTwips());
        placeTwips(m_board, r.x(), r.y(), r.width(), r.height(), m_tpp);
        m_board->build(busy);

        m_toolbar->setEnabled(true);
    }
    m_board->focus().frameFirst();
    m_board->setFocus(Qt::OtherFocusReason);
}

void Form1::layoutClientNow()
{
    // The main window's layout places the client area on its next pass; the board is
    // measured from it right away.
    if (layout())
        layout()->activate();
}
