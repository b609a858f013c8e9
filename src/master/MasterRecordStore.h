#pragma once

#include <QString>

#include <memory>

class CCDSData;
class COneRecord;
struct CMasterKind;

// What the master-record store uses of the frame: the code lookup, the
// data-access object and the relays to the shown master list. The frame's
// adapter forwards to CMainFrame; tests script it.
class IMasterStoreHost
{
  public:
    virtual ~IMasterStoreHost() = default;
    // 1 when the lookup ran (the result then holds the matches), 0 when it
    // did not run or failed (the frame has said why).
    virtual int CheckDuplicateCode(const QString& table, const QString& field, const QString& code,
                                   CCDSData& result) = 0;
    virtual int InsertData(CCDSData& set, QString& err) = 0;
    virtual int UpdateData(const CCDSData& set, QString& err) = 0;
    virtual int GetDataNum(const CCDSData& request, int& count, QString& err) = 0;
    virtual int NotifyMasterRecordAdded(const COneRecord* record) = 0;
    virtual COneRecord* SelectNextMasterRecord(COneRecord* record) = 0;
    virtual COneRecord* SelectPrevMasterRecord(COneRecord* record) = 0;
    virtual int GetMasterPrevNextState(bool& hasPrev, bool& hasNext) = 0;
};

// The product, customer and supplier entry dialogs check, insert and update
// their record through this store, which shows the standard result messages
// and passes changes on to the master list through the frame.
class CMasterRecordStore
{
  public:
    // Works through the program's frame.
    CMasterRecordStore();
    // Works through `host`, which must outlive the store.
    explicit CMasterRecordStore(IMasterStoreHost& host);
    ~CMasterRecordStore();
    CMasterRecordStore(const CMasterRecordStore&) = delete;
    CMasterRecordStore& operator=(const CMasterRecordStore&) = delete;

    // The ledger of the dialog's records; none until set.
    void SetKind(const CMasterKind& kind) { m_pKind = &kind; }
    const CMasterKind* GetKind() const { return m_pKind; }
    // "Item"/"ItemCode", "Customer"/"CustomerCode", "Supplier"/"SupplierCode";
    // empty while no ledger is set.
    QString GetTableName() const;
    QString GetCodeFieldName() const;

    // 0 only when the lookup ran and found no record with the code; a found
    // record, a failed lookup and a store without a ledger (no lookup is
    // sent) answer 1, so a failing database never lets a code through. The
    // records found go into `result`.
    int IsDuplicateCode(const QString& code, CCDSData& result);
    // The library's result, with its message shown; on success every record
    // goes into the shown master list. Without a ledger 0, nothing sent.
    int Insert(CCDSData& set);
    // The library's result; "修正しました" only when `showDone` is set.
    // Without a ledger 0, nothing sent.
    int Update(const CCDSData& set, bool showDone);
    // The library's count request, unchanged and silent.
    int GetCount(const CCDSData& request, int& count, QString& err);

    // Relays to the shown master list; 0 / none / both false while no master
    // list is shown.
    int NotifyAdded(const COneRecord* record);
    COneRecord* SelectNextRecord(COneRecord* record);
    COneRecord* SelectPrevRecord(COneRecord* record);
    void GetPrevNextState(bool& hasPrev, bool& hasNext);

  private:
    bool IsKnownKind() const { return m_pKind != nullptr; }

    std::unique_ptr<IMasterStoreHost> m_pFrameHost;
    IMasterStoreHost* m_pHost = nullptr;
    const CMasterKind* m_pKind = nullptr;
};
