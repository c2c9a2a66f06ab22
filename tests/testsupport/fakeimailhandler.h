#pragma once
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>

// A program that owns org.kortvik.Kortvik.IMailHandler on a bus, on a
// connection of its own, and answers Open() as the test asks.
class FakeIMailHandler : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kortvik.Kortvik.IMailHandler")
public:
    enum class Mode { Answer, Silent, Error, Crash };

    FakeIMailHandler(const QString &busAddress, Mode mode, QObject *parent = nullptr);
    ~FakeIMailHandler() override;

    // False when the name could not be taken.
    bool start();
    int openCalls() const { return m_calls; }

public slots:
    void Open(const QDBusMessage &message);

private:
    QString m_address;
    QString m_connectionName;
    Mode m_mode;
    int m_calls = 0;
};
