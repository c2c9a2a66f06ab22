#include "help/rtfreader.h"

#include "text/cp1252.h"

#include <QColor>
#include <QStringDecoder>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

namespace rtf {

namespace {

// Longest control word and parameter that are read; the rest of an overlong
// one is consumed but not stored, so any input stays linear.
constexpr int kMaxWordLength = 32;
constexpr qint64 kNumberCap = 1'000'000'000;
constexpr int kMaxUnicodeSkip = 64;

enum class Destination { Text, ColorTable };

struct Frame {
    CharFormat format;
    int unicodeSkip = 1;  // \uc
    Destination destination = Destination::Text;
};

// Groups whose content is never shown.
constexpr std::array<std::string_view, 44> kSkipped = {
    "fonttbl",   "stylesheet",   "info",      "pict",           "header",
    "headerl",   "headerr",      "headerf",   "footer",         "footerl",
    "footerr",   "footerf",      "footnote",  "object",         "fldinst",
    "listtable", "listoverridetable", "revtbl", "rsidtbl",      "xmlnstbl",
    "themedata", "colorschememapping", "latentstyles", "datastore", "filetbl",
    "generator", "nonshppict",   "shppict",   "author",         "title",
    "subject",   "operator",     "comment",   "doccomm",        "keywords",
    "company",   "buptim",       "creatim",   "printim",        "revtim",
    "mmathPr",   "pgdsctbl",     "annotation", "atnid"};

bool isSkippedDestination(std::string_view word)
{
    return std::find(kSkipped.begin(), kSkipped.end(), word) != kSkipped.end();
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

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

// What an escaped character shows as: control characters become a blank,
// and the characters a text document keeps for its own structure a
// replacement character.
QChar shown(QChar c)
{
    const char16_t u = c.unicode();
    if (u == u'\t')
        return c;
    if (u < 0x20 || u == 0x7F)
        return QLatin1Char(' ');
    if (u == 0xFDD0 || u == 0xFDD1 || u == 0xFFFC || u == 0xFFFF || u == 0xFFFE)
        return QChar(QChar::ReplacementCharacter);
    return c;
}

} // namespace

class Reader::Parser
{
public:
    Parser(const QByteArray &data, qsizetype maxChars)
        : m_data(data), m_p(m_data.constData()), m_end(m_data.constData() + m_data.size()), m_maxChars(maxChars)
    {
        // One character per input byte is the most the text can take.
        m_doc.text.reserve(std::min<qsizetype>(data.size(), maxChars >= 0 ? maxChars : 1 << 20));
    }

    Document take() { return std::move(m_doc); }

    bool step(qsizetype budget)
    {
        // A control word may run past the budget; it ends the step.
        const char *stop = budget < 0 || m_end - m_p <= budget ? m_end : m_p + budget;
        while (m_p < stop && !m_doc.truncated) {
            const char c = *m_p++;
            switch (c) {
            case '{':
                openGroup();
                break;
            case '}':
                closeGroup();
                break;
            case '\\':
                controlSequence();
                break;
            case '\r':
            case '\n':
                break;
            case '\t':
                character(QLatin1Char('\t'));
                break;
            default:
                if (static_cast<unsigned char>(c) >= 0x20)
                    character(shown(cp1252::character(static_cast<unsigned char>(c))));
                break;
            }
        }
        return m_p >= m_end || m_doc.truncated;
    }

private:
    void openGroup()
    {
        ++m_depth;
        m_unicodePending = 0;
        if (m_skipping)
            return;
        m_groupStart = true;
        if (m_stack.size() < kMaxDepth) {
            m_stack.append(m_cur);
            m_doc.peakDepth = std::max(m_doc.peakDepth, static_cast<int>(m_stack.size()));
        } else {
            ++m_overflow;
        }
    }

    void closeGroup()
    {
        m_unicodePending = 0;
        m_groupStart = false;
        if (m_depth == 0)
            return;  // a stray brace
        --m_depth;
        if (m_skipping) {
            if (m_depth >= m_skipDepth)
                return;
            m_skipping = false;
        }
        if (m_overflow > 0)
            --m_overflow;
        else if (!m_stack.isEmpty())
            m_cur = m_stack.takeLast();
    }

    // Skips the rest of the group that was just opened.
    void skipGroup()
    {
        m_skipping = true;
        m_skipDepth = m_depth;
    }

    bool atDestinationStart() const { return m_groupStart && m_depth >= 2; }

    void controlSequence()
    {
        if (m_p >= m_end)
            return;  // a lone backslash at the end
        const bool groupStart = m_groupStart;
        m_groupStart = false;
        const char c = *m_p;
        if (!isLetter(c)) {
            ++m_p;
            controlSymbol(c, groupStart);
            return;
        }

        char word[kMaxWordLength + 1];
        int length = 0;
        while (m_p < m_end && isLetter(*m_p)) {
            if (length < kMaxWordLength)
                word[length++] = *m_p;
            ++m_p;
        }
        bool negative = false;
        bool hasValue = false;
        qint64 value = 0;
        if (m_p < m_end && *m_p == '-' && m_p + 1 < m_end && isDigit(m_p[1])) {
            negative = true;
            ++m_p;
        }
        while (m_p < m_end && isDigit(*m_p)) {
            hasValue = true;
            value = std::min(kNumberCap, value * 10 + (*m_p - '0'));
            ++m_p;
        }
        if (negative)
            value = -value;
        if (m_p < m_end && *m_p == ' ')
            ++m_p;

        const std::string_view name(word, static_cast<size_t>(length));
        if (name == "bin") {
            // Raw bytes follow; they may hold anything, braces included.
            const qint64 n = std::clamp<qint64>(value, 0, m_end - m_p);
            m_p += n;
            return;
        }
        if (m_skipping)
            return;
        if (m_unicodePending > 0) {
            --m_unicodePending;
            return;
        }
        m_groupStart = groupStart;  // controlWord decides whether it opens a destination
        controlWord(name, hasValue, static_cast<int>(value));
        m_groupStart = false;
    }

    void controlSymbol(char c, bool groupStart)
    {
        if (m_skipping)
            return;
        switch (c) {
        case '\\':
        case '{':
        case '}':
            character(QLatin1Char(c));
            return;
        case '\'': {
            const int hi = m_p < m_end ? hexValue(*m_p) : -1;
            const int lo = hi >= 0 && m_p + 1 < m_end ? hexValue(m_p[1]) : -1;
            if (lo < 0) {
                // A cut escape: the hex digits that are there are dropped.
                if (hi >= 0)
                    ++m_p;
                if (m_unicodePending > 0)
                    --m_unicodePending;
                return;
            }
            m_p += 2;
            character(shown(cp1252::character(static_cast<unsigned char>(hi * 16 + lo))));
            return;
        }
        case '*':
            if (groupStart && m_depth >= 2)
                skipGroup();
            return;
        case '~':
            character(QChar(0x00A0));
            return;
        case '_':
            character(QChar(0x2011));
            return;
        case '\r':
        case '\n':
            character(QChar::ParagraphSeparator);
            return;
        default:
            // \- (optional hyphen) and the rest show nothing.
            if (m_unicodePending > 0)
                --m_unicodePending;
            return;
        }
    }

    void controlWord(std::string_view w, bool hasValue, int value)
    {
        CharFormat &f = m_cur.format;
        const bool on = !hasValue || value != 0;
        if (w == "par" || w == "sect") {
            character(QChar::ParagraphSeparator);
        } else if (w == "line") {
            character(QChar::LineSeparator);
        } else if (w == "tab") {
            character(QLatin1Char('\t'));
        } else if (w == "b") {
            f.bold = on;
        } else if (w == "i") {
            f.italic = on;
        } else if (w == "ul") {
            f.underline = on;
        } else if (w == "ulnone") {
            f.underline = false;
        } else if (w == "fs") {
            f.halfPoints = hasValue && value > 0 ? std::clamp(value, 2, 3276) : CharFormat().halfPoints;
        } else if (w == "cf") {
            f.color = std::clamp(value, 0, kMaxColors);
        } else if (w == "plain") {
            f = CharFormat();
        } else if (w == "u") {
            unicode(value);
        } else if (w == "uc") {
            m_cur.unicodeSkip = hasValue ? std::clamp(value, 0, kMaxUnicodeSkip) : 1;
        } else if (w == "red" || w == "green" || w == "blue") {
            if (m_cur.destination == Destination::ColorTable) {
                const int v = std::clamp(value, 0, 255);
                (w == "red" ? m_color.red : w == "green" ? m_color.green : m_color.blue) = v;
                m_color.automatic = false;
            }
        } else if (w == "colortbl") {
            if (atDestinationStart()) {
                m_cur.destination = Destination::ColorTable;
                m_color = Color();
            }
        } else if (w == "emdash") {
            character(QChar(0x2014));
        } else if (w == "endash") {
            character(QChar(0x2013));
        } else if (w == "bullet") {
            character(QChar(0x2022));
        } else if (w == "lquote") {
            character(QChar(0x2018));
        } else if (w == "rquote") {
            character(QChar(0x2019));
        } else if (w == "ldblquote") {
            character(QChar(0x201C));
        } else if (w == "rdblquote") {
            character(QChar(0x201D));
        } else if (isSkippedDestination(w)) {
            if (atDestinationStart())
                skipGroup();
        }
        // \pard, \rtf, \ansi, \f and every other word change nothing shown.
    }

    void unicode(int value)
    {
        // Signed 16-bit in the markup: negative values stand for 32768..65535.
        if (value < 0)
            value += 65536;
        character(value >= 0 && value <= 0xFFFF ? shown(QChar(static_cast<char16_t>(value)))
                                                : QChar(QChar::ReplacementCharacter));
        m_unicodePending = m_cur.unicodeSkip;
    }

    void character(QChar c)
    {
        m_groupStart = false;
        if (m_skipping)
            return;
        if (m_unicodePending > 0) {
            --m_unicodePending;
            return;
        }
        if (m_cur.destination == Destination::ColorTable) {
            if (c == u';') {
                if (m_doc.colors.size() < kMaxColors)
                    m_doc.colors.append(m_color);
                m_color = Color();
            }
            return;
        }
        QList<Span> &spans = m_doc.spans;
        const qsizetype at = m_doc.text.size();
        if (m_maxChars >= 0 && at >= m_maxChars) {
            m_doc.truncated = true;
            return;
        }
        if (spans.isEmpty() || spans.last().format != m_cur.format) {
            if (!spans.isEmpty() && spans.last().start == at)
                spans.last().format = m_cur.format;
            else if (spans.size() < kMaxSpans)
                spans.append(Span{at, m_cur.format});
        }
        m_doc.text.append(c);
    }

    const QByteArray m_data;
    const char *m_p;
    const char *m_end;
    qsizetype m_maxChars;
    Document m_doc;
    Frame m_cur;
    QList<Frame> m_stack;
    qint64 m_depth = 0;     // braces open, kept or not
    qint64 m_overflow = 0;  // groups open beyond kMaxDepth
    bool m_skipping = false;
    qint64 m_skipDepth = 0;
    bool m_groupStart = false;
    int m_unicodePending = 0;
    Color m_color;
};

// Plain text, in steps: UTF-8 while it is valid, else Windows-1252 from
// the start. A line end (CR, LF or CR LF) ends a paragraph.
class Reader::PlainParser
{
public:
    PlainParser(const QByteArray &data, qsizetype maxChars) : m_data(data), m_maxChars(maxChars)
    {
        m_doc.text.reserve(std::min<qsizetype>(data.size(), maxChars >= 0 ? maxChars : 1 << 20));
        m_doc.spans.append(Span{});
    }

    Document take() { return std::move(m_doc); }

    bool step(qsizetype budget)
    {
        const qsizetype n = budget < 0 ? m_data.size() - m_pos : std::min(budget, m_data.size() - m_pos);
        const QByteArrayView bytes = QByteArrayView(m_data).sliced(m_pos, n);
        m_pos += n;
        if (m_cp1252) {
            append(cp1252::decode(bytes.toByteArray()));
        } else {
            const QString text = m_utf8(bytes);
            if (m_utf8.hasError()) {
                // Not UTF-8 after all: everything again, as Windows-1252.
                m_cp1252 = true;
                m_pos = 0;
                m_doc.text.clear();
                m_pendingCr = false;
                return false;
            }
            append(text);
        }
        return m_done || m_pos >= m_data.size();
    }

private:
    void append(const QString &text)
    {
        for (qsizetype i = 0; i < text.size() && !m_done; ++i) {
            const QChar c = text[i];
            const bool afterCr = m_pendingCr;
            m_pendingCr = c == u'\r';
            if (c == u'\n' && afterCr)
                continue;  // the CR ended the paragraph
            if (c == u'\r' || c == u'\n')
                m_doc.text.append(QChar::ParagraphSeparator);
            else if (c.unicode() >= 0x20 || c == u'\t')
                m_doc.text.append(shown(c));
            if (m_maxChars >= 0 && m_doc.text.size() >= m_maxChars) {
                m_done = true;
                m_doc.truncated = i + 1 < text.size() || m_pos < m_data.size();
            }
        }
    }

    const QByteArray m_data;
    const qsizetype m_maxChars;
    qsizetype m_pos = 0;
    bool m_cp1252 = false;
    bool m_pendingCr = false;
    bool m_done = false;
    QStringDecoder m_utf8{QStringDecoder::Utf8};
    Document m_doc;
};


bool looksLikeRtf(const QByteArray &head)
{
    qsizetype i = 0;
    while (i < head.size() && (head[i] == ' ' || head[i] == '\t' || head[i] == '\r' || head[i] == '\n'))
        ++i;
    return head.mid(i, 5) == "{\\rtf";
}

qsizetype plainBytesFor(qsizetype maxChars)
{
    // Three UTF-8 bytes per UTF-16 unit at most, and a CR LF is one
    // character: one more line end and a cut sequence are the rest.
    return maxChars * 3 + 8;
}

Reader::Reader(const QByteArray &data, qsizetype maxChars)
{
    if (looksLikeRtf(data))
        m_parser = std::make_unique<Parser>(data, maxChars);
    else
        m_plain = std::make_unique<PlainParser>(data, maxChars);
}

Reader::~Reader() = default;

bool Reader::read(qsizetype budget)
{
    return m_parser ? m_parser->step(budget) : m_plain->step(budget);
}

Document Reader::take()
{
    return m_parser ? m_parser->take() : m_plain->take();
}

Document parse(const QByteArray &data, qsizetype maxChars)
{
    Reader reader(data, maxChars);
    while (!reader.read(-1)) {
    }
    return reader.take();
}

namespace {

// Relative luminance and contrast ratio as the web's accessibility
// guidelines define them.
double luminance(const QColor &c)
{
    const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Below this a coloured text cannot be read (the least that large text needs).
constexpr double kLeastContrast = 3.0;
// How far back from the paragraph limit a blank is looked for.
constexpr qsizetype kBreakSearch = 256;
// Font sizes shown, in points: far beyond a heading, and small enough that
// a line stays a line.
constexpr int kLeastPoints = 4;
constexpr int kMostPoints = 72;

} // namespace

bool keepsColour(const Color &c, const ShownColours &shown)
{
    if (c.automatic || (c.red == 0 && c.green == 0 && c.blue == 0))
        return false;
    return !shown.background.isValid() || contrast(QColor(c.red, c.green, c.blue), shown.background) >= kLeastContrast;
}

Writer::Writer(const Document &parsed, QTextDocument *doc, const ShownColours &shown)
    : m_parsed(parsed), m_shown(shown), m_cursor(doc)
{
    doc->clear();
    m_cursor = QTextCursor(doc);
}

QTextCharFormat Writer::formatOf(const CharFormat &f)
{
    const quint64 key = quint64(f.bold) | quint64(f.italic) << 1 | quint64(f.underline) << 2
                        | quint64(f.halfPoints) << 3 | quint64(f.color) << 16;
    const auto it = m_formats.constFind(key);
    if (it != m_formats.cend())
        return m_last = *it;
    if (m_formats.size() >= kMaxFormats)
        return m_last;  // one format too many: the text keeps the last
    QTextCharFormat format;
    format.setFontWeight(f.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(f.italic);
    format.setFontUnderline(f.underline);
    format.setFontPointSize(std::clamp(f.halfPoints, 2 * kLeastPoints, 2 * kMostPoints) / 2.0);
    if (f.color > 0 && f.color < m_parsed.colors.size() && keepsColour(m_parsed.colors[f.color], m_shown)) {
        const Color &c = m_parsed.colors[f.color];
        format.setForeground(QColor(c.red, c.green, c.blue));
    }
    m_formats.insert(key, format);
    return m_last = format;
}

qsizetype Writer::writePiece()
{
    const QList<Span> &spans = m_parsed.spans;
    const Span &span = spans[m_span];
    const qsizetype end = m_span + 1 < spans.size() ? spans[m_span + 1].start : m_parsed.text.size();
    const QStringView rest = QStringView(m_parsed.text).mid(span.start + m_offset, end - span.start - m_offset);
    if (rest.isEmpty()) {
        ++m_span;
        m_offset = 0;
        return 0;
    }
    const QTextCharFormat format = formatOf(span.format);

    // Up to the end of the span, the paragraph, or the paragraph limit.
    const qsizetype room = kMaxParagraph - m_paragraph;
    const qsizetype paragraphEnd = rest.left(room).indexOf(QChar(QChar::ParagraphSeparator));
    qsizetype n = rest.size();
    if (paragraphEnd >= 0) {
        n = paragraphEnd + 1;
        m_cursor.insertText(rest.left(n).toString(), format);
        m_paragraph = 0;
    } else if (n < room) {
        m_cursor.insertText(rest.toString(), format);
        m_paragraph += n;
    } else {
        // Cut after a blank near the limit when there is one.
        n = room;
        for (qsizetype i = room; i > 0 && i > room - kBreakSearch; --i) {
            if (rest[i - 1] == u' ') {
                n = i;
                break;
            }
        }
        m_cursor.insertText(rest.left(n).toString() + QChar(QChar::ParagraphSeparator), format);
        m_paragraph = 0;
    }
    if (n >= rest.size()) {
        ++m_span;
        m_offset = 0;
    } else {
        m_offset += n;
    }
    return n;
}

bool Writer::write(qsizetype maxChars, int maxSpans)
{
    // A step ends between paragraphs, so that none is laid out twice.
    const qsizetype firstSpan = m_span;
    qsizetype chars = 0;
    m_cursor.beginEditBlock();
    while (m_span < m_parsed.spans.size()) {
        if ((chars >= maxChars || m_span - firstSpan >= maxSpans) && m_paragraph == 0)
            break;
        chars += writePiece();
    }
    m_cursor.endEditBlock();
    return m_span >= m_parsed.spans.size();
}

void fill(const Document &parsed, QTextDocument *doc, const ShownColours &shown)
{
    Writer writer(parsed, doc, shown);
    while (!writer.write(1 << 20, 1 << 20)) {
    }
}

void load(const QByteArray &data, QTextDocument *doc)
{
    fill(parse(data), doc);
}

} // namespace rtf
