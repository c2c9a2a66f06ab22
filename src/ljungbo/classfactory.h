#pragma once
#include "ljungbo/componentabi.h"

namespace Kortvik_Ljungbo {

// The one class factory of the library (a static object: its references
// count as uses of the library, not as its lifetime).
class ClassFactory final : public comp::IClassFactory
{
public:
    static ClassFactory &instance();

    comp::HRESULT QueryInterface(const comp::Guid &iid, void **out) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;
    comp::HRESULT CreateInstance(comp::IUnknown *outer, const comp::Guid &iid, void **out) override;
    comp::HRESULT LockServer(bool lock) override;

private:
    ClassFactory() = default;
    ~ClassFactory() = default;
};

} // namespace Kortvik_Ljungbo
