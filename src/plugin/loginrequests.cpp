#include "plugin/loginrequests.h"

#include <exception>

#include "session/modglobal.h"
#include "session/usablepassword.h"

namespace {

// How often a waiting request looks whether the login before it has ended.
constexpr int kPollMs = 10;

} // namespace

LoginRequests::LoginRequests(Runner runner, Canceller cancel, QObject *parent)
    : QObject(parent), m_runner(std::move(runner)), m_cancel(std::move(cancel))
{
    m_poll.setSingleShot(true);
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &LoginRequests::startWhenFree);
}

LoginRequests::~LoginRequests()
{
    if (m_pending) {
        const Done done = std::move(m_pending->done);
        m_pending.reset();
        done(Outcome{});
    }
}

// A login sequence is on the stack while it holds its exchange object or is
// marked as running; it lets go of both only at its very end.
bool LoginRequests::sessionBusy()
{
    const modGlobal::SessionState &s = modGlobal::session();
    return s.loginInProgress || s.sessionClient != nullptr;
}

void LoginRequests::login(bool showBox, const QString &password, Done done)
{
    if (!showBox && !modGlobal::isUsablePassword(password)) {
        done(Outcome{});
        return;
    }
    if (m_pending) {
        // Replaced before it started.
        const Done older = std::move(m_pending->done);
        m_pending.reset();
        older(Outcome{});
    }
    m_pending = Request{showBox, password, std::move(done)};
    // A login talking to the site gives way at its next step.
    if (modGlobal::session().loginInProgress)
        m_cancel();
    // Never start inside the caller's stack: it may be the wait of the very
    // login that was just cancelled.
    m_poll.start(0);
}

void LoginRequests::logout()
{
    if (m_pending) {
        const Done done = std::move(m_pending->done);
        m_pending.reset();
        done(Outcome{});
    }
    m_cancel();
}

void LoginRequests::startWhenFree()
{
    if (!m_pending)
        return;
    if (m_running || sessionBusy()) {
        m_poll.start(kPollMs);
        return;
    }
    Request request = std::move(*m_pending);
    m_pending.reset();

    Outcome outcome;
    m_running = true;
    try {
        outcome.loggedIn = m_runner(request.showBox, request.password);
    } catch (const std::exception &e) {
        outcome.failed = true;
        outcome.error = QString::fromLocal8Bit(e.what());
    } catch (...) {
        outcome.failed = true;
        outcome.error = QStringLiteral("unknown error during login");
    }
    m_running = false;
    request.done(outcome);
    if (m_pending)
        m_poll.start(0);
}
