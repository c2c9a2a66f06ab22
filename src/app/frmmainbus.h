#pragma once
#include <QObject>

class frmMain;

// The main window's bus object "/frmMain": lets a second start bring the
// running instance's window to the front.
class frmMainBus : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kortvik.Kortvik.frmMain")
public:
    static constexpr const char *kPath = "/frmMain";
    static constexpr const char *kInterface = "org.kortvik.Kortvik.frmMain";

    explicit frmMainBus(frmMain *window);

public slots:
    void Activate();

private:
    frmMain *m_window;
};
