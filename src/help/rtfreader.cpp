#include "help/rtfreader.h"

#include "text/cp1252.h"

#include <QColor>
#include <QStringDecoder>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <array>
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

class Parser
{
public:
    Parser(const QByteArray &data, qsizetype maxChars)
        : m_p(data.constData()), m_end(data.constData() + data.size()), m_maxChars(maxChars)
    {
        // One character per input byte is the most the text can take.
        m_doc.text.reserve(std::min<qsizetype>(data.size(), 1 << 20));
    }

    Document run()
    {
        while (m_p < m_end && !m_doc.truncated) {
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
        return std::move(m_doc);
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

bool looksLikeRtf(const QByteArray &data)
{
    qsizetype i = 0;
    while (i < data.size() && (data[i] == ' ' || data[i] == '\t' || data[i] == '\r' || data[i] == '\n'))
        ++i;
    return data.mid(i, 5) == "{\\rtf";
}

Document plainDocument(const QByteArray &data, qsizetype maxChars)
{
    Document doc;
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(data);
    if (utf8.hasError())
        text = cp1252::decode(data);
    doc.text.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            continue;
        if (c == u'\r' || c == u'\n')
            doc.text.append(QChar::ParagraphSeparator);
        else if (c.unicode() >= 0x20 || c == u'\t')
            doc.text.append(shown(c));
        if (maxChars >= 0 && doc.text.size() >= maxChars && i + 1 < text.size()) {
            doc.truncated = true;
            break;
        }
    }
    doc.spans.append(Span{});
    return doc;
}

} // namespace

Document parse(const QByteArray &data, qsizetype maxChars)
{
    if (!looksLikeRtf(data))
        return plainDocument(data, maxChars);
    return Parser(data, maxChars).run();
}

void fill(const Document &parsed, QTextDocument *doc)
{
    doc->clear();
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    for (qsizetype i = 0; i < parsed.spans.size(); ++i) {
        const Span &span = parsed.spans[i];
        const qsizetype end = i + 1 < parsed.spans.size() ? parsed.spans[i + 1].start : parsed.text.size();
        if (end <= span.start)
            continue;
        QTextCharFormat format;
        format.setFontWeight(span.format.bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(span.format.italic);
        format.setFontUnderline(span.format.underline);
        format.setFontPointSize(span.format.halfPoints / 2.0);
        const int ci = span.format.color;
        if (ci > 0 && ci < parsed.colors.size() && !parsed.colors[ci].automatic) {
            const Color &c = parsed.colors[ci];
            format.setForeground(QColor(c.red, c.green, c.blue));
        }
        cursor.insertText(parsed.text.mid(span.start, end - span.start), format);
    }
    cursor.endEditBlock();
}

void load(const QByteArray &data, QTextDocument *doc)
{
    fill(parse(data), doc);
}

} // namespace rtf
