#pragma once
#include <QObject>

// org.kortvik.Kortvik.IMailHandler on /IMailHandler: Kortvik's "iMails"
// menu command calls Open().
class IMailHandlerService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kortvik.Kortvik.IMailHandler")
public:
    using QObject::QObject;

public slots:
    // Answers at once; the window comes up from the event loop.
    Q_SCRIPTABLE void Open();

signals:
    void openRequested();
};
