#pragma once
#include <QString>

namespace modGlobal {

QString urlEncode(const QString &value);
QString htmlDecode(const QString &text);
bool containsText(const QString &text, const QString &part);
// Text between the first start marker and the next end marker; "" when
// either is absent. An empty marker means "from the start" / "to the end".
QString cutBetween(const QString &text, const QString &startMarker, const QString &endMarker);

// A tooltip that shows text exactly as it is. Qt renders any tooltip that
// looks like markup as rich text, so the text is escaped into a paragraph
// of its own, its line ends kept; past maxChars it is cut, with "…".
QString plainToolTip(const QString &text, qsizetype maxChars = 500);

} // namespace modGlobal
