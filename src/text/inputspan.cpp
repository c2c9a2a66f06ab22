#include "text/inputspan.h"

#include <QChar>
#include <QString>

#include <vector>

// How the span is found without backtracking. A match never crosses a line
// feed except inside a literal, so each line is tried on its own:
//  - Start: if any "<input" of a line starts a match, the first one on that
//    line does too (its leading ".*" can swallow the others), so the leftmost
//    match starts at the first "<input" of the first line that admits one.
//  - Whether a line admits one: place every literal piece at its earliest
//    possible position after the previous one; earlier never hurts.
//  - End: the last ".*" is greedy and only ">" follows it, so every match
//    ends just after the last ">" on its final line. Which value="..." the
//    capture took does not change the span.
// Ignoring case means Unicode simple case folding per code point, as the
// regular-expression engine does for literals.

namespace modGlobal {
namespace {

struct Piece {
    // Folded code points, split at line feeds: one segment when the piece
    // stays on a line.
    std::vector<std::vector<char32_t>> segments;
    std::vector<int> failure;  // KMP table of segments[0] when single
    // When the piece starts with an ASCII character that only ASCII folds
    // to, the two units that can open a hit; lets a scan skip ahead.
    char16_t openLower = 0;
    char16_t openUpper = 0;
};

inline char32_t fold(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    return QChar::toCaseFolded(c);
}

// Whether some character outside ASCII folds to the ASCII character c
// (KELVIN SIGN to k, LONG S to s).
bool foldsFromOutsideAscii(char32_t c)
{
    return c == U'k' || c == U's';
}

// Code point at i (an unpaired surrogate stands for itself); len gets its
// length in UTF-16 units.
inline char32_t codePointAt(QStringView t, qsizetype i, int &len)
{
    const char16_t u = t[i].unicode();
    if (QChar::isHighSurrogate(u) && i + 1 < t.size() && QChar::isLowSurrogate(t[i + 1].unicode())) {
        len = 2;
        return QChar::surrogateToUcs4(u, t[i + 1].unicode());
    }
    len = 1;
    return u;
}

// Code point that ends at j, not reaching before from.
inline char32_t codePointBefore(QStringView t, qsizetype j, qsizetype from, int &len)
{
    const char16_t u = t[j - 1].unicode();
    if (QChar::isLowSurrogate(u) && j - 2 >= from && QChar::isHighSurrogate(t[j - 2].unicode())) {
        len = 2;
        return QChar::surrogateToUcs4(t[j - 2].unicode(), u);
    }
    len = 1;
    return u;
}

Piece makePiece(QStringView text)
{
    Piece p;
    p.segments.emplace_back();
    for (qsizetype i = 0; i < text.size();) {
        int len;
        const char32_t c = codePointAt(text, i, len);
        i += len;
        if (c == U'\n')
            p.segments.emplace_back();
        else
            p.segments.back().push_back(fold(c));
    }
    if (p.segments.size() == 1) {
        const std::vector<char32_t> &s = p.segments[0];
        if (!s.empty() && s[0] < 0x80 && !foldsFromOutsideAscii(s[0])) {
            p.openLower = static_cast<char16_t>(s[0]);
            p.openUpper = static_cast<char16_t>((s[0] >= 'a' && s[0] <= 'z') ? s[0] - 32 : s[0]);
        }
        p.failure.assign(s.size(), 0);
        for (size_t i = 1, k = 0; i < s.size(); ++i) {
            while (k > 0 && s[i] != s[k])
                k = p.failure[k - 1];
            if (s[i] == s[k])
                ++k;
            p.failure[i] = static_cast<int>(k);
        }
    }
    return p;
}

// Occurrences of a one-line piece in [from, to); calls hit(start, end) for
// each in order until it returns false.
template<typename Hit>
void scanPiece(QStringView t, const Piece &p, qsizetype from, qsizetype to, Hit hit)
{
    const std::vector<char32_t> &s = p.segments[0];
    const size_t m = s.size();
    if (m == 0) {
        hit(from, from);
        return;
    }
    // Unit positions of the last m code points, to know where a hit began.
    std::vector<qsizetype> starts(m);
    size_t slot = 0;  // where the next position goes; also the oldest one
    size_t k = 0;
    const char16_t *units = reinterpret_cast<const char16_t *>(t.data());
    for (qsizetype i = from; i < to;) {
        if (k == 0 && p.openLower) {
            // Nothing partly matched: jump to the next unit that can open a hit.
            while (i < to && units[i] != p.openLower && units[i] != p.openUpper)
                ++i;
            if (i == to)
                return;
        }
        int len;
        const char32_t c = fold(codePointAt(t, i, len));
        starts[slot] = i;
        slot = slot + 1 == m ? 0 : slot + 1;
        i += len;
        while (k > 0 && s[k] != c)
            k = p.failure[k - 1];
        if (s[k] == c)
            ++k;
        if (k == m) {
            // The oldest of the last m positions is where this hit began.
            if (!hit(starts[slot], i))
                return;
            k = p.failure[k - 1];
        }
    }
}

qsizetype lineEndFrom(QStringView t, qsizetype from)
{
    const qsizetype at = t.indexOf(u'\n', from);
    return at < 0 ? t.size() : at;
}

// Places piece at its earliest position at or after pos on the line that
// ends at lineEnd. On success pos moves past it and lineEnd to the end of
// the line the piece ends on.
bool placePiece(QStringView t, const Piece &p, qsizetype &pos, qsizetype &lineEnd)
{
    if (p.segments.size() == 1) {
        qsizetype end = -1;
        scanPiece(t, p, pos, lineEnd, [&](qsizetype, qsizetype e) {
            end = e;
            return false;
        });
        if (end < 0)
            return false;
        pos = end;
        return true;
    }
    // A piece that holds line feeds: its first segment must close this line,
    // the middle ones must be whole lines, the last one must open a line.
    if (lineEnd >= t.size())
        return false;
    const std::vector<char32_t> &first = p.segments.front();
    qsizetype j = lineEnd;
    for (size_t k = first.size(); k-- > 0;) {
        if (j <= pos)
            return false;
        int len;
        if (fold(codePointBefore(t, j, pos, len)) != first[k])
            return false;
        j -= len;
    }
    qsizetype at = lineEnd + 1;
    for (size_t seg = 1; seg < p.segments.size(); ++seg) {
        const std::vector<char32_t> &s = p.segments[seg];
        for (char32_t want : s) {
            if (at >= t.size() || t[at] == u'\n')
                return false;
            int len;
            if (fold(codePointAt(t, at, len)) != want)
                return false;
            at += len;
        }
        if (seg + 1 < p.segments.size()) {
            if (at >= t.size() || t[at] != u'\n')
                return false;
            ++at;
        }
    }
    pos = at;
    lineEnd = lineEndFrom(t, at);
    return true;
}

QStringView findSpan(QStringView t, const std::vector<Piece> &pieces)
{
    const Piece &head = pieces.front();
    const Piece &tail = pieces.back();
    qsizetype lineStart = 0;
    for (;;) {
        const qsizetype lineEnd = lineEndFrom(t, lineStart);
        qsizetype start = -1;
        qsizetype pos = 0;
        scanPiece(t, head, lineStart, lineEnd, [&](qsizetype s, qsizetype e) {
            start = s;
            pos = e;
            return false;
        });
        if (start >= 0) {
            qsizetype end = lineEnd;
            bool ok = true;
            for (size_t i = 1; ok && i + 1 < pieces.size(); ++i)
                ok = placePiece(t, pieces[i], pos, end);
            if (ok) {
                qsizetype last = -1;
                scanPiece(t, tail, pos, end, [&](qsizetype, qsizetype e) {
                    last = e;
                    return true;
                });
                if (last >= 0)
                    return t.mid(start, last - start);
            }
        }
        if (lineEnd >= t.size())
            return {};
        lineStart = lineEnd + 1;
    }
}

} // namespace

QStringView inputSpan(QStringView page, QStringView name, FieldOrder order)
{
    QString namePiece = QStringLiteral("name=\"");
    namePiece += name;
    namePiece += u'"';
    std::vector<Piece> pieces;
    pieces.push_back(makePiece(u"<input"));
    if (order == FieldOrder::NameBeforeValue) {
        pieces.push_back(makePiece(namePiece));
        pieces.push_back(makePiece(u"value=\""));
        pieces.push_back(makePiece(u"\""));
    } else {
        pieces.push_back(makePiece(u"value=\""));
        pieces.push_back(makePiece(u"\""));
        pieces.push_back(makePiece(namePiece));
    }
    pieces.push_back(makePiece(u">"));
    return findSpan(page, pieces);
}

QStringView matchedInput(QStringView page, QStringView name)
{
    const QStringView first = inputSpan(page, name, FieldOrder::NameBeforeValue);
    if (!first.isEmpty())
        return first;
    return inputSpan(page, name, FieldOrder::ValueBeforeName);
}

} // namespace modGlobal
