#pragma once

#include <QByteArray>
#include <QHash>
#include <QTcpServer>
#include <QUrl>

// A tiny HTTP/1.0 server on 127.0.0.1 for the banner tests: fixed pages by path, a count of
// requests per path, 404 for anything else. One request per connection.
class AdServer : public QTcpServer {
    Q_OBJECT
public:
    explicit AdServer(QObject *parent = nullptr);

    void addPage(const QString &path, const QByteArray &contentType, const QByteArray &body);
    // http://127.0.0.1:<port>, without a trailing slash.
    QUrl root() const;
    int requests(const QString &path) const { return m_requests.value(path); }

private:
    struct Page {
        QByteArray contentType;
        QByteArray body;
    };
    void serve(QTcpSocket *socket);

    QHash<QString, Page> m_pages;
    QHash<QString, int> m_requests;
};
