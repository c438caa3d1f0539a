#pragma once

// A bare HTTP server for answers no real backend gives: redirects elsewhere, answers
// that never end or that trickle in a byte at a time.

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <functional>

namespace quill::testing {

// A bare HTTP server on 127.0.0.1: every request's head is recorded, and the
// answer is whatever `answer` writes to the socket once the request's body is in.
class BareServer
{
public:
    using Answer = std::function<void(QTcpSocket *socket, const QByteArray &head)>;

    explicit BareServer(Answer answer) : m_answer(std::move(answer))
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                auto *buffer = new QByteArray;
                QObject::connect(socket, &QObject::destroyed, [buffer] { delete buffer; });
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
                    buffer->append(socket->readAll());
                    const qsizetype end = buffer->indexOf("\r\n\r\n");
                    if (end < 0)
                        return;
                    const QByteArray head = buffer->left(end);
                    // Answered once its body is in: a socket closed with unread bytes is
                    // reset, and the client may lose the answer.
                    if (buffer->size() < end + 4 + bodyLength(head))
                        return;
                    buffer->clear();
                    m_heads.append(head);
                    m_answer(socket, head);
                });
            }
        });
    }

    QUrl url(const QString &path = {}) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(m_server.serverPort()).arg(path));
    }
    const QList<QByteArray> &heads() const { return m_heads; }

private:
    static qsizetype bodyLength(const QByteArray &head)
    {
        for (const QByteArray &line : head.split('\n')) {
            if (line.toLower().startsWith("content-length:"))
                return line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
        }
        return 0;
    }

    QTcpServer m_server;
    Answer m_answer;
    QList<QByteArray> m_heads;
};

inline QByteArray okHead(const QByteArray &extra = {})
{
    return "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\n" + extra + "\r\n";
}

// Writes `bytes` one at a time every `interval`, then closes.
inline void trickle(QTcpSocket *socket, QByteArray bytes, std::chrono::milliseconds interval)
{
    auto *timer = new QTimer(socket);
    QObject::connect(timer, &QTimer::timeout, socket, [socket, timer, bytes, at = qsizetype(0)]() mutable {
        if (at == bytes.size()) {
            timer->stop();
            socket->disconnectFromHost();
            return;
        }
        socket->write(bytes.mid(at++, 1));
    });
    timer->start(interval);
}

} // namespace quill::testing
