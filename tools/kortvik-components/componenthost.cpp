#include "componenthost.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QSet>
#include <QWindow>

#include <dlfcn.h>

#include "ljungbo/componentregistry.h"

namespace comp {

namespace {

// Releases an interface pointer at the end of a scope.
template <typename T>
struct Ref {
    T *p = nullptr;
    ~Ref()
    {
        if (p)
            p->Release();
    }
    void **out() { return reinterpret_cast<void **>(&p); }
};

QList<QWindow *> visibleTopLevels()
{
    QList<QWindow *> shown;
    const QWindowList windows = QGuiApplication::topLevelWindows();
    for (QWindow *w : windows) {
        if (w->isVisible())
            shown << w;
    }
    return shown;
}

// Waits until none of the windows is visible any more (closed, hidden or destroyed).
void waitUntilClosed(const QList<QWindow *> &windows)
{
    QList<QPointer<QWindow>> watched;
    for (QWindow *w : windows)
        watched << QPointer<QWindow>(w);
    QEventLoop loop;
    auto check = [&watched, &loop] {
        for (const QPointer<QWindow> &w : watched) {
            if (w && w->isVisible())
                return;
        }
        loop.quit();
    };
    for (const QPointer<QWindow> &w : watched) {
        QObject::connect(w.data(), &QWindow::visibleChanged, &loop, check, Qt::QueuedConnection);
        QObject::connect(w.data(), &QObject::destroyed, &loop, check, Qt::QueuedConnection);
    }
    // A window may have closed before the loop ran.
    QMetaObject::invokeMethod(&loop, check, Qt::QueuedConnection);
    loop.exec();
}

} // namespace

QString hresultText(HRESULT hr)
{
    return QStringLiteral("0x")
           + QString::number(static_cast<quint32>(hr), 16).rightJustified(8, QLatin1Char('0')).toUpper();
}

ComponentLibrary::~ComponentLibrary()
{
    if (m_handle && canUnloadNow && canUnloadNow() == S_OK)
        dlclose(m_handle);
}

HostResult ComponentLibrary::load(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {HostBadLibrary, path + QStringLiteral(": no such file")};
    // An absolute path, so that dlopen never searches the library path instead.
    const QByteArray file = QFile::encodeName(info.absoluteFilePath());
    void *handle = dlopen(file.constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char *why = dlerror();
        return {HostBadLibrary, path + QStringLiteral(": cannot be loaded: ")
                                    + QString::fromLocal8Bit(why ? why : "unknown error")};
    }
    auto *unload = reinterpret_cast<DllCanUnloadNowFn>(dlsym(handle, "DllCanUnloadNow"));
    auto *getObject = reinterpret_cast<DllGetClassObjectFn>(dlsym(handle, "DllGetClassObject"));
    auto *reg = reinterpret_cast<DllRegisterServerFn>(dlsym(handle, "DllRegisterServer"));
    auto *unreg = reinterpret_cast<DllUnregisterServerFn>(dlsym(handle, "DllUnregisterServer"));
    if (!unload || !getObject || !reg || !unreg) {
        QStringList missing;
        if (!unload)
            missing << QStringLiteral("DllCanUnloadNow");
        if (!getObject)
            missing << QStringLiteral("DllGetClassObject");
        if (!reg)
            missing << QStringLiteral("DllRegisterServer");
        if (!unreg)
            missing << QStringLiteral("DllUnregisterServer");
        dlclose(handle);
        return {HostBadLibrary, path + QStringLiteral(": not a component library (missing ")
                                    + missing.join(QStringLiteral(", ")) + QLatin1Char(')')};
    }
    m_handle = handle;
    canUnloadNow = unload;
    getClassObject = getObject;
    registerServer = reg;
    unregisterServer = unreg;
    return {};
}

HostResult registerLibrary(const QString &path, bool unregister)
{
    ComponentLibrary library;
    HostResult result = library.load(path);
    if (result.status != HostOk)
        return result;
    const HRESULT hr = unregister ? library.unregisterServer() : library.registerServer();
    if (!succeeded(hr)) {
        return {HostFailed, path + (unregister ? QStringLiteral(": unregistration failed (")
                                               : QStringLiteral(": registration failed ("))
                                + hresultText(hr) + QLatin1Char(')')};
    }
    return {};
}

HostResult callMethod(const QString &progId, const QString &method)
{
    const std::optional<ComponentRecord> record = readRecord(progId);
    if (!record)
        return {HostUnknownProgId, progId + QStringLiteral(": no such registered component")};

    ComponentLibrary library;
    HostResult result = library.load(record->library);
    if (result.status != HostOk)
        return result;

    // Scope: every reference is released before the library may unload.
    {
        Ref<IClassFactory> factory;
        HRESULT hr = library.getClassObject(&record->clsid, &IID_IClassFactory, factory.out());
        if (!succeeded(hr) || !factory.p)
            return {HostCreateFailed, progId + QStringLiteral(": the library does not serve this class (")
                                          + hresultText(hr) + QLatin1Char(')')};
        Ref<IDispatch> object;
        hr = factory.p->CreateInstance(nullptr, IID_IDispatch, object.out());
        if (!succeeded(hr) || !object.p)
            return {HostCreateFailed, progId + QStringLiteral(": the object could not be created (")
                                          + hresultText(hr) + QLatin1Char(')')};

        std::int32_t dispId = 0;
        hr = object.p->GetIDOfName(method.toUtf8().constData(), &dispId);
        if (!succeeded(hr))
            return {HostUnknownMethod, progId + QStringLiteral(" has no method ") + method};

        const QList<QWindow *> before = visibleTopLevels();
        ExcepInfo info{};
        hr = object.p->Invoke(dispId, &info);
        if (!succeeded(hr)) {
            QString why = hresultText(hr);
            if (hr == DISP_E_EXCEPTION && info.description[0])
                why = QString::fromUtf8(info.description) + QStringLiteral(" (")
                      + hresultText(info.scode) + QLatin1Char(')');
            else if (hr == DISP_E_MEMBERNOTFOUND)
                return {HostUnknownMethod, progId + QStringLiteral(" has no method ") + method};
            return {HostFailed, progId + QLatin1Char('.') + method + QStringLiteral(" failed: ") + why};
        }

        QList<QWindow *> shown;
        for (QWindow *w : visibleTopLevels()) {
            if (!before.contains(w))
                shown << w;
        }
        if (!shown.isEmpty())
            waitUntilClosed(shown);
    }
    return {};
}

} // namespace comp
