#pragma once
#include <QList>
#include <QString>

#include <optional>

#include "simmembers.h"

// Changes a member's inbox on a running demo site (its "/sim/inbox" pages).
namespace simInbox {

// Replaces the inbox of the member with that user id.
bool put(quint16 port, qint32 uid, const QList<sandlundSim::SimIMail> &inbox);
// Puts one row on top of it.
bool add(quint16 port, qint32 uid, const sandlundSim::SimIMail &mail);
// The inbox as the site holds it now; nullopt on any failure.
std::optional<QList<sandlundSim::SimIMail>> get(quint16 port, qint32 uid);

// A new row sent now (to the minute).
sandlundSim::SimIMail newMail(qint32 mid, const QString &subject, qint32 senderUid = 1002,
                              const QString &senderName = QStringLiteral("Anna Berg"));

} // namespace simInbox
