#pragma once

#include "platform/data/MakeMsgID.h"

#include <QStringBuilder>

// The booked balances of one side as "CODE:yen CODE:yen", codes in capitals,
// zeros left out: as the triggers kept them, and as summed afresh from the
// slip and money headers, which they must equal after any writing.
namespace BookedBalances
{

inline QString Text(CMakeMsgID& data, const QString& rows)
{
    CCDSData request, result;
    request.m_strCondition =
        QStringLiteral("SELECT COALESCE(group_concat(k, ' '), '') AS T FROM (") % rows % u')';
    QString err;
    if (data.GetDataList(request, result, err) != 1 || result.GetCount() != 1)
        return QStringLiteral("error: ") % err;
    const CTb* tb = result.GetAt(0)->GetOneField(QString(), QStringLiteral("T"));
    return tb ? tb->GetText() : QString();
}

inline QString Kept(CMakeMsgID& data, bool purchase)
{
    const QString code = purchase ? QStringLiteral("SupplierCode") : QStringLiteral("CustomerCode");
    return Text(data,
                QStringLiteral("SELECT upper(%1) || ':' || (Balance / 10000.0) AS k FROM %2 "
                               "WHERE Balance <> 0 ORDER BY upper(%1)")
                    .arg(code, purchase ? QStringLiteral("Stock_Booked") : QStringLiteral("Sales_Booked")));
}

inline QString Recounted(CMakeMsgID& data, bool purchase)
{
    const QString code = purchase ? QStringLiteral("SupplierCode") : QStringLiteral("CustomerCode");
    return Text(
        data, QStringLiteral("SELECT upper(code) || ':' || (SUM(v) / 10000.0) AS k FROM (SELECT %1 AS code, "
                             "COALESCE(Amount, 0) + CASE WHEN TaxType IN (2, 3, 4) OR DenpyoType <> 0 THEN "
                             "COALESCE(Tax, 0) ELSE 0 END AS v FROM %2 WHERE SeikyuID > 0 AND %1 IS NOT NULL "
                             "UNION ALL SELECT %1, -COALESCE(Amount, 0) FROM %3 WHERE SeikyuID > 0 AND %1 IS "
                             "NOT NULL) GROUP BY upper(code) HAVING SUM(v) <> 0 ORDER BY upper(code)")
                  .arg(code, purchase ? QStringLiteral("Stock_H") : QStringLiteral("Sales_H"),
                       purchase ? QStringLiteral("Pay_H") : QStringLiteral("Receipt_H")));
}

} // namespace BookedBalances
