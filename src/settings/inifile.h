#pragma once
#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// An INI document that behaves, as seen from the file and the caller, like
// the Windows private-profile functions: names match without regard to case
// (cp1252 letters too), names and values are trimmed of blanks and tabs, a
// value in matching double quotes loses them, at most 254 characters of a
// value are read back, and the first of duplicate sections or keys is the one
// read and changed. Every line it does not change is written back byte for
// byte (comments, unknown lines, other sections, line ends, a UTF-8 BOM).
// The file's encoding is Windows-1252.
class IniFile
{
public:
    static constexpr int kMaxValueLength = 254;

    static IniFile fromBytes(const QByteArray &bytes);
    QByteArray toBytes() const;

    // nullopt when the file cannot be opened or read.
    static std::optional<IniFile> load(const QString &path);
    // Replaces the file atomically; false (old file intact) on failure.
    bool save(const QString &path) const;

    // nullopt when the section or the key is missing; an empty value is "".
    std::optional<QString> value(const QString &section, const QString &key) const;
    // Changes the key in place or adds it at the end of its section, adding
    // the section at the end of the document when needed. A value can only
    // be one line: it is cut at its first line break.
    void setValue(const QString &section, const QString &key, const QString &value);

private:
    struct Line {
        QByteArray text; // without its line end
        QByteArray end;  // "\r\n", "\n", "\r" or "" for a last line without one
    };
    struct SectionRange {
        qsizetype header = -1;   // index of the header line
        qsizetype end = 0;       // one past the section's last line
    };

    std::optional<SectionRange> findSection(const QString &name) const;
    qsizetype findKey(const SectionRange &range, const QString &key) const;

    QByteArray m_bom;
    QList<Line> m_lines;
};
