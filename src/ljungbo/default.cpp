#include "ljungbo/default.h"

#include <QApplication>
#include <QThread>

#include <cstdio>
#include <cstring>
#include <new>
#include <strings.h>

#include "ljungbo/form1.h"

namespace Kortvik_Ljungbo {

namespace {

// Windows can only be made and touched on the thread of the application object.
comp::HRESULT guiThreadCheck()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return comp::CO_E_NOTINITIALIZED;
    if (QThread::currentThread() != QCoreApplication::instance()->thread())
        return comp::RPC_E_WRONG_THREAD;
    return comp::S_OK;
}

comp::HRESULT fail(comp::ExcepInfo *info, comp::HRESULT scode, const char *text)
{
    if (info) {
        std::memset(info, 0, sizeof(*info));
        info->scode = scode;
        std::snprintf(info->source, sizeof(info->source), "%s", kProgIdDefault);
        std::snprintf(info->description, sizeof(info->description), "%s", text);
    }
    return comp::DISP_E_EXCEPTION;
}

} // namespace

Default::Default() = default;

Default::~Default()
{
    if (!m_form)
        return;
    if (guiThreadCheck() == comp::S_OK)
        delete m_form.data();
    else
        m_form->deleteLater();  // its own thread destroys it
}

Default *Default::create(comp::HRESULT *hr)
{
    *hr = guiThreadCheck();
    if (*hr != comp::S_OK)
        return nullptr;
    auto *object = new (std::nothrow) Default;
    if (!object) {
        *hr = comp::E_OUTOFMEMORY;
        return nullptr;
    }
    // Loaded, not shown.
    object->m_form = new Form1;
    return object;
}

comp::HRESULT Default::QueryInterface(const comp::Guid &iid, void **out)
{
    if (!out)
        return comp::E_POINTER;
    if (iid == comp::IID_IUnknown || iid == comp::IID_IDispatch) {
        *out = static_cast<comp::IDispatch *>(this);
        AddRef();
        return comp::S_OK;
    }
    *out = nullptr;
    return comp::E_NOINTERFACE;
}

std::uint32_t Default::AddRef()
{
    return ++m_refs;
}

std::uint32_t Default::Release()
{
    const std::uint32_t left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

comp::HRESULT Default::GetIDOfName(const char *name, std::int32_t *dispId)
{
    if (!name || !dispId)
        return comp::E_POINTER;
    if (strcasecmp(name, "Test") == 0) {
        *dispId = DISPID_Test;
        return comp::S_OK;
    }
    return comp::DISP_E_UNKNOWNNAME;
}

comp::HRESULT Default::Invoke(std::int32_t dispId, comp::ExcepInfo *excepInfo)
{
    if (dispId == DISPID_Test)
        return Test(excepInfo);
    return comp::DISP_E_MEMBERNOTFOUND;
}

comp::HRESULT Default::Test(comp::ExcepInfo *excepInfo)
{
    const comp::HRESULT hr = guiThreadCheck();
    if (hr != comp::S_OK)
        return fail(excepInfo, hr, "Form1 can only be shown on the GUI thread");
    if (!m_form)
        return fail(excepInfo, comp::E_FAIL, "Form1 no longer exists");
    m_form->setWindowModality(Qt::NonModal);
    m_form->show();
    return comp::S_OK;
}

} // namespace Kortvik_Ljungbo
