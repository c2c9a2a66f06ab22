#pragma once
#include <QObject>
#include <QString>
#include <QVariantMap>

// The read-only properties that plug-ins see on /clsMainServer. Every
// update that changes something emits one `changed` with exactly the
// values that changed, under their bus names.
class PluginProperties : public QObject
{
    Q_OBJECT
public:
    struct Values {
        bool loggedIn = false;
        bool loggingIn = false;
        bool guest = false;
        qint32 userId = 0;
        QString alias;
        qint32 imailCount = 0;
        qint32 newIMailCount = 0;

        friend bool operator==(const Values &, const Values &) = default;
    };

    using QObject::QObject;

    const Values &values() const { return m_values; }
    // Every property under its bus name.
    QVariantMap all() const;

public slots:
    void setIMailCounts(qint32 count, qint32 newCount);
    // Everything at once: one `changed` for all that differs.
    void setValues(const PluginProperties::Values &values);

signals:
    void changed(const QVariantMap &changed);

private:
    void apply(const Values &next);

    Values m_values;
};
