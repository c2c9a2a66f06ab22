#include "text/formfields.h"

#include "text/inputspan.h"

namespace modGlobal {

QString formFieldValue(const QString &name, const QString &page)
{
    const QStringView kept = matchedInput(page, name);
    if (kept.isEmpty())
        return QString();
    // Only the lower-case attribute counts, wherever it stands in the span.
    static constexpr QStringView kValue = u"value=\"";
    const qsizetype at = kept.indexOf(kValue);
    if (at < 0)
        return QString();
    const qsizetype from = at + kValue.size();
    const qsizetype to = kept.indexOf(u'"', from);
    if (to < 0)
        return QString();
    const QStringView value = kept.mid(from, to - from);
    for (QChar c : value) {
        if (c != u' ')
            return value.toString();
    }
    return QString();
}

bool isFieldChecked(const QString &name, const QString &page)
{
    const QStringView kept = matchedInput(page, name);
    return !kept.isEmpty() && kept.contains(u"checked");
}

} // namespace modGlobal
