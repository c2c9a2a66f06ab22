#pragma once
#include <QWidget>

#include "imailrow.h"

class MainServerClient;
class QLabel;
class QPushButton;
class QTreeWidget;

// The inbox window: Kortvik's inbox as the last check read it, newest first,
// new messages in bold.
class frmIMail : public QWidget
{
    Q_OBJECT
public:
    explicit frmIMail(MainServerClient *client, QWidget *parent = nullptr);

    // Closing hides the window instead of ending the program.
    void setStayRunning(bool stay) { m_stayRunning = stay; }
    // Shows the window at its stored place and brings it to the front.
    void bringUp();

    // The texts the window shows for a row and a state (tests use them too).
    static QStringList rowTexts(const IMailRow &row);
    static QString statusText(const MainServerClient &client);

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showState();
    void showRows();

    MainServerClient *m_client;
    QLabel *m_status;
    QTreeWidget *m_list;
    QPushButton *m_update;
    QPushButton *m_close;
    QString m_checkError;
    bool m_stayRunning = false;
    bool m_placed = false;
};
