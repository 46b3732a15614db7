// Any byte stream, fed whole and in pieces: the held bytes stay within the bound, the lines do not
// depend on how the bytes were cut, and every byte comes out once, in order.
#include "FuzzCheck.h"

#include "platform/LineAssembler.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

// Lines as the bytes they were made from.
QByteArray joined(const QStringList &lines) {
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toLatin1();
    return bytes;
}

// A line is a run of at most kMaxRun bytes and its terminator, or a run cut at exactly kMaxRun.
void checkShapes(const QStringList &lines, char terminator) {
    for (const QString &line : lines) {
        const qsizetype at = line.indexOf(QLatin1Char(terminator));
        FUZZ_CHECK(at == -1 || at == line.size() - 1); // the terminator only ever ends a line
        if (at == -1)
            FUZZ_CHECK(line.size() == LineAssembler::kMaxRun);
        else
            FUZZ_CHECK(line.size() <= LineAssembler::kMaxRun + 1);
    }
}

} // namespace

// The first byte picks the terminator, the second the cuts; the rest is the stream.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    const char terminator = (data[0] & 1) ? char(data[0]) : '\r';
    uint32_t cuts = data[1] * 2654435761u + 1;
    const QByteArrayView stream(reinterpret_cast<const char *>(data) + 2, qsizetype(size) - 2);

    LineAssembler whole(terminator);
    const QStringList wholeLines = whole.feed(stream);
    FUZZ_CHECK(whole.heldBytes() <= LineAssembler::kMaxRun);

    LineAssembler pieces(terminator);
    QStringList pieceLines;
    for (qsizetype at = 0; at < stream.size();) {
        cuts = cuts * 1103515245u + 12345u;
        const qsizetype length = std::min<qsizetype>(stream.size() - at, 1 + (cuts >> 16) % 9000);
        pieceLines << pieces.feed(stream.sliced(at, length));
        FUZZ_CHECK(pieces.heldBytes() <= LineAssembler::kMaxRun);
        at += length;
    }

    FUZZ_CHECK(pieceLines == wholeLines);
    FUZZ_CHECK(pieces.heldBytes() == whole.heldBytes());
    checkShapes(wholeLines, terminator);
    // Bytes in = bytes out: the lines and the held rest are the stream, in order.
    const QByteArray out = joined(wholeLines);
    FUZZ_CHECK(out.size() + whole.heldBytes() == stream.size());
    FUZZ_CHECK(stream.startsWith(out));
    return 0;
}
