#pragma once

#include "slips/SlipExtract.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The rules of the slip extraction dialog without its window.
class CSlipExtractRules
{
  public:
    CSlipExtractRules(const QString& header, bool extracted, const QDate& today);

    // Which controls are enabled for the current choices.
    struct Enabled {
        bool startPicker, endPicker, descending, startNone, endNone, status, release;
    };
    Enabled GetEnabled() const;

    // 抽出実行: true with the result made; false with the message to show
    // (the start picker gets the focus).
    bool Execute(QString& message);
    // 抽出解除.
    void Release();

    QString m_strHeader;
    bool m_bExtracted;
    // 1 after 抽出実行, 0 after 抽出解除.
    int m_nExtractionSet = 1;
    QString m_strResult;
    // Date mode: false 指定しない, true 指定する.
    bool m_bDates = false;
    bool m_bStartNone = false, m_bEndNone = false;
    QDate m_dtStart, m_dtEnd;
    // The dates the result was made with (null: no bound).
    QDate m_dtFrom, m_dtTo;
    CSlipConditions m_conditions;
};

// "抽出条件の設定": the conditions of a slip extraction.
class CSlipExtractDlg : public QDialog
{
    Q_OBJECT
  public:
    CSlipExtractDlg(const QString& header, bool extracted, QWidget* parent = nullptr);

    CSlipExtractRules& Rules() { return m_rules; }
    // The controls, for tests.
    QLineEdit* NumberEdit() const { return m_pNumber; }
    QLineEdit* CodeEdit() const { return m_pCode; }
    QLineEdit* ItemNameEdit() const { return m_pItemName; }
    QComboBox* StatusBox() const { return m_pStatus; }
    QRadioButton* DatesOn() const { return m_pDatesOn; }
    QDateEdit* StartPicker() const { return m_pStart; }
    QDateEdit* EndPicker() const { return m_pEnd; }
    QCheckBox* StartNone() const { return m_pStartNone; }
    QPushButton* ReleaseButton() const { return m_pRelease; }

    void accept() override;
    void OnRelease();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void TakeValues();
    void UpdateEnabled();

    CSlipExtractRules m_rules;
    QLineEdit* m_pNumber;
    QLineEdit* m_pCode;
    QLineEdit* m_pCompany;
    QLineEdit* m_pSection;
    QLineEdit* m_pName;
    QLineEdit* m_pItemCode;
    QLineEdit* m_pItemName;
    QComboBox* m_pStatus;
    QRadioButton* m_pDatesOff;
    QRadioButton* m_pDatesOn;
    QDateEdit* m_pStart;
    QDateEdit* m_pEnd;
    QCheckBox* m_pStartNone;
    QCheckBox* m_pEndNone;
    QCheckBox* m_pDescending;
    QPushButton* m_pRelease;
};
