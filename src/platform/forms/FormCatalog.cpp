#include "platform/forms/FormCatalog.h"

#include <QSet>

#include "platform/archive/ArchiveError.h"
#include "platform/archive/ArchiveReader.h"
#include "platform/archive/ArchiveWriter.h"

namespace
{

constexpr qint32 kVersion = 1;

void Refuse(const char* what)
{
    throw CArchiveError(CArchiveError::BadFormat, what);
}

} // namespace

QString SlipFormKindName(int kind)
{
    static const char16_t* const kNames[] = {
        u"見積書",     u"売上伝票",   u"売上伝票", u"注文書",     u"仕入伝票",   u"締め請求書", u"支払明細書",
        u"得意先元帳", u"仕入先元帳", u"領収書",   u"宛名ラベル", u"商品ラベル", u"振込依頼書",
    };
    return kind >= 1 && kind <= 13 ? QString::fromUtf16(kNames[kind - 1]) : QString();
}

QByteArray CFormCatalog::Write(const char* magic) const
{
    CArchiveWriter writer;
    writer.WriteText(QString::fromLatin1(magic));
    writer.WriteInt32(kVersion);
    writer.WriteInt32(m_nNextUserID);
    writer.WriteCount(quint32(m_layouts.size()));
    for (const CLayoutInfo& layout : m_layouts) {
        writer.WriteInt32(layout.m_nFormID);
        writer.WriteInt32(layout.m_nKind);
        writer.WriteInt32(layout.m_nBunrui);
        writer.WriteInt32(layout.m_nLayout);
        writer.WriteText(layout.m_strName);
    }
    return writer.Data();
}

CFormCatalog CFormCatalog::Read(const QByteArray& bytes, const char* magic, Contents contents)
{
    CArchiveReader reader(bytes);
    if (reader.ReadText() != QLatin1String(magic))
        Refuse("not a form catalogue");
    if (reader.ReadInt32() != kVersion)
        Refuse("form catalogue of another version");
    CFormCatalog catalog;
    catalog.m_nNextUserID = reader.ReadInt32();
    if (contents == kUserForms && catalog.m_nNextUserID <= CLayoutInfo::kUserFormBase)
        Refuse("next user form id out of range");
    const quint32 count = reader.ReadCount();
    QSet<qint32> ids;
    for (quint32 i = 0; i < count; ++i) {
        CLayoutInfo layout;
        layout.m_nFormID = reader.ReadInt32();
        layout.m_nKind = reader.ReadInt32();
        layout.m_nBunrui = reader.ReadInt32();
        layout.m_nLayout = reader.ReadInt32();
        layout.m_strName = reader.ReadText();
        const bool idFits = contents == kUserForms
                                ? layout.IsUserForm() && layout.m_nFormID < catalog.m_nNextUserID
                                : layout.m_nFormID >= 1 && !layout.IsUserForm();
        if (!idFits || ids.contains(layout.m_nFormID) || layout.m_nKind < 1 || layout.m_nKind > 13 ||
            layout.m_nLayout < 1 || layout.m_strName.isEmpty())
            Refuse("unsound layout in form catalogue");
        ids.insert(layout.m_nFormID);
        catalog.m_layouts << layout;
    }
    if (!reader.AtEnd())
        Refuse("bytes after the form catalogue");
    return catalog;
}

CFormCatalog CFormCatalog::BuiltInFactoryForms()
{
    static const struct {
        qint32 id, kind, bunrui;
        const char16_t* name;
    } kForms[] = {
        {101, 1, 1, u"見積書（標準）"},
        {102, 1, 1, u"見積書（明細２０行）"},
        {201, 2, 1, u"納品書（標準）"},
        {202, 2, 2, u"納品書・請求書（３枚複写）"},
        {203, 2, 1, u"売上伝票（単票）"},
        {401, 4, 1, u"注文書（標準）"},
        {501, 5, 1, u"仕入伝票（標準）"},
        {601, 6, 1, u"請求書（締め）"},
        {602, 6, 1, u"請求書（明細付）"},
        {701, 7, 1, u"支払明細書"},
        {801, 8, 1, u"得意先元帳"},
        {901, 9, 1, u"仕入先元帳"},
        {1001, 10, 1, u"領収書"},
        {1002, 10, 1, u"領収書（控え付）"},
        {1101, 11, 1, u"宛名ラベル（１２面）"},
        {1102, 11, 1, u"長形３号封筒"},
        {1201, 12, 1, u"商品ラベル（２４面）"},
        {1301, 13, 1, u"振込依頼書"},
    };
    CFormCatalog catalog;
    for (const auto& form : kForms)
        catalog.m_layouts << CLayoutInfo{form.id, form.kind, form.bunrui, form.id,
                                         QString::fromUtf16(form.name)};
    return catalog;
}
