#pragma once
#include "platform/Twips.h"
#include "session/PictureFolder.h"
#include "session/Session.h"
#include "session/Settings.h"
#include "viewer/ViewerWindow.h"
#include <QColor>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVector>
#include <cstdint>
#include <memory>

class QAction;
class QKeyEvent;
class QLabel;
class QMenu;
class QToolBar;
class FolderPage;
class StatusBar;
class SortingBoard;
class PngDecoder;
class Sorter;
class ThumbnailCache;
class AboutDialog;
class DestinationsDialog;
class OptionsDialog;
class UsageWindow;

// The main window: the folder screen and the sorting board share its client area, only
// one of them shown. Its parts are grouped by the folder whose Form1_*.cpp files
// implement them, each group ready to leave this class on its own:
//   app/                    the window itself, start-up and shut-down, the folder screen
//                           (FolderPage), the menus and the toolbar (Form1.cpp, Form1_Commands.cpp)
//   board/                  the sorting board (SortingBoard): switching to it and wiring it
//                           (Form1_Board.cpp)
//   the other windows       opening the viewer, the dialogs and the about and usage
//                           windows, and their signals (Form1_Windows.cpp)
// The settings, the run's state, the picture folder and the sorter are the program's;
// the window is given them.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    // ==== app/: the window

    Form1(Settings& settings, Session& session, PictureFolder& folder, Sorter& sorter, QWidget* parent = nullptr);
    ~Form1() override;

    // False when the start-up found a short settings file: it has been deleted and
    // the program must end without showing a window.
    bool startedUp() const { return m_startedUp; }

    Settings& settings() { return m_settings; }
    Session& session() { return m_session; }
    PictureFolder& folder() { return m_folder; }
    Sorter& sorter() { return m_sorter; }
    const TwipsPerPixel& tpp() const { return m_tpp; }
    const PngDecoder& pngDecoder() const { return *m_png; }
    ThumbnailCache& thumbnails() const { return *m_thumbs; }
    QWidget* client() const { return m_client; }

    // The client area's inner size in twips.
    double innerWidthTwips() const;
    double innerHeightTwips() const;
    bool onBoard() const; // the sorting board is the screen shown

    FolderPage& folderPage() const { return *m_folderPage; }
    StatusBar& statusBar() const { return *m_statusBar; }
    QToolBar* toolbar() const { return m_toolbar; } // over the board
    QMenu* boardMenu() const { return m_boardMenu; } // the board's pop-up menu

    // ==== app/: the menus, the toolbar and the commands they give

    // On the menu bar.
    QAction* optionsAction = nullptr;
    QAction* destinationsAction = nullptr;
    QAction* aboutAction = nullptr;
    QAction* helpAction = nullptr;
    // On the board's pop-up menu.
    QAction* reloadAction = nullptr;
    QAction* loadAnewAction = nullptr;
    QAction* undoAction = nullptr;
    QAction* viewerAction = nullptr;
    QAction* sendAllAction = nullptr;
    // On the toolbar.
    QAction* backAction = nullptr;
    QAction* toolbarUndoAction = nullptr;
    QAction* quitAction = nullptr;

    void showHelp(); // the help page, or the usage window when there is none
    void openHelpPage();
    void openViewerFromMenu();
    void undoLastTransfer();
    // The toolbar's commands, each held back while the board is busy.
    void backFromToolbar();
    void undoFromToolbar();
    void quitFromToolbar();
    void returnToFolderScreen();

    // ==== board/: the sorting board (app/Form1_Board.cpp)

    SortingBoard& board() const { return *m_board; }
    void openBoard(); // "実行": the board on the folder as listed

    // ==== the other windows (Form1_Windows.cpp): made on request, gone when closed

    // Modal; held back while the board is busy. An open one is brought forward instead.
    void openOptions();
    void openDestinations();
    // The options dialog without blocking, for the viewer's toolbar. The main window owns it,
    // so it outlives the viewer with the user's edits. An open one is brought forward instead.
    void openOptionsModeless();
    // The viewer at entry `index` of the picture folder; an open one is reused.
    void openViewer(int index, ViewerWindow::Mode mode);
    ViewerWindow* viewer() const { return m_viewer; }
    void openAbout();
    void openUsage();

protected:
    // app/
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    // ==== app/

    void startUp();
    void shutDown();
    void buildFolderScreen();
    void buildMenus();
    void buildToolbar();
    void layoutChrome();
    void showFolderScreen(bool on);
    void showFolder(); // the status bar on the folder the page chose
    void setUndoEnabled(bool on);

    Settings& m_settings;
    Session& m_session;
    PictureFolder& m_folder;
    Sorter& m_sorter;
    TwipsPerPixel m_tpp;
    std::unique_ptr<PngDecoder> m_png; // the mpng library beside the program
    std::unique_ptr<ThumbnailCache> m_thumbs; // goes before m_png, which its workers use
    QWidget* m_client = nullptr;
    FolderPage* m_folderPage = nullptr;
    StatusBar* m_statusBar = nullptr;
    QToolBar* m_toolbar = nullptr;
    QMenu* m_optionsMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QMenu* m_boardMenu = nullptr;
    bool m_startedUp = true;
    bool m_shutDown = false;
    QString m_settingsFile; // where the shut-down writes; empty: the file is left alone
    QByteArray m_settingsRead; // the file as the start-up read it

    // ==== board/

    void wireBoard(); // once the toolbar and the menus exist
    void layoutClientNow();

    SortingBoard* m_board = nullptr;

    // ==== the other windows

    // The destinations dialog, the options dialog, the usage window, the viewer and the
    // about box, in this order.
    void closeOtherWindows();
    void wireOptions(OptionsDialog* dialog);
    void viewerClosed();

    QPointer<DestinationsDialog> m_destinations;
    QPointer<OptionsDialog> m_options;
    QPointer<UsageWindow> m_usage;
    QPointer<ViewerWindow> m_viewer;
    QPointer<AboutDialog> m_about;
};
