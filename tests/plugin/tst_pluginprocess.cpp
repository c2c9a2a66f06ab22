// The plug-in interface of the running program, as plug-ins meet it: a copy
// of kortvik on a private session bus against the demo site, a QtDBus client
// here, and the two examples.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QtTest>

#include "kortvikonbus.h"
#include "simmembers.h"

namespace {

const QString kService = QStringLiteral("org.kortvik.Kortvik");
const QString kServerPath = QStringLiteral("/clsMainServer");
const QString kServerIface = QStringLiteral("org.kortvik.Kortvik.clsMainServer");

const sandlundSim::SimMember &member(int index)
{
    static const QList<sandlundSim::SimMember> members = sandlundSim::defaultMembers();
    return members.at(index);
}

// The program with its own bus and site, and what its client heard.
class Instance : public QObject
{
    Q_OBJECT
public:
    KortvikOnBus k;
    QStringList heard;  // events and replies in the order the client got them

    bool start(const QStringList &siteArgs, QString *why)
    {
        KortvikOnBus::Options options;
        options.siteArgs = siteArgs;
        if (!k.start(why, options))
            return false;
        for (const char *event : {"onLogin", "onLogout"})
            k.client().connect(kService, kServerPath, kServerIface, QString::fromLatin1(event), this,
                               SLOT(heardEvent(QDBusMessage)));
        return true;
    }

    QDBusPendingCall call(const QString &method, const QVariantList &args, const QString &tag)
    {
        QDBusMessage m = QDBusMessage::createMethodCall(kService, kServerPath, kServerIface, method);
        m.setArguments(args);
        QDBusPendingCall pending = k.client().asyncCall(m, 60000);
        auto *watcher = new QDBusPendingCallWatcher(pending, this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, tag](QDBusPendingCallWatcher *w) {
            const QDBusMessage r = w->reply();
            if (r.type() == QDBusMessage::ErrorMessage)
                heard << tag + QStringLiteral(" error ") + r.errorName();
            else if (r.arguments().isEmpty())
                heard << tag + QStringLiteral(" done");
            else
                heard << tag + (r.arguments().first().toBool() ? QStringLiteral(" true") : QStringLiteral(" false"));
            w->deleteLater();
        });
        return pending;
    }

    QStringList events() const { return heard.filter(QRegularExpression(QStringLiteral("^on"))); }

public slots:
    void heardEvent(const QDBusMessage &m)
    {
        heard << QStringLiteral("%1 %2 %3").arg(m.member(), m.arguments().value(0).toString(),
                                               QString::number(m.arguments().value(1).toInt()));
    }
};

} // namespace

class PluginProcessTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<Instance> m_kortvik;

    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };

    Run runExample(const QString &program, const QStringList &args, const QString &busAddress)
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), busAddress);
        p.setProcessEnvironment(env);
        p.start(program, args);
        Run r;
        if (!p.waitForFinished(90000)) {
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = QString::fromLocal8Bit(p.readAllStandardOutput());
        r.err = QString::fromLocal8Bit(p.readAllStandardError());
        return r;
    }

    static QString exampleClient()
    {
        return qEnvironmentVariable("KORTVIK_BIN_DIR") + QStringLiteral("/kortvik-plugin-example");
    }

private slots:
    void initTestCase()
    {
        m_kortvik = std::make_unique<Instance>();
        QString why;
        if (!m_kortvik->start({}, &why))
            QFAIL(qPrintable(why));
    }

    void init()
    {
        // Logged out, and nothing heard yet.
        m_kortvik->call(QStringLiteral("doLogout"), {}, QStringLiteral("reset"));
        QTRY_VERIFY(m_kortvik->heard.contains(QStringLiteral("reset done")));
        m_kortvik->heard.clear();
    }

    void busNameIsOwnedByTheProgram()
    {
        QDBusConnectionInterface *bus = m_kortvik->k.client().interface();
        const QDBusReply<uint> pid = bus->servicePid(kService);
        QVERIFY(pid.isValid());
        QCOMPARE(qint64(pid.value()), m_kortvik->k.program->processId());
    }

    void wrongLengthIsFalseWithoutRequest_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("four") << QStringLiteral("kall");
        QTest::newRow("six") << QStringLiteral("kallee");
    }
    void wrongLengthIsFalseWithoutRequest()
    {
        QFETCH(QString, password);
        const int before = m_kortvik->k.siteLogSettled().size();
        m_kortvik->call(QStringLiteral("doLogin"), {false, password}, QStringLiteral("reply"));
        QTRY_COMPARE(m_kortvik->heard, QStringList{QStringLiteral("reply false")});
        // Only the test's own marker came after.
        QCOMPARE(requestPaths(m_kortvik->k.siteLogSettled().mid(before)), QStringList{QStringLiteral("/settled")});
    }

    void guestLogin()
    {
        m_kortvik->call(QStringLiteral("doLogin"), {false, QStringLiteral("bvolk")}, QStringLiteral("reply"));
        QTRY_VERIFY_WITH_TIMEOUT(m_kortvik->heard.contains(QStringLiteral("reply true")), 30000);
        QTRY_COMPARE(m_kortvik->events(), QStringList{QStringLiteral("onLogin bvolk 0")});
    }

    void memberLoginThenLogout()
    {
        const sandlundSim::SimMember &m = member(1);
        m_kortvik->call(QStringLiteral("doLogin"), {false, m.password}, QStringLiteral("login"));
        QTRY_VERIFY_WITH_TIMEOUT(m_kortvik->heard.contains(QStringLiteral("login true")), 30000);
        m_kortvik->call(QStringLiteral("doLogout"), {}, QStringLiteral("logout"));
        QTRY_VERIFY(m_kortvik->heard.contains(QStringLiteral("logout done")));
        const QString who = QStringLiteral("%1 %2").arg(m.password).arg(m.userid);
        QTRY_COMPARE(m_kortvik->events(),
                     (QStringList{QStringLiteral("onLogin ") + who, QStringLiteral("onLogout ") + who}));
    }

    void logoutWhileLoggedOutRaisesNothing()
    {
        m_kortvik->call(QStringLiteral("doLogout"), {}, QStringLiteral("logout"));
        QTRY_VERIFY(m_kortvik->heard.contains(QStringLiteral("logout done")));
        // Events come in the order raised: the first one after the logout
        // must be the next login's.
        m_kortvik->call(QStringLiteral("doLogin"), {false, QStringLiteral("bvolk")}, QStringLiteral("login"));
        QTRY_VERIFY_WITH_TIMEOUT(!m_kortvik->events().isEmpty(), 30000);
        QCOMPARE(m_kortvik->events().first(), QStringLiteral("onLogin bvolk 0"));
    }

    void logoutCancelsStalledLogin()
    {
        Instance stalled;
        QString why;
        if (!stalled.start({QStringLiteral("--stall"), QStringLiteral("/login.asp")}, &why))
            QFAIL(qPrintable(why));
        const sandlundSim::SimMember &m = member(0);
        stalled.call(QStringLiteral("doLogin"), {false, m.password}, QStringLiteral("login"));
        QTRY_VERIFY_WITH_TIMEOUT(requestPaths(stalled.k.site->requestLog()).contains(QStringLiteral("/login.asp")), 20000);
        QVERIFY(stalled.heard.isEmpty());  // still waiting for the site

        stalled.call(QStringLiteral("doLogout"), {}, QStringLiteral("logout"));
        // Both are answered, the login with false. Left to the exchange's
        // watchdog instead, the login would have read an empty page and asked
        // for the password again, never answering.
        QTRY_COMPARE_WITH_TIMEOUT(stalled.heard.size(), 2, 20000);
        QStringList answers = stalled.heard;
        answers.sort();
        QCOMPARE(answers, (QStringList{QStringLiteral("login false"), QStringLiteral("logout done")}));
        // No request after the stalled one.
        const QStringList paths = requestPaths(stalled.k.siteLogSettled());
        QCOMPARE(paths.mid(paths.indexOf(QStringLiteral("/login.asp"))),
                 (QStringList{QStringLiteral("/login.asp"), QStringLiteral("/settled")}));
    }

    void shellExample_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output");
        const sandlundSim::SimMember &m = member(0);
        QTest::newRow("member") << m.password << 0
                                << QStringLiteral("doLogin: true\nonLogin %1 %2\nonLogout %1 %2\n").arg(m.password).arg(m.userid);
        QTest::newRow("guest") << QStringLiteral("bvolk") << 0
                               << QStringLiteral("doLogin: true\nonLogin bvolk 0\nonLogout bvolk 0\n");
        QTest::newRow("too short") << QStringLiteral("kal") << 1 << QStringLiteral("doLogin: false\n");
    }
    void shellExample()
    {
        QFETCH(QString, password);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        const Run r = runExample(QStringLiteral("/bin/sh"), {QStringLiteral(PLUGIN_EXAMPLE_SCRIPT), password},
                                 m_kortvik->k.bus.address());
        QVERIFY2(r.exitCode == exitCode, qPrintable(r.err));
        QCOMPARE(r.out, output);
    }

    void cppExample_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("output");
        const sandlundSim::SimMember &m = member(2);
        const QString who = QStringLiteral("%1 %2").arg(m.password).arg(m.userid);
        QTest::newRow("member") << m.password << 0
                                << QStringList{QStringLiteral("doLogin: true"), QStringLiteral("onLogin ") + who,
                                               QStringLiteral("onLogout ") + who};
        QTest::newRow("too long") << QStringLiteral("bvolkk") << 1 << QStringList{QStringLiteral("doLogin: false")};
    }
    void cppExample()
    {
        QFETCH(QString, password);
        QFETCH(int, exitCode);
        QFETCH(QStringList, output);
        const Run r = runExample(exampleClient(), {password}, m_kortvik->k.bus.address());
        QVERIFY2(r.exitCode == exitCode, qPrintable(r.err));
        QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        // The reply and the login event may be printed in either order; the
        // events themselves come in the order raised.
        QCOMPARE(lines.filter(QRegularExpression(QStringLiteral("^on"))), output.filter(QRegularExpression(QStringLiteral("^on"))));
        lines.sort();
        output.sort();
        QCOMPARE(lines, output);
    }

    void examplesWithoutProgram()
    {
        PrivateSessionBus empty;
        QString why;
        QVERIFY2(empty.start(&why), qPrintable(why));
        Run r = runExample(exampleClient(), {QStringLiteral("bvolk")}, empty.address());
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.startsWith(QLatin1String("Kortvik does not answer")));
        r = runExample(QStringLiteral("/bin/sh"), {QStringLiteral(PLUGIN_EXAMPLE_SCRIPT), QStringLiteral("bvolk")},
                       empty.address());
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.startsWith(QLatin1String("Kortvik does not answer")));
    }
};

QTEST_GUILESS_MAIN(PluginProcessTest)
#include "tst_pluginprocess.moc"
