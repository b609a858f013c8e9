#pragma once

#include <QString>
#include <QStringList>

// What the classification drop-down box of the entry dialogs holds and
// learns, without the widget: bound to one (ledger, index), it offers the
// known contents and adds a new text to "ClassTitle.dat" when the box
// loses the focus.
class CBunruiComboModel
{
  public:
    static constexpr int kTextLimit = 100; // bytes

    // Binds the box and reads the file afresh; 1 with the contents listed,
    // 0 (empty list) when the file cannot be loaded.
    int Fill(int ledger, int index);

    // The box lost the focus with `text`: blank text, text already listed
    // and text without a code page 932 form are not learned. Otherwise the
    // text is added to the file in the form the file gives back ("¥" as
    // "\", see Cp932::FoldAliases) and, when that was saved, to the list;
    // nothing is added when that form is listed. True when learned.
    bool Learn(const QString& text);

    const QStringList& GetItems() const { return m_items; }
    int GetLedger() const { return m_nLedger; }
    int GetIndex() const { return m_nIndex; }
    int GetTextLimit() const { return m_nTextLimit; }

  private:
    int m_nLedger = -1;
    int m_nIndex = -1;
    int m_nTextLimit = 0;
    QStringList m_items;
};
