#include "platform/office/XlsCrypt.h"

#include <QCryptographicHash>
#include <QtEndian>

#include <cstring>
#include <utility>

namespace
{

constexpr qsizetype kBlockBytes = 1024; // the key changes every 1024 bytes of the stream

// Records Excel leaves unencrypted after FILEPASS: BOF, the change-tracking
// and sharing headers, and the interface header.
bool StaysPlain(quint16 type)
{
    switch (type) {
    case 0x0809: // BOF
    case 0x00E1: // INTERFACEHDR
    case 0x0138: // RRDHEAD
    case 0x0194: // USREXCL
    case 0x0195: // FILELOCK
    case 0x0196: // RRDINFO
        return true;
    default:
        return false;
    }
}

class CRc4
{
  public:
    explicit CRc4(QByteArrayView key)
    {
        for (int i = 0; i < 256; ++i)
            m_s[i] = uchar(i);
        uchar j = 0;
        for (int i = 0; i < 256; ++i) {
            j = uchar(j + m_s[i] + uchar(key[i % key.size()]));
            std::swap(m_s[i], m_s[j]);
        }
    }
    void Apply(char* data, qsizetype count)
    {
        for (qsizetype k = 0; k < count; ++k) {
            m_i = uchar(m_i + 1);
            m_j = uchar(m_j + m_s[m_i]);
            std::swap(m_s[m_i], m_s[m_j]);
            data[k] = char(uchar(data[k]) ^ m_s[uchar(m_s[m_i] + m_s[m_j])]);
        }
    }
    QByteArray Apply(QByteArrayView data)
    {
        QByteArray out = data.toByteArray();
        Apply(out.data(), out.size());
        return out;
    }

  private:
    uchar m_s[256];
    uchar m_i = 0, m_j = 0;
};

QByteArray Hash(QCryptographicHash::Algorithm algorithm, QByteArrayView data)
{
    return QCryptographicHash::hash(data, algorithm);
}

QByteArray Le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray Utf16(const QString& text)
{
    QByteArray bytes(text.size() * 2, '\0');
    for (qsizetype i = 0; i < text.size(); ++i)
        qToLittleEndian<quint16>(text.at(i).unicode(), bytes.data() + 2 * i);
    return bytes;
}

// The key of each 1024-byte block from the password's hash and the block's
// number.
struct CBlockKeys {
    QCryptographicHash::Algorithm algorithm = QCryptographicHash::Md5;
    QByteArray base;
    qsizetype keyBytes = 16;

    QByteArray Key(quint32 block) const
    {
        QByteArray key = Hash(algorithm, QByteArray(base + Le32(block))).left(keyBytes);
        // A 40-bit CryptoAPI key is used as 128 bits, the rest zero.
        if (key.size() == 5 && algorithm == QCryptographicHash::Sha1)
            key.append(11, '\0');
        return key;
    }
};

} // namespace

namespace XlsCrypt
{

void Rc4(QByteArrayView key, QByteArray& data)
{
    CRc4(key).Apply(data.data(), data.size());
}

Result Decrypt(QByteArray& stream, QByteArrayView filePass, const QString& password)
{
    auto u16 = [&](qsizetype at) { return qFromLittleEndian<quint16>(filePass.data() + at); };
    auto u32 = [&](qsizetype at) { return qFromLittleEndian<quint32>(filePass.data() + at); };
    if (filePass.size() < 6 || u16(0) != 1)
        return Unknown; // XOR obfuscation
    const quint16 major = u16(2), minor = u16(4);
    CBlockKeys keys;
    QByteArrayView verifier, verifierHash;
    if (major == 1 && minor == 1) {
        if (filePass.size() < 6 + 48)
            return Unknown;
        const QByteArrayView salt = filePass.sliced(6, 16);
        verifier = filePass.sliced(22, 16);
        verifierHash = filePass.sliced(38, 16);
        const QByteArray first = Hash(QCryptographicHash::Md5, Utf16(password)).left(5);
        QByteArray repeated;
        for (int i = 0; i < 16; ++i)
            repeated += first + salt.toByteArray();
        keys.base = Hash(QCryptographicHash::Md5, repeated).left(5);
    } else if (major >= 2 && major <= 4 && minor == 2) {
        // Flags, the header's size, the header, then the verifier.
        if (filePass.size() < 14)
            return Unknown;
        const quint32 headerSize = u32(10);
        const qsizetype at = 14 + qsizetype(headerSize);
        if (headerSize < 32 || headerSize > 4096 || filePass.size() < at + 4 + 16 + 16 + 4 + 20)
            return Unknown;
        const quint32 algorithm = u32(14 + 8);
        quint32 keyBits = u32(14 + 16);
        if (keyBits == 0)
            keyBits = 40;
        if (algorithm != 0x6801 || keyBits % 8 != 0 || keyBits < 40 || keyBits > 128 || u32(at) != 16 ||
            u32(at + 36) != 20)
            return Unknown; // AES or damage
        const QByteArrayView salt = filePass.sliced(at + 4, 16);
        verifier = filePass.sliced(at + 20, 16);
        verifierHash = filePass.sliced(at + 40, 20);
        keys.algorithm = QCryptographicHash::Sha1;
        keys.base = Hash(QCryptographicHash::Sha1, QByteArray(salt.toByteArray() + Utf16(password)));
        keys.keyBytes = keyBits / 8;
    } else {
        return Unknown;
    }

    // The verifier and its hash come from one run of the first block's key.
    CRc4 check(keys.Key(0));
    const QByteArray plainVerifier = check.Apply(verifier);
    const QByteArray plainHash = check.Apply(verifierHash);
    if (Hash(keys.algorithm, plainVerifier) != plainHash)
        return WrongPassword;

    const QByteArray original = stream;
    for (qsizetype at = 0; at < stream.size(); at += kBlockBytes)
        CRc4(keys.Key(quint32(at / kBlockBytes)))
            .Apply(stream.data() + at, qMin(kBlockBytes, stream.size() - at));
    // Put back what was never encrypted.
    bool after = false;
    for (qsizetype at = 0; at + 4 <= original.size();) {
        const quint16 type = qFromLittleEndian<quint16>(original.constData() + at);
        const qsizetype length = qFromLittleEndian<quint16>(original.constData() + at + 2);
        const qsizetype plain = !after || StaysPlain(type) ? length
                                : type == 0x0085           ? qMin<qsizetype>(4, length)
                                                           : 0;
        std::memcpy(stream.data() + at, original.constData() + at,
                    size_t(qMin(4 + plain, original.size() - at)));
        if (type == 0x002F)
            after = true;
        at += 4 + length;
    }
    return Decrypted;
}

} // namespace XlsCrypt
