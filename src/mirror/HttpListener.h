#pragma once

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <vector>

// Closes a connection that Qt's HTTP server serves, at once, whatever it was in the middle of.
void closeQuietly(QTcpSocket *socket);

// The mirror's listening socket, which also bounds what strangers' connections may cost: at
// most kMaxConnections open at once (the next is closed at once), at most kMaxRequestBytes held
// for one connection, and kRequestMilliseconds for a connection to be done with (a page load
// takes milliseconds; one that trickles a header or an endless body is closed). A connection
// that became a live panel's WebSocket is left to the mirror's own bounds.
class HttpListener : public QTcpServer {
    Q_OBJECT
public:
    static constexpr int kMaxConnections = 64;
    static constexpr qint64 kMaxRequestBytes = 64 * 1024;
    static constexpr int kRequestMilliseconds = 10'000;
    // Answers written and not yet taken by the client: a connection that leaves more unread is
    // closed.
    static constexpr qint64 kMaxUnreadBytes = 256 * 1024;
    static constexpr int kSystemSendBytes = 128 * 1024;

    using Test = std::function<bool(const QTcpSocket *)>;

    explicit HttpListener(int requestMilliseconds = kRequestMilliseconds, QObject *parent = nullptr)
        : QTcpServer(parent), requestMilliseconds_(requestMilliseconds) {}
    // Whether a connection is now a live panel's, asked when its time is up.
    void setIsWebSocket(Test isWebSocket) { isWebSocket_ = std::move(isWebSocket); }
    int openConnections();

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    void timeUp(const QPointer<QTcpSocket> &socket);

    std::vector<QPointer<QTcpSocket>> open_;
    Test isWebSocket_;
    int requestMilliseconds_;
};
