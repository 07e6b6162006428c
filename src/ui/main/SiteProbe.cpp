#include "ui/main/SiteProbe.h"

#include <QTcpSocket>
#include <QTimer>

SiteProbe::SiteProbe(QObject *parent)
    : QObject(parent), m_socket(new QTcpSocket(this)), m_limit(new QTimer(this))
{
    m_limit->setSingleShot(true);
    // A coarse timer may fire up to 5 % early; the limit is meant as a full five seconds.
    m_limit->setTimerType(Qt::PreciseTimer);
    connect(m_limit, &QTimer::timeout, this, [this] { finish(false); });
    connect(m_socket, &QTcpSocket::connected, this, [this] { finish(true); });
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this] { finish(false); });
}

void SiteProbe::start(const QUrl &root, int timeoutMs)
{
    if (!root.isValid() || root.host().isEmpty()) {
        // Answer from the event loop as for a real attempt, so callers see one order of events.
        QTimer::singleShot(0, this, [this] { finish(false); });
        return;
    }
    const int defaultPort = root.scheme().compare(u"https", Qt::CaseInsensitive) == 0 ? 443 : 80;
    m_limit->start(timeoutMs);
    // The host name is looked up asynchronously as part of the connection attempt.
    m_socket->connectToHost(root.host(), quint16(root.port(defaultPort)));
}

void SiteProbe::finish(bool reachable)
{
    if (m_answered)
        return;
    m_answered = true;
    m_limit->stop();
    m_socket->abort();
    emit answered(reachable);
}
