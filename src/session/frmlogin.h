#pragma once
#include <QDialog>

class QLineEdit;

// The password dialog. One instance per thread, created on first use and
// hidden (not destroyed) after each use.
class frmLogin : public QDialog
{
    Q_OBJECT
public:
    // Shows the dialog window-modal over mainWindow (may be null), waits in a
    // nested event loop until it hides itself, and returns its result text:
    // the accepted password, or "" when cancelled or closed.
    static QString askPassword(QWidget *mainWindow);
    static frmLogin *instance();  // the thread's instance, or null before first use

    QString resultText() const;  // the tag text
    void TestLogin();
};
