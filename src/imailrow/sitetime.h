#pragma once
#include <QDate>
#include <QDateTime>
#include <QTime>
#include <QTimeZone>

// The site writes times as wall-clock times in Stockholm.
namespace siteTime {

QTimeZone zone();

// Seconds since 1970 of a wall-clock time read in the site's zone. A time
// that falls into the spring gap is taken with the offset in force before
// it (02:30 is 03:30 summer time); a time that happens twice in autumn is
// its first occurrence (summer time).
qint64 toSecsSinceEpoch(const QDate &date, const QTime &time);

// The wall-clock time in the site's zone of an instant.
QDateTime fromSecsSinceEpoch(qint64 secs);

} // namespace siteTime
