#include "app/frmprocess.h"

frmProcess::frmProcess(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmProcess"));
    setWindowTitle(QStringLiteral("Form1"));
}

QString frmProcess::markerCaption(quint32 processId)
{
    return QStringLiteral("ApartmentDemoProcessWindow") + QString::number(processId);
}
