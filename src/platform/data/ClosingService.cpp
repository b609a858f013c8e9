// The closing, its undo and the invoice work tables, on typed candidates
// and invoices: the screens call them, and the data library's record
// interface reads its records into them.

#include "platform/data/ClosingService.h"

#include "platform/data/BookedTotals.h"
#include "platform/data/Schema.h"
#include "platform/data/SqlText.h"
#include "platform/data/TradeSide.h"
#include "platform/text/Cp932.h"
#include "platform/text/TextHelpers.h"

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

// The texts the service writes into a table, each held to its column's
// limit in code page 932 bytes as the data library holds what it inserts:
// a text too long is refused, never cut.
class CTextLimits
{
  public:
    CTextLimits(const char* table, const std::vector<const char*>& columns) : m_table(table)
    {
        const Schema::TableDef* def = Schema::FindTable(L(table));
        for (const char* column : columns) {
            const Schema::FieldDef* field = def ? Schema::FindField(*def, L(column)) : nullptr;
            m_limits.push_back({column, field ? field->byteLimit : 0});
        }
    }
    // Whether the text of the k-th column fits; else `err` says which.
    bool Fits(std::size_t k, const QString& text, QString& err) const
    {
        const auto& [column, limit] = m_limits[k];
        if (limit <= 0 || text.size() * 2 <= limit || Cp932::ByteLength(text) <= limit)
            return true;
        err = QStringLiteral("「%1.%2」は%3バイトまでです。").arg(L(m_table), L(column)).arg(limit);
        return false;
    }

  private:
    const char* m_table;
    std::vector<std::pair<const char*, int>> m_limits;
};

// Whether the row read now shows the figure the list showed.
bool Shows(const COneRecord& row, const char* name, const CMny& shown)
{
    const CTb* field = row.GetOneField(QString(), QString::fromUtf8(name));
    CMny now;
    return field && field->GetData(now) && now == shown;
}

// Whether the row read now still holds every figure the list showed.
bool SameFigures(const CTradeSide& side, const CCloseFigures& shown, const COneRecord* row)
{
    return row && Shows(*row, side.prevBilled, shown.prevBilled) &&
           Shows(*row, side.received, shown.received) && Shows(*row, side.netAmount, shown.net) &&
           Shows(*row, RC_TAXABLE, shown.taxable) && Shows(*row, RC_SLIP_TAX, shown.slipTax) &&
           Shows(*row, side.slipCount, CMny(shown.slips));
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
    const std::size_t count = request.candidates.size();
    outcome.ids = QList<int>(qsizetype(count), 0);
    QString err;
    const auto refused = [&](int result, EClosingRefusal why = EClosingRefusal::Failed) {
        outcome.refusal = Refusal(m_db, result, err, why);
        return outcome;
    };
    if (!request.side) {
        err = QStringLiteral("締め処理のテーブル指定が正しくありません。");
        return refused(CMakeMsgID::kFailed, EClosingRefusal::BadRequest);
    }
    if (!m_db.IsOpen())
        return refused(m_db.NoConnection(err));
    if (!request.closeDate.isValid()) {
        err = QStringLiteral("締日が正しくありません。");
        return refused(CMakeMsgID::kFailed, EClosingRefusal::BadDate);
    }
    if (count == 0)
        return outcome;
    const CTradeSide& side = *request.side;
    const QString code = L(side.code);
    // The closing date and the day after it, ?1 and ?2 of the statements below.
    const CSqlValues days{SqlDateValue(request.closeDate), SqlDateValue(request.closeDate.addDays(1))};
    const CTextLimits closings(side.closing, {"No", side.code});
    const CTextLimits taxSlips(side.header, {"Company", "Section", "Name"});
    for (const CCloseCandidate& c : request.candidates) {
        const bool fits =
            closings.Fits(0, c.number, err) && closings.Fits(1, c.code, err) &&
            (c.tax == CMny(0) || (taxSlips.Fits(0, c.company, err) && taxSlips.Fits(1, c.section, err) &&
                                  taxSlips.Fits(2, c.name, err)));
        if (!fits)
            return refused(CMakeMsgID::kFailed);
    }

    CScopedTransaction run(m_db);
    int result = run.Begin(err);
    if (result != CMakeMsgID::kOk)
        return refused(result);
    // The recheck, the run's table, the refusals, the closings, two
    // bookings, the tax slips and the commit.
    m_db.BeginSteps(8);
    // The candidates whose partners no longer show what the list showed stay
    // open: they are left out of the run.
    std::vector<bool> open(count, false);
    QStringList changed;
    if (!request.statement.isEmpty()) {
        CCDSData again, fresh;
        again.m_strCondition = request.statement;
        if ((result = m_db.GetDataList(again, fresh, err)) != CMakeMsgID::kOk)
            return refused(result);
        // A partner's row is found by its code as the database finds it:
        // 'ＡＢ' and 'ａｂ' are two partners, 'AB' and 'ab' one.
        QHash<QString, const COneRecord*> rowOf;
        for (int i = 0; i < fresh.GetCount(); ++i)
            if (const CTb* who = fresh.GetAt(i)->GetOneField(QString(), code))
                rowOf.insert(FoldAsciiCase(who->GetText()), fresh.GetAt(i));
        for (std::size_t i = 0; i < count; ++i) {
            const CCloseCandidate& c = request.candidates[i];
            if (!SameFigures(side, c.shown, rowOf.value(FoldAsciiCase(c.code)))) {
                open[i] = true;
                changed << c.code;
            }
        }
    }
    m_db.StepDone();
    // What each closing and its tax slip take from the candidate; a tax
    // slip only for a tax billed at the closing.
    std::vector<CSqlValues> values;
    for (std::size_t i = 0; i < count; ++i) {
        if (open[i])
            continue;
        const CCloseCandidate& c = request.candidates[i];
        const QDate due = CollectDate(request.closeDate, c.collectCycle, c.collectDay);
        values.push_back({qint64(i), c.code, c.number, SqlDateValue(due),
                          c.tax == CMny(0) ? CSqlValue() : SqlMoneyValue(c.tax), c.company, c.section,
                          c.name});
    }
    if (values.empty()) {
        if ((result = run.Commit(err)) != CMakeMsgID::kOk)
            return refused(result);
        outcome.changed = changed;
        return outcome;
    }
    const QString prepare[] = {
        QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS close_run(seq INTEGER PRIMARY KEY, code TEXT COLLATE "
                       "NOCASE, id INTEGER, no TEXT, due TEXT, tax INTEGER, company TEXT, section TEXT, "
                       "name TEXT)"),
        // Every check and booking below finds a partner's row by its code.
        QStringLiteral("CREATE INDEX IF NOT EXISTS temp.ix_close_run_code ON close_run(code)"),
        QStringLiteral("DELETE FROM temp.close_run"),
    };
    for (const QString& sql : prepare)
        if ((result = m_db.Execute(sql, err)) != CMakeMsgID::kOk)
            return refused(result);
    if ((result = m_db.ExecuteRows(
             QStringLiteral("INSERT INTO temp.close_run(seq, code, no, due, tax, company, section, name) "
                            "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)"),
             values, err)) != CMakeMsgID::kOk)
        return refused(result);
    m_db.StepDone();

    // The first partner that cannot be closed, and why.
    CCDSData check, first;
    check.m_strCondition =
        QStringLiteral("SELECT code, why FROM (SELECT r.seq, r.code, CASE "
                       "WHEN (SELECT COUNT(*) FROM temp.close_run r2 WHERE r2.code = r.code) > 1 THEN 1 "
                       "WHEN EXISTS (SELECT 1 FROM \"%1\" X WHERE X.\"%2\" = r.code AND X.CloseDate = ?1 "
                       "AND X.TudoFlg = 1) THEN 2 "
                       "WHEN NOT EXISTS (SELECT 1 FROM \"%3\" H WHERE H.\"%2\" = r.code AND H.SeikyuID = 0 "
                       "AND H.\"Date\" < ?2) THEN 3 END AS why FROM temp.close_run r) "
                       "WHERE why IS NOT NULL ORDER BY seq LIMIT 1")
            .arg(L(side.closing), code, L(side.header));
    if ((result = m_db.GetDataList(check, days, first, err)) != CMakeMsgID::kOk)
        return refused(result);
    m_db.StepDone();
    if (first.GetCount() > 0) {
        const QString who = first.GetAt(0)->GetAt(0)->GetText();
        int why = 0;
        first.GetAt(0)->GetAt(1)->GetData(why);
        switch (why) {
        case 1:
            err = QStringLiteral("取引先「%1」が二度指定されています。").arg(who);
            return refused(CMakeMsgID::kFailed, EClosingRefusal::PartnerTwice);
        case 2:
            err = QStringLiteral("取引先「%1」はこの締日ですでに締められています。").arg(who);
            return refused(CMakeMsgID::kFailed, EClosingRefusal::AlreadyClosed);
        default:
            err = QStringLiteral("取引先「%1」には締める伝票がありません。").arg(who);
            return refused(CMakeMsgID::kFailed, EClosingRefusal::NothingToClose);
        }
    }

    // The closings in candidate order, each then found by its partner: the
    // refusals above leave one closing of the account per partner and date.
    const CSqlValues closingValues{days[0], days[1], SqlDateValue(request.issued),
                                   SqlMoneyValue(request.taxRate)};
    const QString closing[] = {
        QStringLiteral(
            "INSERT INTO \"%1\"(\"No\", \"Date\", \"%2\", CloseDate, CollectDate, Status, TaxRate, "
            "TudoFlg) SELECT no, ?3, code, ?1, due, 0, ?4, 1 FROM temp.close_run ORDER BY seq")
            .arg(L(side.closing), code),
        QStringLiteral("UPDATE temp.close_run SET id = (SELECT X.ID FROM \"%1\" X WHERE X.\"%2\" = "
                       "close_run.code AND X.CloseDate = ?1 AND X.TudoFlg = 1)")
            .arg(L(side.closing), code),
    };
    for (const QString& sql : closing)
        if ((result = m_db.Execute(sql, closingValues, err)) != CMakeMsgID::kOk)
            return refused(result);
    CCDSData made, ids;
    made.m_strCondition = QStringLiteral("SELECT seq, id FROM temp.close_run");
    if ((result = m_db.GetDataList(made, ids, err)) != CMakeMsgID::kOk)
        return refused(result);
    m_db.StepDone();
    const QString booking[] = {
        QStringLiteral(
            "UPDATE \"%1\" SET SeikyuID = (SELECT r.id FROM temp.close_run r WHERE r.code = \"%1\".\"%2\") "
            "WHERE SeikyuID = 0 AND \"Date\" < ?2 AND \"%2\" IN (SELECT code FROM temp.close_run)")
            .arg(L(side.header), code),
        QStringLiteral(
            "UPDATE \"%1\" SET SeikyuID = (SELECT r.id FROM temp.close_run r WHERE r.code = \"%1\".\"%2\") "
            "WHERE SeikyuID = 0 AND \"Date\" < ?2 AND \"%2\" IN (SELECT code FROM temp.close_run)")
            .arg(L(side.money), code),
        // The tax slips go in after the booking, already carrying their closing.
        QStringLiteral("INSERT INTO \"%1\"(Tax, DenpyoType, \"Date\", \"%2\", Company, Section, Name, Total, "
                       "SeikyuID) SELECT tax, 1, ?1, code, company, section, name, tax, id FROM "
                       "temp.close_run WHERE tax IS NOT NULL ORDER BY seq")
            .arg(L(side.header), code),
    };
    for (const QString& sql : booking) {
        if ((result = m_db.Execute(sql, days, err)) != CMakeMsgID::kOk)
            return refused(result);
        m_db.StepDone();
    }
    if ((result = run.Commit(err)) != CMakeMsgID::kOk)
        return refused(result);
    m_db.StepDone();
    for (int k = 0; k < ids.GetCount(); ++k) {
        int seq = -1, id = 0;
        ids.GetAt(k)->GetAt(0)->GetData(seq);
        ids.GetAt(k)->GetAt(1)->GetData(id);
        if (seq >= 0 && seq < outcome.ids.size())
            outcome.ids[seq] = id;
    }
    outcome.changed = changed;
    return outcome;
}

CClosingRefusal CClosingService::Undo(const CTradeSide& side, const QList<int>& closings)
{
    QString err;
    if (!m_db.IsOpen())
        return Refusal(m_db, m_db.NoConnection(err), err);
    return UndoIds(side, closings);
}

const std::array<CInvoiceHeader::Column<QString>, 10> CInvoiceHeader::kTexts{{
    {"No", &CInvoiceHeader::number},
    {"CustomerCode", &CInvoiceHeader::code},
    {"Zip", &CInvoiceHeader::zip},
    {"Address", &CInvoiceHeader::address},
    {"Company", &CInvoiceHeader::company},
    {"Section", &CInvoiceHeader::section},
    {"Name", &CInvoiceHeader::name},
    {"Keisho", &CInvoiceHeader::keisho},
    {"Keisho2", &CInvoiceHeader::keisho2},
    {"MyPerson", &CInvoiceHeader::myPerson},
}};
const std::array<CInvoiceHeader::Column<QDate>, 2> CInvoiceHeader::kDates{{
    {"Date", &CInvoiceHeader::issued},
    {"CloseDate", &CInvoiceHeader::closeDate},
}};
const std::array<CInvoiceHeader::Column<std::optional<CMny>>, 6> CInvoiceHeader::kAmounts{{
    {"LastCollect", &CInvoiceHeader::prevBilled},
    {"Receipt", &CInvoiceHeader::received},
    {"Balance", &CInvoiceHeader::carried},
    {"Amount", &CInvoiceHeader::net},
    {"Tax", &CInvoiceHeader::tax},
    {"Total", &CInvoiceHeader::due},
}};

CClosingRefusal CClosingService::MakeInvoices(const CTradeSide& side,
                                              const std::vector<CInvoiceHeader>& invoices)
{
    QString err;
    if (!m_db.IsOpen())
        return Refusal(m_db, m_db.NoConnection(err), err);
    QString columns = QStringLiteral("ID, SalesCloseID, DenpyoNum");
    for (const auto& text : CInvoiceHeader::kTexts)
        columns += QStringLiteral(", \"") % L(text.name) % u'"';
    for (const auto& date : CInvoiceHeader::kDates)
        columns += QStringLiteral(", \"") % L(date.name) % u'"';
    for (const auto& amount : CInvoiceHeader::kAmounts)
        columns += QStringLiteral(", \"") % L(amount.name) % u'"';
    std::vector<const char*> texts;
    for (const auto& text : CInvoiceHeader::kTexts)
        texts.push_back(text.name);
    const CTextLimits limits(TB_WSHIME_H, texts);
    std::vector<CSqlValues> values;
    qint64 id = 0;
    for (const CInvoiceHeader& invoice : invoices) {
        CSqlValues& row = values.emplace_back();
        row.reserve(3 + CInvoiceHeader::kTexts.size() + CInvoiceHeader::kDates.size() +
                    CInvoiceHeader::kAmounts.size());
        row.push_back(++id);
        row.push_back(qint64(invoice.closing));
        row.emplace_back();
        if (invoice.slips)
            row.back() = qint64(*invoice.slips);
        for (std::size_t k = 0; k < CInvoiceHeader::kTexts.size(); ++k) {
            const QString& text = invoice.*CInvoiceHeader::kTexts[k].field;
            if (!limits.Fits(k, text, err))
                return Refusal(m_db, CMakeMsgID::kFailed, err);
            row.push_back(SqlTextValue(text, true));
        }
        for (const auto& date : CInvoiceHeader::kDates)
            row.push_back(SqlDateValue(invoice.*date.field));
        for (const auto& amount : CInvoiceHeader::kAmounts) {
            const std::optional<CMny>& value = invoice.*amount.field;
            row.emplace_back();
            if (value)
                row.back() = SqlMoneyValue(*value);
        }
    }
    QString parameters;
    for (std::size_t k = 1; !values.empty() && k <= values.front().size(); ++k)
        parameters += (k > 1 ? QStringLiteral(", ?") : QStringLiteral("?")) % QString::number(k);

    CScopedTransaction run(m_db);
    int result = run.Begin(err);
    if (result != CMakeMsgID::kOk)
        return Refusal(m_db, result, err);
    QStringList steps{QStringLiteral("DELETE FROM WShime_B"), QStringLiteral("DELETE FROM WShime_H")};
    for (const QString& sql : steps)
        if ((result = m_db.Execute(sql, err)) != CMakeMsgID::kOk)
            return Refusal(m_db, result, err);
    steps.clear();
    if (!values.empty() &&
        (result =
             m_db.ExecuteRows(QStringLiteral("INSERT INTO WShime_H(%1) VALUES (%2)").arg(columns, parameters),
                              values, err)) != CMakeMsgID::kOk)
        return Refusal(m_db, result, err);
    if (!values.empty())
        // The work table leads: it holds the few closings asked for, and the
        // slips and lines are found from them by index, never by walking the
        // lines of the books (which the planner would, knowing no row
        // counts). The lines go in in their order into the emptied table,
        // so each one's row number is its place in it: the numbering is set
        // from that afterwards, which costs less than a numbering window,
        // which holds every line once more.
        steps << QStringLiteral(
                     "INSERT INTO WShime_B(HeaderID, \"Date\", \"No\", LineNo, ItemType, ItemCode, ItemName, "
                     "Number, Unit, Price, Amount, TaxFlg, Tax, Remarks) "
                     "SELECT W.ID, H.\"Date\", H.\"No\", B.LineNo, B.ItemType, B.ItemCode, B.ItemName, "
                     "B.Number, B.Unit, B.Price, B.Amount, B.TaxFlg, B.Tax, B.Remarks "
                     "FROM WShime_H W CROSS JOIN \"%1\" H ON H.SeikyuID = W.SalesCloseID AND W.SalesCloseID "
                     "<> 0 CROSS JOIN \"%2\" B ON B.HeaderID = H.ID ORDER BY W.ID, H.\"Date\", H.\"No\", "
                     "B.LineNo, B.ID")
                     .arg(L(side.header), L(side.lines))
              << QStringLiteral("UPDATE WShime_B SET ID = rowid");
    for (const QString& sql : steps)
        if ((result = m_db.Execute(sql, err)) != CMakeMsgID::kOk)
            return Refusal(m_db, result, err);
    return Refusal(m_db, run.Commit(err), err);
}

CClosingRefusal CClosingService::UndoIds(const CTradeSide& side, const QList<int>& closings)
{
    QString err;
    if (closings.isEmpty())
        return {};
    const int count = int(closings.size());
    CScopedTransaction run(m_db);
    int result = run.Begin(err);
    if (result != CMakeMsgID::kOk)
        return Refusal(m_db, result, err);
    const QString ids = QStringLiteral("(SELECT id FROM temp.reset_run)");
    const QString slips = L(side.header), money = L(side.money);
    std::vector<CSqlValues> rows;
    rows.reserve(std::size_t(count));
    for (int id : closings)
        rows.push_back({qint64(id)});
    if ((result =
             m_db.Execute(QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS reset_run(id INTEGER PRIMARY KEY)"),
                          err)) != CMakeMsgID::kOk ||
        (result = m_db.Execute(QStringLiteral("DELETE FROM temp.reset_run"), err)) != CMakeMsgID::kOk ||
        (result = m_db.ExecuteRows(QStringLiteral("INSERT OR IGNORE INTO temp.reset_run(id) VALUES (?1)"),
                                   rows, err)) != CMakeMsgID::kOk)
        return Refusal(m_db, result, err);
    QStringList steps;
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
