#include "settings/ComboDataBoxModel.h"

#include "platform/text/Cp932.h"

int CComboDataBoxModel::Fill(int kind, int learn)
{
    m_items.clear();
    m_nLearn = learn;
    if (!m_data.Load(kind)) {
        m_nLearn = 0;
        return 0;
    }
    m_nTextLimit = CComboData::GetTextLimit(kind);
    for (const auto& elem : m_data.GetElems())
        m_items.append(elem->m_strText);
    return 1;
}

bool CComboDataBoxModel::Learn(const QString& text)
{
    if (!m_nLearn || text.isEmpty() || !Cp932::CanEncode(text))
        return false;
    const QString learned = Cp932::FoldAliases(text);
    if (m_items.contains(learned))
        return false;
    if (m_data.Add(learned) != 1)
        return false;
    m_items.append(learned);
    return true;
}
