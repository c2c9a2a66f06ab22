#pragma once
#include <QString>

namespace modGlobal {

// Length of a password in characters as the user sees them: QString::size()
// counts UTF-16 units, so a character outside the Basic Multilingual Plane
// (an emoji) would count twice.
inline int passwordLength(const QString &text)
{
    int n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!text.at(i).isLowSurrogate() || i == 0 || !text.at(i - 1).isHighSurrogate())
            ++n;
    }
    return n;
}

} // namespace modGlobal
