#include "livestate.h"

#include <QDBusVariant>

namespace {

QVariant plain(const QVariant &v)
{
    return v.userType() == qMetaTypeId<QDBusVariant>() ? v.value<QDBusVariant>().variant() : v;
}

} // namespace

QVariantMap LiveState::toMap() const
{
    // A null and an empty alias are the same text on the bus.
    return {{QStringLiteral("LoggedIn"), loggedIn},
            {QStringLiteral("LoggingIn"), loggingIn},
            {QStringLiteral("Guest"), guest},
            {QStringLiteral("UserID"), userId},
            {QStringLiteral("Alias"), alias.isNull() ? QStringLiteral("") : alias},
            {QStringLiteral("IMailCount"), imailCount},
            {QStringLiteral("NewIMailCount"), newIMailCount}};
}

void LiveState::apply(const QVariantMap &values)
{
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const QVariant v = plain(it.value());
        const QString &name = it.key();
        if (name == QLatin1String("LoggedIn"))
            loggedIn = v.toBool();
        else if (name == QLatin1String("LoggingIn"))
            loggingIn = v.toBool();
        else if (name == QLatin1String("Guest"))
            guest = v.toBool();
        else if (name == QLatin1String("UserID"))
            userId = v.toInt();
        else if (name == QLatin1String("Alias"))
            alias = v.toString();
        else if (name == QLatin1String("IMailCount"))
            imailCount = v.toInt();
        else if (name == QLatin1String("NewIMailCount"))
            newIMailCount = v.toInt();
    }
}

QVariantMap LiveState::changesTo(const LiveState &next) const
{
    const QVariantMap before = toMap();
    const QVariantMap after = next.toMap();
    QVariantMap diff;
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (before.value(it.key()) != it.value())
            diff.insert(it.key(), it.value());
    }
    return diff;
}
