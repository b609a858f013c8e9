#include "platform/data/BookedTotals.h"
#include "platform/data/MakeMsgID.h"
#include "platform/data/ProgressHandler.h"
#include "platform/data/Schema.h"
#include "platform/data/ScopedPragma.h"
#include "platform/data/SqlText.h"
#include "platform/data/TradeSide.h"

#include <sqlite3.h>

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStorageInfo>
#include <QStringBuilder>
#include <QStringList>
#include <QThread>

#include <chrono>
#include <iterator>

namespace
{

QString L(const char* text)
{
    return QString::fromLatin1(text);
}

QString FieldText(const COneRecord* record, const QString& table, const char* field)
{
    const CTb* tb = record->GetOneField(table, L(field));
    if (!tb)
        tb = record->GetOneField(QString(), L(field));
    return tb ? tb->GetText() : QString();
}

int FieldInt(const COneRecord* record, const QString& table, const char* field)
{
    const CTb* tb = record->GetOneField(table, L(field));
    if (!tb)
        tb = record->GetOneField(QString(), L(field));
    int value = 0;
    if (tb)
        tb->GetData(value);
    return value;
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
// From how many closings an undo sets the balance triggers aside.
constexpr int kBulkUndoClosings = 50;
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

// Whether the row read now still holds every figure the list showed.
bool SameFigures(const COneRecord& shown, const COneRecord* now)
{
    if (!now)
        return false;
    for (int i = 0; i < shown.GetCount(); ++i) {
        const CTb* was = shown.GetAt(i);
        const CTb* is = now->GetOneField(QString(), was->GetName().section(u'.', -1));
        if (!is || is->IsNull() != was->IsNull() || is->GetText() != was->GetText())
            return false;
    }
    return true;
}

// How often SQLite calls back while a statement runs (in its virtual
// machine's steps), and how often of those calls the listener hears.
constexpr int kTickSteps = 1000;
constexpr qint64 kTickMs = 100;

qint64 NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

IDataProgress* CMakeMsgID::SetProgress(IDataProgress* progress)
{
    IDataProgress* before = std::exchange(m_pProgress, progress);
    m_nStepsDone = m_nStepsTotal = 0;
    m_nLastTick = NowMs();
    if (!m_pProgress)
        m_pTicks.reset();
    else
        KeepTicking();
    return before;
}

void CMakeMsgID::KeepTicking()
{
    if (m_db && m_pProgress && !m_pTicks)
        m_pTicks = std::make_unique<CProgressHandlerScope>(m_db, kTickSteps, &CMakeMsgID::ProgressTick, this);
}

int CMakeMsgID::ProgressTick(void* self)
{
    auto* me = static_cast<CMakeMsgID*>(self);
    if (me->m_bInTick || !me->m_pProgress)
        return 0;
    const qint64 now = NowMs();
    if (now - me->m_nLastTick < kTickMs)
        return 0;
    me->m_nLastTick = now;
    me->m_bInTick = true;
    me->m_pProgress->Working();
    me->m_bInTick = false;
    return 0; // never interrupts the statement
}

void CMakeMsgID::BeginSteps(int total)
{
    m_nStepsDone = 0;
    m_nStepsTotal = total;
    if (m_pProgress && !m_bInTick)
        m_pProgress->PartsDone(m_nStepsDone, m_nStepsTotal);
}

void CMakeMsgID::StepDone(int steps)
{
    m_nStepsDone = qMin(m_nStepsDone + steps, m_nStepsTotal);
    m_nLastTick = NowMs();
    if (m_pProgress && !m_bInTick)
        m_pProgress->PartsDone(m_nStepsDone, m_nStepsTotal);
}

int CMakeMsgID::Close_Sales(CCDSData& headers, CCDSData& taxSlips, const QDate& closeDate, QString& err,
                            CCloseCheck* check)
{
    if (!m_db)
        return NoConnection(err);
    const CTradeSide* side = CTradeSide::OfClosing(headers.m_strTable);
    if (!side ||
        (taxSlips.GetCount() > 0 && taxSlips.m_strTable.compare(L(side->header), Qt::CaseInsensitive) != 0)) {
        err = QStringLiteral("締め処理のテーブル指定が正しくありません。");
        return kFailed;
    }
    if (!closeDate.isValid()) {
        err = QStringLiteral("締日が正しくありません。");
        return kFailed;
    }
    if (check) {
        check->changed.clear();
        if (check->shown.GetCount() != headers.GetCount() || check->statement.isEmpty()) {
            err = QStringLiteral("締め処理の確認内容が締める取引先と一致しません。");
            return kFailed;
        }
    }
    if (headers.GetCount() == 0)
        return kOk;
    const QString table = headers.m_strTable;
    const QString code = L(side->code), d1 = SqlDate(closeDate.addDays(1));

    CScopedTransaction run(*this);
    int result = run.Begin(err);
    if (result != kOk)
        return result;
    // The recheck, the work table, the refusals, the closings, four
    // bookings, the tax slips and the commit.
    BeginSteps(10);
    // The headers whose partners still show what the list showed, in set
    // order; the run works on copies of them, so that a failure leaves the
    // caller's IDs at 0.
    QList<int> kept;
    QSet<QString> left;
    if (check) {
        CCDSData request, fresh;
        request.m_strCondition = check->statement;
        if ((result = GetDataList(request, fresh, err)) != kOk)
            return result;
        QHash<QString, const COneRecord*> rowOf;
        for (int i = 0; i < fresh.GetCount(); ++i)
            rowOf.insert(FieldText(fresh.GetAt(i), QString(), side->code).toLower(), fresh.GetAt(i));
        for (int i = 0; i < headers.GetCount(); ++i) {
            const QString who = FieldText(headers.GetAt(i), table, side->code);
            if (SameFigures(*check->shown.GetAt(i), rowOf.value(who.toLower()))) {
                kept << i;
            } else {
                check->changed << who;
                left.insert(who.toLower());
            }
        }
    } else {
        for (int i = 0; i < headers.GetCount(); ++i)
            kept << i;
    }
    StepDone();
    if (kept.isEmpty())
        return run.Commit(err);
    CCDSData closings, slips;
    closings.m_strTable = table;
    slips.m_strTable = taxSlips.m_strTable;
    for (int i : kept)
        closings.Add(*headers.GetAt(i));
    for (int i = 0; i < taxSlips.GetCount(); ++i)
        if (!left.contains(FieldText(taxSlips.GetAt(i), taxSlips.m_strTable, side->code).toLower()))
            slips.Add(*taxSlips.GetAt(i));

    QStringList codes;
    QString values;
    for (int i = 0; i < closings.GetCount(); ++i) {
        codes << FieldText(closings.GetAt(i), table, side->code);
        values += (i ? QStringLiteral(",(") : QStringLiteral("(")) % QString::number(i) %
                  QStringLiteral(",'") % SqlQuote(codes.last()) % QStringLiteral("')");
    }
    const QString prepare[] = {
        QStringLiteral(
            "CREATE TEMP TABLE IF NOT EXISTS close_run(seq INTEGER PRIMARY KEY, code TEXT COLLATE NOCASE, "
            "id INTEGER)"),
        // Every check and booking below finds a partner's row by its code.
        QStringLiteral("CREATE INDEX IF NOT EXISTS temp.ix_close_run_code ON close_run(code)"),
        QStringLiteral("DELETE FROM temp.close_run"),
        QStringLiteral("INSERT INTO temp.close_run(seq, code) VALUES ") % values,
    };
    for (const QString& sql : prepare)
        if ((result = Execute(sql, err)) != kOk)
            return result;
    StepDone();

    // The first partner that cannot be closed, and why.
    CCDSData request, refused;
    request.m_strCondition =
        QStringLiteral("SELECT code, why FROM (SELECT r.seq, r.code, CASE "
                       "WHEN (SELECT COUNT(*) FROM temp.close_run r2 WHERE r2.code = r.code) > 1 THEN 1 "
                       "WHEN EXISTS (SELECT 1 FROM \"%1\" X WHERE X.\"%2\" = r.code AND X.CloseDate = %3 "
                       "AND X.TudoFlg = 1) THEN 2 "
                       "WHEN NOT EXISTS (SELECT 1 FROM \"%4\" H WHERE H.\"%2\" = r.code AND H.SeikyuID = 0 "
                       "AND H.\"Date\" < %5) THEN 3 END AS why FROM temp.close_run r) "
                       "WHERE why IS NOT NULL ORDER BY seq LIMIT 1")
            .arg(L(side->closing), code, SqlDate(closeDate), L(side->header), d1);
    if ((result = GetDataList(request, refused, err)) != kOk)
        return result;
    StepDone();
    if (refused.GetCount() > 0) {
        const QString who = FieldText(refused.GetAt(0), QString(), "code");
        switch (FieldInt(refused.GetAt(0), QString(), "why")) {
        case 1:
            err = QStringLiteral("取引先「%1」が二度指定されています。").arg(who);
            break;
        case 2:
            err = QStringLiteral("取引先「%1」はこの締日ですでに締められています。").arg(who);
            break;
        default:
            err = QStringLiteral("取引先「%1」には締める伝票がありません。").arg(who);
            break;
        }
        return kFailed;
    }

    if ((result = InsertData(closings, err)) != kOk)
        return result;
    StepDone();
    QHash<QString, int> idOfCode;
    values.clear();
    for (int i = 0; i < closings.GetCount(); ++i) {
        const int id = FieldInt(closings.GetAt(i), table, "ID");
        idOfCode.insert(codes[i].toLower(), id);
        values += (i ? QStringLiteral(",(") : QStringLiteral("(")) % QString::number(i) %
                  QStringLiteral(",'") % SqlQuote(codes[i]) % QStringLiteral("',") % QString::number(id) %
                  u')';
    }
    const QString booking[] = {
        QStringLiteral("DELETE FROM temp.close_run"),
        QStringLiteral("INSERT INTO temp.close_run(seq, code, id) VALUES ") % values,
        QStringLiteral(
            "UPDATE \"%1\" SET SeikyuID = (SELECT r.id FROM temp.close_run r WHERE r.code = \"%1\".\"%2\") "
            "WHERE SeikyuID = 0 AND \"Date\" < %3 AND \"%2\" IN (SELECT code FROM temp.close_run)")
            .arg(L(side->header), code, d1),
        QStringLiteral(
            "UPDATE \"%1\" SET SeikyuID = (SELECT r.id FROM temp.close_run r WHERE r.code = \"%1\".\"%2\") "
            "WHERE SeikyuID = 0 AND \"Date\" < %3 AND \"%2\" IN (SELECT code FROM temp.close_run)")
            .arg(L(side->money), code, d1),
    };
    for (const QString& sql : booking) {
        if ((result = Execute(sql, err)) != kOk)
            return result;
        StepDone();
    }

    // The tax slips go in after the booking, already carrying their closing.
    for (int i = 0; i < slips.GetCount(); ++i) {
        COneRecord* slip = slips.GetAt(i);
        const QString who = FieldText(slip, slips.m_strTable, side->code);
        const auto found = idOfCode.constFind(who.toLower());
        if (found == idOfCode.cend()) {
            err = QStringLiteral("取引先「%1」の税額伝票に対応する締めがありません。").arg(who);
            return kFailed;
        }
        slip->SetField(slips.m_strTable % QStringLiteral(".SeikyuID"), *found);
    }
    if (slips.GetCount() > 0 && (result = InsertData(slips, err)) != kOk)
        return result;
    StepDone();
    if ((result = run.Commit(err)) != kOk)
        return result;
    StepDone();
    for (int k = 0; k < kept.size(); ++k)
        headers.GetAt(kept[k])->SetField(table % QStringLiteral(".ID"),
                                         FieldInt(closings.GetAt(k), table, "ID"));
    return kOk;
}

int CMakeMsgID::Reset_SalesClose(const CCDSData& closings, QString& err)
{
    if (!m_db)
        return NoConnection(err);
    // The side is the set's table, or else the table of its records' one
    // field; every record must name a closing of that side.
    QString table = closings.m_strTable;
    if (table.isEmpty() && closings.GetCount() > 0 && closings.GetAt(0)->GetCount() == 1)
        table = closings.GetAt(0)->GetAt(0)->GetName().section(u'.', 0, 0);
    const CTradeSide* side = CTradeSide::OfClosing(table);
    if (!side && table.isEmpty() && closings.GetCount() == 0)
        return kOk;
    QString values;
    for (int i = 0; side && i < closings.GetCount(); ++i) {
        const CTb* id = closings.GetAt(i)->GetOneField(table, QStringLiteral("ID"));
        if (!id && !closings.m_strTable.isEmpty())
            id = closings.GetAt(i)->GetOneField(QString(), QStringLiteral("ID"));
        if (!id) {
            side = nullptr;
            break;
        }
        int value = 0;
        id->GetData(value);
        values +=
            (values.isEmpty() ? QStringLiteral("(") : QStringLiteral(",(")) % QString::number(value) % u')';
    }
    if (!side) {
        err = QStringLiteral("締めの取り消しのテーブル指定が正しくありません。");
        return kFailed;
    }
    if (values.isEmpty())
        return kOk;
    CScopedTransaction run(*this);
    int result = run.Begin(err);
    if (result != kOk)
        return result;
    const QString ids = QStringLiteral("(SELECT id FROM temp.reset_run)");
    const QString slips = L(side->header), money = L(side->money);
    QStringList steps{
        QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS reset_run(id INTEGER PRIMARY KEY)"),
        QStringLiteral("DELETE FROM temp.reset_run"),
        QStringLiteral("INSERT OR IGNORE INTO temp.reset_run(id) VALUES ") % values,
    };
    // Many closings at once: the triggers of the booked balances are set
    // aside and the balances settled in one update from what each partner
    // had booked to them (row by row, each slip and money row would update
    // its partner's balance twice). A few keep the triggers, cheaper than
    // dropping and making them. Balances kept for this connection only (a
    // file that could not be written at opening) keep their own triggers.
    const bool bulk = !m_bBalancesPending && closings.GetCount() >= kBulkUndoClosings;
    const CTradeSide& booked = *side;
    if (bulk) {
        const QString going = QStringLiteral("R.SeikyuID IN %1").arg(ids);
        steps << QStringLiteral(
                     "CREATE TEMP TABLE IF NOT EXISTS reset_sum(code TEXT COLLATE NOCASE PRIMARY KEY, v "
                     "INTEGER)")
              << QStringLiteral("DELETE FROM temp.reset_sum")
              << QStringLiteral(
                     "INSERT INTO temp.reset_sum(code, v) SELECT code, SUM(v) FROM (%1) WHERE code IS "
                     "NOT NULL GROUP BY code COLLATE NOCASE")
                     .arg(BookedTotals::BookedAmountsSql(booked, going, going))
              << BookedTotals::DropTriggers(booked);
    }
    steps << // Tax slips made by the closing go with it.
        QStringLiteral(
            "DELETE FROM \"%1\" WHERE HeaderID IN (SELECT ID FROM \"%2\" WHERE DenpyoType = 1 AND SeikyuID "
            "IN %3)")
            .arg(L(side->lines), slips, ids)
          << QStringLiteral("DELETE FROM \"%1\" WHERE DenpyoType = 1 AND SeikyuID IN %2").arg(slips, ids)
          << QStringLiteral("UPDATE \"%1\" SET SeikyuID = 0 WHERE SeikyuID IN %2").arg(slips, ids)
          << QStringLiteral("UPDATE \"%1\" SET SeikyuID = 0 WHERE SeikyuID IN %2").arg(money, ids)
          << QStringLiteral("DELETE FROM \"%1\" WHERE ID IN %2").arg(L(side->closing), ids);
    if (bulk)
        steps << BookedTotals::TakeAwaySql(booked, QStringLiteral("temp.reset_sum"), QStringLiteral("v"))
              << BookedTotals::CreateTriggers(booked);
    // Each statement is a step of the wait dialog's bar.
    BeginSteps(int(steps.size()));
    for (const QString& sql : steps) {
        if ((result = Execute(sql, err)) != kOk)
            return result;
        StepDone();
    }
    return run.Commit(err);
}

int CMakeMsgID::SetWShime(CCDSData& request, QString& err)
{
    if (!m_db)
        return NoConnection(err);
    const QStringList parts = request.m_strCondition.split(u',');
    const CTradeSide* side = parts.size() == 2 ? CTradeSide::OfClosing(parts[0].trimmed()) : nullptr;
    const QString flag = parts.value(1).trimmed();
    if (!side || (flag != QLatin1String("0") && flag != QLatin1String("1")) ||
        request.m_strTable.compare(QLatin1String("WShime_H"), Qt::CaseInsensitive) != 0) {
        err = QStringLiteral("請求書作成の条件が正しくありません。（%1）").arg(request.m_strCondition);
        return kFailed;
    }
    for (int i = 0; i < request.GetCount(); ++i)
        request.GetAt(i)->SetField(QStringLiteral("WShime_H.ID"), i + 1);

    CScopedTransaction run(*this);
    int result = run.Begin(err);
    if (result != kOk)
        return result;
    if ((result = Execute(QStringLiteral("DELETE FROM WShime_B"), err)) != kOk ||
        (result = Execute(QStringLiteral("DELETE FROM WShime_H"), err)) != kOk)
        return result;
    if (request.GetCount() == 0)
        return run.Commit(err);
    if ((result = InsertData(request, err)) != kOk)
        return result;
    // The work table leads: it holds the few closings asked for, and the
    // slips and lines are found from them by index, never by walking the
    // lines of the books (which the planner would, knowing no row counts).
    // The lines go in in their order into the emptied table, so each one's
    // row number is its place in it: the numbering is set from that
    // afterwards, which costs less than a numbering window, which holds
    // every line once more.
    const QString lines =
        QStringLiteral(
            "INSERT INTO WShime_B(HeaderID, \"Date\", \"No\", LineNo, ItemType, ItemCode, ItemName, "
            "Number, Unit, Price, Amount, TaxFlg, Tax, Remarks) "
            "SELECT W.ID, H.\"Date\", H.\"No\", B.LineNo, B.ItemType, B.ItemCode, B.ItemName, B.Number, "
            "B.Unit, B.Price, B.Amount, B.TaxFlg, B.Tax, B.Remarks "
            "FROM WShime_H W CROSS JOIN \"%1\" H ON H.SeikyuID = W.SalesCloseID AND W.SalesCloseID <> 0 "
            "CROSS JOIN \"%2\" B ON B.HeaderID = H.ID ORDER BY W.ID, H.\"Date\", H.\"No\", B.LineNo, B.ID")
            .arg(L(side->header), L(side->lines));
    if ((result = Execute(lines, err)) != kOk ||
        (result = Execute(QStringLiteral("UPDATE WShime_B SET ID = rowid"), err)) != kOk)
        return result;
    return run.Commit(err);
}

QString CMakeMsgID::CarryForwardSpaceShortage(qint64 fileSize, qint64 available)
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

int CMakeMsgID::RecheckBookedBalances(bool& remade, QString& err)
{
    remade = false;
    if (!m_db)
        return NoConnection(err);
    CScopedTransaction run(*this);
    int result = run.Begin(err);
    if (result != kOk)
        return result;
    for (const CTradeSide* side : CTradeSide::Both()) {
        CCDSData request, differing;
        request.m_strCondition = BookedTotals::MismatchSql(*side);
        if ((result = GetDataList(request, differing, err)) != kOk)
            return result;
        StepDone();
        if (differing.GetCount() == 0)
            continue;
        for (const QString& sql : BookedTotals::RefillSql(*side))
            if ((result = Execute(sql, err)) != kOk)
                return result;
        remade = true;
    }
    return run.Commit(err);
}

int CMakeMsgID::DataMaintenance(const QDate& date, const QDate& previous, QString& err,
                                CCarryForwardCounts* counts, bool* balancesRemade)
{
    CCarryForwardCounts carried;
    if (counts)
        *counts = carried;
    if (balancesRemade)
        *balancesRemade = false;
    if (!m_db)
        return NoConnection(err);
    if (!date.isValid()) {
        err = QStringLiteral("繰越日が正しくありません。");
        return kFailed;
    }
    // The journal keeps the old content of every page the run changes, which
    // may be most of the file: without the room for it the run would fail
    // late, after a long wait.
    const QFileInfo file(DatabasePath(m_folder));
    const QStorageInfo disk(file.absolutePath());
    err = CarryForwardSpaceShortage(file.size(), disk.isValid() ? disk.bytesAvailable() : -1);
    if (!err.isEmpty())
        return kFailed;
    // It settles the booked balances of the file itself.
    if (const int made = MakePendingBalances(err); made != kOk)
        return made;
    const CScopedPragma spill(m_db, "cache_spill", kCarryForwardSpillPages);
    const CScopedPragma cache(m_db, "cache_size", kCarryForwardCache);
    const CScopedPragma zeroing(m_db, "secure_delete", kSecureDeleteFast);
    // The run deletes the lines and money of each slip itself, before the
    // slip: the cascade would look for them again, a slip at a time. It is
    // set aside when the run holds its own transaction (the setting does not
    // change inside one).
    const CScopedPragma keys(m_db, "foreign_keys", 0);
    const CScopedPragma sorters(m_db, "threads", qBound(1, QThread::idealThreadCount(), kMostSortThreads));
    CScopedTransaction run(*this);
    int result = run.Begin(err);
    if (result != kOk)
        return result;
    // Rows of the books go oldest first: their entries in an index led by
    // the slip, the date or the closing lie together, but those in an index
    // led by a code (or a status) lie anywhere. When a third of a table or
    // more goes, such indexes are made again from the rows that stay:
    // deleting their entries one by one costs more than building them.
    const auto remakable = [](const QString& table) {
        QList<Schema::IndexSpec> indexes;
        for (const Schema::IndexSpec& ix : Schema::Indexes())
            if (ix.table == table && !LiesInTheOrderOfTheBooks(ix.columns.section(u',', 0, 0)))
                indexes << ix;
        return indexes;
    };
    int mayRemake = 0;
    for (const CTradeSide* side : CTradeSide::Both())
        for (const char* table : {side->lines, side->header, side->money, side->closing})
            mayRemake += int(remakable(L(table)).size());
    // The checks, each side's balances, the stock, two sides, the indexes,
    // the date and the commit.
    BeginSteps(1 + 2 + 2 + 2 * kCarryForwardSideSteps + mayRemake + 1 + 1);
    CCDSData request, util;
    request.m_strTable = QStringLiteral("Util");
    request.m_strCondition = QStringLiteral("ORDER BY ID");
    if ((result = GetDataList(request, util, err)) != kOk)
        return result;
    QDate stored;
    if (util.GetCount() > 0)
        if (const CTb* field =
                util.GetAt(0)->GetOneField(QStringLiteral("Util"), QStringLiteral("StartDate")))
            field->GetData(stored);
    if (stored != previous) {
        err = QStringLiteral("前回の繰越日が一致しません。");
        return kFailed;
    }
    if (stored.isValid() && date < stored) {
        err = QStringLiteral("前回の繰越日より前の日付は指定できません。");
        return kFailed;
    }
    StepDone();
    // The balances settle the carried sums below: they must be right first.
    bool remade = false;
    if ((result = RecheckBookedBalances(remade, err)) != kOk)
        return result;
    const QString d1 = SqlDate(date.addDays(1));
    // Stock moved after the last carry-forward up to the date becomes the
    // opening stock; lines of tax and discounts (ItemType 2) move none. Each
    // product's moves are summed over the period's part of its range in the
    // product indexes, so that neither the rest of the history nor a sort by
    // code is read. Only products that moved are changed (a sum over no
    // rows is NULL).
    const auto period = [&](const QString& column) {
        return stored.isValid()
                   ? QStringLiteral("%1 >= %2 AND %1 < %3").arg(column, SqlDate(stored.addDays(1)), d1)
                   : QStringLiteral("%1 < %2").arg(column, d1);
    };
    const QString range = period(QStringLiteral("R.\"Date\""));
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
    QStringList steps{
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
    // Statements over the books, a step of the bar each.
    const auto execute = [&](const QStringList& statements) {
        for (const QString& sql : statements) {
            if ((result = Execute(sql, err)) != kOk)
                return false;
            StepDone();
        }
        return true;
    };
    // Statements that set the run's own tables, triggers and indexes up or
    // aside: too quick to count.
    const auto arrange = [&](const QStringList& statements) {
        for (const QString& sql : statements)
            if ((result = Execute(sql, err)) != kOk)
                return false;
        return true;
    };
    // A table's remakable indexes are made again when a third of it or
    // more goes. The share that goes is counted on `shareOf` rows matching
    // `shareWhere` (the slips stand for their lines, cheaper to count), else
    // on the table's own.
    QList<Schema::IndexSpec> rebuilt;
    const auto deleteRemaking = [&](const QString& table, const QString& where, const QString& shareOf = {},
                                    const QString& shareWhere = {}) {
        CCDSData going, all;
        all.m_strTable = shareOf.isEmpty() ? table : shareOf;
        going.m_strCondition = QStringLiteral("SELECT 1 FROM \"%1\" WHERE %2")
                                   .arg(all.m_strTable, shareOf.isEmpty() ? where : shareWhere);
        int goingCount = 0, allCount = 0;
        if ((result = GetDataNum(going, goingCount, err)) != kOk ||
            (result = GetDataNum(all, allCount, err)) != kOk)
            return false;
        QList<Schema::IndexSpec> remade = remakable(table);
        if (goingCount == 0 || goingCount * 3 < allCount) {
            // Their steps of the bar are not to come.
            StepDone(int(remade.size()));
            remade.clear();
        }
        // The pages of a dropped index are freed, not written: overwriting
        // them would write every one of them.
        QStringList statements;
        if (!remade.isEmpty())
            statements << QStringLiteral("PRAGMA secure_delete=0");
        for (const Schema::IndexSpec& ix : remade)
            statements << QStringLiteral("DROP INDEX \"%1\"").arg(ix.name);
        if (!remade.isEmpty())
            statements << QStringLiteral("PRAGMA secure_delete=%1").arg(QLatin1String(kSecureDeleteFast));
        rebuilt << remade;
        return arrange(statements) &&
               execute({QStringLiteral("DELETE FROM \"%1\" WHERE %2").arg(table, where)});
    };
    // The indexes dropped above are built again once every delete is done,
    // with a small page cache: the sort behind each runs in pieces no larger
    // than the cache, which worker threads sort side by side. The changed
    // pages stay in memory meanwhile, up to the run's spill threshold.
    const auto rebuild = [&]() {
        const CScopedPragma pieces(m_db, "cache_size", kSortPieceCache);
        QStringList statements;
        for (const Schema::IndexSpec& ix : rebuilt)
            statements << ix.create;
        return execute(statements);
    };
    if (!arrange(tables) || !execute(steps))
        return result;
    for (const CTradeSide* side : CTradeSide::Both()) {
        const CTradeSide& s = *side;
        const QString t = L(s.closing), code = L(s.code), slips = L(s.header), lines = L(s.lines),
                      money = L(s.money), ids = QStringLiteral("(SELECT id FROM temp.carry_close)");
        if (!arrange({QStringLiteral("DELETE FROM temp.carry_close"),
                      QStringLiteral("DELETE FROM temp.carry_open"),
                      QStringLiteral("DELETE FROM temp.carry_sum")}))
            return result;
        steps = QStringList();
        steps // Each partner's first open closing, once.
            << QStringLiteral("INSERT INTO temp.carry_open(code, cd, id) SELECT code, cd, id FROM (SELECT "
                              "\"%2\" AS code, "
                              "CloseDate AS cd, ID AS id, ROW_NUMBER() OVER (PARTITION BY \"%2\" ORDER BY "
                              "CloseDate, ID) "
                              "AS rn FROM \"%1\" WHERE Status = 0 AND \"%2\" IS NOT NULL) WHERE rn = 1")
                   .arg(t, code)
            // Closings up to the date before the partner's first open one.
            // One that a one-time partner paid after the date stays with
            // its money, which later lists still show.
            << QStringLiteral(
                   "INSERT INTO temp.carry_close(id) SELECT C.ID FROM \"%1\" C LEFT JOIN temp.carry_open F "
                   "ON F.code = C.\"%2\" WHERE C.CloseDate < %3 AND (F.code IS NULL OR C.CloseDate < F.cd "
                   "OR (C.CloseDate = F.cd AND C.ID < F.id)) AND NOT EXISTS (SELECT 1 FROM \"%4\" P "
                   "WHERE P.CloseID = C.ID AND P.\"Date\" >= %3)")
                   .arg(t, code, d1, money);
        if (!execute(steps))
            return result;
        // The past of a kept account closing is the opening balance and
        // what its partner booked to closings before it. A closing that goes
        // turns what it billed less what it booked into opening balance, and
        // takes the money paid on it that no closing booked: so one that
        // lies after a kept account closing and leaves an amount, or before
        // one with such money, would change that closing's figures. It stays,
        // and the round is made again when that keeps another account closing.
        // Only the kept account closings up to the date can lie before one
        // that goes (the others come after every one of them), and few
        // closings have money no closing booked: both are read from those.
        const QStringList keep{
            QStringLiteral("DELETE FROM temp.carry_kept"),
            QStringLiteral(
                "INSERT INTO temp.carry_kept(code, fcd, fid) SELECT code, cd, id FROM (SELECT \"%2\" AS "
                "code, CloseDate AS cd, ID AS id, ROW_NUMBER() OVER (PARTITION BY \"%2\" ORDER BY "
                "CloseDate, ID) AS rn FROM \"%1\" WHERE CloseDate < %4 AND TudoFlg = 1 AND \"%2\" IS NOT "
                "NULL AND ID NOT IN %3) WHERE rn = 1")
                .arg(t, code, ids, d1),
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
                "C.CloseDate < %7 WHERE C.ID IN %8 AND COALESCE((SELECT SUM(%5) FROM \"%3\" H WHERE "
                "H.SeikyuID = "
                "C.ID), 0) - COALESCE((SELECT SUM(M.Amount) FROM \"%4\" M WHERE M.SeikyuID = C.ID), 0) - %6 "
                "<> 0 "
                "UNION SELECT C.ID FROM (SELECT DISTINCT M.CloseID AS id FROM \"%4\" M WHERE M.CloseID IN %8 "
                "AND "
                "M.SeikyuID = 0) U JOIN \"%1\" C ON C.ID = U.id WHERE %6 <> 0 AND EXISTS (SELECT 1 FROM "
                "\"%1\" K "
                "WHERE K.\"%2\" = C.\"%2\" AND K.TudoFlg = 1 AND (K.CloseDate > C.CloseDate OR (K.CloseDate "
                "= "
                "C.CloseDate AND K.ID > C.ID)) AND K.ID NOT IN %8))")
                .arg(t, code, slips, money, SqlSlipBilled(QStringLiteral("H.")), unbookedPaid, d1, ids);
        for (int kept = 1; kept > 0;) {
            if (!arrange(keep) || (result = Execute(stays, err, &kept)) != kOk)
                return result;
        }
        StepDone();
        steps = QStringList();
        // What they billed less what was paid on them, per partner (v); b
        // the part of it booked, which the booked balances hold, counted as
        // they count it. Money paid on them but booked to no closing is
        // the rest.
        const QString going = QStringLiteral("R.SeikyuID IN %1").arg(ids);
        steps
            << QStringLiteral(
                   "INSERT INTO temp.carry_sum(code, v, b) SELECT code, SUM(v), SUM(b) FROM (SELECT code, v, "
                   "v AS b FROM (%3) UNION ALL SELECT M.\"%1\", -COALESCE(M.Amount, 0), 0 FROM "
                   "temp.carry_close K JOIN \"%2\" M ON M.CloseID = K.id AND M.SeikyuID = 0) WHERE code IS "
                   "NOT NULL GROUP BY code COLLATE NOCASE")
                   .arg(code, money, BookedTotals::BookedAmountsSql(s, going, going))
            << QStringLiteral(
                   "UPDATE \"%1\" SET Collect = COALESCE(Collect, 0) + (SELECT v FROM temp.carry_sum s "
                   "WHERE s.code = \"%1\".\"%2\") WHERE \"%2\" IN (SELECT code FROM temp.carry_sum)")
                   .arg(L(s.partner), code);
        if (!execute(steps))
            return result;
        CCDSData tally, taken;
        tally.m_strCondition =
            QStringLiteral(
                "SELECT (SELECT COUNT(*) FROM temp.carry_close) AS c, (SELECT COUNT(*) FROM \"%1\" WHERE "
                "SeikyuID IN %3 AND DenpyoType = 0) AS s, (SELECT COUNT(*) FROM \"%2\" WHERE SeikyuID IN "
                "%3) + (SELECT COUNT(*) FROM \"%2\" WHERE CloseID IN %3 AND SeikyuID = 0) AS m")
                .arg(slips, money, ids);
        if ((result = GetDataList(tally, taken, err)) != kOk)
            return result;
        carried.closings += FieldInt(taken.GetAt(0), QString(), "c");
        carried.slips += FieldInt(taken.GetAt(0), QString(), "s");
        (s.IsPurchases() ? carried.payments : carried.receipts) += FieldInt(taken.GetAt(0), QString(), "m");
        // The booked slips and money go all at once: their triggers are set
        // aside and the balances settled from the sums above, in one update.
        // The money goes with the closing it was booked to, and a one-time
        // partner's with the invoice it paid.
        if (!deleteRemaking(
                lines,
                QStringLiteral("HeaderID IN (SELECT ID FROM \"%1\" WHERE SeikyuID IN %2)").arg(slips, ids),
                slips, QStringLiteral("SeikyuID IN %1").arg(ids)) ||
            !arrange(BookedTotals::DropTriggers(s)) ||
            !deleteRemaking(slips, QStringLiteral("SeikyuID IN %1").arg(ids)) ||
            !execute({QStringLiteral(
                          "DELETE FROM \"%1\" WHERE HeaderID IN (SELECT ID FROM \"%2\" WHERE SeikyuID IN %3 "
                          "UNION ALL SELECT ID FROM \"%2\" WHERE CloseID IN %3 AND SeikyuID = 0)")
                          .arg(L(s.moneyLines), money, ids)}) ||
            !deleteRemaking(money,
                            QStringLiteral("SeikyuID IN %1 OR (CloseID IN %1 AND SeikyuID = 0)").arg(ids)) ||
            !deleteRemaking(t, QStringLiteral("ID IN %1").arg(ids)) ||
            !execute({BookedTotals::TakeAwaySql(s, QStringLiteral("temp.carry_sum"), QStringLiteral("b"))}) ||
            !arrange(BookedTotals::CreateTriggers(s)))
            return result;
    }
    if (!rebuild() ||
        !execute({util.GetCount() > 0
                      ? QStringLiteral("UPDATE Util SET StartDate = %1").arg(SqlDate(date))
                      : QStringLiteral("INSERT INTO Util(StartDate) VALUES (%1)").arg(SqlDate(date))}))
        return result;
    if ((result = run.Commit(err)) != kOk)
        return result;
    StepDone();
    if (counts)
        *counts = carried;
    if (balancesRemade)
        *balancesRemade = remade;
    return kOk;
}
