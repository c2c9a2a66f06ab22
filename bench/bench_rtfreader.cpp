// The RTF reader's cost against the size of its input: time per MiB for
// growing documents, next to a plain code-page decode of the same bytes
// measured in the same run, and the peak memory. Prints figures only.
#include "help/rtfreader.h"
#include "text/cp1252.h"

#include <QElapsedTimer>

#include <sys/resource.h>

#include <cstdio>

namespace {

QByteArray repeated(const QByteArray &unit, qsizetype bytes)
{
    QByteArray out;
    out.reserve(bytes + unit.size());
    while (out.size() < bytes)
        out += unit;
    return out;
}

long peakRssMiB()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;
}

template<typename F>
double millis(F f)
{
    QElapsedTimer t;
    t.start();
    f();
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main()
{
    const QByteArray unit("{\\b fet}vanlig text med \\'e5\\'e4\\'f6 och \\u8364? {\\i kursiv\\cf1 f\\'e4rg}\\par ");
    std::printf("%-28s %8s %10s %10s %8s %9s\n", "input", "MiB", "parse ms", "decode ms", "ratio", "ms/MiB");
    for (int mib : {1, 10, 50}) {
        const QByteArray data = "{\\rtf1{\\colortbl;\\red0\\green0\\blue128;}" + repeated(unit, qsizetype(mib) << 20) + "}";
        int chars = 0;
        const double parse = millis([&] { chars = int(rtf::parse(data).text.size()); });
        const double decode = millis([&] { chars += int(cp1252::decode(data).size() > 0); });
        std::printf("%-28s %8d %10.1f %10.1f %8.2f %9.1f\n", "formatted text", mib, parse, decode, parse / decode,
                    parse / mib);
    }
    for (int depth : {10000, 100000, 1000000}) {
        const QByteArray data = "{\\rtf1 " + repeated("{\\b ", qsizetype(depth) * 4) + "x" + repeated("}", depth) + "}";
        const double mib = data.size() / double(1 << 20);
        int peak = 0;
        const double parse = millis([&] { peak = rtf::parse(data).peakDepth; });
        const double decode = millis([&] { peak += int(cp1252::decode(data).isEmpty()); });
        const QByteArray label = "nesting " + QByteArray::number(depth) + " deep";
        std::printf("%-28s %8.1f %10.1f %10.1f %8.2f %9.1f\n", label.constData(), mib, parse, decode,
                    parse / decode, parse / mib);
    }
    std::printf("peak resident memory: %ld MiB\n", peakRssMiB());
    return 0;
}
