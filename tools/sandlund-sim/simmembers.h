#pragma once
#include <QDateTime>
#include <QList>
#include <QString>

#include <array>
#include <optional>

// The members the demo site knows, their profiles and inboxes.
namespace sandlundSim {

// The site's guest password; the guest has no profile and no inbox.
inline constexpr char kGuestPassword[] = "bvolk";

struct SimIMail {
    qint32 mid = 0;
    QString subject;      // plain text; line breaks as CR LF
    QDateTime sentAt;     // minute precision
    bool isNew = false;
    QString dateColour;   // six hex digits without '#'
    qint32 senderUid = 0;
    QString senderName;   // plain text
};

// Field names are the site's form field names; texts are stored as posted.
struct SimMember {
    QString password;     // five characters, compared without regard to case
    qint32 userid = 0;
    QString firstname;
    QString lastname;
    QString sign;
    QString company;
    QString street;
    QString postal;
    QString sex;          // the site's value: "1" woman, "2" man
    qint32 age = 0;       // 0: no bracket chosen
    qint32 relation = 0;  // 0: none chosen
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
    QString strBirthday;  // yyyy-MM-dd or ""
    bool greetingEnabled = true;
    QString strChatWelcome;
    qint32 homecity = 0;
    QList<SimIMail> inbox;
};

// The members a fresh site starts with.
QList<SimMember> defaultMembers();

struct Town {
    int id;
    const char *name; // UTF-8
};
// The site's town list in page order.
const QList<Town> &towns();

// Members by password, with the changes of profile posts kept in a JSON
// file when a data folder is given.
class MemberStore
{
public:
    explicit MemberStore(const QString &dataDir = QString());

    // nullptr when no member has that password (any letter case).
    SimMember *findByPassword(const QString &password);
    // Takes the place of the member with the same password, or joins.
    void add(const SimMember &member);
    const QList<SimMember> &members() const { return m_members; }

    // Writes the profiles to the data folder, when there is one.
    bool save() const;
    QString dataFile() const;

private:
    void load();
    QString m_dataDir;
    QList<SimMember> m_members;
};

} // namespace sandlundSim
