#pragma once

#include "mirror/ClientPace.h"
#include "mirror/PanelSnapshot.h"

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QHash>

#include <functional>
#include <vector>

class HttpListener;
class QTimer;
class QWebSocket;

// The panel mirror: serves the page (compiled into the program) to whoever has the key, and
// sends each connected browser the panel as it changes. Nothing a client sends changes anything.
class MirrorServer : public QAbstractHttpServer {
    Q_OBJECT
public:
    using Snapshot = std::function<PanelSnapshot()>;

    // `snapshot` reads the panel; it is called only while a client is connected, at most once
    // per kSnapshotMilliseconds.
    MirrorServer(const QByteArray &key, Snapshot snapshot, QObject *parent = nullptr);
    ~MirrorServer() override;

    // Serves on `listener`, which is already listening; the server takes it.
    void serve(HttpListener *listener);

    int clientCount() const { return int(clients_.size()); }
    bool snapshotting() const;
    // Bytes written for clients and not yet taken by the system, all clients together.
    qint64 unsentBytes() const;
    // Takes a snapshot and sends it now, as the timer does.
    void sendSnapshot();

signals:
    void clientCountChanged(int count);

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override;
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override;

private:
    struct Client {
        QWebSocket *socket;
        ClientPace pace;
    };

    void acceptWebSockets();
    void admit(QWebSocket *socket);
    void refuse(QWebSocket *socket, const char *why);
    void drop(QWebSocket *socket, const char *why);
    void forget(QWebSocket *socket);
    bool isWebSocket(const QTcpSocket *socket) const;
    void received(QWebSocket *socket, qint64 bytes);

    QByteArray key_;
    Snapshot snapshot_;
    QTimer *timer_;
    QHash<QByteArray, QByteArray> files_; // file name: contents
    std::vector<Client> clients_;
    std::vector<QWebSocket *> leaving_; // refused, their close on its way
    PanelSnapshot sent_;                // what the clients that are up to date show
    int quietSnapshots_ = 0;            // since clients were last sent anything
};
