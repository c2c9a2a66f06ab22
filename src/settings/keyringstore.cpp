#include "settings/keyringstore.h"

#include "settings/modsettings.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QPointer>
#include <QTimer>

#include <qt6keychain/keychain.h>

namespace keyringStore {

namespace {

const QString kService = QStringLiteral("org.freedesktop.secrets");
// QtKeychain labels the item with its service name.
const QString kItem = QStringLiteral("Kortvik: Sandlund");
const QString kKey = QStringLiteral("lastlogin");

bool g_lastUnreachable = false;

Outcome outcomeOf(QKeychain::Error error)
{
    switch (error) {
    case QKeychain::NoError:
        return Outcome::Done;
    case QKeychain::EntryNotFound:
        return Outcome::NotFound;
    default:
        return Outcome::Unreachable;
    }
}

// Runs a job with the bound: whichever comes first, the job's answer or
// the deadline, is handed on once; a late answer is dropped.
void run(QKeychain::Job *job, QObject *context, std::function<void(Outcome, const QString &)> done)
{
    struct Waiter {
        QPointer<QObject> context;
        std::function<void(Outcome, const QString &)> done;
        bool answered = false;
        void answer(Outcome outcome, const QString &text)
        {
            if (answered)
                return;
            answered = true;
            g_lastUnreachable = outcome == Outcome::Unreachable;
            if (context)
                done(outcome, text);
        }
    };
    auto waiter = std::make_shared<Waiter>(Waiter{context, std::move(done)});
    // The job lives on past the deadline (it is deleted when it ends), so
    // the timer that answers for it is not its child.
    auto *bound = new QTimer(QCoreApplication::instance());
    bound->setSingleShot(true);
    QObject::connect(bound, &QTimer::timeout, bound, [waiter, bound] {
        waiter->answer(Outcome::Unreachable, QString());
        bound->deleteLater();
    });
    QObject::connect(job, &QKeychain::Job::finished, bound, [waiter, bound](QKeychain::Job *j) {
        const auto *reader = qobject_cast<QKeychain::ReadPasswordJob *>(j);
        const Outcome outcome = outcomeOf(j->error());
        // Answered from the event loop, outside the keyring library's callback.
        QTimer::singleShot(0, bound, [waiter, bound, outcome, text = reader && outcome == Outcome::Done
                                                                      ? reader->textData()
                                                                      : QString()] {
            waiter->answer(outcome, text);
            bound->deleteLater();
        });
    });
    job->setAutoDelete(true);
    bound->start(kTimeoutMs);
    if (!offered()) {
        // Nothing to ask: the library would only find the same.
        QTimer::singleShot(0, bound, [waiter, bound] {
            waiter->answer(Outcome::Unreachable, QString());
            bound->deleteLater();
        });
        job->deleteLater();
        return;
    }
    job->start();
}

} // namespace

QString itemLabel()
{
    return kItem;
}

bool wanted()
{
    return modSettings::readSetting(QStringLiteral("Kortvik"), QStringLiteral("keyring"), QString()).trimmed()
           != QLatin1String("0");
}

bool setWanted(bool wanted)
{
    const QString value = wanted ? QStringLiteral("1") : QStringLiteral("0");
    modSettings::writeSetting(QStringLiteral("Kortvik"), QStringLiteral("keyring"), value);
    return modSettings::tryReadSetting(QStringLiteral("Kortvik"), QStringLiteral("keyring"), QString()) == value;
}

bool offered()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusConnectionInterface *daemon = bus.isConnected() ? bus.interface() : nullptr;
    if (!daemon)
        return false;
    if (daemon->isServiceRegistered(kService))
        return true;
    const QDBusReply<QStringList> activatable = daemon->activatableServiceNames();
    return activatable.isValid() && activatable.value().contains(kService);
}

bool inUse()
{
    return wanted() && offered();
}

bool lastUnreachable()
{
    return g_lastUnreachable;
}

void read(QObject *context, std::function<void(Outcome, const QString &)> done)
{
    auto *job = new QKeychain::ReadPasswordJob(kItem);
    job->setKey(kKey);
    run(job, context, std::move(done));
}

void write(const QString &password, QObject *context, std::function<void(Outcome)> done)
{
    auto *job = new QKeychain::WritePasswordJob(kItem);
    job->setKey(kKey);
    job->setTextData(password);
    run(job, context, [done = std::move(done)](Outcome outcome, const QString &) { done(outcome); });
}

void remove(QObject *context, std::function<void(Outcome)> done)
{
    auto *job = new QKeychain::DeletePasswordJob(kItem);
    job->setKey(kKey);
    run(job, context, [done = std::move(done)](Outcome outcome, const QString &) { done(outcome); });
}

void moveFromSettings(const QString &password, const QString &stored)
{
    if (!inUse())
        return;
    write(password, QCoreApplication::instance(), [stored](Outcome outcome) {
        const QString section = QStringLiteral("autologin");
        const QString key = QStringLiteral("lastlogin");
        if (outcome == Outcome::Done && modSettings::readSetting(section, key, QString()) == stored)
            modSettings::writeSetting(section, key, QString());
    });
}

} // namespace keyringStore
