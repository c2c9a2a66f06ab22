// formFieldValue / isFieldChecked on any page: the own matcher must give
// exactly what the regular-expression engine gives for the two patterns.
#include "formfieldreference.h"
#include "fuzzinput.h"
#include "text/formfields.h"
#include "text/inputspan.h"

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void differs(const char *what, const QString &name, const QString &page)
{
    std::fprintf(stderr, "%s differs for name [%s] on page [%s]\n", what, name.toUtf8().constData(),
                 page.toUtf8().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList p = fuzzinput::parts(fuzzinput::text(data, size), 2);
    QString name = p.value(0).left(24);
    QString page = p.value(1);
    if (p.size() < 2) {
        static const char *names[] = {"icq", "email", "sign", "chk1", "a"};
        name = QString::fromLatin1(names[size % 5]);
        page = p.value(0);
    }

    const QString value = modGlobal::formFieldValue(name, page);
    const bool checked = modGlobal::isFieldChecked(name, page);
    const QStringView first = modGlobal::inputSpan(page, name, modGlobal::FieldOrder::NameBeforeValue);
    const QStringView second = modGlobal::inputSpan(page, name, modGlobal::FieldOrder::ValueBeforeName);

    // The engine refuses text that is not valid UTF-16; nothing to compare then.
    if (!QStringView(page).isValidUtf16() || !QStringView(name).isValidUtf16())
        return 0;
    const auto r1 = formfieldreference::match(page, name, true);
    const auto r2 = formfieldreference::match(page, name, false);
    if (first.toString() != (r1.matched ? r1.text : QString()))
        differs("name-first span", name, page);
    if (second.toString() != (r2.matched ? r2.text : QString()))
        differs("value-first span", name, page);
    const auto either = r1.matched ? r1 : r2;
    if (value != formfieldreference::value(either))
        differs("value", name, page);
    if (checked != formfieldreference::checked(either))
        differs("checked", name, page);
    return 0;
}
