#include "plugin/pluginproperties.h"

namespace {

QVariantMap asMap(const PluginProperties::Values &v)
{
    return {{QStringLiteral("LoggedIn"), v.loggedIn},
            {QStringLiteral("LoggingIn"), v.loggingIn},
            {QStringLiteral("Guest"), v.guest},
            {QStringLiteral("UserID"), v.userId},
            {QStringLiteral("Alias"), v.alias},
            {QStringLiteral("IMailCount"), v.imailCount},
            {QStringLiteral("NewIMailCount"), v.newIMailCount}};
}

} // namespace

QVariantMap PluginProperties::all() const
{
    return asMap(m_values);
}

void PluginProperties::setValues(const Values &values)
{
    apply(values);
}

void PluginProperties::setIMailCounts(qint32 count, qint32 newCount)
{
    Values next = m_values;
    next.imailCount = count;
    next.newIMailCount = newCount;
    apply(next);
}

void PluginProperties::apply(const Values &given)
{
    Values next = given;
    // A null and an empty alias are the same text on the bus.
    if (next.alias.isNull())
        next.alias = QStringLiteral("");
    const QVariantMap before = asMap(m_values);
    const QVariantMap after = asMap(next);
    m_values = next;
    QVariantMap diff;
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (before.value(it.key()) != it.value())
            diff.insert(it.key(), it.value());
    }
    if (!diff.isEmpty())
        emit changed(diff);
}
