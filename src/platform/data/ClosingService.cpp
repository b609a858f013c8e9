// The closing and its undo, for the screens (typed candidates) and for the
// data library's record interface alike.

#include "platform/data/ClosingService.h"

#include "platform/data/BookedTotals.h"
#include "platform/data/SqlText.h"
#include "platform/data/TradeSide.h"

#include <QHash>
#include <QSet>
#include <QStringBuilder>

#include <sqlite3.h>

#include <algorithm>

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

// From how many closings an undo sets the balance triggers aside.
constexpr int kBulkUndoClosings = 50;

// The refusal of a call on `db` that answered `result` with `err`; `why`
// names what refused when it was no failure of the database.
CClosingRefusal Refusal(const CMakeMsgID& db, int result, const QString& err,
                        EClosingRefusal why = EClosingRefusal::Failed)
{
    if (result == CMakeMsgID::kOk)
        return {};
    if (result == CMakeMsgID::kFatal)
        return {EClosingRefusal::Fatal, err};
    return {why == EClosingRefusal::Failed ? ClosingFailure(db) : why, err};
}

// One closing ID more for a VALUES list.
void AddId(QString& values, int id)
{
    values += (values.isEmpty() ? QStringLiteral("(") : QStringLiteral(",(")) % QString::number(id) % u')';
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

// The closing on the library's records, answering as the library does; a
// refusal of its own is named in `why`.
int CloseRun(CMakeMsgID& db, CCDSData& headers, CCDSData& taxSlips, const QDate& closeDate,
             CMakeMsgID::CCloseCheck* check, QString& err, EClosingRefusal& why)
{
    if (!db.IsOpen())
        return db.NoConnection(err);
    const CTradeSide* side = CTradeSide::OfClosing(headers.m_strTable);
    if (!side ||
        (taxSlips.GetCount() > 0 && taxSlips.m_strTable.compare(L(side->header), Qt::CaseInsensitive) != 0)) {
        err = QStringLiteral("締め処理のテーブル指定が正しくありません。");
        why = EClosingRefusal::BadRequest;
        return CMakeMsgID::kFailed;
    }
    if (!closeDate.isValid()) {
        err = QStringLiteral("締日が正しくありません。");
        why = EClosingRefusal::BadDate;
        return CMakeMsgID::kFailed;
    }
    if (check) {
        check->changed.clear();
        if (check->shown.GetCount() != headers.GetCount() || check->statement.isEmpty()) {
            err = QStringLiteral("締め処理の確認内容が締める取引先と一致しません。");
            why = EClosingRefusal::BadRequest;
            return CMakeMsgID::kFailed;
        }
    }
    if (headers.GetCount() == 0)
        return CMakeMsgID::kOk;
    const QString table = headers.m_strTable;
    const QString code = L(side->code), d1 = SqlDate(closeDate.addDays(1));

    CScopedTransaction run(db);
    int result = run.Begin(err);
    if (result != CMakeMsgID::kOk)
        return result;
    // The recheck, the work table, the refusals, the closings, four
    // bookings, the tax slips and the commit.
    db.BeginSteps(10);
    // The headers whose partners still show what the list showed, in set
    // order; the run works on copies of them, so that a failure leaves the
    // caller's IDs at 0.
    QList<int> kept;
    QSet<QString> left;
    if (check) {
        CCDSData request, fresh;
        request.m_strCondition = check->statement;
        if ((result = db.GetDataList(request, fresh, err)) != CMakeMsgID::kOk)
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
    db.StepDone();
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
        if ((result = db.Execute(sql, err)) != CMakeMsgID::kOk)
            return result;
    db.StepDone();

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
    if ((result = db.GetDataList(request, refused, err)) != CMakeMsgID::kOk)
        return result;
    db.StepDone();
    if (refused.GetCount() > 0) {
        const QString who = FieldText(refused.GetAt(0), QString(), "code");
        switch (FieldInt(refused.GetAt(0), QString(), "why")) {
        case 1:
            err = QStringLiteral("取引先「%1」が二度指定されています。").arg(who);
            why = EClosingRefusal::PartnerTwice;
            break;
        case 2:
            err = QStringLiteral("取引先「%1」はこの締日ですでに締められています。").arg(who);
            why = EClosingRefusal::AlreadyClosed;
            break;
        default:
            err = QStringLiteral("取引先「%1」には締める伝票がありません。").arg(who);
            why = EClosingRefusal::NothingToClose;
            break;
        }
        return CMakeMsgID::kFailed;
    }

    if ((result = db.InsertData(closings, err)) != CMakeMsgID::kOk)
        return result;
    db.StepDone();
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
        if ((result = db.Execute(sql, err)) != CMakeMsgID::kOk)
            return result;
        db.StepDone();
    }

    // The tax slips go in after the booking, already carrying their closing.
    for (int i = 0; i < slips.GetCount(); ++i) {
        COneRecord* slip = slips.GetAt(i);
        const QString who = FieldText(slip, slips.m_strTable, side->code);
        const auto found = idOfCode.constFind(who.toLower());
        if (found == idOfCode.cend()) {
            err = QStringLiteral("取引先「%1」の税額伝票に対応する締めがありません。").arg(who);
            why = EClosingRefusal::BadRequest;
            return CMakeMsgID::kFailed;
        }
        slip->SetField(slips.m_strTable % QStringLiteral(".SeikyuID"), *found);
    }
    if (slips.GetCount() > 0 && (result = db.InsertData(slips, err)) != CMakeMsgID::kOk)
        return result;
    db.StepDone();
    if ((result = run.Commit(err)) != CMakeMsgID::kOk)
        return result;
    db.StepDone();
    for (int k = 0; k < kept.size(); ++k)
        headers.GetAt(kept[k])->SetField(table % QStringLiteral(".ID"),
                                         FieldInt(closings.GetAt(k), table, "ID"));
    return CMakeMsgID::kOk;
}

} // namespace

EClosingRefusal ClosingFailure(const CMakeMsgID& db)
{
    return (db.LastFailure() & 0xff) == SQLITE_FULL ? EClosingRefusal::NoRoom : EClosingRefusal::Failed;
}

int CClosingRefusal::Code() const
{
    switch (why) {
    case EClosingRefusal::None:
        return CMakeMsgID::kOk;
    case EClosingRefusal::Fatal:
        return CMakeMsgID::kFatal;
    default:
        return CMakeMsgID::kFailed;
    }
}

int CClosingRefusal::Answer(QString& err) const
{
    if (!IsDone())
        err = text;
    return Code();
}

QDate CClosingService::CollectDate(const QDate& closing, int cycle, int day)
{
    if (!closing.isValid())
        return QDate();
    if (cycle <= 0)
        return closing.addDays(day);
    // Months counted from year 0, so that any cycle normalises.
    int index = closing.year() * 12 + (closing.month() - 1) + (cycle - 1);
    if (cycle == 1 && closing.day() > day)
        ++index;
    const QDate first(index / 12, index % 12 + 1, 1);
    // A day the month lacks is its last day.
    const int last = first.daysInMonth();
    return QDate(first.year(), first.month(), day == 99 ? last : std::clamp(day, 1, last));
}

CCloseOutcome CClosingService::Close(const CCloseRequest& request)
{
    CCloseOutcome outcome;
    outcome.ids = QList<int>(qsizetype(request.candidates.size()), 0);
    if (!request.side) {
        outcome.refusal = {EClosingRefusal::BadRequest,
                           QStringLiteral("締め処理のテーブル指定が正しくありません。")};
        return outcome;
    }
    const CTradeSide& side = *request.side;
    const QString table = L(side.closing) % u'.', slip = L(side.header) % u'.', code = L(side.code);
    CCDSData headers, taxSlips;
    headers.m_strTable = L(side.closing);
    taxSlips.m_strTable = L(side.header);
    CMakeMsgID::CCloseCheck check;
    check.statement = request.statement;
    for (const CCloseCandidate& c : request.candidates) {
        COneRecord* header = headers.AddNew();
        header->SetField(table % QStringLiteral("ID"), 0);
        header->SetField(table % QStringLiteral("No"), c.number);
        header->SetField(table % QStringLiteral("Date"), request.issued);
        header->SetField(table % code, c.code);
        header->SetField(table % QStringLiteral("CloseDate"), request.closeDate);
        header->SetField(table % QStringLiteral("CollectDate"),
                         CollectDate(request.closeDate, c.collectCycle, c.collectDay));
        header->SetField(table % QStringLiteral("Status"), 0);
        header->SetField(table % QStringLiteral("TaxRate"), request.taxRate);
        header->SetField(table % QStringLiteral("TudoFlg"), 1);
        if (c.tax != CMny(0)) {
            COneRecord* tax = taxSlips.AddNew();
            tax->SetField(slip % QStringLiteral("Tax"), c.tax);
            tax->SetField(slip % QStringLiteral("ID"), 0);
            tax->SetField(slip % QStringLiteral("DenpyoType"), 1);
            tax->SetField(slip % QStringLiteral("Date"), request.closeDate);
            tax->SetField(slip % code, c.code);
            tax->SetField(slip % QStringLiteral("Company"), c.company);
            tax->SetField(slip % QStringLiteral("Section"), c.section);
            tax->SetField(slip % QStringLiteral("Name"), c.name);
            tax->SetField(slip % QStringLiteral("Total"), c.tax);
            tax->SetField(slip % QStringLiteral("SeikyuID"), 0);
        }
        // The figures by the names the candidate statement gives them.
        COneRecord* shown = check.shown.AddNew();
        shown->SetField(QString::fromUtf8(side.prevBilled), c.shown.prevBilled);
        shown->SetField(QString::fromUtf8(side.received), c.shown.received);
        shown->SetField(QString::fromUtf8(side.netAmount), c.shown.net);
        shown->SetField(QString::fromUtf8(RC_TAXABLE), c.shown.taxable);
        shown->SetField(QString::fromUtf8(RC_SLIP_TAX), c.shown.slipTax);
        shown->SetField(QString::fromUtf8(side.slipCount), c.shown.slips);
    }
    outcome.refusal =
        CloseRecords(headers, taxSlips, request.closeDate, check.statement.isEmpty() ? nullptr : &check);
    if (!outcome.refusal.IsDone())
        return outcome;
    for (int k = 0; k < headers.GetCount(); ++k)
        outcome.ids[k] = FieldInt(headers.GetAt(k), headers.m_strTable, "ID");
    outcome.changed = check.changed;
    return outcome;
}

CClosingRefusal CClosingService::CloseRecords(CCDSData& headers, CCDSData& taxSlips, const QDate& closeDate,
                                              CMakeMsgID::CCloseCheck* check)
{
    QString err;
    EClosingRefusal why = EClosingRefusal::Failed;
    const int result = CloseRun(m_db, headers, taxSlips, closeDate, check, err, why);
    return Refusal(m_db, result, err, why);
}

CClosingRefusal CClosingService::HighestNumber(const CTradeSide& side, const QString& prefix,
                                               const QString& suffix, int& highest)
{
    highest = 0;
    // The digits between the prefix and the suffix; a number of more digits
    // than a counter holds is no counter's.
    const QString p = QString::number(prefix.size()), s = QString::number(suffix.size());
    CCDSData request, result;
    request.m_strCondition =
        QStringLiteral(
            "SELECT MAX(CAST(n AS INTEGER)) AS highest FROM (SELECT substr(No, %1 + 1, length(No) - "
            "%1 - %2) AS n FROM \"%3\" WHERE length(No) > %1 + %2 AND substr(No, 1, %1) = '%4' AND "
            "substr(No, length(No) - %2 + 1) = '%5') WHERE length(n) <= 9 AND n NOT GLOB '*[^0-9]*'")
            .arg(p, s, L(side.closing), SqlQuote(prefix), SqlQuote(suffix));
    QString err;
    const int answer = m_db.GetDataList(request, result, err);
    if (answer != CMakeMsgID::kOk)
        return Refusal(m_db, answer, err);
    if (result.GetCount() == 1)
        result.GetAt(0)->GetAt(0)->GetData(highest);
    return {};
}

CClosingRefusal CClosingService::Undo(const CTradeSide& side, const QList<int>& closings)
{
    QString err;
    if (!m_db.IsOpen())
        return Refusal(m_db, m_db.NoConnection(err), err);
    QString values;
    for (int id : closings)
        AddId(values, id);
    return UndoIds(side, values, int(closings.size()));
}

CClosingRefusal CClosingService::UndoRecords(const CCDSData& closings)
{
    QString err;
    if (!m_db.IsOpen())
        return Refusal(m_db, m_db.NoConnection(err), err);
    // The side is the set's table, or else the table of its records' one
    // field; every record must name a closing of that side.
    QString table = closings.m_strTable;
    if (table.isEmpty() && closings.GetCount() > 0 && closings.GetAt(0)->GetCount() == 1)
        table = closings.GetAt(0)->GetAt(0)->GetName().section(u'.', 0, 0);
    const CTradeSide* side = CTradeSide::OfClosing(table);
    if (!side && table.isEmpty() && closings.GetCount() == 0)
        return {};
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
        AddId(values, value);
    }
    if (!side)
        return {EClosingRefusal::BadRequest,
                QStringLiteral("締めの取り消しのテーブル指定が正しくありません。")};
    return UndoIds(*side, values, closings.GetCount());
}

CClosingRefusal CClosingService::UndoIds(const CTradeSide& side, const QString& values, int count)
{
    QString err;
    if (values.isEmpty())
        return {};
    CScopedTransaction run(m_db);
    int result = run.Begin(err);
    if (result != CMakeMsgID::kOk)
        return Refusal(m_db, result, err);
    const QString ids = QStringLiteral("(SELECT id FROM temp.reset_run)");
    const QString slips = L(side.header), money = L(side.money);
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
    const bool bulk = !m_db.AreBalancesPending() && count >= kBulkUndoClosings;
    if (bulk) {
        const QString going = QStringLiteral("R.SeikyuID IN %1").arg(ids);
        steps << QStringLiteral(
                     "CREATE TEMP TABLE IF NOT EXISTS reset_sum(code TEXT COLLATE NOCASE PRIMARY KEY, v "
                     "INTEGER)")
              << QStringLiteral("DELETE FROM temp.reset_sum")
              << QStringLiteral(
                     "INSERT INTO temp.reset_sum(code, v) SELECT code, SUM(v) FROM (%1) WHERE code IS "
                     "NOT NULL GROUP BY code COLLATE NOCASE")
                     .arg(BookedTotals::BookedAmountsSql(side, going, going))
              << BookedTotals::DropTriggers(side);
    }
    steps << // Tax slips made by the closing go with it.
        QStringLiteral(
            "DELETE FROM \"%1\" WHERE HeaderID IN (SELECT ID FROM \"%2\" WHERE DenpyoType = 1 AND SeikyuID "
            "IN %3)")
            .arg(L(side.lines), slips, ids)
          << QStringLiteral("DELETE FROM \"%1\" WHERE DenpyoType = 1 AND SeikyuID IN %2").arg(slips, ids)
          << QStringLiteral("UPDATE \"%1\" SET SeikyuID = 0 WHERE SeikyuID IN %2").arg(slips, ids)
          << QStringLiteral("UPDATE \"%1\" SET SeikyuID = 0 WHERE SeikyuID IN %2").arg(money, ids)
          << QStringLiteral("DELETE FROM \"%1\" WHERE ID IN %2").arg(L(side.closing), ids);
    if (bulk)
        steps << BookedTotals::TakeAwaySql(side, QStringLiteral("temp.reset_sum"), QStringLiteral("v"))
              << BookedTotals::CreateTriggers(side);
    // Each statement is a step of the wait dialog's bar.
    m_db.BeginSteps(int(steps.size()));
    for (const QString& sql : steps) {
        if ((result = m_db.Execute(sql, err)) != CMakeMsgID::kOk)
            return Refusal(m_db, result, err);
        m_db.StepDone();
    }
    return Refusal(m_db, run.Commit(err), err);
}
