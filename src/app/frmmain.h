#pragma once
#include <QBasicTimer>
#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <memory>

#include "about/frmabout.h"
#include "session/mainview.h"
#include "session/session.h"

class IMailHandlerCall;

class QMenu;
class QMessageBox;
class QShortcut;

class QTimer;
class prgLogin;
class sttMain;

// The program's main window. It has no working area of its own: the menu
// bar, the status bar, a few shortcuts and six timers drive everything.
class frmMain : public QMainWindow, public modGlobal::MainView
{
    Q_OBJECT
public:
    // The window shows session and acts on it; session outlives the window.
    explicit frmMain(modGlobal::Session *session, QWidget *parent = nullptr);
    ~frmMain() override;

    // Client area at design, in pixels.
    static QSize designClientSize() { return {577, 443}; }
    // "Kortvik - Interface till " + the site's address.
    static QString designCaption();

    modGlobal::Session &session() const { return *m_session; }

    // Form_Load: runs once, on the first show or when called directly.
    void load();
    bool isLoaded() const { return m_loaded; }

    sttMain *statusBarPanels() const { return m_stt; }
    prgLogin *progressBar() const { return m_prg; }
    // A menu item or submenu by its name (a submenu gives its menu action).
    QAction *menuItem(const QString &name) const { return m_items.value(name); }
    QTimer *timer(const QString &name) const { return m_timers.value(name); }
    QMenu *statusPopup() const { return m_popup; }
    // The help object (class "Kortvik.clsHelp"); null until tmrSetHelp has fired.
    QObject *helpObject() const { return m_helpObject.get(); }
    // Drops the help object, which closes the help window (shut-down).
    void releaseHelpObject();
    // The About dialog while it is shown, else null.
    frmAbout *aboutDialog() const { return m_about; }

    // The layout rule run by tmrMain, resize and paint: keeps prgLogin over
    // panel 5 and shows both only while a login shows progress.
    void layoutProgress();

    // modGlobal::MainView
    void showLoginProgress(double value) override;
    QString askPassword(const QString &reason) override;

    // What the window shows of the session's signals.
    void showLoggedOut();
    void showLoginCommands(bool loginRunning);
    void showLoggingIn();
    void showLoginCancelHint();
    void showLoginRunning(bool running);
    void showMember();
    void showMemberCommands(bool member);

    // "<n> iMails (<m> nya)" in mnuIMails.
    void showIMailCounts(int count, int newCount);

public slots:
    // Brings the window to the front (asked for by a second start).
    void Activate();

    void setVisible(bool visible) override;

protected:
    bool event(QEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    // The window is drawn at most once a frame: changes that come in a burst
    // (a login's steps on a fast site) are drawn together at the frame's end.
    QBasicTimer m_frame;
    bool m_drawDue = false;
    void buildMenus();
    void buildShortcuts();
    void buildTimers();
    QAction *addItem(QMenu *menu, const QString &name, const QString &caption);
    QMenu *addSubmenu(QMenu *menu, const QString &name, const QString &caption);
    QTimer *addTimer(const QString &name, int interval, bool enabled, bool once);

    // Handlers, named after the control and its event.
    void mnuLogin_Click();
    void mnuLogout_Click();
    void mnuQuit_Click();
    void mnuIMails_Click();
    void mnuHelpP_Click();
    void mnuAbout_Click();
    void mnuRightClickStatusLogin_Click();
    void sttMain_PanelDblClick(int panel);
    void openProfileEditor(const QString &tag);
    void mnuOptionsLocalAuto_Click();
    void mnuOptionsLocalDesktop_Click();
    void sttMain_MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void tmrMain_Timer();
    void tmrLoadLogin_Timer();
    void tmrCheckIMail_Timer();
    void tmrRightClick_Timer();
    void tmrSetHelp_Timer();
    // The keys, on their press.
    void keyLogout();
    // A login the member started failed where the password dialog does not
    // come back to say so.
    void showLoginFailure(const QString &reason);
    // The keyboard back to this window once a dialog over it has gone.
    void takeKeyboardBack();

    void setMenuEnabled(const QString &name, bool enabled);
    void setMenuVisible(const QString &name, bool visible);
    void setMenuCaption(const QString &name, const QString &caption);
    void setTimerEnabled(const QString &name, bool enabled);
    void showStatusPopup(const QPoint &windowPos);

    QPointer<modGlobal::Session> m_session;
    sttMain *m_stt = nullptr;
    prgLogin *m_prg = nullptr;
    QMenu *m_popup = nullptr;
    QHash<QString, QAction *> m_items;
    QHash<QString, QTimer *> m_timers;
    QList<QTimer *> m_designEnabledTimers;
    bool m_loaded = false;
    std::unique_ptr<QObject> m_helpObject;
    // The "iMails" command goes to a handler plug-in when one answers.
    IMailHandlerCall *m_imailHandler = nullptr;
    QPointer<frmAbout> m_about;
    // Ctrl+I while "Logga in..." is hidden (during a login), when the
    // menu item's own shortcut is off.
    QShortcut *m_loginKey = nullptr;
    QPointer<QMessageBox> m_failureBox;
};
