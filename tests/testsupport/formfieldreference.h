#pragma once
// The form-field patterns run by QRegularExpression: the yardstick that the
// own matcher is checked against (tests, fuzzer, benchmark). Header only, so
// the fuzz targets can use it without the test library.
#include <QRegularExpression>
#include <QString>

#include "text/textutil.h"

namespace formfieldreference {

// "." is written [^\n] so that only a line feed stops it, whatever newline
// convention the engine was built with.
inline QString pattern(const QString &name, bool nameFirst)
{
    const QString any = QStringLiteral("[^\\n]*");
    const QString n = QRegularExpression::escape(name);
    if (nameFirst)
        return QStringLiteral("<input") + any + QStringLiteral("name=\"") + n + QStringLiteral("\"") + any
               + QStringLiteral("value=\"(") + any + QStringLiteral(")\"") + any + QStringLiteral(">");
    return QStringLiteral("<input") + any + QStringLiteral("value=\"(") + any + QStringLiteral(")\"") + any
           + QStringLiteral("name=\"") + n + QStringLiteral("\"") + any + QStringLiteral(">");
}

struct Result {
    bool matched = false;
    QString text;  // the whole match
};

inline Result match(const QString &page, const QString &name, bool nameFirst)
{
    const QRegularExpression re(pattern(name, nameFirst), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(page);
    Result r;
    r.matched = m.hasMatch();
    r.text = m.captured(0);
    return r;
}

// Name-before-value first, then value-before-name.
inline Result matchEither(const QString &page, const QString &name)
{
    Result r = match(page, name, true);
    if (!r.matched)
        r = match(page, name, false);
    return r;
}

inline QString value(const Result &r)
{
    if (!r.matched)
        return QString();
    const QString v = modGlobal::cutBetween(r.text, QStringLiteral("value=\""), QStringLiteral("\""));
    return v.count(QLatin1Char(' ')) == v.size() ? QString() : v;
}

inline bool checked(const Result &r)
{
    return r.matched && r.text.contains(QStringLiteral("checked"));
}

} // namespace formfieldreference
