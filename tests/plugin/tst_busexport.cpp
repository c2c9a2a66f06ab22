// The plug-in objects on a private session bus, in-process: the running
// objects against their interface files, the reference, replies, error
// replies and the order of events and replies.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QXmlStreamReader>
#include <QFile>
#include <QtTest>

#include <stdexcept>

#include "scriptedview.h"
#include "plugin/clsmainserverreference.h"
#include "plugin/busexport.h"
#include "plugin/clsmainserver.h"
#include "plugin/loginrequests.h"
#include "plugin/mainserverbus.h"
#include "plugin/plugininbox.h"
#include "privatesessionbus.h"
#include "requiredtool.h"
#include "testsession.h"
#include "simsite.h"

namespace {

const QString kService = QStringLiteral("org.kortvik.Kortvik");
const QString kServerIface = QStringLiteral("org.kortvik.Kortvik.clsMainServer");

// "method doLogin(ShowBox:b:in,Password:s:in,:b:out)" per member of one interface.
QStringList describeInterface(const QString &xml, const QString &interface)
{
    QStringList members;
    QXmlStreamReader reader(xml);
    bool inside = false;
    QString current;
    QStringList args;
    while (!reader.atEnd()) {
        reader.readNext();
        const auto name = reader.name();
        if (reader.isStartElement() && name == QLatin1String("interface"))
            inside = reader.attributes().value(QLatin1String("name")) == interface;
        if (!inside)
            continue;
        if (reader.isStartElement() && name == QLatin1String("property")) {
            const QXmlStreamAttributes a = reader.attributes();
            members << QStringLiteral("property ") + a.value(QLatin1String("name")).toString() + QLatin1Char('(')
                    + a.value(QLatin1String("type")).toString() + QLatin1Char(':')
                    + a.value(QLatin1String("access")).toString() + QLatin1Char(')');
        } else if (reader.isStartElement() && (name == QLatin1String("method") || name == QLatin1String("signal"))) {
            current = name.toString() + QLatin1Char(' ') + reader.attributes().value(QLatin1String("name")).toString();
            args.clear();
        } else if (reader.isStartElement() && name == QLatin1String("arg")) {
            const QXmlStreamAttributes a = reader.attributes();
            QString arg = a.value(QLatin1String("name")).toString() + QLatin1Char(':')
                          + a.value(QLatin1String("type")).toString();
            if (a.hasAttribute(QLatin1String("direction")))
                arg += QLatin1Char(':') + a.value(QLatin1String("direction")).toString();
            args << arg;
        } else if (reader.isEndElement() && (name == QLatin1String("method") || name == QLatin1String("signal"))) {
            members << current + QLatin1Char('(') + args.join(QLatin1Char(',')) + QLatin1Char(')');
        } else if (reader.isEndElement() && name == QLatin1String("interface")) {
            inside = false;
        }
    }
    return members;
}

// The interface file installed for plug-in authors.
QString interfaceFile(const QString &interface)
{
    QFile file(QStringLiteral(KORTVIK_DBUS_INTERFACE_DIR "/") + interface + QStringLiteral(".xml"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class BusExportTest : public QObject
{
    Q_OBJECT

    PrivateSessionBus m_bus;
    SimSite m_site;
    ScriptedView m_view;
    clsMainServer m_server{&resetSession(&m_view)};
    std::unique_ptr<QDBusConnection> m_serverBus;
    std::unique_ptr<QDBusConnection> m_client;
    QStringList m_heard;  // events and replies as the client sees them, in order

    QDBusMessage call(const QString &path, const QString &interface, const QString &method,
                      const QVariantList &args = {})
    {
        QDBusMessage m = QDBusMessage::createMethodCall(kService, path, interface, method);
        m.setArguments(args);
        return m;
    }

    // Sends asynchronously (the service runs on this same thread) and waits.
    QDBusMessage callAndWait(const QDBusMessage &message, int timeoutMs = 20000)
    {
        QDBusPendingCall pending = m_client->asyncCall(message, timeoutMs);
        // No answer in time shows as an invalid message to the caller.
        if (!QTest::qWaitFor([&] { return pending.isFinished(); }, timeoutMs + 1000))
            return QDBusMessage();
        return pending.reply();
    }

    QDBusPendingCall doLogin(bool showBox, const QString &password, const QString &tag)
    {
        QDBusPendingCall pending = m_client->asyncCall(
            call(QStringLiteral("/clsMainServer"), kServerIface, QStringLiteral("doLogin"), {showBox, password}),
            20000);
        auto *watcher = new QDBusPendingCallWatcher(pending, this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, tag](QDBusPendingCallWatcher *w) {
            const QDBusMessage r = w->reply();
            m_heard << (r.type() == QDBusMessage::ErrorMessage
                            ? QStringLiteral("%1 error %2").arg(tag, r.errorName())
                            : QStringLiteral("%1 %2").arg(tag, r.arguments().value(0).toBool() ? "true" : "false"));
            w->deleteLater();
        });
        return pending;
    }

private slots:
    void initTestCase()
    {
        QString why;
        if (!m_bus.start(&why))
            KORTVIK_SKIP_WITHOUT_TOOL(why);
        QVERIFY2(m_site.start(), qPrintable(m_site.otherOutput()));
        m_site.useAsSite();

        m_serverBus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("server")));
        QVERIFY(m_serverBus->isConnected());
        QVERIFY(m_serverBus->registerService(kService));
        QVERIFY(exportBusObjects(*m_serverBus, &m_server));

        m_client = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("client")));
        QVERIFY(m_client->isConnected());
        for (const char *signal : {"onLogin", "onLogout"}) {
            const QString name = QString::fromLatin1(signal);
            QVERIFY(m_client->connect(kService, QStringLiteral("/clsMainServer"), kServerIface, name, this,
                                      SLOT(heardEvent(QDBusMessage))));
        }
    }

    void init()
    {
        m_server.doLogout();
        m_heard.clear();
    }

    void cleanupTestCase()
    {
        session().setView(nullptr);
    }

    void exportNeedsServerAndConnection()
    {
        QVERIFY(!exportBusObjects(*m_serverBus, nullptr));
        QVERIFY(!exportBusObjects(QDBusConnection(QStringLiteral("not connected")), &m_server));
    }

    // The interfaces are written once, in the XML files installed for
    // plug-in authors; what the running objects report must be exactly that.
    void introspection_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("interface");
        QTest::newRow("server") << QStringLiteral("/clsMainServer") << kServerIface;
        QTest::newRow("reference") << QStringLiteral("/clsMainServerReference")
                                   << QStringLiteral("org.kortvik.Kortvik.clsMainServerReference");
    }
    void introspection()
    {
        QFETCH(QString, path);
        QFETCH(QString, interface);
        const QStringList members = describeInterface(interfaceFile(interface), interface);
        QVERIFY(!members.isEmpty());
        const QDBusMessage reply = callAndWait(
            call(path, QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect")));
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(describeInterface(reply.arguments().value(0).toString(), interface), members);
    }

    void rootListsBothObjects()
    {
        const QDBusMessage reply = callAndWait(
            call(QStringLiteral("/"), QStringLiteral("org.freedesktop.DBus.Introspectable"), QStringLiteral("Introspect")));
        const QString xml = reply.arguments().value(0).toString();
        QVERIFY(xml.contains(QLatin1String("<node name=\"clsMainServer\"/>")));
        QVERIFY(xml.contains(QLatin1String("<node name=\"clsMainServerReference\"/>")));
    }

    void referenceGivesServerPath()
    {
        const QDBusMessage reply = callAndWait(call(QStringLiteral("/clsMainServerReference"),
                                                    QStringLiteral("org.kortvik.Kortvik.clsMainServerReference"),
                                                    QStringLiteral("GetMainServerReference")));
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(reply.signature(), QStringLiteral("o"));
        QCOMPARE(qvariant_cast<QDBusObjectPath>(reply.arguments().value(0)).path(), QStringLiteral("/clsMainServer"));

        // A reference whose server is gone: an error, not a dangling path.
        clsMainServerReference reference(nullptr);
        MainServerReferenceBus orphan(&reference);
        adaptMainServerReference(&orphan);
        QVERIFY(m_serverBus->registerObject(QStringLiteral("/orphan"), &orphan, QDBusConnection::ExportAdaptors));
        const QDBusMessage none = callAndWait(call(QStringLiteral("/orphan"),
                                                   QStringLiteral("org.kortvik.Kortvik.clsMainServerReference"),
                                                   QStringLiteral("GetMainServerReference")));
        m_serverBus->unregisterObject(QStringLiteral("/orphan"));
        QCOMPARE(none.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(none.errorName(), QStringLiteral("org.kortvik.Kortvik.Error"));
    }

    void secondLoginReplacesFirstAndBothAreAnswered()
    {
        // Sent back to back: the first gives way, the latest decides. The
        // site holds the first login's first request, so the second call
        // finds it waiting however slowly the bus delivers it.
        QVERIFY(m_site.glitch(QStringLiteral("/cookie.asp"), QStringLiteral("stall")));
        doLogin(false, QStringLiteral("kalle"), QStringLiteral("first"));
        doLogin(false, QStringLiteral("bvolk"), QStringLiteral("second"));
        QTRY_VERIFY(m_heard.contains(QStringLiteral("second true")));
        QTRY_VERIFY(m_heard.contains(QStringLiteral("first false")));
        // The first never got in; the session ends with the guest.
        QTRY_COMPARE(m_heard.filter(QStringLiteral("onLogin")).value(0), QStringLiteral("onLogin bvolk 0"));
        QVERIFY(session().isLoggedIn());
        QVERIFY(session().isGuest());
    }

    void errorEscapingLoginIsAnErrorReply()
    {
        clsMainServer failing(&session());
        LoginRequests requests(&session(), [](bool, const QString &) -> bool { throw std::runtime_error("Kaputt"); },
                               [] {});
        PluginInbox inbox(nullptr);
        MainServerBus exported(&failing, &requests, &inbox);
        adaptMainServer(&exported);
        QVERIFY(m_serverBus->registerObject(QStringLiteral("/failing"), &exported, QDBusConnection::ExportAdaptors));
        const QDBusMessage reply = callAndWait(
            call(QStringLiteral("/failing"), kServerIface, QStringLiteral("doLogin"), {false, QStringLiteral("kalle")}));
        m_serverBus->unregisterObject(QStringLiteral("/failing"));
        QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
        QCOMPARE(reply.errorName(), QStringLiteral("org.kortvik.Kortvik.Error"));
        QCOMPARE(reply.errorMessage(), QStringLiteral("Kaputt"));
    }

public slots:
    void heardEvent(const QDBusMessage &message)
    {
        m_heard << QStringLiteral("%1 %2 %3").arg(message.member(), message.arguments().value(0).toString(),
                                                 QString::number(message.arguments().value(1).toInt()));
    }
};

QTEST_GUILESS_MAIN(BusExportTest)
#include "tst_busexport.moc"
