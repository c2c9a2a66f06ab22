#pragma once
#include <QIcon>

// The program's icon, drawn in code (the same picture as the installed
// kortvik.svg) so that no image plug-in is needed.
QIcon kortvikIcon();
