#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The mirror's access key: 128 bits from the system's random generator, written as 32 lowercase
// hex digits. Whoever has it may watch the panel; whoever has not gets nothing.
inline constexpr int kAccessKeyDigits = 32;

QByteArray newAccessKey();

// Whether `given` is `key`, in a time that does not depend on where they first differ, so that
// the key cannot be guessed one digit at a time by timing the answers.
bool keyMatches(QByteArrayView given, QByteArrayView key);

// The key a key file holds: exactly 32 hex digits, optionally followed by one line end. Either
// case is taken; the key comes back in lowercase. Anything else is no key.
std::optional<QByteArray> keyFromText(QByteArrayView text);

// A request's path cut at its first segment: "/KEY/panel.js" is {"KEY", "panel.js"}. A path
// with no second slash has no file: "/KEY" is {"KEY", null}.
struct KeyedPath {
    QByteArray key;
    std::optional<QByteArray> file;
};
KeyedPath splitKeyedPath(QByteArrayView path);
