#include "settings/BunruiComboModel.h"

#include "platform/text/Cp932.h"
#include "platform/text/TextHelpers.h"
#include "settings/BunruiData.h"

int CBunruiComboModel::Fill(int ledger, int index)
{
    m_nLedger = ledger;
    m_nIndex = index;
    m_nTextLimit = kTextLimit;
    m_items.clear();
    CBunruiData data;
    if (!data.Load())
        return 0;
    if (const CBunruiDataElem* elem = data.Find(ledger, index))
        for (const QString& content : elem->m_contents)
            if (!content.isEmpty())
                m_items.append(content);
    return 1;
}

bool CBunruiComboModel::Learn(const QString& text)
{
    // Unbound, the box has no classification to learn into; a character
    // without a CP932 form would come back from the file as '?'.
    if (m_nLedger < 0 || text.isEmpty() || IsBlankString(text) || !Cp932::CanEncode(text))
        return false;
    const QString learned = Cp932::FoldAliases(text);
    if (m_items.contains(learned))
        return false;
    CBunruiData data;
    if (data.AddContentAndSave(m_nLedger, m_nIndex, learned) != 1)
        return false;
    m_items.append(learned);
    return true;
}
