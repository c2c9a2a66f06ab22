#include "settings/libcrypto.h"

#include <openssl/opensslv.h>

#include <dlfcn.h>

#include <cstdio>
#include <memory>

namespace libCrypto {

namespace {

#define KORTVIK_TEXT(x) #x
#define KORTVIK_SONAME(v) "libcrypto.so." KORTVIK_TEXT(v)

std::unique_ptr<Api> load()
{
    // The library stays loaded once it is: its keys and contexts may live on.
    void *handle = dlopen(KORTVIK_SONAME(OPENSSL_SHLIB_VERSION), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "kortvik: %s\n", dlerror());
        return nullptr;
    }
    auto api = std::make_unique<Api>();
    bool complete = true;
#define KORTVIK_LIBCRYPTO_RESOLVE(name)                                                                \
    api->name = reinterpret_cast<decltype(&::name)>(dlsym(handle, #name));                             \
    complete = complete && api->name;
    KORTVIK_LIBCRYPTO_FUNCTIONS(KORTVIK_LIBCRYPTO_RESOLVE)
#undef KORTVIK_LIBCRYPTO_RESOLVE
    if (!complete) {
        std::fprintf(stderr, "kortvik: %s lacks functions the program needs\n",
                     KORTVIK_SONAME(OPENSSL_SHLIB_VERSION));
        return nullptr;
    }
    return api;
}

} // namespace

const Api *api()
{
    static const std::unique_ptr<Api> loaded = load();
    return loaded.get();
}

} // namespace libCrypto
