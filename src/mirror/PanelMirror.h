#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QString>
#include <QStringList>

#include <memory>

class Form1;
class HttpListener;
class MirrorServer;

// The panel mirror as the program starts it: the key taken, the port listened on before the
// window opens (so a port in use or a foreign address ends the program at once), then served
// from the window once it exists.
class PanelMirror {
public:
    struct Request {
        QHostAddress address; // null: every interface
        quint16 port = 0;     // 0: any free port
        QString keyFile;      // empty: a new key for this run
    };

    // Null, and `refusal` set, when the mirror cannot start.
    static std::unique_ptr<PanelMirror> start(const Request &request, QString &refusal);
    ~PanelMirror();

    // The addresses to open, with the key.
    QStringList urls() const { return urls_; }
    quint16 port() const;
    // Starts serving `window`'s panel.
    void serve(const Form1 &window);
    MirrorServer *server() const { return server_.get(); }

private:
    PanelMirror() = default;

    QByteArray key_;
    QStringList urls_;
    std::unique_ptr<HttpListener> listener_;
    std::unique_ptr<MirrorServer> server_;
};

// Why listening failed, in the user's words.
QString listenRefusal(const HttpListener &listener, const PanelMirror::Request &request);
