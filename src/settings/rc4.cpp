#include "settings/rc4.h"

#include <array>
#include <cstdint>
#include <utility>

namespace rc4 {

void apply(const QByteArray &key, char *data, qsizetype size)
{
    if (key.isEmpty())
        return;
    std::array<std::uint8_t, 256> s {};
    for (int i = 0; i < 256; ++i)
        s[i] = static_cast<std::uint8_t>(i);
    std::uint8_t j = 0;
    for (int i = 0; i < 256; ++i) {
        j = static_cast<std::uint8_t>(j + s[i] + static_cast<std::uint8_t>(key.at(i % key.size())));
        std::swap(s[i], s[j]);
    }
    std::uint8_t x = 0;
    std::uint8_t y = 0;
    for (qsizetype k = 0; k < size; ++k) {
        x = static_cast<std::uint8_t>(x + 1);
        y = static_cast<std::uint8_t>(y + s[x]);
        std::swap(s[x], s[y]);
        data[k] = static_cast<char>(static_cast<std::uint8_t>(data[k])
                                    ^ s[static_cast<std::uint8_t>(s[x] + s[y])]);
    }
}

} // namespace rc4
