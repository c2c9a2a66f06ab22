#pragma once
#include <QPointer>

#include <atomic>

#include "ljungbo/componentabi.h"
#include "ljungbo/module.h"

namespace Kortvik_Ljungbo {

class Form1;

// Kortvik_Ljungbo.Default: owns one Form1 from creation to the last Release.
class Default final : public comp::IDispatch
{
public:
    enum DispId : std::int32_t { DISPID_Test = 1 };

    // Creates the object with its hidden window; a null result means the
    // window could not be made here and *hr says why.
    static Default *create(comp::HRESULT *hr);

    comp::HRESULT QueryInterface(const comp::Guid &iid, void **out) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;
    comp::HRESULT GetIDOfName(const char *name, std::int32_t *dispId) override;
    comp::HRESULT Invoke(std::int32_t dispId, comp::ExcepInfo *excepInfo) override;

    // Shows the window, not modal and without owner.
    comp::HRESULT Test(comp::ExcepInfo *excepInfo);

private:
    Default();
    ~Default();

    std::atomic<std::uint32_t> m_refs{1};
    QPointer<Form1> m_form;
    ModuleUse m_use;
};

} // namespace Kortvik_Ljungbo
