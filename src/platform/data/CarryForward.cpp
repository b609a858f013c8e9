// The carry-forward: the closings up to a date leave the books with their
// slips and money, and what they leave behind becomes the opening balances
// and stock, step by step in one transaction.

#include "platform/data/BookedTotals.h"
#include "platform/data/ClosingService.h"
#include "platform/data/Schema.h"
#include "platform/data/ScopedPragma.h"
#include "platform/data/SqlText.h"
#include "platform/data/TradeSide.h"

#include <sqlite3.h>

#include <QFileInfo>
#include <QStorageInfo>
#include <QStringList>
#include <QThread>

namespace
{

QString L(const char* text)
{
    return QString::fromLatin1(text);
}

// Deleting a year of slips touches most pages of every slip and line index.
// With the default page cache of a few megabytes the changed pages are
// written out and read back many times within one transaction; a cache
// large enough for them is taken for the run (negative: a size in KiB, here
// 1 GiB, of which only the pages read are taken). Deleted content is
// overwritten where that costs no writes of its own, in the pages written
// anyway, not in every page the deletions free.
constexpr qint64 kCarryForwardCache = -1048576;
constexpr const char* kSecureDeleteFast = "FAST";
// An index is built from a sort that runs in pieces no larger than the page
// cache, each sorted by a worker thread while the rows are still read, then
// merged. The indexes remade after a large delete are built with a small
// cache so that their sort runs on several cores: about half the time.
constexpr qint64 kSortPieceCache = -2048;
constexpr int kMostSortThreads = 4;
// Changed pages are written out before the commit only past this many
// (about 1 GiB of 4 KiB pages), whatever the cache's size: so also while it
// is made small for a rebuild. Read back, the setting is the larger of it
// and the cache, which is what the connection had when it is set back.
constexpr qint64 kCarryForwardSpillPages = 262144;
// The carry-forward's bar counts each statement that reads or writes the
// books in bulk, and each index made again: per side, its open and its
// going closings, the kept ones checked, their sums and the partners'
// balances, five deletes and the booked balances.
constexpr int kCarryForwardSideSteps = 11;

// Whether an index led by this column keeps the rows of the books in the
// order they were entered: a slip's lines, a day's, a closing's.
// A staff member's slips and the closings of one status are few runs,
// each in the order of the dates that follow.
bool LiesInTheOrderOfTheBooks(const QString& column)
{
    for (const char* ordered :
         {"HeaderID", "Date", "SeikyuID", "CloseID", "CloseDate", "ID", "MyPerson", "Status"})
        if (column.compare(QLatin1String(ordered), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// Rows of the books go oldest first: their entries in an index led by the
// slip, the date or the closing lie together, but those in an index led by
// a code (or a status) lie anywhere. When a third of a table or more goes,
// such indexes are made again from the rows that stay: deleting their
// entries one by one costs more than building them.
QList<Schema::IndexSpec> Remakable(const QString& table)
{
    QList<Schema::IndexSpec> indexes;
    for (const Schema::IndexSpec& ix : Schema::Indexes())
        if (ix.table == table && !LiesInTheOrderOfTheBooks(ix.columns.section(u',', 0, 0)))
            indexes << ix;
    return indexes;
}

// The closings of a run, in the run's own tables.
const QString kGoing = QStringLiteral("(SELECT id FROM temp.carry_close)");

// One carry-forward to a date. Each step answers whether the run goes on;
// one that does not leaves the reason in `m_err` and the library's answer
// in `m_result`, and the run's transaction is rolled back.
class CCarryForwardRun
{
  public:
    CCarryForwardRun(CMakeMsgID& db, const QDate& date, const QDate& previous)
        : m_db(db), m_date(date),
          m_previous(previous), m_days{SqlDateValue(date.addDays(1)), CSqlValue(), SqlDateValue(date)}
    {
    }

    CCarryForwardOutcome Run();

  private:
    // ---- before anything is changed
    bool CheckDate();
    bool CheckRoom();
    bool TakeFileBalances();
    void PlanSteps();
    bool CheckPreviousDate();
    bool RecheckBalances();
    // ---- the books
    bool CarryStock();
    bool CarrySide(const CTradeSide& side);
    bool MarkGoingClosings(const CTradeSide& side);
    bool KeepClosingsOthersCount(const CTradeSide& side);
    bool TurnIntoOpeningBalances(const CTradeSide& side);
    bool CountWhatGoes(const CTradeSide& side);
    bool DeleteWhatGoes(const CTradeSide& side);
    bool RebuildIndexes();
    bool StoreDate();

    // Statements over the books, a step of the bar each.
    bool Execute(const QStringList& statements);
    // Statements that set the run's own tables, triggers and indexes up or
    // aside: too quick to count.
    bool Arrange(const QStringList& statements);
    // Deletes the rows of `table` matching `where`, setting its remakable
    // indexes aside when a third of it or more goes (see Remakable). The
    // share that goes is counted on `shareOf` rows matching `shareWhere`
    // (the slips stand for their lines, cheaper to count), else on the
    // table's own.
    bool DeleteRemaking(const QString& table, const QString& where, const QString& shareOf = {},
                        const QString& shareWhere = {});
    bool Refuse(EClosingRefusal why, const QString& text);

    CMakeMsgID& m_db;
    const QDate m_date;
    const QDate m_previous;
    // The values the statements bind: ?1 the day after the date, ?2 the day
    // after the last carry-forward (once read), ?3 the date.
    CSqlValues m_days;
    QDate m_stored; // the date of the last carry-forward, invalid for none
    bool m_hasUtil = false;
    bool m_remade = false; // the booked balances were made again
    CCarryForwardCounts m_counts;
    QList<Schema::IndexSpec> m_rebuilt; // set aside while deleting
    int m_result = CMakeMsgID::kOk;
    EClosingRefusal m_why = EClosingRefusal::Failed;
    QString m_err;
};

CCarryForwardOutcome CCarryForwardRun::Run()
{
    CCarryForwardOutcome outcome;
    const auto refused = [&] {
        outcome.refusal = {m_result == CMakeMsgID::kFatal     ? EClosingRefusal::Fatal
                           : m_why == EClosingRefusal::Failed ? ClosingFailure(m_db)
                                                              : m_why,
                           m_err};
        return outcome;
    };
    if (!m_db.IsOpen()) {
        m_result = m_db.NoConnection(m_err);
        return refused();
    }
    if (!CheckDate() || !CheckRoom() || !TakeFileBalances())
        return refused();
    sqlite3* db = m_db.Handle();
    const CScopedPragma spill(db, "cache_spill", kCarryForwardSpillPages);
    const CScopedPragma cache(db, "cache_size", kCarryForwardCache);
    const CScopedPragma zeroing(db, "secure_delete", kSecureDeleteFast);
    // The run deletes the lines and money of each slip itself, before the
    // slip: the cascade would look for them again, a slip at a time. It is
    // set aside when the run holds its own transaction (the setting does not
    // change inside one).
    const CScopedPragma keys(db, "foreign_keys", 0);
    const CScopedPragma sorters(db, "threads", qBound(1, QThread::idealThreadCount(), kMostSortThreads));
    CScopedTransaction run(m_db);
    if ((m_result = run.Begin(m_err)) != CMakeMsgID::kOk)
        return refused();
    PlanSteps();
    if (!CheckPreviousDate() || !RecheckBalances() || !CarryStock())
        return refused();
    for (const CTradeSide* side : CTradeSide::Both())
        if (!CarrySide(*side))
            return refused();
    if (!RebuildIndexes() || !StoreDate())
        return refused();
    if ((m_result = run.Commit(m_err)) != CMakeMsgID::kOk)
        return refused();
    m_db.StepDone();
    outcome.counts = m_counts;
    outcome.balancesRemade = m_remade;
    return outcome;
}

bool CCarryForwardRun::Refuse(EClosingRefusal why, const QString& text)
{
    m_why = why;
    m_err = text;
    m_result = CMakeMsgID::kFailed;
    return false;
}

bool CCarryForwardRun::CheckDate()
{
    return m_date.isValid() || Refuse(EClosingRefusal::BadDate, QStringLiteral("繰越日が正しくありません。"));
}

// The journal keeps the old content of every page the run changes, which
// may be most of the file: without the room for it the run would fail
// late, after a long wait.
bool CCarryForwardRun::CheckRoom()
{
    const QFileInfo file(CMakeMsgID::DatabasePath(m_db.GetFolder()));
    const QStorageInfo disk(file.absolutePath());
    const QString shortage =
        CClosingService::SpaceShortage(file.size(), disk.isValid() ? disk.bytesAvailable() : -1);
    return shortage.isEmpty() || Refuse(EClosingRefusal::NoRoom, shortage);
}

// It settles the booked balances of the file itself.
bool CCarryForwardRun::TakeFileBalances()
{
    return (m_result = m_db.MakePendingBalances(m_err)) == CMakeMsgID::kOk;
}

// The checks, each side's balances, the stock, two sides, the indexes, the
// date and the commit.
void CCarryForwardRun::PlanSteps()
{
    int mayRemake = 0;
    for (const CTradeSide* side : CTradeSide::Both())
        for (const char* table : {side->lines, side->header, side->money, side->closing})
            mayRemake += int(Remakable(L(table)).size());
    m_db.BeginSteps(1 + 2 + 2 + 2 * kCarryForwardSideSteps + mayRemake + 1 + 1);
}

bool CCarryForwardRun::CheckPreviousDate()
{
    CCDSData request, util;
    request.m_strTable = QStringLiteral("Util");
    request.m_strCondition = QStringLiteral("ORDER BY ID");
    if ((m_result = m_db.GetDataList(request, util, m_err)) != CMakeMsgID::kOk)
        return false;
    m_hasUtil = util.GetCount() > 0;
    if (m_hasUtil)
        if (const CTb* field =
                util.GetAt(0)->GetOneField(QStringLiteral("Util"), QStringLiteral("StartDate")))
            field->GetData(m_stored);
    if (m_stored.isValid())
        m_days[1] = SqlDateValue(m_stored.addDays(1));
    if (m_stored != m_previous)
        return Refuse(EClosingRefusal::PreviousDiffers, QStringLiteral("前回の繰越日が一致しません。"));
    if (m_stored.isValid() && m_date < m_stored)
        return Refuse(EClosingRefusal::BeforePrevious,
                      QStringLiteral("前回の繰越日より前の日付は指定できません。"));
    m_db.StepDone();
    return true;
}

// The balances settle the carried sums below: they must be right first.
bool CCarryForwardRun::RecheckBalances()
{
    return (m_result = m_db.RecheckBookedBalances(m_remade, m_err)) == CMakeMsgID::kOk;
}

// Stock moved after the last carry-forward up to the date becomes the
// opening stock; lines of tax and discounts (ItemType 2) move none. Each
// product's moves are summed over the period's part of its range in the
// product indexes, so that neither the rest of the history nor a sort by
// code is read. Only products that moved are changed (a sum over no rows is
// NULL). The run's own tables are made here too.
bool CCarryForwardRun::CarryStock()
{
    const QString range = m_stored.isValid() ? QStringLiteral("R.\"Date\" >= ?2 AND R.\"Date\" < ?1")
                                             : QStringLiteral("R.\"Date\" < ?1");
    const QStringList tables{
        QStringLiteral(
            "CREATE TEMP TABLE IF NOT EXISTS carry_stock(ItemCode TEXT COLLATE NOCASE PRIMARY KEY, q "
            "INTEGER)"),
        QStringLiteral("DELETE FROM temp.carry_stock"),
        QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS carry_close(id INTEGER PRIMARY KEY)"),
        QStringLiteral(
            "CREATE TEMP TABLE IF NOT EXISTS carry_open(code TEXT COLLATE NOCASE PRIMARY KEY, cd TEXT, "
            "id INTEGER)"),
        QStringLiteral(
            "CREATE TEMP TABLE IF NOT EXISTS carry_sum(code TEXT COLLATE NOCASE PRIMARY KEY, v INTEGER, "
            "b INTEGER)"),
        QStringLiteral(
            "CREATE TEMP TABLE IF NOT EXISTS carry_kept(code TEXT COLLATE NOCASE PRIMARY KEY, fcd TEXT, "
            "fid INTEGER)"),
    };
    const QStringList stock{
        QStringLiteral(
            "INSERT INTO temp.carry_stock(ItemCode, q) SELECT ItemCode, COALESCE(a, 0) - COALESCE(b, 0) + "
            "COALESCE(c, 0) FROM (SELECT I.ItemCode, (SELECT SUM(COALESCE(R.Number, 0)) FROM Stock_B R "
            "WHERE R.ItemCode = I.ItemCode AND %1 AND R.ItemType <> 2) AS a, (SELECT "
            "SUM(COALESCE(R.Number, 0)) FROM Sales_B R WHERE R.ItemCode = I.ItemCode AND %1 AND "
            "R.ItemType <> 2) AS b, (SELECT SUM(COALESCE(R.InNumber, 0) - COALESCE(R.OutNumber, 0)) FROM "
            "StockChange R WHERE R.ItemCode = I.ItemCode AND %1) AS c FROM Item I WHERE I.ItemCode <> '') "
            "WHERE a IS NOT NULL OR b IS NOT NULL OR c IS NOT NULL")
            .arg(range),
        QStringLiteral(
            "UPDATE Item SET StockNumber = COALESCE(StockNumber, 0) + (SELECT q FROM temp.carry_stock c "
            "WHERE c.ItemCode = Item.ItemCode) WHERE ItemCode IN (SELECT ItemCode FROM temp.carry_stock)"),
    };
    return Arrange(tables) && Execute(stock);
}

bool CCarryForwardRun::CarrySide(const CTradeSide& side)
{
    return Arrange({QStringLiteral("DELETE FROM temp.carry_close"),
                    QStringLiteral("DELETE FROM temp.carry_open"),
                    QStringLiteral("DELETE FROM temp.carry_sum")}) &&
           MarkGoingClosings(side) && KeepClosingsOthersCount(side) && TurnIntoOpeningBalances(side) &&
           CountWhatGoes(side) && DeleteWhatGoes(side);
}

// Each partner's first open closing, once, and the closings up to the date
// before it. One that a one-time partner paid after the date stays with its
// money, which later lists still show.
bool CCarryForwardRun::MarkGoingClosings(const CTradeSide& side)
{
    const QString t = L(side.closing), code = L(side.code);
    return Execute(
        {QStringLiteral("INSERT INTO temp.carry_open(code, cd, id) SELECT code, cd, id FROM (SELECT "
                        "\"%2\" AS code, "
                        "CloseDate AS cd, ID AS id, ROW_NUMBER() OVER (PARTITION BY \"%2\" ORDER BY "
                        "CloseDate, ID) "
                        "AS rn FROM \"%1\" WHERE Status = 0 AND \"%2\" IS NOT NULL) WHERE rn = 1")
             .arg(t, code),
         QStringLiteral(
             "INSERT INTO temp.carry_close(id) SELECT C.ID FROM \"%1\" C LEFT JOIN temp.carry_open F "
             "ON F.code = C.\"%2\" WHERE C.CloseDate < ?1 AND (F.code IS NULL OR C.CloseDate < F.cd "
             "OR (C.CloseDate = F.cd AND C.ID < F.id)) AND NOT EXISTS (SELECT 1 FROM \"%3\" P "
             "WHERE P.CloseID = C.ID AND P.\"Date\" >= ?1)")
             .arg(t, code, L(side.money))});
}

// The past of a kept account closing is the opening balance and what its
// partner booked to closings before it. A closing that goes turns what it
// billed less what it booked into opening balance, and takes the money paid
// on it that no closing booked: so one that lies after a kept account
// closing and leaves an amount, or before one with such money, would change
// that closing's figures. It stays, and the round is made again when that
// keeps another account closing. Only the kept account closings up to the
// date can lie before one that goes (the others come after every one of
// them), and few closings have money no closing booked: both are read from
// those.
bool CCarryForwardRun::KeepClosingsOthersCount(const CTradeSide& side)
{
    const QString t = L(side.closing), code = L(side.code), money = L(side.money);
    const QStringList keep{
        QStringLiteral("DELETE FROM temp.carry_kept"),
        QStringLiteral(
            "INSERT INTO temp.carry_kept(code, fcd, fid) SELECT code, cd, id FROM (SELECT \"%2\" AS "
            "code, CloseDate AS cd, ID AS id, ROW_NUMBER() OVER (PARTITION BY \"%2\" ORDER BY "
            "CloseDate, ID) AS rn FROM \"%1\" WHERE CloseDate < ?1 AND TudoFlg = 1 AND \"%2\" IS NOT "
            "NULL AND ID NOT IN %3) WHERE rn = 1")
            .arg(t, code, kGoing),
    };
    const QString unbookedPaid =
        QStringLiteral(
            "COALESCE((SELECT SUM(M.Amount) FROM \"%1\" M WHERE M.CloseID = C.ID AND M.SeikyuID = 0), "
            "0)")
            .arg(money);
    const QString stays =
        QStringLiteral(
            "DELETE FROM temp.carry_close WHERE id IN (SELECT C.ID FROM temp.carry_kept P CROSS JOIN "
            "\"%1\" C "
            "ON "
            "C.\"%2\" = P.code AND (C.CloseDate > P.fcd OR (C.CloseDate = P.fcd AND C.ID > P.fid)) AND "
            "C.CloseDate < ?1 WHERE C.ID IN %7 AND COALESCE((SELECT SUM(%5) FROM \"%3\" H WHERE "
            "H.SeikyuID = "
            "C.ID), 0) - COALESCE((SELECT SUM(M.Amount) FROM \"%4\" M WHERE M.SeikyuID = C.ID), 0) - %6 "
            "<> 0 "
            "UNION SELECT C.ID FROM (SELECT DISTINCT M.CloseID AS id FROM \"%4\" M WHERE M.CloseID IN %7 "
            "AND "
            "M.SeikyuID = 0) U JOIN \"%1\" C ON C.ID = U.id WHERE %6 <> 0 AND EXISTS (SELECT 1 FROM "
            "\"%1\" K "
            "WHERE K.\"%2\" = C.\"%2\" AND K.TudoFlg = 1 AND (K.CloseDate > C.CloseDate OR (K.CloseDate "
            "= "
            "C.CloseDate AND K.ID > C.ID)) AND K.ID NOT IN %7))")
            .arg(t, code, L(side.header), money, SqlSlipBilled(QStringLiteral("H.")), unbookedPaid, kGoing);
    for (int kept = 1; kept > 0;) {
        if (!Arrange(keep) || (m_result = m_db.Execute(stays, m_days, m_err, &kept)) != CMakeMsgID::kOk)
            return false;
    }
    m_db.StepDone();
    return true;
}

// What the going closings billed less what was paid on them, per partner
// (v), goes into its Collect; b the part of it booked, which the booked
// balances hold, counted as they count it. Money paid on them but booked to
// no closing is the rest.
bool CCarryForwardRun::TurnIntoOpeningBalances(const CTradeSide& side)
{
    const QString code = L(side.code), going = QStringLiteral("R.SeikyuID IN %1").arg(kGoing);
    return Execute(
        {QStringLiteral(
             "INSERT INTO temp.carry_sum(code, v, b) SELECT code, SUM(v), SUM(b) FROM (SELECT code, v, "
             "v AS b FROM (%3) UNION ALL SELECT M.\"%1\", -COALESCE(M.Amount, 0), 0 FROM "
             "temp.carry_close K JOIN \"%2\" M ON M.CloseID = K.id AND M.SeikyuID = 0) WHERE code IS "
             "NOT NULL GROUP BY code COLLATE NOCASE")
             .arg(code, L(side.money), BookedTotals::BookedAmountsSql(side, going, going)),
         QStringLiteral("UPDATE \"%1\" SET Collect = COALESCE(Collect, 0) + (SELECT v FROM temp.carry_sum s "
                        "WHERE s.code = \"%1\".\"%2\") WHERE \"%2\" IN (SELECT code FROM temp.carry_sum)")
             .arg(L(side.partner), code)});
}

// The closings, slips entered (not the tax slips of closings) and money that
// go, for the user.
bool CCarryForwardRun::CountWhatGoes(const CTradeSide& side)
{
    CCDSData tally, taken;
    tally.m_strCondition =
        QStringLiteral(
            "SELECT (SELECT COUNT(*) FROM temp.carry_close) AS c, (SELECT COUNT(*) FROM \"%1\" WHERE "
            "SeikyuID IN %3 AND DenpyoType = 0) AS s, (SELECT COUNT(*) FROM \"%2\" WHERE SeikyuID IN "
            "%3) + (SELECT COUNT(*) FROM \"%2\" WHERE CloseID IN %3 AND SeikyuID = 0) AS m")
            .arg(L(side.header), L(side.money), kGoing);
    if ((m_result = m_db.GetDataList(tally, taken, m_err)) != CMakeMsgID::kOk)
        return false;
    const auto count = [&](const char* name) {
        int value = 0;
        if (const CTb* field = taken.GetAt(0)->GetOneField(QString(), L(name)))
            field->GetData(value);
        return value;
    };
    m_counts.closings += count("c");
    m_counts.slips += count("s");
    (side.IsPurchases() ? m_counts.payments : m_counts.receipts) += count("m");
    return true;
}

// The booked slips and money go all at once: their triggers are set aside
// and the balances settled from the sums above, in one update. The money
// goes with the closing it was booked to, and a one-time partner's with the
// invoice it paid.
bool CCarryForwardRun::DeleteWhatGoes(const CTradeSide& side)
{
    const QString slips = L(side.header), money = L(side.money);
    return DeleteRemaking(
               L(side.lines),
               QStringLiteral("HeaderID IN (SELECT ID FROM \"%1\" WHERE SeikyuID IN %2)").arg(slips, kGoing),
               slips, QStringLiteral("SeikyuID IN %1").arg(kGoing)) &&
           Arrange(BookedTotals::DropTriggers(side)) &&
           DeleteRemaking(slips, QStringLiteral("SeikyuID IN %1").arg(kGoing)) &&
           Execute({QStringLiteral(
                        "DELETE FROM \"%1\" WHERE HeaderID IN (SELECT ID FROM \"%2\" WHERE SeikyuID IN "
                        "%3 UNION ALL SELECT ID FROM \"%2\" WHERE CloseID IN %3 AND SeikyuID = 0)")
                        .arg(L(side.moneyLines), money, kGoing)}) &&
           DeleteRemaking(money,
                          QStringLiteral("SeikyuID IN %1 OR (CloseID IN %1 AND SeikyuID = 0)").arg(kGoing)) &&
           DeleteRemaking(L(side.closing), QStringLiteral("ID IN %1").arg(kGoing)) &&
           Execute(
               {BookedTotals::TakeAwaySql(side, QStringLiteral("temp.carry_sum"), QStringLiteral("b"))}) &&
           Arrange(BookedTotals::CreateTriggers(side));
}

// The indexes set aside are built again once every delete is done, with a
// small page cache: the sort behind each runs in pieces no larger than the
// cache, which worker threads sort side by side. The changed pages stay in
// memory meanwhile, up to the run's spill threshold.
bool CCarryForwardRun::RebuildIndexes()
{
    const CScopedPragma pieces(m_db.Handle(), "cache_size", kSortPieceCache);
    QStringList statements;
    for (const Schema::IndexSpec& ix : m_rebuilt)
        statements << ix.create;
    return Execute(statements);
}

// Util.StartDate becomes the date: the next run checks against it.
bool CCarryForwardRun::StoreDate()
{
    return Execute({m_hasUtil ? QStringLiteral("UPDATE Util SET StartDate = ?3")
                              : QStringLiteral("INSERT INTO Util(StartDate) VALUES (?3)")});
}

bool CCarryForwardRun::Execute(const QStringList& statements)
{
    for (const QString& sql : statements) {
        if ((m_result = m_db.Execute(sql, m_days, m_err)) != CMakeMsgID::kOk)
            return false;
        m_db.StepDone();
    }
    return true;
}

bool CCarryForwardRun::Arrange(const QStringList& statements)
{
    for (const QString& sql : statements)
        if ((m_result = m_db.Execute(sql, m_days, m_err)) != CMakeMsgID::kOk)
            return false;
    return true;
}

bool CCarryForwardRun::DeleteRemaking(const QString& table, const QString& where, const QString& shareOf,
                                      const QString& shareWhere)
{
    CCDSData going, all;
    all.m_strTable = shareOf.isEmpty() ? table : shareOf;
    going.m_strCondition = QStringLiteral("SELECT 1 FROM \"%1\" WHERE %2")
                               .arg(all.m_strTable, shareOf.isEmpty() ? where : shareWhere);
    int goingCount = 0, allCount = 0;
    if ((m_result = m_db.GetDataNum(going, goingCount, m_err)) != CMakeMsgID::kOk ||
        (m_result = m_db.GetDataNum(all, allCount, m_err)) != CMakeMsgID::kOk)
        return false;
    QList<Schema::IndexSpec> remade = Remakable(table);
    if (goingCount == 0 || goingCount * 3 < allCount) {
        // Their steps of the bar are not to come.
        m_db.StepDone(int(remade.size()));
        remade.clear();
    }
    // The pages of a dropped index are freed, not written: overwriting them
    // would write every one of them.
    QStringList statements;
    if (!remade.isEmpty())
        statements << QStringLiteral("PRAGMA secure_delete=0");
    for (const Schema::IndexSpec& ix : remade)
        statements << QStringLiteral("DROP INDEX \"%1\"").arg(ix.name);
    if (!remade.isEmpty())
        statements << QStringLiteral("PRAGMA secure_delete=%1").arg(QLatin1String(kSecureDeleteFast));
    m_rebuilt << remade;
    return Arrange(statements) && Execute({QStringLiteral("DELETE FROM \"%1\" WHERE %2").arg(table, where)});
}

} // namespace

CCarryForwardOutcome CClosingService::CarryForward(const QDate& date, const QDate& previous)
{
    return CCarryForwardRun(m_db, date, previous).Run();
}

QString CClosingService::SpaceShortage(qint64 fileSize, qint64 available)
{
    if (available < 0 || available >= fileSize)
        return QString();
    const auto megabytes = [](qint64 bytes) { return (bytes + (1 << 20) - 1) >> 20; };
    return QStringLiteral(
               "繰越処理に必要なディスクの空き容量が足りません。データベースのあるドライブに約%1MBの"
               "空き容量が必要です（現在の空き容量：約%2MB）。空き容量を増やしてから、もう一度実行"
               "してください。")
        .arg(megabytes(fileSize))
        .arg(available >> 20);
}
