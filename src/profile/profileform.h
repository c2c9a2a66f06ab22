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
    bool male = false;  // "Kille" (sex "k"); "Tjej" otherwise
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

// The first of the 301 town slots whose name is exactly text (case
// counts), or -1. Empty slots take part, so an empty text finds the first
// empty slot.
int findTownSlot(const ProfileRecord &record, const QString &text);

enum class CommitCheck { Ok, BadTown, BadBirthDate };

// The checks that must hold before anything is copied: the town text names
// a slot, and the birth date is complete, empty, or the untouched stored one.
CommitCheck checkProfileForm(const ProfileForm &form, const ProfileForm &filled, const ProfileRecord &record);

// Copies the form into the record (call only after checkProfileForm gave
// Ok). A town the member changed moves them to the slot found for it; an
// unchanged one keeps its id. Untouched pickers give back a stored birth
// date they could not show.
void commitProfileForm(const ProfileForm &form, const ProfileForm &filled, ProfileRecord &record);

} // namespace modGlobal
