#include "simmembers.h"

#include "siminbox.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace sandlundSim {
namespace {

QDateTime at(const char *text)
{
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd HH:mm"));
}

SimIMail mail(qint32 mid, const QString &subject, const char *when, bool isNew, const char *colour,
              qint32 senderUid, const QString &senderName)
{
    SimIMail m;
    m.mid = mid;
    m.subject = subject;
    m.sentAt = at(when);
    m.isNew = isNew;
    m.dateColour = QString::fromLatin1(colour);
    m.senderUid = senderUid;
    m.senderName = senderName;
    return m;
}

// The profile fields that a post can change, as JSON.
QJsonObject toJson(const SimMember &m)
{
    QJsonObject o;
    o[QStringLiteral("userid")] = m.userid;
    o[QStringLiteral("firstname")] = m.firstname;
    o[QStringLiteral("lastname")] = m.lastname;
    o[QStringLiteral("sign")] = m.sign;
    o[QStringLiteral("company")] = m.company;
    o[QStringLiteral("street")] = m.street;
    o[QStringLiteral("postal")] = m.postal;
    o[QStringLiteral("sex")] = m.sex;
    o[QStringLiteral("age")] = m.age;
    o[QStringLiteral("relation")] = m.relation;
    o[QStringLiteral("strMobiltelefon")] = m.strMobiltelefon;
    o[QStringLiteral("interests")] = m.interests;
    o[QStringLiteral("foundthis")] = m.foundthis;
    o[QStringLiteral("strabout")] = m.strabout;
    o[QStringLiteral("homepage")] = m.homepage;
    o[QStringLiteral("email")] = m.email;
    o[QStringLiteral("icq")] = m.icq;
    o[QStringLiteral("chk1")] = m.chk1;
    o[QStringLiteral("chk2")] = m.chk2;
    o[QStringLiteral("lngHtmlMail")] = m.lngHtmlMail;
    o[QStringLiteral("chk3")] = m.chk3;
    o[QStringLiteral("setup0")] = m.setup0;
    o[QStringLiteral("setup1")] = m.setup1;
    o[QStringLiteral("setup2")] = m.setup2;
    o[QStringLiteral("setup3")] = m.setup3;
    o[QStringLiteral("strBirthday")] = m.strBirthday;
    o[QStringLiteral("strChatWelcome")] = m.strChatWelcome;
    o[QStringLiteral("homecity")] = m.homecity;
    return o;
}

void fromJson(const QJsonObject &o, SimMember &m)
{
    auto text = [&o](const char *key, QString &field) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isString())
            field = v.toString();
    };
    auto number = [&o](const char *key, qint32 &field) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isDouble())
            field = v.toInt();
    };
    auto flag = [&o](const char *key, bool &field) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isBool())
            field = v.toBool();
    };
    text("firstname", m.firstname);
    text("lastname", m.lastname);
    text("sign", m.sign);
    text("company", m.company);
    text("street", m.street);
    text("postal", m.postal);
    text("sex", m.sex);
    number("age", m.age);
    number("relation", m.relation);
    text("strMobiltelefon", m.strMobiltelefon);
    text("interests", m.interests);
    text("foundthis", m.foundthis);
    text("strabout", m.strabout);
    text("homepage", m.homepage);
    text("email", m.email);
    text("icq", m.icq);
    flag("chk1", m.chk1);
    flag("chk2", m.chk2);
    flag("lngHtmlMail", m.lngHtmlMail);
    flag("chk3", m.chk3);
    flag("setup0", m.setup0);
    flag("setup1", m.setup1);
    flag("setup2", m.setup2);
    flag("setup3", m.setup3);
    text("strBirthday", m.strBirthday);
    text("strChatWelcome", m.strChatWelcome);
    number("homecity", m.homecity);
}

} // namespace

QList<SimMember> defaultMembers()
{
    QList<SimMember> list;

    // A member with a birth date, an enabled greeting and a sign with "&".
    SimMember kalle;
    kalle.password = QStringLiteral("kalle");
    kalle.userid = 1001;
    kalle.firstname = QStringLiteral("Kalle");
    kalle.lastname = QStringLiteral("Ek");
    kalle.sign = QStringLiteral("Kalle & Co");
    kalle.company = QStringLiteral("Ek Bygg AB");
    kalle.street = QStringLiteral("Storgatan 1");
    kalle.postal = QStringLiteral("90325");
    kalle.sex = QStringLiteral("1");
    kalle.age = 5;
    kalle.relation = 3;
    kalle.strMobiltelefon = QStringLiteral("070-1234567");
    kalle.interests = QStringLiteral("Segling, schack");
    kalle.foundthis = QStringLiteral("En vän tipsade");
    kalle.strabout = QStringLiteral("Hej!\r\nJag bor i Umeå och seglar på sommaren.");
    kalle.homepage = QStringLiteral("http://www.example.com/kalle");
    kalle.email = QStringLiteral("kalle@example.com");
    kalle.icq = QStringLiteral("123456");
    kalle.chk1 = true;
    kalle.lngHtmlMail = true;
    kalle.setup0 = true;
    kalle.setup2 = true;
    kalle.strBirthday = QStringLiteral("1975-03-21");
    kalle.greetingEnabled = true;
    kalle.strChatWelcome = QStringLiteral("Tjena!");
    kalle.homecity = 3;
    kalle.inbox = {
        mail(501, QStringLiteral("Hej Kalle"), "2003-05-17 14:32", true, "FF0000", 1002,
             QStringLiteral("Anna Berg")),
        mail(498, QStringLiteral("Rad 1\r\nRad 2"), "2003-05-16 09:05", false, "000000", 1003,
             QStringLiteral("Nils Holm")),
        mail(470, QStringLiteral("Möte & fika"), "2003-04-30 18:00", false, "008000", 1002,
             QStringLiteral("Anna Berg")),
    };
    list.append(kalle);

    // A member without a birth date.
    SimMember anna;
    anna.password = QStringLiteral("anna5");
    anna.userid = 1002;
    anna.firstname = QStringLiteral("Anna");
    anna.lastname = QStringLiteral("Berg");
    anna.sign = QStringLiteral("anna");
    anna.sex = QStringLiteral("2");
    anna.age = 3;
    anna.relation = 1;
    anna.email = QStringLiteral("anna@example.com");
    anna.chk1 = true;
    anna.greetingEnabled = true;
    anna.strChatWelcome = QStringLiteral("Hej hej");
    anna.homecity = 7;
    anna.inbox = {
        mail(502, QStringLiteral("Fika på lördag?"), "2003-05-18 10:15", true, "FF0000", 1001,
             QStringLiteral("Kalle & Co")),
        mail(488, QStringLiteral("Välkommen"), "2003-05-10 08:00", true, "FF0000", 1003,
             QStringLiteral("Nils Holm")),
    };
    list.append(anna);

    // A member whose greeting box the site shows disabled.
    SimMember nisse;
    nisse.password = QStringLiteral("nisse");
    nisse.userid = 1003;
    nisse.firstname = QStringLiteral("Nils");
    nisse.lastname = QStringLiteral("Holm");
    nisse.sign = QStringLiteral("Nisse");
    nisse.street = QStringLiteral("Åvägen 12");
    nisse.postal = QStringLiteral("97231");
    nisse.sex = QStringLiteral("1");
    nisse.age = 4;
    nisse.relation = 2;
    nisse.strBirthday = QStringLiteral("1980-05-17");
    nisse.greetingEnabled = false;
    nisse.homecity = 7;
    list.append(nisse);

    list.append(bulkInboxMember());
    return list;
}

const QList<Town> &towns()
{
    static const QList<Town> list = {
        {0, "-- Välj ort --"}, {1, "Stockholm"},  {2, "Göteborg"},    {3, "Umeå"},
        {4, "Malmö"},          {5, "Uppsala"},    {6, "Västerås"},    {7, "Luleå"},
        {8, "Örebro"},         {9, "Linköping"},  {10, "Jönköping"},  {11, "Norrköping"},
        {12, "Gävle"},         {13, "Sundsvall"}, {14, "Östersund"},  {15, "Kiruna"},
        {16, "Växjö"},         {17, "Karlstad"},  {18, "Falun"},      {19, "Visby"},
        {20, "Skellefteå"},    {21, "Piteå"},     {22, "Örnsköldsvik"}, {300, "Utlandet"},
    };
    return list;
}

MemberStore::MemberStore(const QString &dataDir)
    : m_dataDir(dataDir)
    , m_members(defaultMembers())
{
    load();
}

SimMember *MemberStore::findByPassword(const QString &password)
{
    if (password.isEmpty())
        return nullptr;
    for (SimMember &m : m_members) {
        if (m.password.compare(password, Qt::CaseInsensitive) == 0)
            return &m;
    }
    return nullptr;
}

QString MemberStore::dataFile() const
{
    return m_dataDir.isEmpty() ? QString() : QDir(m_dataDir).filePath(QStringLiteral("members.json"));
}

void MemberStore::add(const SimMember &member)
{
    if (SimMember *same = findByPassword(member.password))
        *same = member;
    else
        m_members.append(member);
}

void MemberStore::load()
{
    const QString path = dataFile();
    if (path.isEmpty())
        return;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QJsonDocument doc = QJsonDocument::fromJson(f.readAll());
    const QJsonArray arr = doc.object().value(QStringLiteral("members")).toArray();
    for (const QJsonValue &v : arr) {
        const QJsonObject o = v.toObject();
        const int uid = o.value(QStringLiteral("userid")).toInt();
        for (SimMember &m : m_members) {
            if (m.userid == uid)
                fromJson(o, m);
        }
    }
}

bool MemberStore::save() const
{
    const QString path = dataFile();
    if (path.isEmpty())
        return true;
    QDir().mkpath(m_dataDir);
    QJsonArray arr;
    for (const SimMember &m : m_members)
        arr.append(toJson(m));
    QJsonObject root;
    root[QStringLiteral("members")] = arr;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(QJsonDocument(root).toJson());
    return f.commit();
}

} // namespace sandlundSim
