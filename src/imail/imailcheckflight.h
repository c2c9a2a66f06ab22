#pragma once
#include <QList>
#include <QObject>

#include <functional>

// At most one iMail check at a time: whoever asks while a check runs (the
// timer, a plug-in, the login) waits for that check instead of starting
// another, so the site sees one inbox request per check.
class IMailCheckFlight : public QObject
{
    Q_OBJECT
public:
    // Runs one check and calls `finished` when it has ended; it may call it
    // before returning (a check that turns the event loop while it waits).
    using Check = std::function<void(std::function<void()> finished)>;

    explicit IMailCheckFlight(Check check, QObject *parent = nullptr);

    // Starts a check, or joins the running one; done (may be empty) is
    // called once that check has ended.
    void request(std::function<void()> done = {});
    bool running() const { return m_running; }

signals:
    void checkFinished();

private:
    void finish();

    Check m_check;
    bool m_running = false;
    QList<std::function<void()>> m_waiting;
};
