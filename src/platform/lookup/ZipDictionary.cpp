#include "platform/lookup/ZipDictionary.h"

#include "platform/env/ArdoEnv.h"
#include "platform/env/RegistryIni.h"
#include "platform/text/Cp932.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

namespace
{

const QString kRegistryKey = QStringLiteral("SOFTWARE\\Pellam\\Morvek\\Common\\MorvekTel");
constexpr int kMaxPathBytes = 260;

QString Folder(const char* value, const char* file)
{
    const QString folder = ReadRegistryText(kRegistryKey, QLatin1String(value), kMaxPathBytes);
    if (!folder.isEmpty())
        return folder;
    const QString installed = CArdoEnv().GetProgramFolder() + QStringLiteral("/Dic");
    return QFileInfo(QDir(installed).filePath(QLatin1String(file))).isFile() ? installed : QString();
}

QString Column(sqlite3_stmt* stmt, int i)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)));
}

} // namespace

bool CZipDictionary::GetDictionaryPaths(QString& postal, QString& corporate)
{
    postal = Folder("YubinPath", kPostalFileName);
    corporate = Folder("HojinPath", kCorporateFileName);
    return !postal.isEmpty() && !corporate.isEmpty();
}

int CZipDictionary::Open(const QString& postalFolder, const QString& corporateFolder)
{
    if (m_bOpen)
        return 98;
    if (postalFolder.isEmpty() || corporateFolder.isEmpty())
        return 1;
    switch (m_postal.Open(QDir(postalFolder).filePath(QLatin1String(kPostalFileName)), "postal")) {
    case CDictionaryFile::OK:
        break;
    case CDictionaryFile::MISSING:
        return 2;
    case CDictionaryFile::BROKEN:
        return 4;
    case CDictionaryFile::OTHER_VERSION:
        return 5;
    }
    const CDictionaryFile::Result corp =
        m_corporate.Open(QDir(corporateFolder).filePath(QLatin1String(kCorporateFileName)), "corporate");
    if (corp != CDictionaryFile::OK) {
        m_postal.Close();
        return corp == CDictionaryFile::MISSING ? 35 : 36;
    }
    m_bOpen = true;
    return 0;
}

void CZipDictionary::Close()
{
    m_postal.Close();
    m_corporate.Close();
    m_bOpen = false;
}

void CZipDictionary::Reset()
{
    for (QString& key : m_strKey)
        key.clear();
    m_nodes.clear();
    for (QList<int>& level : m_levels)
        level.clear();
    for (int& selected : m_nSelected)
        selected = 0;
    m_nLastSelected = -1;
    m_corp[0].clear();
    m_corp[1].clear();
}

void CZipDictionary::SetKey(int kind, const QString& text)
{
    if (kind < 4 || kind > 11)
        return;
    m_strKey[kind - 4] = Cp932::TruncateToBytes(text, kind <= 5 ? 16 : 100);
}

int CZipDictionary::Child(int parent, const QString& name)
{
    for (const int child : m_nodes[parent].children)
        if (m_nodes[child].entry.m_strName == name)
            return child;
    CNode node;
    node.entry.m_strName = name;
    m_nodes.append(node);
    const int index = int(m_nodes.size()) - 1;
    m_nodes[parent].children.append(index);
    return index;
}

int CZipDictionary::Search()
{
    if (!m_bOpen)
        return 98;
    m_nodes = {CNode()};
    for (QList<int>& level : m_levels)
        level.clear();
    m_corp[0].clear();
    m_corp[1].clear();
    m_nLastSelected = -1;

    QString key = m_strKey[0];
    const bool prefix = key.endsWith(u'*');
    if (prefix)
        key.chop(1);
    // A prefix is a range of the postcode index: every postcode that starts
    // with it sorts before the prefix followed by the character after "9".
    const QByteArray low = key.toUtf8();
    // An exact key is the range up to the key followed by the lowest byte.
    const QByteArray high = low + (prefix ? ':' : '\x01');
    const char* sql =
        m_bCorporate
            ? "SELECT pref, city, postcode, company, address FROM corporate WHERE postcode >= ?1 AND "
              "postcode < ?2 "
              "ORDER BY postcode, rowid"
            : "SELECT pref, city, town, rest, postcode FROM postal WHERE postcode >= ?1 AND postcode < ?2 "
              "ORDER BY postcode, rowid";
    sqlite3* db = (m_bCorporate ? m_corporate : m_postal).Handle();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
        return 99;
    sqlite3_bind_text(stmt, 1, low.constData(), int(low.size()), SQLITE_STATIC);
    sqlite3_bind_text(stmt, 2, high.constData(), int(high.size()), SQLITE_STATIC);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        const int pref = Child(0, Column(stmt, 0));
        const int city = Child(pref, Column(stmt, 1));
        if (m_bCorporate) {
            m_nodes[city].corp.append({Column(stmt, 2), Column(stmt, 3), Column(stmt, 4)});
            continue;
        }
        const int town = Child(city, Column(stmt, 2));
        // Each row is its own complete path: two addresses that differ only
        // in their postcode stay two.
        CNode rest;
        rest.entry = {Column(stmt, 3), Column(stmt, 4), true};
        m_nodes.append(rest);
        m_nodes[town].children.append(int(m_nodes.size()) - 1);
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) {
        m_nodes = {CNode()};
        return 99;
    }
    return FillLevel(0, 0);
}

int CZipDictionary::FillLevel(int level, int parent)
{
    for (int l = level; l < kLevels; ++l) {
        m_levels[l].clear();
        m_nSelected[l] = 0;
    }
    m_corp[0].clear();
    m_levels[level] = m_nodes[parent].children;
    m_corp[0] = m_nodes[parent].corp;
    return m_levels[level].isEmpty() && m_corp[0].isEmpty() ? kNoHits : 0;
}

int CZipDictionary::SearchNext()
{
    if (!m_bOpen)
        return 98;
    const int level = m_nLastSelected;
    if (level < 0 || level + 1 >= kLevels || m_nSelected[level] < 0 ||
        m_nSelected[level] >= m_levels[level].size())
        return kNoHits;
    return FillLevel(level + 1, m_levels[level][m_nSelected[level]]);
}

int CZipDictionary::GetCount(int level) const
{
    return level >= 0 && level < kLevels ? int(m_levels[level].size()) : 0;
}

const CZipEntry* CZipDictionary::GetEntry(int level, int index) const
{
    if (level < 0 || level >= kLevels || index < 0 || index >= m_levels[level].size())
        return nullptr;
    return &m_nodes[m_levels[level][index]].entry;
}

void CZipDictionary::SetSelected(int level, int index)
{
    if (level < 0 || level >= kLevels)
        return;
    m_nSelected[level] = index;
    m_nLastSelected = level;
}

int CZipDictionary::GetCorpCount(int list) const
{
    return list == 0 || list == 1 ? int(m_corp[list].size()) : 0;
}

const CCorpEntry* CZipDictionary::GetCorpEntry(int list, int index) const
{
    if (list < 0 || list > 1 || index < 0 || index >= m_corp[list].size())
        return nullptr;
    return &m_corp[list][index];
}
