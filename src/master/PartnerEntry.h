#pragma once

#include "master/MasterRecordStore.h"
#include "platform/data/Record.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class CAddressLookup;
struct CMasterKind;
class CRLAddress;

// What differs between the customer and the supplier ledger.
struct SPartnerTraits {
    const CMasterKind& master;
    QString table;     // "Customer" / "Supplier"
    QString codeField; // "CustomerCode" / "SupplierCode"
    QString word;      // "得意先" / "仕入先"
    int counterKind;   // 100 / 101
    int ledger;        // classification ledger 1 / 2
    QString slipTable; // "Sales_H" / "Stock_H"
    bool customer;     // "Percent" and "Ceiling"; else the bank fields

    static const SPartnerTraits& Customer();
    static const SPartnerTraits& Supplier();
};

// The closing-day list: entry to stored day and back. Every day the list
// does not hold (29 and more, negatives) shows as "月末締", as the company
// settings read it.
int DayIndexToCloseDay(int index);
int CloseDayToDayIndex(int day);
QStringList CloseDayEntries();

// "TaxType" 1-4 are the entries 0-3, 0 is "しない" (entry 4); anything
// else shows no entry.
int TaxTypeToIndex(int value);
int TaxIndexToType(int index);
// "CollectDay" in the day list ("月末", "1日" ... "28日"): 99 is entry 0.
int CollectDayToIndex(int day);

QStringList KeishoTexts();
QStringList TaxTypeEntries();
QStringList RoundEntries();
QStringList CycleEntries();
QStringList CollectDayEntries();
QStringList MethodEntries();

// The fields of the dialog, as focus targets of the rules.
enum class EPartnerField {
    None,
    CodeMode,
    Code,
    Company,
    Section,
    Name,
    Keisho,
    Keisho2,
    PhoenicCompany,
    PhoenicPerson,
    Zip,
    Address,
    Tel,
    Fax,
    Mail,
    Day,
    TaxType,
    TaxRound,
    Round,
    Percent,
    Cycle,
    DayList,
    DayCount,
    Collect,
    Method,
    Ceiling,
    Class1,
    Class2,
    Class3,
    Class4,
    Class5,
    OnesCode,
    MyPerson,
    Memo,
    Bank,
    BankCode,
    BankBranch,
    BankBranchCode,
    BankNumber,
    BankOnesName,
    BankOnesPhoenic,
};

// The values the dialog shows, as its controls hold them: texts as typed,
// lists as entry indexes (-1 none).
struct CPartnerValues {
    QString code;
    QString company, section, name, keisho, keisho2, phoenicCompany, phoenicPerson, zip, address, tel, fax,
        mail;
    int day = -1; // closing-day entry
    int taxType = -1;
    int taxRound = -1;
    int round = -1;
    QString percent;
    int cycle = -1;
    int dayList = -1;
    QString dayCount;
    QString collect;
    QString method;
    int methodIndex = -1;
    QString ceiling;
    QString bank, bankCode, bankBranch, bankBranchCode, bankNumber, bankOnesName, bankOnesPhoenic;
    int bankAccountType = 1, bankFee = 0, paymentType = 1, bankType = 1;
    QString cls[5];
    QString onesCode, myPerson, memo;
    QDateTime startDate, lastUpdate;

    // The day count is typed (cycle "請求後") instead of chosen.
    bool DayCountActive() const { return cycle == 0; }
};

// A stored text field: its record name, its value and its limit in CP932 bytes.
struct SPartnerText {
    const char* name;
    QString CPartnerValues::*member;
    int limit;
    EPartnerField field;
};
// The texts in record order, before "Day" and after the money fields.
const QList<SPartnerText>& PartnerHeadTexts();
const QList<SPartnerText>& PartnerBankTexts();
const QList<SPartnerText>& PartnerTailTexts();

// The caption a field has in the dialog, to name it in a message: the
// classifications by their titles, the bank fields of the payee dialog as
// "振込先の…"; empty for a field without text.
QString PartnerFieldCaption(const SPartnerTraits& traits, EPartnerField field);

// The rules of the customer and supplier entry dialogs without widgets: the
// values, a new record with the database's defaults, loading, the modified
// test, the save path with its checks, navigation and the close question.
// Messages go through the prompt service; the field to correct is left in
// FocusField() for the dialog.
class CPartnerEntry
{
  public:
    // Through the program's frame, or through `host` (tests).
    explicit CPartnerEntry(const SPartnerTraits& traits, IMasterStoreHost* host = nullptr);
    ~CPartnerEntry();

    const SPartnerTraits& Traits() const { return m_traits; }
    CPartnerValues& Values() { return m_values; }
    const CPartnerValues& Values() const { return m_values; }
    int m_nMode = 0;     // 0 new record, 1 edit
    int m_nCodeMode = 0; // 0 "自分で設定する", 1 "自動連番"
    int RecordId() const { return m_nRecordId; }
    const QString& LoadedCode() const { return m_strLoadedCode; }
    const COneRecord* HeldRecord() const { return m_pHeld.get(); }
    EPartnerField FocusField() const { return m_focus; }
    CMasterRecordStore& Store() { return *m_pStore; }

    // The database folder the default-value files are read from (default:
    // the current database's).
    void SetDbFolder(const QString& folder)
    {
        m_strDbFolder = folder;
        m_bDbFolderSet = true;
    }

    // Whether the values differ from an empty new record; with compareOnly
    // false they become one.
    bool ResetFields(bool compareOnly);
    void LoadAutDefaults();
    void NewRecord() { ResetFields(false); }
    // Loads a record (none: a new one); the mode stays with the caller.
    void SetRecord(const COneRecord* record);
    bool IsModified() const;

    // The automatic code at the start of a new record: mode 1 and the next
    // number when the kind's counter numbers automatically.
    void ApplyAutomaticCode();

    void ClearBlankValues();
    int CheckCodeBlanks();
    int CheckEncodable();
    int CheckRequired();
    int CheckDayTaxRule();
    // 0 when the record cannot be built.
    int BuildRecord(CCDSData& request) const;
    int CheckCloseDayChange();
    int UpdateExisting(bool showMessage);
    // 1 saved; `ask` 1 confirms first.
    int Save(int ask);

    // The close question: true when the dialog may close.
    bool QueryClose();
    // Previous (0) or next (1) list row; true when one was loaded.
    bool MoveRecord(int direction);
    void GetPrevNextState(bool& hasPrev, bool& hasNext) { m_pStore->GetPrevNextState(hasPrev, hasNext); }
    // A code typed in a new record that is already stored: offers that
    // record. 1 loaded (edit mode), 0 code emptied, -1 nothing to do.
    int OnCodeLeft();
    // The code mode chosen; `runCounterDialog` shows the counter settings.
    void OnCodeModeChange(int mode, const std::function<void(int kind)>& runCounterDialog);

    // The lookup of "..." beside "郵便番号" (mode 0) or "TEL" (mode 1) with
    // the value's text: search, choice and fill. True when the values took
    // a hit; no hit, a failure or a cancel has been said or chosen.
    bool LookupAddress(CAddressLookup& lookup, int mode);
    // Address hits into the values after the overwrite question; false when
    // declined. Postcode hits lose their bracketed part.
    bool FillFromPostcode(const CRLAddress& hit);
    bool FillFromTelephone(const CRLAddress& hit);

  private:
    int Message(const QString& text, int buttons, int icon, EPartnerField focus = EPartnerField::None);
    int HeldDay() const;

    const SPartnerTraits& m_traits;
    std::unique_ptr<CMasterRecordStore> m_pStore;
    CPartnerValues m_values;
    int m_nRecordId = 0;
    QString m_strLoadedCode;
    std::unique_ptr<COneRecord> m_pHeld;
    QString m_strDbFolder;
    bool m_bDbFolderSet = false;
    EPartnerField m_focus = EPartnerField::None;
};

// The payee bank dialog's lists: stored codes to entries and back, and the
// OK check. Unselected lists hand back -1, which the supplier keeps as 0
// (account type, bank type) or -1 (fee, payment type).
struct CPayeeRules {
    static QStringList AccountTypes(); // "当座", "普通"
    static QStringList FeeEntries();   // "先方負担", "当方負担"
    static QStringList BankTypes();    // "同行同支店", "同行他支店", "他行"
    static QStringList PaymentTypes(); // "文書", "電信"

    // The supplier's codes as entries (-1 for a code outside the list).
    void FromValues(const CPartnerValues& values);
    void ToValues(CPartnerValues& values) const;
    // True when the dialog may end with OK; the same-bank question may set
    // the payment type to "電信".
    bool CheckOk();

    int m_nAccountType = -1;
    int m_nFee = -1;
    int m_nBankType = -1;
    int m_nPaymentType = -1;
};
