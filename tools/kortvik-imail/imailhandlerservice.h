#pragma once
#include <QObject>

// What the handler of Kortvik's "iMails" menu command serves (its adaptor is
// generated from org.kortvik.Kortvik.IMailHandler.xml): Kortvik calls Open().
class IMailHandlerService : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

public slots:
    // Answers at once; the window comes up from the event loop.
    void Open();

signals:
    void openRequested();
};
