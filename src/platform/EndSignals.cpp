#include "platform/EndSignals.h"

#ifdef Q_OS_WIN

// Windows ends a program through its windows' close messages, which Qt already turns
// into close events.
EndSignals::EndSignals(QObject* parent)
    : QObject(parent)
{
}

EndSignals::~EndSignals() = default;

#else

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A signal handler can reach nothing but these, and may only write a byte: the event
// loop does the rest. One EndSignals per process owns them.
int g_wakeFd = -1;
constexpr int HandledSignals[] = { SIGTERM, SIGINT, SIGHUP };

extern "C" void onEndSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_wakeFd, &byte, 1);
    errno = saved;
}

int g_fds[2] = { -1, -1 };

}

EndSignals::EndSignals(QObject* parent)
    : QObject(parent)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_fds) != 0)
        return;
    g_wakeFd = g_fds[0];
    auto* notifier = new QSocketNotifier(g_fds[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char drain[16];
        while (::read(g_fds[1], drain, sizeof drain) > 0) { }
        emit endRequested();
    });
    struct sigaction sa = {};
    sa.sa_handler = onEndSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    for (const int sig : HandledSignals)
        ::sigaction(sig, &sa, nullptr);
}

EndSignals::~EndSignals()
{
    for (const int sig : HandledSignals)
        ::signal(sig, SIG_DFL);
    g_wakeFd = -1;
    for (int& fd : g_fds) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

#endif
