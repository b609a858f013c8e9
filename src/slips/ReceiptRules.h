#pragma once

#include "platform/data/Mny.h"
#include "platform/data/Record.h"
#include "platform/data/TradeSide.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <vector>

class CDialogNumber;
class CMakeMsgID;

// One open closing of the partner: an invoice (receipts) or a payment
// statement (payments) the money may settle.
struct CCloseHistoryItem {
    int m_nID = 0;
    QDate m_dtCollect; // 入金予定日 / 支払予定日
    QDate m_dtClose;   // 請求日
    CMny m_amount;     // 請求額 / 支払額
    QString m_strName; // company, section and name
    QString m_strMyPerson;
    bool m_bTicked = false;
};

// One breakdown row. Method -1 is the blank entry: no method.
struct CReceiptRow {
    int m_nMethod = -1;
    CMny m_amount{0};
    QString m_strContents;
    QString m_strDraftNo;
    QDate m_dtDraft;
};

// What the receipt and payment entry dialog holds and does, without the
// widgets: rows, totals, the partner's open closings and their tick, the
// checks and the writes. Kind 0 receipts (入金), 1 payments (出金); mode 0
// new (the form stays for the next one), 1 new for a preset partner, 2 a
// stored one changed.
class CReceiptRules
{
  public:
    enum { kRows = 8, kDraftMethod = 3, kDiscountMethod = 7 };
    // The fields a check sends the focus to; kAmount is the last filled
    // row's amount.
    enum Field { kNone, kCode, kNo, kMethod1, kAmount };
    enum SaveResult { kSaved = 1, kFailed = 0, kWarningCancelled = -1 };
    // What 閉じる leads to.
    enum CloseResult { kClose = 1, kStay = 0 };

    static const QStringList& Methods();
    // The sundry code of a one-time partner: one full-width space.
    static QString SundryCode();

    CReceiptRules(CMakeMsgID& data, int kind, int mode);
    ~CReceiptRules();

    int GetKind() const { return m_nKind; }
    int GetMode() const { return m_nMode; }
    // Kind 0 receipts from customers; any other payments to suppliers.
    const CTradeSide& Side() const { return CTradeSide::Of(m_nKind != 0); }
    QString HeaderTable() const;
    QString RowTable() const;
    QString CloseTable() const;
    QString CodeField() const;
    QString PartnerWord() const; // 得意先 / 仕入先

    // Start: the slip number from the counter, the carry-over flag, and in
    // mode 2 the stored header and rows of m_nHeaderID.
    void Init();
    // The slip number proposed for a new receipt or payment: the counter's
    // next, past the numbers the books hold.
    void ProposeNumber();
    CMakeMsgID& Data() const { return m_data; }

    // Rows: the filled rows are the leading rows with a method.
    int FilledRows() const;
    bool IsMethodEnabled(int row) const;
    bool IsAmountEnabled(int row) const;
    bool IsDraftEnabled(int row) const;
    void SetMethod(int row, int method);
    void SetAmount(int row, const CMny& amount);
    // A typed amount (ReadMnyText); false, with the reason shown and the
    // row's amount kept, when it is refused.
    bool SetAmountText(int row, const QString& text);
    // 合計金額 and 領収金額 over every filled row; 値引き counts in the total only.
    void ComputeTotals();

    // The partner's name, staff and (mode 0) open closings; false when the
    // code has no master record (the code is emptied then) or a read failed.
    bool LookupPartner();
    void SetHistory(std::vector<CCloseHistoryItem> items);
    // A click on a row's check box.
    void Tick(int index);
    int TickedIndex() const;

    // The checks of 登録: the field to focus, kNone when all is well.
    Field Validate();
    // Whether a closing of the partner from the date on is a period closing.
    bool IsInBilledPeriod();
    SaveResult Save();
    // 閉じる: asks when unsaved data would be lost.
    CloseResult Close();
    // Mode 2: whether the dialog differs from the stored receipt.
    bool IsChanged() const;

    // The voucher: the work tables, then the slip-form program with kind 10
    // through `openSlipForm` (kind, text, layout). 1 when it was started.
    int PrintVoucher(const std::function<int(int, const QString&, long)>& openSlipForm);

    // Values the dialog shows and edits.
    QString m_strCode;
    QString m_strName;
    QString m_strNo;
    QDate m_date;
    QString m_strMyPerson;
    std::array<CReceiptRow, kRows> m_rows;
    CMny m_total{0};
    CMny m_bill{0};
    int m_nHeaderID = 0;
    std::vector<CCloseHistoryItem> m_history;
    int m_nWithoutCarry = 0;
    bool m_bPartnerChanged = false;
    QString m_strShownCode; // the code the last lookup ran for

  private:
    bool LoadStored();
    // The slips of the one-time partner's closing (ticked, or stored in mode 2).
    bool ReadSundrySlips(CCDSData& slips);
    int ClosingIdForSundry() const;
    bool InsertReceipt();
    bool UpdateReceipt();
    // The writes of one transaction each, rolled back on failure before the
    // caller shows `line` and `err`; a step with a reason of its own sets
    // `line`. 1 when committed.
    int WriteNewReceipt(int closeId, QString& line, QString& err);
    int WriteChangedReceipt(QString& line, QString& err);
    int WriteVoucher(CCDSData& header, QString& line, QString& err);
    void FillHeader(COneRecord& header, int closeId) const;
    void FillRows(CCDSData& rows) const;
    void ResetForm();
    // Shows a failure of the data access: the fatal message, or the first
    // line and the data layer's text.
    static void ShowResult(int result, const QString& firstLine, const QString& err);

    CMakeMsgID& m_data;
    int m_nKind;
    int m_nMode;
    std::unique_ptr<CDialogNumber> m_pNumber;
    std::unique_ptr<COneRecord> m_pStoredHeader;
    CCDSData m_storedRows;
};

// A number typed into an amount or quantity edit, checked by the edits' one
// checker (a sign, at most 4 decimals) and read as money. Malformed text or
// a value beyond what a money field stores is refused with its reason
// (false, `value` unchanged); an empty text is 0.
bool ReadMnyText(const QString& text, CMny& value);
// Whether a money field can store the value exactly as it is rounded there.
bool IsStorableMny(const CMny& value);

// The carry-over flag of the default-value file "Other\CollectAmount.aut"
// of the database folder: 0 when unreadable, -1 without a database.
int ReadCollectAmountFlag(const QString& folder);

// A master record by its code, as the frame's duplicate check reads it
// (messages on failure): 1 read (maybe no record), 0 failed.
int ReadMasterByCode(CMakeMsgID& data, const QString& table, const QString& field, const QString& code,
                     CCDSData& result);
