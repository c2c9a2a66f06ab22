#include "text/textutil.h"

#include "text/cp1252.h"

namespace modGlobal {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool isAsciiAlnum(int n)
{
    return (n >= '0' && n <= '9') || (n >= 'A' && n <= 'Z') || (n >= 'a' && n <= 'z');
}

// "0".."255" written the way an integer prints itself: no sign, no
// leading zero, nothing but digits.
int canonicalByte(QStringView digits)
{
    if (digits.isEmpty() || digits.size() > 3)
        return -1;
    if (digits.size() > 1 && digits.front() == u'0')
        return -1;
    int value = 0;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value <= 255 ? value : -1;
}

} // namespace

QString urlEncode(const QString &value)
{
    // Only blanks are trimmed, not tabs or line breaks: those are content.
    qsizetype first = 0;
    qsizetype last = value.size();
    while (first < last && value.at(first) == u' ')
        ++first;
    while (last > first && value.at(last - 1) == u' ')
        --last;

    QString out;
    out.reserve((last - first) * 3);
    for (qsizetype i = first; i < last; ++i) {
        const QChar c = value.at(i);
        int n;
        if (c.isHighSurrogate() && i + 1 < last && value.at(i + 1).isLowSurrogate()) {
            // One character outside the code page, not two.
            n = '?';
            ++i;
        } else {
            n = cp1252::code(c);
            if (n < 0)
                n = '?';
        }
        if (isAsciiAlnum(n)) {
            out += QChar(n);
        } else if (n == ' ') {
            out += u'+';
        } else {
            out += u'%';
            out += QLatin1Char(kHex[n >> 4]);
            out += QLatin1Char(kHex[n & 0xF]);
        }
    }
    return out;
}

QString htmlDecode(const QString &text)
{
    const QStringView t(text);
    const qsizetype n = t.size();
    QString out;
    out.reserve(n);
    // Position of the next ';' at or after the cursor, kept moving forward
    // so that a page full of "&#" without ';' stays linear.
    qsizetype nextSemicolon = -1;
    qsizetype i = 0;
    while (i < n) {
        const QChar c = t[i];
        if (c != u'&') {
            out += c;
            ++i;
            continue;
        }
        const QStringView rest = t.mid(i);
        if (rest.startsWith(u"&lt;")) {
            out += u'<';
            i += 4;
        } else if (rest.startsWith(u"&gt;")) {
            out += u'>';
            i += 4;
        } else if (rest.startsWith(u"&quot;")) {
            out += u'"';
            i += 6;
        } else if (rest.startsWith(u"&amp;")) {
            out += u'&';
            i += 5;
        } else if (rest.startsWith(u"&#")) {
            if (nextSemicolon != n && nextSemicolon < i + 2) {
                const qsizetype at = t.indexOf(u';', i + 2);
                nextSemicolon = at >= 0 ? at : n;
            }
            int code = -1;
            if (nextSemicolon < n)
                code = canonicalByte(t.mid(i + 2, nextSemicolon - i - 2));
            if (code >= 0) {
                out += cp1252::character(static_cast<unsigned char>(code));
                i = nextSemicolon + 1;
            } else {
                // Not a byte reference (other text, out of range, or no ';'
                // later): drop the ampersand, copy the rest as it stands.
                ++i;
            }
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

bool containsText(const QString &text, const QString &part)
{
    return text.contains(part);
}

QString cutBetween(const QString &text, const QString &startMarker, const QString &endMarker)
{
    qsizetype from = 0;
    if (!startMarker.isEmpty()) {
        const qsizetype at = text.indexOf(startMarker);
        if (at < 0)
            return QString();
        from = at + startMarker.size();
    }
    if (endMarker.isEmpty())
        return text.mid(from);
    const qsizetype to = text.indexOf(endMarker, from);
    if (to < 0)
        return QString();
    return text.mid(from, to - from);
}

QString plainToolTip(const QString &text, qsizetype maxChars)
{
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (shown.size() > maxChars)
        shown = shown.left(maxChars) + QChar(0x2026);
    shown = shown.toHtmlEscaped();
    shown.replace(u'\n', QStringLiteral("<br>"));
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + shown + QStringLiteral("</p>");
}

} // namespace modGlobal
