// The stored password in GNOME Keyring: the dialogs in this process, and a
// copy of kortvik from outside, each on a private session bus where the test
// starts the keyring itself (unlocked, locked, or not at all), with the demo
// site, and secret-tool reading the keyring back.
#include <QPushButton>
#include <QtTest>

#include "app/frmdesktop.h"
#include "isolatedhome.h"
#include "kortvikonbus.h"
#include "requiredtool.h"
#include "session/storedpassword.h"
#include "settings/frmlocaloptions.h"
#include "settings/keyringstore.h"
#include "settings/modsettings.h"
#include "silentservice.h"
#include "testkeyring.h"

class TestKeyringLive : public QObject
{
    Q_OBJECT
private slots:
    // This process's own session bus, with an unlocked keyring, for the dialogs.
    void initTestCase()
    {
        QString why;
        if (!m_bus.start(&why))
            KORTVIK_SKIP_WITHOUT_TOOL(why);
        if (!TestKeyring::available())
            KORTVIK_SKIP_WITHOUT_TOOL(QStringLiteral("gnome-keyring-daemon and secret-tool are needed"));
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address().toUtf8());
        QVERIFY2(m_secrets.start(m_bus.address(), true, &why), qPrintable(why));
    }
    void deletePasswordFromBothPlaces_data();
    void deletePasswordFromBothPlaces();
    void passwordKeptWhereTheKeyringAllows_data();
    void passwordKeptWhereTheKeyringAllows();

private:
    PrivateSessionBus m_bus;
    TestKeyring m_secrets;
};

namespace {

enum class Keyring { None, Unlocked, Locked, Silent };

const QString kPassword = QStringLiteral("kalle");

// What Config.ini's "lastlogin" gives back, read as the program reads it.
QString storedInSettings(const QString &folder)
{
    modSettings::overrideProgramFolder(folder);
    const QString stored = modSettings::readSetting(QStringLiteral("autologin"), QStringLiteral("lastlogin"), QString());
    return stored.isEmpty() ? QString() : modGlobal::unsealPassword(stored);
}

bool loggedIn(KortvikOnBus &k)
{
    return k.property(QStringLiteral("LoggedIn")).toBool();
}

} // namespace

void TestKeyringLive::deletePasswordFromBothPlaces_data()
{
    QTest::addColumn<bool>("inSettings");
    QTest::addColumn<bool>("inKeyring");
    QTest::newRow("keyring only") << false << true;
    QTest::newRow("both places") << true << true;
    QTest::newRow("Config.ini only") << true << false;
}

// "Ta bort lösenordet" counts a password in either place and removes both.
void TestKeyringLive::deletePasswordFromBothPlaces()
{
    QFETCH(bool, inSettings);
    QFETCH(bool, inKeyring);
    IsolatedHome home;
    modSettings::overrideProgramFolder(home.path());
    const auto cleanup = qScopeGuard([] { modSettings::overrideProgramFolder(QString()); });
    if (inSettings)
        modSettings::writeSetting(QStringLiteral("autologin"), QStringLiteral("lastlogin"),
                                  modGlobal::sealPassword(kPassword));
    bool written = false;
    if (inKeyring) {
        keyringStore::write(kPassword, this, [&written](keyringStore::Outcome o) {
            written = o == keyringStore::Outcome::Done;
        });
        QTRY_VERIFY_WITH_TIMEOUT(written, 20000);
    }
    const QString server = keyringStore::itemLabel();
    QCOMPARE(m_secrets.lookup(server, QStringLiteral("lastlogin")), inKeyring ? kPassword : QString());

    // The keyring answers: the desktop dialog has nothing to warn of.
    QPointer<frmDesktop> desktop = frmDesktop::openDialog(nullptr, {QStringLiteral("kortvik")});
    QSignalSpy desktopLoaded(desktop.data(), &frmDesktop::settingsLoaded);
    QVERIFY(desktopLoaded.wait(5000));
    QCOMPARE(desktop->keyringStatus(), QString());
    desktop->close();
    QTRY_VERIFY(desktop.isNull());

    QPointer<frmLocalOptions> d = frmLocalOptions::openDialog(nullptr, QStringLiteral("login"));
    auto *del = d->findChild<QPushButton *>(QStringLiteral("cmdDeletePassword"));
    QTRY_VERIFY_WITH_TIMEOUT(del->isEnabled(), 20000);
    QTest::mouseClick(del, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(m_secrets.lookup(server, QStringLiteral("lastlogin")), QString(), 20000);
    QCOMPARE(modSettings::readSetting(QStringLiteral("autologin"), QStringLiteral("lastlogin"), QStringLiteral("?")),
             QString());
    d->close();
    QTRY_VERIFY(d.isNull());
}

void TestKeyringLive::passwordKeptWhereTheKeyringAllows_data()
{
    QTest::addColumn<Keyring>("keyring");
    QTest::addColumn<bool>("oldSettings"); // Config.ini holds the password before the start
    QTest::addColumn<bool>("tickOff");     // "Spara lösenordet i skrivbordets nyckelring" off
    QTest::addColumn<bool>("inKeyring");   // where it must end up

    QTest::newRow("keyring: a login stores it there") << Keyring::Unlocked << false << false << true;
    QTest::newRow("keyring: an old Config.ini moves there") << Keyring::Unlocked << true << false << true;
    QTest::newRow("keyring, tick off: Config.ini") << Keyring::Unlocked << false << true << false;
    QTest::newRow("locked keyring: Config.ini") << Keyring::Locked << false << false << false;
    QTest::newRow("locked keyring: an old Config.ini stays") << Keyring::Locked << true << false << false;
    // Answers nothing (the program gives up on it after 15 s).
    QTest::newRow("silent keyring: Config.ini") << Keyring::Silent << false << false << false;
    QTest::newRow("silent keyring: an old Config.ini stays") << Keyring::Silent << true << false << false;
    QTest::newRow("no keyring: Config.ini") << Keyring::None << false << false << false;
    QTest::newRow("no keyring: an old Config.ini stays") << Keyring::None << true << false << false;
}

void TestKeyringLive::passwordKeptWhereTheKeyringAllows()
{
    QFETCH(Keyring, keyring);
    QFETCH(bool, oldSettings);
    QFETCH(bool, tickOff);
    QFETCH(bool, inKeyring);

    KortvikOnBus k;
    TestKeyring secrets;
    SilentService silent;
    KortvikOnBus::Options options;
    options.beforeProgram = [&](QString *why) {
        if (keyring == Keyring::Silent && !silent.start(k.bus.address(), QStringLiteral("org.freedesktop.secrets"))) {
            *why = QStringLiteral("the silent keyring did not start");
            return false;
        }
        if ((keyring == Keyring::Unlocked || keyring == Keyring::Locked)
            && !secrets.start(k.bus.address(), keyring == Keyring::Unlocked, why))
            return false;
        modSettings::overrideProgramFolder(k.sandbox.folder());
        modSettings::writeSetting(QStringLiteral("autologin"), QStringLiteral("logintype"), QStringLiteral("lastlogin"));
        if (oldSettings)
            modSettings::writeSetting(QStringLiteral("autologin"), QStringLiteral("lastlogin"),
                                      modGlobal::sealPassword(kPassword));
        if (tickOff)
            modSettings::writeSetting(QStringLiteral("Kortvik"), QStringLiteral("keyring"), QStringLiteral("0"));
        return true;
    };
    QString why;
    if (!k.start(&why, options))
        QFAIL(qPrintable(why));

    // Logged in: by the start-up login from the old Config.ini, or by hand.
    if (oldSettings)
        QTRY_VERIFY_WITH_TIMEOUT(loggedIn(k), 30000);
    else
        QVERIFY(k.login(kPassword));

    const QString server = keyringStore::itemLabel();
    const QString user = QStringLiteral("lastlogin");
    if (inKeyring) {
        QTRY_COMPARE_WITH_TIMEOUT(secrets.lookup(server, user), kPassword, 20000);
        QTRY_VERIFY_WITH_TIMEOUT(storedInSettings(k.sandbox.folder()) != kPassword, 20000);
        QCOMPARE(secrets.label(server, user), QStringLiteral("Kortvik: Sandlund"));
    } else {
        // A keyring that refuses answers at once; give it time to, all the same.
        QTest::qWait(2000);
        QCOMPARE(storedInSettings(k.sandbox.folder()), kPassword);
        if (keyring == Keyring::Unlocked || keyring == Keyring::Locked)
            QCOMPARE(secrets.lookup(server, user), QString());
        if (keyring == Keyring::Silent)
            QVERIFY(silent.callsHeld() > 0);
    }
    // Nobody was logged out on the way.
    QVERIFY(loggedIn(k));

    // A new start logs in by itself, from wherever the password is.
    k.program->terminate();
    QVERIFY(k.program->waitForFinished(30000));
    QTRY_VERIFY_WITH_TIMEOUT(!k.nameOwned(), 10000);
    k.program = k.startAgain();
    QVERIFY(k.waitForMainWindow(k.program));
    QTRY_VERIFY_WITH_TIMEOUT(loggedIn(k), 30000);
    QCOMPARE(k.property(QStringLiteral("Alias")).toString().isEmpty(), false);
    if (inKeyring)
        QCOMPARE(secrets.lookup(server, user), kPassword);
    else
        QCOMPARE(storedInSettings(k.sandbox.folder()), kPassword);
}

QTEST_MAIN(TestKeyringLive)
#include "tst_keyringlive.moc"
