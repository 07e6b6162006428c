#pragma once

#include <QObject>
#include <QUrl>

class QTcpSocket;
class QTimer;

// Asks whether the maker's website can be reached by opening a TCP connection to its host and
// port. Runs in the event loop, so the window stays responsive while the network is slow, and
// gives up after a time limit of its own.
class SiteProbe : public QObject {
    Q_OBJECT
public:
    explicit SiteProbe(QObject *parent = nullptr);

    // Starts one attempt; answered() follows exactly once, never from inside this call.
    void start(const QUrl &root, int timeoutMs);

signals:
    void answered(bool reachable);

private:
    void finish(bool reachable);

    QTcpSocket *m_socket;
    QTimer *m_limit;
    bool m_answered = false;
};
