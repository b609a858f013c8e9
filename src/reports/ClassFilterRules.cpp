#include "reports/ClassFilterRules.h"

#include "settings/BunruiData.h"

void CClassFilterRules::Build(CBunruiData& data, int ledger, const QString& noneText,
                              const QString& previousTitle, const QStringList& previousContents)
{
    m_entries.clear();
    m_entries.append(Entry{noneText, {}, false});
    int remembered = 0;
    for (int index = 0; index < 5; ++index) {
        Entry entry{GetDefaultBunruiTitle(index), {}, false};
        // A file that cannot be read has said so; the default titles stay.
        if (const CBunruiDataElem* elem = data.Find(ledger, index)) {
            entry.title = data.GetTitle(ledger, index);
            entry.contents = elem->m_contents;
            entry.stored = true;
            if (!previousTitle.isEmpty() && entry.title == previousTitle && remembered == 0)
                remembered = index + 1;
        }
        m_entries.append(entry);
    }
    m_previousContents = previousContents;
    Select(remembered);
}

void CClassFilterRules::Select(int entry)
{
    m_nSelected = entry >= 0 && entry < m_entries.size() ? entry : 0;
    ClearRows();
    if (m_entries.isEmpty() || !m_entries[m_nSelected].stored)
        return;
    for (const QString& content : m_entries[m_nSelected].contents) {
        m_rows.append(content);
        m_ticks.append(m_previousContents.contains(content));
    }
}

void CClassFilterRules::ClearRows()
{
    m_rows.clear();
    m_ticks.clear();
}

void CClassFilterRules::ClickCheck(int row, const QList<int>& selectedRows)
{
    if (row < 0 || row >= m_ticks.size())
        return;
    const bool state = !m_ticks[row];
    if (!selectedRows.contains(row)) {
        m_ticks[row] = state;
        return;
    }
    for (int r : selectedRows)
        if (r >= 0 && r < m_ticks.size())
            m_ticks[r] = state;
}

QStringList CClassFilterRules::Ticked() const
{
    QStringList ticked;
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_ticks[i])
            ticked.append(m_rows[i]);
    return ticked;
}
