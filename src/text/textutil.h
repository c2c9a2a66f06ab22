#pragma once
#include <QString>

namespace modGlobal {

QString urlEncode(const QString &value);
QString htmlDecode(const QString &text);
bool containsText(const QString &text, const QString &part);
// Text between the first start marker and the next end marker; "" when
// either is absent. An empty marker means "from the start" / "to the end".
QString cutBetween(const QString &text, const QString &startMarker, const QString &endMarker);

} // namespace modGlobal
