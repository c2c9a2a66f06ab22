#include "text/cp1252.h"

namespace cp1252 {
namespace {
// 0x80..0x9F; 0 marks the bytes that have no assigned character.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
} // namespace

QChar character(unsigned char b)
{
    if (b >= 0x80 && b <= 0x9F && kHigh[b - 0x80] != 0)
        return QChar(kHigh[b - 0x80]);
    return QChar(static_cast<char16_t>(b));
}

int code(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == 0 ? u == 0x80 + i : kHigh[i] == u)
            return 0x80 + i;
    }
    return -1;
}

QByteArray encode(const QString &text)
{
    QByteArray out;
    out.resize(text.size());
    char *p = out.data();
    for (QChar c : text) {
        const int n = code(c);
        *p++ = static_cast<char>(n < 0 ? '?' : n);
    }
    return out;
}

QString decode(const QByteArray &bytes)
{
    QString out;
    out.resize(bytes.size());
    QChar *p = out.data();
    for (char b : bytes)
        *p++ = character(static_cast<unsigned char>(b));
    return out;
}

} // namespace cp1252
