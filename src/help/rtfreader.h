#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

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
// document that changes format on every letter cannot cost more than this.
constexpr int kMaxSpans = 1 << 20;

// Reads RTF; input that does not start with "{\rtf" is taken as plain text
// (UTF-8 when valid, else Windows-1252). Reading stops once the text holds
// maxChars characters (negative: no limit).
Document parse(const QByteArray &data, qsizetype maxChars = -1);

// Replaces the content of doc by the document.
void fill(const Document &parsed, QTextDocument *doc);
// parse() and fill() in one.
void load(const QByteArray &data, QTextDocument *doc);

} // namespace rtf
