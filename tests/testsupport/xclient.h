#pragma once
#include <QString>

// The little of the X protocol the window tests need beyond xdotool; each
// call opens the display (":N") for itself.
namespace xclient {

// Gives the keysym (by name, e.g. "adiaeresis") a spare key of its own for
// the life of the display; running programs are told of the new keymap.
// The key code, or 0 when no key could take it.
int bindKeysym(const QString &display, const QString &keysymName);

// Asks a top-level window to close the way a window manager's close box
// does (WM_DELETE_WINDOW).
bool requestClose(const QString &display, unsigned long window);

// The mapped top-level window with exactly this title; 0 when there is none.
unsigned long findWindow(const QString &display, const QString &title);
// Waits up to timeoutMs for that window to appear.
unsigned long waitForWindow(const QString &display, const QString &title, int timeoutMs);
bool clientSize(const QString &display, unsigned long window, int *width, int *height);

} // namespace xclient
