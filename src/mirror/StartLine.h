#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

// The addresses a browser opens: "http://ADDRESS:PORT/KEY/". With an address given, that one;
// otherwise each of the machine's IPv4 addresses other than loopback, or 127.0.0.1 when there
// is none.
QStringList mirrorUrls(const QHostAddress &given, const QList<QHostAddress> &machine, quint16 port,
                       const QByteArray &key);

// What the program says on standard output as the mirror starts: a line per address, then the
// first address as a QR code a phone's camera reads from the terminal.
QString startText(const QStringList &urls);

// `text` as a QR code in text: two rows of modules per line in half blocks, light modules drawn
// (so that it reads on a dark terminal), with a quiet zone. Empty when it cannot be encoded.
QStringList qrCodeLines(const QByteArray &text);
