#pragma once
#include <QString>

class QPainter;

// The number of new iMails on the tray icon: white figures on a red pill
// in the lower right corner, sized by the icon (size is in the painter's
// logical pixels, so a pixmap of device pixel ratio 2 gets sharper figures,
// not smaller ones). Figures that would not fit are narrowed, never made
// shorter, so "99+" stays readable at 16 pixels.
void paintTrayBadge(QPainter &p, int size, const QString &text);
