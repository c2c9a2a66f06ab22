#pragma once
#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include "imailrow.h"

class QDBusMessage;
class QDBusServiceWatcher;

// What Kortvik tells plug-ins about the login and the inbox, followed from
// its signals (PropertiesChanged, IMailsChanged) without polling.
class MainServerClient : public QObject
{
    Q_OBJECT
public:
    struct State {
        bool running = false;   // somebody owns org.kortvik.Kortvik
        bool loggedIn = false;
        bool loggingIn = false;
        bool guest = false;
        qint32 userId = 0;
        QString alias;
        qint32 imailCount = 0;
        qint32 newIMailCount = 0;
    };

    explicit MainServerClient(const QDBusConnection &bus, QObject *parent = nullptr);

    const State &state() const { return m_state; }
    const IMailRows &rows() const { return m_rows; }
    bool checking() const { return m_checking; }

public slots:
    // Reads every property and the list again.
    void refresh();
    // Asks Kortvik to check the inbox now; checkFinished tells the outcome.
    void checkIMails();

signals:
    void stateChanged();
    void rowsChanged();
    void checkStarted();
    // error: "" on success, else the bus's message.
    void checkFinished(const QString &error);

private slots:
    void onPropertiesChanged(const QString &interface, const QVariantMap &changed, const QStringList &invalidated);
    void onIMailsChanged(const QDBusMessage &message);

private:
    void applyProperties(const QVariantMap &values);
    void fetchRows();
    void setRows(const IMailRows &rows);
    void setRunning(bool running);

    QDBusConnection m_bus;
    QDBusServiceWatcher *m_watcher;
    State m_state;
    IMailRows m_rows;
    bool m_checking = false;
    // Bumped by every list that arrives by signal, so that an older
    // GetIMails answer arriving later is not taken.
    quint64 m_rowsGeneration = 0;
};
