#pragma once
#include "platform/Twips.h"
#include "viewer/ViewerLogic.h"
#include <QImage>
#include <QSize>
#include <QVector>
#include <QWidget>
#include <memory>

class Form1;
class PictureBox;
class PicturePrefetch;
struct Picture;
class QAction;
class QTimer;
class QToolBar;
class StatusBar;
class PictureFolder;
class PngDecoder;
class Session;
struct Settings;

// The viewer: one picture of the source folder at a time, reduced to fit and centred,
// with stepping, a slideshow, and the one-point mode the board opens.
class Form4 : public QWidget {
    Q_OBJECT
public:
    Form4(Settings& settings, Session& session, const PictureFolder& folder, const PngDecoder& png, Form1* form1);
    ~Form4() override;

    static QString normalTip(); // the picture area's tooltip of the full viewer
    static QString onePointTip();

    QToolBar* Toolbar1 = nullptr;
    QVector<QAction*> ToolbarButtons; // 1..8; 3 the separator
    QWidget* Picture1 = nullptr;
    PictureBox* Image1 = nullptr;
    StatusBar* StatusBar1 = nullptr;
    QTimer* Timer1 = nullptr; // slideshow clock; stopped = interval 0

    void Form_Load();
    void Form_Resize();
    void Form_QueryUnload();
    void Form_KeyDown(int key, Qt::KeyboardModifiers modifiers);
    void Image1_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, float x, float y);
    void Picture1_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, float x, float y);
    void Timer1_Timer();
    void Toolbar1_ButtonClick(int index);
    void StopSlideshow();
    void ShowImage();

    // One-point mode on or off: toolbar and picture tooltips.
    void setOnePointLook(bool on);

    int slideIcon() const { return m_step.slideIcon(); } // 5 or 8
    // The box the last photo was asked to fit into when decoded (invalid when decoded whole).
    QSize lastDecodeBox() const { return m_lastDecodeBox; }
    // The pictures made ahead of the next step.
    PicturePrefetch& prefetch() const { return *m_prefetch; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildToolbar();
    void buildStatusBar();
    bool applyLayout(); // false when the client area is too small
    void fitFrame(); // once framed, the frame gets the outer size the load asked for
    void applyStepperState(); // clock, icon 5/8 and button 1 from the stepper
    void showEntry(); // viewerFile := entry(viewerIndex), then display
    void mouseDown(QWidget* control, Qt::MouseButton button);
    int entryCount() const;
    QString entryAt(int i) const;
    // After a display: the neighbours are made in the background, the picture shown is kept.
    void prepareNeighbours(const QString& shownPath, QSize area, const Picture& shown);

    Settings& m_settings;
    Session& m_session;
    const PictureFolder& m_folder;
    const PngDecoder& m_png;
    Form1* m_form1;
    TwipsPerPixel m_tpp;
    ViewerStepper m_step;
    std::unique_ptr<PicturePrefetch> m_prefetch;
    QSize m_lastDecodeBox;
    QSize m_areaShown; // the picture area's size at the last display
    QSize m_outerSize; // the outer size the load asked for, until the frame is known
    bool m_loaded = false;
    bool m_closed = false;
    unsigned m_displaySerial = 0;
    // The file the last display reported missing. Displaying it again with nothing else
    // shown in between (the window fitted to its frame, a resize) does not ask again.
    QString m_missingReported;
};
