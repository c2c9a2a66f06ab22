#pragma once
#include <openssl/bio.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

// OpenSSL's libcrypto, loaded on first use: only a stored password needs
// it, and loaded at start it would cost every run about 1.4 MiB.
namespace libCrypto {

#define KORTVIK_LIBCRYPTO_FUNCTIONS(X)                                                                 \
    X(BIO_ctrl) X(BIO_free) X(BIO_new) X(BIO_new_mem_buf) X(BIO_s_secmem) X(EVP_Digest)                 \
    X(EVP_DigestSign) X(EVP_DigestSignInit) X(EVP_DigestVerify) X(EVP_DigestVerifyInit) X(EVP_MD_CTX_free) \
    X(EVP_MD_CTX_new) X(EVP_PKEY_Q_keygen) X(EVP_PKEY_free) X(EVP_PKEY_get_base_id) X(EVP_md5)          \
    X(OPENSSL_cleanse) X(PEM_read_bio_PrivateKey) X(PEM_write_bio_PrivateKey)

struct Api {
#define KORTVIK_LIBCRYPTO_POINTER(name) decltype(&::name) name = nullptr;
    KORTVIK_LIBCRYPTO_FUNCTIONS(KORTVIK_LIBCRYPTO_POINTER)
#undef KORTVIK_LIBCRYPTO_POINTER
};

// The library's functions; null when it cannot be loaded (then every
// operation that needs it fails as it would on a failing library).
const Api *api();

} // namespace libCrypto
