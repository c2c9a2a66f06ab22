#include "ljungbo/classfactory.h"

#include "ljungbo/default.h"
#include "ljungbo/module.h"

namespace Kortvik_Ljungbo {

ClassFactory &ClassFactory::instance()
{
    static ClassFactory factory;
    return factory;
}

comp::HRESULT ClassFactory::QueryInterface(const comp::Guid &iid, void **out)
{
    if (!out)
        return comp::E_POINTER;
    if (iid == comp::IID_IUnknown || iid == comp::IID_IClassFactory) {
        *out = static_cast<comp::IClassFactory *>(this);
        AddRef();
        return comp::S_OK;
    }
    *out = nullptr;
    return comp::E_NOINTERFACE;
}

std::uint32_t ClassFactory::AddRef()
{
    return static_cast<std::uint32_t>(++moduleUsage());
}

std::uint32_t ClassFactory::Release()
{
    return static_cast<std::uint32_t>(--moduleUsage());
}

comp::HRESULT ClassFactory::CreateInstance(comp::IUnknown *outer, const comp::Guid &iid, void **out)
{
    if (!out)
        return comp::E_POINTER;
    *out = nullptr;
    if (outer)
        return comp::CLASS_E_NOAGGREGATION;
    comp::HRESULT hr = comp::S_OK;
    Default *object = Default::create(&hr);
    if (!object)
        return hr;
    hr = object->QueryInterface(iid, out);
    object->Release();  // the caller's reference (if any) is the one left
    return hr;
}

comp::HRESULT ClassFactory::LockServer(bool lock)
{
    if (lock)
        ++moduleUsage();
    else
        --moduleUsage();
    return comp::S_OK;
}

} // namespace Kortvik_Ljungbo
