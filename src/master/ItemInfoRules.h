#pragma once

#include "master/MasterRecordStore.h"
#include "platform/data/Record.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <memory>

// The product dialog's values as its controls hold them: lists as their
// index (-1 unselected), money as its text.
struct CItemFields {
    int nItemType = 0; // 0 商品, 1 値引, 2 その他（経費など）
    QString strCode;
    QString strName;
    QString strPhoenic;
    QString strJan;
    QString strUnit;
    int nTaxFlg = 0; // 0 外税, 1 内税, 2 非課税
    QString strPrice;
    int nTaxFlg2 = 0;
    QString strCost;
    QString strFixPrice;
    int nStockType = 1;         // 0 しない, 1 する (hidden)
    QString strStockNumber;     // hidden
    QString strStockJustNumber; // hidden
    int nSetItem = 0;
    QString strSupplierCode; // the main supplier, hidden
    QString strRemarks;
    std::array<QString, 5> strClass;
    int nID = 0;
    QDateTime startDate; // null when none
    QDateTime lastUpdate;
    int nTaxFlgYobi1 = 1;
    int nTaxFlgYobi2 = 1;
    int nYobiInt = 0;

    QString StartDateText() const;
    QString LastUpdateText() const;
};

// The rules of "商品情報": showing and clearing a product, the checks and
// the save of a new or changed product through the master-record store, the
// lookup of a typed code, stepping through the product list and the
// questions before leaving unsaved input. The dialog moves its controls into
// Fields() before a rule runs and shows Fields() after it.
class CItemInfoRules
{
  public:
    enum Focus {
        kFocusNone = 0,
        kFocusItemType,
        kFocusCode,
        kFocusName,
        kFocusPhoenic,
        kFocusJan,
        kFocusUnit,
        kFocusTaxFlg,
        kFocusTaxFlg2,
        kFocusRemarks,
        kFocusClass1 // + index for Class1-Class5
    };

    // Through the program's frame.
    CItemInfoRules();
    // Through `host`, which must outlive the rules.
    explicit CItemInfoRules(IMasterStoreHost& host);

    // Tax class between list index and stored code: 0 ↔ 1 外税, 1 ↔ 2 内税,
    // 2 ↔ 0 非課税; -1 for anything else.
    static int TaxIndexToCode(int index);
    static int TaxCodeToIndex(int code);

    CItemFields& Fields() { return m_f; }
    const CItemFields& Fields() const { return m_f; }
    int GetMode() const { return m_nMode; }
    void SetMode(int mode) { m_nMode = mode; }
    const COneRecord* GetKeptRecord() const { return m_pKept.get(); }
    Focus GetFocus() const { return m_focus; }
    CMasterRecordStore& Store() { return m_store; }

    // Whether the fields hold user data; `clear` also empties them.
    bool ClearFields(bool clear);
    // Shows a stored product (kept as the copy changes are measured
    // against), or with none turns into an empty new entry. 1 / 0.
    int SetRecord(const COneRecord* record);

    // "登録": 1 saved, 0 not (GetFocus() names the field to focus).
    int Save(bool confirm);
    // The request of a new (change false) or changed product.
    int BuildRecord(CCDSData& request, bool change);
    int UpdateRecord();
    // The code edit was left in a new entry with `code`: offers a product
    // already registered under it. True when one is shown now.
    bool LookUpCode(const QString& code);
    // "<< 前へ" (0) and "次へ >>" (1): true when another product is shown.
    bool ShowNeighbour(int direction);
    void GetPrevNextState(bool& hasPrev, bool& hasNext);
    // "閉じる" and Escape: true when the dialog may close.
    bool QueryClose();
    bool IsModified() const;
    bool IsFieldChanged(const QString& field, const QString& text) const;

  private:
    int Refuse(const QString& text, Focus focus);
    int AskSaveChanges(const QString& question);

    CMasterRecordStore m_store;
    CItemFields m_f;
    int m_nMode = 0;
    std::unique_ptr<COneRecord> m_pKept;
    Focus m_focus = kFocusNone;
};
