#pragma once
#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;

// "Om Kortvik...": what the program is for, its version and the author's
// address as a mail link.
class frmAbout : public QDialog
{
    Q_OBJECT
public:
    // Opens a document or an address for owner, with a working folder.
    using Opener = std::function<void(QWidget *owner, const QString &target, const QString &folder)>;

    explicit frmAbout(QWidget *parent = nullptr);

    // The about text from its pieces.
    static QString aboutText();
    // What the mail link opens.
    static QString mailLink();
    // Replaces the shell open helper (tests); an empty
    // opener brings the helper back.
    static void setOpener(Opener opener);

protected:
    bool event(QEvent *event) override;
    void fitAboutText();
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void setLinkUnderlined(bool underlined);
    void lblEMail_MouseUp(Qt::MouseButton button, const QPoint &pos);

    QPushButton *cmdOK = nullptr;
    QLabel *lblAbout = nullptr;
    QLabel *lblVersionText = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblEMailText = nullptr;
    QLabel *lblEMail = nullptr;
    QLabel *Image1 = nullptr;
};
