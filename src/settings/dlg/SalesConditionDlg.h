#pragma once

#include <QDialog>

#include "settings/SalesCondition.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;

// "販売条件の設定": the default sales conditions of the current database,
// read from its files on opening and all written on OK.
class CSalesConditionDlg : public QDialog
{
    Q_OBJECT
  public:
    explicit CSalesConditionDlg(QWidget* parent = nullptr);

    CSalesConditionRules& Rules() { return m_rules; }

    void accept() override;

  private:
    void ShowRules();
    void ReadBack();
    void ShowDayControl();
    void ShowExample();

    CSalesConditionRules m_rules;
    QString m_strFolder;
    QComboBox* m_pCloseDay;
    QComboBox* m_pRound;
    QComboBox* m_pTaxType;
    QComboBox* m_pTaxRound;
    QComboBox* m_pCycle;
    QComboBox* m_pDay;
    QLineEdit* m_pDayCount;
    QLabel* m_pDayUnit;
    QComboBox* m_pMethod;
    QCheckBox* m_pRemarks;
    QCheckBox* m_pShowCode;
    QComboBox* m_pDigits;
    QComboBox* m_pPriceRound;
    QLabel* m_pExample;
    QButtonGroup* m_pCarryOver;
    QSpinBox* m_pMonths;
};
