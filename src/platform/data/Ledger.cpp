#include "platform/data/MakeMsgID.h"
#include "platform/data/SqlText.h"
#include "platform/data/TradeSide.h"

#include <QStringBuilder>
#include <QStringList>

namespace
{

QString L(const char* text)
{
    return QString::fromLatin1(text);
}

// The one-time partner's code: one full-width blank.
const QString kOneTime = QStringLiteral("\u3000");

int BadPeriod(const QDate& from, const QDate& to, QString& err)
{
    if (from.isValid() && to.isValid() && from <= to)
        return CMakeMsgID::kOk;
    err = QStringLiteral("期間が正しくありません。");
    return CMakeMsgID::kFailed;
}

// The ledger rows of the partners whose code satisfies `codes` (a tail like
// "= 'K001'" or "IN (SELECT ...)") within [from, to], into temp.ledger_rows.
// The temporary table declares the column types, so the rows read back
// typed; `seq` is the ledger order within a partner.
QStringList LedgerRowSteps(const CTradeSide& s, const QString& codes, const QDate& from, const QDate& to)
{
    const QString code = L(s.code), d0 = SqlDate(from), d1 = SqlDate(to.addDays(1));
    const QString slips =
        QStringLiteral("H.\"%1\" %2 AND H.\"Date\" >= %3 AND H.\"Date\" < %4").arg(code, codes, d0, d1);
    const QString money =
        QStringLiteral("M.\"%1\" %2 AND M.\"Date\" >= %3 AND M.\"Date\" < %4").arg(code, codes, d0, d1);
    const QString columns = QStringLiteral("code, \"タイプ\", \"Date\", \"No\", LineNo, ItemType, ItemCode, "
                                           "ItemName, Number, Unit, Price, TaxFlg, "
                                           "Amount, Receipt");
    return {
        QStringLiteral(
            "CREATE TEMP TABLE IF NOT EXISTS ledger_rows(code TEXT COLLATE NOCASE, \"タイプ\" INTEGER, "
            "\"Date\" DATE, \"No\" TEXT, LineNo INTEGER, ItemType INTEGER, ItemCode TEXT, ItemName TEXT, "
            "Number MONEY, Unit TEXT, Price MONEY, TaxFlg INTEGER, Amount MONEY, Receipt MONEY, "
            "seq INTEGER)"),
        QStringLiteral("DELETE FROM temp.ledger_rows"),
        QStringLiteral(
            "INSERT INTO temp.ledger_rows(%1, seq) SELECT %1, ROW_NUMBER() OVER (PARTITION BY code ORDER BY "
            "\"Date\", \"No\", \"タイプ\", hid, LineNo) FROM ("
            // slip lines
            "SELECT H.\"%2\" AS code, 1 AS \"タイプ\", H.\"Date\" AS \"Date\", H.\"No\" AS \"No\", B.LineNo "
            "AS LineNo, "
            "B.ItemType AS ItemType, B.ItemCode AS ItemCode, B.ItemName AS ItemName, B.Number AS Number, "
            "B.Unit AS Unit, B.Price AS Price, B.TaxFlg AS TaxFlg, COALESCE(B.Amount, 0) AS Amount, 0 AS "
            "Receipt, "
            "H.ID AS hid FROM \"%7\" H JOIN \"%4\" B ON B.HeaderID = H.ID WHERE %3 "
            // what the lines do not carry of what the slip bills
            "UNION ALL SELECT c, 1, d, n, COALESCE(last, 0) + 1, 9, '', '', NULL, '', NULL, 0, t - sum, 0, "
            "hid FROM "
            "(SELECT H.\"%2\" AS c, H.\"Date\" AS d, H.\"No\" AS n, H.ID AS hid, %9 AS t, "
            "(SELECT MAX(LineNo) FROM \"%4\" WHERE HeaderID = H.ID) AS last, (SELECT COALESCE(SUM(Amount), "
            "0) FROM "
            "\"%4\" WHERE HeaderID = H.ID) AS sum FROM \"%7\" H WHERE %3) WHERE t <> sum "
            // money lines
            "UNION ALL SELECT M.\"%2\", 2, M.\"Date\", M.\"No\", B.LineNo, 0, '', TRIM(COALESCE(B.Code, '') "
            "|| ' ' "
            "|| COALESCE(B.Contents, '')), NULL, '', NULL, 0, 0, COALESCE(B.Amount, 0), M.ID FROM \"%8\" M "
            "JOIN \"%6\" B ON B.HeaderID = M.ID WHERE %5 "
            "UNION ALL SELECT c, 2, d, n, COALESCE(last, 0) + 1, 0, '', '', NULL, '', NULL, 0, 0, t - sum, "
            "hid FROM "
            "(SELECT M.\"%2\" AS c, M.\"Date\" AS d, M.\"No\" AS n, M.ID AS hid, COALESCE(M.Amount, 0) AS t, "
            "(SELECT MAX(LineNo) FROM \"%6\" WHERE HeaderID = M.ID) AS last, (SELECT COALESCE(SUM(Amount), "
            "0) FROM "
            "\"%6\" WHERE HeaderID = M.ID) AS sum FROM \"%8\" M WHERE %5) WHERE t <> sum)")
            .arg(columns, code, slips, L(s.lines), money, L(s.moneyLines), L(s.header), L(s.money),
                 SqlSlipBilled(QStringLiteral("H."))),
    };
}

// Reads the rows of `request` into `rows` and hands the head record over;
// on a failure neither set grows.
int Deliver(CMakeMsgID& db, CScopedTransaction& run, const CCDSData& request, CCDSData& found, CCDSData& head,
            CCDSData& rows, QString& err)
{
    const int before = rows.GetCount();
    int result = db.GetDataList(request, rows, err);
    if (result == CMakeMsgID::kOk && (result = run.Commit(err)) != CMakeMsgID::kOk)
        while (rows.GetCount() > before)
            rows.RemoveAt(rows.GetCount() - 1);
    if (result == CMakeMsgID::kOk)
        head.Add(found.TakeAt(0));
    return result;
}

} // namespace

int CMakeMsgID::GetMotocho(int side, const QString& code, const QDate& from, const QDate& to, CCDSData& head,
                           CCDSData& rows, QString& err)
{
    if (const int admitted = Admit(err); admitted != kOk)
        return admitted;
    int result = BadPeriod(from, to, err);
    if (result != kOk)
        return result;
    const CTradeSide& s = CTradeSide::Of(side != 0);
    const QString c = L(s.code), d0 = SqlDate(from), literal = u'\'' % SqlQuote(code) % u'\'';
    CCDSData request, found;
    request.m_strCondition =
        QStringLiteral(
            "SELECT P.\"%1\", P.Company, P.\"Section\", P.Name, COALESCE(P.Collect, 0) + "
            "COALESCE((SELECT SUM(%7) FROM \"%2\" H WHERE H.\"%1\" = P.\"%1\" AND H.\"Date\" < %4), 0) - "
            "COALESCE((SELECT SUM(Amount) FROM \"%3\" WHERE \"%1\" = P.\"%1\" AND \"Date\" < %4), 0) AS "
            "\"前月繰越額\" FROM \"%5\" P WHERE P.\"%1\" = %6 ORDER BY P.ID LIMIT 1")
            .arg(c, L(s.header), L(s.money), d0, L(s.partner), literal, SqlSlipBilled(QStringLiteral("H.")));
    if ((result = GetDataList(request, found, err)) != kOk)
        return result;
    if (found.GetCount() == 0) {
        err = QStringLiteral("取引先「%1」が見つかりません。").arg(code);
        return kFailed;
    }
    CScopedTransaction run(*this);
    if ((result = run.Begin(err)) != kOk)
        return result;
    for (const QString& sql : LedgerRowSteps(s, u"= " % literal, from, to))
        if ((result = Execute(sql, err)) != kOk)
            return result;
    request.m_strCondition = QStringLiteral("SELECT \"Date\", \"No\", \"タイプ\", LineNo, ItemType, "
                                            "ItemCode, ItemName, Number, Unit, Price, TaxFlg, "
                                            "Amount, Receipt FROM temp.ledger_rows ORDER BY seq");
    return Deliver(*this, run, request, found, head, rows, err);
}

int CMakeMsgID::GetItemInOutList(const QString& code, const QDate& from, const QDate& to, CCDSData& head,
                                 CCDSData& rows, const QDate& lastCarry, QString& err)
{
    if (const int admitted = Admit(err); admitted != kOk)
        return admitted;
    int result = BadPeriod(from, to, err);
    if (result != kOk)
        return result;
    const QString literal = u'\'' % SqlQuote(code) % u'\'', d0 = SqlDate(from), d1 = SqlDate(to.addDays(1));
    // What moved before the period counts after the last carry-forward only:
    // the opening stock holds what came before.
    QString past = QStringLiteral("\"Date\" < ") % d0;
    if (lastCarry.isValid())
        past += QStringLiteral(" AND \"Date\" > ") % SqlDate(lastCarry);
    CCDSData request, found;
    request.m_strCondition =
        QStringLiteral(
            "SELECT I.ItemCode, I.ItemName, COALESCE(I.StockNumber, 0) + COALESCE((SELECT SUM(q) FROM ("
            "SELECT COALESCE(Number, 0) AS q FROM Stock_B WHERE ItemCode = I.ItemCode AND ItemType <> 2 "
            "AND %1 UNION ALL SELECT -COALESCE(Number, 0) FROM Sales_B WHERE ItemCode = I.ItemCode AND "
            "ItemType <> 2 AND %1 UNION ALL SELECT COALESCE(InNumber, 0) - COALESCE(OutNumber, 0) FROM "
            "StockChange WHERE ItemCode = I.ItemCode AND %1)), 0) AS \"繰越数\" FROM Item I "
            "WHERE I.ItemCode = %2 ORDER BY I.ID LIMIT 1")
            .arg(past, literal);
    if ((result = GetDataList(request, found, err)) != kOk)
        return result;
    if (found.GetCount() == 0) {
        err = QStringLiteral("商品「%1」が見つかりません。").arg(code);
        return kFailed;
    }
    const auto period = [&](const char* alias) -> QString {
        return QStringLiteral("%1\"Date\" >= %2 AND %1\"Date\" < %3").arg(L(alias), d0, d1);
    };
    // A slip line's partner: the master's names, the slip's own for the
    // one-time partner.
    const auto partnerLines = [&](const char* type, const CTradeSide& s, const char* in,
                                  const char* out) -> QString {
        const QString who = QStringLiteral("iif(H.\"%1\" = '%2', H.%3, P.%3)").arg(L(s.code), kOneTime);
        return QStringLiteral(
                   "SELECT %1, B.\"Date\", H.\"No\", B.LineNo, NULL, %2, %3, %4, %5, %6 FROM \"%7\" B "
                   "JOIN \"%8\" H ON H.ID = B.HeaderID LEFT JOIN \"%9\" P ON P.\"%10\" = H.\"%10\" "
                   "WHERE B.ItemCode = %11 AND B.ItemType <> 2 AND ")
                   .arg(L(type), L(in), L(out), who.arg(QStringLiteral("Company")),
                        who.arg(QStringLiteral("\"Section\"")), who.arg(QStringLiteral("Name")), L(s.lines),
                        L(s.header), L(s.partner), L(s.code), literal) %
               period("B.");
    };
    const QString steps[] = {
        QStringLiteral(
            "CREATE TEMP TABLE IF NOT EXISTS stock_rows(\"タイプ\" INTEGER, \"Date\" DATE, \"No\" TEXT, "
            "LineNo INTEGER, Memo TEXT, InNum MONEY, OutNum MONEY, Company TEXT, \"Section\" TEXT, "
            "Name TEXT)"),
        QStringLiteral("DELETE FROM temp.stock_rows"),
        QStringLiteral("INSERT INTO temp.stock_rows SELECT * FROM (") %
            partnerLines("1", CTradeSide::Sales(), "0", "COALESCE(B.Number, 0)") %
            QStringLiteral(" UNION ALL ") %
            partnerLines("2", CTradeSide::Purchases(), "COALESCE(B.Number, 0)", "0") %
            QStringLiteral(" UNION ALL SELECT 3, \"Date\", \"No\", 0, Memo, COALESCE(InNumber, 0), "
                           "COALESCE(OutNumber, 0), '', '', '' FROM StockChange WHERE ItemCode = %1 AND %2)")
                .arg(literal, period("")),
    };
    CScopedTransaction run(*this);
    if ((result = run.Begin(err)) != kOk)
        return result;
    for (const QString& sql : steps)
        if ((result = Execute(sql, err)) != kOk)
            return result;
    request.m_strCondition = QStringLiteral(
        "SELECT \"Date\", \"No\", \"タイプ\", LineNo, Memo, InNum, OutNum, Company, \"Section\", Name FROM "
        "temp.stock_rows ORDER BY \"Date\", \"タイプ\", \"No\", LineNo, rowid");
    return Deliver(*this, run, request, found, head, rows, err);
}

int CMakeMsgID::SetWMotocho(CCDSData& request, const QDate& from, const QDate& to, QString& err)
{
    if (const int admitted = Admit(err); admitted != kOk)
        return admitted;
    const QString partners = request.m_strCondition.trimmed();
    const CTradeSide* side = nullptr;
    for (const CTradeSide* s : CTradeSide::Both())
        if (partners.compare(L(s->partner), Qt::CaseInsensitive) == 0)
            side = s;
    if (!side || request.m_strTable.compare(QLatin1String("WMotocho_H"), Qt::CaseInsensitive) != 0) {
        err = QStringLiteral("元帳作成の条件が正しくありません。（%1）").arg(request.m_strCondition);
        return kFailed;
    }
    int result = BadPeriod(from, to, err);
    if (result != kOk)
        return result;
    for (int i = 0; i < request.GetCount(); ++i)
        request.GetAt(i)->SetField(QStringLiteral("WMotocho_H.ID"), i + 1);

    CScopedTransaction run(*this);
    if ((result = run.Begin(err)) != kOk)
        return result;
    if ((result = Execute(QStringLiteral("DELETE FROM WMotocho_B"), err)) != kOk ||
        (result = Execute(QStringLiteral("DELETE FROM WMotocho_H"), err)) != kOk)
        return result;
    if (request.GetCount() == 0)
        return run.Commit(err);
    if ((result = InsertData(request, err)) != kOk)
        return result;
    QStringList steps =
        LedgerRowSteps(*side, QStringLiteral("IN (SELECT CustomerCode FROM WMotocho_H)"), from, to);
    steps << QStringLiteral(
        "INSERT INTO WMotocho_B(ID, HeaderID, RowType, \"Date\", \"No\", ItemType, ItemCode, ItemName, "
        "Number, "
        "Unit, Price, TaxFlg, Amount, Receipt, Balance) SELECT ROW_NUMBER() OVER (ORDER BY W.ID, R.seq), "
        "W.ID, "
        "R.\"タイプ\", R.\"Date\", R.\"No\", R.ItemType, R.ItemCode, R.ItemName, R.Number, R.Unit, R.Price, "
        "R.TaxFlg, R.Amount, R.Receipt, COALESCE(W.LastCollect, 0) + SUM(R.Amount - R.Receipt) OVER "
        "(PARTITION "
        "BY W.ID ORDER BY R.seq ROWS UNBOUNDED PRECEDING) FROM WMotocho_H W JOIN temp.ledger_rows R ON "
        "R.code = "
        "W.CustomerCode ORDER BY W.ID, R.seq");
    for (const QString& sql : steps)
        if ((result = Execute(sql, err)) != kOk)
            return result;
    return run.Commit(err);
}
