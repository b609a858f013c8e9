#pragma once

#include "platform/ui/LabelCell.h"
#include "reports/TransferBankRules.h"

#include <QDialog>
#include <QFont>
#include <QList>

#include <array>

class CMainFrame;
class CMakeMsgID;
class CNumEdit;
class CReadingEdit;
class QComboBox;
class QLineEdit;

// "振込依頼銀行情報": the company's own account from which transfers to
// suppliers are requested, and the transfer fee table, over a painted grid
// of caption cells. The rules live in CTransferBankRules; this shows them.
class CTransferBankDlg : public QDialog
{
    Q_OBJECT
  public:
    static constexpr int kClientWidth = 624;
    static constexpr int kClientHeight = 377;

    explicit CTransferBankDlg(CMakeMsgID& data, QWidget* parent = nullptr);
    ~CTransferBankDlg() override;

    CTransferBankRules& Rules() { return m_rules; }
    // Reads the stored values and shows them; 0 when the read failed.
    int OnInitDialog();
    // Mirrors the rules into the widgets.
    void ShowValues();
    // Takes the widgets' values into the rules.
    void ReadValues();
    // Saves; the dialog stays open with what was typed when that fails.
    void OnOK();
    void OnBound1Left();
    void OnBound2Left();

    QLineEdit* TextEdit(int index) const { return m_texts[size_t(index)]; }
    QComboBox* AccountTypeCombo() const { return m_pAccountType; }
    CNumEdit* BoundEdit(int index) const { return index == 0 ? m_pBound1 : m_pBound2; }
    QLineEdit* BoundCopy(int index) const { return index == 0 ? m_pCopy1 : m_pCopy2; }
    CNumEdit* FeeEdit(int index) const { return m_feeEdits[size_t(index)]; }
    const QList<CLabelCell>& Cells() const { return m_cells; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The text fields in the order of the account record: bank, bank code,
    // branch, branch code, account number, holder, holder's reading.
    enum { kBank, kBankCode, kBranch, kBranchCode, kNumber, kHolder, kReading, kTexts };

    void Build();
    void AddCell(int left, int top, int right, int bottom, const char* text, int align = CLabelCell::kRight);
    void ShowEnabling();
    void FocusField(int field);

    CTransferBankRules m_rules;
    QFont m_font;
    QList<CLabelCell> m_cells;
    std::array<QLineEdit*, kTexts> m_texts{};
    CReadingEdit* m_pHolder = nullptr;
    QComboBox* m_pAccountType = nullptr;
    CNumEdit* m_pBound1 = nullptr;
    CNumEdit* m_pBound2 = nullptr;
    QLineEdit* m_pCopy1 = nullptr;
    QLineEdit* m_pCopy2 = nullptr;
    std::array<CNumEdit*, CTransferBankRules::kFees> m_feeEdits{};
};

// The menu screen's "支払手数料の設定": the dialog over the frame's database,
// opened only when the stored values could be read.
void OnTransferFeeCommand(CMainFrame& frame);
