#include "session/Session.h"
#include <QtGlobal>
#include <utility>

Session::Session(QString programFolder, QString userFolder)
    : m_programFolder(std::move(programFolder))
    , m_userFolder(std::move(userFolder))
{
}

Session::BusyGuard::BusyGuard(Session& session)
    : m_session(session)
{
    Q_ASSERT(!m_session.m_busy);
    m_session.m_busy = true;
}

Session::BusyGuard::~BusyGuard() { m_session.m_busy = false; }
