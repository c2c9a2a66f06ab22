#include "plugin/clsmainserverreference.h"

#include "session/modglobal.h"

clsMainServer *clsMainServerReference::GetMainServerReference() const
{
    return modGlobal::session().mainServer;
}
