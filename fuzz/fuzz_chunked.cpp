// The chunked body decoder on any bytes: fed in pieces it decodes exactly as
// fed whole, never hands out more than its cap, and a body it decoded comes
// back unchanged through one chunk of its own.
#include "net/chunkeddecoder.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdlib>

namespace {

constexpr qsizetype kMaxBody = 1024;
constexpr qsizetype kMaxLine = 64;

ChunkedDecoder::Status decode(QByteArrayView wire, qsizetype step, QByteArray &out)
{
    ChunkedDecoder d(kMaxBody, kMaxLine);
    ChunkedDecoder::Status s = ChunkedDecoder::Status::NeedMore;
    for (qsizetype at = 0; at < wire.size(); at += step) {
        s = d.feed(wire.sliced(at, qMin(step, wire.size() - at)), out);
        if (s != d.status() || out.size() != d.decodedSize())
            std::abort();
    }
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the piece size, the rest is the body on the wire.
    const qsizetype step = 1 + data[0] % 17;
    const QByteArrayView wire(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1));

    QByteArray whole, pieces;
    const ChunkedDecoder::Status a = decode(wire, qMax<qsizetype>(1, wire.size()), whole);
    const ChunkedDecoder::Status b = decode(wire, step, pieces);
    if (a != b || whole != pieces || whole.size() > kMaxBody)
        std::abort();
    if (a == ChunkedDecoder::Status::Done) {
        QByteArray again;
        const QByteArray one = QByteArray::number(whole.size(), 16) + "\r\n" + whole + "\r\n0\r\n\r\n";
        if (decode(one, step, again) != ChunkedDecoder::Status::Done || again != whole)
            std::abort();
    }
    // The header test takes any text.
    (void)ChunkedDecoder::appliesTo(QString::fromLatin1(wire));
    return 0;
}
