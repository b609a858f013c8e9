#include "settings/ComboData.h"

void CComboDataElem::Serialize(CArchiveReader& ar)
{
    m_strText = ar.ReadText();
    m_nDeletable = ar.ReadInt32();
}

void CComboDataElem::Serialize(CArchiveWriter& ar) const
{
    ar.WriteText(m_strText);
    ar.WriteInt32(m_nDeletable);
}

QString CComboData::GetFileName(int kind)
{
    switch (kind) {
    case COMBO_TANTO:
        return QStringLiteral("Tanto.dat");
    case COMBO_MONEY:
        return QStringLiteral("Money.dat");
    case COMBO_UNIT:
        return QStringLiteral("Unit.dat");
    default:
        return {};
    }
}

int CComboData::GetTextLimit(int kind)
{
    static const int kLimits[] = {30, 50, 20};
    return kind >= 0 && kind < 3 ? kLimits[kind] : 0;
}

int CComboData::Load(int kind)
{
    m_nKind = kind;
    m_bLoaded = false;
    m_elems.clear();
    m_strPath.clear();
    const QString fileName = GetFileName(kind);
    if (fileName.isEmpty())
        return 0;
    const int result = LoadSettingsElems(fileName, m_strPath, m_elems);
    m_bLoaded = result == 1;
    return result;
}

int CComboData::Add(const QString& text)
{
    if (!m_bLoaded)
        return 0;
    m_bLoaded = ReloadSettingsElems(m_strPath, m_elems) == 1;
    if (!m_bLoaded)
        return 0;
    for (const auto& elem : m_elems)
        if (elem->m_strText == text)
            return 1;
    auto elem = std::make_unique<CComboDataElem>();
    elem->m_strText = text;
    m_elems.push_back(std::move(elem));
    return Save();
}

int CComboData::Save()
{
    if (!m_bLoaded)
        return 0;
    return SaveSettingsElems(m_strPath, m_elems);
}

int CComboData::SaveEdits()
{
    if (!m_bLoaded && !m_strPath.isEmpty()) {
        if (!AskResetBeforeSave(m_strPath))
            return -1;
        m_bLoaded = true;
    }
    return Save();
}
