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
    f.male = r.sex == QStringLiteral("k");
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
    for (int i = 0; i < kTownCount; ++i) {
        if (record.towns[static_cast<size_t>(i)] == text)
            return i;
    }
    return -1;
}

namespace {

// Pickers left as filled give back a stored date, also one they could not
// show, rather than "--" or a part of it.
bool keepsStoredBirthDate(const ProfileForm &form, const ProfileForm &filled, const ProfileRecord &record)
{
    return !record.strBirthday.isEmpty() && form.birthYear == filled.birthYear
           && form.birthMonth == filled.birthMonth && form.birthDay == filled.birthDay;
}

} // namespace

CommitCheck checkProfileForm(const ProfileForm &form, const ProfileForm &filled, const ProfileRecord &record)
{
    if (findTownSlot(record, form.town) < 0)
        return CommitCheck::BadTown;
    if (!keepsStoredBirthDate(form, filled, record)
        && !joinBirthDate(form.birthYear, form.birthMonth, form.birthDay).ok)
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
    // The id goes with the name, so a member who picks a new town moves.
    if (form.town != filled.town)
        r.homecity = findTownSlot(r, form.town);
    r.homecityName = form.town;
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
    if (!keepsStoredBirthDate(form, filled, r))
        r.strBirthday = joinBirthDate(form.birthYear, form.birthMonth, form.birthDay).text;
    r.icq = form.icq;
    r.relation = form.professional ? 3 : 2;
    r.age = form.agePosition + 1;
    r.knowledgeLevels = form.knowledge;
    r.sex = form.male ? QStringLiteral("k") : QStringLiteral("m");
}

} // namespace modGlobal
