#pragma once
#include <QObject>
#include <QPointer>

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

private:
    QPointer<frmHelp> m_helpWindow;
};
