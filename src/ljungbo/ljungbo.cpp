// The exported entry points of the component library.
#include <QDir>
#include <QFileInfo>

#include <dlfcn.h>

#include "ljungbo/classfactory.h"
#include "ljungbo/componentregistry.h"
#include "ljungbo/module.h"

#define LJUNGBO_EXPORT extern "C" __attribute__((visibility("default")))

namespace Kortvik_Ljungbo {

std::atomic<long> &moduleUsage()
{
    static std::atomic<long> usage{0};
    return usage;
}

namespace {

// The absolute path this library was loaded from.
QString ownPath()
{
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&moduleUsage), &info) == 0 || !info.dli_fname)
        return {};
    const QString path = QFileInfo(QString::fromLocal8Bit(info.dli_fname)).canonicalFilePath();
    return path;
}

} // namespace

} // namespace Kortvik_Ljungbo

using namespace Kortvik_Ljungbo;

LJUNGBO_EXPORT comp::HRESULT DllCanUnloadNow()
{
    return moduleUsage().load() == 0 ? comp::S_OK : comp::S_FALSE;
}

LJUNGBO_EXPORT comp::HRESULT DllGetClassObject(const comp::Guid *clsid, const comp::Guid *iid,
                                               void **out)
{
    if (!out)
        return comp::E_POINTER;
    *out = nullptr;
    if (!clsid || !iid)
        return comp::E_INVALIDARG;
    if (!(*clsid == CLSID_Default))
        return comp::CLASS_E_CLASSNOTAVAILABLE;
    return ClassFactory::instance().QueryInterface(*iid, out);
}

LJUNGBO_EXPORT comp::HRESULT DllRegisterServer()
{
    const QString path = ownPath();
    if (path.isEmpty())
        return comp::SELFREG_E_CLASS;
    comp::ComponentRecord record;
    record.progId = QString::fromLatin1(kProgIdDefault);
    record.clsid = CLSID_Default;
    record.library = path;
    return comp::writeRecord(record) ? comp::S_OK : comp::SELFREG_E_CLASS;
}

LJUNGBO_EXPORT comp::HRESULT DllUnregisterServer()
{
    return comp::removeRecord(QString::fromLatin1(kProgIdDefault)) ? comp::S_OK
                                                                    : comp::SELFREG_E_CLASS;
}
