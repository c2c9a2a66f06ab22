#include "net/logintrace.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace loginTrace {

namespace {

std::FILE *openTrace()
{
    const char *path = std::getenv("KORTVIK_TRACE_LOGIN");
    if (!path || !*path)
        return nullptr;
    std::FILE *f = std::fopen(path, "a");
    if (f)
        std::setvbuf(f, nullptr, _IOFBF, 64 * 1024);
    return f;
}

// Opened once, on the first question; only the main thread marks.
std::FILE *traceFile()
{
    static std::FILE *const file = openTrace();
    return file;
}

long long nowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

} // namespace

bool enabled()
{
    return traceFile() != nullptr;
}

void mark(const char *what)
{
    if (std::FILE *f = traceFile())
        std::fprintf(f, "%lld %s\n", nowNs(), what);
}

void mark(const char *what, const char *detail)
{
    if (std::FILE *f = traceFile())
        std::fprintf(f, "%lld %s %s\n", nowNs(), what, detail);
}

void flush()
{
    if (std::FILE *f = traceFile())
        std::fflush(f);
}

} // namespace loginTrace
