#pragma once
#include <QIcon>

#include "desktop/traystate.h"

// The tray's pictures, from the icon theme when it has them (installed as
// hicolor/scalable/status/org.kortvik.Kortvik-tray-*), else from SVG
// resources of our own; the new iMails mark laid over when asked for, or,
// when a badge text is given, the number of new iMails in its place.
QIcon trayIcon(TrayState::Icon state, bool newMark, const QString &badge = QString());
