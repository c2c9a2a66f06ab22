#pragma once
#include <QPointer>
#include <QWidget>

// One dialog of a kind: asked for again, the open one comes to the front.
// A new one is made by make(), deletes itself when closed and keeps the main
// window waiting while other windows (help) stay usable; without a main
// window it keeps the whole program waiting.
template <class Dialog, class Make>
Dialog *raiseOrOpen(QPointer<Dialog> &slot, QWidget *mainWindow, Make make)
{
    if (slot) {
        slot->raise();
        slot->activateWindow();
        return slot;
    }
    slot = make();
    slot->setAttribute(Qt::WA_DeleteOnClose);
    slot->setWindowModality(mainWindow ? Qt::WindowModal : Qt::ApplicationModal);
    slot->show();
    return slot;
}
