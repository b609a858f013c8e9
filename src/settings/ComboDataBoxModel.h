#pragma once

#include <QStringList>

#include "settings/ComboData.h"

// What the learning drop-down box of an entry list holds and learns,
// without the widget.
class CComboDataBoxModel
{
  public:
    // Lists the kind's names; with `learn` set, new texts are added to the
    // file. 1 filled, 0 when the list cannot be loaded (learning is then off).
    int Fill(int kind, int learn);

    // The box lost the focus with `text`: when learning, a text that is not
    // empty, not listed and has a code page 932 form is added to the file in
    // the form the file gives back ("¥" as "\", see Cp932::FoldAliases) and,
    // when saved, to the list; nothing is added when that form is listed.
    // True when the text was learned.
    bool Learn(const QString& text);

    const QStringList& GetItems() const { return m_items; }
    int GetLearn() const { return m_nLearn; }
    int GetTextLimit() const { return m_nTextLimit; }

  private:
    CComboData m_data;
    int m_nLearn = 1;
    int m_nTextLimit = 0;
    QStringList m_items;
};
