#include "platform/data/Calendar.h"

#include "platform/data/MakeMsgID.h"
#include "platform/data/SqlText.h"
#include "platform/data/TradeSide.h"

namespace
{

// Per partner with closings (Day 0 bills each slip by itself): its code,
// closing day and oldest unbilled slip, read once instead of once per day.
QString OpenPartners(const CTradeSide& side)
{
    return QStringLiteral(
               "SELECT m.\"%3\" AS pcode, m.\"Day\" AS cday, (SELECT MIN(s.\"Date\") FROM \"%2\" s "
               "WHERE s.\"%3\" = m.\"%3\" AND s.\"SeikyuID\" = 0) AS oldest "
               "FROM \"%1\" m WHERE m.\"Day\" <> 0")
        .arg(QLatin1StringView(side.partner), QLatin1StringView(side.header), QLatin1StringView(side.code));
}

// Partners whose closing falls on day d and who have a slip to close by
// then, unless the account was closed on that very day already: the closing
// list offers no second closing there, and a slip entered afterwards goes
// into the next one.
QString ClosingsOn(const char* partners, const CTradeSide& side)
{
    return QStringLiteral("(SELECT COUNT(*) FROM %1 p WHERE oldest < nextDay "
                          "AND (cday = dom OR (cday = 99 AND monthEnd)) "
                          "AND NOT EXISTS (SELECT 1 FROM \"%2\" x WHERE x.\"%3\" = p.pcode "
                          "AND x.\"CloseDate\" >= d AND x.\"CloseDate\" < nextDay AND x.\"TudoFlg\" = 1))")
        .arg(QLatin1StringView(partners), QLatin1StringView(side.closing), QLatin1StringView(side.code));
}

// Open closings due that day; the half-open range also finds a date stored
// with a time of day.
QString DueOn(const CTradeSide& side)
{
    return QStringLiteral("(SELECT COUNT(*) FROM \"%1\" WHERE \"Status\" = 0 "
                          "AND \"CollectDate\" >= d AND \"CollectDate\" < nextDay)")
        .arg(QLatin1StringView(side.closing));
}

} // namespace

int GetCalendar(CMakeMsgID& db, const QDate& from, const QDate& to, CCDSData& result, QString& err)
{
    result.RemoveAll();
    if (!from.isValid() || !to.isValid()) {
        err = QStringLiteral("カレンダーの期間が正しくありません。");
        return CMakeMsgID::kFailed;
    }
    if (from > to)
        return CMakeMsgID::kOk;

    // One statement for the whole period: the days come from a recursive
    // list, and each partner's oldest unbilled slip is looked up only once.
    // A day's counts are made once, into their own table, and the days
    // without any are dropped from that: a filter on the counts' select
    // list would have the planner count every day a second time.
    CCDSData request;
    request.m_strCondition =
        QStringLiteral("SELECT * FROM (WITH RECURSIVE days(d) AS (SELECT %1 UNION ALL "
                       "SELECT date(d, '+1 day') FROM days WHERE d < %2), "
                       "span(d, nextDay, dom, monthEnd) AS (SELECT d, date(d, '+1 day'), "
                       "CAST(strftime('%d', d) AS INTEGER), strftime('%d', d, '+1 day') = '01' FROM days), "
                       "bill AS MATERIALIZED (%3), pay AS MATERIALIZED (%4), "
                       "counted AS MATERIALIZED (SELECT d AS \"日付\", %5 AS \"締め請求\", "
                       "%6 AS \"締め支払\", %7 AS \"入金\", %8 AS \"出金\" FROM span) "
                       "SELECT * FROM counted "
                       "WHERE \"締め請求\" + \"締め支払\" + \"入金\" + \"出金\" > 0) ORDER BY \"日付\"")
            .arg(SqlDate(from), SqlDate(to), OpenPartners(CTradeSide::Sales()),
                 OpenPartners(CTradeSide::Purchases()), ClosingsOn("bill", CTradeSide::Sales()),
                 ClosingsOn("pay", CTradeSide::Purchases()), DueOn(CTradeSide::Sales()),
                 DueOn(CTradeSide::Purchases()));
    return db.GetDataList(request, result, err);
}
