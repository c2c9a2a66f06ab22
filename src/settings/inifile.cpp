#include "settings/inifile.h"

#include "settings/atomicfile.h"
#include "text/cp1252.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF", 3);
const QByteArray kNewLineEnd("\r\n");

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray trimBlanks(const QByteArray &s)
{
    qsizetype from = 0;
    qsizetype to = s.size();
    while (from < to && isBlank(s.at(from)))
        ++from;
    while (to > from && isBlank(s.at(to - 1)))
        --to;
    return s.mid(from, to - from);
}

// What a line is, as the reader sees it.
struct LineInfo {
    enum Kind { Other, Comment, Section, Key } kind = Other;
    QByteArray name;       // trimmed section or key name
    qsizetype equals = -1; // position of '=' for a key line
};

// A line without "=" that is not a section header or a comment names no key:
// reading its text as a key gives the caller's default, as the platform's
// reader does for an entry without a value. Such lines are kept verbatim.
LineInfo classify(const QByteArray &text)
{
    LineInfo info;
    qsizetype start = 0;
    while (start < text.size() && isBlank(text.at(start)))
        ++start;
    if (start == text.size())
        return info;
    const char first = text.at(start);
    if (first == ';') {
        info.kind = LineInfo::Comment;
        return info;
    }
    if (first == '[') {
        const qsizetype close = text.indexOf(']', start + 1);
        if (close >= 0) {
            info.kind = LineInfo::Section;
            info.name = trimBlanks(text.mid(start + 1, close - start - 1));
            return info;
        }
        // "[" without "]" is no header; it may still be a key line.
    }
    const qsizetype eq = text.indexOf('=', start);
    if (eq < 0)
        return info;
    info.kind = LineInfo::Key;
    info.name = trimBlanks(text.mid(start, eq - start));
    info.equals = eq;
    return info;
}

// The caller's name as the file can hold it: one line, cp1252, trimmed.
QString normalizedName(const QString &name)
{
    return cp1252::decode(trimBlanks(cp1252::encode(name)));
}

bool sameName(const QByteArray &fileName, const QString &wanted)
{
    return QString::compare(cp1252::decode(fileName), wanted, Qt::CaseInsensitive) == 0;
}

QByteArray cutAtLineBreak(const QByteArray &s)
{
    qsizetype cut = s.size();
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s.at(i) == '\r' || s.at(i) == '\n') {
            cut = i;
            break;
        }
    }
    return s.left(cut);
}

} // namespace

IniFile IniFile::fromBytes(const QByteArray &bytes)
{
    IniFile ini;
    qsizetype pos = 0;
    if (bytes.startsWith(kUtf8Bom)) {
        ini.m_bom = kUtf8Bom;
        pos = kUtf8Bom.size();
    }
    while (pos < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', pos);
        const qsizetype stop = lf < 0 ? bytes.size() : lf;
        Line line;
        line.text = bytes.mid(pos, stop - pos);
        line.end = lf < 0 ? QByteArray() : QByteArray("\n");
        if (line.text.endsWith('\r')) {
            line.text.chop(1);
            line.end.prepend('\r');
        }
        ini.m_lines.append(line);
        pos = lf < 0 ? bytes.size() : lf + 1;
    }
    return ini;
}

QByteArray IniFile::toBytes() const
{
    QByteArray out = m_bom;
    for (const Line &line : m_lines) {
        out += line.text;
        out += line.end;
    }
    return out;
}

std::optional<IniFile> IniFile::load(const QString &path)
{
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return fromBytes(bytes);
}

bool IniFile::save(const QString &path) const
{
    return atomicfile::replaceFile(path, toBytes());
}

std::optional<IniFile::SectionRange> IniFile::findSection(const QString &name) const
{
    const QString wanted = normalizedName(name);
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const LineInfo info = classify(m_lines.at(i).text);
        if (info.kind != LineInfo::Section || !sameName(info.name, wanted))
            continue;
        SectionRange range;
        range.header = i;
        range.end = i + 1;
        while (range.end < m_lines.size()
               && classify(m_lines.at(range.end).text).kind != LineInfo::Section)
            ++range.end;
        return range;
    }
    return std::nullopt;
}

qsizetype IniFile::findKey(const SectionRange &range, const QString &key) const
{
    const QString wanted = normalizedName(key);
    for (qsizetype i = range.header + 1; i < range.end; ++i) {
        const LineInfo info = classify(m_lines.at(i).text);
        if (info.kind == LineInfo::Key && sameName(info.name, wanted))
            return i;
    }
    return -1;
}

std::optional<QString> IniFile::value(const QString &section, const QString &key) const
{
    const auto range = findSection(section);
    if (!range)
        return std::nullopt;
    const qsizetype index = findKey(*range, key);
    if (index < 0)
        return std::nullopt;
    const QByteArray &text = m_lines.at(index).text;
    QByteArray raw = trimBlanks(text.mid(classify(text).equals + 1));
    if (raw.size() >= 2 && raw.startsWith('"') && raw.endsWith('"'))
        raw = raw.mid(1, raw.size() - 2);
    return cp1252::decode(raw.left(kMaxValueLength));
}

void IniFile::setValue(const QString &section, const QString &key, const QString &value)
{
    // Names are cut like values: a line break in a name would start a new line.
    const QByteArray sectionBytes = trimBlanks(cutAtLineBreak(cp1252::encode(section)));
    const QByteArray keyBytes = trimBlanks(cutAtLineBreak(cp1252::encode(key)));
    const QByteArray valueBytes = cutAtLineBreak(cp1252::encode(value));

    const auto range = findSection(cp1252::decode(sectionBytes));
    if (range) {
        const qsizetype index = findKey(*range, cp1252::decode(keyBytes));
        if (index >= 0) {
            // Keep the key as the file spells it, with everything up to "=".
            Line &line = m_lines[index];
            line.text = line.text.left(classify(line.text).equals + 1) + valueBytes;
            return;
        }
        // After the section's last non-blank line, so that blank lines that
        // separate it from the next section stay where they are.
        qsizetype after = range->end - 1;
        while (after > range->header && trimBlanks(m_lines.at(after).text).isEmpty())
            --after;
        if (m_lines.at(after).end.isEmpty())
            m_lines[after].end = kNewLineEnd;
        m_lines.insert(after + 1, Line{keyBytes + '=' + valueBytes, kNewLineEnd});
        return;
    }
    if (!m_lines.isEmpty() && m_lines.last().end.isEmpty())
        m_lines.last().end = kNewLineEnd;
    m_lines.append(Line{'[' + sectionBytes + ']', kNewLineEnd});
    m_lines.append(Line{keyBytes + '=' + valueBytes, kNewLineEnd});
}
