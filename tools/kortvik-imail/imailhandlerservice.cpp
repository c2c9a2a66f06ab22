#include "imailhandlerservice.h"

#include <QTimer>

void IMailHandlerService::Open()
{
    QTimer::singleShot(0, this, &IMailHandlerService::openRequested);
}
