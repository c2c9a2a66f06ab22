#pragma once
#include <QStringView>

namespace modGlobal {

// The two shapes in which the site writes a form input, seen as the
// pattern '<input.*name="N".*value="(.*)".*>' and its value-first twin,
// matched ignoring case, leftmost first, greedy, "." stopping at a line
// feed. The matcher is own code that gives the span a backtracking engine
// gives for those patterns, in time linear in the page length.
enum class FieldOrder { NameBeforeValue, ValueBeforeName };

// The whole text matched by the pattern of one order; an empty view when
// it does not match. The name is taken literally, also where a pattern
// would see special characters; a line feed in it must meet one in the
// page. An unpaired surrogate in the text counts as a character of its own
// (a regular-expression engine refuses such text altogether).
QStringView inputSpan(QStringView page, QStringView name, FieldOrder order);

// Name-before-value first; value-before-name only when that finds nothing
// anywhere in the page.
QStringView matchedInput(QStringView page, QStringView name);

} // namespace modGlobal
