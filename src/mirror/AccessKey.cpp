#include "mirror/AccessKey.h"

#include <QRandomGenerator>

#include <array>

QByteArray newAccessKey() {
    std::array<quint32, 4> bits{};
    QRandomGenerator::system()->fillRange(bits.data(), bits.size());
    return QByteArray(reinterpret_cast<const char *>(bits.data()), sizeof bits).toHex();
}

bool keyMatches(QByteArrayView given, QByteArrayView key) {
    // Every byte of the key is looked at whatever `given` holds; only the lengths (public: every
    // key is 32 digits) may end it early in effect.
    unsigned difference = given.size() == key.size() ? 0u : 1u;
    for (qsizetype i = 0; i < key.size(); ++i) {
        const char g = i < given.size() ? given[i] : char(0);
        difference |= unsigned(static_cast<unsigned char>(g ^ key[i]));
    }
    return key.size() > 0 && difference == 0;
}

std::optional<QByteArray> keyFromText(QByteArrayView text) {
    if (text.endsWith("\r\n"))
        text.chop(2);
    else if (text.endsWith('\n'))
        text.chop(1);
    if (text.size() != kAccessKeyDigits)
        return std::nullopt;
    QByteArray key;
    for (char c : text) {
        const bool digit = c >= '0' && c <= '9';
        const bool lower = c >= 'a' && c <= 'f';
        const bool upper = c >= 'A' && c <= 'F';
        if (!digit && !lower && !upper)
            return std::nullopt;
        key.append(upper ? char(c - 'A' + 'a') : c);
    }
    return key;
}

KeyedPath splitKeyedPath(QByteArrayView path) {
    if (!path.startsWith('/'))
        return {};
    path = path.sliced(1);
    const qsizetype slash = path.indexOf('/');
    if (slash < 0)
        return {path.toByteArray(), std::nullopt};
    return {path.first(slash).toByteArray(), path.sliced(slash + 1).toByteArray()};
}
