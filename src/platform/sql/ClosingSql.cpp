#include "platform/sql/ClosingSql.h"

#include "platform/sql/ReportSql.h"
#include "platform/sql/ResultNames.h"

#include "platform/data/SqlText.h"
#include "platform/data/TableNames.h"

#include <initializer_list>

namespace
{

constexpr char kTransfer[] = "振込";

// Closing candidates of one side. A closing day below 0 takes every partner.
QString ClosingCandidates(const CTradeSide& t, const QDate& closingDate, int closingDay)
{
    const QString code = SqlName(t.code), d1 = SqlDayAfter(closingDate);
    // Unbilled slips up to the date of the partners taking part; a partner
    // already closed for the account on this very date is not offered again.
    QString unbilled =
        QStringLiteral(" FROM %1 AS H WHERE H.SeikyuID = 0 AND H.\"Date\" < %2").arg(SqlName(t.header), d1);
    if (closingDay >= 0)
        unbilled += QStringLiteral(" AND H.%1 IN (SELECT %1 FROM %2 WHERE Day = %3)")
                        .arg(code, SqlName(t.partner), QString::number(closingDay));
    unbilled += QStringLiteral(" AND H.%1 NOT IN (SELECT X.%1 FROM %2 AS X WHERE X.CloseDate = %3 "
                               "AND X.TudoFlg = 1 AND X.%1 IS NOT NULL)")
                    .arg(code, SqlName(t.closing), SqlDate(closingDate));
    const QString partners = QStringLiteral("SELECT H.") % code % unbilled;

    const QString slips =
        QStringLiteral(
            "SELECT H.%1, SUM(H.Amount) AS Net, SUM(iif(H.TaxType = 1, H.AmountNoTax, 0)) AS Taxable, "
            "SUM(%3) AS SlipTax, SUM(iif(H.DenpyoType = 0, 1, 0)) AS Slips%2 GROUP BY H.%1")
            .arg(code, unbilled, SqlSlipTax(QStringLiteral("H.")));
    const QString money =
        QStringLiteral("SELECT R.%1, SUM(R.Amount) AS Amount FROM %2 AS R "
                       "WHERE R.SeikyuID = 0 AND R.\"Date\" < %3 AND R.%1 IN (%4) GROUP BY R.%1")
            .arg(code, SqlName(t.money), d1, partners);
    // What is booked to the closings dated up to the date.
    const QString past = PastSumsSql(t, partners, closingDate.addDays(1));

    const QString prev = QStringLiteral("(COALESCE(T3.Collect, 0) + COALESCE(TP.PastBalance, 0))");
    const QString received = QStringLiteral("COALESCE(T1.Amount, 0)");
    return QStringLiteral(
               "SELECT COALESCE(T3.%1, T2.%1) AS %1, T3.Zip, T3.Address, T3.Company, T3.\"Section\", "
               "T3.Name, "
               "T3.Keisho, T3.Keisho2, T3.MyPerson, %2 AS %3, %4 AS %5, (%2 - %4) AS %6, "
               "COALESCE(T2.Net, 0) AS %7, COALESCE(T2.Taxable, 0) AS %8, COALESCE(T2.SlipTax, 0) AS %9, "
               "T2.Slips AS %10, T3.TaxRoundType, T3.CollectCycle, T3.CollectDay "
               "FROM (%11) AS T2 LEFT JOIN (%12) AS T1 ON T1.%1 = T2.%1 LEFT JOIN (%13) AS TP ON TP.%1 = "
               "T2.%1 "
               "LEFT JOIN %14 AS T3 ON T3.%1 = T2.%1 ORDER BY T2.%1")
        .arg(code, prev, SqlName(t.prevBilled), received, SqlName(t.received), SqlName(RC_CARRIED),
             SqlName(t.netAmount), SqlName(RC_TAXABLE), SqlName(RC_SLIP_TAX), SqlName(t.slipCount), slips,
             money, past, SqlName(t.partner));
}

// The fee brackets of the first bank account: each row with the next
// greater bound of its payment and bank type, so that an amount falls into
// exactly one bracket (of equal bounds, the lowest bracket).
QString FeeBrackets()
{
    return QStringLiteral(
               "SELECT PaymentType, BankType, Money, Fee, LEAD(Money) OVER (PARTITION BY PaymentType, "
               "BankType ORDER BY Money, ID DESC) AS NextMoney FROM %1 "
               "WHERE HeaderID = (SELECT MIN(ID) FROM %2)")
        .arg(SqlName(TB_BANK_B), SqlName(TB_BANK_H));
}

// The carried-over figures of a closing row T1 (ClosingSumsSql) of the
// partner T4: a per-slip invoice carries nothing over and receives nothing.
const QString kPrev = QStringLiteral("iif(T1.TudoFlg = 1, COALESCE(T4.Collect, 0) + T1.PastBalance, 0)");
const QString kReceived = QStringLiteral("iif(T1.TudoFlg = 1, T1.Booked, 0)");
const QString kCarried = u'(' % kPrev % QStringLiteral(" - ") % kReceived % u')';

// The previous, received and carried amounts, named for the side.
QString CarryColumns(const CTradeSide& t)
{
    return QStringLiteral("%1 AS %2, %3 AS %4, %5 AS %6")
        .arg(kPrev, SqlName(t.prevBilled), kReceived, SqlName(t.received), kCarried, SqlName(RC_CARRIED));
}

// A name or address field of the row: the closing's first slip's (T5) for
// the one-time partner, the master's (T4) otherwise.
QString OneTimeColumns(const CTradeSide& t, std::initializer_list<const char*> fields)
{
    QStringList columns;
    for (const char* field : fields) {
        const QString name = SqlName(field);
        columns << SqlOneTime(QStringLiteral("T1.") % SqlName(t.code), QStringLiteral("T5.") % name,
                              QStringLiteral("T4.") % name) %
                       QStringLiteral(" AS ") % name;
    }
    return columns.join(QStringLiteral(", "));
}

// The rows of the closings chosen by `closings` with their sums (T1), the
// partner (T4) and the first slip (T5) of the one-time partner's closings
// and, with `perSlip`, of the per-slip invoices.
QString ClosingRows(const CTradeSide& t, const QString& closings, const QString& columns, bool perSlip,
                    const QString& joins, const QString& order)
{
    const QString code = SqlName(t.code);
    // Only the rows that show the slip look it up: a null key seeks nothing,
    // where a condition beside the key is tested after the seek.
    const QString slipKey = QStringLiteral("iif(T1.%1 = '%2'%3, T1.FirstSlipID, NULL)")
                                .arg(code, QString::fromUtf8(ONE_TIME_CODE),
                                     perSlip ? QStringLiteral(" OR T1.TudoFlg = 0") : QString());
    return QStringLiteral("SELECT %1 FROM (%2) AS T1 LEFT JOIN %3 AS T4 ON T4.%4 = T1.%4 "
                          "LEFT JOIN %5 AS T5 ON T5.ID = %6%7 ORDER BY %8")
        .arg(columns, ClosingSumsSql(t, closings), SqlName(t.partner), code, SqlName(t.header), slipKey,
             joins, order);
}

QString Schedule(const CTradeSide& t, bool withoutCarry, const QString& openClosings, bool payment,
                 bool transferOnly)
{
    const QString due = withoutCarry ? QStringLiteral("(T1.SlipAmount + T1.SlipTax)")
                                     : QStringLiteral("(%1 + T1.SlipAmount + T1.SlipTax)").arg(kCarried);
    QString columns = QStringLiteral("T1.ID, T1.\"No\", T1.CollectDate, T1.CloseDate, T1.%1, %2, %3, "
                                     "T1.SlipAmount AS %4, T1.SlipTax AS %5, %6 AS %7, "
                                     "iif(T1.TudoFlg = 1, T1.SlipCount, 0) AS %8, T4.CollectType, %9")
                          .arg(SqlName(t.code), OneTimeColumns(t, {"Company", "Section", "Name"}),
                               CarryColumns(t), SqlName(t.netAmount), SqlName(RC_TAX), due,
                               SqlName(t.dueAmount), SqlName(t.slipCount), OneTimeColumns(t, {"MyPerson"}));
    QString joins;
    if (payment) {
        const QString fee =
            QStringLiteral("iif(T4.CollectType = '%1', COALESCE(F.Fee, 0), 0)").arg(kTransfer);
        columns += QStringLiteral(", %1 AS %2, T4.Bank, T4.BankCode, T4.BankBranch, T4.BankBranchCode, "
                                  "T4.BankAccountType, T4.BankNumber, T4.BankOnesName, T4.BankOnesPhoenic, "
                                  "T4.BankFee, T4.PaymentType, iif(T4.BankFee = 0, %3 - %1, %3) AS %4")
                       .arg(fee, SqlName(RC_TRANSFER_FEE), due, SqlName(RC_TRANSFER_AMOUNT));
        joins = QStringLiteral(
                    " LEFT JOIN (%1) AS F ON F.PaymentType = T4.PaymentType AND F.BankType = T4.BankType "
                    "AND %2 >= F.Money AND (F.NextMoney IS NULL OR %2 < F.NextMoney)")
                    .arg(FeeBrackets(), due);
        if (transferOnly)
            joins += QStringLiteral(" WHERE T4.CollectType = '%1'").arg(kTransfer);
    } else {
        columns += QStringLiteral(", T4.PhoenicCompany, T4.PhoenicPerson");
    }
    return ClosingRows(t, openClosings, columns, false, joins, QStringLiteral("T1.CollectDate, T1.ID"));
}

// Every closing record whose CloseDate lies in the period, newest first: a
// per-slip invoice with its slip, so that the slip's invoice can be printed again.
QString BilledList(const CTradeSide& t, const QDate& fromDate, const QDate& toDate)
{
    const bool sales = !t.IsPurchases();
    const QString columns =
        QStringLiteral(
            "T1.ID, T1.Status, T1.TudoFlg, T1.\"Date\", T1.CollectDate, T1.CloseDate, T1.\"No\", T1.%1, "
            "%2, %3, %4, T1.SlipAmount AS %5, T1.SlipTax AS %6, T1.SlipCount AS %7, "
            "iif(T1.TudoFlg = 0, COALESCE(T5.ID, 0), 0) AS HeaderID, "
            "iif(T1.TudoFlg = 0, COALESCE(T5.FormID, 0), 0) AS FormID, "
            "iif(T1.TudoFlg = 0, COALESCE(T5.FileName, ''), '') AS FileName")
            .arg(SqlName(t.code),
                 OneTimeColumns(
                     t, {"Zip", "Address", "Company", "Section", "Name", "Keisho", "Keisho2", "MyPerson"}),
                 sales ? OneTimeColumns(t, {"TEL"}) % QStringLiteral(", T4.FAX")
                       : QStringLiteral("T4.TEL, T4.FAX"),
                 CarryColumns(t), SqlName(t.netAmount), SqlName(RC_TAX), SqlName(t.slipCount));
    return ClosingRows(t, SqlPeriod(QStringLiteral("CloseDate"), fromDate, toDate), columns, true, QString(),
                       QStringLiteral("T1.CloseDate DESC, T1.\"No\" DESC"));
}

// Open closings of every partner, or of the one whose code is given.
QString OpenClosings(const CTradeSide& t, const QString& code)
{
    QString condition = QStringLiteral("Status = 0");
    if (!code.isEmpty())
        condition += QStringLiteral(" AND %1 = '%2'").arg(SqlName(t.code), SqlQuote(code));
    return condition;
}

QString OpenClosingsDue(const QDate& collectDate)
{
    return QStringLiteral("Status = 0 AND CollectDate = ") % SqlDate(collectDate);
}

} // namespace

QString MakeSeikyuSQL(const QDate& closingDate, int closingDay)
{
    return ClosingCandidates(CTradeSide::Sales(), closingDate, qMax(0, closingDay));
}

QString MakeShiharaiSQL(const QDate& closingDate, int closingDay)
{
    return ClosingCandidates(CTradeSide::Purchases(), closingDate, qMax(0, closingDay));
}

QString MakeSeikyuUpToDateSQL(const QDate& closingDate)
{
    return ClosingCandidates(CTradeSide::Sales(), closingDate, -1);
}

QString MakeShiharaiUpToDateSQL(const QDate& closingDate)
{
    return ClosingCandidates(CTradeSide::Purchases(), closingDate, -1);
}

QString MakeBilledListSQL(const QDate& fromDate, const QDate& toDate)
{
    return BilledList(CTradeSide::Sales(), fromDate, toDate);
}

QString MakePaidListSQL(const QDate& fromDate, const QDate& toDate)
{
    return BilledList(CTradeSide::Purchases(), fromDate, toDate);
}

QString MakeReceiptScheduleSQL(bool withoutCarry, const QString& openClosings)
{
    return Schedule(CTradeSide::Sales(), withoutCarry, openClosings, false, false);
}

QString MakePaymentScheduleSQL(bool withoutCarry, const QString& openClosings, bool transferOnly)
{
    return Schedule(CTradeSide::Purchases(), withoutCarry, openClosings, true, transferOnly);
}

QString MakeOpenSalesCloseByCustomer(bool withoutCarry, const QString& customerCode)
{
    const CTradeSide& s = CTradeSide::Sales();
    return Schedule(s, withoutCarry, OpenClosings(s, customerCode), false, false);
}

QString MakeOpenStockCloseBySupplier(bool withoutCarry, const QString& supplierCode)
{
    const CTradeSide& s = CTradeSide::Purchases();
    return Schedule(s, withoutCarry, OpenClosings(s, supplierCode), true, false);
}

QString MakeOpenSalesCloseByCollectDate(bool withoutCarry, const QDate& collectDate)
{
    return MakeReceiptScheduleSQL(withoutCarry, OpenClosingsDue(collectDate));
}

QString MakeOpenStockCloseByCollectDate(bool withoutCarry, const QDate& collectDate, bool transferOnly)
{
    return MakePaymentScheduleSQL(withoutCarry, OpenClosingsDue(collectDate), transferOnly);
}
