#pragma once

#include "slips/ReceiptRules.h"

#include "platform/ui/LabelCell.h"

#include <QDialog>
#include <QFont>
#include <QList>

#include <array>
#include <functional>

class CComboDataBox;
class CNumEdit;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

// "入金処理" / "出金処理": money received from a customer or paid to a
// supplier in up to eight rows, tied to one of the partner's open closings.
// The rules live in CReceiptRules; this shows them.
class CReceiptDlg : public QDialog
{
    Q_OBJECT
  public:
    static constexpr int kClientWidth = 594;
    static constexpr int kClientHeight = 528;
    static constexpr int kHelpTopic = 4007;

    CReceiptDlg(QWidget* parent, CMakeMsgID& data, int kind, int mode);
    ~CReceiptDlg() override;

    CReceiptRules& Rules() { return m_rules; }
    // Shows the rules' values (after a caller's presets, before running).
    void ShowValues();

    // The buttons, for the frame and for tests.
    void OnRegister();
    void OnPrintReceipt();
    void OnReference();
    void OnCounterSet();
    void OnSundry();
    void OnPartnerCodeLeft();
    // The code list answered: wParam 1 or 2 with a partner code.
    void OnCodeChosen(int wParam, const QString& code);
    // The slip-form start of the voucher; the frame's by default.
    void SetSlipFormOpener(std::function<int(int, const QString&, long)> opener)
    {
        m_opener = std::move(opener);
    }

    QLineEdit* CodeEdit() const { return m_pCode; }
    QComboBox* MethodCombo(int row) const { return m_rows[size_t(row)].method; }
    CNumEdit* AmountEdit(int row) const { return m_rows[size_t(row)].amount; }
    QTreeWidget* History() const { return m_pHistory; }

    void reject() override;
    void accept() override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct RowWidgets {
        QComboBox* method = nullptr;
        CNumEdit* amount = nullptr;
        CComboDataBox* contents = nullptr;
        QLineEdit* draftNo = nullptr;
        QDateEdit* draftDate = nullptr;
    };
    void Build();
    void AddCell(int x, int y, int w, const QString& text);
    // False when a typed amount is refused (its field gets the focus).
    bool ReadValues();
    void FocusAmount(int row);
    void ShowRows();
    void ShowTotals();
    void ShowHistory();
    void OnMethodChanged(int row);
    void OnAmountLeft(int row);
    void OnHistoryClicked(QTreeWidgetItem* item, int column);
    void Focus(CReceiptRules::Field field);

    CReceiptRules m_rules;
    QFont m_font;
    QFont m_buttonFont;
    QList<CLabelCell> m_cells;
    QDateEdit* m_pDate = nullptr;
    QLineEdit* m_pNo = nullptr;
    CComboDataBox* m_pStaff = nullptr;
    QLineEdit* m_pCode = nullptr;
    QLineEdit* m_pName = nullptr;
    QLineEdit* m_pBill = nullptr;
    QLineEdit* m_pTotal = nullptr;
    std::array<RowWidgets, CReceiptRules::kRows> m_rows;
    QTreeWidget* m_pHistory = nullptr;
    QPushButton* m_pReference = nullptr;
    QPushButton* m_pSundry = nullptr;
    bool m_bShowing = false;
    std::function<int(int, const QString&, long)> m_opener;
};

// Runs the dialog for a new receipt (kind 0) or payment (kind 1) from the
// menu screen; the calendar marks are reloaded afterwards.
void RunReceiptEntry(class CMainFrame& frame, int kind);
