// The notification client against a fake org.freedesktop.Notifications on
// a bus of the test's own: what it sends, replaces_id, the click, and a
// service that is missing, silent, failing, or goes away and comes back.
#include "desktop/notificationclient.h"
#include "fakenotificationservice.h"
#include "privatesessionbus.h"
#include "requiredtool.h"

#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

using Kind = DesktopNotices::Kind;

class TestNotificationClient : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void replacesInPlaceAndEscapesTheBody();
    void clicksCountOnOursOnly();
    void withdrawClosesWhatIsShown();
    void silentServiceHoldsNothingUp();
    void failingServiceIsToldAgainWhenBack();
    void missingServiceIsToldWhenItAppears();

private:
    QDBusConnection clientBus();
    PrivateSessionBus m_bus;
    std::unique_ptr<FakeNotificationService> m_fake;
    int m_round = 0;
};

void TestNotificationClient::initTestCase()
{
    QString why;
    if (!m_bus.start(&why))
        KORTVIK_SKIP_WITHOUT_TOOL(why);
}

void TestNotificationClient::init()
{
    m_fake = std::make_unique<FakeNotificationService>();
    ++m_round;
}

void TestNotificationClient::cleanup()
{
    m_fake.reset();
    QDBusConnection::disconnectFromBus(QStringLiteral("client%1").arg(m_round));
}

QDBusConnection TestNotificationClient::clientBus()
{
    return QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("client%1").arg(m_round));
}

void TestNotificationClient::replacesInPlaceAndEscapesTheBody()
{
    QVERIFY(m_fake->start(m_bus.address()));
    NotificationClient client(clientBus());
    client.show(Kind::NewIMails, QStringLiteral("Du har 1 ny iMail"), QStringLiteral("Kalle & Co: <b>Hej</b>"));
    QVERIFY(m_fake->waitForCalls(1));
    // The next one waits for the first one's id.
    client.show(Kind::NewIMails, QStringLiteral("Du har 2 nya iMails"), QStringLiteral("Anna: <i>x</i>"));
    QVERIFY(m_fake->waitForCalls(2));
    client.show(Kind::LoggedOut, QString::fromUtf8("Du har blivit utloggad från Sandlund"), QString());
    QVERIFY(m_fake->waitForCalls(3));
    client.show(Kind::NewIMails, QStringLiteral("Du har 1 ny iMail"), QStringLiteral("Nisse: z"));
    QVERIFY(m_fake->waitForCalls(4));

    const auto &calls = m_fake->calls();
    QCOMPARE(calls.at(0).appName, QStringLiteral("Kortvik"));
    QCOMPARE(calls.at(0).replacesId, 0u);
    QCOMPARE(calls.at(0).summary, QStringLiteral("Du har 1 ny iMail"));
    QCOMPARE(calls.at(0).body, QStringLiteral("Kalle &amp; Co: &lt;b&gt;Hej&lt;/b&gt;"));
    QVERIFY(calls.at(0).actions.contains(QStringLiteral("default")));
    QCOMPARE(calls.at(1).replacesId, calls.at(0).id);
    QCOMPARE(calls.at(1).body, QStringLiteral("Anna: &lt;i&gt;x&lt;/i&gt;"));
    // The logout notice is one of its own, the iMail one keeps its id.
    QCOMPARE(calls.at(2).replacesId, 0u);
    QVERIFY(calls.at(2).id != calls.at(0).id);
    QCOMPARE(calls.at(3).replacesId, calls.at(0).id);
    QCOMPARE(calls.size(), 4);
}

void TestNotificationClient::clicksCountOnOursOnly()
{
    QVERIFY(m_fake->start(m_bus.address()));
    NotificationClient client(clientBus());
    QSignalSpy activated(&client, &NotificationClient::activated);
    QSignalSpy imails(&client, &NotificationClient::imailsRequested);
    client.show(Kind::NewIMails, QStringLiteral("Du har 1 ny iMail"), QString());
    QVERIFY(m_fake->waitForCalls(1));
    QTRY_VERIFY(m_fake->calls().at(0).id != 0);
    const uint id = m_fake->calls().at(0).id;
    // Another program's notification and a key we never gave are not ours.
    for (const QString &key : {QStringLiteral("default"), QStringLiteral("imails")})
        m_fake->invokeAction(id + 100, key);
    m_fake->invokeAction(id, QStringLiteral("reply"));
    m_fake->invokeAction(id);
    m_fake->invokeAction(id, QStringLiteral("imails"));
    QTRY_COMPARE(activated.size(), 1);
    QTRY_COMPARE(imails.size(), 1);
    QTest::qWait(200);
    QCOMPARE(activated.size() + imails.size(), 2);
}

void TestNotificationClient::withdrawClosesWhatIsShown()
{
    m_fake->setMode(FakeNotificationService::Mode::Silent);
    QVERIFY(m_fake->start(m_bus.address()));
    NotificationClient client(clientBus());
    // Nothing shown, nothing to close.
    client.withdraw(Kind::NewIMails);
    client.show(Kind::NewIMails, QStringLiteral("Du har 1 ny iMail"), QString());
    QVERIFY(m_fake->waitForCalls(1));
    // Withdrawn while the call waits, and the service goes: it is not shown
    // again when the service comes back.
    client.withdraw(Kind::NewIMails);
    m_fake->setMode(FakeNotificationService::Mode::Answer);
    m_fake->leave();
    QVERIFY(m_fake->rejoin());
    QTest::qWait(300);
    QCOMPARE(m_fake->calls().size(), 1);
    QCOMPARE(m_fake->closed(), QList<uint>());

    // Withdrawn before it went out: it never goes.
    client.show(Kind::NewIMails, QStringLiteral("Du har 2 nya iMails"), QString());
    client.withdraw(Kind::NewIMails);
    QTest::qWait(300);
    QCOMPARE(m_fake->calls().size(), 1);
    // Withdrawn as it is shown: closed by the id the service gives.
    client.show(Kind::NewIMails, QStringLiteral("Du har 2 nya iMails"), QString());
    QVERIFY(m_fake->waitForCalls(2));
    client.withdraw(Kind::NewIMails);
    QTRY_COMPARE(m_fake->closed().size(), 1);
    QCOMPARE(m_fake->closed().at(0), m_fake->calls().at(1).id);
    client.show(Kind::NewIMails, QStringLiteral("Du har 3 nya iMails"), QString());
    QVERIFY(m_fake->waitForCalls(3));
    QTRY_VERIFY(m_fake->calls().at(2).id != 0);
    // A new one after a withdrawal replaces nothing.
    QCOMPARE(m_fake->calls().at(2).replacesId, 0u);
    client.withdraw(Kind::NewIMails);
    client.withdraw(Kind::NewIMails);
    QTRY_COMPARE(m_fake->closed().size(), 2);
    QCOMPARE(m_fake->closed().at(1), m_fake->calls().at(2).id);
    QTest::qWait(200);
    QCOMPARE(m_fake->closed().size(), 2);
}

void TestNotificationClient::silentServiceHoldsNothingUp()
{
    m_fake->setMode(FakeNotificationService::Mode::Silent);
    QVERIFY(m_fake->start(m_bus.address()));
    NotificationClient client(clientBus());

    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&ticks] { ++ticks; });
    timer.start(10);
    client.show(Kind::NewIMails, QStringLiteral("Du har 1 ny iMail"), QString());
    QVERIFY(m_fake->waitForCalls(1));
    // Further rises while the first call waits do not pile up calls.
    client.show(Kind::NewIMails, QStringLiteral("Du har 2 nya iMails"), QString());
    client.show(Kind::NewIMails, QStringLiteral("Du har 3 nya iMails"), QString());
    // The event loop runs meanwhile: the 10 ms timer ticks. (How often it
    // gets to tick depends on the machine's load; that it ticks does not.)
    QTRY_VERIFY(ticks >= 2);
    QTest::qWait(300);
    QCOMPARE(m_fake->calls().size(), 1);

    // The silent service quits: its call fails, and the newest text is
    // shown by the service that comes back.
    m_fake->setMode(FakeNotificationService::Mode::Answer);
    m_fake->leave();
    QVERIFY(m_fake->rejoin());
    QVERIFY(m_fake->waitForCalls(2));
    QCOMPARE(m_fake->calls().at(1).summary, QStringLiteral("Du har 3 nya iMails"));
    QCOMPARE(m_fake->calls().at(1).replacesId, 0u);
}

void TestNotificationClient::failingServiceIsToldAgainWhenBack()
{
    m_fake->setMode(FakeNotificationService::Mode::Fail);
    QVERIFY(m_fake->start(m_bus.address()));
    NotificationClient client(clientBus());
    client.show(Kind::LoggedOut, QString::fromUtf8("Du har blivit utloggad från Sandlund"), QString());
    QVERIFY(m_fake->waitForCalls(1));
    QTest::qWait(300);
    QCOMPARE(m_fake->calls().size(), 1); // no retry loop against a failing service

    m_fake->setMode(FakeNotificationService::Mode::Answer);
    m_fake->leave();
    QVERIFY(m_fake->rejoin());
    QVERIFY(m_fake->waitForCalls(2));
    QCOMPARE(m_fake->calls().at(1).summary, QString::fromUtf8("Du har blivit utloggad från Sandlund"));
    QTest::qWait(300);
    QCOMPARE(m_fake->calls().size(), 2); // shown once, not again
}

void TestNotificationClient::missingServiceIsToldWhenItAppears()
{
    NotificationClient client(clientBus());
    client.show(Kind::NewIMails, QStringLiteral("Du har 2 nya iMails"), QStringLiteral("Anna: Hej"));
    QTest::qWait(300);
    QVERIFY(m_fake->start(m_bus.address()));
    QVERIFY(m_fake->waitForCalls(1));
    QCOMPARE(m_fake->calls().at(0).summary, QStringLiteral("Du har 2 nya iMails"));
}

QTEST_GUILESS_MAIN(TestNotificationClient)
#include "tst_notificationclient.moc"
