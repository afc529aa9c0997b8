#pragma once
#include "platform/Twips.h"
#include "viewer/ViewerStepper.h"
#include <QSize>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class PicturePrefetch;
class PictureView;
struct Picture;
class QAction;
class QLabel;
class QTimer;
class QToolBar;
class StatusBar;
class PictureFolder;
class PngDecoder;
class Session;
struct Settings;

// The viewer: one picture of the source folder at a time, reduced to fit and centred,
// with stepping, a slideshow, and the one-point mode the board opens. It deletes itself
// when closed; each open request for a closed viewer makes a new one.
class ViewerWindow : public QWidget {
    Q_OBJECT
public:
    // The status bar's panels that tell of the picture; the rest keep themselves.
    enum class StatusPanel { Folder = 1, FileName, NaturalSize, FileSize, Modified, Notice };

    enum class Mode { Full, OnePoint };
    enum class Command { Options, Close, First, Previous, Slideshow, Next, Last };

    ViewerWindow(
        Settings& settings, Session& session, const PictureFolder& folder, const PngDecoder& png, QWidget* owner);
    ~ViewerWindow() override;

    static QString normalTip(); // the picture area's tooltip of the full viewer
    static QString onePointTip();

    // Entry `position` of the folder is shown. The first request lays the window
    // out, displays and shows it. An open full viewer asked for the full mode only comes
    // forward (its next step counts from the new position); asked for the one-point mode,
    // it stops its slideshow and displays the entry without its toolbar.
    void open(int position, Mode mode);
    // A toolbar button's action, also when the button is disabled.
    void command(Command c);
    void tick(); // one slideshow tick
    void stopSlideshow();
    void toggleFullScreen(); // F11 and a double click
    // Z or Ctrl+1: the picture at 100 %, kept on the same point of each picture stepped
    // to; Z again or Ctrl+0 fits it again.
    void showActualSize();
    void fitAgain();

    // What became of a digit key's send (sendRequested). A sent picture is followed by
    // the next one still in the folder, at the end by the previous one; with none left
    // the viewer says so and closes. A refused one stays shown. Either way a notice over
    // the picture says so for about a second.
    void sendDone(int target, const QString& targetName);
    void sendRefused(int target);
    // After an undo: the entry of `fileName`, back in the listing, is shown.
    void showReturned(const QString& fileName);
    // What would go along with a picture of the folder, for the file panel: "+CR2 +XMP".
    using CompanionSummary = std::function<QString(const QString& fileName)>;
    void setCompanionSummary(CompanionSummary summary) { m_companionSummary = std::move(summary); }

    int position() const { return m_entry; } // the folder's entry shown
    bool isOnePoint() const { return m_onePointLook; }
    SlideshowIcon slideIcon() const { return m_step.slideIcon(); }
    // The box the last photo was asked to fit into when decoded (invalid when decoded whole).
    QSize lastDecodeBox() const { return m_lastDecodeBox; }
    // The pictures made ahead of the next step.
    PicturePrefetch& prefetch() const { return *m_prefetch; }

signals:
    void optionsRequested(); // the options button
    void closed(); // however it closes; the viewer mode is 0 again by then
    void sendRequested(int target, int entry); // a digit key: the entry shown goes to the target
    void undoRequested(); // Ctrl+Z: the last transfer, from here or the board, is undone

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void moveEvent(QMoveEvent* e) override;

private:
    void buildToolbar();
    void buildStatusBar();
    void setOnePointLook(bool on); // toolbar and picture tooltips
    void load(); // work-area geometry, layout, first display
    bool applyLayout(); // false when the client area is too small
    void fitFrame(); // once framed, the frame gets the outer size the load asked for
    void applyStepper(); // clock, slideshow icon and options button from the stepper
    void step(bool forward); // Space, Shift+Space and the clicks
    QSize decodeBox(QSize area) const; // the area in device pixels, so the picture is sharp
    void showCurrent(); // the entry at the stepper's position among the present ones, displayed
    int presentCount() const;
    void syncStep(); // the stepper on the entry shown, among the entries still present
    void listingChanged(); // relisted: the entry shown is found again by its name
    void countChanged(); // an entry went or came back: the title counts again
    void followSent(); // the entry shown was sent from the board: the next one is shown
    void buildNotice();
    void showNotice(const QString& text);
    bool sortingKey(QKeyEvent* e); // digits, Ctrl+Z, Ctrl+1 and Ctrl+0; true when taken
    void display();
    void pictureClicked(QWidget* control, Qt::MouseButton button);
    // After a display: the neighbours are made in the background, the picture shown is kept.
    void describeShown(QSize natural); // title and the panels that tell of the file at the position
    void showNothing(); // nothing could be shown: said so in place of the last picture
    void prepareNeighbours(const QString& shownPath, QSize area, const Picture& shown);

    Settings& m_settings;
    Session& m_session;
    const PictureFolder& m_folder;
    CompanionSummary m_companionSummary;
    const PngDecoder& m_png;
    QLabel* m_notice = nullptr; // the m_notice over the picture
    QToolBar* m_toolbar = nullptr;
    QAction* m_optionsAction = nullptr;
    QAction* m_closeAction = nullptr;
    QAction* m_firstAction = nullptr;
    QAction* m_previousAction = nullptr;
    QAction* m_slideshowAction = nullptr;
    QAction* m_nextAction = nullptr;
    QAction* m_lastAction = nullptr;
    PictureView* m_pictureView = nullptr;
    StatusBar* m_statusBar = nullptr;
    QTimer* m_slideClock = nullptr; // stopped = interval 0
    TwipsPerPixel m_tpp;
    ViewerStepper m_step; // its position counts the present entries only
    int m_entry = 0; // the folder's entry shown
    QString m_file;
    bool m_keepActualSize = false; // stepping keeps 100 %
    bool m_followPending = false;
    QTimer* m_noticeClock = nullptr;
    std::unique_ptr<PicturePrefetch> m_prefetch;
    QSize m_lastDecodeBox;
    int m_wheelTurn = 0; // eighths of a degree not yet stepped
    QSize m_areaShown; // the picture area's size at the last display
    QSize m_outerSize; // the outer size the load asked for, until the frame is known
    bool m_onePointLook = false;
    bool m_loaded = false;
    bool m_closed = false;
    unsigned m_displaySerial = 0;
    // The file the last display reported missing. Displaying it again with nothing else
    // shown in between (the window fitted to its frame, a resize) does not ask again.
    QString m_missingReported;
};
