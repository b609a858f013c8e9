#pragma once

#include "master/BulkEditRules.h"

#include <QDialog>

class CBunruiComboBox;
class CComboDataBox;
class CNumEdit;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

// "一括修正": one field and one new value for every selected row of the
// master list. The rules live in CBulkEditRules; this window shows them.
// The value combo's two styles are two overlaid boxes, and the staff and
// classification boxes share one place the same way.
class CBulkEditDlg : public QDialog
{
    Q_OBJECT
  public:
    // Ledger 0 products, 1 customers, 2 suppliers.
    explicit CBulkEditDlg(int ledger, QWidget* parent = nullptr);

    // IDOK when a field and a value were chosen and confirmed.
    int DoModal();
    CBulkEditRules& Rules() { return m_rules; }
    const CBulkEditResult& GetResult() const { return m_rules.GetResult(); }

    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void OnInitDialog();
    void OnFieldChanged(int row);
    void OnCycleChanged(int index);
    void ShowValueControls();
    void TakeInput();
    void FocusRefused();

    CBulkEditRules m_rules;
    bool m_bInitDone = false;
    QListWidget* m_pFields;
    CNumEdit* m_pNumber;
    QComboBox* m_pList;
    QComboBox* m_pEditable;
    QComboBox* m_pCycle;
    QComboBox* m_pDay;
    QLineEdit* m_pDays;
    QLabel* m_pDaysUnit;
    CComboDataBox* m_pStaff;
    CBunruiComboBox* m_pClass;
};
