#pragma once
#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QList>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>

#include <memory>

class QTextDocument;

// Our own reader for the rich text of the help documents. It reads the
// subset that a help text needs (groups, paragraphs, bold, italic,
// underline, font size, colours, code-page and Unicode escapes) and skips
// what it does not show (font and style tables, \info, pictures, \*
// destinations). Any input is accepted: malformed markup gives whatever
// text could be read. Work and memory are linear in the input; group
// nesting is kept on a bounded stack.
namespace rtf {

struct CharFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int halfPoints = 24;  // \fs: font size in half points
    int color = 0;        // \cf: index into the colour table; 0 is the default colour

    bool operator==(const CharFormat &) const = default;
};

struct Color {
    int red = 0, green = 0, blue = 0;
    bool automatic = true;  // an empty entry: the default text colour
};

// The format from text position start on, up to the next span.
struct Span {
    qsizetype start = 0;
    CharFormat format;
};

struct Document {
    // Paragraphs end in QChar::ParagraphSeparator, \line is
    // QChar::LineSeparator, \tab is '\t'.
    QString text;
    QList<Span> spans;
    QList<Color> colors;
    // Deepest group stack that was held while reading (bounded by kMaxDepth).
    int peakDepth = 0;
    // Reading stopped at the character limit.
    bool truncated = false;
};

// Groups nested deeper than this share the format of the deepest kept
// group instead of a stack entry of their own.
constexpr int kMaxDepth = 512;
constexpr int kMaxColors = 4096;
// Beyond this many format changes the text keeps the last format: a
// document that changes format on every letter costs no more than this,
// as the text costs no more than the character limit.
constexpr int kMaxSpans = 1 << 16;
// A paragraph longer than this is shown as several: a text view lays a
// paragraph out in one go, and a megabyte without a break would hold the
// window for seconds. At a blank near the limit when there is one.
constexpr int kMaxParagraph = 4096;

// Whether the bytes start (after white space) with "{\rtf".
bool looksLikeRtf(const QByteArray &head);
// The most bytes a plain-text file can need for maxChars characters.
qsizetype plainBytesFor(qsizetype maxChars);

// Reads RTF; input that does not start with "{\rtf" is taken as plain text
// (UTF-8 when valid, else Windows-1252). Reading stops once the text holds
// maxChars characters (negative: no limit).
Document parse(const QByteArray &data, qsizetype maxChars = -1);

// parse() in steps: each read() takes about budget bytes of the input.
class Reader
{
public:
    Reader(const QByteArray &data, qsizetype maxChars = -1);
    ~Reader();
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;
    // True once the whole input is read (or the limit reached).
    bool read(qsizetype budget);
    // The document read; call once, after read() returned true.
    Document take();

private:
    class Parser;
    class PlainParser;
    std::unique_ptr<Parser> m_parser;
    std::unique_ptr<PlainParser> m_plain;
};

// The colours a document is shown against. A colour of the document that
// equals the default text colour (black), or that cannot be read on the
// background, is left to the view, which draws it in its palette's text
// colour; so is text without a colour.
struct ShownColours {
    QColor background;  // invalid: every colour but black is kept
};
// True when a document colour is drawn as it is on that background.
bool keepsColour(const Color &c, const ShownColours &shown);

// Writes a document into a QTextDocument in steps, replacing its content.
// Each distinct format is made once, and at most kMaxFormats of them (each
// may need a font of its own); font sizes are kept to 4..72 points;
// paragraphs are cut at kMaxParagraph.
class Writer
{
public:
    static constexpr int kMaxFormats = 64;

    Writer(const Document &parsed, QTextDocument *doc, const ShownColours &shown = {});
    // Writes about maxChars characters or maxSpans format changes, and the
    // rest of the paragraph it is in; true when everything is written.
    bool write(qsizetype maxChars, int maxSpans);

private:
    QTextCharFormat formatOf(const CharFormat &f);
    // Writes from the current position to the end of the span, of the
    // paragraph or of the paragraph limit; the characters of the span taken.
    qsizetype writePiece();

    const Document &m_parsed;
    ShownColours m_shown;
    QTextCursor m_cursor;
    QHash<quint64, QTextCharFormat> m_formats;
    QTextCharFormat m_last;
    qsizetype m_span = 0;      // span being written
    qsizetype m_offset = 0;    // characters of it written already
    qsizetype m_paragraph = 0; // characters in the paragraph being written
};

// Replaces the content of doc by the document, in one go.
void fill(const Document &parsed, QTextDocument *doc, const ShownColours &shown = {});
// parse() and fill() in one.
void load(const QByteArray &data, QTextDocument *doc);

} // namespace rtf
