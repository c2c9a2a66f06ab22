// cutBetween and containsText on any text and markers: the cut is the text
// between the first start marker and the next end marker.
#include "fuzzinput.h"
#include "text/textutil.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList p = fuzzinput::parts(fuzzinput::text(data, size), 3);
    const QString text = p.value(0);
    const QString start = p.value(1);
    const QString end = p.value(2);
    const QString cut = modGlobal::cutBetween(text, start, end);

    if (!modGlobal::containsText(text, cut))
        std::abort();
    if (!start.isEmpty() && !modGlobal::containsText(text, start) && !cut.isEmpty())
        std::abort();
    if (!cut.isEmpty()) {
        const qsizetype at = start.isEmpty() ? 0 : text.indexOf(start) + start.size();
        if (text.mid(at, cut.size()) != cut)
            std::abort();
        // The end marker is not inside the cut, and follows it.
        if (!end.isEmpty() && (cut.contains(end) || text.mid(at + cut.size(), end.size()) != end))
            std::abort();
        if (end.isEmpty() && at + cut.size() != text.size())
            std::abort();
    }
    return 0;
}
