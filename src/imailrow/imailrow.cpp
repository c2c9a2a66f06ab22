#include "imailrow.h"

#include <QDBusArgument>
#include <QDBusMetaType>

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

} // namespace imailRow
