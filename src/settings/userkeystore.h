#pragma once
#include <QString>

#include <memory>

#include "settings/libcrypto.h"

// The user's two RSA key pairs (signature and key exchange), kept as PEM
// files in $XDG_DATA_HOME/kortvik/keys/: the folder 0700, the files 0600.
namespace userKeyStore {

enum class KeySpec { Exchange = 1, Signature = 2 };
enum class KeyStatus { Ok, NoKey, Failed };

struct PKeyFree {
    void operator()(EVP_PKEY *key) const { libCrypto::api()->EVP_PKEY_free(key); }
};
using PKeyPtr = std::unique_ptr<EVP_PKEY, PKeyFree>;

inline constexpr int kKeyBits = 2048;

QString keyFolder();
QString keyFilePath(KeySpec spec);
// True when the key folder exists (it is then made 0700); it is created when
// create is set and it is missing.
bool openKeyFolder(bool create);
// Loads a key pair: NoKey when its file does not exist, Failed when it
// cannot be read or parsed.
KeyStatus loadKeyPair(KeySpec spec, PKeyPtr *out);
// Makes a new key pair and stores it; true when the pair now exists (made
// here or, in a race, by another process).
bool generateKeyPair(KeySpec spec);

} // namespace userKeyStore
