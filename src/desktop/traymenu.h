#pragma once
#include <QHash>

#include "desktop/traystate.h"

class QAction;
class QMenu;

// Fills the tray's menu from the state; the command entries are returned
// by kind, so the caller can hand them to the main window's commands.
QHash<TrayState::MenuEntry::Kind, QAction *> fillTrayMenu(QMenu *menu, const TrayState &state);
