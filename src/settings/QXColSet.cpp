#include "settings/QXColSet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>

#include "platform/archive/ArchiveReader.h"
#include "platform/archive/ArchiveWriter.h"
#include "platform/archive/SafeFile.h"
#include "platform/env/ArdoEnv.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "settings/BunruiData.h"
#include "settings/QXColFactory.h"
#include "settings/SettingsArchive.h"

namespace
{

// Column files hold a few kilobytes; anything near this size is not one of them.
constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

// The whole file; nullopt when it cannot be opened. A read that fails
// part-way raises a file error.
std::optional<QByteArray> ReadWholeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (file.size() > kMaxFileSize)
        throw CArchiveError(CArchiveError::FileError, "column file too large");
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw CArchiveError(CArchiveError::FileError, "column file cannot be read");
    return bytes;
}

QList<CQXColSet> ReadSets(const QByteArray& bytes)
{
    CArchiveReader ar(bytes);
    QList<CQXColSet> sets;
    const quint32 count = ar.ReadCount();
    for (quint32 i = 0; i < count; ++i) {
        ar.ReadObjectTag({QByteArray(CQXColSet::kClassName)});
        CQXColSet set;
        set.Serialize(ar);
        sets.append(std::move(set));
    }
    return sets;
}

QByteArray WriteSets(const QList<CQXColSet>& sets)
{
    CArchiveWriter ar;
    ar.WriteCount(quint32(sets.size()));
    for (const CQXColSet& set : sets) {
        ar.WriteObjectTag(CQXColSet::kClassName);
        set.Serialize(ar);
    }
    return ar.Data();
}

// 0-4 for "Class1".."Class5", else -1.
int ClassIndex(const QString& field)
{
    if (field.size() == 6 && field.startsWith(QLatin1String("Class")) && field[5] >= u'1' && field[5] <= u'5')
        return field[5].unicode() - u'1';
    return -1;
}

// The classification titles of the current database, read once: a damaged
// file is offered for reset once, not once per column, and after a refused
// reset every title is the default.
class CClassTitles
{
  public:
    CClassTitles() : m_bUsable(m_data.Load() == 1) {}

    QString Get(int ledger, int index)
    {
        return m_bUsable ? m_data.GetTitle(ledger, index) : GetDefaultBunruiTitle(index);
    }

  private:
    CBunruiData m_data;
    bool m_bUsable;
};

bool IsLedgerSet(int setID)
{
    return setID >= kColSetItem && setID <= kColSetSupplier;
}

// What every list does to the columns it is given: the product list never
// offers its stock and supplier columns, and classification columns take
// the titles as they stand now.
void ApplyListRules(CQXColSet& set)
{
    if (set.m_nID == kColSetItem) {
        set.m_cols.removeIf([](const CQXCol& col) {
            return std::any_of(std::begin(kHiddenItemFields), std::end(kHiddenItemFields),
                               [&](const char* field) { return col.m_strField == QLatin1String(field); });
        });
    }
    if (!IsLedgerSet(set.m_nID))
        return;
    CClassTitles titles;
    for (CQXCol& col : set.m_cols) {
        const int index = ClassIndex(col.m_strField);
        if (index >= 0)
            col.m_strCaption = titles.Get(set.m_nID, index);
    }
}

// Copies the set of that id into `target` and applies the list rules: 1, or
// 0 (target untouched) when no set has the id.
int TakeListSet(const QList<CQXColSet>& sets, int setID, CQXColSet& target)
{
    for (const CQXColSet& set : sets) {
        if (set.m_nID == setID) {
            target.Copy(set);
            ApplyListRules(target);
            return 1;
        }
    }
    return 0;
}

bool BuildFactoryFile(const QString& folder)
{
    CClassTitles titles;
    QList<CQXColSet> sets(kColSetCount);
    for (int id = 0; id < kColSetCount; ++id)
        sets[id].m_nID = id;
    for (const CQXColDef& def : kFactoryColumns) {
        const QString field = QString::fromUtf8(def.pszField);
        const QString caption =
            def.pszCaption ? QString::fromUtf8(def.pszCaption) : titles.Get(def.nSetID, ClassIndex(field));
        sets[def.nSetID].m_cols.append(CQXCol(field, caption, def.nWidth, def.nAlign, def.nShown));
    }
    return AtomicWriteFileNoCase(folder, QString::fromLatin1(CQXColOperate::kFactoryFile), WriteSets(sets));
}

// The factory file's sets, all seven of them; nullopt, without a word, when
// it cannot be opened, is damaged or lacks a list.
std::optional<QList<CQXColSet>> ReadFactoryFile(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    try {
        const std::optional<QByteArray> bytes = ReadWholeFile(path);
        if (!bytes)
            return std::nullopt;
        QList<CQXColSet> sets = ReadSets(*bytes);
        for (int id = 0; id < kColSetCount; ++id) {
            if (std::none_of(sets.begin(), sets.end(),
                             [id](const CQXColSet& set) { return set.m_nID == id; }))
                return std::nullopt;
        }
        return sets;
    } catch (const CArchiveError&) {
        return std::nullopt;
    }
}

// The factory sets. The file holds nothing but the program's own table, so
// when it is missing (an export may ask before any list has been shown) or
// cannot be read it is built again and read back; nullopt when that fails
// too (the callers advise reinstalling).
std::optional<QList<CQXColSet>> ReadFactorySets()
{
    const QString folder = CArdoEnv().GetMyDataFolder();
    const QString name = QString::fromLatin1(CQXColOperate::kFactoryFile);
    if (std::optional<QList<CQXColSet>> sets = ReadFactoryFile(FindFileNoCase(folder, name)))
        return sets;
    if (!BuildFactoryFile(folder))
        return std::nullopt;
    return ReadFactoryFile(FindFileNoCase(folder, name));
}

} // namespace

void CQXCol::Serialize(CArchiveReader& ar)
{
    m_strField = ar.ReadText();
    m_strCaption = ar.ReadText();
    m_nWidth = ar.ReadInt32();
    m_nAlign = ar.ReadInt32();
    m_nShown = ar.ReadInt32();
}

void CQXCol::Serialize(CArchiveWriter& ar) const
{
    ar.WriteText(m_strField);
    ar.WriteText(m_strCaption);
    ar.WriteInt32(m_nWidth);
    ar.WriteInt32(m_nAlign);
    ar.WriteInt32(m_nShown);
}

int CQXColSet::IndexOf(const QString& field) const
{
    for (int i = 0; i < m_cols.size(); ++i)
        if (m_cols[i].m_strField == field)
            return i;
    return -1;
}

void CQXColSet::Serialize(CArchiveReader& ar)
{
    m_nID = ar.ReadInt32();
    m_cols.clear();
    const quint32 count = ar.ReadCount();
    for (quint32 i = 0; i < count; ++i) {
        ar.ReadObjectTag({QByteArray(CQXCol::kClassName)});
        CQXCol col;
        col.Serialize(ar);
        m_cols.append(std::move(col));
    }
}

void CQXColSet::Serialize(CArchiveWriter& ar) const
{
    ar.WriteInt32(m_nID);
    ar.WriteCount(quint32(m_cols.size()));
    for (const CQXCol& col : m_cols) {
        ar.WriteObjectTag(CQXCol::kClassName);
        col.Serialize(ar);
    }
}

CQXColOperate::LoadResult CQXColOperate::LoadDisplaySets(QString& path)
{
    m_sets.clear();
    const QString folder = GetCurrentDBFolder();
    if (folder.isEmpty())
        return LoadResult::NoDatabase;
    path = ResolveForWrite(folder, QString::fromLatin1(kDisplayFile));
    if (!QFileInfo(path).isFile()) {
        BuildDefaultDisplay();
        return LoadResult::Loaded;
    }
    try {
        const std::optional<QByteArray> bytes = ReadWholeFile(path);
        if (!bytes)
            return LoadResult::Unreadable;
        m_sets = ReadSets(*bytes);
    } catch (const CArchiveError& error) {
        // Whatever was read before the damage is dropped: a save must not
        // write half a file back as if it were the user's choice.
        ShowReadError(path, error.GetKind());
        BuildDefaultDisplay();
    }
    return LoadResult::Loaded;
}

void CQXColOperate::BuildDefaultDisplay()
{
    m_sets.clear();
    std::optional<QList<CQXColSet>> sets = ReadFactorySets();
    if (!sets)
        return;
    for (CQXColSet& set : *sets)
        set.m_cols.removeIf([](const CQXCol& col) { return col.m_nShown != 1; });
    m_sets = std::move(*sets);
}

int CQXColOperate::GetColSet(int setID, CQXColSet& target)
{
    QString path;
    if (LoadDisplaySets(path) != LoadResult::Loaded)
        return 0;
    return TakeListSet(m_sets, setID, target);
}

int CQXColOperate::GetDefaultColSet(int setID, CQXColSet& target) const
{
    const std::optional<QList<CQXColSet>> sets = ReadFactorySets();
    return sets ? TakeListSet(*sets, setID, target) : 0;
}

int CQXColOperate::SaveColSet(const CQXColSet& set)
{
    QString path;
    switch (LoadDisplaySets(path)) {
    case LoadResult::NoDatabase:
        return 0;
    case LoadResult::Unreadable:
        // Replacing a file we could not read would lose the other lists' columns.
        ShowFileError("ファイル<%1>を開けません。", path);
        return 0;
    case LoadResult::Loaded:
        break;
    }
    const auto same = std::find_if(m_sets.begin(), m_sets.end(),
                                   [&](const CQXColSet& held) { return held.m_nID == set.m_nID; });
    if (same != m_sets.end())
        same->m_cols = set.m_cols;
    else
        m_sets.append(set);
    if (!AtomicWriteFile(path, WriteSets(m_sets))) {
        ShowFileError("ファイル<%1>の書き込み中にエラーが発生しました。", path);
        return 0;
    }
    return 1;
}
