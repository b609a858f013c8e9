#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class CBunruiData;

// The classification filter of the condition dialogs, without widgets:
// entry 0 filters nothing, entries 1-5 are the ledger's classifications with
// their stored titles and contents; the rows are the chosen entry's contents.
class CClassFilterRules
{
  public:
    struct Entry {
        QString title;
        QStringList contents;
        bool stored = false;
    };

    // Builds the entries: `noneText` first, then the five titles; the entry
    // whose stored title is `previousTitle` is selected, else entry 0. The
    // previous contents are ticked again when their entry is filled.
    void Build(CBunruiData& data, int ledger, const QString& noneText, const QString& previousTitle,
               const QStringList& previousContents);
    // Selects an entry and fills its rows; without stored contents, none.
    void Select(int entry);
    // Empties the rows (the list is disabled).
    void ClearRows();
    // A click on the check box of `row`: the new state is the opposite of
    // that row's; every selected row takes it when the row is selected.
    void ClickCheck(int row, const QList<int>& selectedRows);

    QString FieldName() const
    {
        return m_nSelected > 0 ? QStringLiteral("Class%1").arg(m_nSelected) : QString();
    }
    QStringList Ticked() const;

    QList<Entry> m_entries;
    int m_nSelected = 0;
    QStringList m_rows;
    QList<bool> m_ticks;
    QStringList m_previousContents;
};
