// The demo site, run as its own process and read through the client's own
// exchange: its pages must carry the fragments the client reads, byte for
// byte, and profile posts must stick (also across a restart). The site also
// ends a member's session on its own: the session's next request gets the
// "memberid" cookie reset and the login form, the member can log in again,
// and other members' sessions go on.
#include "net/clsdata.h"
#include "net/moddata.h"
#include "net/site.h"
#include "simsite.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <map>

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kProfile = QStringLiteral("/login/register/visitkort_edit.asp");

QString sp(int n)
{
    return QString(n, QLatin1Char(' '));
}

QString u(const char *s)
{
    return QString::fromUtf8(s);
}

// The cookies the simulated site has given this test process.
modData::CookieJar g_jar;

void setMember(const QString &password)
{
    modData::clearCookieJar(g_jar);
    if (!password.isEmpty()) {
        g_jar.cookieNames[0] = QStringLiteral("memberid");
        g_jar.cookieValues[0] = password;
    }
}

QString get(const QString &path, bool onlyHeader = false, QString *header = nullptr)
{
    auto c = clsData::create(&g_jar);
    return c->Read(path, modData::cookieList(g_jar), QString(), QString(), onlyHeader, header);
}

QString post(const QString &path, const QString &body)
{
    auto c = clsData::create(&g_jar);
    return c->Read(path, modData::cookieList(g_jar), body, QString(), true);
}

QString between(const QString &text, const QString &start, const QString &end)
{
    const qsizetype a = text.indexOf(start);
    if (a < 0)
        return QString();
    const qsizetype from = a + start.size();
    const qsizetype b = text.indexOf(end, from);
    return b < 0 ? QString() : text.mid(from, b - from);
}

// The line of the page that holds needle ("" when none).
QString lineWith(const QString &page, const QString &needle)
{
    for (const QString &line : page.split(kCrLf)) {
        if (line.contains(needle))
            return line;
    }
    return QString();
}

// The value of the input named name, read off its own line.
QString fieldValue(const QString &page, const QString &name)
{
    return between(lineWith(page, QStringLiteral("name=\"") + name + QLatin1Char('"')), QStringLiteral("value=\""),
                   QStringLiteral("\""));
}

QString birthdayFragment(const QString &v)
{
    return QStringLiteral("<input name=\"strBirthday\" style=\"background-color: #e7e2d3; font-family: Verdana; "
                          "font-size: 8pt; height: 19; position: relative; width: 102\" size=\"20\" value=\"")
        + v + QStringLiteral("\">");
}

const QString kGreetingHead = QStringLiteral(
    "<input maxLength=\"50\" name=\"strChatWelcome\" size=\"30\" style=\"background-color: #e7e2d3; font-family: "
    "disabled Verdana; font-size: 8pt; height: 19; position: relative; width: 193\" class=\"textruta\"");

QString postalFragment(const QString &v)
{
    return QStringLiteral("<input name=\"postal\" size=\"15\" style=\"BACKGROUND-COLOR: #e7e2d3; FONT-FAMILY: "
                          "Verdana; FONT-SIZE: 8pt; HEIGHT: 19px; POSITION: relative; WIDTH: 50px\" value=\"")
        + v + QStringLiteral("\">");
}

const QString kSelectHead = QStringLiteral("<select size=\"1\" name=\"homecity\" class=\"textruta\">\r\n");
const QString kSelectEnd = QStringLiteral("\r\n          </select>");

// The town list as the client walks it: lines up to each CR LF.
std::map<int, QString> walkTowns(const QString &page, int *selected)
{
    std::map<int, QString> towns;
    QString rest = between(page, kSelectHead, kSelectEnd);
    *selected = between(rest, QStringLiteral("<option  selected value="), QStringLiteral(">")).toInt();
    while (!rest.isEmpty() && rest != kCrLf) {
        const qsizetype nl = rest.indexOf(kCrLf);
        const QString line = nl < 0 ? QString() : rest.left(nl);
        rest = nl < 0 ? QString() : rest.mid(nl + 2);
        const QString id = line.contains(QLatin1String("<option  selected"))
            ? between(line, QStringLiteral("<option  selected value="), QStringLiteral(">"))
            : between(line, QStringLiteral("<option  value="), QStringLiteral(">"));
        bool ok = false;
        const int n = id.toInt(&ok);
        if (ok && n >= 0 && n <= 300)
            towns[n] = between(line, QStringLiteral(">"), QStringLiteral("</option>"));
    }
    return towns;
}

QString inboxHead()
{
    const QString nbsp = QStringLiteral("&nbsp;");
    return QStringLiteral("<table border=\"0\" width=\"100%\" cellspacing=\"1\" cellpadding=\"0\" class=\"text\">")
        + kCrLf + sp(22) + QStringLiteral("<tr>") + kCrLf + sp(24)
        + QStringLiteral("<td width=\"15\"  bgcolor=\"#FFD737\" align=\"left\" nowrap><font size=\"2\">") + nbsp
        + nbsp + QStringLiteral("</font></td>") + kCrLf + sp(24)
        + QStringLiteral("<td width=\"160\" bgcolor=\"#FFD737\" nowrap ><b><font size=\"1\" face=\"Verdana\">Tid")
        + nbsp.repeated(10) + u("Från</font></b></td>") + kCrLf + sp(24)
        + QStringLiteral("<td width=\"100%\" bgcolor=\"#FFD737\"><b><font size=\"1\" "
                         "face=\"Verdana\">Rubrik</font></b></td>")
        + kCrLf + sp(24)
        + QStringLiteral("<td width=\"70\" bgcolor=\"#FFD737\" nowrap align=\"right\"><b><font size=\"1\" "
                         "face=\"Verdana\">Datum</font></b></td>")
        + kCrLf + sp(22) + QStringLiteral("</tr>") + kCrLf + sp(22) + kCrLf + sp(22) + kCrLf + sp(22) + kCrLf
        + sp(22);
}

QString rowSeparator()
{
    return (kCrLf + sp(22)).repeated(4);
}

QString inboxEnd()
{
    return kCrLf + sp(22) + kCrLf + sp(22) + kCrLf + sp(22) + kCrLf + sp(22) + QStringLiteral("<!-- bottenram -->")
        + kCrLf + sp(22) + kCrLf + sp(20) + QStringLiteral("</table>");
}

using TextFields = std::map<QString, QString>;

struct Row {
    QString mid, colour, date, time, uid, name, subject;
};

// The client's login requests, with the jar as a login leaves it.
bool memberLogin(const QString &password)
{
    modData::clearCookieJar(g_jar);
    g_jar.cookieNames[0] = QStringLiteral("memberid");
    g_jar.cookieValues[0] = password;
    get(QStringLiteral("/cookie.asp"));
    get(QStringLiteral("/default.asp"), true);
    const QString page = get(QStringLiteral("/login.asp"));
    return !page.contains(QStringLiteral("loginrejected.asp")) &&
           modData::cookieValue(g_jar, QStringLiteral("memberid")).compare(password, Qt::CaseInsensitive) == 0;
}

bool showsInbox(const QString &page)
{
    return page.contains(QStringLiteral("read.asp?mid="));
}

bool isLoginForm(const QString &page)
{
    return page.contains(QStringLiteral("action=\"/login.asp\"")) && !showsInbox(page);
}

} // namespace

Q_DECLARE_METATYPE(QList<Row>)
Q_DECLARE_METATYPE(TextFields)

class TestSandlundSim : public QObject
{
    Q_OBJECT
    std::unique_ptr<SimSite> site;

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo::exists(SimSite::binary()), qPrintable(SimSite::binary()));
    }
    void init()
    {
        site = std::make_unique<SimSite>();
        QVERIFY(site->start());
        site->useAsSite();
        modData::clearCookieJar(g_jar);
    }
    void cleanup()
    {
        site.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void cleanupTestCase() { modData::configureSite(); }

    void helpListsMembersAndPasswords();
    void sessionCookiePages_data();
    void sessionCookiePages();
    void login_data();
    void login();
    void profileFormCarriesEveryFragment_data();
    void profileFormCarriesEveryFragment();
    void profileFormNeedsAMember_data();
    void profileFormNeedsAMember();
    void postChangesTheNextGet();
    void postCannotEnableADisabledGreetingOrTouchAnotherCard();
    void dataSurvivesRestart();
    void inbox_data();
    void inbox();
    void requestLogShowsCookiesSent();
    void stalledPageNeverAnswers();
    void otherPages();
    void endedSessionGetsCookieResetAndLoginForm();
    void otherSessionsGoOn();
};

void TestSandlundSim::helpListsMembersAndPasswords()
{
    QProcess p;
    p.start(SimSite::binary(), {QStringLiteral("--help")});
    QVERIFY(p.waitForFinished(10000));
    QCOMPARE(p.exitCode(), 0);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    for (const char *pw : {"kalle", "anna5", "nisse", "bvolk"})
        QVERIFY2(out.contains(QLatin1String(pw) + QLatin1Char(':')), pw);
    QVERIFY(out.contains(QLatin1String("--stall")));
}

void TestSandlundSim::sessionCookiePages_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("cookie.asp") << "/cookie.asp";
    QTest::newRow("default.asp") << "/default.asp";
    QTest::newRow("login.asp") << "/login.asp";
}

void TestSandlundSim::sessionCookiePages()
{
    QFETCH(QString, path);
    QString header;
    QCOMPARE(get(path, true, &header), QString());
    const QRegularExpression re(QStringLiteral("\r\nSet-Cookie: (ASPSESSIONID[A-Z]+)=([A-Z]+); path=/(\r\n|$)"));
    const QRegularExpressionMatch m = re.match(header);
    QVERIFY2(m.hasMatch(), qPrintable(header));
    QCOMPARE(modData::cookieValue(g_jar, m.captured(1)), m.captured(2));
    // A request that carries the session cookie gets no new one.
    QString again;
    get(path, true, &again);
    QVERIFY2(!again.contains(QLatin1String("ASPSESSIONID")), qPrintable(again));
    QCOMPARE(modData::cookieValue(g_jar, m.captured(1)), m.captured(2));
}

void TestSandlundSim::login_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("cookieAfter");
    QTest::newRow("member") << "kalle" << true << "kalle";
    QTest::newRow("member, other letter case") << "KaLLe" << true << "kalle";
    QTest::newRow("member without birth date") << "anna5" << true << "anna5";
    QTest::newRow("guest") << "bvolk" << true << "bvolk";
    QTest::newRow("guest in upper case") << "BVOLK" << true << "bvolk";
    QTest::newRow("wrong password") << "wrong" << false << "wrong";
    QTest::newRow("no password at all") << "" << false << "";
}

void TestSandlundSim::login()
{
    QFETCH(QString, password);
    QFETCH(bool, accepted);
    QFETCH(QString, cookieAfter);
    setMember(password);
    const QString body = get(QStringLiteral("/login.asp"));
    QVERIFY(!body.isEmpty() && body != QLatin1String("ERROR"));
    QCOMPARE(!body.contains(QLatin1String("loginrejected.asp"), Qt::CaseInsensitive), accepted);
    QCOMPARE(modData::cookieValue(g_jar, QStringLiteral("memberid")), cookieAfter);
}

void TestSandlundSim::profileFormCarriesEveryFragment_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("userid");
    QTest::addColumn<TextFields>("texts"); // formFieldValue fields
    QTest::addColumn<QStringList>("checked");               // check boxes that are ticked
    QTest::addColumn<QString>("sex");
    QTest::addColumn<QString>("age");
    QTest::addColumn<QString>("relation");
    QTest::addColumn<QString>("about");
    QTest::addColumn<QString>("birthday");
    QTest::addColumn<bool>("greetingEnabled");
    QTest::addColumn<QString>("greeting");
    QTest::addColumn<int>("homecity");
    QTest::addColumn<QString>("homecityName");
    QTest::addColumn<QString>("postal");

    QTest::newRow("kalle: birth date, greeting, sign with &amp;")
        << "kalle" << "1001"
        << TextFields{{"firstname", "Kalle"}, {"lastname", "Ek"}, {"sign", "Kalle &amp; Co"},
                                      {"company", "Ek Bygg AB"}, {"street", "Storgatan 1"},
                                      {"strMobiltelefon", "070-1234567"}, {"interests", "Segling, schack"},
                                      {"foundthis", u("En vän tipsade")}, {"homepage", "http://www.example.com/kalle"},
                                      {"email", "kalle@example.com"}, {"icq", "123456"}}
        << QStringList{"chk1", "lngHtmlMail", "setup0", "setup2"} << "1" << "5" << "3"
        << u("Hej!\r\nJag bor i Umeå och seglar på sommaren.") << "1975-03-21" << true << "Tjena!" << 3 << u("Umeå")
        << "90325";
    QTest::newRow("anna5: no birth date")
        << "anna5" << "1002"
        << TextFields{{"firstname", "Anna"}, {"lastname", "Berg"}, {"sign", "anna"}, {"company", ""},
                                      {"email", "anna@example.com"}}
        << QStringList{"chk1"} << "2" << "3" << "1" << "" << "" << true << "Hej hej" << 7 << u("Luleå") << "";
    QTest::newRow("nisse: greeting box disabled")
        << "nisse" << "1003"
        << TextFields{{"firstname", "Nils"}, {"lastname", "Holm"}, {"sign", "Nisse"},
                                      {"street", u("Åvägen 12")}}
        << QStringList{} << "1" << "4" << "2" << "" << "1980-05-17" << false << "" << 7 << u("Luleå") << "97231";
}

void TestSandlundSim::profileFormCarriesEveryFragment()
{
    QFETCH(QString, password);
    QFETCH(QString, userid);
    QFETCH(TextFields, texts);
    QFETCH(QStringList, checked);
    QFETCH(QString, sex);
    QFETCH(QString, age);
    QFETCH(QString, relation);
    QFETCH(QString, about);
    QFETCH(QString, birthday);
    QFETCH(bool, greetingEnabled);
    QFETCH(QString, greeting);
    QFETCH(int, homecity);
    QFETCH(QString, homecityName);
    QFETCH(QString, postal);

    setMember(password);
    const QString page = get(kProfile);
    QVERIFY(page.size() > 1000);

    // CR LF line ends only, and one input per line.
    QVERIFY(!page.contains(QRegularExpression(QStringLiteral("[^\r]\n"))));
    for (const QString &line : page.split(kCrLf))
        QVERIFY2(line.count(QLatin1String("<input")) <= 1, qPrintable(line));

    QCOMPARE(fieldValue(page, QStringLiteral("userid")), userid);
    for (const auto &[name, value] : texts) {
        const QString line = lineWith(page, QStringLiteral("name=\"") + name + QLatin1Char('"'));
        QVERIFY2(line.startsWith(QLatin1String("<input")), qPrintable(name));
        QCOMPARE(between(line, QStringLiteral("value=\""), QStringLiteral("\"")), value);
    }
    for (const char *box : {"chk1", "chk2", "lngHtmlMail", "chk3", "setup0", "setup1", "setup2", "setup3"}) {
        const QString line = lineWith(page, QStringLiteral("name=\"") + QLatin1String(box) + QLatin1Char('"'));
        QVERIFY2(line.startsWith(QLatin1String("<input type=\"checkbox\"")), box);
        QCOMPARE(line.contains(QLatin1String("checked")), checked.contains(QLatin1String(box)));
    }

    QCOMPARE(between(page, QStringLiteral("<input name=\"sex\" type=\"radio\" checked value=\""), QStringLiteral("\"")),
             sex);
    QCOMPARE(between(page, QStringLiteral("<input name=\"age\" type=\"radio\" checked value=\""), QStringLiteral("\"")),
             age);
    QCOMPARE(between(page, QStringLiteral("<input name=\"relation\" type=\"radio\" checked value=\""),
                     QStringLiteral("\"")),
             relation);
    // Exactly one checked button per group.
    for (const char *group : {"sex", "age", "relation"})
        QCOMPARE(page.count(QStringLiteral("<input name=\"") + QLatin1String(group)
                            + QStringLiteral("\" type=\"radio\" checked value=\"")),
                 1);

    const QString afterTextarea = page.mid(page.indexOf(QLatin1String("<textarea")));
    QCOMPARE(between(afterTextarea, QStringLiteral(">"), QStringLiteral("</textarea>")), about);

    QVERIFY(page.contains(birthdayFragment(birthday)));
    const QString disabled = kGreetingHead + QStringLiteral(" disabled value=\"\">");
    QCOMPARE(page.contains(disabled), !greetingEnabled);
    if (greetingEnabled)
        QVERIFY(page.contains(kGreetingHead + QStringLiteral("  value=\"") + greeting + QStringLiteral("\">")));
    QVERIFY(page.contains(postalFragment(postal)));

    QVERIFY(page.contains(kSelectHead));
    QVERIFY(page.contains(kSelectEnd));
    int selected = -1;
    const std::map<int, QString> towns = walkTowns(page, &selected);
    QCOMPARE(selected, homecity);
    QCOMPARE(towns.at(homecity), homecityName);
    QCOMPARE(towns.at(3), u("Umeå"));
    QCOMPARE(towns.at(7), u("Luleå"));
    // The last option of the list is reached by the walk too.
    QCOMPARE(towns.at(300), QStringLiteral("Utlandet"));
    QCOMPARE(static_cast<int>(towns.size()), page.count(QLatin1String("<option  ")));
}

void TestSandlundSim::profileFormNeedsAMember_data()
{
    QTest::addColumn<QString>("password");
    QTest::newRow("no memberid") << "";
    QTest::newRow("wrong memberid") << "xxxxx";
    QTest::newRow("guest has no profile") << "bvolk";
}

void TestSandlundSim::profileFormNeedsAMember()
{
    QFETCH(QString, password);
    setMember(password);
    const QString page = get(kProfile);
    QVERIFY(!page.isEmpty() && page != QLatin1String("ERROR"));
    QVERIFY(!page.contains(QLatin1String("name=\"userid\"")));
    QVERIFY(!page.contains(QLatin1String("strBirthday")));
    QVERIFY(!page.contains(kSelectHead));
    QVERIFY(page.contains(QLatin1String("Logga in")));
}

void TestSandlundSim::postChangesTheNextGet()
{
    setMember(QStringLiteral("anna5"));
    // Field order and encoding as the client's profile update writes them.
    const QString body = QStringLiteral(
        "strBirthday=1980%2D05%2D17&firstname=%C5sa&company=&lastname=Berg&sign=anna+%26+co&street=&sex=2"
        "&postal=97231&age=4&strMobiltelefon=&relation=2&interests=&foundthis=&homecity=3"
        "&strabout=Rad+1%0D%0ARad+2&homepage=&email=&icq=&chk2=1&setup3=1&btn=Uppdatera&uid=1002"
        "&strChatWelcome=Hall%E5");
    QCOMPARE(post(kProfile, body), QString());
    const QString page = get(kProfile);
    QCOMPARE(fieldValue(page, QStringLiteral("firstname")), u("Åsa"));
    QCOMPARE(fieldValue(page, QStringLiteral("sign")), QStringLiteral("anna &amp; co"));
    QCOMPARE(fieldValue(page, QStringLiteral("email")), QString());
    QVERIFY(page.contains(birthdayFragment(QStringLiteral("1980-05-17"))));
    QVERIFY(page.contains(postalFragment(QStringLiteral("97231"))));
    QVERIFY(page.contains(kGreetingHead + u("  value=\"Hallå\">")));
    QVERIFY(page.contains(QLatin1String("<input name=\"sex\" type=\"radio\" checked value=\"2\"")));
    QVERIFY(page.contains(QLatin1String("<input name=\"age\" type=\"radio\" checked value=\"4\"")));
    QVERIFY(page.contains(QLatin1String("<input name=\"relation\" type=\"radio\" checked value=\"2\"")));
    QVERIFY(page.contains(QLatin1String("<option  selected value=3>")));
    QVERIFY(page.contains(QLatin1String(">Rad 1\r\nRad 2</textarea>")));
    QVERIFY(!lineWith(page, QStringLiteral("name=\"chk1\"")).contains(QLatin1String("checked")));
    QVERIFY(lineWith(page, QStringLiteral("name=\"chk2\"")).contains(QLatin1String("checked")));
    QVERIFY(lineWith(page, QStringLiteral("name=\"setup3\"")).contains(QLatin1String("checked")));
    // The site logged the post with the member's cookie.
    QVERIFY(site->requestLog().contains(QStringLiteral("POST ") + kProfile
                                        + QStringLiteral(" HTTP/1.1 | Cookie: memberid=anna5")));

    // Another member's card is untouched.
    setMember(QStringLiteral("kalle"));
    QCOMPARE(fieldValue(get(kProfile), QStringLiteral("firstname")), QStringLiteral("Kalle"));
}

void TestSandlundSim::postCannotEnableADisabledGreetingOrTouchAnotherCard()
{
    setMember(QStringLiteral("nisse"));
    post(kProfile, QStringLiteral("firstname=Nisse&btn=Uppdatera&uid=1003&strChatWelcome=Tjo"));
    QString page = get(kProfile);
    QVERIFY(page.contains(kGreetingHead + QStringLiteral(" disabled value=\"\">")));
    QVERIFY(!page.contains(QLatin1String("Tjo")));
    QCOMPARE(fieldValue(page, QStringLiteral("firstname")), QStringLiteral("Nisse"));

    // A post naming another member's id changes nothing.
    post(kProfile, QStringLiteral("firstname=Inkräktare&btn=Uppdatera&uid=1001"));
    page = get(kProfile);
    QCOMPARE(fieldValue(page, QStringLiteral("firstname")), QStringLiteral("Nisse"));
    setMember(QStringLiteral("kalle"));
    QCOMPARE(fieldValue(get(kProfile), QStringLiteral("firstname")), QStringLiteral("Kalle"));
}

void TestSandlundSim::dataSurvivesRestart()
{
    QTemporaryDir data;
    auto first = std::make_unique<SimSite>(QStringList(), data.path());
    QVERIFY(first->start());
    first->useAsSite();
    setMember(QStringLiteral("kalle"));
    post(kProfile, QStringLiteral("firstname=Karl&street=Nygatan+5&homecity=7&btn=Uppdatera&uid=1001"));
    first->stop();

    SimSite second(QStringList(), data.path());
    QVERIFY(second.start());
    second.useAsSite();
    const QString page = get(kProfile);
    QCOMPARE(fieldValue(page, QStringLiteral("firstname")), QStringLiteral("Karl"));
    QCOMPARE(fieldValue(page, QStringLiteral("street")), QStringLiteral("Nygatan 5"));
    QVERIFY(page.contains(QLatin1String("<option  selected value=7>")));

    // A site with its own, fresh data folder still has the original card.
    site->useAsSite();
    QCOMPARE(fieldValue(get(kProfile), QStringLiteral("firstname")), QStringLiteral("Kalle"));
}

void TestSandlundSim::inbox_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QList<Row>>("rows");
    QTest::newRow("kalle: one new, two read")
        << "kalle"
        << QList<Row>{{"501", "FF0000", "2003-05-17", "14:32", "1002", "Anna Berg", "<b>Hej Kalle"},
                      {"498", "000000", "2003-05-16", "09:05", "1003", "Nils Holm", "Rad 1<br>Rad 2"},
                      {"470", "008000", "2003-04-30", "18:00", "1002", "Anna Berg", u("Möte &amp; fika")}};
    QTest::newRow("anna5: two new")
        << "anna5"
        << QList<Row>{{"502", "FF0000", "2003-05-18", "10:15", "1001", "Kalle &amp; Co", u("<b>Fika på lördag?")},
                      {"488", "FF0000", "2003-05-10", "08:00", "1003", "Nils Holm", u("<b>Välkommen")}};
    QTest::newRow("nisse: empty inbox") << "nisse" << QList<Row>{};
}

void TestSandlundSim::inbox()
{
    QFETCH(QString, password);
    QFETCH(QList<Row>, rows);
    setMember(password);
    const QString page = get(QStringLiteral("/login/community/main.asp"));
    QVERIFY(page.contains(inboxHead()));
    QVERIFY(page.contains(inboxEnd()));
    const QString table = between(page, inboxHead(), inboxEnd());
    if (rows.isEmpty()) {
        QCOMPARE(table, QString());
        return;
    }
    const QStringList got = table.split(rowSeparator());
    QCOMPARE(got.size(), rows.size());
    for (int i = 0; i < rows.size(); ++i) {
        const Row &r = rows.at(i);
        const QString &row = got.at(i);
        const QString click = QStringLiteral("<td bgcolor=\"\" onClick= \"javascript:document.location.href='read.asp?mid=")
            + r.mid + QStringLiteral("';\"");
        QCOMPARE(between(row, QStringLiteral("<input type=\"checkbox\" name=\"dele\" value=\""),
                         QStringLiteral("\" style=\"position: relative; width: 12; height: 12\">")),
                 r.mid);
        QCOMPARE(between(row, QStringLiteral("<a href=\"read.asp?mid=") + r.mid + QStringLiteral("\">"),
                         QStringLiteral("</a>")),
                 r.subject);
        const QString dateCell = between(
            row, click + QStringLiteral(" align=\"right\" class=\"rad\" valign=\"top\"><font face=\"Verdana\" color=\"#"),
            QStringLiteral("</font></td>"));
        QCOMPARE(dateCell, r.colour + QStringLiteral("\"> ") + r.date);
        QCOMPARE(dateCell.mid(9), r.date); // the client skips nine characters
        QCOMPARE(between(row, click + QStringLiteral(" class=\"rad\" valign=\"top\" >"),
                         QStringLiteral(" <a href=\"javascript:visitkort(")),
                 r.time);
        QCOMPARE(between(row, QStringLiteral("<a href=\"mainpage.asp?uid="), QStringLiteral("\">")), r.uid);
        QCOMPARE(between(row, QStringLiteral("<a href=\"mainpage.asp?uid=") + r.uid + QStringLiteral("\">"),
                         QStringLiteral("</a>")),
                 r.name);
    }
}

void TestSandlundSim::requestLogShowsCookiesSent()
{
    get(QStringLiteral("/default.asp"), true);
    setMember(QStringLiteral("kalle"));
    get(QStringLiteral("/cookie.asp"), true);
    QVERIFY(site->waitForLogLines(2));
    const QStringList log = site->requestLog();
    QCOMPARE(log.size(), 2);
    QCOMPARE(log.at(0), QStringLiteral("GET /default.asp HTTP/1.1 | Cookie: "));
    QCOMPARE(log.at(1), QStringLiteral("GET /cookie.asp HTTP/1.1 | Cookie: memberid=kalle"));
    QCOMPARE(site->otherOutput(), QString());
}

void TestSandlundSim::stalledPageNeverAnswers()
{
    SimSite stalled({QStringLiteral("--stall"), QStringLiteral("/login.asp")});
    QVERIFY(stalled.start());
    stalled.useAsSite();

    QTcpSocket raw;
    raw.connectToHost(QHostAddress::LocalHost, stalled.port());
    QVERIFY(raw.waitForConnected(5000));
    raw.write("GET /login.asp HTTP/1.1\r\nHost: x\r\nConnection: Close\r\n\r\n");
    QVERIFY(raw.waitForBytesWritten(5000));
    QVERIFY(!raw.waitForReadyRead(700));
    QCOMPARE(raw.state(), QAbstractSocket::ConnectedState);
    QVERIFY(stalled.waitForLogLines(1));

    // Other pages are still served, and a cancel ends the stalled exchange.
    QVERIFY(get(QStringLiteral("/default.asp")).contains(QLatin1String("Startsida")));
    auto c = clsData::create(&g_jar);
    QTimer::singleShot(300, c.get(), [&] { c->CloseCon(true); });
    QCOMPARE(c->Read(QStringLiteral("/login.asp"), modData::cookieList(g_jar), QString(), QString()),
             QStringLiteral("ERROR"));
}

void TestSandlundSim::otherPages()
{
    QString header;
    QVERIFY(get(QStringLiteral("/no/such.asp"), false, &header).contains(QLatin1String("finns inte")));
    QVERIFY(header.startsWith(QLatin1String("HTTP/1.1 404 ")));
    QCOMPARE(get(QStringLiteral("/large.asp?bytes=51200")).size(), 51200);
    QVERIFY(get(QStringLiteral("/loginrejected.asp")).contains(u("Lösenordet var fel")));
    setMember(QStringLiteral("bvolk"));
    const QString guestMain = get(QStringLiteral("/login/community/main.asp"));
    QVERIFY(guestMain.contains(QLatin1String("iMail")));
    QVERIFY(!guestMain.contains(QLatin1String("<!-- bottenram -->")));
}

void TestSandlundSim::endedSessionGetsCookieResetAndLoginForm()
{
    QCOMPARE(site->endSession(QStringLiteral("kalle")), 0); // nobody logged in yet
    QVERIFY(memberLogin(QStringLiteral("kalle")));
    QVERIFY(showsInbox(get(QStringLiteral("/login/community/main.asp"))));
    const QString sessionBefore = modData::cookieList(g_jar).join(QLatin1Char(';'));

    QCOMPARE(site->endSession(QStringLiteral("KALLE")), 1);
    // The keep-alive's header-only request already carries the reset.
    QCOMPARE(get(QStringLiteral("/default.asp"), true), QString());
    QCOMPARE(modData::cookieValue(g_jar, QStringLiteral("memberid")), QStringLiteral("0"));
    QVERIFY(modData::cookieList(g_jar).join(QLatin1Char(';')) != sessionBefore);
    QVERIFY(isLoginForm(get(QStringLiteral("/login/community/main.asp"))));

    // A new login works as before.
    QVERIFY(memberLogin(QStringLiteral("kalle")));
    QVERIFY(showsInbox(get(QStringLiteral("/login/community/main.asp"))));
    QCOMPARE(modData::cookieValue(g_jar, QStringLiteral("memberid")), QStringLiteral("kalle"));
}

void TestSandlundSim::otherSessionsGoOn()
{
    QVERIFY(memberLogin(QStringLiteral("anna5")));
    QVERIFY(showsInbox(get(QStringLiteral("/login/community/main.asp"))));
    QCOMPARE(site->endSession(QStringLiteral("nisse")), 0);
    const QString page = get(QStringLiteral("/login/community/main.asp"));
    QVERIFY(showsInbox(page));
    QCOMPARE(modData::cookieValue(g_jar, QStringLiteral("memberid")), QStringLiteral("anna5"));
}

QTEST_GUILESS_MAIN(TestSandlundSim)
#include "tst_sandlundsim.moc"
