// The plug-in objects on a private session bus, in-process: introspection,
// the reference, replies, error replies and the order of events and replies.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingReply>
#include <QMetaProperty>
#include <QXmlStreamReader>
#include <QFile>
#include <QHash>
#include <QMetaMethod>
#include <QtTest>

#include <stdexcept>

#include "fakemainview.h"
#include "plugin/clsmainserverreference.h"
#include "plugin/busexport.h"
#include "plugin/clsmainserver.h"
#include "plugin/loginrequests.h"
#include "plugin/mainserveradaptor.h"
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

// "method doLogin(ShowBox:b:in,Password:s:in,:b:out)": a slot doLogin(bool,
// QString, ...) of the adaptor (a trailing QDBusMessage is the call itself,
// the out argument its return type); a signal likewise.
bool adaptorHas(const QMetaObject &meta, const QString &member)
{
    static const QHash<QString, QByteArray> qtType = {{QStringLiteral("b"), "bool"},
                                                       {QStringLiteral("s"), "QString"},
                                                       {QStringLiteral("i"), "int"},
                                                       {QStringLiteral("o"), "QDBusObjectPath"},
                                                       {QStringLiteral("a(isxbis)"), "IMailRows"}};
    const qsizetype open = member.indexOf(QLatin1Char('('));
    const QString kind = member.section(QLatin1Char(' '), 0, 0);
    const QByteArray name = member.mid(kind.size() + 1, open - kind.size() - 1).toLatin1();
    if (kind == QLatin1String("property")) {
        // "property LoggedIn(b:read)": a readable, not writable Q_PROPERTY of that type.
        const QStringList parts = member.mid(open + 1, member.size() - open - 2).split(QLatin1Char(':'));
        const int index = meta.indexOfProperty(name.constData());
        if (index < 0 || parts.value(1) != QLatin1String("read"))
            return false;
        const QMetaProperty p = meta.property(index);
        return p.isReadable() && !p.isWritable() && QByteArray(p.typeName()) == qtType.value(parts.value(0));
    }
    QByteArrayList in;
    QByteArray out = "void";
    const QString inside = member.mid(open + 1, member.size() - open - 2);
    for (const QString &arg : inside.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList parts = arg.split(QLatin1Char(':'));
        if (parts.value(2) == QLatin1String("out"))
            out = qtType.value(parts.value(1));
        else
            in << qtType.value(parts.value(1));
    }
    const QMetaMethod::MethodType type = kind == QLatin1String("signal") ? QMetaMethod::Signal : QMetaMethod::Slot;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        const QMetaMethod m = meta.method(i);
        if (m.methodType() != type || m.name() != name)
            continue;
        QByteArrayList types = m.parameterTypes();
        if (!types.isEmpty() && types.last() == "QDBusMessage")
            types.removeLast();
        if (types == in && QByteArray(m.typeName()) == out)
            return true;
    }
    return false;
}

} // namespace

class BusExportTest : public QObject
{
    Q_OBJECT

    PrivateSessionBus m_bus;
    SimSite m_site;
    FakeMainView m_view;
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

    // The introspection text is hand-written beside the slots that serve the
    // calls: every method and signal of the file has a member of the same
    // name and argument types in the adaptor.
    void adaptorMembersMatchInterface_data()
    {
        QTest::addColumn<QString>("interface");
        QTest::newRow("server") << kServerIface;
        QTest::newRow("reference") << QStringLiteral("org.kortvik.Kortvik.clsMainServerReference");
    }
    void adaptorMembersMatchInterface()
    {
        QFETCH(QString, interface);
        const QMetaObject *meta = interface == kServerIface ? &MainServerAdaptor::staticMetaObject
                                                            : &MainServerReferenceAdaptor::staticMetaObject;
        const QString infoName = meta->classInfo(meta->indexOfClassInfo("D-Bus Interface")).value();
        QCOMPARE(infoName, interface);
        const QStringList members = describeInterface(interfaceFile(interface), interface);
        QVERIFY(!members.isEmpty());
        for (const QString &member : members)
            QVERIFY2(adaptorHas(*meta, member), qPrintable(member));
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
        clsMainServerReference orphan(nullptr);
        new MainServerReferenceAdaptor(&orphan, *m_serverBus);
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
        // Sent back to back: the first gives way, the latest decides.
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
        new MainServerAdaptor(&failing, &requests, &inbox, *m_serverBus);
        QVERIFY(m_serverBus->registerObject(QStringLiteral("/failing"), &failing, QDBusConnection::ExportAdaptors));
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
