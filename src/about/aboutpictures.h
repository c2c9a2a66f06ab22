#pragma once
#include <QCursor>
#include <QPixmap>

// The About dialog's images, drawn here rather than stored as files.
namespace aboutPictures {

// A visiting card on a heath with a pine: the dialog's picture.
QPixmap cardPicture(int width, int height);
// A 32 x 32 pointing hand; its hot spot is the tip of the finger.
QCursor handCursor();

} // namespace aboutPictures
