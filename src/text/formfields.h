#pragma once
#include <QString>

// The input is found by its name attribute, ignoring case; the name is
// taken literally (a "." or "*" in it stands for itself). See inputspan.h.
namespace modGlobal {

// Value of the input named name ("" when absent, empty or blank).
QString formFieldValue(const QString &name, const QString &page);
// Whether that input's span holds the word "checked".
bool isFieldChecked(const QString &name, const QString &page);

} // namespace modGlobal
