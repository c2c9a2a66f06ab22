#pragma once
#include <QObject>

class clsMainServer;

// The class that hands out the server object.
class clsMainServerReference : public QObject
{
    Q_OBJECT
public:
    explicit clsMainServerReference(QObject *parent = nullptr) : QObject(parent) {}

    // The server object of the calling thread; null on any thread but the first.
    clsMainServer *GetMainServerReference() const;
};
