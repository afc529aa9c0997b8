#include "viewer/ViewerStepper.h"
#include "session/Session.h"
#include "session/Settings.h"
#include "viewer/ViewerLogic.h"

void ViewerStepper::stopSlideshow()
{
    m_interval = 0;
    m_slideIcon = SlideshowIcon::Stopped;
    m_optionsEnabled = true;
    m_session.slideRunning = false;
}

bool ViewerStepper::stepForward(int count)
{
    ++m_position;
    if (m_position > count - 1) {
        m_position = lastPosition(count);
        return false;
    }
    return true;
}

bool ViewerStepper::stepBack()
{
    --m_position;
    if (m_position < 0) {
        m_position = 0;
        return false;
    }
    return true;
}

bool ViewerStepper::first(int)
{
    stopSlideshow();
    const bool show = m_position > 0;
    m_position = 0;
    return show;
}

bool ViewerStepper::previous(int)
{
    stopSlideshow();
    return stepBack();
}

bool ViewerStepper::next(int count)
{
    stopSlideshow();
    return stepForward(count);
}

bool ViewerStepper::last(int count)
{
    stopSlideshow();
    const bool show = m_position < count - 1;
    m_position = lastPosition(count);
    return show;
}

void ViewerStepper::slideButton(int count)
{
    if (m_session.slideRunning) {
        stopSlideshow();
        return;
    }
    if (m_position > count - 1) {
        m_position = lastPosition(count);
        stopSlideshow();
        return;
    }
    // Nothing is shown now; the first step comes one interval later.
    m_interval = ViewerLogic::slideIntervalMs(m_settings.slideSeconds);
    m_slideIcon = SlideshowIcon::Running;
    m_optionsEnabled = false;
    m_session.slideRunning = true;
}

bool ViewerStepper::forward(int count)
{
    m_interval = 0;
    return stepForward(count);
}

bool ViewerStepper::back(int)
{
    m_interval = 0;
    return stepBack();
}

ViewerStepper::Tick ViewerStepper::tick(int count)
{
    if (m_interval == 0)
        return Tick::Nothing;
    ++m_position;
    if (m_position > count - 1) {
        if (!m_session.slideRepeat) {
            m_position = lastPosition(count);
            return Tick::Stop;
        }
        m_position = 0;
    }
    return Tick::Show;
}
