#pragma once
#include <QObject>
#include <QPointer>
#include <QRect>

#include "help/frmhelp.h"

// The help object: owns the help window and shows it on request. Created by
// its class name; releasing it closes the window.
class clsHelp : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("ClassName", "Kortvik.clsHelp")
public:
    Q_INVOKABLE explicit clsHelp(QObject *parent = nullptr);
    ~clsHelp() override;

    // Creates the help window when there is none, and shows it.
    Q_INVOKABLE void OpenHelp();

    frmHelp *helpWindow() const { return m_helpWindow; }

    // The window beside which a new help window opens (the main window).
    void setAnchor(QWidget *anchor) { m_anchor = anchor; }
    // Where a window of frame size opens beside anchor, both in screen
    // coordinates with their frames: to its right, else to its left, else
    // on the roomier side as far out as the screen allows; level with its
    // top, kept on the screen.
    static QPoint placeBeside(const QRect &anchor, const QSize &frame, const QRect &screen);

private:
    void place(frmHelp *window) const;

    QPointer<frmHelp> m_helpWindow;
    QPointer<QWidget> m_anchor;
};
