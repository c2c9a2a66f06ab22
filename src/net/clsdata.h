#pragma once
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QTcpSocket;
class frmTimer;
namespace modData {
struct CookieJar;
}

// One HTTP exchange at a time with the site. Read() is synchronous for the
// caller but waits in a nested event loop, so the thread stays live.
//
// Objects are always owned through std::shared_ptr (create()); Read() holds
// a reference of its own while it waits, so an owner may drop or replace
// its pointer meanwhile. The last release deletes the object later from the
// event loop, never inside a running Read().
//
// The Set-Cookie lines of every answer go into the jar given to create(),
// which must outlive the object's exchanges; without a jar they are dropped.
class clsData : public QObject, public std::enable_shared_from_this<clsData>
{
    Q_OBJECT
public:
    static std::shared_ptr<clsData> create(modData::CookieJar *jar);
    ~clsData() override;

    // Event mode: results are raised as signals instead of read back by Read().
    void Connect();
    QString Read(const QString &Address, const QStringList &varCookies, const QString &strPost,
                 const QString &strReferer, bool OnlyHeader = false, QString *TheHeader = nullptr);
    void CloseCon(bool ForceError = false);
    void QData();

    // The longest one Read may take in all, 5 minutes unless set otherwise
    // (tests); 0 or less restores the 5 minutes. Applies to Reads started later.
    static void setExchangeLimit(int ms);
    static int exchangeLimit();

    // exchangeState: 0 running, -1 failed, -2 finished.
    int exchangeState() const { return m_exchangeState; }
    QString receivedHeader() const { return m_receivedHeader; }

signals:
    // The events of event mode (raised only after Connect()).
    void Error(short Number, const QString &Description, int Scode, const QString &Source,
               const QString &HelpFile, int HelpContext, bool *CancelDisplay);
    void ErrorU();
    void Connected(QString *Address, QStringList *varCookies, QString *strPost, QString *strReferer);
    void Closed(const QString &Data);

private:
    explicit clsData(modData::CookieJar *jar);
    friend class frmTimer;
    void onTimeout();

    struct Impl;
    std::unique_ptr<Impl> d;
    int m_exchangeState = 0;
    QString m_receivedHeader;
};
