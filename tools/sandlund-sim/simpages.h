#pragma once
#include <QList>
#include <QString>

#include "simmembers.h"

// The pages of the demo site, built from the fixed fragments that the
// client reads. Tests that need a realistic page (or one of its fragments)
// build it here instead of copying the markup.
namespace sandlundSim {

// Escapes & < > " for HTML text and attribute values.
QString htmlEscape(const QString &text);

// --- inbox on "/login/community/main.asp" ---------------------------------
// The table start up to the first row (ends with a line of 22 blanks).
QString inboxHeadMarker();
// What stands between two rows.
QString inboxRowSeparator();
// From the end of the last row to the end of the table.
QString inboxEndMarker();
// One row; starts with "<tr>" and ends with "</tr>" after 22 blanks.
QString inboxRow(const SimIMail &mail);
// Head, the rows joined by the separator, end.
QString inboxTable(const QList<SimIMail> &mails);
QString memberMainPage(const SimMember &member);
// The guest's start page has no inbox.
QString guestMainPage();

// --- profile form "/login/register/visitkort_edit.asp" ---------------------
QString profileFormPage(const SimMember &member);
// The town list from its opening tag to "</select>".
QString townSelect(int selectedId);
// Line of each fixed-attribute input of the form, with the value given.
QString birthdayInput(const QString &value);
QString greetingInput(bool enabled, const QString &value);
QString postalInput(const QString &value);
QString radioInput(const QString &name, const QString &value, bool checked);
QString textInput(const QString &name, const QString &value);
QString checkboxInput(const QString &name, bool checked);

// --- other pages ------------------------------------------------------------
QString loginRequiredPage();
QString welcomePage(const QString &who);
QString rejectedLoginPage();
QString loginRejectedInfoPage();
QString startPage();
QString cookieCheckPage();
QString notFoundPage(const QString &path);
// What every page is while the site is serviced: no inbox, no login form.
QString maintenancePage();
// Exactly bytes characters of plain ASCII page text.
QString largePage(int bytes);

} // namespace sandlundSim
