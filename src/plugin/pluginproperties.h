#pragma once
#include <QObject>
#include <QString>
#include <QVariantMap>

#include "livestate.h"

// The read-only properties that plug-ins see on /clsMainServer. Every
// update that changes something emits one `changed` with exactly the
// values that changed, under their bus names.
class PluginProperties : public QObject
{
    Q_OBJECT
public:
    using Values = LiveState;

    using QObject::QObject;

    const Values &values() const { return m_values; }
    // Every property under its bus name.
    QVariantMap all() const { return m_values.toMap(); }

public slots:
    void setIMailCounts(qint32 count, qint32 newCount);
    // Everything at once: one `changed` for all that differs.
    void setValues(const LiveState &values);

signals:
    void changed(const QVariantMap &changed);

private:
    Values m_values;
};
