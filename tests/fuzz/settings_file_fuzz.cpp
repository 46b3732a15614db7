// Any file content read, written back by the program's own writer and read again: the writer
// either refuses (only ever for a value near the format's 32767-position limit, old file kept) or
// writes a file that reads back without refusal and with the very same settings.
#include "FuzzCheck.h"

#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <unistd.h>

namespace {

QStringList fields(const PortSettingsRecord &s) {
    return {s.Name, s.Speed, s.Parity, s.DataLength, s.FlowControl, s.StopBits};
}

QString scratchFile() {
    static const QString path =
        QDir::temp().filePath(QStringLiteral("settings-fuzz-%1.XML").arg(::getpid()));
    return path;
}

QByteArray contentOf(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    PortSettingsRecord first;
    readSettingsBytes(bytes, first); // fields read before a refusal are kept, as on start-up

    const QByteArray written =
        formatSettingsFile(first, QStringLiteral("Version"),
                           QDateTime(QDate(2026, 12, 6), QTime(2, 45, 40)), QLocale::c());
    const QString path = scratchFile();
    const QByteArray kept = "kept";
    if (writeSettingsFile(path, kept) != 0)
        std::abort(); // the scratch folder itself is unusable: no finding

    if (saveSettingsFile(path, written) != 0) {
        FUZZ_CHECK(contentOf(path) == kept);
        const QStringList values = fields(first);
        FUZZ_CHECK(std::any_of(values.begin(), values.end(),
                               [](const QString &v) { return v.size() > 32767 - 64; }));
        return 0;
    }
    FUZZ_CHECK(contentOf(path) == written);
    PortSettingsRecord second;
    FUZZ_CHECK(readSettingsFile(path, second) == 0);
    FUZZ_CHECK(fields(second) == fields(first));
    return 0;
}
