#pragma once

#include <QDialog>

#include "settings/CounterSetModel.h"

class QCheckBox;
class QLineEdit;
class QSpinBox;

// "伝票番号の設定": the next number of one counter and how it is written,
// saved to the database's "NoInfo.dat" on OK.
class CCounterSetDlg : public QDialog
{
    Q_OBJECT
  public:
    // With `data`, the number to set is proposed past the numbers the
    // books hold.
    explicit CCounterSetDlg(int kind, QWidget* parent = nullptr, CMakeMsgID* data = nullptr);

    CCounterSetModel& Model() { return m_model; }

    void OnReset();
    // An arrow click on "桁数": the first one asks whether the number to
    // set may start again at 1.
    void OnStepDigits(int digits);

    void accept() override;

  private:
    void ShowNumber();
    void ShowPreview();

    CCounterSetModel m_model;
    QLineEdit* m_pCurrent;
    QLineEdit* m_pSetNo;
    QSpinBox* m_pDigits;
    QCheckBox* m_pZeroFill;
    QLineEdit* m_pPrefix;
    QLineEdit* m_pSuffix;
    QLineEdit* m_pPreview;
};
