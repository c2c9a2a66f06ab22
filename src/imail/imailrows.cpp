#include "imail/imailrows.h"

#include "sitetime.h"

#include <algorithm>

namespace modWebFunctions {

IMailRows toIMailRows(const IMailList &list)
{
    IMailRows rows;
    const qsizetype n = list.mid.size();
    rows.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        const QDateTime &at = list.sentAt.value(i);
        rows.append(IMailRow{list.mid.value(i), list.subject.value(i),
                             siteTime::toSecsSinceEpoch(at.date(), at.time()), list.isNew.value(i),
                             list.senderUid.value(i), list.senderName.value(i)});
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const IMailRow &a, const IMailRow &b) { return a.sentAt > b.sentAt; });
    return rows;
}

} // namespace modWebFunctions
