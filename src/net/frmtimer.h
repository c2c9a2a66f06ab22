#pragma once
#include <QObject>
#include <QPointer>

class QTimer;
class clsData;

// The watchdog of one exchange: a timer that reports to its clsData without
// keeping it alive. It belongs to that clsData and ends with it.
class frmTimer : public QObject
{
    Q_OBJECT
public:
    explicit frmTimer(QObject *parent = nullptr);

    void setOpener(clsData *opener);
    QTimer *tmrTimer() const { return m_tmrTimer; }

private slots:
    void tmrTimer_Timer();

private:
    QTimer *m_tmrTimer;
    QPointer<clsData> m_opener;
};
