#pragma once
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <optional>

// Plug-ins' login and logout requests, carried out one at a time.
//
// A login runs its requests to the site in nested event loops, so another
// request (or a user command) can arrive while it waits. Rather than start
// a second login inside the first one's wait, a new request cancels a login
// that is talking to the site (as doLogout does) and starts once that login
// has ended. So the latest request wins, every caller gets exactly one
// answer, and the answers come in order. A login waiting at the password
// dialog is the user's to finish; a new request then waits for it. Waiting
// requests start when the session reports the end of a login (or gives
// back an exchange lent for a profile fetch).
namespace modGlobal {
class Session;
}

class LoginRequests : public QObject
{
    Q_OBJECT
public:
    struct Outcome {
        bool loggedIn = false;
        bool failed = false;  // an error escaped the login
        QString error;
    };
    using Done = std::function<void(const Outcome &)>;
    // The login itself; returns whether logged in afterwards, may throw.
    using Runner = std::function<bool(bool showBox, const QString &password)>;
    using Canceller = std::function<void()>;

    // runner and cancel are normally the server object's doLogin and doLogout.
    LoginRequests(modGlobal::Session *session, Runner runner, Canceller cancel, QObject *parent = nullptr);
    ~LoginRequests() override;

    // done is called exactly once: at once when there is nothing to do
    // (ShowBox false and not five characters), otherwise when the login has
    // ended or a newer request or a logout has replaced it.
    void login(bool showBox, const QString &password, Done done);
    // Answers a waiting login false and logs out (cancelling a running login).
    void logout();

    bool running() const { return m_running; }
    bool waiting() const { return m_pending.has_value(); }

private:
    struct Request {
        bool showBox = false;
        QString password;
        Done done;
    };

    void startWhenFree();

    modGlobal::Session *m_session;
    Runner m_runner;
    Canceller m_cancel;
    std::optional<Request> m_pending;
    bool m_running = false;
    // Starts the next request from the event loop, never inside a caller.
    QTimer m_start;
};
