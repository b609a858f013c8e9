#pragma once

#include "settings/dlg/ListEditDlg.h"
#include "settings/dlg/NameListRules.h"

// The name-list dialog of an entry list (mode 0 staff, 1 receipt
// descriptions, 2 units), saved to the list's file on OK.
class CNameListDlg : public CListEditDlg
{
    Q_OBJECT
  public:
    explicit CNameListDlg(int mode, QWidget* parent = nullptr);

    CNameListRules& Rules() { return m_rules; }

  protected:
    CListEditRules& ListRules() override { return m_rules; }

  private:
    CNameListRules m_rules;
};
