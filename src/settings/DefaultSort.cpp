#include "settings/DefaultSort.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include "platform/archive/ArchiveReader.h"
#include "platform/archive/ArchiveWriter.h"
#include "platform/archive/SafeFile.h"
#include "platform/ui/Prompt.h"
#include "platform/ui/UiServices.h"
#include "settings/QXColFactory.h"
#include "settings/SettingsArchive.h"

namespace
{

// A sort file holds a few entries; anything near this size is not one.
constexpr qint64 kMaxFileSize = 1024 * 1024;

void Show(const char* text)
{
    UiServices::Prompt().MessageBox(QString::fromUtf8(text), MB_OK, MB_ICONNONE);
}

bool IsValidOrder(int order)
{
    return order == 0 || order == 1;
}

bool IsValid(const CDefaultSort& entry)
{
    return IsValidOrder(entry.m_nOrder) && CDefaultSortList::IsSortField(entry.m_nListKind, entry.m_strField);
}

} // namespace

QString GetListCodeField(int listKind)
{
    switch (listKind) {
    case kListItem:
        return QStringLiteral("ItemCode");
    case kListCustomer:
        return QStringLiteral("CustomerCode");
    case kListSupplier:
        return QStringLiteral("SupplierCode");
    default:
        return {};
    }
}

void CDefaultSort::Serialize(CArchiveReader& ar)
{
    m_nListKind = ar.ReadInt32();
    m_strField = ar.ReadText();
    m_nOrder = ar.ReadInt32();
}

void CDefaultSort::Serialize(CArchiveWriter& ar) const
{
    ar.WriteInt32(m_nListKind);
    ar.WriteText(m_strField);
    ar.WriteInt32(m_nOrder);
}

CDefaultSortList::CDefaultSortList() : m_strPath(GetSettingsFilePath(QString::fromLatin1(kFileName))) {}

bool CDefaultSortList::IsSortField(int listKind, const QString& field)
{
    if (listKind < kListItem || listKind > kListSupplier)
        return false;
    const auto is = [&](const char* name) { return field == QLatin1String(name); };
    if (is(kFieldCompanySectionName) || is(kFieldPhoenicCompanyPerson))
        return false;
    if (listKind == kListItem && std::any_of(std::begin(kHiddenItemFields), std::end(kHiddenItemFields), is))
        return false;
    return std::any_of(std::begin(kFactoryColumns), std::end(kFactoryColumns),
                       [&](const CQXColDef& def) { return def.nSetID == listKind - 1 && is(def.pszField); });
}

int CDefaultSortList::Load()
{
    m_bLoaded = true;
    m_bUnopened = false;
    m_entries.clear();
    if (m_strPath.isEmpty())
        return 0;
    if (!QFileInfo(m_strPath).isFile())
        return 1;
    QFile file(m_strPath);
    if (!file.open(QIODevice::ReadOnly)) {
        m_bUnopened = true;
        Show("ファイルを開けません。並び順を取得できません。");
        return 0;
    }
    try {
        if (file.size() > kMaxFileSize)
            throw CArchiveError(CArchiveError::FileError, "sort file too large");
        CArchiveReader ar(file.readAll());
        if (file.error() != QFileDevice::NoError)
            throw CArchiveError(CArchiveError::FileError, "sort file cannot be read");
        QList<CDefaultSort> entries;
        const quint32 count = ar.ReadCount();
        for (quint32 i = 0; i < count; ++i) {
            ar.ReadObjectTag({QByteArray(CDefaultSort::kClassName)});
            CDefaultSort entry;
            entry.Serialize(ar);
            // An entry naming anything but a sortable column of its list is
            // dropped: it would end up inside the list's query.
            if (IsValid(entry))
                entries.append(entry);
        }
        m_entries = entries;
        return 1;
    } catch (const CArchiveError&) {
        Show("ファイル操作中にエラーが発生しました");
        return 0;
    }
}

const CDefaultSort* CDefaultSortList::Find(int listKind)
{
    if (!m_bLoaded && !Load())
        return nullptr;
    for (const CDefaultSort& entry : m_entries)
        if (entry.m_nListKind == listKind)
            return &entry;
    return nullptr;
}

int CDefaultSortList::Set(int listKind, const QString& field, int order)
{
    if (field.isEmpty() || !IsValidOrder(order))
        return 0;
    CDefaultSort entry(listKind);
    entry.m_strField = field;
    entry.m_nOrder = order;
    return Save(entry);
}

int CDefaultSortList::Save(const CDefaultSort& entry)
{
    if (!IsValid(entry))
        return 0;
    if (!m_bLoaded && !Load())
        return 0;
    if (m_strPath.isEmpty() || m_bUnopened)
        return 0;
    bool found = false;
    for (CDefaultSort& held : m_entries) {
        if (held.m_nListKind == entry.m_nListKind) {
            held = entry;
            found = true;
        }
    }
    if (!found)
        m_entries.append(entry);

    CArchiveWriter ar;
    ar.WriteCount(quint32(m_entries.size()));
    for (const CDefaultSort& held : m_entries) {
        ar.WriteObjectTag(CDefaultSort::kClassName);
        held.Serialize(ar);
    }
    if (!AtomicWriteFile(m_strPath, ar.Data())) {
        Show("ファイルを開けません。並び順を設定できません。");
        return 0;
    }
    return 1;
}
