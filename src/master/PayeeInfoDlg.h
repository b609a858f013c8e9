#pragma once

#include "master/PartnerEntry.h"
#include "platform/ui/LabelCell.h"

#include <QDialog>
#include <QFont>

class QComboBox;
class QLineEdit;

// "振込先情報": the supplier's payee bank account. Edits a copy of the
// supplier's values; the caller takes them back only after OK.
class CPayeeInfoDlg : public QDialog
{
    Q_OBJECT
  public:
    CPayeeInfoDlg(const CPartnerValues& values, QWidget* parent = nullptr);

    // The edited texts and codes into the supplier's values.
    void TakeValues(CPartnerValues& values) const;

    QLineEdit* Edit(int index) const { return m_edits[index]; } // the seven texts in record order
    QComboBox* AccountType() const { return m_pAccountType; }
    QComboBox* Fee() const { return m_pFee; }
    QComboBox* BankType() const { return m_pBankType; }
    QComboBox* PaymentType() const { return m_pPaymentType; }
    const QList<CLabelCell>& Cells() const { return m_cells; }

    void accept() override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void Take();

    CPartnerValues m_values;
    CPayeeRules m_rules;
    QFont m_font;
    QList<CLabelCell> m_cells;
    QLineEdit* m_edits[7] = {};
    QComboBox* m_pAccountType;
    QComboBox* m_pFee;
    QComboBox* m_pBankType;
    QComboBox* m_pPaymentType;
};
