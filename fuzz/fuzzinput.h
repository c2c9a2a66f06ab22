#pragma once
// Turns the fuzzer's bytes into text: an even first byte reads the rest as
// Windows-1252 (dense, HTML-like input), an odd one as UTF-16 code units
// (any QString, unpaired surrogates included).
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

#include "text/cp1252.h"

namespace fuzzinput {

inline QString text(const uint8_t *data, size_t size)
{
    if (size == 0)
        return QString();
    if ((data[0] & 1) == 0)
        return cp1252::decode(QByteArray(reinterpret_cast<const char *>(data + 1), static_cast<qsizetype>(size - 1)));
    QString s;
    for (size_t i = 1; i + 1 < size; i += 2)
        s += QChar(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    return s;
}

// The text cut at NUL characters into at most n parts.
inline QStringList parts(const QString &t, int n)
{
    QStringList out;
    qsizetype from = 0;
    while (out.size() + 1 < n) {
        const qsizetype at = t.indexOf(QChar(0), from);
        if (at < 0)
            break;
        out << t.mid(from, at - from);
        from = at + 1;
    }
    out << t.mid(from);
    return out;
}

} // namespace fuzzinput
