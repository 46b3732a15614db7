// The real mirror server on 127.0.0.1, met by real sockets: what a browser with and without the
// key gets, and what strangers' clients cannot make it do.
#include "mirror/ClientPace.h"
#include "mirror/HttpListener.h"
#include "mirror/MirrorServer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QWebSocket>
#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr char kKey[] = "00112233445566778899aabbccddeeff";
constexpr int kWait = 5000;

ControlView control(const QString &name, const QString &text) {
    ControlView c;
    c.name = name;
    c.kind = "label";
    c.text = text;
    return c;
}

// A mirror serving a panel the test sets, on a free port of 127.0.0.1.
struct Served {
    explicit Served(int requestMilliseconds = HttpListener::kRequestMilliseconds) {
        listener = new HttpListener(requestMilliseconds);
        listener->listen(QHostAddress::LocalHost, 0);
        port = listener->serverPort();
        server = std::make_unique<MirrorServer>(QByteArray(kKey), [this] {
            ++snapshots;
            return panel;
        });
        server->serve(listener);
    }
    QUrl live(const QByteArray &key = kKey) const {
        return QUrl(QStringLiteral("ws://127.0.0.1:%1/%2/live").arg(port).arg(QLatin1String(key)));
    }

    PanelSnapshot panel{706, 564, {control("CommFail", "COMM FAIL"), control("LGRxText(0)", "")}};
    int snapshots = 0;
    quint16 port = 0;
    HttpListener *listener = nullptr;
    std::unique_ptr<MirrorServer> server;
};

// Sends `request` as it is and returns all that comes back until the server closes or the
// response (headers and Content-Length body) is complete. With `closed`, then waits for the
// server to close the connection and tells whether it did.
QByteArray exchange(quint16 port, const QByteArray &request, bool *closed = nullptr) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::ConnectedState; }, kWait))
        return "<no connection>";
    socket.write(request);
    QByteArray response;
    auto complete = [&] {
        response += socket.readAll();
        const qsizetype end = response.indexOf("\r\n\r\n");
        if (end < 0)
            return socket.state() == QAbstractSocket::UnconnectedState;
        const QByteArray head = response.left(end).toLower();
        const qsizetype at = head.indexOf("content-length: ");
        const qsizetype length = at < 0 ? 0 : head.mid(at + 16).split('\r').first().toLongLong();
        return response.size() >= end + 4 + length;
    };
    if (QTest::qWaitFor(complete, kWait) && closed)
        *closed = QTest::qWaitFor(
            [&] { return socket.state() == QAbstractSocket::UnconnectedState; }, 500);
    return response + socket.readAll();
}

QByteArray upgradeRequest(const QByteArray &path) {
    return "GET " + path +
           " HTTP/1.1\r\nHost: 127.0.0.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
           "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n\r\n";
}

QByteArray header(const QByteArray &response, const QByteArray &name) {
    for (const QByteArray &line : response.left(response.indexOf("\r\n\r\n")).split('\n'))
        if (line.toLower().startsWith(name.toLower() + ':'))
            return line.mid(name.size() + 1).trimmed();
    return {};
}

QJsonObject json(const QString &message) {
    return QJsonDocument::fromJson(message.toUtf8()).object();
}

// A plain socket to the server on 127.0.0.1 whose receive window is small, so that a client
// that stops reading is soon behind; -1 if it cannot connect.
int connectWithSmallWindow(quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int small = 4096;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

class MirrorServerTest : public QObject {
    Q_OBJECT
private slots:
    void pageNeedsTheKey_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("type"); // empty: no body at all
        const QByteArray key = kKey;
        auto get = [](const QByteArray &path) {
            return "GET " + path + " HTTP/1.1\r\nHost: h\r\n\r\n";
        };
        QTest::newRow("page") << get("/" + key + "/") << 200
                              << QByteArray("text/html; charset=utf-8");
        QTest::newRow("script") << get("/" + key + "/panel.js") << 200
                                << QByteArray("text/javascript; charset=utf-8");
        QTest::newRow("unknown file") << get("/" + key + "/secret") << 404 << QByteArray();
        QTest::newRow("climbing out") << get("/" + key + "/../panel.js") << 404 << QByteArray();
        QTest::newRow("key without slash") << get("/" + key) << 404 << QByteArray();
        QTest::newRow("no key") << get("/") << 403 << QByteArray();
        QTest::newRow("wrong key")
            << get("/00112233445566778899aabbccddeefe/") << 403 << QByteArray();
        QTest::newRow("key in upper case") << get("/" + key.toUpper() + "/") << 403 << QByteArray();
        QTest::newRow("POST with the key") << "POST /" + key +
                                                  "/ HTTP/1.1\r\nHost: h\r\n"
                                                  "Content-Length: 2\r\n\r\nab"
                                           << 405 << QByteArray();
    }
    void pageNeedsTheKey() {
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        QFETCH(QByteArray, type);
        Served served;
        const QByteArray response = exchange(served.port, request);
        QVERIFY2(response.startsWith("HTTP/1.1 " + QByteArray::number(status) + ' '),
                 response.left(200).constData());
        QCOMPARE(header(response, "Content-Security-Policy"),
                 QByteArray("default-src 'self'; connect-src 'self'; img-src 'self'; "
                            "style-src 'self'; script-src 'self'; base-uri 'none'; "
                            "form-action 'none'; frame-ancestors 'none'"));
        QCOMPARE(header(response, "X-Content-Type-Options"), QByteArray("nosniff"));
        QCOMPARE(header(response, "Referrer-Policy"), QByteArray("no-referrer"));
        QCOMPARE(header(response, "Cache-Control"), QByteArray("no-store"));
        QCOMPARE(header(response, "Content-Type"), type);
        const QByteArray body = response.mid(response.indexOf("\r\n\r\n") + 4);
        QCOMPARE(body.isEmpty(), type.isEmpty());
        QCOMPARE(served.snapshots, 0); // pages cost no snapshot
    }

    // Refused upgrades get their status and nothing else: never "101 Switching Protocols".
    void webSocketNeedsTheKey_data() {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<int>("status");
        QTest::newRow("the key") << "/" + QByteArray(kKey) + "/live" << 101;
        QTest::newRow("wrong key") << QByteArray("/ffffffffffffffffffffffffffffffff/live") << 403;
        QTest::newRow("no key") << QByteArray("/live") << 403;
        QTest::newRow("key, other name") << "/" + QByteArray(kKey) + "/other" << 404;
    }
    void webSocketNeedsTheKey() {
        QFETCH(QByteArray, path);
        QFETCH(int, status);
        Served served;
        bool closed = false;
        const QByteArray response = exchange(served.port, upgradeRequest(path), &closed);
        QVERIFY2(response.startsWith("HTTP/1.1 " + QByteArray::number(status) + ' '),
                 response.constData());
        QCOMPARE(response.count("HTTP/1.1"), 1);
        QCOMPARE(closed, status != 101);
        // A refused connection is not left behind half open.
        QTRY_COMPARE_WITH_TIMEOUT(served.listener->openConnections(), status == 101 ? 1 : 0, kWait);
        QCOMPARE(served.server->clientCount(), status == 101 ? 1 : 0);
    }

    void liveClientGetsTheWholePanelThenItsChanges() {
        Served served;
        QVERIFY(!served.server->snapshotting()); // no client: no timer
        QWebSocket client;
        QSignalSpy messages(&client, &QWebSocket::textMessageReceived);
        client.open(served.live());
        QTRY_COMPARE_WITH_TIMEOUT(served.server->clientCount(), 1, kWait);
        QVERIFY(served.server->snapshotting());

        served.server->sendSnapshot();
        QTRY_COMPARE_WITH_TIMEOUT(messages.size(), 1, kWait);
        const QJsonObject whole = json(messages.at(0).at(0).toString());
        QCOMPARE(whole["full"].toBool(), true);
        QCOMPARE(whole["controls"].toArray().size(), 2);

        served.server->sendSnapshot(); // nothing changed: nothing sent
        served.panel.controls[1].text = "I:10000000 00000000 00";
        served.server->sendSnapshot();
        QTRY_COMPARE_WITH_TIMEOUT(messages.size(), 2, kWait);
        const QJsonObject change = json(messages.at(1).at(0).toString());
        QCOMPARE(change["full"].toBool(true), false);
        QCOMPARE(
            change["controls"].toArray(),
            (QJsonArray{QJsonObject{{"name", "LGRxText(0)"}, {"text", "I:10000000 00000000 00"}}}));

        // What the client sends changes nothing and is not answered.
        client.sendTextMessage("{\"type\":\"panel\",\"full\":true}");
        served.server->sendSnapshot();

        // A panel that stays as it is still says, every two seconds, that the monitor is there.
        for (int quiet = 0; quiet < kQuietSnapshots; ++quiet)
            served.server->sendSnapshot();
        QTRY_COMPARE_WITH_TIMEOUT(messages.size(), 3, kWait);
        const QJsonObject unchanged = json(messages.at(2).at(0).toString());
        QCOMPARE(unchanged["full"].toBool(true), false);
        QCOMPARE(unchanged["controls"].toArray(), QJsonArray{});

        client.close();
        QTRY_COMPARE_WITH_TIMEOUT(served.server->clientCount(), 0, kWait);
        QVERIFY(!served.server->snapshotting());
    }

    void seventeenthClientIsRefused() {
        Served served;
        std::vector<std::unique_ptr<QWebSocket>> clients;
        for (int i = 0; i < kMaxMirrorClients; ++i) {
            clients.push_back(std::make_unique<QWebSocket>());
            clients.back()->open(served.live());
        }
        QTRY_COMPARE_WITH_TIMEOUT(served.server->clientCount(), kMaxMirrorClients, kWait);
        const QByteArray refused =
            exchange(served.port, upgradeRequest("/" + QByteArray(kKey) + "/live"));
        QVERIFY2(refused.startsWith("HTTP/1.1 503 "), refused.constData());
        QCOMPARE(served.server->clientCount(), kMaxMirrorClients);

        clients.front()->close(); // one leaves: the next gets in
        QTRY_COMPARE_WITH_TIMEOUT(served.server->clientCount(), kMaxMirrorClients - 1, kWait);
        QWebSocket next;
        next.open(served.live());
        QTRY_COMPARE_WITH_TIMEOUT(served.server->clientCount(), kMaxMirrorClients, kWait);
    }

    // A client that sends more than the page ever would is dropped; the others stay.
    void sendingClientIsDropped_data() {
        QTest::addColumn<int>("messages");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<bool>("binary");
        QTest::newRow("many small messages") << 100 << 100 << false;
        QTest::newRow("one large message") << 1 << 64 * 1024 << false;
        QTest::newRow("binary flood") << 1000 << 1000 << true;
    }
    void sendingClientIsDropped() {
        QFETCH(int, messages);
        QFETCH(int, bytes);
        QFETCH(bool, binary);
        Served served;
        QWebSocket quiet, loud;
        quiet.open(served.live());
        loud.open(served.live());
        QTRY_COMPARE_WITH_TIMEOUT(served.server->clientCount(), 2, kWait);
        QSignalSpy gone(&loud, &QWebSocket::disconnected);
        for (int i = 0; i < messages && loud.isValid(); ++i) {
            if (binary)
                loud.sendBinaryMessage(QByteArray(bytes, 'b'));
            else
                loud.sendTextMessage(QString(bytes, QLatin1Char('t')));
        }
        QTRY_COMPARE_WITH_TIMEOUT(gone.size(), 1, kWait);
        QTRY_COMPARE_WITH_TIMEOUT(served.server->clientCount(), 1, kWait);
        QVERIFY(quiet.isValid());
    }

    // A client that stops reading is skipped while its unsent data is over the bound, then
    // dropped; meanwhile the server holds no more than the bound and one message for it, and a
    // client that reads keeps getting every change.
    void stalledClientIsSkippedThenDropped() {
        Served served;
        QWebSocket reader;
        QSignalSpy read(&reader, &QWebSocket::textMessageReceived);
        reader.open(served.live());

        const int stalled = connectWithSmallWindow(served.port);
        QVERIFY(stalled >= 0);
        const QByteArray request = upgradeRequest("/" + QByteArray(kKey) + "/live");
        QCOMPARE(::write(stalled, request.constData(), size_t(request.size())), request.size());
        QTRY_COMPARE_WITH_TIMEOUT(served.server->clientCount(), 2, kWait);

        qint64 largest = 0, mostUnsent = 0;
        int snapshots = 0;
        for (; snapshots < 2000 && served.server->clientCount() == 2; ++snapshots) {
            served.panel.controls[1].text = QString(100'000, QLatin1Char('a' + snapshots % 26));
            served.server->sendSnapshot();
            largest = qMax(largest, qint64(served.panel.controls[1].text.size()) + 1000);
            mostUnsent = qMax(mostUnsent, served.server->unsentBytes());
            QCoreApplication::processEvents();
        }
        QCOMPARE(served.server->clientCount(), 1);
        QVERIFY2(snapshots > kMaxBehindSnapshots, QByteArray::number(snapshots).constData());
        QVERIFY2(mostUnsent <= kMaxUnsentBytes + 2 * largest,
                 QByteArray::number(mostUnsent).constData());
        // The reader saw the last change.
        const QString last = served.panel.controls[1].text;
        QTRY_VERIFY_WITH_TIMEOUT(
            !read.isEmpty() &&
                json(read.last().at(0).toString())["controls"].toArray().last()["text"] == last,
            kWait);
        ::close(stalled);
    }

    // Connections that never finish a request are closed when their time is up; the live
    // panel's are not.
    void slowConnectionsAreClosed() {
        Served served(200);
        QTcpSocket slow;
        slow.connectToHost(QHostAddress::LocalHost, served.port);
        QVERIFY(slow.waitForConnected(kWait));
        slow.write("GET /" + QByteArray(kKey) + "/ HTTP/1.1\r\nX-Slow: ");
        QWebSocket live;
        QSignalSpy messages(&live, &QWebSocket::textMessageReceived);
        live.open(served.live());
        QTRY_COMPARE_WITH_TIMEOUT(slow.state(), QAbstractSocket::UnconnectedState, kWait);
        QTest::qWait(300);
        QCOMPARE(served.server->clientCount(), 1);
        served.server->sendSnapshot();
        QTRY_COMPARE_WITH_TIMEOUT(messages.size(), 1, kWait);
    }

    // Requests sent one after another without reading the answers: the connection is closed
    // before the answers waiting for it pass the bound.
    void unreadAnswersAreBounded() {
        Served served;
        const int client = connectWithSmallWindow(served.port);
        QVERIFY(client >= 0);
        QTRY_COMPARE_WITH_TIMEOUT(served.listener->openConnections(), 1, kWait);
        QByteArray requests;
        for (int i = 0; i < 100; ++i)
            requests += "GET /" + QByteArray(kKey) + "/ HTTP/1.1\r\nHost: h\r\n\r\n";
        qint64 mostHeld = 0;
        for (int i = 0; i < 5000 && served.listener->openConnections() == 1; ++i) {
            (void)::send(client, requests.constData(), size_t(requests.size()), MSG_DONTWAIT);
            QCoreApplication::processEvents();
            const auto sockets = served.listener->findChildren<QTcpSocket *>();
            for (const QTcpSocket *socket : sockets)
                mostHeld = qMax(mostHeld, socket->bytesToWrite());
        }
        QTRY_COMPARE_WITH_TIMEOUT(served.listener->openConnections(), 0, kWait);
        QVERIFY2(mostHeld <= HttpListener::kMaxUnreadBytes + 1000,
                 QByteArray::number(mostHeld).constData());
        ::close(client);
    }

    void connectionsAreBounded() {
        Served served;
        std::vector<std::unique_ptr<QTcpSocket>> idle;
        for (int i = 0; i < HttpListener::kMaxConnections; ++i) {
            idle.push_back(std::make_unique<QTcpSocket>());
            idle.back()->connectToHost(QHostAddress::LocalHost, served.port);
        }
        QTRY_VERIFY_WITH_TIMEOUT(
            std::all_of(idle.begin(), idle.end(),
                        [](auto &s) { return s->state() == QAbstractSocket::ConnectedState; }),
            kWait);
        QCOMPARE(exchange(served.port, "GET / HTTP/1.1\r\n\r\n"), QByteArray());
        idle.pop_back(); // one closes: a request is answered again
        QTest::qWait(50);
        QVERIFY(exchange(served.port, "GET / HTTP/1.1\r\n\r\n").startsWith("HTTP/1.1 403 "));
    }
};

QTEST_GUILESS_MAIN(MirrorServerTest)
#include "mirror_server_test.moc"
