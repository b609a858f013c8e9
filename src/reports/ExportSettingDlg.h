#pragma once

#include <QDialog>

class QRadioButton;

// "書き出し設定": whether a grouped list is exported or printed with its
// details ("明細", 0) or only its classification totals ("分類計", 1).
class CExportSettingDlg : public QDialog
{
    Q_OBJECT

  public:
    explicit CExportSettingDlg(QWidget* parent = nullptr);

    // Preset by the opener; taken from the buttons on OK.
    int m_nChoice = 0;

    QRadioButton* DetailButton() const { return m_pDetail; }
    QRadioButton* TotalsButton() const { return m_pTotals; }

    int exec() override;
    void accept() override;

  private:
    QRadioButton* m_pDetail;
    QRadioButton* m_pTotals;
};

// The choice for a grouped list: the dialog preset with `totalsOnly`.
// False when cancelled; `choice` is 1 for the totals.
bool AskExportSetting(int totalsOnly, int& choice, QWidget* parent = nullptr);
