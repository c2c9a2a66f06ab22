#pragma once
#include <QString>

#include <array>

namespace modGlobal {

constexpr int kTownCount = 301;      // town ids 0..300
constexpr int kKnowledgeCount = 11;  // subjects 0..10

// The member's profile; field names are the site's form field names.
struct ProfileRecord {
    qint32 userid = 0;
    QString firstname;
    QString lastname;
    QString sign;
    QString company;
    QString street;
    QString postal;
    QString sex;  // "k" or "m"
    qint32 age = 0;
    qint32 relation = 0;
    QString strMobiltelefon;
    QString interests;
    QString foundthis;
    QString strabout;
    QString homepage;
    QString email;
    QString icq;
    bool chk1 = false;
    bool chk2 = false;
    bool lngHtmlMail = false;
    bool chk3 = false;
    bool setup0 = false;
    bool setup1 = false;
    bool setup2 = false;
    bool setup3 = false;
    QString strBirthday;
    QString strChatWelcome;
    bool chatWelcomeEnabled = false;
    qint32 homecity = 0;
    QString homecityName;
    std::array<QString, kTownCount> towns;
    std::array<int, kKnowledgeCount> knowledgeLevels{};

    bool operator==(const ProfileRecord &) const = default;
};

} // namespace modGlobal
