#include "net/chunkeddecoder.h"

#include <QList>
#include <QStringView>

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

ChunkedDecoder::ChunkedDecoder(qsizetype maxBody, qsizetype maxLine)
    : m_maxBody(maxBody), m_maxLine(maxLine)
{
}

bool ChunkedDecoder::appliesTo(const QString &header)
{
    bool chunked = false;
    // The status line holds no ":"-field, so it never matches.
    for (QStringView line : QStringView(header).split(QStringLiteral("\r\n"))) {
        const qsizetype colon = line.indexOf(u':');
        if (colon <= 0)
            continue;
        if (line.left(colon).trimmed().compare(QLatin1String("transfer-encoding"), Qt::CaseInsensitive) != 0)
            continue;
        // Several codings, or several such lines: the last one counts.
        const QStringView value = line.mid(colon + 1);
        const qsizetype comma = value.lastIndexOf(u',');
        const QStringView last = (comma < 0 ? value : value.mid(comma + 1)).trimmed();
        if (last.isEmpty() && comma >= 0)
            continue; // "chunked," adds an empty member only
        chunked = last.compare(QLatin1String("chunked"), Qt::CaseInsensitive) == 0;
    }
    return chunked;
}

ChunkedDecoder::Status ChunkedDecoder::status() const
{
    switch (m_state) {
    case State::Done: return Status::Done;
    case State::Failed: return Status::Failed;
    default: return Status::NeedMore;
    }
}

bool ChunkedDecoder::countLineByte()
{
    return ++m_lineBytes <= m_maxLine;
}

bool ChunkedDecoder::endSizeLine()
{
    if (m_digits == 0)
        return false;
    m_lineBytes = 0;
    if (m_chunkSize == 0) {
        m_state = State::TrailerStart;
        return true;
    }
    m_remaining = m_chunkSize;
    m_state = State::Data;
    return true;
}

ChunkedDecoder::Status ChunkedDecoder::feed(QByteArrayView in, QByteArray &out)
{
    qsizetype i = 0;
    const qsizetype n = in.size();
    while (i < n && m_state != State::Done && m_state != State::Failed) {
        if (m_state == State::Data) {
            const qsizetype take = qMin(m_remaining, n - i);
            out.append(in.data() + i, take);
            i += take;
            m_remaining -= take;
            m_decoded += take;
            if (m_remaining == 0)
                m_state = State::DataCR;
            continue;
        }
        const char c = in.at(i++);
        bool ok = true;
        switch (m_state) {
        case State::SizeDigits: {
            ok = countLineByte();
            const int v = hexValue(c);
            if (!ok) {
                break;
            } else if (v >= 0) {
                ++m_digits;
                // Refused as soon as it passes what the body may still take,
                // so no size can overflow.
                m_chunkSize = m_chunkSize * 16 + v;
                ok = m_chunkSize <= m_maxBody - m_decoded;
            } else if (isBlank(c) && m_digits > 0) {
                m_state = State::SizeSpace;
            } else if (c == ';' && m_digits > 0) {
                m_state = State::SizeExt;
            } else if (c == '\r') {
                m_state = State::SizeCR;
            } else if (c == '\n') {
                ok = endSizeLine();
            } else {
                ok = false;
            }
            break;
        }
        case State::SizeSpace:
            ok = countLineByte();
            if (!ok)
                break;
            if (c == ';')
                m_state = State::SizeExt;
            else if (c == '\r')
                m_state = State::SizeCR;
            else if (c == '\n')
                ok = endSizeLine();
            else
                ok = isBlank(c);
            break;
        case State::SizeExt:
            ok = countLineByte();
            if (ok && c == '\n')
                ok = endSizeLine();
            break;
        case State::SizeCR:
            ok = c == '\n' && endSizeLine();
            break;
        case State::DataCR:
            if (c == '\r') {
                m_state = State::DataLF;
                break;
            }
            [[fallthrough]];
        case State::DataLF:
            ok = c == '\n';
            m_state = State::SizeDigits;
            m_chunkSize = 0;
            m_digits = 0;
            m_lineBytes = 0;
            break;
        case State::TrailerStart:
            ok = countLineByte();
            if (c == '\n')
                m_state = State::Done;
            else if (c == '\r')
                m_state = State::TrailerCR;
            else
                m_state = State::TrailerLine;
            break;
        case State::TrailerCR:
            ok = countLineByte();
            m_state = c == '\n' ? State::Done : State::TrailerLine;
            break;
        case State::TrailerLine:
            ok = countLineByte();
            if (c == '\n')
                m_state = State::TrailerStart;
            break;
        case State::Data:
        case State::Done:
        case State::Failed:
            break;
        }
        if (!ok)
            m_state = State::Failed;
    }
    return status();
}
