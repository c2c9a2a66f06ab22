// The stored password in GNOME Keyring, from outside: a copy of kortvik on a
// private session bus where the test starts the keyring itself (unlocked,
// locked, or not at all), the demo site, and secret-tool reading it back.
#include <QtTest>

#include "kortvikonbus.h"
#include "requiredtool.h"
#include "session/storedpassword.h"
#include "settings/keyringstore.h"
#include "settings/modsettings.h"
#include "testkeyring.h"

class TestKeyringLive : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        PrivateSessionBus probe;
        QString why;
        if (!probe.start(&why))
            KORTVIK_SKIP_WITHOUT_TOOL(why);
        if (!TestKeyring::available())
            KORTVIK_SKIP_WITHOUT_TOOL(QStringLiteral("gnome-keyring-daemon and secret-tool are needed"));
    }
    void passwordKeptWhereTheKeyringAllows_data();
    void passwordKeptWhereTheKeyringAllows();
};

namespace {

enum class Keyring { None, Unlocked, Locked };

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
    KortvikOnBus::Options options;
    options.beforeProgram = [&](QString *why) {
        if (keyring != Keyring::None && !secrets.start(k.bus.address(), keyring == Keyring::Unlocked, why))
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
        if (keyring != Keyring::None)
            QCOMPARE(secrets.lookup(server, user), QString());
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

QTEST_GUILESS_MAIN(TestKeyringLive)
#include "tst_keyringlive.moc"
