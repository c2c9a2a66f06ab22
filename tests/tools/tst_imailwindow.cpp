// kortvik-imail's window against the plug-in inbox of a stand-in server on
// a private bus: rows newest first with new ones in bold, a login, a changed
// inbox and a logout followed from signals alone, "Uppdatera" (and F5) as
// one CheckIMails, and the state texts.
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "frmimail.h"
#include "imail/imailcheckflight.h"
#include "mainserverclient.h"
#include "plugin/plugininbox.h"
#include "privatesessionbus.h"
#include "requiredtool.h"
#include "settings/modsettings.h"
#include "sitetime.h"

namespace {

const QString kInterface = QStringLiteral("org.kortvik.Kortvik.clsMainServer");

// The members the window reads, on a stand-in for Kortvik's server object.
class StandInAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kortvik.Kortvik.clsMainServer")
    Q_PROPERTY(bool LoggedIn READ loggedIn)
    Q_PROPERTY(bool LoggingIn READ loggingIn)
    Q_PROPERTY(bool Guest READ guest)
    Q_PROPERTY(int UserID READ userId)
    Q_PROPERTY(QString Alias READ alias)
    Q_PROPERTY(int IMailCount READ imailCount)
    Q_PROPERTY(int NewIMailCount READ newIMailCount)
public:
    StandInAdaptor(QObject *object, PluginInbox *inbox)
        : QDBusAbstractAdaptor(object)
        , m_inbox(inbox)
    {
        connect(inbox, &PluginInbox::imailsChanged, this, &StandInAdaptor::IMailsChanged);
    }
    bool loggedIn() const { return v().loggedIn; }
    bool loggingIn() const { return v().loggingIn; }
    bool guest() const { return v().guest; }
    int userId() const { return v().userId; }
    QString alias() const { return v().alias; }
    int imailCount() const { return v().imailCount; }
    int newIMailCount() const { return v().newIMailCount; }

public slots:
    IMailRows GetIMails() { return m_inbox->rows(); }
    void CheckIMails(const QDBusMessage &message) { m_inbox->checkIMails(message); }

signals:
    void IMailsChanged(const IMailRows &rows);

private:
    const PluginProperties::Values &v() const { return m_inbox->properties().values(); }
    PluginInbox *m_inbox;
};

IMailRow row(qint32 mid, const QString &subject, const char *when, bool isNew)
{
    const QDateTime at = QDateTime::fromString(QString::fromLatin1(when), QStringLiteral("yyyy-MM-dd HH:mm"));
    return IMailRow{mid, subject, siteTime::toSecsSinceEpoch(at.date(), at.time()), isNew, 1002, QStringLiteral("Anna Berg")};
}

} // namespace

class TestIMailWindow : public QObject
{
    Q_OBJECT
    QTemporaryDir m_folder;
    PrivateSessionBus m_bus;
    QObject m_server;
    int m_checks = 0;
    IMailRows m_site; // what the next check finds
    std::unique_ptr<IMailCheckFlight> m_flight;
    std::unique_ptr<PluginInbox> m_inbox;

private slots:
    void initTestCase();
    void followsTheServer();

private:
    void login(const QString &alias, qint32 uid, bool guest);
    QTreeWidget *list(frmIMail &w) { return w.findChild<QTreeWidget *>(QStringLiteral("lstIMails")); }
    QString status(frmIMail &w) { return w.findChild<QLabel *>(QStringLiteral("lblStatus"))->text(); }
};

void TestIMailWindow::initTestCase()
{
    // The window keeps its placement beside the program: here, a folder of the test's own.
    QVERIFY(m_folder.isValid());
    modSettings::overrideProgramFolder(m_folder.path());
    QString why;
    if (!m_bus.start(&why))
        KORTVIK_SKIP_WITHOUT_TOOL(why);
    m_flight = std::make_unique<IMailCheckFlight>([this](std::function<void()> finished) {
        ++m_checks;
        // The site answers a moment later.
        QTimer::singleShot(50, this, [this, finished] {
            int fresh = 0;
            for (const IMailRow &r : m_site)
                fresh += r.isNew ? 1 : 0;
            const bool in = m_inbox->properties().values().loggedIn;
            m_inbox->properties().setIMailCounts(in ? m_site.size() : 0, in ? fresh : 0);
            m_inbox->setRows(in ? m_site : IMailRows{});
            finished();
        });
    });
    m_inbox = std::make_unique<PluginInbox>(m_flight.get());
    new StandInAdaptor(&m_server, m_inbox.get());
    QDBusConnection server = QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("server"));
    QVERIFY(server.registerObject(QStringLiteral("/clsMainServer"), &m_server));
    QVERIFY(server.registerService(QStringLiteral("org.kortvik.Kortvik")));
    m_inbox->attach(server, QStringLiteral("/clsMainServer"), kInterface);
    QVERIFY(QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("client")).isConnected());
}

void TestIMailWindow::login(const QString &alias, qint32 uid, bool guest)
{
    m_inbox->properties().setLogin(false, true, false, 0, QString());
    m_inbox->properties().setLogin(true, true, guest, uid, alias);
    m_inbox->properties().setLogin(true, false, guest, uid, alias);
    m_flight->request();
}

void TestIMailWindow::followsTheServer()
{
    MainServerClient client(QDBusConnection(QStringLiteral("client")));
    frmIMail w(&client);
    client.refresh();
    w.bringUp();
    QTRY_COMPARE(status(w), QStringLiteral("Inte inloggad"));
    QCOMPARE(list(w)->topLevelItemCount(), 0);
    auto *update = w.findChild<QPushButton *>(QStringLiteral("cmdUpdate"));
    QCOMPARE(update->text(), QStringLiteral("&Uppdatera"));
    QVERIFY(!update->isEnabled());

    m_site = {row(501, QStringLiteral("Hej Kalle"), "2003-05-17 14:32", true),
              row(498, QStringLiteral("Rad 1\r\nRad 2"), "2003-05-16 09:05", false),
              row(470, QStringLiteral("Möte & fika"), "2003-03-30 02:30", false)};
    login(QStringLiteral("Kalle & Co"), 1001, false);
    QTRY_COMPARE(list(w)->topLevelItemCount(), 3);
    QTRY_COMPARE(status(w), QStringLiteral("Kalle & Co: 3 iMails (1 nya)"));
    const QStringList expected[] = {{"Anna Berg", "Hej Kalle", "2003-05-17 14:32"},
                                    {"Anna Berg", "Rad 1 / Rad 2", "2003-05-16 09:05"},
                                    {"Anna Berg", "Möte & fika", "2003-03-30 03:30"}};
    for (int i = 0; i < 3; ++i) {
        QTreeWidgetItem *item = list(w)->topLevelItem(i);
        QCOMPARE((QStringList{item->text(0), item->text(1), item->text(2)}), expected[i]);
        QCOMPARE(item->font(1).bold(), i == 0);
    }
    QCOMPARE(list(w)->topLevelItem(1)->toolTip(1), QStringLiteral("Rad 1\r\nRad 2"));

    // A new iMail on the site, found by "Uppdatera": one check, one change.
    const int checksBefore = m_checks;
    m_site.prepend(row(502, QStringLiteral("Ny 😀"), "2003-05-18 10:15", true));
    QTRY_VERIFY(update->isEnabled());
    update->click();
    QTRY_COMPARE(list(w)->topLevelItemCount(), 4);
    QCOMPARE(list(w)->topLevelItem(0)->text(1), QStringLiteral("Ny 😀"));
    QTRY_COMPARE(status(w), QStringLiteral("Kalle & Co: 4 iMails (2 nya)"));
    QTRY_VERIFY(update->isEnabled());
    QCOMPARE(m_checks, checksBefore + 1);

    // F5 does the same; nothing changed, so the list stays as it is.
    QTest::keyClick(&w, Qt::Key_F5);
    QTRY_COMPARE(m_checks, checksBefore + 2);
    QTRY_VERIFY(update->isEnabled());
    QCOMPARE(list(w)->topLevelItemCount(), 4);

    // A check by someone else reaches the window by IMailsChanged alone.
    m_site.removeFirst();
    m_flight->request();
    QTRY_COMPARE(list(w)->topLevelItemCount(), 3);

    m_inbox->properties().setLogin(false, false, false, 0, QString());
    m_flight->request();
    QTRY_COMPARE(status(w), QStringLiteral("Inte inloggad"));
    QTRY_COMPARE(list(w)->topLevelItemCount(), 0);
    QVERIFY(!update->isEnabled());

    login(QString(), 0, true);
    QTRY_COMPARE(status(w), QStringLiteral("Inloggad som gäst"));
    QVERIFY(!update->isEnabled());
    m_inbox->properties().setLogin(false, false, false, 0, QString());

    // Kortvik goes away.
    QDBusConnection(QStringLiteral("server")).unregisterService(QStringLiteral("org.kortvik.Kortvik"));
    QTRY_COMPARE(status(w), QStringLiteral("Kortvik körs inte"));
}

QTEST_MAIN(TestIMailWindow)
#include "tst_imailwindow.moc"
