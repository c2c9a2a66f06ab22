#pragma once
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include "imailrow.h"
#include "livestate.h"

class MainServerProxy;
class QDBusServiceWatcher;

// What Kortvik tells plug-ins about the login and the inbox, followed from
// its signals (PropertiesChanged, IMailsChanged) without polling.
class MainServerClient : public QObject
{
    Q_OBJECT
public:
    struct State : LiveState {
        bool running = false;   // somebody owns Kortvik's bus name
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
    void onIMailsChanged(const IMailRows &rows);

private:
    QDBusMessage call(const QString &interface, const QString &method) const;
    void fetchRows();
    void setRows(const IMailRows &rows);
    void setRunning(bool running);

    QDBusConnection m_bus;
    // Generated from the server's interface file; its calls are made with
    // auto-start off (see call()), so a closed Kortvik is never started.
    MainServerProxy *m_server;
    QDBusServiceWatcher *m_watcher;
    State m_state;
    IMailRows m_rows;
    bool m_checking = false;
    // Bumped by every list that arrives by signal, so that an older
    // GetIMails answer arriving later is not taken.
    quint64 m_rowsGeneration = 0;
};
