#include "platform/sql/DetailListSql.h"

#include "platform/sql/ReportSql.h"

#include "platform/data/TableNames.h"

#include <initializer_list>

namespace
{

QString PeriodWhere(const char* table, const QDate& fromDate, const QDate& toDate)
{
    return SqlWhere(SqlPeriod(SqlName(table) % QStringLiteral(".\"Date\""), fromDate, toDate));
}

// The money header M with its partner P and, for the one-time partner's
// money that pays a closing, that closing's first slip S: looked up for
// those rows alone, one seek each, so a period's money reads nothing else.
QString MoneyJoins(const CTradeSide& t)
{
    return QStringLiteral(
               " LEFT JOIN %1 AS P ON P.%2 = M.%2 LEFT JOIN %3 AS S ON S.ID = iif(M.%2 = '%4' AND "
               "M.CloseID <> 0, (SELECT MIN(F.ID) FROM %3 AS F WHERE F.SeikyuID = M.CloseID), NULL)")
        .arg(SqlName(t.partner), SqlName(t.code), SqlName(t.header), QString::fromUtf8(ONE_TIME_CODE));
}

QString MoneyNames(const CTradeSide& t, std::initializer_list<const char*> fields)
{
    QStringList columns;
    for (const char* field : fields) {
        const QString name = SqlName(field);
        columns << SqlOneTime(QStringLiteral("M.") % SqlName(t.code), QStringLiteral("S.") % name,
                              QStringLiteral("P.") % name, QStringLiteral("M.CloseID <> 0")) %
                       QStringLiteral(" AS ") % name;
    }
    return columns.join(QStringLiteral(", "));
}

QString Prefixed(const QString& prefix, std::initializer_list<const char*> fields)
{
    QStringList columns;
    for (const char* field : fields)
        columns << prefix % SqlName(field);
    return columns.join(QStringLiteral(", "));
}

} // namespace

QString MakeReceiptListSQL(const CTradeSide& side, const QDate& fromDate, const QDate& toDate)
{
    const CTradeSide& t = side;
    QString columns = MoneyNames(t, {"Company", "Section", "Name"}) % QStringLiteral(", M.*");
    if (!side.IsPurchases())
        columns += QStringLiteral(", ") % MoneyNames(t, {"Zip", "Address", "Keisho", "Keisho2"});
    return QStringLiteral("SELECT %1 FROM %2 AS M%3%4 ORDER BY M.\"Date\" DESC, M.\"No\" DESC")
        .arg(columns, SqlName(t.money), MoneyJoins(t),
             SqlWhere(SqlPeriod(QStringLiteral("M.\"Date\""), fromDate, toDate)));
}

QString MakeReceiptLineListSQL(const CTradeSide& side, const QDate& fromDate, const QDate& toDate)
{
    const CTradeSide& t = side;
    return QStringLiteral(
               "SELECT M.ID, M.\"Date\", M.\"No\", M.%1, %2, B.Code, B.Amount, B.Contents, B.DraftNo, "
               "B.DraftDate, M.MyPerson, B.LineNo FROM %3 AS M INNER JOIN %4 AS B ON B.HeaderID = M.ID%5%6 "
               "ORDER BY M.\"Date\", M.\"No\", B.LineNo")
        .arg(SqlName(t.code), MoneyNames(t, {"Company", "Section", "Name"}), SqlName(t.money),
             SqlName(t.moneyLines), MoneyJoins(t),
             SqlWhere(SqlPeriod(QStringLiteral("M.\"Date\""), fromDate, toDate)));
}

QString MakeSlipLineListSQL(const CTradeSide& side, const QDate& fromDate, const QDate& toDate)
{
    const CTradeSide& t = side;
    const QString h = SqlName(t.header) % u'.', b = SqlName(t.lines) % u'.';
    QString columns =
        Prefixed(h, {"ID", "Date", "No", t.code, "Company", "Section", "Name"}) % QStringLiteral(", ") %
        Prefixed(b, {"ItemType", "TaxFlg", "ItemCode", "ItemName", "Number", "Unit", "Price", "Amount"});
    if (!side.IsPurchases())
        columns += QStringLiteral(", ") % Prefixed(b, {"TaxFlg2", "Cost", "Amount2"});
    // An unbilled slip reads TudoFlg 1.
    columns +=
        QStringLiteral(", %1, %2, COALESCE(C.TudoFlg, 1) AS \"TudoFlg\", %3")
            .arg(Prefixed(b, {"Remarks"}), Prefixed(h, {"MyPerson", "SeikyuID"}), Prefixed(b, {"Tax"}));
    if (!side.IsPurchases())
        columns += QStringLiteral(", ") % Prefixed(h, {"FormID"});
    return QStringLiteral("SELECT %1 FROM %2 INNER JOIN %3 ON %4ID = %5HeaderID LEFT JOIN %6 AS C ON C.ID = "
                          "%4SeikyuID%7 "
                          "ORDER BY %4\"Date\", %4DenpyoType, %4\"No\", %5LineNo, %4ID")
        .arg(columns, SqlName(t.header), SqlName(t.lines), h, b, SqlName(t.closing),
             PeriodWhere(t.header, fromDate, toDate));
}

QString MakeQuoteOrderLineListSQL(const CTradeSide& side, const QDate& fromDate, const QDate& toDate)
{
    const bool orders = side.IsPurchases();
    const char* header = orders ? TB_ORDER_H : TB_ESTIMATE_H;
    const char* lines = orders ? TB_ORDER_B : TB_ESTIMATE_B;
    const QString h = SqlName(header) % u'.', b = SqlName(lines) % u'.';
    QString columns =
        Prefixed(h, {"ID", "Status", "Date", "No", side.code, "Company", "Section", "Name", "MyPerson"});
    if (orders)
        columns += QStringLiteral(", ") % Prefixed(h, {"Limit"});
    columns += QStringLiteral(", ") % Prefixed(b, {"ItemType", "TaxFlg", "ItemCode", "ItemName", "Number",
                                                   "Unit", "Price", "Amount", "Remarks", "Tax"});
    if (!orders)
        columns += QStringLiteral(", ") % Prefixed(b, {"TaxFlg2", "Cost", "Amount2"});
    return QStringLiteral("SELECT %1 FROM %2 INNER JOIN %3 ON %4ID = %5HeaderID%6 ORDER BY %4\"Date\", "
                          "%4\"No\", %5LineNo")
        .arg(columns, SqlName(header), SqlName(lines), h, b, PeriodWhere(header, fromDate, toDate));
}

QString MakeStockChangeListSQL(const QDate& fromDate, const QDate& toDate, int kind)
{
    QStringList conditions;
    if (kind == 1)
        conditions << QStringLiteral("S.Type = 3");
    const QString period = SqlPeriod(QStringLiteral("S.\"Date\""), fromDate, toDate);
    if (!period.isEmpty())
        conditions << period;
    // The product master's name; the movement's own when the product is gone.
    return QStringLiteral(
               "SELECT S.ID, S.\"No\", S.\"Date\", S.ItemCode, S.Type, S.InNumber, S.OutNumber, S.Memo, "
               "COALESCE(I.ItemName, S.ItemName) AS ItemName FROM %1 AS S LEFT JOIN %2 AS I "
               "ON I.ItemCode = S.ItemCode%3 ORDER BY S.\"Date\", S.\"No\", S.ID")
        .arg(SqlName(TB_STOCKCHANGE), SqlName(TB_ITEM), SqlWhere(conditions.join(QStringLiteral(" AND "))));
}
