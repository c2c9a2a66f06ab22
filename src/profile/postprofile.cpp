#include "profile/postprofile.h"

#include "text/textutil.h"

namespace modGlobal {

QString profilePostBody(const ProfileRecord &p)
{
    QString body;
    body.reserve(512 + p.strabout.size() * 3);
    const auto text = [&body](const char16_t *piece, const QString &value) {
        body += QStringView(piece);
        body += urlEncode(value);
    };
    const auto number = [&body](const char16_t *piece, qint32 value) {
        body += QStringView(piece);
        body += QString::number(value);
    };
    const auto box = [&body](const char16_t *piece, bool checked) {
        if (checked)
            body += QStringView(piece);
    };

    text(u"strBirthday=", p.strBirthday);
    text(u"&firstname=", p.firstname);
    text(u"&company=", p.company);
    text(u"&lastname=", p.lastname);
    text(u"&sign=", p.sign);
    text(u"&street=", p.street);
    number(u"&sex=", p.sex == QStringLiteral("k") ? 1 : 2);
    text(u"&postal=", p.postal);
    number(u"&age=", p.age);
    text(u"&strMobiltelefon=", p.strMobiltelefon);
    number(u"&relation=", p.relation);
    text(u"&interests=", p.interests);
    text(u"&foundthis=", p.foundthis);
    number(u"&homecity=", p.homecity);
    text(u"&strabout=", p.strabout);
    text(u"&homepage=", p.homepage);
    text(u"&email=", p.email);
    text(u"&icq=", p.icq);
    box(u"&chk1=1", p.chk1);
    box(u"&chk2=1", p.chk2);
    box(u"&lngHtmlMail=1", p.lngHtmlMail);
    box(u"&chk3=1", p.chk3);
    box(u"&setup0=1", p.setup0);
    box(u"&setup1=1", p.setup1);
    box(u"&setup2=1", p.setup2);
    box(u"&setup3=1", p.setup3);
    number(u"&btn=Uppdatera&uid=", p.userid);
    // A disabled greeting box is not part of the site's form submission.
    if (p.chatWelcomeEnabled)
        text(u"&strChatWelcome=", p.strChatWelcome);
    return body;
}

} // namespace modGlobal
