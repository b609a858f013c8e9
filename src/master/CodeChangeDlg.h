#pragma once

#include "master/CodeChangeRules.h"

#include <QDialog>

class QLineEdit;

// "ｺｰﾄﾞ変更": gives one product, customer or supplier a new code throughout
// the database. The checks and the change live in CCodeChangeRules.
class CCodeChangeDlg : public QDialog
{
    Q_OBJECT
  public:
    CCodeChangeDlg(const CMasterKind& kind, const QString& currentCode, QWidget* parent = nullptr);
    // Scripted lookups and change, for tests.
    CCodeChangeDlg(const CMasterKind& kind, const QString& currentCode, ICodeChangeHost& host,
                   QWidget* parent = nullptr);

    // IDOK after a change, IDCANCEL otherwise.
    int DoModal();
    bool IsChanged() const { return m_rules.IsChanged(); }
    CCodeChangeRules& Rules() { return m_rules; }
    QLineEdit* NewCodeEdit() const { return m_pNewCode; }
    QLineEdit* NameEdit() const { return m_pName; }

    void accept() override;

  private:
    void Build();
    void OnInitDialog();

    CCodeChangeRules m_rules;
    QLineEdit* m_pCurrent;
    QLineEdit* m_pNewCode;
    QLineEdit* m_pName;
};
