#include "mirror/MirrorServer.h"

#include "mirror/AccessKey.h"
#include "mirror/HttpListener.h"
#include "platform/Logging.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>

#include <algorithm>
#include <sys/socket.h>

namespace {

using Status = QHttpServerResponder::StatusCode;

// The page may load only its own files, and nothing may frame it or learn where it came from.
constexpr char kPolicy[] = "default-src 'self'; connect-src 'self'; img-src 'self'; "
                           "style-src 'self'; script-src 'self'; base-uri 'none'; "
                           "form-action 'none'; frame-ancestors 'none'";

constexpr char kLiveName[] = "live";

struct PageFile {
    const char *name;     // as the browser asks for it, after the key
    const char *resource; // compiled into the program
    const char *type;
};
constexpr PageFile kPageFiles[] = {
    {"", ":/mirror/index.html", "text/html; charset=utf-8"},
    {"panel.js", ":/mirror/panel.js", "text/javascript; charset=utf-8"},
    {"panel.css", ":/mirror/panel.css", "text/css; charset=utf-8"},
};

void respond(QHttpServerResponder &&responder, Status status, const QByteArray &body = {},
             const QByteArray &type = {}) {
    responder.writeStatusLine(status);
    if (!type.isEmpty())
        responder.writeHeader("Content-Type", type);
    responder.writeHeader("Content-Length", QByteArray::number(body.size()));
    responder.writeHeader("Content-Security-Policy", kPolicy);
    responder.writeHeader("X-Content-Type-Options", "nosniff");
    responder.writeHeader("Referrer-Policy", "no-referrer");
    responder.writeHeader("Cache-Control", "no-store");
    responder.writeBody(body);
}

// As Qt's server tells an upgrade to a WebSocket: the Upgrade header, asked for by Connection.
bool isWebSocketUpgrade(const QHttpServerRequest &request) {
    const QList<QByteArray> connection = request.value("connection").toLower().split(',');
    const bool asked =
        std::any_of(connection.begin(), connection.end(),
                    [](const QByteArray &token) { return token.trimmed() == "upgrade"; });
    return asked && request.value("upgrade").compare("websocket", Qt::CaseInsensitive) == 0;
}

// A refused upgrade: Qt's server goes on to hand the connection to its WebSocket handshake, which
// rereads the request from where the server's read began. The request is taken as read and a
// new read begun after it, so the handshake finds nothing to answer; the refusal is pushed to the
// system and the connection shut under Qt, which then sees it closed. The client gets the refusal
// and nothing else. (Closing the socket through Qt instead lets the handshake answer, or makes
// Qt warn on standard error for every such request.)
void shutAfterRefusal(QTcpSocket *socket) {
    if (socket->isTransactionStarted()) {
        socket->commitTransaction();
        socket->startTransaction();
    }
    socket->flush();
    ::shutdown(int(socket->socketDescriptor()), SHUT_RDWR);
}

} // namespace

MirrorServer::MirrorServer(const QByteArray &key, Snapshot snapshot, QObject *parent)
    : QAbstractHttpServer(parent), key_(key), snapshot_(std::move(snapshot)),
      timer_(new QTimer(this)) {
    for (const PageFile &file : kPageFiles) {
        QFile resource(QLatin1String(file.resource));
        if (resource.open(QIODevice::ReadOnly))
            files_.insert(file.name, resource.readAll());
        else
            qCWarning(gearMirror, "the page's file %s is missing", file.resource);
    }
    timer_->setInterval(kSnapshotMilliseconds);
    connect(timer_, &QTimer::timeout, this, &MirrorServer::sendSnapshot);
    connect(this, &QAbstractHttpServer::newWebSocketConnection, this,
            &MirrorServer::acceptWebSockets);
}

// The sockets go first, told nothing: their signals must not reach a server half destroyed.
MirrorServer::~MirrorServer() {
    std::vector<QWebSocket *> sockets = std::move(leaving_);
    for (const Client &client : clients_)
        sockets.push_back(client.socket);
    clients_.clear();
    for (QWebSocket *socket : sockets) {
        socket->disconnect(this);
        delete socket;
    }
}

void MirrorServer::serve(HttpListener *listener) {
    listener->setParent(this);
    listener->setIsWebSocket([this](const QTcpSocket *socket) { return isWebSocket(socket); });
    bind(listener);
}

bool MirrorServer::snapshotting() const {
    return timer_->isActive();
}

qint64 MirrorServer::unsentBytes() const {
    qint64 total = 0;
    for (const Client &client : clients_)
        total += client.socket->bytesToWrite();
    return total;
}

// Qt's HTTP server in this version hands every request here first, WebSocket upgrades too, and
// upgrades the connection after this returns, whatever this answers (see shutAfterRefusal).
bool MirrorServer::handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) {
    // A client that sends request after request and reads none of the answers would otherwise
    // have them pile up here without end. It is answered no more, and closed once Qt's server
    // is done with this request.
    if (socket->bytesToWrite() > HttpListener::kMaxUnreadBytes) {
        qCDebug(gearMirror, "connection from %s closed: it reads none of its answers",
                qPrintable(socket->peerAddress().toString()));
        QTimer::singleShot(0, socket, [socket] { closeQuietly(socket); });
        return true;
    }
    const KeyedPath path = splitKeyedPath(request.url().path(QUrl::FullyEncoded).toLatin1());
    const bool upgrade = isWebSocketUpgrade(request);
    Status refusal = Status::Ok;
    if (!keyMatches(path.key, key_))
        refusal = Status::Forbidden;
    else if (request.method() != QHttpServerRequest::Method::Get)
        refusal = Status::MethodNotAllowed;
    else if (upgrade && path.file != QByteArray(kLiveName))
        refusal = Status::NotFound;
    else if (upgrade && clientCount() >= kMaxMirrorClients)
        refusal = Status::ServiceUnavailable;
    if (refusal != Status::Ok) {
        respond(makeResponder(request, socket), refusal);
        if (upgrade)
            shutAfterRefusal(socket);
        return true;
    }
    if (upgrade)
        return true; // the server upgrades it next, and acceptWebSockets() takes it
    const auto file = path.file ? files_.constFind(*path.file) : files_.constEnd();
    if (file == files_.constEnd()) {
        respond(makeResponder(request, socket), Status::NotFound);
        return true;
    }
    const auto *page = std::find_if(std::begin(kPageFiles), std::end(kPageFiles),
                                    [&](const PageFile &f) { return file.key() == f.name; });
    respond(makeResponder(request, socket), Status::Ok, file.value(), page->type);
    return true;
}

void MirrorServer::missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) {
    respond(makeResponder(request, socket), Status::NotFound);
}

// Checked again on the upgraded connection: what handleRequest() let through is the key and the
// live panel's name, but clients may have come meanwhile.
void MirrorServer::acceptWebSockets() {
    while (hasPendingWebSocketConnections()) {
        QWebSocket *socket = nextPendingWebSocketConnection().release();
        if (!socket)
            continue;
        socket->setParent(this);
        const KeyedPath path =
            splitKeyedPath(socket->requestUrl().path(QUrl::FullyEncoded).toLatin1());
        if (!keyMatches(path.key, key_) || path.file != QByteArray(kLiveName))
            refuse(socket, "wrong key");
        else if (clientCount() >= kMaxMirrorClients)
            refuse(socket, "too many clients");
        else
            admit(socket);
    }
}

void MirrorServer::admit(QWebSocket *socket) {
    socket->setMaxAllowedIncomingFrameSize(kMaxIncomingBytes);
    socket->setMaxAllowedIncomingMessageSize(kMaxIncomingBytes);
    socket->setReadBufferSize(kMaxIncomingBytes);
    connect(socket, &QWebSocket::textFrameReceived, this,
            [this, socket](const QString &frame) { received(socket, frame.size()); });
    connect(socket, &QWebSocket::binaryFrameReceived, this,
            [this, socket](const QByteArray &frame) { received(socket, frame.size()); });
    connect(socket, &QWebSocket::pong, this, [this, socket](quint64, const QByteArray &payload) {
        received(socket, payload.size() + 2);
    });
    connect(socket, &QWebSocket::disconnected, this, [this, socket] { forget(socket); });
    clients_.push_back({socket, {}});
    qCDebug(gearMirror, "client %s connected, %d watching",
            qPrintable(socket->peerAddress().toString()), clientCount());
    timer_->start();
    emit clientCountChanged(clientCount());
}

void MirrorServer::refuse(QWebSocket *socket, const char *why) {
    qCDebug(gearMirror, "WebSocket from %s refused: %s",
            qPrintable(socket->peerAddress().toString()), why);
    leaving_.push_back(socket);
    connect(socket, &QWebSocket::disconnected, this, [this, socket] { forget(socket); });
    socket->close(QWebSocketProtocol::CloseCodePolicyViolated, QString::fromLatin1(why));
    // A client that does not answer the close is not waited for.
    QTimer::singleShot(1000, socket, &QWebSocket::abort);
}

void MirrorServer::received(QWebSocket *socket, qint64 bytes) {
    auto client = std::find_if(clients_.begin(), clients_.end(),
                               [socket](const Client &c) { return c.socket == socket; });
    if (client != clients_.end() && !client->pace.received(bytes))
        drop(socket, "it sent too much");
}

void MirrorServer::drop(QWebSocket *socket, const char *why) {
    qCDebug(gearMirror, "client %s dropped: %s", qPrintable(socket->peerAddress().toString()), why);
    socket->abort();
    forget(socket);
}

void MirrorServer::forget(QWebSocket *socket) {
    const auto gone =
        std::erase_if(clients_, [socket](const Client &c) { return c.socket == socket; }) +
        std::erase(leaving_, socket);
    if (gone == 0)
        return;
    socket->disconnect(this);
    socket->deleteLater();
    if (clients_.empty()) {
        timer_->stop();
        sent_ = {};
    }
    emit clientCountChanged(clientCount());
}

void MirrorServer::sendSnapshot() {
    if (clients_.empty())
        return;
    PanelSnapshot now = snapshot_();
    // Each message is made once, whichever clients get it.
    QString whole, changes;
    bool changesMade = false;
    std::vector<QWebSocket *> behind;
    // By index: a client that goes while it is written to leaves the list shorter, not invalid.
    for (size_t i = 0; i < clients_.size(); ++i) {
        Client &client = clients_[i];
        switch (client.pace.next(client.socket->bytesToWrite())) {
        case Delivery::Whole:
            if (whole.isEmpty())
                whole = QString::fromUtf8(fullMessage(now));
            client.socket->sendTextMessage(whole);
            break;
        case Delivery::Changes:
            if (!changesMade) {
                changes = QString::fromUtf8(changesMessage(sent_, now));
                changesMade = true;
                if (changes.isEmpty() && ++quietSnapshots_ >= kQuietSnapshots)
                    changes = QString::fromUtf8(unchangedMessage());
                if (!changes.isEmpty())
                    quietSnapshots_ = 0;
            }
            if (!changes.isEmpty())
                client.socket->sendTextMessage(changes);
            break;
        case Delivery::Skip:
            break;
        case Delivery::Drop:
            behind.push_back(client.socket);
            break;
        }
    }
    sent_ = std::move(now);
    for (QWebSocket *socket : behind)
        drop(socket, "it stayed behind");
}

bool MirrorServer::isWebSocket(const QTcpSocket *socket) const {
    auto same = [socket](const QWebSocket *ws) {
        return ws->peerPort() == socket->peerPort() && ws->peerAddress() == socket->peerAddress();
    };
    return std::any_of(clients_.begin(), clients_.end(),
                       [&](const Client &c) { return same(c.socket); }) ||
           std::any_of(leaving_.begin(), leaving_.end(), same);
}
