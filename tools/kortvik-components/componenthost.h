#pragma once
// Host side of the in-process component ABI: loads component libraries,
// registers them, and creates objects by program identifier.

#include <QString>

#include "ljungbo/componentabi.h"

namespace comp {

// Exit codes of kortvik-components.
enum HostStatus : int {
    HostOk = 0,
    HostFailed = 1,          // the component reported a failure
    HostUsage = 2,           // bad command line
    HostUnknownProgId = 3,   // not registered (or not a valid identifier)
    HostBadLibrary = 4,      // cannot be loaded, or lacks the entry points
    HostUnknownMethod = 5,   // the object has no such method
    HostCreateFailed = 6,    // the class factory could not make the object
};

struct HostResult {
    int status = HostOk;
    QString message;  // for stderr; empty on success
};

// A loaded component library. Unloads on destruction only when the library
// says it can be (DllCanUnloadNow); otherwise it stays loaded.
class ComponentLibrary
{
public:
    ComponentLibrary() = default;
    ~ComponentLibrary();
    ComponentLibrary(const ComponentLibrary &) = delete;
    ComponentLibrary &operator=(const ComponentLibrary &) = delete;

    // Loads the library and looks up all four entry points.
    HostResult load(const QString &path);
    bool isLoaded() const { return m_handle != nullptr; }

    DllCanUnloadNowFn canUnloadNow = nullptr;
    DllGetClassObjectFn getClassObject = nullptr;
    DllRegisterServerFn registerServer = nullptr;
    DllUnregisterServerFn unregisterServer = nullptr;

private:
    void *m_handle = nullptr;
};

// "register LIB" / "unregister LIB".
HostResult registerLibrary(const QString &path, bool unregister);

// "call PROGID METHOD": creates the object through the registry and the
// library's class factory, invokes the method, then runs the event loop until
// every window that became visible during the call has been closed, and
// releases the object. Needs a QApplication on the calling thread.
HostResult callMethod(const QString &progId, const QString &method);

QString hresultText(HRESULT hr);

} // namespace comp
