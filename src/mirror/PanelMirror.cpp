#include "mirror/PanelMirror.h"

#include "mirror/AccessKey.h"
#include "mirror/HttpListener.h"
#include "mirror/KeyFile.h"
#include "mirror/MirrorServer.h"
#include "mirror/PanelReader.h"
#include "mirror/StartLine.h"
#include "platform/Logging.h"

#include <QNetworkInterface>

std::unique_ptr<PanelMirror> PanelMirror::start(const Request &request, QString &refusal) {
    std::unique_ptr<PanelMirror> mirror(new PanelMirror);
    if (request.keyFile.isEmpty()) {
        mirror->key_ = newAccessKey();
    } else {
        const KeyFileResult kept = keyFromFile(request.keyFile);
        if (kept.key.isEmpty()) {
            refusal =
                QStringLiteral("cannot use the key file %1: %2").arg(request.keyFile, kept.refusal);
            return nullptr;
        }
        mirror->key_ = kept.key;
    }
    mirror->listener_ = std::make_unique<HttpListener>();
    const QHostAddress address =
        request.address.isNull() ? QHostAddress(QHostAddress::Any) : request.address;
    if (!mirror->listener_->listen(address, request.port)) {
        refusal = listenRefusal(*mirror->listener_, request);
        return nullptr;
    }
    mirror->urls_ = mirrorUrls(request.address, QNetworkInterface::allAddresses(), mirror->port(),
                               mirror->key_);
    for (const QString &url : mirror->urls_)
        qCInfo(gearMirror, "panel mirror at %s", qPrintable(url));
    return mirror;
}

PanelMirror::~PanelMirror() = default;

quint16 PanelMirror::port() const {
    return listener_ ? listener_->serverPort() : quint16(0);
}

void PanelMirror::serve(const Form1 &window) {
    auto reader = std::make_shared<PanelReader>(window);
    server_ = std::make_unique<MirrorServer>(key_, [reader] { return reader->read(); });
    server_->serve(listener_.release());
}

QString listenRefusal(const HttpListener &listener, const PanelMirror::Request &request) {
    const QString where =
        request.address.isNull()
            ? QStringLiteral("port %1").arg(request.port)
            : QStringLiteral("%1 port %2").arg(request.address.toString()).arg(request.port);
    QString why;
    switch (listener.serverError()) {
    case QAbstractSocket::AddressInUseError:
        why = QStringLiteral("the port is in use");
        break;
    case QAbstractSocket::SocketAddressNotAvailableError:
        why = QStringLiteral("the address is not this machine's");
        break;
    case QAbstractSocket::SocketAccessError:
        why = QStringLiteral("not allowed (ports below 1024 need privileges)");
        break;
    default:
        why = listener.errorString();
    }
    return QStringLiteral("cannot start the panel mirror on %1: %2").arg(where, why);
}
