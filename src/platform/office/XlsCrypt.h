#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The RC4 encryption of Excel 97-2003 workbook streams, as announced by a
// FILEPASS record: plain RC4 keyed by MD5, and RC4 through CryptoAPI keyed by
// SHA-1. Excel writes books protected against changes only (a write
// password, a protected structure) with the built-in password, and opens
// them without asking; only those are read here.
namespace XlsCrypt
{

// Excel's built-in password.
inline const QString kDefaultPassword = QStringLiteral("VelvetSweatshop");

enum Result {
    Decrypted,     // the stream now holds plain records
    WrongPassword, // encrypted with a password the user chose
    Unknown,       // an encryption not read here (XOR obfuscation, AES, damage)
};

// Decrypts `stream` in place given the data of its FILEPASS record: every
// record's body after that record, except the ones Excel leaves plain (the
// record headers, BOF and a few others, and each BOUNDSHEET's offset).
Result Decrypt(QByteArray& stream, QByteArrayView filePass, const QString& password = kDefaultPassword);

// RC4 over `data` in place with `key`, from the start of its key stream.
void Rc4(QByteArrayView key, QByteArray& data);

} // namespace XlsCrypt
