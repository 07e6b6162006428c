#include "platform/PosixSignalWatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kSignals[3] = {SIGTERM, SIGHUP, SIGINT};

// The pipe's ends; the handler can reach nothing else.
int g_pipe[2] = {-1, -1};

extern "C" void onEndSignal(int number)
{
    // Only async-signal-safe calls: one write, errno kept for the interrupted code. A full
    // pipe already holds a pending request, so a failed write loses nothing.
    const int savedErrno = errno;
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

PosixSignalWatcher::PosixSignalWatcher()
{
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("cannot watch for termination signals");
        return;
    }
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        drain();
        emit endRequested();
    });
    struct sigaction action = {};
    action.sa_handler = onEndSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i) {
        if (::sigaction(kSignals[i], nullptr, &m_previous[i]) != 0 ||
            m_previous[i].sa_handler == SIG_IGN)
            continue;
        m_installed[i] = ::sigaction(kSignals[i], &action, nullptr) == 0;
    }
}

PosixSignalWatcher::~PosixSignalWatcher()
{
    if (!m_notifier)
        return;
    for (int i = 0; i < 3; ++i) {
        if (m_installed[i])
            ::sigaction(kSignals[i], &m_previous[i], nullptr);
    }
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void PosixSignalWatcher::drain()
{
    // Several signals before the loop got round to it are one request.
    char bytes[64];
    while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
}
