#include "mirror/StartLine.h"

#include <qrencode.h>

#include <memory>

namespace {

QString urlFor(const QHostAddress &address, quint16 port, const QByteArray &key) {
    QString host = address.toString();
    if (address.protocol() == QAbstractSocket::IPv6Protocol)
        host = QLatin1Char('[') + host + QLatin1Char(']');
    return QStringLiteral("http://%1:%2/%3/").arg(host).arg(port).arg(QLatin1String(key));
}

bool anyAddress(const QHostAddress &address) {
    return address.isNull() || address == QHostAddress::Any || address == QHostAddress::AnyIPv4 ||
           address == QHostAddress::AnyIPv6;
}

constexpr int kQuietModules = 2;

} // namespace

QStringList mirrorUrls(const QHostAddress &given, const QList<QHostAddress> &machine, quint16 port,
                       const QByteArray &key) {
    QStringList urls;
    if (!anyAddress(given))
        return {urlFor(given, port, key)};
    for (const QHostAddress &address : machine)
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            urls << urlFor(address, port, key);
    if (urls.isEmpty())
        urls << urlFor(QHostAddress(QHostAddress::LocalHost), port, key);
    urls.removeDuplicates();
    return urls;
}

QString startText(const QStringList &urls) {
    QString text;
    for (const QString &url : urls)
        text += QStringLiteral("gear-monitor: panel mirror at ") + url + QLatin1Char('\n');
    if (!urls.isEmpty())
        text += qrCodeLines(urls.constFirst().toUtf8()).join(QLatin1Char('\n')) + QLatin1Char('\n');
    return text;
}

QStringList qrCodeLines(const QByteArray &text) {
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString8bit(text.constData(), 0, QR_ECLEVEL_L), &QRcode_free);
    if (!code)
        return {};
    const int width = code->width;
    const int side = width + 2 * kQuietModules;
    auto dark = [&](int row, int column) {
        row -= kQuietModules;
        column -= kQuietModules;
        if (row < 0 || column < 0 || row >= width || column >= width)
            return false;
        return (code->data[row * width + column] & 1) != 0;
    };
    QStringList lines;
    for (int row = 0; row < side; row += 2) {
        QString line;
        for (int column = 0; column < side; ++column) {
            const bool upperLight = !dark(row, column);
            const bool lowerLight = row + 1 < side && !dark(row + 1, column);
            if (upperLight && lowerLight)
                line += QChar(0x2588); // full block
            else if (upperLight)
                line += QChar(0x2580); // upper half
            else if (lowerLight)
                line += QChar(0x2584); // lower half
            else
                line += QLatin1Char(' ');
        }
        lines << line;
    }
    return lines;
}
