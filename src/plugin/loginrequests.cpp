#include "plugin/loginrequests.h"

#include <exception>

#include "net/logintrace.h"
#include "session/session.h"
#include "session/usablepassword.h"

LoginRequests::LoginRequests(modGlobal::Session *session, Runner runner, Canceller cancel, QObject *parent)
    : QObject(parent), m_session(session), m_runner(std::move(runner)), m_cancel(std::move(cancel))
{
    m_start.setSingleShot(true);
    m_start.setInterval(0);
    connect(&m_start, &QTimer::timeout, this, &LoginRequests::startWhenFree);
    // The login's own stack is still unwinding; start from the event loop.
    const auto wake = [this] {
        if (m_pending)
            m_start.start();
    };
    connect(session, &modGlobal::Session::loginFinished, this, wake);
    connect(session, &modGlobal::Session::lentClientReturned, this, wake);
}

LoginRequests::~LoginRequests()
{
    if (m_pending) {
        const Done done = std::move(m_pending->done);
        m_pending.reset();
        done(Outcome{});
    }
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
    if (m_session->loginInProgress())
        m_cancel();
    // Never start inside the caller's stack: it may be the wait of the very
    // login that was just cancelled.
    m_start.start();
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
    // A login sequence holds the session until its very end and then
    // reports loginFinished; a request of ours is answered below.
    if (m_running || m_session->busy())
        return;
    Request request = std::move(*m_pending);
    m_pending.reset();

    loginTrace::mark("runner");
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
        m_start.start();
}
