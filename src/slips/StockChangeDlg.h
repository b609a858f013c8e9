#pragma once

#include "slips/StockChangeRules.h"

#include "platform/ui/LabelCell.h"

#include <QDialog>
#include <QFont>
#include <QList>

class CNumEdit;
class QComboBox;
class QDateEdit;
class QLineEdit;

// "入出庫入力": one stock movement of a product. The rules live in
// CStockChangeRules; this shows them.
class CStockChangeDlg : public QDialog
{
    Q_OBJECT
  public:
    static constexpr int kWidth = 500;
    static constexpr int kHeight = 260;

    CStockChangeDlg(int mode, CMakeMsgID& data, QWidget* parent = nullptr);

    CStockChangeRules& Rules() { return m_rules; }
    // Shows the rules' values (after a caller's presets).
    void ShowValues();

    void OnReference();
    void OnCounterSet();
    void OnItemCodeLeft();
    // The quantity is checked on leaving it; a refused one keeps the focus.
    void OnQuantityLeft();
    // The code list answered: wParam 0 with a product code.
    void OnCodeChosen(int wParam, const QString& code);

    QLineEdit* CodeEdit() const { return m_pCode; }
    QLineEdit* NameEdit() const { return m_pName; }
    CNumEdit* QuantityEdit() const { return m_pQuantity; }
    QComboBox* TypeCombo() const { return m_pType; }

    void accept() override;
    void reject() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ReadValues();
    void Focus(CStockChangeRules::Field field);

    CStockChangeRules m_rules;
    QFont m_font;
    QList<CLabelCell> m_cells;
    QDateEdit* m_pDate;
    QLineEdit* m_pNo;
    QComboBox* m_pType;
    QLineEdit* m_pCode;
    QLineEdit* m_pName;
    CNumEdit* m_pQuantity;
    QLineEdit* m_pMemo;
};

// The menu screen's 入出庫入力: a new movement, the dialog staying for more.
void RunStockChangeEntry(class CMainFrame& frame);
