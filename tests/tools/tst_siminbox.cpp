// Changing a member's inbox while the demo site runs: the start page that
// the client reads follows each change, and bad control requests change
// nothing.
#include "imail/imaillist.h"
#include "imail/imailrows.h"
#include "net/clsdata.h"
#include "net/moddata.h"
#include "siminboxcontrol.h"
#include "simsite.h"

#include <QTcpSocket>
#include <QtTest>

#include <memory>

namespace {

constexpr qint32 kKalle = 1001;

void setMember(const QString &password)
{
    modData::clearCookieJar();
    modData::cookieJar().cookieNames[0] = QStringLiteral("memberid");
    modData::cookieJar().cookieValues[0] = password;
}

// Mids of the inbox on Kalle's start page, as the client reads it.
QList<qint32> pageMids()
{
    setMember(QStringLiteral("kalle"));
    auto c = clsData::create();
    const QString page = c->Read(QStringLiteral("/login/community/main.asp"), modData::cookieList(), QString(),
                                 QString(), false);
    modWebFunctions::IMailList list;
    if (modWebFunctions::parseIMailList(page, list) < 0)
        return {};
    return list.mid;
}

QByteArray rawStatus(quint16 port, const QByteArray &request)
{
    QTcpSocket s;
    s.connectToHost(QStringLiteral("127.0.0.1"), port);
    if (!s.waitForConnected(5000))
        return {};
    s.write(request);
    QByteArray answer;
    while (s.state() == QAbstractSocket::ConnectedState && s.waitForReadyRead(5000))
        answer += s.readAll();
    answer += s.readAll();
    return answer.left(answer.indexOf("\r\n"));
}

} // namespace

class TestSimInbox : public QObject
{
    Q_OBJECT
    std::unique_ptr<SimSite> site;

private slots:
    void initTestCase()
    {
        site = std::make_unique<SimSite>();
        QVERIFY(site->start());
        site->useAsSite();
    }

    void changesShowOnThePage()
    {
        QCOMPARE(pageMids(), (QList<qint32>{501, 498, 470}));

        sandlundSim::SimIMail mail = simInbox::newMail(777, QStringLiteral("Ny rad åäö € \"citat\" <b>&amp;"));
        QVERIFY(simInbox::add(site->port(), kKalle, mail));
        QCOMPARE(pageMids(), (QList<qint32>{777, 501, 498, 470}));
        const auto held = simInbox::get(site->port(), kKalle);
        QVERIFY(held);
        QCOMPARE(held->size(), 4);
        QCOMPARE(held->first().subject, mail.subject);
        QCOMPARE(held->first().sentAt, mail.sentAt);

        QVERIFY(simInbox::put(site->port(), kKalle, {held->at(2)}));
        QCOMPARE(pageMids(), (QList<qint32>{498}));
        // Restore, so the order of the test functions does not matter.
        QVERIFY(simInbox::put(site->port(), kKalle, held->mid(1)));
        QCOMPARE(pageMids(), (QList<qint32>{501, 498, 470}));
    }

    void badRequestsChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("status");
        auto req = [](const char *method, const char *target, const QByteArray &body) {
            return QByteArray(method) + ' ' + target + " HTTP/1.1\r\nHost: x\r\nContent-Length: "
                + QByteArray::number(body.size()) + "\r\n\r\n" + body;
        };
        QTest::newRow("unknown member") << req("PUT", "/sim/inbox?uid=4711", "[]") << QByteArray("HTTP/1.1 404 No such member");
        QTest::newRow("no uid") << req("GET", "/sim/inbox", "") << QByteArray("HTTP/1.1 404 No such member");
        QTest::newRow("bad json") << req("PUT", "/sim/inbox?uid=1001", "[{") << QByteArray("HTTP/1.1 400 Bad JSON");
        QTest::newRow("row without date") << req("POST", "/sim/inbox?uid=1001",
                                                 R"({"mid":1,"subject":"x","isNew":true,"senderUid":2,"senderName":"y"})")
                                          << QByteArray("HTTP/1.1 400 Bad row");
        QTest::newRow("object for PUT") << req("PUT", "/sim/inbox?uid=1001", "{}") << QByteArray("HTTP/1.1 400 Bad request");
    }

    void badRequestsChangeNothing()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, status);
        QCOMPARE(rawStatus(site->port(), request), status);
        QCOMPARE(pageMids(), (QList<qint32>{501, 498, 470}));
    }

    void bulkMemberOverTheWire()
    {
        setMember(QStringLiteral("tusen"));
        auto c = clsData::create();
        const QString page = c->Read(QStringLiteral("/login/community/main.asp"), modData::cookieList(), QString(),
                                     QString(), false);
        modWebFunctions::IMailList list;
        QCOMPARE(modWebFunctions::parseIMailList(page, list), 999);
        const auto held = simInbox::get(site->port(), 1004);
        QVERIFY(held);
        QCOMPARE(held->size(), 1000);
        for (int i = 0; i < 1000; ++i) {
            QCOMPARE(list.mid[i], held->at(i).mid);
            QCOMPARE(list.subject[i], held->at(i).subject);
            QCOMPARE(list.senderName[i], held->at(i).senderName);
        }
    }
};

QTEST_GUILESS_MAIN(TestSimInbox)
#include "tst_siminbox.moc"
