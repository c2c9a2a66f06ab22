#pragma once
#include <QString>
#include <QVariantMap>

// The read-only properties of /clsMainServer as one value: what the server
// publishes and what a client keeps of it.
struct LiveState {
    bool loggedIn = false;
    bool loggingIn = false;
    bool guest = false;
    qint32 userId = 0;
    QString alias;
    qint32 imailCount = 0;
    qint32 newIMailCount = 0;

    friend bool operator==(const LiveState &, const LiveState &) = default;

    // Every property under its bus name.
    QVariantMap toMap() const;
    // Takes the properties that `values` names (plain or wrapped in
    // QDBusVariant, as Properties.GetAll and PropertiesChanged give them).
    void apply(const QVariantMap &values);
    // The properties whose values differ in `next`, with next's values.
    QVariantMap changesTo(const LiveState &next) const;
};
