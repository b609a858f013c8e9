#include "platform/env/Password.h"

#include "platform/archive/SafeFile.h"
#include "platform/env/ArdoEnv.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>

namespace
{

const char kFormat[] = "corvanta-password";
constexpr int kFormatVersion = 1;
constexpr int kSaltBytes = 16;
constexpr int kHashBytes = 32;
// The file lies in the user's own folder, so the hash guards a casual lock,
// not a secret: the cost stays well below a noticeable start-up delay.
constexpr int kIterations = 20000;
// A file asking for more would stall start-up; it is treated as damaged.
constexpr int kMaxIterations = 1000000;
constexpr qint64 kMaxFileSize = 4096;

// PBKDF2 with HMAC-SHA256, one output block (32 bytes).
QByteArray DeriveKey(const QString& password, const QByteArray& salt, int iterations)
{
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, password.toUtf8());
    mac.addData(salt);
    mac.addData("\0\0\0\1", 4);
    QByteArray u = mac.result();
    QByteArray key = u;
    for (int i = 1; i < iterations; ++i) {
        mac.reset();
        mac.addData(u);
        u = mac.result();
        for (int j = 0; j < key.size(); ++j)
            key[j] = char(key[j] ^ u[j]);
    }
    return key;
}

// Compares without stopping at the first difference.
bool SameBytes(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

QByteArray Base64(const QJsonValue& value)
{
    const auto decoded =
        QByteArray::fromBase64Encoding(value.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? *decoded : QByteArray();
}

void Tell(const QString& text, int icon)
{
    UiServices::Prompt().MessageBox(text, MB_OK, icon);
}

} // namespace

CNWPassCheck::CNWPassCheck(Prompt askPassword, Prompt askNewPassword)
    : CNWPassCheck(GetDefaultPath(), std::move(askPassword), std::move(askNewPassword))
{
}

CNWPassCheck::CNWPassCheck(const QString& filePath, Prompt askPassword, Prompt askNewPassword)
    : m_strPath(filePath), m_askPassword(std::move(askPassword)), m_askNewPassword(std::move(askNewPassword))
{
}

QString CNWPassCheck::GetDefaultPath()
{
    return CArdoEnv().GetMyDataFolder() + QStringLiteral("/PassCheck.dat");
}

int CNWPassCheck::Load(CStored& stored) const
{
    QFile file(m_strPath);
    if (!file.exists())
        return 0;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize)
        return -1;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return -1;

    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return -1;
    const QJsonObject root = doc.object();
    const QJsonValue iterations = root.value(QStringLiteral("iterations"));
    stored.salt = Base64(root.value(QStringLiteral("salt")));
    stored.hash = Base64(root.value(QStringLiteral("hash")));
    stored.iterations = iterations.toInt(0);
    if (root.value(QStringLiteral("format")).toString() != QLatin1String(kFormat) ||
        root.value(QStringLiteral("version")).toInt(0) != kFormatVersion || !iterations.isDouble() ||
        iterations.toDouble() != stored.iterations || stored.iterations < 1 ||
        stored.iterations > kMaxIterations || stored.salt.size() != kSaltBytes ||
        stored.hash.size() != kHashBytes)
        return -1;
    return 1;
}

int CNWPassCheck::AskAndVerify(const CStored& stored, const QString& lastWrong) const
{
    if (!m_askPassword)
        return 0;
    for (int attempt = 0; attempt < kMaxTries; ++attempt) {
        QString entered;
        if (!m_askPassword(entered))
            return 0;
        if (SameBytes(DeriveKey(entered, stored.salt, stored.iterations), stored.hash))
            return 1;
        // The dialog comes back empty: without a word the user cannot tell
        // a wrong password from a lost keystroke.
        const int left = kMaxTries - attempt - 1;
        Tell(left > 0 ? QStringLiteral("パスワードが違います。\nあと%1回入力できます。").arg(left)
                      : QStringLiteral("パスワードが違います。") + lastWrong,
             MB_ICONEXCLAMATION);
    }
    return 0;
}

int CNWPassCheck::CheckPassWord()
{
    CStored stored;
    const int state = Load(stored);
    if (state <= 0)
        return state == 0 ? 1 : -1;
    // The caller says the program cannot start.
    return AskAndVerify(stored, {});
}

int CNWPassCheck::SetPassWord()
{
    CStored stored;
    const int state = Load(stored);
    if (state < 0)
        return -1;
    if (state == 1 && !AskAndVerify(stored, QStringLiteral("\nパスワードの設定・解除を中止します。")))
        return 0;

    QString newPassword;
    if (!m_askNewPassword || !m_askNewPassword(newPassword))
        return 0;
    if (newPassword.isEmpty()) {
        if (state == 0) {
            Tell(QStringLiteral("パスワードは設定されていません。"), MB_ICONINFORMATION);
            return 1;
        }
        if (!QFile::remove(m_strPath))
            return -1;
        Tell(QStringLiteral("パスワードを解除しました。\n起動時にパスワードは聞かれません。"),
             MB_ICONINFORMATION);
        return 1;
    }

    QByteArray salt(kSaltBytes, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), kSaltBytes / 4);
    const QJsonObject root{
        {QStringLiteral("format"), QLatin1String(kFormat)},
        {QStringLiteral("version"), kFormatVersion},
        {QStringLiteral("iterations"), kIterations},
        {QStringLiteral("salt"), QString::fromLatin1(salt.toBase64())},
        {QStringLiteral("hash"), QString::fromLatin1(DeriveKey(newPassword, salt, kIterations).toBase64())}};
    if (!QDir().mkpath(QFileInfo(m_strPath).absolutePath()) ||
        !AtomicWriteFile(m_strPath, QJsonDocument(root).toJson(QJsonDocument::Compact)))
        return -1;
    Tell(QStringLiteral("パスワードを設定しました。\n次回の起動からパスワードの入力が必要です。"),
         MB_ICONINFORMATION);
    return 1;
}
