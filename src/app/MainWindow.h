#pragma once
#include "platform/Twips.h"
#include "session/SettingsFile.h"
#include "sorting/Companions.h"
#include "viewer/ViewerWindow.h"
#include <QMainWindow>
#include <QPointer>
#include <memory>

class AboutDialog;
class DestinationsDialog;
class FolderPage;
class OptionsDialog;
class PictureFolder;
class Program;
class PngDecoder;
class QAction;
class QMenu;
class QToolBar;
class Session;
class SortingBoard;
class Sorter;
class StatusBar;
struct MoveProgress;
class ThumbnailCache;
class UsageWindow;
struct Settings;

// The main window: the folder screen and the sorting board share its client area, one of
// them shown, with the menus, the board's toolbar and the status bar around them. It
// reads the settings at start-up and writes them when it closes, opens the other windows
// and shows what they, the board and the sorter report. The settings, the run's state,
// the picture folder, the sorter, the decoder and the thumbnails are the program's; the
// window is given them.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The status bar's panels that say something of the folder; the rest keep themselves.
    enum class StatusPanel { Folder = 1, FileName, FileCount, Unlistable };

    explicit MainWindow(Program& program);
    ~MainWindow() override;

    const TwipsPerPixel& tpp() const { return m_tpp; }
    bool onBoard() const; // the sorting board is the screen shown

    void openBoard(); // "実行": the board on the folder as listed
    void returnToFolderScreen();
    void undoLastTransfer();
    // The toolbar's commands, each held back while the board is busy.
    void backFromToolbar();
    void undoFromToolbar();
    void quitFromToolbar();
    void showHelp(); // the help page, or the usage window when there is none
    void openHelpPage();
    // The viewer at entry `position` of the picture folder; an open one is reused.
    void openViewer(int position, ViewerWindow::Mode mode);
    void openViewerFromMenu();
    // Modal; held back while the board is busy. An open one is brought forward instead.
    void openOptions();
    void openDestinations();
    // The options dialog without blocking, for the viewer's toolbar. The main window owns
    // it, so it outlives the viewer with the user's edits.
    void openOptionsModeless();
    void openAbout();
    void openUsage();

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void startUp();
    void shutDown();
    void buildStatusBar();
    void buildMenus();
    void buildToolbar();
    void wire();
    void setClassicFormatsOnly(bool on);
    void saveMenuOptions(); // the checkable menu items, into Lumo.ini
    void wireOptions(OptionsDialog* dialog);
    void layoutChrome();
    void showFolder(); // the status bar on the folder the page chose
    void rememberSourceFolder(const QString& path);
    void showFileName(const QString& name);
    QString companionSummary(const QString& name); // "+CR2 +XMP" while companions follow
    void showMoveProgress(const MoveProgress& progress); // in the file name's panel, with a busy cursor
    void endMoveProgress();
    void setUndoEnabled(bool on);
    void viewerClosed();
    // The viewer's digit keys and Ctrl+Z, through the same transfer and undo as the board.
    void sendFromViewer(int target, int entry);
    void undoFromViewer();
    void enableStart();

    Settings& m_settings;
    Session& m_session;
    PictureFolder& m_folder;
    Sorter& m_sorter;
    const TwipsPerPixel m_tpp;
    const PngDecoder& m_png;
    ThumbnailCache& m_thumbnails;
    QWidget* m_client = nullptr;
    FolderPage* m_folderPage = nullptr;
    StatusBar* m_statusBar = nullptr;
    SortingBoard* m_board = nullptr;
    QToolBar* m_toolbar = nullptr;
    QMenu* m_optionsMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QMenu* m_boardMenu = nullptr;
    // On the menu bar.
    QAction* m_optionsAction = nullptr;
    QAction* m_destinationsAction = nullptr;
    QAction* m_classicFormatsAction = nullptr; // checked: JPEG, BMP, GIF and PNG only
    QAction* m_companionsAction = nullptr; // checked: a picture's RAW files and sidecars move with it
    QAction* m_aboutAction = nullptr;
    QAction* m_helpAction = nullptr;
    // On the board's pop-up menu.
    QAction* m_reloadAction = nullptr;
    QAction* m_loadMoreAction = nullptr;
    QAction* m_undoAction = nullptr;
    QAction* m_viewerAction = nullptr;
    QAction* m_sendAllAction = nullptr;
    // On the toolbar.
    QAction* m_backAction = nullptr;
    QAction* m_toolbarUndoAction = nullptr;
    QAction* m_quitAction = nullptr;

    bool m_shutDown = false;
    bool m_progressShown = false;
    QString m_fileNameShown; // the panel's text before a move's progress took it over
    CompanionLookup m_companions; // for the file panels: the board's follows the mouse
    SettingsFile::RunFile m_settingsFile;
    // Closed at shut-down in this order.
    QPointer<DestinationsDialog> m_destinations;
    QPointer<OptionsDialog> m_options;
    QPointer<UsageWindow> m_usage;
    QPointer<ViewerWindow> m_viewer;
    QPointer<AboutDialog> m_about;
};
