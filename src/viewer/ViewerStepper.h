#pragma once
#include <cstdint>

class Session;
struct Settings;

// What the slideshow button shows: the start picture, or the one of a running slideshow.
enum class SlideshowIcon { Stopped, Running };

// The viewer's position in the picture folder and its slideshow clock, as a state
// machine. Each input moves the position and reports whether the entry now there must be
// displayed. `count` is the folder's entry count, read afresh by the caller at every call.
class ViewerStepper {
public:
    ViewerStepper(Settings& settings, Session& session)
        : m_settings(settings)
        , m_session(session)
    {
    }

    int32_t position() const { return m_position; }
    void setPosition(int32_t position) { m_position = position; }

    // The window's side of the slideshow: a new viewer starts stopped whatever slideRunning says.
    int interval() const { return m_interval; } // ms; 0 = clock stopped
    SlideshowIcon slideIcon() const { return m_slideIcon; }
    bool optionsEnabled() const { return m_optionsEnabled; }

    void stopSlideshow();

    // First, previous, next and last: they stop the slideshow first.
    bool first(int count);
    bool previous(int count);
    bool next(int count);
    bool last(int count);
    // The slideshow button: starts when slideRunning is off, otherwise only stops.
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
    static int32_t lastPosition(int count) { return count > 0 ? count - 1 : 0; }
    bool stepForward(int count);
    bool stepBack();

    Settings& m_settings;
    Session& m_session;
    int32_t m_position = 0;
    int m_interval = 0;
    SlideshowIcon m_slideIcon = SlideshowIcon::Stopped;
    bool m_optionsEnabled = true;
};
