#pragma once
#include <QDBusConnection>
#include <QObject>

// Hands the "iMails" menu command to the program that owns the bus name
// kortvikBus::kIMailHandlerService, without ever waiting on it.
namespace imailHandler {
inline constexpr int kTimeoutMs = 2000;
} // namespace imailHandler

class IMailHandlerCall : public QObject
{
    Q_OBJECT
public:
    explicit IMailHandlerCall(const QDBusConnection &bus, QObject *parent = nullptr);

    void setTimeout(int ms) { m_timeoutMs = ms; }
    bool isRunning() const { return m_running; }

public slots:
    // Calls Open() on the handler; a click while a call runs is ignored.
    void open();

signals:
    // The handler answered Open().
    void opened();
    // Nobody owns the name, the handler failed, or it stayed silent for the
    // timeout: the caller shows its own box.
    void noHandler();

private:
    void finish(bool handled);

    QDBusConnection m_bus;
    int m_timeoutMs = imailHandler::kTimeoutMs;
    bool m_running = false;
};
