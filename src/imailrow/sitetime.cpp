#include "sitetime.h"

#include <algorithm>

namespace siteTime {

QTimeZone zone()
{
    static const QTimeZone tz(QByteArrayLiteral("Europe/Stockholm"));
    return tz;
}

qint64 toSecsSinceEpoch(const QDate &date, const QTime &time)
{
    const QTimeZone tz = zone();
    const qint64 naive = QDateTime(date, time, Qt::UTC).toSecsSinceEpoch();
    if (!tz.isValid())
        return naive - 3600; // no zone data: standard time
    // Stockholm's transitions are months apart, so a day either side gives
    // the two offsets that could apply.
    constexpr qint64 kDay = 86400;
    const int before = tz.offsetFromUtc(QDateTime::fromSecsSinceEpoch(naive - kDay, Qt::UTC));
    const int after = tz.offsetFromUtc(QDateTime::fromSecsSinceEpoch(naive + kDay, Qt::UTC));
    auto fits = [&](int offset) {
        const qint64 t = naive - offset;
        return tz.offsetFromUtc(QDateTime::fromSecsSinceEpoch(t, Qt::UTC)) == offset;
    };
    const bool beforeFits = fits(before);
    const bool afterFits = fits(after);
    if (beforeFits && afterFits)
        return std::min(naive - before, naive - after);
    if (afterFits)
        return naive - after;
    return naive - before;
}

QDateTime fromSecsSinceEpoch(qint64 secs)
{
    const QTimeZone tz = zone();
    if (!tz.isValid())
        return QDateTime::fromSecsSinceEpoch(secs, Qt::OffsetFromUTC, 3600);
    return QDateTime::fromSecsSinceEpoch(secs, tz);
}

} // namespace siteTime
