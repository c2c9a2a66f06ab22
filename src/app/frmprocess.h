#pragma once
#include <QWidget>

// Hidden marker window: its caption tells later threads that the process
// is already set up. Created (loaded) but never shown.
class frmProcess : public QWidget
{
    Q_OBJECT
public:
    explicit frmProcess(QWidget *parent = nullptr);
    static QString markerCaption(quint32 processId);
};
