#include <QTest>

#include "profile/scrapeprofile.h"
#include "profilepage.h"
#include "sessionfixture.h"
#include "simmembers.h"
#include "simpages.h"

using namespace modGlobal;
using namespace profilepage;

using TownMap = QMap<int, QString>;

namespace {

TownMap nonEmptyTowns(const ProfileRecord &p)
{
    TownMap m;
    for (int i = 0; i < kTownCount; ++i) {
        if (!p.towns[i].isEmpty())
            m.insert(i, p.towns[i]);
    }
    return m;
}

// A record with something in every field, to see what a scrape replaces.
ProfileRecord filledRecord()
{
    ProfileRecord p;
    p.userid = 77;
    for (QString *f : {&p.firstname, &p.lastname, &p.sign, &p.company, &p.street, &p.postal,
                       &p.strMobiltelefon, &p.interests, &p.foundthis, &p.strabout, &p.homepage,
                       &p.email, &p.icq, &p.strBirthday, &p.strChatWelcome, &p.homecityName})
        *f = QStringLiteral("old");
    p.sex = QStringLiteral("k");
    p.age = 6;
    p.relation = 4;
    p.homecity = 12;
    for (bool *b : {&p.chk1, &p.chk2, &p.lngHtmlMail, &p.chk3, &p.setup0, &p.setup1, &p.setup2, &p.setup3})
        *b = true;
    p.chatWelcomeEnabled = false;
    p.towns[5] = QStringLiteral("Gammal");
    p.knowledgeLevels[3] = 4;
    return p;
}

} // namespace

class TstScrapeProfile : public QObject
{
    Q_OBJECT
private slots:
    void fullPageFillsEveryField();
    void townList_data();
    void townList();
    void radioButtons_data();
    void radioButtons();
    void greeting_data();
    void greeting();
    void pageWithoutFormEmptiesTextKeepsNumbers();
    void demoSitePagesReadBack();
    void hugeSelectList();
};

void TstScrapeProfile::fullPageFillsEveryField()
{
    ProfileRecord p = filledRecord();
    scrapeProfile(fullPage(), p);
    QCOMPARE(p.firstname, QStringLiteral("Anna"));
    QCOMPARE(p.lastname, QStringLiteral("Berg"));
    QCOMPARE(p.sign, QStringLiteral("Kalle & Co"));          // decoded
    QCOMPARE(p.company, QStringLiteral("Berg &amp; Son"));   // kept as the page has it
    QCOMPARE(p.street, QStringLiteral("Storgatan 1"));
    QCOMPARE(p.postal, QStringLiteral("90325"));
    QCOMPARE(p.sex, QStringLiteral("k"));
    QCOMPARE(p.age, 3);
    QCOMPARE(p.relation, 1);
    QCOMPARE(p.strBirthday, QStringLiteral("1980-05-17"));
    QCOMPARE(p.strMobiltelefon, QStringLiteral("070-1234567"));
    QCOMPARE(p.email, QStringLiteral("anna@example.com"));
    QCOMPARE(p.homepage, QStringLiteral("http://example.com/anna"));
    QCOMPARE(p.icq, QStringLiteral("1234"));
    QCOMPARE(p.interests, QStringLiteral("Segling"));
    QCOMPARE(p.foundthis, QStringLiteral("En vän"));
    QCOMPARE(p.strabout, QStringLiteral("Rad 1\r\nRad 2 a &amp; b"));
    QCOMPARE(p.strChatWelcome, QStringLiteral("Tjena"));
    QVERIFY(p.chatWelcomeEnabled);
    const QList<bool> boxes = {p.chk1, p.chk2, p.lngHtmlMail, p.chk3, p.setup0, p.setup1, p.setup2, p.setup3};
    QCOMPARE(boxes, (QList<bool>{true, false, true, false, false, true, false, true}));
    QCOMPARE(p.homecity, 7);
    QCOMPARE(p.homecityName, QStringLiteral("Luleå"));
    QCOMPARE(nonEmptyTowns(p), (TownMap{{0, QStringLiteral("-- Välj ort --")},
                                        {3, QStringLiteral("Umeå")},
                                        {7, QStringLiteral("Luleå")},
                                        {300, QStringLiteral("Utlandet")}}));
    // Not the scrape's business.
    QCOMPARE(p.userid, 77);
    QCOMPARE(p.knowledgeLevels[3], 4);
}

void TstScrapeProfile::townList_data()
{
    QTest::addColumn<QString>("select");
    QTest::addColumn<TownMap>("towns");
    QTest::addColumn<int>("homecity");
    QTest::addColumn<QString>("homecityName");

    const QString umea = QStringLiteral("<option  value=3>Umeå</option>");
    const QString lulea = QStringLiteral("<option  selected value=7>Luleå</option>");
    const TownMap both{{3, QStringLiteral("Umeå")}, {7, QStringLiteral("Luleå")}};

    QTest::newRow("two towns, one selected") << selectList({umea, lulea}) << both << 7 << QStringLiteral("Luleå");
    QTest::newRow("ids 301 and x skipped")
        << selectList({QStringLiteral("<option  value=301>Bortom</option>"), umea,
                     QStringLiteral("<option  value=x>Ingen</option>"), lulea})
        << both << 7 << QStringLiteral("Luleå");
    QTest::newRow("negative id skipped")
        << selectList({QStringLiteral("<option  value=-1>Minus</option>"), umea, lulea}) << both << 7
        << QStringLiteral("Luleå");
    QTest::newRow("bounds 0 and 300")
        << selectList({QStringLiteral("<option  selected value=0>Noll</option>"),
                     QStringLiteral("<option  value=300>Sist</option>")})
        << TownMap{{0, QStringLiteral("Noll")}, {300, QStringLiteral("Sist")}} << 0 << QStringLiteral("Noll");
    QTest::newRow("text after the last line end is no line")
        << (QStringLiteral("<select size=\"1\" name=\"homecity\" class=\"textruta\">") + CRLF + umea + CRLF + lulea
            + CRLF + QStringLiteral("          </select>"))
        << TownMap{{3, QStringLiteral("Umeå")}} << 7 << QStringLiteral("Luleå");
    QTest::newRow("no town selected keeps the id")
        << selectList({umea}) << TownMap{{3, QStringLiteral("Umeå")}} << 12 << QString();
    QTest::newRow("selected id beyond the table keeps the id")
        << selectList({umea, QStringLiteral("<option  selected value=400>Långt bort</option>")})
        << TownMap{{3, QStringLiteral("Umeå")}} << 12 << QString();
    QTest::newRow("selected id not a number keeps the id")
        << selectList({QStringLiteral("<option  selected value=sju>Sju</option>"), umea})
        << TownMap{{3, QStringLiteral("Umeå")}} << 12 << QString();
    QTest::newRow("name of a kept id is looked up again")
        << selectList({QStringLiteral("<option  value=12>Gävle</option>")})
        << TownMap{{12, QStringLiteral("Gävle")}} << 12 << QString();
    QTest::newRow("closing tag needs ten blanks")
        << (QStringLiteral("<select size=\"1\" name=\"homecity\" class=\"textruta\">") + CRLF + lulea + CRLF + CRLF
            + QStringLiteral("         </select>"))
        << TownMap{} << 12 << QString();
    QTest::newRow("no list at all") << QString() << TownMap{} << 12 << QString();
    QTest::newRow("empty lines and foreign lines skipped")
        << selectList({QString(), QStringLiteral("<optgroup>"), umea, QString(), lulea}) << both << 7
        << QStringLiteral("Luleå");
}

void TstScrapeProfile::townList()
{
    QFETCH(QString, select);
    QFETCH(TownMap, towns);
    QFETCH(int, homecity);
    QFETCH(QString, homecityName);
    ProfileRecord p = filledRecord();
    scrapeProfile(page({select}), p);
    QCOMPARE(nonEmptyTowns(p), towns);
    QCOMPARE(p.homecity, homecity);
    QCOMPARE(p.homecityName, homecityName);
}

void TstScrapeProfile::radioButtons_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("sex");
    QTest::addColumn<int>("age");
    QTest::addColumn<int>("relation");

    // filledRecord() holds sex "k", age 6, relation 4.
    QTest::newRow("all checked")
        << QStringList{radio(QStringLiteral("sex"), QStringLiteral("2"), true),
                       radio(QStringLiteral("age"), QStringLiteral("3"), true),
                       radio(QStringLiteral("relation"), QStringLiteral("2"), true)}
        << QStringLiteral("m") << 3 << 2;
    QTest::newRow("woman") << QStringList{radio(QStringLiteral("sex"), QStringLiteral("1"), true)}
                           << QStringLiteral("k") << 6 << 4;
    QTest::newRow("first checked counts")
        << QStringList{radio(QStringLiteral("age"), QStringLiteral("1"), false),
                       radio(QStringLiteral("age"), QStringLiteral("5"), true),
                       radio(QStringLiteral("age"), QStringLiteral("7"), true)}
        << QStringLiteral("m") << 5 << 4;
    QTest::newRow("nothing checked keeps the numbers, sex becomes m")
        << QStringList{radio(QStringLiteral("sex"), QStringLiteral("1"), false),
                       radio(QStringLiteral("age"), QStringLiteral("3"), false)}
        << QStringLiteral("m") << 6 << 4;
    QTest::newRow("sex value other than 1")
        << QStringList{radio(QStringLiteral("sex"), QStringLiteral("01"), true)} << QStringLiteral("m") << 6 << 4;
    QTest::newRow("numbers that do not convert are kept")
        << QStringList{radio(QStringLiteral("age"), QStringLiteral("3x"), true),
                       radio(QStringLiteral("relation"), QString(), true)}
        << QStringLiteral("m") << 6 << 4;
    QTest::newRow("out of 32 bits is kept")
        << QStringList{radio(QStringLiteral("age"), QStringLiteral("2147483648"), true),
                       radio(QStringLiteral("relation"), QStringLiteral("-2147483648"), true)}
        << QStringLiteral("m") << 6 << -2147483647 - 1;
    QTest::newRow("attribute order matters for radio buttons")
        << QStringList{QStringLiteral("<input type=\"radio\" name=\"age\" checked value=\"2\">")}
        << QStringLiteral("m") << 6 << 4;
}

void TstScrapeProfile::radioButtons()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, sex);
    QFETCH(int, age);
    QFETCH(int, relation);
    ProfileRecord p = filledRecord();
    scrapeProfile(page(lines), p);
    QCOMPARE(p.sex, sex);
    QCOMPARE(p.age, age);
    QCOMPARE(p.relation, relation);
}

void TstScrapeProfile::greeting_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("greeting");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("enabled") << QStringList{greetingEnabled(QStringLiteral("Tjena!"))} << QStringLiteral("Tjena!")
                             << true;
    QTest::newRow("disabled") << QStringList{greetingDisabled()} << QString() << false;
    QTest::newRow("disabled wins over an enabled box")
        << QStringList{greetingEnabled(QStringLiteral("Hej")), greetingDisabled()} << QString() << false;
    QTest::newRow("no box: empty and enabled") << QStringList{} << QString() << true;
    QTest::newRow("entities kept") << QStringList{greetingEnabled(QStringLiteral("a &amp; b"))}
                                   << QStringLiteral("a &amp; b") << true;
}

void TstScrapeProfile::greeting()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, greeting);
    QFETCH(bool, enabled);
    ProfileRecord p = filledRecord();
    scrapeProfile(page(lines), p);
    QCOMPARE(p.strChatWelcome, greeting);
    QCOMPARE(p.chatWelcomeEnabled, enabled);
}

void TstScrapeProfile::pageWithoutFormEmptiesTextKeepsNumbers()
{
    // What the site answers once the session has expired.
    const QString loginPage = sandlundSim::loginRequiredPage();
    ProfileRecord p = filledRecord();
    scrapeProfile(loginPage, p);
    for (const QString *f : {&p.firstname, &p.lastname, &p.sign, &p.company, &p.street, &p.postal,
                             &p.strMobiltelefon, &p.interests, &p.foundthis, &p.strabout, &p.homepage,
                             &p.email, &p.icq, &p.strBirthday, &p.strChatWelcome, &p.homecityName})
        QCOMPARE(*f, QString());
    QCOMPARE(p.sex, QStringLiteral("m"));
    QCOMPARE(p.age, 6);
    QCOMPARE(p.relation, 4);
    QCOMPARE(p.homecity, 12);
    for (bool b : {p.chk1, p.chk2, p.lngHtmlMail, p.chk3, p.setup0, p.setup1, p.setup2, p.setup3})
        QVERIFY(!b);
    QVERIFY(nonEmptyTowns(p).isEmpty());
    QCOMPARE(p.userid, 77);
    QCOMPARE(p.knowledgeLevels[3], 4);
}

void TstScrapeProfile::demoSitePagesReadBack()
{
    for (const sandlundSim::SimMember &m : sandlundSim::defaultMembers()) {
        ProfileRecord p = filledRecord();
        scrapeProfile(sandlundSim::profileFormPage(m), p);

        ProfileRecord want = filledRecord();
        want.firstname = m.firstname;
        want.lastname = m.lastname;
        want.sign = m.sign;
        want.company = m.company;
        want.street = m.street;
        want.postal = m.postal;
        want.sex = m.sex == QStringLiteral("1") ? QStringLiteral("k") : QStringLiteral("m");
        want.age = m.age ? m.age : want.age;  // no bracket checked: kept
        want.relation = m.relation ? m.relation : want.relation;
        want.strMobiltelefon = m.strMobiltelefon;
        want.interests = m.interests;
        want.foundthis = m.foundthis;
        want.strabout = m.strabout;
        want.homepage = m.homepage;
        want.email = m.email;
        want.icq = m.icq;
        want.chk1 = m.chk1;
        want.chk2 = m.chk2;
        want.lngHtmlMail = m.lngHtmlMail;
        want.chk3 = m.chk3;
        want.setup0 = m.setup0;
        want.setup1 = m.setup1;
        want.setup2 = m.setup2;
        want.setup3 = m.setup3;
        want.strBirthday = m.strBirthday;
        want.chatWelcomeEnabled = m.greetingEnabled;
        want.strChatWelcome = m.greetingEnabled ? m.strChatWelcome : QString();
        want.homecity = m.homecity;
        want.towns = {};
        for (const sandlundSim::Town &t : sandlundSim::towns())
            want.towns[t.id] = QString::fromUtf8(t.name);
        want.homecityName = want.towns[m.homecity];
        QCOMPARE(sessionfixture::dump(p), sessionfixture::dump(want));
    }
}

void TstScrapeProfile::hugeSelectList()
{
    // A hostile list: very many lines, ids out of range and in range.
    QStringList lines;
    for (int i = 0; i < 200000; ++i)
        lines << QStringLiteral("<option  value=%1>T%1</option>").arg(i % 1000);
    ProfileRecord p;
    scrapeProfile(page({selectList(lines)}), p);
    QCOMPARE(p.towns[299], QStringLiteral("T299"));
    QCOMPARE(nonEmptyTowns(p).size(), kTownCount);
}

QTEST_APPLESS_MAIN(TstScrapeProfile)
#include "tst_scrapeprofile.moc"
