#pragma once
#include <QDialog>
#include <QList>

#include <array>

#include "profile/birthdate.h"
#include "profile/profileform.h"
#include "profile/profilelink.h"

class KnowledgeBar;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimer;
class QWidget;
class SimpleCombo;

// "Ändra dina inställningar på Sandlund": the member's profile on five
// tabs. It reads and sends the profile only through its ProfileLink and
// shows a progress dialog for each transfer. An enabled "Verkställ" is
// the flag for changes not yet sent.
class frmSetUserData : public QDialog
{
    Q_OBJECT
public:
    frmSetUserData(QWidget *parent, const modGlobal::ProfileLink &link);
    ~frmSetUserData() override;

    // Opens the editor window-modal over mainWindow on the tab of
    // the opening word; an editor already open is brought to the front.
    static frmSetUserData *openEditor(QWidget *mainWindow, const modGlobal::ProfileLink &link,
                                      const QString &tag);
    static frmSetUserData *instance();

    // The opening word: "normal", "personal", "about", "other", "knowledge".
    void setTag(const QString &tag) { m_tag = tag; }
    QString tag() const { return m_tag; }
    static int tabForTag(const QString &tag);

    void updateFromServer();
    bool ValidateInfo();
    void Validate(int &keyCode);
    // The option buttons of level index k (0..4), by subject; empty otherwise.
    QList<QRadioButton *> knowledgeOptions(int level) const;
    void drawKnowledgeBars();

    bool isLoading() const { return m_loading; }
    const modGlobal::DateIndexes &lastDateIndex() const { return m_lastDate; }
    // What the controls show now.
    modGlobal::ProfileForm currentForm() const;
    KnowledgeBar *knowledgeBar(int subject) const;

    // "Avbryt", Escape and the close box; refused while a transfer runs.
    void reject() override;

signals:
    // The first fill after opening is done.
    void opened();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildTabNormal(QWidget *page);
    void buildTabPersonal(QWidget *page);
    void buildTabAbout(QWidget *page);
    void buildTabOther(QWidget *page);
    void buildTabKnowledge(QWidget *page);
    void buildButtons();
    void trackChanges();
    void markChanged();
    void fillControls(const modGlobal::ProfileRecord &record);
    // Fetches, or posts edited when given.
    bool runTransfer(const modGlobal::ProfileRecord *edited);
    void tell(const QString &title, const QString &text);

    // Birth date pickers.
    void fillBirthDate(const QString &stored);
    void cmbBirthYear_Click();
    void cmbBirthMonth_Click();
    void cmbBirthDay_Click();
    void fillMonths();
    void fillDays(int n, int select);
    int selectedYear() const;

    void tmrFocus_Timer();
    void cmdOK_Click();
    void cmdSet_Click();
    void cmdUpdate_Click();
    void cmdPersonalInfo_Click();
    void cmdBirthInfo_Click();

    modGlobal::ProfileLink m_link;
    QString m_tag;
    bool m_loading = false;
    bool m_busy = false;
    bool m_shownOnce = false;
    modGlobal::DateIndexes m_lastDate;
    modGlobal::BirthDate m_storedDate;  // what the loading cascade selects
    modGlobal::ProfileForm m_filled;    // the controls as last filled or sent

    QTabWidget *ssTab = nullptr;
    QTimer *tmrFocus = nullptr;
    // "Vanligt"
    QLineEdit *txtFirstName = nullptr;
    QLineEdit *txtLastName = nullptr;
    QLineEdit *txtAlias = nullptr;
    QLineEdit *txtEMail = nullptr;
    QLineEdit *txtChatfras = nullptr;
    QCheckBox *chkAnonym = nullptr;
    QRadioButton *optMale = nullptr;
    QRadioButton *optFemale = nullptr;
    QLineEdit *txtHomepage = nullptr;
    QLineEdit *txtICQ = nullptr;
    // "Personligt"
    SimpleCombo *cmbTown = nullptr;
    QLineEdit *txtStreet = nullptr;
    QLineEdit *txtPostal = nullptr;
    QLineEdit *txtTelephone = nullptr;
    QLineEdit *txtCompany = nullptr;
    QPushButton *cmdPersonalInfo = nullptr;
    // "Om mig"
    QLineEdit *txtInterests = nullptr;
    QPlainTextEdit *txtPresentation = nullptr;
    // "Övrigt"
    QLineEdit *txtFoundThis = nullptr;
    QComboBox *cmbAge = nullptr;
    QCheckBox *chkProfessional = nullptr;
    QCheckBox *chkNewsLetter = nullptr;
    QCheckBox *chkMailForum = nullptr;
    QCheckBox *chkMailHTML = nullptr;
    QCheckBox *chkOtherMail = nullptr;
    QComboBox *cmbBirthYear = nullptr;
    QComboBox *cmbBirthMonth = nullptr;
    QComboBox *cmbBirthDay = nullptr;
    QPushButton *cmdBirthInfo = nullptr;
    // "Kunskaper": [level][subject]
    std::array<std::array<QRadioButton *, modGlobal::kKnowledgeCount>, 5> optKnowledge{};
    std::array<KnowledgeBar *, modGlobal::kKnowledgeCount> pctKnowledgePic{};
    // Buttons
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;
    QPushButton *cmdSet = nullptr;
    QPushButton *cmdUpdate = nullptr;
};
