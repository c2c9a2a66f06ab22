#include "imailrow.h"

#include <QDBusArgument>
#include <QDBusMetaType>

#include <algorithm>

QDBusArgument &operator<<(QDBusArgument &arg, const IMailRow &row)
{
    arg.beginStructure();
    arg << row.mid << imailRow::busSafe(row.subject) << row.sentAt << row.isNew << row.senderUid
        << imailRow::busSafe(row.senderName);
    arg.endStructure();
    return arg;
}

const QDBusArgument &operator>>(const QDBusArgument &arg, IMailRow &row)
{
    arg.beginStructure();
    arg >> row.mid >> row.subject >> row.sentAt >> row.isNew >> row.senderUid >> row.senderName;
    arg.endStructure();
    return arg;
}

namespace imailRow {

void registerTypes()
{
    qRegisterMetaType<IMailRow>();
    qRegisterMetaType<IMailRows>("IMailRows");
    qDBusRegisterMetaType<IMailRow>();
    qDBusRegisterMetaType<IMailRows>();
}

QString busSafe(const QString &text)
{
    const QChar replacement(0xFFFD);
    QString out;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            if (!out.isNull())
                out.append(c).append(text.at(i + 1));
            ++i;
            continue;
        }
        const bool bad = c.unicode() == 0 || c.isSurrogate();
        if (bad && out.isNull())
            out = text.left(i);
        if (!out.isNull())
            out.append(bad ? replacement : c);
    }
    return out.isNull() ? text : out;
}

int countNew(const IMailRows &rows)
{
    return static_cast<int>(std::count_if(rows.cbegin(), rows.cend(), [](const IMailRow &r) { return r.isNew; }));
}

void sortNewestFirst(IMailRows &rows)
{
    std::stable_sort(rows.begin(), rows.end(), [](const IMailRow &a, const IMailRow &b) { return a.sentAt > b.sentAt; });
}

IMailRows newestUnread(const IMailRows &rows, int max)
{
    IMailRows unread;
    for (const IMailRow &r : rows) {
        if (r.isNew)
            unread.append(r);
    }
    std::stable_sort(unread.begin(), unread.end(), [](const IMailRow &a, const IMailRow &b) {
        if (a.sentAt != b.sentAt)
            return a.sentAt > b.sentAt;
        return a.mid > b.mid;
    });
    if (unread.size() > max)
        unread.resize(max);
    return unread;
}

} // namespace imailRow
