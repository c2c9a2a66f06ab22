#pragma once
#include <QString>

#include <array>

#include "profile/profilerecord.h"

namespace modGlobal {

// The shown state of every control of the profile editor: what filling
// puts into them and what the member leaves in them. Positions are list
// positions, -1 for none.
struct ProfileForm {
    // "Vanligt"
    QString firstName;
    QString lastName;
    QString alias;
    QString email;
    QString chatfras;
    bool chatfrasEnabled = false;
    bool anonym = false;
    bool male = false;  // "Kille"; "Tjej" (sex "k") otherwise
    QString homepage;
    QString icq;
    // "Personligt"
    QString town;
    QString street;
    QString postal;
    QString telephone;
    QString company;
    // "Om mig"
    QString interests;
    QString presentation;
    // "Övrigt"
    QString foundThis;
    int agePosition = -1;
    bool professional = false;
    bool newsLetter = false;
    bool mailForum = false;
    bool mailHTML = false;
    bool otherMail = false;
    QString birthYear;
    QString birthMonth;
    QString birthDay;
    // "Kunskaper": level index 0..4 per subject
    std::array<int, kKnowledgeCount> knowledge{};

    bool operator==(const ProfileForm &) const = default;
};

constexpr int kAgeEntries = 8;
// The greeting box's text when the site keeps it from the member.
QString disabledGreetingText();

// What the editor shows for a record. The birth date texts stay empty:
// the pickers fill themselves from strBirthday. Levels outside 0..4 show
// as level 0.
ProfileForm profileFormFor(const ProfileRecord &record);

// The town slot whose name is exactly text, or -1. Empty slots never match.
int findTownSlot(const ProfileRecord &record, const QString &text);

enum class CommitCheck { Ok, BadTown, BadBirthDate };

// The checks that must hold before anything is copied: the town is one of
// the list (or the one shown at filling), the birth date complete or
// untouched.
CommitCheck checkProfileForm(const ProfileForm &form, const ProfileForm &filled, const ProfileRecord &record);

// Copies the form into the record (call only after checkProfileForm gave
// Ok). A control left as it was filled gives back the record's own value
// where the control cannot show every value the site has (age, relation,
// town, birth date); a chosen town moves the member to that town's id.
void commitProfileForm(const ProfileForm &form, const ProfileForm &filled, ProfileRecord &record);

} // namespace modGlobal
