#pragma once
#include <QDialog>

class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimer;
class QWidget;

// "Lokala inställningar": how the program logs in at start, and the
// button that deletes the stored password. Reads and writes only the
// section "autologin" of Config.ini, afresh on every opening.
class frmLocalOptions : public QDialog
{
    Q_OBJECT
public:
    explicit frmLocalOptions(QWidget *parent = nullptr);

    // Opens the dialog window-modal over mainWindow (a new one each
    // time, so the settings are read anew); one already open is raised.
    static frmLocalOptions *openDialog(QWidget *mainWindow, const QString &tag);
    static frmLocalOptions *instance();

    void setTag(const QString &tag) { m_tag = tag; }
    QString tag() const { return m_tag; }

    // Saves the chosen option as "logintype".
    void ValidateInfo();

signals:
    // The settings have been read after opening.
    void settingsLoaded();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void tmrFocus_Timer();
    void cmdOK_Click();
    void cmdDeletePassword_Click();
    // Writes a key and tells the member when the file did not take it.
    bool store(const QString &key, const QString &value);

    QString m_tag;
    bool m_shownOnce = false;
    bool m_passwordDeleted = false;
    QTabWidget *ssTab = nullptr;
    QWidget *pctAuto = nullptr;
    QRadioButton *optNoAuto = nullptr;
    QRadioButton *optIEAuto = nullptr;
    QRadioButton *optLastAuto = nullptr;
    QPushButton *cmdDeletePassword = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdSet = nullptr;
    QTimer *tmrFocus = nullptr;
};
