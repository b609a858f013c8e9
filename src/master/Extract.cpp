#include "master/Extract.h"

int CExtract::Load()
{
    m_bLoaded = false;
    const int result = LoadSettingsElems(QString::fromLatin1(kFileName), m_strPath, m_conditions);
    m_bLoaded = result == 1;
    return result;
}

int CExtract::Save()
{
    if (!m_bLoaded)
        return 0;
    return SaveSettingsElems(m_strPath, m_conditions);
}

int CExtract::Add(const CExCondition& condition)
{
    if (!m_bLoaded)
        return 0;
    auto copy = std::make_unique<CExCondition>();
    copy->CopyFrom(condition);
    m_conditions.push_back(std::move(copy));
    return Save();
}

CExCondition* CExtract::GetAt(int index)
{
    return index >= 0 && index < GetCount() ? m_conditions[size_t(index)].get() : nullptr;
}

void CExtract::RemoveAt(int index)
{
    if (index >= 0 && index < GetCount())
        m_conditions.erase(m_conditions.begin() + index);
}
