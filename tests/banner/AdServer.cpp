#include "AdServer.h"

#include <QTcpSocket>

AdServer::AdServer(QObject *parent) : QTcpServer(parent)
{
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    listen(QHostAddress::LocalHost);
}

void AdServer::addPage(const QString &path, const QByteArray &contentType, const QByteArray &body)
{
    m_pages.insert(path, Page{contentType, body});
}

QUrl AdServer::root() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(serverPort()));
}

void AdServer::serve(QTcpSocket *socket)
{
    // Wait for the whole request head; the path is the second word of its first line.
    if (!socket->peek(64 * 1024).contains("\r\n\r\n"))
        return;
    const QByteArray head = socket->readAll();
    const QList<QByteArray> requestLine = head.left(head.indexOf("\r\n")).split(' ');
    const QString path =
        requestLine.size() >= 2 ? QUrl(QString::fromLatin1(requestLine[1])).path() : QString();
    ++m_requests[path];

    const auto page = m_pages.constFind(path);
    const bool found = page != m_pages.constEnd();
    const QByteArray body = found ? page->body : QByteArray("<html><body>not here</body></html>");
    QByteArray response = found ? "HTTP/1.0 200 OK\r\n" : "HTTP/1.0 404 Not Found\r\n";
    response += "Content-Type: " + (found ? page->contentType : "text/html") + "\r\n";
    response += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    response += "Connection: close\r\n\r\n" + body;
    socket->write(response);
    socket->disconnectFromHost();
}
