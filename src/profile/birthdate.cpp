#include "profile/birthdate.h"

#include <QDate>
#include <QRegularExpression>

namespace modGlobal {

int daysInMonth(int month, int year)
{
    const QDate firstOfNext = month == 12 ? QDate(year + 1, 1, 1) : QDate(year, month + 1, 1);
    return firstOfNext.addDays(-1).day();
}

BirthDate parseBirthDate(const QString &text)
{
    BirthDate d;
    static const QRegularExpression form(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return d;
    const int y = m.captured(1).toInt();
    const int mo = m.captured(2).toInt();
    const int da = m.captured(3).toInt();
    if (!QDate::isValid(y, mo, da))
        return d;
    d.valid = true;
    d.year = y;
    d.month = mo;
    d.day = da;
    return d;
}

int dayIndexAfterRebuild(int previous, int n)
{
    if (previous >= 0 && previous < n)
        return previous;
    return n - 1;
}

int &DateIndexes::at(int which)
{
    return which == 0 ? day : which == 1 ? month : year;
}

bool notePickerPosition(DateIndexes &last, int which, int position, bool loading)
{
    int &slot = last.at(which);
    const bool changed = position != slot && !loading;
    slot = position;
    return changed;
}

BirthDateText joinBirthDate(const QString &year, const QString &month, const QString &day)
{
    const bool none = year.isEmpty() && month.isEmpty() && day.isEmpty();
    if (!none && (year.isEmpty() || month.isEmpty() || day.isEmpty()))
        return {false, QString()};
    return {true, year + u'-' + month + u'-' + day};
}

} // namespace modGlobal
