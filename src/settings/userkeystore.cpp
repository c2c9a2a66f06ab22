#include "settings/userkeystore.h"

#include "settings/atomicfile.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include "settings/libcrypto.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace userKeyStore {
namespace {

struct BioFree {
    void operator()(BIO *bio) const { libCrypto::api()->BIO_free(bio); }
};
using BioPtr = std::unique_ptr<BIO, BioFree>;

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

} // namespace

QString keyFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
           + QStringLiteral("/kortvik/keys");
}

QString keyFilePath(KeySpec spec)
{
    return keyFolder()
           + (spec == KeySpec::Signature ? QStringLiteral("/signature.pem")
                                         : QStringLiteral("/exchange.pem"));
}

bool openKeyFolder(bool create)
{
    const QString folder = keyFolder();
    const QByteArray name = nativePath(folder);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0) {
        if (!create || errno != ENOENT)
            return false;
        const QString parent = QDir(folder).absoluteFilePath(QStringLiteral(".."));
        if (!QDir().mkpath(QDir::cleanPath(parent)))
            return false;
        if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
            return false;
        if (::stat(name.constData(), &st) != 0)
            return false;
    }
    if (!S_ISDIR(st.st_mode))
        return false;
    // Whatever the umask or an earlier hand did, only the owner may look in.
    if ((st.st_mode & 07777) != 0700 && st.st_uid == ::geteuid())
        ::chmod(name.constData(), 0700);
    return true;
}

KeyStatus loadKeyPair(KeySpec spec, PKeyPtr *out)
{
    QFile file(keyFilePath(spec));
    if (!file.exists())
        return KeyStatus::NoKey;
    const libCrypto::Api *c = libCrypto::api();
    if (!c || !file.open(QIODevice::ReadOnly))
        return KeyStatus::Failed;
    QByteArray pem = file.readAll();
    BioPtr bio(c->BIO_new_mem_buf(pem.constData(), static_cast<int>(pem.size())));
    EVP_PKEY *key = bio ? c->PEM_read_bio_PrivateKey(bio.get(), nullptr, nullptr, nullptr) : nullptr;
    c->OPENSSL_cleanse(pem.data(), static_cast<size_t>(pem.size()));
    if (!key || c->EVP_PKEY_get_base_id(key) != EVP_PKEY_RSA) {
        c->EVP_PKEY_free(key);
        return KeyStatus::Failed;
    }
    out->reset(key);
    return KeyStatus::Ok;
}

bool generateKeyPair(KeySpec spec)
{
    const libCrypto::Api *c = libCrypto::api();
    if (!c)
        return false;
    PKeyPtr key(c->EVP_PKEY_Q_keygen(nullptr, nullptr, "RSA", static_cast<size_t>(kKeyBits)));
    if (!key)
        return false;
    BioPtr bio(c->BIO_new(c->BIO_s_secmem()));
    if (!bio || c->PEM_write_bio_PrivateKey(bio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1)
        return false;
    char *data = nullptr;
    // BIO_get_mem_data, which is a macro over BIO_ctrl.
    const long size = c->BIO_ctrl(bio.get(), BIO_CTRL_INFO, 0, &data);
    if (size <= 0 || !data)
        return false;
    QByteArray pem(data, size);
    const auto result = atomicfile::createFile(keyFilePath(spec), pem, 0600);
    c->OPENSSL_cleanse(pem.data(), static_cast<size_t>(pem.size()));
    return result != atomicfile::CreateResult::Failed;
}

} // namespace userKeyStore
