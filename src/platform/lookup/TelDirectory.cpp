#include "platform/lookup/TelDirectory.h"

#include "platform/env/RegistryIni.h"
#include "platform/text/TextHelpers.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

namespace
{

const QString kRegistryKey = QStringLiteral("SOFTWARE\\Pellam\\Morvek\\Common\\MorvekTel");
constexpr int kMaxPathBytes = 260;
// The user files hold a few hundred entries; a larger file is not one.
constexpr qint64 kMaxUserFileSize = 64 * 1024 * 1024;

void Message(const QString& text)
{
    UiServices::Prompt().MessageBox(text, MB_OK, MB_ICONEXCLAMATION);
}

QString Column(sqlite3_stmt* stmt, int i)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)));
}

bool IsPhoneText(const QString& text)
{
    for (const QChar c : text)
        if (!QStringLiteral("0123456789-()").contains(c))
            return false;
    return true;
}

} // namespace

CTelDirectory::CTelDirectory() = default;

CTelDirectory::~CTelDirectory()
{
    Close();
}

bool CTelDirectory::LoadDirectoryLibrary()
{
    m_bLoaded = true;
    return true;
}

void CTelDirectory::FreeDirectoryLibrary()
{
    m_bLoaded = false;
}

bool CTelDirectory::GetDataPath(QString& folder)
{
    folder = ReadRegistryText(kRegistryKey, QStringLiteral("DataPath"), kMaxPathBytes);
    return !folder.isEmpty();
}

bool CTelDirectory::GetDirectoryPaths(QString& hardDisk, QString& difference)
{
    hardDisk = ReadRegistryText(kRegistryKey, QStringLiteral("HDPath"), kMaxPathBytes);
    difference = ReadRegistryText(kRegistryKey, QStringLiteral("DiffPath"), kMaxPathBytes);
    return !hardDisk.isEmpty() || !difference.isEmpty();
}

QString CTelDirectory::DigitsOf(const QString& text)
{
    QString digits;
    for (const QChar c : ToHalfWidthDigits(text))
        if (c >= u'0' && c <= u'9')
            digits += c;
    return digits;
}

void CTelDirectory::ReadUserFile(const QString& path, QList<CRLAddress>& list)
{
    list.clear();
    QFile file(path);
    if (!file.exists() || file.size() == 0)
        return;
    if (file.size() > kMaxUserFileSize || !file.open(QIODevice::ReadOnly)) {
        Message(QStringLiteral("ファイル<%1>を読み込めませんでした。").arg(QDir::toNativeSeparators(path)));
        return;
    }
    QString error;
    list = ReadRLAddressList(file.readAll(), &error);
    // What was read before the damage is used.
    if (!error.isEmpty())
        Message(QStringLiteral("ファイル<%1>の形式が正しくありません。").arg(QDir::toNativeSeparators(path)));
}

bool CTelDirectory::Open(const QString& hardDisk, const QString& disc, const QString& difference)
{
    QString data;
    if (!GetDataPath(data)) {
        Message(QStringLiteral("データパスの取得に失敗しました。\nユーザー電話帳データを使用できません。"));
        Message(QStringLiteral("ユーザー辞書を取得できませんでした\n"));
        return false;
    }
    ReadUserFile(QDir(data).filePath(QStringLiteral("UserAddTelData.dat")), m_added);
    ReadUserFile(QDir(data).filePath(QStringLiteral("UserDelTelData.dat")), m_deleted);

    m_files.clear();
    for (const QString& folder : {hardDisk, disc, difference}) {
        if (folder.isEmpty())
            continue;
        auto file = std::make_unique<CDictionaryFile>();
        if (file->Open(QDir(folder).filePath(QLatin1String(kTelephoneFileName)), "telephone") ==
            CDictionaryFile::OK)
            m_files.push_back(std::move(file));
    }
    if (m_files.empty())
        Message(QStringLiteral("データが取得できませんでした。\n電話番号検索をするには、電話帳のCDをセットし"
                               "て操作しなおしてください。\n"));
    return !m_files.empty();
}

int CTelDirectory::Close()
{
    m_added.clear();
    m_deleted.clear();
    m_files.clear();
    return 1;
}

int CTelDirectory::Search(const QString& number, QList<CRLAddress>& list)
{
    if (number.isEmpty())
        return -3;
    const QString digits = DigitsOf(number);
    if (!digits.isEmpty())
        for (const CRLAddress& added : m_added)
            if (DigitsOf(added.m_strTelephone) == digits)
                list.append(added);

    int result = 0;
    m_strFailedPath.clear();
    QList<CRLAddress> hits;
    const QByteArray key = digits.toUtf8();
    for (const auto& file : m_files) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(
                file->Handle(),
                "SELECT kind, sub, telephone, postcode, name, address1, address2, address3, address4 "
                "FROM telephone WHERE number = ? ORDER BY rowid",
                -1, &stmt, nullptr) != SQLITE_OK) {
            result = -1;
            m_strFailedPath = file->GetPath();
            continue;
        }
        sqlite3_bind_text(stmt, 1, key.constData(), int(key.size()), SQLITE_STATIC);
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            CRLAddress hit;
            hit.m_nB = sqlite3_column_int(stmt, 0);
            hit.m_nC = sqlite3_column_int(stmt, 1);
            if (hit.m_nB != 1 && hit.m_nB != 2)
                continue;
            hit.m_strTelephone = Column(stmt, 2);
            if (!IsPhoneText(hit.m_strTelephone))
                hit.m_strTelephone = number;
            hit.m_strPostcode = Column(stmt, 3);
            hit.m_strName = Column(stmt, 4);
            hit.m_strAddress1 = Column(stmt, 5);
            hit.m_strAddress2 = Column(stmt, 6);
            hit.m_strAddress3 = Column(stmt, 7);
            hit.m_strAddress4 = Column(stmt, 8);
            hits.append(hit);
        }
        if (rc != SQLITE_DONE) {
            result = -1;
            m_strFailedPath = file->GetPath();
        }
        sqlite3_finalize(stmt);
    }
    list += hits;
    // The user's deletions hide directory entries, never the user's own.
    list.removeIf(
        [this](const CRLAddress& record) { return record.m_nSource != 4 && m_deleted.contains(record); });
    return result;
}
