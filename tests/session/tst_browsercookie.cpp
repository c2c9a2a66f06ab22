#include "session/browsercookie.h"

#include "firefoxstore.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using firefoxstore::Cookie;
using modGlobal::BrowserCookie;
using modGlobal::readBrowserCookie;

Q_DECLARE_METATYPE(QList<Cookie>)

namespace {

const QString kSite = QStringLiteral("www.sandlund.example");

QString defaultProfileIni(const QString &path = QStringLiteral("abc123.default"))
{
    return QStringLiteral("[General]\nStartWithLastProfile=1\n\n[Profile0]\nName=default\nIsRelative=1\nPath=")
        + path + QStringLiteral("\nDefault=1\n");
}

} // namespace

class TestBrowserCookie : public QObject
{
    Q_OBJECT
private slots:
    void siteCookies_data();
    void siteCookies();
    void profileChoice();
    void profileWithoutDefaultMark();
    void nothingOutsideHome_data();
    void nothingOutsideHome();
    void noStoreAtAll();
    void storeReadFromACopy();
};

void TestBrowserCookie::siteCookies_data()
{
    QTest::addColumn<QString>("site");
    QTest::addColumn<QList<Cookie>>("cookies");
    QTest::addColumn<bool>("siteKnown");
    QTest::addColumn<QString>("memberId");

    QTest::newRow("site's own host")
        << kSite << QList<Cookie>{{"memberid", "anna5", kSite}} << true << "anna5";
    QTest::newRow("domain cookie of the site's host")
        << kSite << QList<Cookie>{{"memberid", "anna5", ".www.sandlund.example"}} << true << "anna5";
    QTest::newRow("domain cookie of the parent domain")
        << kSite << QList<Cookie>{{"memberid", "kalle", ".sandlund.example"}} << true << "kalle";
    QTest::newRow("host-only cookie of the parent is not sent")
        << kSite << QList<Cookie>{{"memberid", "kalle", "sandlund.example"}} << false << "";
    QTest::newRow("look-alike hosts")
        << kSite
        << QList<Cookie>{{"memberid", "aaaaa", "evilwww.sandlund.example"},
                         {"memberid", "bbbbb", ".wwwsandlund.example"},
                         {"memberid", "ccccc", "www.sandlund.example.evil"}}
        << false << "";
    QTest::newRow("other sites only")
        << kSite << QList<Cookie>{{"memberid", "xxxxx", "example.org"}, {"sid", "1", ".other.example"}} << false
        << "";
    QTest::newRow("site cookies but no memberid")
        << kSite << QList<Cookie>{{"ASPSESSIONIDQ", "abc", kSite}} << true << "";
    QTest::newRow("cookie names are case-sensitive")
        << kSite << QList<Cookie>{{"MemberID", "xxxxx", kSite}} << true << "";
    QTest::newRow("host names are not")
        << kSite << QList<Cookie>{{"memberid", "nisse", "WWW.Sandlund.Example"}} << true << "nisse";
    QTest::newRow("the exact host beats a domain")
        << kSite
        << QList<Cookie>{{"memberid", "aaaaa", ".sandlund.example"},
                         {"memberid", "bbbbb", kSite},
                         {"memberid", "ccccc", ".www.sandlund.example"}}
        << true << "bbbbb";
    QTest::newRow("a nearer domain beats a farther one")
        << kSite
        << QList<Cookie>{{"memberid", "aaaaa", ".sandlund.example"}, {"memberid", "ccccc", ".www.sandlund.example"}}
        << true << "ccccc";
    QTest::newRow("value taken as stored, any length")
        << kSite << QList<Cookie>{{"memberid", "abcdefgh", kSite}} << true << "abcdefgh";
    QTest::newRow("loopback site")
        << "127.0.0.1" << QList<Cookie>{{"memberid", "anna5", "127.0.0.1"}} << true << "anna5";
}

void TestBrowserCookie::siteCookies()
{
    QFETCH(QString, site);
    QFETCH(QList<Cookie>, cookies);
    QFETCH(bool, siteKnown);
    QFETCH(QString, memberId);

    QTemporaryDir home;
    QVERIFY(firefoxstore::writeProfilesIni(home.path(), defaultProfileIni()));
    QVERIFY(firefoxstore::writeStore(firefoxstore::firefoxDir(home.path()) + "/abc123.default", cookies));
    const BrowserCookie c = readBrowserCookie(home.path(), site);
    QCOMPARE(c.siteCookies, siteKnown);
    QCOMPARE(c.memberId, memberId);
}

void TestBrowserCookie::profileChoice()
{
    QTemporaryDir home;
    const QString ff = firefoxstore::firefoxDir(home.path());
    // The installation's default is the profile the browser starts with; the
    // older Default=1 mark may point elsewhere.
    QVERIFY(firefoxstore::writeProfilesIni(
        home.path(),
        QStringLiteral("[Profile1]\nName=old\nIsRelative=1\nPath=old.default\nDefault=1\n\n"
                       "[Profile0]\nName=new\nIsRelative=1\nPath=new.default-release\n\n"
                       "[Install4F96D1932A9F858E]\nDefault=new.default-release\nLocked=1\n")));
    QVERIFY(firefoxstore::writeStore(ff + "/old.default", {{"memberid", "gamla", kSite}}));
    QVERIFY(firefoxstore::writeStore(ff + "/new.default-release", {{"memberid", "nyaaa", kSite}}));
    QCOMPARE(readBrowserCookie(home.path(), kSite).memberId, QStringLiteral("nyaaa"));

    // Without a store in the installation's profile, the marked one is used.
    QVERIFY(QFile::remove(ff + "/new.default-release/cookies.sqlite"));
    QCOMPARE(readBrowserCookie(home.path(), kSite).memberId, QStringLiteral("gamla"));

    // An absolute path inside the home folder is fine.
    QVERIFY(firefoxstore::writeProfilesIni(
        home.path(), QStringLiteral("[Profile0]\nIsRelative=0\nPath=") + home.path()
                         + QStringLiteral("/elsewhere\nDefault=1\n")));
    QVERIFY(firefoxstore::writeStore(home.path() + "/elsewhere", {{"memberid", "annat", kSite}}));
    QCOMPARE(readBrowserCookie(home.path(), kSite).memberId, QStringLiteral("annat"));
}

void TestBrowserCookie::profileWithoutDefaultMark()
{
    QTemporaryDir home;
    QVERIFY(firefoxstore::writeProfilesIni(home.path(),
                                           QStringLiteral("[Profile0]\nName=x\nIsRelative=1\nPath=x.default\n")));
    QVERIFY(firefoxstore::writeStore(firefoxstore::firefoxDir(home.path()) + "/x.default",
                                     {{"memberid", "anna5", kSite}}));
    const BrowserCookie c = readBrowserCookie(home.path(), kSite);
    QVERIFY(!c.siteCookies);
    QCOMPARE(c.memberId, QString());
}

void TestBrowserCookie::nothingOutsideHome_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("absolute profile path") << "absolute";
    QTest::newRow("relative path climbing out") << "dotdot";
    QTest::newRow("profile folder is a link out") << "link-folder";
    QTest::newRow("store is a link out") << "link-store";
    QTest::newRow("firefox folder is a link out") << "link-firefox";
}

void TestBrowserCookie::nothingOutsideHome()
{
    QFETCH(QString, how);
    QTemporaryDir outside;
    QTemporaryDir home;
    const QString ff = firefoxstore::firefoxDir(home.path());
    // A readable store outside the home folder, with the site's cookie.
    QVERIFY(firefoxstore::writeStore(outside.path() + "/p", {{"memberid", "anna5", kSite}}));

    if (how == QLatin1String("absolute")) {
        QVERIFY(firefoxstore::writeProfilesIni(
            home.path(), QStringLiteral("[Profile0]\nIsRelative=0\nPath=") + outside.path() + "/p\nDefault=1\n"));
    } else if (how == QLatin1String("dotdot")) {
        const QString up = QStringLiteral("../../") + QDir(home.path()).relativeFilePath(outside.path() + "/p");
        QVERIFY(firefoxstore::writeProfilesIni(home.path(), defaultProfileIni(up)));
        // The path does lead to the store; only the home rule keeps it out.
        QVERIFY(QFile::exists(ff + "/" + up + "/cookies.sqlite"));
    } else if (how == QLatin1String("link-folder")) {
        QVERIFY(firefoxstore::writeProfilesIni(home.path(), defaultProfileIni()));
        QVERIFY(QFile::link(outside.path() + "/p", ff + "/abc123.default"));
    } else if (how == QLatin1String("link-store")) {
        QVERIFY(firefoxstore::writeProfilesIni(home.path(), defaultProfileIni()));
        QVERIFY(QDir().mkpath(ff + "/abc123.default"));
        QVERIFY(QFile::link(outside.path() + "/p/cookies.sqlite", ff + "/abc123.default/cookies.sqlite"));
    } else {
        QVERIFY(QDir().mkpath(home.path() + "/.mozilla"));
        QVERIFY(QDir().mkpath(outside.path() + "/ff/abc123.default"));
        QVERIFY(QFile::copy(outside.path() + "/p/cookies.sqlite", outside.path() + "/ff/abc123.default/cookies.sqlite"));
        QFile ini(outside.path() + "/ff/profiles.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(defaultProfileIni().toUtf8());
        ini.close();
        QVERIFY(QFile::link(outside.path() + "/ff", ff));
    }
    const BrowserCookie c = readBrowserCookie(home.path(), kSite);
    QVERIFY(!c.siteCookies);
    QCOMPARE(c.memberId, QString());
}

void TestBrowserCookie::noStoreAtAll()
{
    QTemporaryDir home;
    QVERIFY(!readBrowserCookie(home.path(), kSite).siteCookies);
    // A profile list whose profile has no store.
    QVERIFY(firefoxstore::writeProfilesIni(home.path(), defaultProfileIni()));
    QVERIFY(!readBrowserCookie(home.path(), kSite).siteCookies);
    // A store that is no database.
    QVERIFY(QDir().mkpath(firefoxstore::firefoxDir(home.path()) + "/abc123.default"));
    QFile junk(firefoxstore::firefoxDir(home.path()) + "/abc123.default/cookies.sqlite");
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    QVERIFY(!readBrowserCookie(home.path(), kSite).siteCookies);
    // A home folder that does not exist.
    QVERIFY(!readBrowserCookie(home.path() + "/saknas", kSite).siteCookies);
}

void TestBrowserCookie::storeReadFromACopy()
{
    QTemporaryDir home;
    const QString folder = firefoxstore::firefoxDir(home.path()) + "/abc123.default";
    QVERIFY(firefoxstore::writeProfilesIni(home.path(), defaultProfileIni()));
    QVERIFY(firefoxstore::writeStore(folder, {{"memberid", "anna5", kSite}}));
    const QByteArray before = [&] {
        QFile f(folder + "/cookies.sqlite");
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    // The browser holds its store locked; a read-only store must still be read.
    QVERIFY(QFile::setPermissions(folder + "/cookies.sqlite", QFileDevice::ReadOwner));
    QCOMPARE(readBrowserCookie(home.path(), kSite).memberId, QStringLiteral("anna5"));
    QFile after(folder + "/cookies.sqlite");
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), before);
    // Nothing was left beside the browser's store.
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{QStringLiteral("cookies.sqlite")});
}

QTEST_GUILESS_MAIN(TestBrowserCookie)
#include "tst_browsercookie.moc"
