#pragma once

#include "settings/dlg/BunruiSetRules.h"
#include "settings/dlg/ListEditDlg.h"

class QComboBox;

// "分類設定": the contents and titles of the product and customer
// classifications, saved to the database's "ClassTitle.dat" on OK.
class CBunruiSetDlg : public CListEditDlg
{
    Q_OBJECT
  public:
    explicit CBunruiSetDlg(QWidget* parent = nullptr);

    CBunruiSetRules& Rules() { return m_rules; }

    // "編集...": renames the selected classification.
    void OnRename();

  protected:
    CListEditRules& ListRules() override { return m_rules; }

  private:
    void ShowClasses();

    CBunruiSetRules m_rules;
    QComboBox* m_pLedger;
    QComboBox* m_pClass;
};
