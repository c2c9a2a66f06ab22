#pragma once
#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>

#include "simmembers.h"

// Inboxes that change while the site runs, and a member with a big inbox.
namespace sandlundSim {

struct SimRequest;
struct SimResponse;
class MemberStore;

// Password of the member whose inbox holds bulkInboxRows rows.
inline constexpr char kBulkInboxPassword[] = "tusen";
inline constexpr int kBulkInboxRows = 1000;

// A member with kBulkInboxRows rows, newest first, whose subjects and names
// run through every character the site's code page can carry.
SimMember bulkInboxMember();

// A row as JSON: mid, subject, sentAt ("yyyy-MM-dd HH:mm"), isNew,
// dateColour (defaults to "FF0000" for new rows, "000000" for read ones),
// senderUid, senderName.
QJsonObject imailToJson(const SimIMail &mail);
// False when a field is missing or of the wrong type.
bool imailFromJson(const QJsonObject &object, SimIMail &mail);
QJsonArray inboxToJson(const QList<SimIMail> &inbox);

// The control pages under "/sim/inbox" (not part of the real site):
//   GET  /sim/inbox?uid=N       the member's inbox as a JSON array
//   PUT  /sim/inbox?uid=N       replaces it with the JSON array in the body
//   POST /sim/inbox?uid=N       puts the JSON row in the body on top
// False when the request is not for a control page.
bool handleInboxControl(MemberStore &store, const SimRequest &request, SimResponse &response);

} // namespace sandlundSim
