#pragma once
#include <QObject>
#include <QPointer>

class clsMainServer;

// The class that hands out the server object.
class clsMainServerReference : public QObject
{
    Q_OBJECT
public:
    explicit clsMainServerReference(clsMainServer *server, QObject *parent = nullptr);

    // The server object; null once it is gone.
    clsMainServer *GetMainServerReference() const;

private:
    QPointer<clsMainServer> m_server;
};
