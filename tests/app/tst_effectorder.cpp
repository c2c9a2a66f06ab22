// The order in which logins and logouts show themselves, as one list: the
// status bar and menus of the real main window, the plug-in events and the
// requests the site receives. The expected list lives in effectorder.txt.
#include "app/clsmainapp.h"
#include "app/prglogin.h"
#include "net/site.h"
#include "settings/modsettings.h"

#include "isolatedhome.h"
#include "privatesessionbus.h"
#include "simmembers.h"
#include "simserver.h"
#include "requiredtool.h"

#include <QAction>
#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QString kServerIface = QStringLiteral("org.kortvik.Kortvik.clsMainServer");
const QStringList kMenus = {QStringLiteral("mnuLogin"), QStringLiteral("mnuLogout"),
                            QStringLiteral("mnuRegister"), QStringLiteral("mnuOptions"),
                            QStringLiteral("mnuOptionsServer")};

// Parses one request of a client that sends it whole and waits for the answer.
bool parseRequest(const QByteArray &raw, sandlundSim::SimRequest *req)
{
    const int end = raw.indexOf("\r\n\r\n");
    if (end < 0)
        return false;
    const QList<QByteArray> lines = raw.left(end).split('\n');
    req->requestLine = QString::fromLatin1(lines.value(0).trimmed());
    req->method = req->requestLine.section(QLatin1Char(' '), 0, 0);
    req->target = req->requestLine.section(QLatin1Char(' '), 1, 1);
    req->path = req->target.section(QLatin1Char('?'), 0, 0);
    req->query = req->target.section(QLatin1Char('?'), 1);
    int length = 0;
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const int colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QString name = QString::fromLatin1(line.left(colon).trimmed());
        const QString value = QString::fromLatin1(line.mid(colon + 1).trimmed());
        req->headers.append({name, value});
        if (name.compare(QLatin1String("Content-Length"), Qt::CaseInsensitive) == 0)
            length = value.toInt();
    }
    if (raw.size() < end + 4 + length)
        return false;
    req->body = raw.mid(end + 4, length);
    return true;
}

} // namespace

class tst_EffectOrder : public QObject
{
    Q_OBJECT

    PrivateSessionBus m_bus;
    IsolatedHome m_folder;
    sandlundSim::MemberStore m_store;
    sandlundSim::SimServer m_site{&m_store};
    QTcpServer m_tap;
    QHash<QTcpSocket *, QByteArray> m_buffers;
    std::unique_ptr<clsMainApp> m_app;
    QMainWindow *m_window = nullptr;
    std::unique_ptr<QDBusConnection> m_client;
    QStringList m_record;
    QString m_lastState;
    QStringList m_heard;   // bus events in arrival order
    QStringList m_replies;
    QTimer m_dialogs;  // cancels the password dialog whenever it shows

    QString state() const
    {
        QStringList parts;
        for (int i = 1; i <= 5; ++i) {
            const auto *label = m_window->findChild<QLabel *>(QStringLiteral("panel%1").arg(i));
            parts << QStringLiteral("p%1=%2%3").arg(i).arg(label->text(),
                                                        label->isEnabled() ? QString() : QStringLiteral("(off)"));
        }
        parts << QStringLiteral("tip1=") + m_window->findChild<QLabel *>(QStringLiteral("panel1"))->toolTip();
        for (const QString &name : kMenus) {
            const QAction *a = m_window->findChild<QAction *>(name);
            parts << QStringLiteral("%1=%2%3%4").arg(name, a->text(), a->isVisible() ? QString() : QStringLiteral("(hidden)"),
                                                    a->isEnabled() ? QString() : QStringLiteral("(off)"));
        }
        if (const auto *bar = m_window->findChild<prgLogin *>())
            parts << QStringLiteral("progress=") + QString::number(bar->value(), 'f', 4);
        parts << QStringLiteral("keep=%1").arg(m_app->session().findChild<QTimer *>(QStringLiteral("tmrKeepLogin"))->isActive());
        return parts.join(QStringLiteral(" | "));
    }

    void note(const QString &event = QString())
    {
        if (!m_window)
            return;
        const QString now = state();
        if (now != m_lastState) {
            m_record << QStringLiteral("ui ") + now;
            m_lastState = now;
        }
        if (!event.isEmpty())
            m_record << event;
    }

    void serve(QTcpSocket *socket)
    {
        m_buffers[socket] += socket->readAll();
        sandlundSim::SimRequest req;
        if (!parseRequest(m_buffers[socket], &req))
            return;
        m_buffers.remove(socket);
        note(QStringLiteral("site %1 memberid=%2").arg(req.requestLine, req.cookie(QStringLiteral("memberid"))));
        socket->write(sandlundSim::SimServer::serialize(m_site.handle(req)));
        socket->disconnectFromHost();
    }

    // Sends a plug-in request and waits for its answer and for the events
    // it raises on the bus; those are added once they have all arrived.
    void step(const QString &title, const QString &method, const QVariantList &args, int events)
    {
        m_record << QStringLiteral("== ") + title;
        m_heard.clear();
        m_replies.clear();
        QDBusMessage m = QDBusMessage::createMethodCall(QDBusConnection::sessionBus().baseService(),
                                                        QStringLiteral("/clsMainServer"), kServerIface, method);
        m.setArguments(args);
        auto *watcher = new QDBusPendingCallWatcher(m_client->asyncCall(m, 60000), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
            const QDBusMessage r = w->reply();
            m_replies << (r.arguments().isEmpty() ? QStringLiteral("done") : r.arguments().first().toString());
            w->deleteLater();
        });
        QTRY_VERIFY2_WITH_TIMEOUT(!m_replies.isEmpty() && m_heard.size() >= events,
                                  qPrintable(m_record.join(QLatin1Char('\n'))), 20000);
        QTest::qWait(200);  // nothing more may come
        note();
        m_record << QStringLiteral("reply ") + m_replies.join(QLatin1Char(','));
        for (const QString &e : std::as_const(m_heard))
            m_record << QStringLiteral("bus ") + e;
    }

public slots:
    void heardEvent(const QDBusMessage &m)
    {
        m_heard << QStringLiteral("%1 %2 %3").arg(m.member(), m.arguments().value(0).toString(),
                                                 QString::number(m.arguments().value(1).toInt()));
    }
    void serverLogin(const QString &password, qint32 id) { note(QStringLiteral("raise onLogin %1 %2").arg(password).arg(id)); }
    void serverLogout(const QString &password, qint32 id) { note(QStringLiteral("raise onLogout %1 %2").arg(password).arg(id)); }

private slots:
    void initTestCase()
    {
        QString why;
        if (!m_bus.start(&why))
            KORTVIK_SKIP_WITHOUT_TOOL(why);
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address().toLocal8Bit());
        modSettings::overrideProgramFolder(m_folder.path());

        QVERIFY(m_tap.listen(QHostAddress::LocalHost));
        connect(&m_tap, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = m_tap.nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, this, [this, s] { serve(s); });
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
        modData::configureSite(QStringLiteral("127.0.0.1:%1").arg(m_tap.serverPort()));

        m_app = std::make_unique<clsMainApp>();
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("frmMain"))
                m_window = qobject_cast<QMainWindow *>(w);
        }
        QVERIFY(m_window);
        QObject *server = QDBusConnection::sessionBus().objectRegisteredAt(QStringLiteral("/clsMainServer"));
        QVERIFY(server);
        QVERIFY(connect(server, SIGNAL(onLogin(QString,qint32)), this, SLOT(serverLogin(QString,qint32)),
                        Qt::DirectConnection));
        QVERIFY(connect(server, SIGNAL(onLogout(QString,qint32)), this, SLOT(serverLogout(QString,qint32)),
                        Qt::DirectConnection));
        for (const QString &name : kMenus) {
            QAction *a = m_window->findChild<QAction *>(name);
            QVERIFY2(a, qPrintable(name));
            connect(a, &QAction::changed, this, [this] { note(); });
        }
        m_dialogs.setInterval(50);
        connect(&m_dialogs, &QTimer::timeout, this, [this] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                auto *dialog = qobject_cast<QDialog *>(w);
                if (dialog && dialog->isVisible()) {
                    note(QStringLiteral("dialog ") + dialog->objectName() + QStringLiteral(" cancelled"));
                    dialog->reject();
                }
            }
        });
        m_dialogs.start();
        // The periodic iMail look would add requests at times of its own.
        m_window->findChild<QTimer *>(QStringLiteral("tmrCheckIMail"))->stop();

        m_client = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("client")));
        QVERIFY(m_client->isConnected());
        for (const char *signal : {"onLogin", "onLogout"})
            QVERIFY(m_client->connect(QString(), QStringLiteral("/clsMainServer"), kServerIface,
                                      QString::fromLatin1(signal), this, SLOT(heardEvent(QDBusMessage))));
    }

    void cleanupTestCase()
    {
        if (m_client) {
            m_client.reset();
            QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        }
        m_window = nullptr;
        modSettings::overrideProgramFolder(QString());
    }

    void loginsAndLogouts()
    {
        // The start, with its look for a stored login (none here).
        m_record << QStringLiteral("== start");
        QTest::qWait(1500);
        note();

        step(QStringLiteral("member logs in"), QStringLiteral("doLogin"), {false, QStringLiteral("kalle")}, 1);
        step(QStringLiteral("another member logs in"), QStringLiteral("doLogin"), {false, QStringLiteral("anna5")}, 2);
        step(QStringLiteral("member logs out"), QStringLiteral("doLogout"), {}, 1);
        step(QStringLiteral("guest logs in"), QStringLiteral("doLogin"), {false, QStringLiteral("bvolk")}, 1);
        step(QStringLiteral("guest logs out"), QStringLiteral("doLogout"), {}, 1);
        step(QStringLiteral("rejected password"), QStringLiteral("doLogin"), {false, QStringLiteral("zzzzz")}, 0);

        const QString recordTo = qEnvironmentVariable("KORTVIK_RECORD_EFFECTS");
        if (!recordTo.isEmpty()) {
            QFile out(recordTo);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            out.write((m_record.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
        }
        QFile in(QStringLiteral(EFFECT_ORDER_FILE));
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QStringList expected = QString::fromUtf8(in.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (int i = 0; i < qMax(expected.size(), m_record.size()); ++i)
            QCOMPARE(m_record.value(i), expected.value(i));
    }
};

QTEST_MAIN(tst_EffectOrder)
#include "tst_effectorder.moc"
