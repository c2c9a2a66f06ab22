#include "simpages.h"

namespace sandlundSim {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString blanks(int n)
{
    return QString(n, QLatin1Char(' '));
}

QString utf8(const char *s)
{
    return QString::fromUtf8(s);
}

// Attribute values of the plain text inputs keep the member's text as it
// is (the client keeps entity references it finds); only a double quote
// would end the attribute early.
QString attr(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char('"'), QStringLiteral("&quot;"));
    return out;
}

// Mail texts: entities for the markup characters, "<br>" for line breaks.
QString mailText(const QString &text)
{
    QString out = htmlEscape(text);
    out.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
    out.replace(QLatin1Char('\n'), QStringLiteral("<br>"));
    return out;
}

QString pageStart(const QString &title)
{
    return QStringLiteral("<html>\r\n<head>\r\n<title>") + title
        + QStringLiteral("</title>\r\n"
                         "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\r\n"
                         "<link rel=\"stylesheet\" href=\"/sandlund.css\">\r\n"
                         "</head>\r\n<body bgcolor=\"#e7e2d3\">\r\n");
}

QString pageEnd()
{
    return QStringLiteral("</body>\r\n</html>\r\n");
}

QString rowCell(const QString &label, const QString &controls)
{
    return QStringLiteral("<tr><td class=\"text\" valign=\"top\">") + label
        + QStringLiteral("</td><td class=\"text\">") + kCrLf + controls + kCrLf
        + QStringLiteral("</td></tr>") + kCrLf;
}

} // namespace

QString htmlEscape(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '&': out += QStringLiteral("&amp;"); break;
        case '<': out += QStringLiteral("&lt;"); break;
        case '>': out += QStringLiteral("&gt;"); break;
        case '"': out += QStringLiteral("&quot;"); break;
        default: out += c;
        }
    }
    return out;
}

// ---------------------------------------------------------------- inbox

QString inboxHeadMarker()
{
    const QString nbsp = QStringLiteral("&nbsp;");
    QStringList lines;
    lines << QStringLiteral(
        "<table border=\"0\" width=\"100%\" cellspacing=\"1\" cellpadding=\"0\" class=\"text\">");
    lines << blanks(22) + QStringLiteral("<tr>");
    lines << blanks(24)
            + QStringLiteral("<td width=\"15\"  bgcolor=\"#FFD737\" align=\"left\" nowrap><font size=\"2\">")
            + nbsp.repeated(2) + QStringLiteral("</font></td>");
    lines << blanks(24)
            + QStringLiteral("<td width=\"160\" bgcolor=\"#FFD737\" nowrap ><b><font size=\"1\" "
                             "face=\"Verdana\">Tid")
            + nbsp.repeated(10) + utf8("Från</font></b></td>");
    lines << blanks(24)
            + QStringLiteral("<td width=\"100%\" bgcolor=\"#FFD737\"><b><font size=\"1\" "
                             "face=\"Verdana\">Rubrik</font></b></td>");
    lines << blanks(24)
            + QStringLiteral("<td width=\"70\" bgcolor=\"#FFD737\" nowrap align=\"right\"><b><font "
                             "size=\"1\" face=\"Verdana\">Datum</font></b></td>");
    lines << blanks(22) + QStringLiteral("</tr>");
    for (int i = 0; i < 4; ++i)
        lines << blanks(22);
    return lines.join(kCrLf);
}

QString inboxRowSeparator()
{
    return (kCrLf + blanks(22)).repeated(4);
}

QString inboxEndMarker()
{
    return kCrLf + blanks(22) + kCrLf + blanks(22) + kCrLf + blanks(22) + kCrLf + blanks(22)
        + QStringLiteral("<!-- bottenram -->") + kCrLf + blanks(22) + kCrLf + blanks(20)
        + QStringLiteral("</table>");
}

QString inboxRow(const SimIMail &m)
{
    const QString mid = QString::number(m.mid);
    const QString uid = QString::number(m.senderUid);
    const QString onClick = QStringLiteral("<td bgcolor=\"\" onClick= \"javascript:document.location.href='read.asp?mid=")
        + mid + QStringLiteral("';\"");
    // A new message's subject is bold; the site closes the bold after the link.
    const QString subject = m.isNew
        ? QStringLiteral("<b>") + mailText(m.subject) + QStringLiteral("</a></b>")
        : mailText(m.subject) + QStringLiteral("</a>");

    QStringList lines;
    lines << QStringLiteral("<tr>");
    lines << blanks(24)
            + QStringLiteral("<td bgcolor=\"\" valign=\"top\"><input type=\"checkbox\" name=\"dele\" value=\"")
            + mid + QStringLiteral("\" style=\"position: relative; width: 12; height: 12\"></td>");
    lines << blanks(24) + onClick + QStringLiteral(" class=\"rad\" valign=\"top\" >")
            + m.sentAt.toString(QStringLiteral("HH:mm"))
            + QStringLiteral(" <a href=\"javascript:visitkort(") + uid
            + QStringLiteral(")\"><img src=\"../images/vk.gif\" border=\"0\" width=\"12\" height=\"9\"></a> "
                             "<a href=\"mainpage.asp?uid=")
            + uid + QStringLiteral("\">") + mailText(m.senderName) + QStringLiteral("</a></td>");
    lines << blanks(24) + onClick + QStringLiteral(" class=\"rad\" valign=\"top\"><a href=\"read.asp?mid=")
            + mid + QStringLiteral("\">") + subject + QStringLiteral("</td>");
    lines << blanks(24) + onClick
            + QStringLiteral(" align=\"right\" class=\"rad\" valign=\"top\"><font face=\"Verdana\" color=\"#")
            + m.dateColour + QStringLiteral("\"> ") + m.sentAt.toString(QStringLiteral("yyyy-MM-dd"))
            + QStringLiteral("</font></td>");
    lines << blanks(22) + QStringLiteral("</tr>");
    return lines.join(kCrLf);
}

QString inboxTable(const QList<SimIMail> &mails)
{
    QStringList rows;
    for (const SimIMail &m : mails)
        rows << inboxRow(m);
    return inboxHeadMarker() + rows.join(inboxRowSeparator()) + inboxEndMarker();
}

QString memberMainPage(const SimMember &member)
{
    int unread = 0;
    for (const SimIMail &m : member.inbox)
        unread += m.isNew ? 1 : 0;
    QString page = pageStart(QStringLiteral("Sandlund - Min sida"));
    page += QStringLiteral("<p class=\"rubrik\">Hej ") + htmlEscape(member.firstname)
        + QStringLiteral("!</p>\r\n");
    page += utf8("<p class=\"text\">Du har ") + QString::number(member.inbox.size())
        + utf8(" iMails, varav ") + QString::number(unread) + utf8(" olästa.</p>\r\n");
    page += QStringLiteral("<form method=\"POST\" action=\"delete.asp\" name=\"inkorg\">\r\n");
    page += blanks(20) + inboxTable(member.inbox) + kCrLf;
    page += utf8("<input type=\"submit\" name=\"btnDelete\" value=\"Ta bort markerade\">\r\n");
    page += QStringLiteral("</form>\r\n");
    return page + pageEnd();
}

QString guestMainPage()
{
    return pageStart(QStringLiteral("Sandlund - Min sida"))
        + utf8("<p class=\"text\">Som gäst har du ingen iMail-låda. Bli medlem du också!</p>\r\n")
        + pageEnd();
}

// ---------------------------------------------------------------- profile

QString birthdayInput(const QString &value)
{
    return QStringLiteral("<input name=\"strBirthday\" style=\"background-color: #e7e2d3; font-family: "
                          "Verdana; font-size: 8pt; height: 19; position: relative; width: 102\" "
                          "size=\"20\" value=\"")
        + attr(value) + QStringLiteral("\">");
}

QString greetingInput(bool enabled, const QString &value)
{
    const QString head = QStringLiteral(
        "<input maxLength=\"50\" name=\"strChatWelcome\" size=\"30\" style=\"background-color: "
        "#e7e2d3; font-family: disabled Verdana; font-size: 8pt; height: 19; position: relative; "
        "width: 193\" class=\"textruta\"");
    if (!enabled)
        return head + QStringLiteral(" disabled value=\"\">");
    return head + QStringLiteral("  value=\"") + attr(value) + QStringLiteral("\">");
}

QString postalInput(const QString &value)
{
    return QStringLiteral("<input name=\"postal\" size=\"15\" style=\"BACKGROUND-COLOR: #e7e2d3; "
                          "FONT-FAMILY: Verdana; FONT-SIZE: 8pt; HEIGHT: 19px; POSITION: relative; "
                          "WIDTH: 50px\" value=\"")
        + attr(value) + QStringLiteral("\">");
}

QString radioInput(const QString &name, const QString &value, bool checked)
{
    return QStringLiteral("<input name=\"") + name + QStringLiteral("\" type=\"radio\" ")
        + (checked ? QStringLiteral("checked ") : QString()) + QStringLiteral("value=\"") + value
        + QStringLiteral("\">");
}

QString textInput(const QString &name, const QString &value)
{
    return QStringLiteral("<input type=\"text\" name=\"") + name
        + QStringLiteral("\" size=\"30\" maxlength=\"100\" class=\"textruta\" value=\"") + attr(value)
        + QStringLiteral("\">");
}

QString checkboxInput(const QString &name, bool checked)
{
    return QStringLiteral("<input type=\"checkbox\" name=\"") + name + QStringLiteral("\" value=\"1\"")
        + (checked ? QStringLiteral(" checked>") : QStringLiteral(">"));
}

QString townSelect(int selectedId)
{
    QString s = QStringLiteral("<select size=\"1\" name=\"homecity\" class=\"textruta\">") + kCrLf;
    for (const Town &t : towns()) {
        s += t.id == selectedId ? QStringLiteral("<option  selected value=") : QStringLiteral("<option  value=");
        s += QString::number(t.id) + QLatin1Char('>') + utf8(t.name) + QStringLiteral("</option>") + kCrLf;
    }
    // The page template leaves an empty line after the options.
    s += kCrLf + blanks(10) + QStringLiteral("</select>");
    return s;
}

QString profileFormPage(const SimMember &m)
{
    auto radios = [](const QString &name, const QList<QPair<int, QString>> &choices, int checkedValue) {
        QStringList lines;
        for (const auto &c : choices)
            lines << radioInput(name, QString::number(c.first), c.first == checkedValue) + c.second
                    + QStringLiteral("<br>");
        return lines.join(QStringLiteral("\r\n"));
    };
    const QString uid = QString::number(m.userid);
    const int sexValue = m.sex == QLatin1String("1") ? 1 : (m.sex == QLatin1String("2") ? 2 : 0);

    QString p = pageStart(QStringLiteral("Sandlund - Mitt visitkort"));
    p += utf8("<p class=\"rubrik\">Mitt visitkort</p>\r\n");
    p += QStringLiteral("<form method=\"POST\" action=\"visitkort_edit.asp\" name=\"visitkort\">\r\n");
    p += QStringLiteral("<input type=\"hidden\" name=\"userid\" value=\"") + uid + QStringLiteral("\">\r\n");
    p += QStringLiteral("<table border=\"0\" cellspacing=\"2\" cellpadding=\"0\">\r\n");
    p += rowCell(utf8("Förnamn:"), textInput(QStringLiteral("firstname"), m.firstname));
    p += rowCell(QStringLiteral("Efternamn:"), textInput(QStringLiteral("lastname"), m.lastname));
    // The alias is shown as HTML text, so it is escaped in full.
    p += rowCell(QStringLiteral("Alias:"),
                 QStringLiteral("<input type=\"text\" name=\"sign\" size=\"30\" maxlength=\"30\" "
                                "class=\"textruta\" value=\"")
                     + htmlEscape(m.sign) + QStringLiteral("\">"));
    p += rowCell(utf8("Företag:"), textInput(QStringLiteral("company"), m.company));
    p += rowCell(QStringLiteral("Gatuadress:"), textInput(QStringLiteral("street"), m.street));
    p += rowCell(QStringLiteral("Postnummer:"), postalInput(m.postal));
    p += rowCell(QStringLiteral("Ort:"), townSelect(m.homecity));
    p += rowCell(utf8("Kön:"), radios(QStringLiteral("sex"), {{1, utf8("Man")}, {2, utf8("Kvinna")}}, sexValue));
    p += rowCell(utf8("Ålder:"),
                 radios(QStringLiteral("age"),
                        {{1, utf8("under 15 år")}, {2, utf8("15-19 år")}, {3, utf8("20-24 år")},
                         {4, utf8("25-29 år")}, {5, utf8("30-39 år")}, {6, utf8("40-49 år")},
                         {7, utf8("50 år eller äldre")}},
                        m.age));
    p += rowCell(utf8("Civilstånd:"),
                 radios(QStringLiteral("relation"),
                        {{1, utf8("Singel")}, {2, utf8("Upptagen")}, {3, utf8("Gift/sambo")},
                         {4, utf8("Hemligt")}},
                        m.relation));
    p += rowCell(utf8("Födelsedag (åååå-mm-dd):"), birthdayInput(m.strBirthday));
    p += rowCell(QStringLiteral("Mobiltelefon:"), textInput(QStringLiteral("strMobiltelefon"), m.strMobiltelefon));
    p += rowCell(QStringLiteral("E-post:"), textInput(QStringLiteral("email"), m.email));
    p += rowCell(QStringLiteral("Hemsida:"), textInput(QStringLiteral("homepage"), m.homepage));
    p += rowCell(QStringLiteral("ICQ:"), textInput(QStringLiteral("icq"), m.icq));
    p += rowCell(QStringLiteral("Intressen:"), textInput(QStringLiteral("interests"), m.interests));
    p += rowCell(utf8("Hur hittade du hit?"), textInput(QStringLiteral("foundthis"), m.foundthis));
    QString about = m.strabout;
    about.replace(QStringLiteral("</textarea"), QStringLiteral("&lt;/textarea"), Qt::CaseInsensitive);
    p += rowCell(QStringLiteral("Om mig:"),
                 QStringLiteral("<textarea name=\"strabout\" rows=\"6\" cols=\"45\" class=\"textruta\">")
                     + about + QStringLiteral("</textarea>"));
    p += rowCell(utf8("Hälsningsfras i chatten:"), greetingInput(m.greetingEnabled, m.strChatWelcome));
    p += rowCell(QStringLiteral("E-post från Sandlund:"),
                 checkboxInput(QStringLiteral("chk1"), m.chk1) + utf8(" Nyhetsbrev<br>\r\n")
                     + checkboxInput(QStringLiteral("chk2"), m.chk2) + utf8(" Erbjudanden från partner<br>\r\n")
                     + checkboxInput(QStringLiteral("lngHtmlMail"), m.lngHtmlMail) + utf8(" Skicka e-post som HTML<br>\r\n")
                     + checkboxInput(QStringLiteral("chk3"), m.chk3) + utf8(" Visa mig på topplistan"));
    p += rowCell(utf8("Inställningar:"),
                 checkboxInput(QStringLiteral("setup0"), m.setup0) + utf8(" Visa min e-post<br>\r\n")
                     + checkboxInput(QStringLiteral("setup1"), m.setup1) + utf8(" Visa min ålder<br>\r\n")
                     + checkboxInput(QStringLiteral("setup2"), m.setup2) + utf8(" Ta emot iMail från alla<br>\r\n")
                     + checkboxInput(QStringLiteral("setup3"), m.setup3) + utf8(" Meddela mig om nya iMails"));
    p += QStringLiteral("</table>\r\n");
    p += QStringLiteral("<input type=\"hidden\" name=\"uid\" value=\"") + uid + QStringLiteral("\">\r\n");
    p += QStringLiteral("<input type=\"submit\" name=\"btn\" value=\"Uppdatera\" class=\"knapp\">\r\n");
    p += QStringLiteral("</form>\r\n");
    return p + pageEnd();
}

// ---------------------------------------------------------------- others

QString loginRequiredPage()
{
    return pageStart(QStringLiteral("Sandlund - Logga in"))
        + utf8("<p class=\"text\">Du måste vara inloggad för att se den här sidan.</p>\r\n"
               "<form method=\"POST\" action=\"/login.asp\" name=\"login\">\r\n"
               "<input type=\"password\" name=\"losen\" size=\"10\" maxlength=\"5\" class=\"textruta\">\r\n"
               "<input type=\"submit\" name=\"btnLogin\" value=\"Logga in\" class=\"knapp\">\r\n"
               "</form>\r\n")
        + pageEnd();
}

QString welcomePage(const QString &who)
{
    return pageStart(QStringLiteral("Sandlund - Inloggad"))
        + utf8("<p class=\"rubrik\">Välkommen, ") + htmlEscape(who)
        + utf8("!</p>\r\n<p class=\"text\"><a href=\"/login/community/main.asp\">Till din sida</a></p>\r\n")
        + pageEnd();
}

QString rejectedLoginPage()
{
    return pageStart(QStringLiteral("Sandlund - Logga in"))
        + QStringLiteral("<meta http-equiv=\"refresh\" content=\"0;URL=loginrejected.asp\">\r\n"
                         "<p class=\"text\"><a href=\"loginrejected.asp\">")
        + utf8("Fortsätt</a></p>\r\n") + pageEnd();
}

QString loginRejectedInfoPage()
{
    return pageStart(QStringLiteral("Sandlund - Fel vid inloggning"))
        + utf8("<p class=\"text\">Lösenordet var fel. Försök igen.</p>\r\n") + pageEnd();
}

QString startPage()
{
    return pageStart(QStringLiteral("Sandlund - Startsida"))
        + utf8("<p class=\"rubrik\">Välkommen till Sandlund!</p>\r\n"
               "<p class=\"text\">Träffa vänner, skicka iMails och visa upp ditt visitkort.</p>\r\n")
        + pageEnd();
}

QString cookieCheckPage()
{
    return pageStart(QStringLiteral("Sandlund")) + QStringLiteral("<p class=\"text\">OK</p>\r\n") + pageEnd();
}

QString notFoundPage(const QString &path)
{
    return pageStart(QStringLiteral("Sandlund - Sidan finns inte"))
        + utf8("<p class=\"text\">Sidan ") + htmlEscape(path) + utf8(" finns inte.</p>\r\n") + pageEnd();
}

QString maintenancePage()
{
    return pageStart(utf8("Sandlund - Underhåll"))
        + utf8("<p class=\"rubrik\">Sandlund har underhåll</p>\r\n"
               "<p class=\"text\">Sidan är tillbaka om en liten stund.</p>\r\n")
        + pageEnd();
}

QString largePage(int bytes)
{
    if (bytes <= 0)
        return QString();
    const QString line = QStringLiteral(
        "<p class=\"text\">Sandlund - en plats att traffas. 0123456789 abcdefghijklmnopqrstuvwxyz</p>\r\n");
    QString out;
    out.reserve(bytes + line.size());
    while (out.size() < bytes)
        out += line;
    out.truncate(bytes);
    return out;
}

} // namespace sandlundSim
