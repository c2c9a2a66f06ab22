#include "profile/scrapeprofile.h"

#include "text/formfields.h"
#include "text/textutil.h"

namespace modGlobal {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The site's radio buttons, select list and fixed-layout inputs are read by
// these literal fragments, byte for byte as the form writes them.
const QString kSexChecked = QStringLiteral("<input name=\"sex\" type=\"radio\" checked value=\"");
const QString kAgeChecked = QStringLiteral("<input name=\"age\" type=\"radio\" checked value=\"");
const QString kRelationChecked =
    QStringLiteral("<input name=\"relation\" type=\"radio\" checked value=\"");
const QString kBirthday = QStringLiteral(
    "<input name=\"strBirthday\" style=\"background-color: #e7e2d3; font-family: Verdana; "
    "font-size: 8pt; height: 19; position: relative; width: 102\" size=\"20\" value=\"");
const QString kGreetingDisabled = QStringLiteral(
    "<input maxLength=\"50\" name=\"strChatWelcome\" size=\"30\" style=\"background-color: "
    "#e7e2d3; font-family: disabled Verdana; font-size: 8pt; height: 19; position: relative; "
    "width: 193\" class=\"textruta\" disabled value=\"\">");
const QString kGreetingEnabled = QStringLiteral(
    "<input maxLength=\"50\" name=\"strChatWelcome\" size=\"30\" style=\"background-color: "
    "#e7e2d3; font-family: disabled Verdana; font-size: 8pt; height: 19; position: relative; "
    "width: 193\" class=\"textruta\"  value=\"");
const QString kSelectStart =
    QStringLiteral("<select size=\"1\" name=\"homecity\" class=\"textruta\">\r\n");
const QString kSelectEnd = QStringLiteral("\r\n          </select>");
const QString kSelectedOption = QStringLiteral("<option  selected value=");
const QString kSelected = QStringLiteral("<option  selected");
const QString kOption = QStringLiteral("<option  value=");
const QString kPostal = QStringLiteral(
    "<input name=\"postal\" size=\"15\" style=\"BACKGROUND-COLOR: #e7e2d3; FONT-FAMILY: "
    "Verdana; FONT-SIZE: 8pt; HEIGHT: 19px; POSITION: relative; WIDTH: 50px\" value=\"");
const QString kValueEnd = QStringLiteral("\">");

// A 32-bit integer in decimal, blanks around it allowed; false leaves
// target alone, so a field that cannot be read keeps its value.
bool convertInto(const QString &text, qint32 &target)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (ok)
        target = value;
    return ok;
}

// The town list, one option per CR LF ended line.
void readTowns(const QString &select, ProfileRecord &p)
{
    for (QString &town : p.towns)
        town.clear();
    const QStringView rest(select);
    qsizetype pos = 0;
    // Walk by positions instead of copying the remainder for every line.
    while (pos < rest.size() && rest.mid(pos) != kCrLf) {
        const qsizetype eol = rest.indexOf(kCrLf, pos);
        if (eol < 0)
            break;  // text after the last CR LF is no line
        const QString line = rest.mid(pos, eol - pos).toString();
        pos = eol + kCrLf.size();

        const QString idText = containsText(line, kSelected)
                                   ? cutBetween(line, kSelectedOption, QStringLiteral(">"))
                                   : cutBetween(line, kOption, QStringLiteral(">"));
        qint32 id = -1;
        if (!convertInto(idText, id) || id < 0 || id >= kTownCount)
            continue;
        p.towns[static_cast<size_t>(id)] =
            cutBetween(line, QStringLiteral(">"), QStringLiteral("</option>"));
    }
}

} // namespace

void scrapeProfile(const QString &page, ProfileRecord &p)
{
    p.firstname = formFieldValue(QStringLiteral("firstname"), page);
    p.lastname = formFieldValue(QStringLiteral("lastname"), page);
    p.sign = formFieldValue(QStringLiteral("sign"), page);
    p.company = formFieldValue(QStringLiteral("company"), page);
    p.street = formFieldValue(QStringLiteral("street"), page);

    p.sex = cutBetween(page, kSexChecked, QStringLiteral("\"")) == QStringLiteral("1")
                ? QStringLiteral("k")
                : QStringLiteral("m");
    convertInto(cutBetween(page, kAgeChecked, QStringLiteral("\"")), p.age);
    convertInto(cutBetween(page, kRelationChecked, QStringLiteral("\"")), p.relation);

    p.strMobiltelefon = formFieldValue(QStringLiteral("strMobiltelefon"), page);
    p.interests = formFieldValue(QStringLiteral("interests"), page);
    p.foundthis = formFieldValue(QStringLiteral("foundthis"), page);
    p.strabout = cutBetween(cutBetween(page, QStringLiteral("<textarea"), QString()),
                            QStringLiteral(">"), QStringLiteral("</textarea>"));
    p.homepage = formFieldValue(QStringLiteral("homepage"), page);
    p.email = formFieldValue(QStringLiteral("email"), page);
    p.icq = formFieldValue(QStringLiteral("icq"), page);
    p.chk1 = isFieldChecked(QStringLiteral("chk1"), page);
    p.chk2 = isFieldChecked(QStringLiteral("chk2"), page);
    p.lngHtmlMail = isFieldChecked(QStringLiteral("lngHtmlMail"), page);
    p.chk3 = isFieldChecked(QStringLiteral("chk3"), page);
    p.setup0 = isFieldChecked(QStringLiteral("setup0"), page);
    p.setup1 = isFieldChecked(QStringLiteral("setup1"), page);
    p.setup2 = isFieldChecked(QStringLiteral("setup2"), page);
    p.setup3 = isFieldChecked(QStringLiteral("setup3"), page);

    p.strBirthday = cutBetween(page, kBirthday, kValueEnd);
    if (containsText(page, kGreetingDisabled)) {
        p.strChatWelcome.clear();
        p.chatWelcomeEnabled = false;
    } else {
        p.strChatWelcome = cutBetween(page, kGreetingEnabled, kValueEnd);
        p.chatWelcomeEnabled = true;
    }

    const QString select = cutBetween(page, kSelectStart, kSelectEnd);
    // The editor indexes the town table by this id: only an id of the
    // table's range is taken.
    qint32 homecity = p.homecity;
    if (convertInto(cutBetween(select, kSelectedOption, QStringLiteral(">")), homecity)
        && homecity >= 0 && homecity < kTownCount)
        p.homecity = homecity;
    p.homecityName = cutBetween(select, kSelectedOption + QString::number(p.homecity) + u'>',
                                QStringLiteral("</option>"));
    readTowns(select, p);
    p.postal = cutBetween(page, kPostal, kValueEnd);

    p.sign = htmlDecode(p.sign);
}

} // namespace modGlobal
