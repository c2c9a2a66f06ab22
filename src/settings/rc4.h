#pragma once
#include <QByteArray>

// RC4 stream cipher. Written out here because OpenSSL 3 keeps RC4 in its
// legacy provider, which need not be loadable; the stored passwords must
// still decrypt.
namespace rc4 {

// Encrypts or decrypts (the same operation) size bytes at data in place,
// with a key schedule over all bytes of key (which must not be empty).
void apply(const QByteArray &key, char *data, qsizetype size);

} // namespace rc4
