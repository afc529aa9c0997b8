#pragma once
#include <QDateTime>
#include <QLocale>
#include <QRect>
#include <QString>
#include <cstdint>

class Session;
struct Settings;

// The viewer's arithmetic and texts, free of any window.
namespace ViewerLogic {

// Folder + file name; a folder that already ends with the separator (a root) is joined directly.
QString joinPath(const QString& folder, const QString& file);

// The largest picture the viewer decodes, in pixels: 256 MP as cameras count them
// (16000 x 16000 is within it, 16384 x 16384 beyond). A larger one is refused from its
// header and shown as an invalid picture, so that a small file cannot ask for gigabytes.
constexpr qint64 kMaxPixels = 256'000'000;

QString titleText(int16_t viewerMode, const QString& file, int32_t index, int count);

// The file length rounded up to whole kilobytes.
int64_t kilobytes(int64_t length);
QString sizeText(int64_t length); // " K" + "KB "
QString naturalSizeText(QSize natural); // " WXH Pixel "
QString modifiedText(const QDateTime& when, const QLocale& locale = QLocale());

// A picture of natural size w x h placed in an area sw x sh: reduced to the width when
// wider, then to the height when still taller (both tests strict), never enlarged, centred.
struct Fit {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
    bool reduced = false;
};
Fit fitToArea(float w, float h, float sw, float sh);
QRect toPixels(const Fit& fit); // halves to even

// The slideshow interval in ms; seconds outside 1..32 run at the nearest of the two.
int slideIntervalMs(int seconds);

} // namespace ViewerLogic

// The viewer's position and slideshow clock as a state machine. Each input moves
// viewerIndex and reports whether the entry now at viewerIndex must be displayed;
// the caller sets viewerFile and displays. `count` is read afresh by the caller at every call.
class ViewerStepper {
public:
    ViewerStepper(Settings& settings, Session& session)
        : m_settings(settings)
        , m_session(session)
    {
    }

    // The window's side of the slideshow: a new viewer starts stopped whatever slideRunning says.
    int interval() const { return m_interval; } // ms; 0 = clock stopped
    int slideIcon() const { return m_slideIcon; } // 5, or 8 while a slideshow runs
    bool optionsEnabled() const { return m_optionsEnabled; }

    void stopSlideshow();

    // Toolbar buttons 4, 5, 7 and 8: they stop the slideshow first.
    bool first(int count);
    bool previous(int count);
    bool next(int count);
    bool last(int count);
    // Toolbar button 6: starts when slideRunning is off, otherwise only stops.
    void slideButton(int count);

    // Space and a left click (forward), Shift+Space and a right click (back): they pause
    // the clock but leave slideRunning and the toolbar alone.
    bool forward(int count);
    bool back(int count);

    enum class Tick {
        Nothing, // the clock is stopped
        Stop, // past the end without repeat: the caller lets events run, then stopSlideshow()
        Show,
    };
    Tick tick(int count);

private:
    static int32_t lastIndex(int count) { return count > 0 ? count - 1 : 0; }
    bool stepForward(int count);
    bool stepBack();

    Settings& m_settings;
    Session& m_session;
    int m_interval = 0;
    int m_slideIcon = 5;
    bool m_optionsEnabled = true;
};
