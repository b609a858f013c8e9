#include "platform/forms/PloMainData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include "platform/archive/ArchiveError.h"
#include "platform/archive/SafeFile.h"
#include "platform/env/ArdoEnv.h"

namespace
{

// Catalogues hold a few dozen bytes per form.
constexpr qint64 kMaxCatalogSize = 4 * 1024 * 1024;

enum class ReadResult { Missing, Read, Damaged };

ReadResult ReadCatalog(const QString& path, const char* magic, CFormCatalog::Contents contents,
                       CFormCatalog& catalog)
{
    QFile file(path);
    if (!file.exists())
        return ReadResult::Missing;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxCatalogSize)
        return ReadResult::Damaged;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return ReadResult::Damaged;
    try {
        catalog = CFormCatalog::Read(bytes, magic, contents);
        return ReadResult::Read;
    } catch (const CArchiveError&) {
        return ReadResult::Damaged;
    }
}

bool WriteCatalog(const QString& path, const QByteArray& bytes)
{
    return QDir().mkpath(QFileInfo(path).path()) && AtomicWriteFile(path, bytes);
}

QList<CLayoutInfo> OfKind(const QList<CLayoutInfo>& layouts, int kind)
{
    QList<CLayoutInfo> found;
    for (const CLayoutInfo& layout : layouts) {
        if (layout.m_nKind == kind)
            found << layout;
    }
    std::sort(found.begin(), found.end(),
              [](const CLayoutInfo& a, const CLayoutInfo& b) { return a.m_nFormID < b.m_nFormID; });
    return found;
}

} // namespace

CPloMainData::CPloMainData(const QString& dataRoot)
    : m_strDataRoot(dataRoot.isEmpty() ? CArdoEnv().GetDataRoot() : dataRoot)
{
}

QString CPloMainData::GetFactoryCatalogPath() const
{
    return m_strDataRoot + QStringLiteral("/Fmt/Forms.dat");
}

QString CPloMainData::GetUserCatalogPath() const
{
    return m_strDataRoot + QStringLiteral("/Org/UserForms.dat");
}

void CPloMainData::LoadFactory()
{
    if (m_bFactoryLoaded)
        return;
    m_bFactoryLoaded = true;
    const QString path = GetFactoryCatalogPath();
    switch (ReadCatalog(path, kFactoryMagic, CFormCatalog::kFactoryForms, m_factory)) {
    case ReadResult::Read:
        break;
    case ReadResult::Missing:
        // The shipped list goes into the data root, where an installation
        // may replace it; when that fails it is used from memory.
        m_factory = CFormCatalog::BuiltInFactoryForms();
        WriteCatalog(path, m_factory.Write(kFactoryMagic));
        break;
    case ReadResult::Damaged:
        m_factory = CFormCatalog::BuiltInFactoryForms();
        break;
    }
}

int CPloMainData::ReadPickUp()
{
    m_bUserLoaded = true;
    m_user = CFormCatalog();
    CFormCatalog read;
    switch (ReadCatalog(GetUserCatalogPath(), kUserMagic, CFormCatalog::kUserForms, read)) {
    case ReadResult::Missing:
        return 1;
    case ReadResult::Read:
        m_user = read;
        return 1;
    case ReadResult::Damaged:
        break;
    }
    return 0;
}

void CPloMainData::EnsureUserForms()
{
    if (!m_bUserLoaded)
        ReadPickUp();
}

const QList<CLayoutInfo>& CPloMainData::GetUserForms()
{
    EnsureUserForms();
    return m_user.m_layouts;
}

qint32 CPloMainData::GetNextUserFormID()
{
    EnsureUserForms();
    return m_user.m_nNextUserID;
}

QList<CLayoutInfo> CPloMainData::GetFactoryForms()
{
    LoadFactory();
    return m_factory.m_layouts;
}

const CLayoutInfo* CPloMainData::GetLayoutInfo(long id)
{
    if (id < 1)
        return nullptr;
    const QList<CLayoutInfo>* list = &m_factory.m_layouts;
    if (id > CLayoutInfo::kUserFormBase) {
        EnsureUserForms();
        list = &m_user.m_layouts;
    } else {
        LoadFactory();
    }
    const auto found = std::find_if(list->cbegin(), list->cend(),
                                    [id](const CLayoutInfo& layout) { return layout.m_nFormID == id; });
    return found == list->cend() ? nullptr : &*found;
}

int CPloMainData::GetFormBunrui(long id)
{
    const CLayoutInfo* layout = GetLayoutInfo(id);
    return layout ? layout->m_nBunrui : 0;
}

QList<CLayoutInfo> CPloMainData::GetLayouts(int kind)
{
    LoadFactory();
    EnsureUserForms();
    const int wanted = kind == 3 ? 2 : kind;
    return OfKind(m_factory.m_layouts, wanted) + OfKind(m_user.m_layouts, wanted);
}

bool CPloMainData::SaveUserForms(const CFormCatalog& catalog)
{
    EnsureUserForms();
    CFormCatalog saved = catalog;
    saved.m_nNextUserID = std::max(saved.m_nNextUserID, m_user.m_nNextUserID);
    for (const CLayoutInfo& layout : std::as_const(saved.m_layouts))
        saved.m_nNextUserID = std::max(saved.m_nNextUserID, layout.m_nFormID + 1);
    if (!WriteCatalog(GetUserCatalogPath(), saved.Write(kUserMagic)))
        return false;
    m_user = saved;
    return true;
}
