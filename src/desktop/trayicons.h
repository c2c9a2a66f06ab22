#pragma once
#include <QIcon>

#include "desktop/traystate.h"

// The tray's pictures (SVG resources of our own), rendered with the new
// iMails mark laid over the state's picture when asked for.
QIcon trayIcon(TrayState::Icon state, bool newMark);
