#pragma once

class QWidget;

// Brings a shown top-level window to the front and gives it the keyboard.
// Qt stamps its focus request with the time of the last event it saw; an
// idle program asked over the bus may hold a time older than the last focus
// change, and without a window manager the X server then ignores the
// request. On X11 the focus is also set with the server's current time.
void activateTopLevel(QWidget *window);
