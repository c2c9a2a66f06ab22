#include "plugin/pluginproperties.h"

void PluginProperties::setValues(const LiveState &values)
{
    const QVariantMap diff = m_values.changesTo(values);
    m_values = values;
    if (!diff.isEmpty())
        emit changed(diff);
}

void PluginProperties::setIMailCounts(qint32 count, qint32 newCount)
{
    LiveState next = m_values;
    next.imailCount = count;
    next.newIMailCount = newCount;
    setValues(next);
}
