#pragma once

#include "platform/SessionEndWatcher.h"

#include <csignal>

class QSocketNotifier;

// SIGTERM, SIGHUP and SIGINT through a self-pipe: the handler only writes one byte, and a
// socket notifier turns that byte into endRequested() on the event loop, where Qt may be used.
// A signal that the parent process set to be ignored (nohup, a background job) stays ignored.
class PosixSignalWatcher : public SessionEndWatcher {
    Q_OBJECT
public:
    PosixSignalWatcher();
    // Puts back the dispositions found at construction.
    ~PosixSignalWatcher() override;

private:
    void drain();

    QSocketNotifier *m_notifier = nullptr;
    struct sigaction m_previous[3] = {};
    bool m_installed[3] = {};
};
