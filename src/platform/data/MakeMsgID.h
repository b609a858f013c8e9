#pragma once

#include "platform/data/DataProgress.h"
#include "platform/data/Record.h"
#include "platform/data/SqlText.h"
#include "platform/work/LongWork.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_value;
class CProgressHandlerScope;
class CImportRun;
class CImportSession;
struct CNumberRun;
struct CStoredNumbers;
namespace Schema
{
struct TableDef;
struct FieldDef;
} // namespace Schema

// What a carry-forward took out of the books, both sides together: the
// closings, the slips entered (not the tax slips of closings), and the
// receipts and payments.
struct CCarryForwardCounts {
    int closings = 0;
    int slips = 0;
    int receipts = 0;
    int payments = 0;
};

// The one data-access object: every read and write of the program goes
// through it, over the SQLite file "QXSelvo.vrz" of the current database
// folder. The database manager opens and closes the connection.
//
// Every operation answers 1 on success, 10 on a failure whose text is put
// into `err` (a bad condition, a refused value, a constraint, a full disk),
// or -100 when the connection or the file is broken (no connection, a
// damaged file, a failed write to disk); then the program must stop using
// the database. A full disk is no broken file: SQLite undoes the statement
// and the same work succeeds once there is room.
//
// A request is a table name plus a condition tail ("WHERE ...", "ORDER BY
// ...", or empty for the whole table); its result records carry fields named
// "Table.Field". A condition that starts with SELECT is a whole statement
// whose records carry the bare column names or aliases. Result fields are
// typed by the schema for stored columns, by the schema's catalogue of
// result names for computed ones, and by the stored value otherwise
// (integer as integer, real as money, text as text).
//
// Values are stored as the schema fixes: money as integer ten-thousandths
// (more decimals round half up), dates as 'YYYY-MM-DD' and date-times as
// 'YYYY-MM-DD HH:MM:SS'. Texts longer than their field's limit in code page
// 932 bytes are cut at a character boundary; codes that long are refused.
class CMakeMsgID
{
  public:
    enum Result { kOk = 1, kFailed = 10, kFatal = -100 };

    CMakeMsgID();
    ~CMakeMsgID();
    CMakeMsgID(const CMakeMsgID&) = delete;
    CMakeMsgID& operator=(const CMakeMsgID&) = delete;

    // Prepares the library; nonzero when it is ready for use.
    int MakeMsgID();

    // The database file of a folder; an existing file is found whatever the
    // letter case of its name.
    static QString DatabasePath(const QString& folder);
    // Creates a new, empty database file (tables, indexes, the seed rows
    // stamped with `now`). An existing file is never overwritten.
    static int CreateDatabase(const QString& path, const QDateTime& now, QString& err);

    // The words the user reads for a failure of the database engine (its
    // result code `rc`) on the file `path`: a file another program holds
    // (busy or locked), one that cannot be written (read-only), a full disk
    // and a damaged file each have one text naming the file; any other
    // failure keeps the engine's own text.
    static QString ErrorText(int rc, const QString& path, const QString& engineText);
    // Why this user cannot read the database file at `path`, in the user's
    // words naming the place: its folder (or one above it) or the file
    // itself cannot be read with this user's rights. Empty when both can
    // be read, or the file is merely missing.
    static QString UnreadableText(const QString& path);

    // What a check of a closed database file found (CheckFile).
    enum class EFileCheck { Whole, Damaged, Newer, Unusable, Stopped };
    // Hears how far the check of a file's pages and rows has gone: `done` of
    // `total` parts, the total foreseen from the file's size (so `done` stays
    // below it until the check ends). False stops the check.
    using FileCheckTicker = std::function<bool(int done, int total)>;
    // Checks the closed database of a folder whole, as a file must be before
    // it replaces the books in use: a journal or write-ahead log left beside
    // it is played back, its pages and every index entry against its row
    // pass PRAGMA integrity_check and its rows the foreign-key check, then it
    // opens (Open: a file of an earlier build takes the steps, and one kept
    // in write-ahead mode goes back to a journal and one file). Damaged: a
    // file cut short, overwritten, whose indexes disagree with their rows, no
    // database or none of this program; Newer: a file of a later version than
    // this program's schema, `err` holding the words of Open; Unusable: it
    // cannot be read or opened otherwise, `err` saying why; Stopped: the
    // ticker said so. No connection may hold the file meanwhile. `progress`
    // (may be null) hears the opening, `checking` (may be empty) the check.
    static EFileCheck CheckFile(const QString& folder, QString& err, IDataProgress* progress = nullptr,
                                const FileCheckTicker& checking = {});

    // Who hears this object's long calls (see IDataProgress): its openings,
    // the steps a write takes, closings, undos, invoice work tables and
    // carry-forwards, and every statement run meanwhile; none: null. The
    // data access shows no window: whoever holds the object sets it, for the
    // object's life or a span, and the answer is the one heard before, for
    // the caller to put back when its span ends. The listener must not use
    // this object.
    IDataProgress* SetProgress(IDataProgress* progress);
    IDataProgress* GetProgress() const { return m_pProgress; }
    // How long a request, the opening's steps included, waits for another
    // program's write to end before it fails as busy: 5 seconds unless set;
    // answers the wait set before. It holds for the connections opened after.
    // The opening's wait keeps the wait dialog painted.
    static int SetWriterWait(int milliseconds);

    // Opens the folder's database: 1, or -100 when the file is missing, is
    // not a database of this program, is of a later version than this
    // program's schema (the text names both), or cannot be opened. A file of
    // an earlier build is brought to the schema first (see SchemaSteps); a
    // failed step is named with the engine's reason. The booked balances of
    // a file of this schema that another tool took away are made again from
    // the headers (-100 with the reason when the file cannot be written). A
    // file marked read-only, or in a folder this user cannot write, is
    // opened read-only. An open connection is closed first.
    int Open(const QString& folder, QString& err);
    // Closes the connection; an open transaction is rolled back.
    void Close();
    bool IsOpen() const { return m_db != nullptr; }
    // The file is open for reading only (marked read-only, or on a medium
    // that cannot be written): every write fails.
    bool IsReadOnly() const;
    // A file of an earlier build that could not be written at opening has
    // not taken the steps to this schema: what they make (the booked
    // balances) is made for this connection only, and in the file when it
    // can be written, here or at the next opening. Meanwhile a read after
    // another program's commit makes them again, and a transaction takes the
    // steps first or is refused (PendingBalancesText, then the failure).
    bool AreBalancesPending() const { return m_bBalancesPending; }
    // Takes those steps in the file now, outside any transaction: 1 (also
    // when nothing was pending), or the failure; the connection keeps its own.
    // This object's listener hears them as at an opening, inside whatever
    // long call asked for them, and with an event loop here they run beside
    // this thread (SchemaSteps::Upgrade).
    int MakePendingBalances(QString& err);
    static QString PendingBalancesText()
    {
        return QStringLiteral("データベースを新しい形式に更新できないため、登録や変更はできません。");
    }
    // Runs `work`, calls of this object, beside this thread (LongWork), for
    // a call that may take long under the wait dialog: a read while the steps
    // are pending goes without the indexes they make. The work holds the
    // object for its span: a call of any other thread, or of this one while
    // it waits, is refused (IsHeldElsewhere). A statement of the work ends
    // as interrupted once the user stopped it (中止). This object's listener
    // hears, on this thread, what the work tells it. Without an event loop
    // here, or on a worker of the runner already, `work` runs here, holding
    // the object for this thread: work of the runner that uses the
    // connection hands it over so. Answers as LongWork::Run: what `work`
    // answers and whether it was stopped (a work that answers nothing: true
    // when it ran to its end); what it throws is thrown here. Called while
    // other work holds the object, the work runs here holding nothing, so
    // that each of its calls is refused.
    template <class F> auto RunBeside(F&& work)
    {
        using R = std::invoke_result_t<F&>;
        if constexpr (std::is_void_v<R>) {
            return Hold(work);
        } else {
            std::optional<R> value;
            const bool ended = Hold([&value, &work] { value.emplace(work()); });
            return LongWork::CRan<R>{std::move(*value), !ended};
        }
    }
    // Work beside the calling thread holds the object and the caller is not
    // that work: every call is refused (10, HeldText) and Close does nothing,
    // rather than race the work for the connection.
    bool IsHeldElsewhere() const;
    static QString HeldText()
    {
        return QStringLiteral(
            "ほかの処理がデータベースを使用しています。終わってから、もう一度実行してください。");
    }
    const QString& GetFolder() const { return m_folder; }

    // Appends the records of the request to `result` (a failure appends
    // nothing). `values` are bound to the parameters of the condition.
    int GetDataList(const CCDSData& request, CCDSData& result, QString& err);
    int GetDataList(const CCDSData& request, const CSqlValues& values, CCDSData& result, QString& err);
    // The number of records the request would give.
    int GetDataNum(const CCDSData& request, int& count, QString& err);
    // Inserts every record of the set into the set's table, all or nothing.
    // Tables with AUTOINCREMENT IDs assign each record a new ID, ignoring an
    // incoming one. Of the work tables, WReceipt_H, WBank_H, WShime_H and
    // WMotocho_H number an ID of 0 or none as the highest ID + 1 and keep
    // any other; the rest keep the ID given. Every assigned ID is written
    // back into the record's "ID" field (appended when missing). An insert
    // into the header work tables (WAtena, WItem, WShime_H, WMotocho_H,
    // WReceipt_H, WBank_H) first empties that table and its body, so that
    // the slip-form program sees only the rows of the latest command.
    // Ordinary tables refuse a field they do not have (10, naming it); work
    // tables drop it, as they receive whole report rows.
    int InsertData(CCDSData& set, QString& err);
    // Writes the fields of the set's first record into every row matching
    // the condition, which must be a WHERE clause. "ID" is never changed.
    int UpdateData(const CCDSData& set, QString& err);
    // Deletes the rows matching the condition, or without a condition the
    // rows with the IDs of the set's records.
    int DeleteData(const CCDSData& set, QString& err);

    // Gives the product ("Item"), customer ("Customer") or supplier
    // ("Supplier") with code `oldCode` the code `newCode`, in its master row
    // and in every other non-work table that has the code field ("ItemCode",
    // "CustomerCode", "SupplierCode", which includes the products' main
    // supplier), all in one transaction: on any failure nothing is changed.
    // Refused (10 with a text): another table, an empty or over-long new
    // code or one with characters outside code page 932, an old code without
    // a master row, a new code held by another record. A change only in
    // letter case is allowed. Work tables keep what they hold.
    int ChangeMasterCode(const QString& table, const QString& oldCode, const QString& newCode, QString& err);

    // Transactions for callers that write several requests as one unit.
    // They nest: an inner one commits into the outer one, and rolling it
    // back undoes only its own work.
    int BeginTransaction(QString& err);
    int Commit(QString& err);
    int Rollback(QString& err);
    bool InTransaction() const { return m_depth > 0; }
    // The engine's result code of the last failure of the engine (a full
    // disk is SQLITE_FULL, extended codes kept) since the outermost
    // transaction began, or SQLITE_OK (0) when there was none: callers tell
    // a cause from it that their text names alike.
    int LastFailure() const { return m_nLastFailure; }

    // The master import of products, customers or suppliers ("Item",
    // "Customer", "Supplier" in `table`) opens a session that holds the
    // import's one transaction; see CImportSession. Modes: 0 a code that
    // exists (or came earlier in the import) is refused; 1 it is overwritten,
    // keeping its ID and StartDate; 2 customer and supplier codes are taken
    // from `nextCode`, skipping codes that exist. A session that did not open
    // tells why by BeginResult() and `err`: no other import or transaction
    // may be open, and mode 2 needs `nextCode`.
    [[nodiscard]] CImportSession ImportMasterBegin(int mode, const QString& table, QString& err,
                                                   const std::function<QString()>& nextCode = {});
    // An import session is open on this connection (and holds its transaction).
    bool IsImportOpen() const { return m_pImport != nullptr; }
    // The digits the import allows an amount of the table's field: whole
    // digits and decimals ("Item", "Price": 8 and 2). False for a field
    // without such limits.
    static bool ImportMoneyLimits(const QString& table, const QString& field, int& intDigits, int& decimals);

    // ---- Booked balances ------------------------------------------------
    // Compares each side's booked balances with its headers (one statement a
    // side; written in MakeMsgIDLongCalls.cpp with the object's other long
    // calls) and makes a side's again when they differ, in one transaction:
    // `remade` tells whether any was. 1 done, 10 refused or failed with the
    // reason in `err`, -100 broken connection.
    int RecheckBookedBalances(bool& remade, QString& err);
    // What the user is told when they were made again.
    static QString BookedBalancesRemadeText()
    {
        return QStringLiteral("取引先ごとの請求・支払の残高が伝票と一致していなかったため、作り直しました。");
    }

    // ---- Ledgers (written in Ledger.cpp) ----------------------------------
    // Read-only; 1 done, 10 refused with the reason in `err`, -100 broken
    // connection. Results are appended to `head` and `rows` (bare names).
    //
    // The ledger of one customer (`side` 0) or supplier (nonzero) from
    // `from` to `to`. `head`: one record with "CustomerCode" or
    // "SupplierCode", "Company", "Section", "Name" and "前月繰越額" = the
    // partner's Collect plus what its slips bill (amount and the tax they
    // carry, as the closings count them) less its receipts or payments
    // dated before `from` (the figure the balance lists carry).
    // `rows`, by Date, No, then slips before money, each slip or receipt
    // whole by LineNo: each slip line ("タイプ" 1, "Amount" = the line's
    // Amount) and each money line (2, "Receipt" = its Amount, "ItemName"
    // its kind and contents); the
    // part of what a slip bills not on its lines (its tax outside the lines,
    // the whole of a tax slip without lines) is one more row of ItemType 9
    // after its lines, and the part of a receipt or payment not on its lines
    // one more money row; so the balance always ends at the balance list's
    // figure. Every row has "Date", "No", "タイプ", "LineNo", "ItemType",
    // "ItemCode", "ItemName", "Number", "Unit", "Price", "TaxFlg", "Amount",
    // "Receipt" (0 on the side that does not apply). Refused: an unknown
    // partner, an invalid or reversed period.
    int GetMotocho(int side, const QString& code, const QDate& from, const QDate& to, CCDSData& head,
                   CCDSData& rows, QString& err);
    // The stock detail of one product from `from` to `to`. `head`: one
    // record with "ItemCode", "ItemName" and "繰越数" = the opening stock
    // (StockNumber) plus what moved before `from`, counting only what is
    // dated after `lastCarry` when it is valid (the stock list's figure).
    // `rows`, by Date, タイプ, No, LineNo: sales lines ("タイプ" 1, "OutNum"
    // = Number), purchase lines (2, "InNum" = Number), stock movements (3,
    // "InNum" = InNumber, "OutNum" = OutNumber, "Memo" their own); discount
    // lines move no stock and are left out. Every row has "Date", "No",
    // "タイプ", "LineNo", "Memo", "InNum", "OutNum" and the partner's
    // "Company", "Section", "Name" (the slip's own for the one-time partner;
    // empty for movements). Refused: an unknown product, a bad period.
    int GetItemInOutList(const QString& code, const QDate& from, const QDate& to, CCDSData& head,
                         CCDSData& rows, const QDate& lastCarry, QString& err);
    // Fills the ledger work tables for printing: WMotocho_H takes the
    // request's header records (table "WMotocho_H", numbered 1..n in set
    // order), WMotocho_B each header's ledger rows as GetMotocho gives them
    // for the partner of its "CustomerCode" (also a supplier's code), with
    // "RowType" = タイプ and "Balance" = its "LastCollect" plus the rows so
    // far. The condition names the partners' table, "Customer" or
    // "Supplier"; anything else is refused (10). Both tables are replaced,
    // all or nothing.
    int SetWMotocho(CCDSData& request, const QDate& from, const QDate& to, QString& err);

    // ---- Stored document numbers (written in StoredNumbers.cpp) -----------
    // What the document table `table` ("Sales_Close", "Stock_Close",
    // "Receipt_H", "Pay_H", "StockChange") holds of the numbers written as
    // `prefix`, digits and `suffix` (letters compared without ASCII case, the
    // digits by value whatever their width), and how many of them fall on
    // `run`: one statement, the values bound. 10 for a table without
    // numbers; results as the other reads.
    int ReadStoredNumbers(const QString& table, const QString& prefix, const QString& suffix,
                          const CNumberRun& run, CStoredNumbers& found, QString& err);

    // For the library's own operations written beside this class: runs one
    // statement that returns no rows. `changes` receives the rows changed.
    int Execute(const QString& sql, QString& err, int* changes = nullptr);
    // The same with `values` bound to its parameters (?1, ?2, ...): the
    // parameters a statement does not name are not bound, and one named
    // without a value is refused.
    int Execute(const QString& sql, const CSqlValues& values, QString& err, int* changes = nullptr);
    // Runs the statement once for each of `rows`, the row's values bound:
    // prepared once, as an insert of many rows is. `changes` receives the
    // rows changed by all of them.
    int ExecuteRows(const QString& sql, const std::vector<CSqlValues>& rows, QString& err,
                    int* changes = nullptr);
    sqlite3* Handle() const { return m_db; }
    // The answer without a connection.
    int NoConnection(QString& err) const;
    // The steps of the long call under way, for the listener: `total` of
    // them to come, then `steps` more done.
    void BeginSteps(int total);
    void StepDone(int steps = 1);

  private:
    friend class CImportSession;
    struct Statement;
    struct Cache;

    // One batch of an import session into its run: 1, or the failure
    // (the caller rolls the import back).
    int ImportBatch(CImportRun& run, CCDSData& records,
                    const std::function<void(const COneRecord& record, const QString& errField)>& refused,
                    QString& err, const std::function<void(int done)>& progress);
    // The open session's run lets the connection go (it is closing).
    void DetachImport();

    // Makes the connection's own balances again when another connection has
    // committed since they were made (outside a transaction; 1 or the failure).
    int KeepPendingBalancesCurrent(QString& err);
    // 1 when connected with a transaction open, else the failure to answer.
    int CheckOpenTransaction(QString& err) const;
    int Fail(int rc, QString& err) const;
    int Prepare(const QString& sql, Statement*& statement, QString& err);
    void TrimCache();
    void Describe(Statement& statement, const QString& table, bool bare) const;
    // Column `column`'s result value `value` into `field`; with `shared`,
    // a text equal to one read before shares its copy.
    static void ReadValue(CTb& field, sqlite3_value* value, int column, int type,
                          CSharedTexts* shared = nullptr);
    // A text is encoded into `buffer`, which SQLite reads when the statement
    // is stepped: it must live until then.
    static int BindField(sqlite3_stmt* statement, int index, const CTb& field, const Schema::TableDef& table,
                         const Schema::FieldDef& column, std::string& buffer, QString& err);
    int RunStatement(const QString& sql, QString& err, int* changes = nullptr);
    // Binds `values` to the statement's parameters (see Execute).
    int BindValues(sqlite3_stmt* statement, const CSqlValues& values, QString& err) const;
    int ListRows(const CCDSData& request, const CSqlValues* values, CCDSData& result, QString& err);
    int InsertRecords(CCDSData& set, const Schema::TableDef& table,
                      std::vector<std::pair<int, qint64>>& assigned, QString& err);

    // While a listener is held, SQLite calls back during every statement:
    // the listener hears StatementRuns now and then.
    static int ProgressTick(void* self);
    void KeepTicking();
    // Holds the object for work for its span: only the thread `holder` may
    // use it (none: no thread, until work beside takes it on its own); the
    // hold before is put back after. Not `active`, it holds nothing.
    class CHeld
    {
      public:
        CHeld(CMakeMsgID& db, std::thread::id holder, bool active = true);
        ~CHeld();
        CHeld(const CHeld&) = delete;
        CHeld& operator=(const CHeld&) = delete;

      private:
        CMakeMsgID& m_db;
        bool m_bActive;
        bool m_bWasHeld;
        std::thread::id m_wasHolder;
    };
    // RunBeside's work holding the object: true when it ran to its end.
    bool Hold(const std::function<void()>& work);
    // The gate every call that reaches the connection passes first: the
    // refusal of a caller that is not the holding work's (HeldText), then,
    // where `connected`, of a call without a connection; 1 to go on.
    int Admit(QString& err, bool connected = true) const;
    static QString NoConnectionText() { return QStringLiteral("データベースに接続されていません。"); }
    // The listener hears the steps of the long call under way.
    void TellSteps();

    sqlite3* m_db = nullptr;
    QString m_folder;
    IDataProgress* m_pProgress = nullptr;
    // The progress handler of the connection while a listener is held.
    std::unique_ptr<CProgressHandlerScope> m_pTicks;
    int m_nStepsDone = 0;
    int m_nStepsTotal = 0;
    qint64 m_nLastTick = 0;
    bool m_bInTick = false;
    std::atomic<bool> m_bHeld{false};
    std::atomic<std::thread::id> m_holder{};
    int m_depth = 0;
    bool m_bBalancesPending = false;
    mutable int m_nLastFailure = 0;
    qint64 m_nBalancesSeen = -1; // the file's data version they were made at
    // The run of the open import session, which owns it: closing the
    // connection lets it go first.
    CImportRun* m_pImport = nullptr;
    std::unique_ptr<Cache> m_cache;
};

// A transaction that is rolled back unless committed, whatever way the
// scope is left.
class CScopedTransaction
{
  public:
    explicit CScopedTransaction(CMakeMsgID& db) : m_db(db) {}
    ~CScopedTransaction()
    {
        if (m_open) {
            QString ignored;
            m_db.Rollback(ignored);
        }
    }
    int Begin(QString& err)
    {
        const int result = m_db.BeginTransaction(err);
        m_open = result == CMakeMsgID::kOk;
        return result;
    }
    int Commit(QString& err)
    {
        m_open = false;
        return m_db.Commit(err);
    }

  private:
    CMakeMsgID& m_db;
    bool m_open = false;
};

// What a step of an import session comes to.
enum class EImportResult {
    Done,    // the batch written, the import committed or cancelled
    Failed,  // refused or failed, with the reason in the text
    Refused, // some records refused: nothing is committed until Commit()
    Nothing, // no record could be written: rolled back
    Fatal,   // the connection or the file is broken
};

// A master import from CMakeMsgID::ImportMasterBegin: the one transaction
// of the import, its statements and counts. Batches are checked and written
// as they come, so that no caller has to hold a whole file's records;
// existing codes are looked up per batch in the code index, so the memory
// does not grow with the table or the import either. Nothing is committed
// before End() or Commit(): a session dropped or cancelled before then rolls
// the whole import back. A session whose batch
// or commit failed has rolled back and is closed; its later calls answer
// Failed. Closing the connection closes the session with it (its calls
// then answer Fatal).
class CImportSession
{
  public:
    using RefusedSink = std::function<void(const COneRecord& record, const QString& errField)>;

    CImportSession();
    CImportSession(CImportSession&& other) noexcept;
    CImportSession& operator=(CImportSession&& other) noexcept;
    ~CImportSession();

    bool IsOpen() const;
    // Done for a session that opened, else why it did not.
    EImportResult BeginResult() const { return m_eBegin; }

    // Checks and writes the records, each whole or not at all, handing
    // each refused one to `refused` with its faulty fields ("Customer.Day、
    // Customer.CollectType"). Numbered codes are written into the records.
    // `progress` hears how many records of the session are done, before
    // each one. A failure rolls the import back.
    EImportResult Batch(CCDSData& records, const RefusedSink& refused, QString& err,
                        const std::function<void(int done)>& progress = {});
    // After the last batch: with every record written, commits (Done); with
    // some refused, keeps the transaction for the caller's word (Refused):
    // Commit() keeps what was written, Cancel() or the drop nothing; with
    // none written, rolls back (Nothing). A failed commit rolls back.
    EImportResult End(QString& err);
    // Commits what was written, whatever was refused; Nothing (rolled back)
    // when nothing was written.
    EImportResult Commit(QString& err);
    // Rolls the import back: Done, or the rollback's failure; Failed when
    // the session is not open.
    EImportResult Cancel(QString& err);

    int Added() const;
    int Replaced() const;
    int RefusedCount() const;

  private:
    friend class CMakeMsgID;
    struct RunDeleter {
        void operator()(CImportRun* run) const;
    };

    CImportSession(std::unique_ptr<CImportRun, RunDeleter> run, EImportResult begin);
    // The state that a step may not start in: Done to go on.
    EImportResult CheckOpen(QString& err) const;
    // Lets the transaction go, rolled back unless `committed`: 1, or the
    // rollback's failure.
    int Close(bool committed, QString& err);
    void Close();

    std::unique_ptr<CImportRun, RunDeleter> m_pRun;
    EImportResult m_eBegin = EImportResult::Failed;
};
