// htmlDecode (and urlEncode) on any text: no crash, and the results keep
// the shape the callers rely on.
#include "fuzzinput.h"
#include "text/textutil.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString in = fuzzinput::text(data, size);
    const QString out = modGlobal::htmlDecode(in);
    // Decoding only ever drops or shortens.
    if (out.size() > in.size())
        std::abort();
    if (!in.contains(QLatin1Char('&')) && out != in)
        std::abort();

    const QString enc = modGlobal::urlEncode(in);
    for (QChar c : enc) {
        const bool plain = (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')
                           || c == u'%' || c == u'+';
        if (!plain)
            std::abort();
    }
    return 0;
}
