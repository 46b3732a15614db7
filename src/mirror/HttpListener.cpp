#include "mirror/HttpListener.h"

#include "platform/Logging.h"

#include <QTimer>

#include <algorithm>
#include <unistd.h>

int HttpListener::openConnections() {
    std::erase_if(open_, [](const QPointer<QTcpSocket> &socket) {
        return !socket || socket->state() == QAbstractSocket::UnconnectedState;
    });
    return int(open_.size());
}

void HttpListener::incomingConnection(qintptr descriptor) {
    if (openConnections() >= kMaxConnections) {
        qCDebug(gearMirror, "connection refused: %d open", kMaxConnections);
        ::close(int(descriptor));
        return;
    }
    auto *socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        ::close(int(descriptor));
        return;
    }
    // The socket stops reading from the system once this much waits in it, so an endless
    // header or body costs no more than this until its time is up.
    socket->setReadBufferSize(kMaxRequestBytes);
    // The system's own buffer for what a client has not taken is kept small too (it would grow
    // to megabytes for a client that stops reading), so that such a client is found behind
    // early. A whole panel is some 40 KB; this takes it several times over.
    socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, kSystemSendBytes);
    const QPointer<QTcpSocket> watched(socket);
    open_.push_back(watched);
    auto *deadline = new QTimer(socket);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, this, [this, watched] { timeUp(watched); });
    deadline->start(requestMilliseconds_);
    addPendingConnection(socket);
}

void HttpListener::timeUp(const QPointer<QTcpSocket> &socket) {
    if (!socket || (isWebSocket_ && isWebSocket_(socket)))
        return;
    qCDebug(gearMirror, "connection from %s closed: its time is up",
            qPrintable(socket->peerAddress().toString()));
    closeQuietly(socket);
}

void closeQuietly(QTcpSocket *socket) {
    // Qt's server may have asked itself to read this socket again for requests it holds; with
    // no one to read, a closed socket's "read" has no one to warn on standard error.
    QObject::disconnect(socket, &QIODevice::readyRead, nullptr, nullptr);
    socket->abort();
}
