#pragma once
// The in-process component ABI: what a component library exports and what a
// host calls. Deliberately small: reference-counted objects, a class factory,
// and late-bound methods found by name. Interfaces are abstract classes whose
// layout is the vtable alone, so host and library only share this header.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace comp {

using HRESULT = std::int32_t;

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201u);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006u);
constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009u);
// Objects with windows must be made on the thread that runs the GUI.
constexpr HRESULT RPC_E_WRONG_THREAD = static_cast<HRESULT>(0x8001010Eu);
// No application object to own windows.
constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0u);

inline bool succeeded(HRESULT hr) { return hr >= 0; }

struct Guid {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

inline bool operator==(const Guid &a, const Guid &b)
{
    return std::memcmp(&a, &b, sizeof(Guid)) == 0;
}

// Interface identifiers.
constexpr Guid IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr Guid IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr Guid IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

class IUnknown
{
public:
    virtual HRESULT QueryInterface(const Guid &iid, void **out) = 0;
    virtual std::uint32_t AddRef() = 0;
    virtual std::uint32_t Release() = 0;

protected:
    ~IUnknown() = default;  // lifetime goes through Release only
};

class IClassFactory : public IUnknown
{
public:
    // outer must be null (no aggregation); the new object comes with one
    // reference, as the interface iid.
    virtual HRESULT CreateInstance(IUnknown *outer, const Guid &iid, void **out) = 0;
    // Keeps the library loaded while lock is true, whether objects live or not.
    virtual HRESULT LockServer(bool lock) = 0;

protected:
    ~IClassFactory() = default;
};

// Error details filled by a failing Invoke (DISP_E_EXCEPTION). Fixed-size so
// that no memory crosses between host and library.
struct ExcepInfo {
    HRESULT scode;
    char source[128];
    char description[256];
};

// Late-bound methods. Methods here take no arguments and give no result;
// that is all the components written so far need.
class IDispatch : public IUnknown
{
public:
    // Case-insensitive, as automation names are.
    virtual HRESULT GetIDOfName(const char *name, std::int32_t *dispId) = 0;
    virtual HRESULT Invoke(std::int32_t dispId, ExcepInfo *excepInfo) = 0;

protected:
    ~IDispatch() = default;
};

// The four entry points of a component library (C linkage).
using DllCanUnloadNowFn = HRESULT (*)();
using DllGetClassObjectFn = HRESULT (*)(const Guid *clsid, const Guid *iid, void **out);
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();

} // namespace comp
