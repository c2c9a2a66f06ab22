#include "profile/profileform.h"

#include "profile/birthdate.h"

namespace modGlobal {

QString disabledGreetingText()
{
    return QStringLiteral("Bli bonusmedlem!");
}

ProfileForm profileFormFor(const ProfileRecord &r)
{
    ProfileForm f;
    f.firstName = r.firstname;
    f.lastName = r.lastname;
    f.alias = r.sign;
    f.email = r.email;
    f.chatfrasEnabled = r.chatWelcomeEnabled;
    f.chatfras = r.chatWelcomeEnabled ? r.strChatWelcome : disabledGreetingText();
    f.anonym = !r.chk3;
    // "k" is the site's woman ("1"), "m" its man: "Tjej" and "Kille".
    f.male = r.sex != QStringLiteral("k");
    f.homepage = r.homepage;
    f.icq = r.icq;
    // The member's current town as the site named it.
    f.town = r.homecityName;
    f.street = r.street;
    f.postal = r.postal;
    f.telephone = r.strMobiltelefon;
    f.company = r.company;
    f.interests = r.interests;
    f.presentation = r.strabout;
    f.foundThis = r.foundthis;
    f.agePosition = r.age >= 1 && r.age <= kAgeEntries ? r.age - 1 : -1;
    f.professional = r.relation == 3;
    f.newsLetter = r.chk1;
    f.mailForum = r.setup2;
    f.mailHTML = r.lngHtmlMail;
    f.otherMail = r.chk2;
    for (int i = 0; i < kKnowledgeCount; ++i) {
        const int level = r.knowledgeLevels[static_cast<size_t>(i)];
        f.knowledge[static_cast<size_t>(i)] = level >= 0 && level <= 4 ? level : 0;
    }
    return f;
}

int findTownSlot(const ProfileRecord &record, const QString &text)
{
    if (text.isEmpty())
        return -1;
    for (int i = 0; i < kTownCount; ++i) {
        if (record.towns[static_cast<size_t>(i)] == text)
            return i;
    }
    return -1;
}

namespace {

bool birthDateTouched(const ProfileForm &form, const ProfileForm &filled)
{
    return form.birthYear != filled.birthYear || form.birthMonth != filled.birthMonth
           || form.birthDay != filled.birthDay;
}

} // namespace

CommitCheck checkProfileForm(const ProfileForm &form, const ProfileForm &filled, const ProfileRecord &record)
{
    if (form.town != filled.town && findTownSlot(record, form.town) < 0)
        return CommitCheck::BadTown;
    if (birthDateTouched(form, filled)
        && !joinBirthDate(form.birthYear, form.birthMonth, form.birthDay, QString()).ok)
        return CommitCheck::BadBirthDate;
    return CommitCheck::Ok;
}

void commitProfileForm(const ProfileForm &form, const ProfileForm &filled, ProfileRecord &r)
{
    r.firstname = form.firstName;
    r.lastname = form.lastName;
    r.sign = form.alias;
    r.email = form.email;
    r.strChatWelcome = form.chatfras;
    r.street = form.street;
    r.chk3 = !form.anonym;
    if (form.town != filled.town) {
        r.homecity = findTownSlot(r, form.town);
        r.homecityName = form.town;
    }
    r.postal = form.postal;
    r.strMobiltelefon = form.telephone;
    r.company = form.company;
    r.interests = form.interests;
    r.strabout = form.presentation;
    r.homepage = form.homepage;
    r.foundthis = form.foundThis;
    r.chk1 = form.newsLetter;
    r.setup2 = form.mailForum;
    r.lngHtmlMail = form.mailHTML;
    r.chk2 = form.otherMail;
    // Untouched pickers keep the stored text, also one they could not show.
    if (birthDateTouched(form, filled))
        r.strBirthday = joinBirthDate(form.birthYear, form.birthMonth, form.birthDay, r.strBirthday).text;
    r.icq = form.icq;
    if (form.professional != filled.professional)
        r.relation = form.professional ? 3 : 2;
    if (form.agePosition != filled.agePosition)
        r.age = form.agePosition + 1;
    r.knowledgeLevels = form.knowledge;
    r.sex = form.male ? QStringLiteral("m") : QStringLiteral("k");
}

} // namespace modGlobal
