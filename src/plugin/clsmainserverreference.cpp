#include "plugin/clsmainserverreference.h"

#include "plugin/clsmainserver.h"

clsMainServerReference::clsMainServerReference(clsMainServer *server, QObject *parent)
    : QObject(parent), m_server(server)
{
}

clsMainServer *clsMainServerReference::GetMainServerReference() const
{
    return m_server.data();
}
