#pragma once

#include <QObject>

#include <memory>

// Tells the application that the system wants it to end (on Linux: SIGTERM, SIGHUP or SIGINT),
// so that it closes its main window and runs the normal exit steps instead of dying on the
// spot. On a platform without such requests the watcher never fires.
class SessionEndWatcher : public QObject {
    Q_OBJECT
public:
    // The watcher of this platform. Only one may exist at a time.
    static std::unique_ptr<SessionEndWatcher> create();
    ~SessionEndWatcher() override = default;

signals:
    void endRequested();

protected:
    SessionEndWatcher() = default;
};
