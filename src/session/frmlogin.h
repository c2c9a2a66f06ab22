#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The password dialog. One instance, created on first use and
// hidden (not destroyed) after each use.
class frmLogin : public QDialog
{
    Q_OBJECT
public:
    // Shows the dialog window-modal over mainWindow (may be null), waits in a
    // nested event loop until it hides itself, and returns its result text:
    // the accepted password, or "" when cancelled or closed. reason is shown
    // above the box for this showing only ("" shows no line).
    static QString askPassword(QWidget *mainWindow, const QString &reason = QString());
    static frmLogin *instance();  // the instance, or null before first use

    QString resultText() const;  // the tag text
    void TestLogin();

    // Escape, "Avbryt" and the close box: empty result, hidden.
    void reject() override;

signals:
    void hidden();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    explicit frmLogin(QWidget *parent);
    void updateMask(const QString &text);
    void tellUser(const QString &title, const QString &text);
    void showReason(const QString &reason);

    // Why the dialog asks again (a rejected password, an unreachable site).
    QLabel *lblReason = nullptr;
    QLabel *lblPassword = nullptr;
    QLineEdit *txtPassword = nullptr;
    QLabel *lblOK = nullptr;
    QPushButton *cmdOK = nullptr;
    QLabel *lblCancel = nullptr;
    QPushButton *cmdCancel = nullptr;
    QString m_tag;
    bool m_waiting = false;
};
