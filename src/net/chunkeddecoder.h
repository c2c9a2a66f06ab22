#pragma once
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Undoes "Transfer-Encoding: chunked" on a body that arrives in pieces of
// any size. Chunk extensions and trailer fields are skipped; a size line
// that is not hexadecimal, or data not followed by its line end, makes the
// body malformed. Memory stays bounded: decoded data is handed out as it
// comes, and no size line or trailer section may exceed maxLine bytes, nor
// the decoded body maxBody bytes.
class ChunkedDecoder
{
public:
    enum class Status { NeedMore, Done, Failed };

    ChunkedDecoder(qsizetype maxBody, qsizetype maxLine);

    // Whether a response header (status line and fields, CRLF separated)
    // says the body is chunked: "chunked" is the last transfer coding.
    static bool appliesTo(const QString &header);

    // Takes the next bytes of the body and appends what they decode to to
    // out. Bytes after the end of the body are ignored; after Failed nothing
    // more is taken.
    Status feed(QByteArrayView in, QByteArray &out);

    Status status() const;
    qsizetype decodedSize() const { return m_decoded; }

private:
    enum class State {
        SizeDigits, // hex digits of a size line
        SizeSpace,  // blanks after the digits
        SizeExt,    // a chunk extension, up to the line end
        SizeCR,     // CR seen at the end of a size line
        Data,       // chunk data
        DataCR,     // the CR after chunk data
        DataLF,     // the LF after chunk data
        TrailerStart,
        TrailerLine,
        TrailerCR,
        Done,
        Failed
    };

    bool endSizeLine();
    bool countLineByte();

    qsizetype m_maxBody;
    qsizetype m_maxLine;
    State m_state = State::SizeDigits;
    qsizetype m_decoded = 0;
    qsizetype m_chunkSize = 0;   // while reading a size line
    qsizetype m_digits = 0;
    qsizetype m_remaining = 0;   // data bytes left in this chunk
    qsizetype m_lineBytes = 0;   // of the current size line or the trailer
};
