#pragma once
#include <QString>

class QWidget;

namespace modWebFunctions {

// Hands target (an address, a "mailto:" link or a file) to the desktop to
// open with its default handler. A relative file is taken from folder.
// Failures are swallowed: the caller is never told.
void openDocument(QWidget *owner, const QString &target, const QString &folder);

} // namespace modWebFunctions
