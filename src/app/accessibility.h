#pragma once

class QWidget;

// What assistive technology (a screen reader through AT-SPI) is shown of
// the program.

// Makes the program's windows known to assistive technology less those
// hidden below. Call once, after the application object exists and before
// any window is made accessible.
void installAccessibility();

// Leaves a top-level window out of what assistive technology sees: for
// windows that exist only for other programs to find, never for a user.
void hideFromAssistiveTechnology(QWidget *window);
