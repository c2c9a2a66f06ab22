#pragma once
#include <QString>
#include <QtGlobal>

// A filter over MD5, RC4 and the user's RSA signature key: set the inputs,
// call one operation, read the result. Texts become bytes through cp1252,
// one byte per character, and bytes become characters the same way, so a
// cipher text has exactly as many characters as its plain text.
//
// The RC4 key is the first 5 bytes of the MD5 of the passphrase followed by
// 11 zero bytes, so stored values made by the earlier platform provider
// still decrypt.
class clsCryptoFilterBox
{
public:
    // Runs prepareKeyContainer; its outcome is not reported.
    clsCryptoFilterBox();

    QString InBuffer() const { return m_inBuffer; }
    void setInBuffer(const QString &value) { m_inBuffer = value; }
    QString OutBuffer() const { return m_outBuffer; }
    QString Password() const { return m_password; }
    void setPassword(const QString &value) { m_password = value; }
    QString Signature() const { return m_signature; }
    void setSignature(const QString &value) { m_signature = value; }
    // 0 while an operation runs, 1 when Sign, Encrypt or Decrypt ended (well
    // or not) or Validate found the signature not valid, 2 for a valid one.
    qint32 Status() const { return m_status; }

    // InBuffer -> OutBuffer; on failure OutBuffer keeps its old value.
    void Encrypt();
    // InBuffer -> OutBuffer; OutBuffer is "" when decryption fails.
    void Decrypt();
    // Signature := RSA signature of the MD5 of InBuffer ("" on failure).
    void Sign();
    // Status := 2 when Signature is a valid signature of InBuffer, else 1.
    void Validate();

    // Makes sure the user's signature and key-exchange key pairs exist,
    // creating the key folder and the pairs on first use.
    bool prepareKeyContainer();

private:
    QString m_inBuffer;
    QString m_outBuffer;
    QString m_password;
    QString m_signature;
    qint32 m_status = 0;
};
