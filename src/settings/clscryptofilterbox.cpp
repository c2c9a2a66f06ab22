#include "settings/clscryptofilterbox.h"

#include "settings/rc4.h"
#include "settings/userkeystore.h"
#include "text/cp1252.h"

#include <QByteArray>

#include "settings/libcrypto.h"

#include <memory>
#include <optional>

using userKeyStore::KeySpec;
using userKeyStore::KeyStatus;
using userKeyStore::PKeyPtr;

namespace {

constexpr int kDigestKeyBytes = 5;  // 40-bit key
constexpr int kSaltBytes = 11;      // the provider's default salt: zero bytes

struct MdCtxFree {
    void operator()(EVP_MD_CTX *ctx) const { libCrypto::api()->EVP_MD_CTX_free(ctx); }
};
using MdCtxPtr = std::unique_ptr<EVP_MD_CTX, MdCtxFree>;

// MD5 lives in OpenSSL's default provider, unlike RC4.
std::optional<QByteArray> md5(const QByteArray &data)
{
    const libCrypto::Api *c = libCrypto::api();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (!c
        || c->EVP_Digest(data.constData(), static_cast<size_t>(data.size()), digest, &size, c->EVP_md5(), nullptr)
            != 1)
        return std::nullopt;
    return QByteArray(reinterpret_cast<const char *>(digest), static_cast<qsizetype>(size));
}

std::optional<QByteArray> deriveSessionKey(const QString &password)
{
    const auto digest = md5(cp1252::encode(password));
    if (!digest || digest->size() < kDigestKeyBytes)
        return std::nullopt;
    return digest->left(kDigestKeyBytes) + QByteArray(kSaltBytes, '\0');
}

// The signature key pair, if the "key container" can be opened and holds one.
PKeyPtr signatureKey()
{
    PKeyPtr key;
    if (!userKeyStore::openKeyFolder(false))
        return key;
    if (userKeyStore::loadKeyPair(KeySpec::Signature, &key) != KeyStatus::Ok)
        key.reset();
    return key;
}

} // namespace

clsCryptoFilterBox::clsCryptoFilterBox()
{
    prepareKeyContainer();
}

void clsCryptoFilterBox::Encrypt()
{
    m_status = 0;
    if (const auto key = deriveSessionKey(m_password)) {
        // Working buffer: InBuffer followed by n blanks; only the first n
        // bytes are enciphered.
        QByteArray buffer = cp1252::encode(m_inBuffer);
        const qsizetype n = buffer.size();
        buffer.append(QByteArray(n, ' '));
        rc4::apply(*key, buffer.data(), n);
        m_outBuffer = cp1252::decode(buffer.left(n));
    }
    m_status = 1;
}

void clsCryptoFilterBox::Decrypt()
{
    m_status = 0;
    m_outBuffer.clear();
    if (const auto key = deriveSessionKey(m_password)) {
        // All 2n bytes are deciphered; the first n are the plain text.
        QByteArray buffer = cp1252::encode(m_inBuffer);
        const qsizetype n = buffer.size();
        buffer.append(QByteArray(n, ' '));
        rc4::apply(*key, buffer.data(), buffer.size());
        m_outBuffer = cp1252::decode(buffer.left(n));
    }
    m_status = 1;
}

void clsCryptoFilterBox::Sign()
{
    m_status = 0;
    m_signature.clear();
    // A key exists only when the library could be loaded.
    const PKeyPtr key = signatureKey();
    const libCrypto::Api *c = key ? libCrypto::api() : nullptr;
    MdCtxPtr ctx(c ? c->EVP_MD_CTX_new() : nullptr);
    const QByteArray data = cp1252::encode(m_inBuffer);
    const auto *bytes = reinterpret_cast<const unsigned char *>(data.constData());
    size_t length = 0;
    if (key && ctx && c->EVP_DigestSignInit(ctx.get(), nullptr, c->EVP_md5(), nullptr, key.get()) == 1
        && c->EVP_DigestSign(ctx.get(), nullptr, &length, bytes, static_cast<size_t>(data.size())) == 1
        && length > 0) {
        QByteArray signature(static_cast<qsizetype>(length), '\0');
        auto *out = reinterpret_cast<unsigned char *>(signature.data());
        if (c->EVP_DigestSign(ctx.get(), out, &length, bytes, static_cast<size_t>(data.size())) == 1)
            m_signature = cp1252::decode(signature.left(static_cast<qsizetype>(length)));
    }
    m_status = 1;
}

void clsCryptoFilterBox::Validate()
{
    m_status = 0;
    bool valid = false;
    const PKeyPtr key = signatureKey();
    const libCrypto::Api *c = key ? libCrypto::api() : nullptr;
    MdCtxPtr ctx(c ? c->EVP_MD_CTX_new() : nullptr);
    if (key && ctx
        && c->EVP_DigestVerifyInit(ctx.get(), nullptr, c->EVP_md5(), nullptr, key.get()) == 1) {
        const QByteArray data = cp1252::encode(m_inBuffer);
        const QByteArray signature = cp1252::encode(m_signature);
        // Any failure, a bad signature or another error, means not valid.
        valid = c->EVP_DigestVerify(ctx.get(),
                                 reinterpret_cast<const unsigned char *>(signature.constData()),
                                 static_cast<size_t>(signature.size()),
                                 reinterpret_cast<const unsigned char *>(data.constData()),
                                 static_cast<size_t>(data.size()))
                == 1;
    }
    m_status = valid ? 2 : 1;
}

bool clsCryptoFilterBox::prepareKeyContainer()
{
    if (!userKeyStore::openKeyFolder(false) && !userKeyStore::openKeyFolder(true))
        return false;
    for (const KeySpec spec : {KeySpec::Signature, KeySpec::Exchange}) {
        PKeyPtr key;
        const KeyStatus status = userKeyStore::loadKeyPair(spec, &key);
        if (status == KeyStatus::Failed)
            return false;
        if (status == KeyStatus::NoKey && !userKeyStore::generateKeyPair(spec))
            return false;
    }
    return true;
}
