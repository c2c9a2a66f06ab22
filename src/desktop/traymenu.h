#pragma once
#include <QHash>

#include "desktop/traystate.h"

class QAction;
class QMenu;

// Fills the tray's menu from the state; the entries are returned by kind
// (every iMail row under Kind::IMail), so the caller can hand them to the
// main window's commands.
QMultiHash<TrayState::MenuEntry::Kind, QAction *> fillTrayMenu(QMenu *menu, const TrayState &state);
