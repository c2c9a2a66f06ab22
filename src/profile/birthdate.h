#pragma once
#include <QString>

namespace modGlobal {

constexpr int kFirstBirthYear = 1900;

// Day of the month of the day before the first of the following month;
// month 0 gives 31 (the day before 1 January).
int daysInMonth(int month, int year);

// A stored birth date as the pickers read it: exactly "yyyy-MM-dd" and a
// real calendar date; anything else is not valid.
struct BirthDate {
    bool valid = false;
    int year = 0;
    int month = 0;
    int day = 0;
};
BirthDate parseBirthDate(const QString &text);

// Position to select in a rebuilt day list of n entries when position p
// was selected before: p again when it still exists, else the last entry.
int dayIndexAfterRebuild(int previous, int n);

// The three pickers' positions as the editor last saw them (day, month,
// year); -1 is no selection.
struct DateIndexes {
    int day = -1;
    int month = -1;
    int year = -1;
    int &at(int which);
};

// Records position q for list j (0 day, 1 month, 2 year) and tells whether
// that is a change the member made (not while the editor is loading).
bool notePickerPosition(DateIndexes &last, int which, int position, bool loading);

// The committed text joined from the three selected texts: "yyyy-MM-dd",
// or "--" when none is selected. A partly chosen date has no text (ok
// false): "1990--" would spoil the site's value.
struct BirthDateText {
    bool ok = true;
    QString text;
};
BirthDateText joinBirthDate(const QString &year, const QString &month, const QString &day);

} // namespace modGlobal
