#pragma once

#include <QString>

#include <array>

class CMakeMsgID;

// What the transfer requester dialog holds and does, without the widgets:
// the company's own account (the one "Bank_H" record), the fee table of
// three amount brackets by four bank relations (its twelve "Bank_B"
// records), which cells may be typed into, the checks and the writes.
class CTransferBankRules
{
  public:
    enum { kBrackets = 3, kRelations = 4, kFees = kBrackets * kRelations };
    // Where a refused value sends the focus: a fee cell is its index 0-11.
    enum Field { kNone = -1, kBound1 = 100, kBound2 = 101 };

    explicit CTransferBankRules(CMakeMsgID& data) : m_data(data) {}

    // Reads the stored account and its fee records, then enables the cells
    // for the records read. 1 done (also when nothing is stored yet); 0 the
    // read failed, the message is shown and nothing may be saved over it.
    int Load();

    // Refusal of the amounts typed, empty when they may be saved; `field`
    // names the cell to correct.
    QString Check(int* field = nullptr) const;
    // Replaces the stored account and its fee records by the values, all in
    // one transaction. 1 saved; 0 refused or failed, with the message shown,
    // the database and the values as they were.
    int Save();

    // Enabling of the fee cells for `count` records: the first `count`
    // cells, bound 2 with any (emptied without one).
    void EnableForCount(int count);
    // Bound 1 was left: true when the focus goes on to the first fee cell.
    bool Bound1Left();
    void Bound2Left();

    // The Money of a bracket and the bank relation fields of a cell, as the
    // fee lookup of the payment schedule reads them.
    QString BracketAmount(int bracket) const;
    static int PaymentType(int relation) { return relation < 3 ? 1 : 0; }
    static int BankType(int relation) { return relation <= 2 ? relation + 1 : 3; }

    int m_nID = 0;       // the stored account, 0 for none
    int m_nFeeCount = 0; // fee records read
    QString m_strBank;
    QString m_strBankCode;
    QString m_strBankBranch;
    QString m_strBankBranchCode;
    int m_nAccountType = -1; // 当座 0, 普通 1, その他 2; -1 none chosen
    QString m_strBankNumber;
    QString m_strOnesName;
    QString m_strOnesPhoenic;
    QString m_strBound1;
    QString m_strBound2;
    std::array<QString, kFees> m_fees; // bracket by bracket, relations left to right
    std::array<bool, kFees> m_feeEnabled{};
    bool m_bBound2Enabled = false;

  private:
    CMakeMsgID& m_data;
};
