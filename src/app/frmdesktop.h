#pragma once
#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLabel;
class QPushButton;
class QTabWidget;

// "Skrivbord": the program on the desktop. Starting with the desktop (the
// autostart entry), notifications ([Kortvik] notify) and where the stored
// password is kept ([Kortvik] keyring). Read afresh on every opening.
class frmDesktop : public QDialog
{
    Q_OBJECT
public:
    // command: what the autostart entry runs (the program and its arguments).
    explicit frmDesktop(const QStringList &command, QWidget *parent = nullptr);

    // Opens the dialog window-modal over mainWindow; one already open is raised.
    static frmDesktop *openDialog(QWidget *mainWindow, const QStringList &command);
    static frmDesktop *instance();

    // The keyring's line: empty, or why the password stays in Config.ini.
    QString keyringStatus() const;

    static QString unreachableText();

signals:
    // The settings have been read after opening.
    void settingsLoaded();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void load();
    void cmdOK_Click();
    // Saves what changed; false (the dialog stays) when something was not saved.
    bool save();
    void showKeyringStatus();
    void tell(const QString &text);

    QStringList m_command;
    bool m_shownOnce = false;
    bool m_autostart = false;
    bool m_notify = true;
    bool m_keyring = true;
    QTabWidget *ssTab = nullptr;
    QCheckBox *chkAutostart = nullptr;
    QCheckBox *chkNotify = nullptr;
    QCheckBox *chkKeyring = nullptr;
    QLabel *lblKeyring = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
};
