#pragma once
#include <QDialog>

#include <functional>

#include "profile/waitbounce.h"

class QLabel;
class QProgressBar;
class QTimer;

// "Vänta..." while the profile is read from the site. The dialog runs the
// transfer itself, once, from tmrGet, and closes when it is done. Closing
// it by hand meanwhile only hides it: the transfer cannot be recalled.
class frmWaitUserData : public QDialog
{
    Q_OBJECT
public:
    using Transfer = std::function<bool()>;

    frmWaitUserData(QWidget *parent, Transfer transfer);
    ~frmWaitUserData() override;

    // Shows a dialog window-modal over parent, lets the event loop run until
    // its transfer has ended and gives the transfer's result.
    static bool run(frmWaitUserData *dialog);

    bool isTransferring() const { return m_running; }
    bool isDone() const { return m_done; }
    bool result() const { return m_result; }
    const modGlobal::WaitBounce &bounce() const { return m_bounce; }

signals:
    void transferFinished(bool ok);

protected:
    frmWaitUserData(QWidget *parent, Transfer transfer, const QString &name, const QString &label);
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void tmrGet_Timer();
    void tmrWait_Timer();
    void showBounce();

    QLabel *lblWait = nullptr;
    QProgressBar *prgWait = nullptr;
    QTimer *tmrGet = nullptr;
    QTimer *tmrWait = nullptr;
    Transfer m_transfer;
    modGlobal::WaitBounce m_bounce;
    bool m_running = false;
    bool m_done = false;
    bool m_result = false;
};
