#include "slips/SlipExtract.h"

#include "slips/SlipListRules.h"

#include "platform/data/SqlText.h"

#include <QStringList>

namespace
{

QString Contains(const QString& column, const QString& text)
{
    return column + QStringLiteral(" LIKE '%") + SqlQuote(SqlLikeEscape(text)) +
           QStringLiteral("%' ESCAPE '\\'");
}

} // namespace

QString MakeSlipExtractWhere(const QString& header, const CSlipConditions& c)
{
    const CSlipMode* mode = GetSlipModeOfTable(header);
    if (!mode)
        return {};
    const QString t = header;
    const QString b = QLatin1String(mode->body);
    QString statement = QStringLiteral("SELECT %1.*").arg(t);
    if (mode->closing)
        statement += QStringLiteral(", COALESCE(%1.TudoFlg, 1) AS TudoFlg").arg(QLatin1String(mode->closing));
    statement += QStringLiteral(" FROM ") + t;
    if (mode->closing)
        statement +=
            QStringLiteral(" LEFT JOIN %1 ON %2.SeikyuID = %1.ID").arg(QLatin1String(mode->closing), t);

    QStringList where;
    if (!c.number.isEmpty())
        where << QStringLiteral("%1.\"No\" = '%2'").arg(t, SqlQuote(c.number));
    if (c.from.isValid())
        where << QStringLiteral("%1.\"Date\" >= %2").arg(t, SqlDate(c.from));
    if (c.to.isValid())
        where << QStringLiteral("%1.\"Date\" < %2").arg(t, SqlDate(c.to.addDays(1)));
    if (!c.partnerCode.isEmpty())
        where << QStringLiteral("%1.%2 = '%3'").arg(t, QLatin1String(mode->partner), SqlQuote(c.partnerCode));
    if (!c.company.isEmpty())
        where << Contains(t + QStringLiteral(".Company"), c.company);
    if (!c.section.isEmpty())
        where << Contains(t + QStringLiteral(".Section"), c.section);
    if (!c.name.isEmpty())
        where << Contains(t + QStringLiteral(".\"Name\""), c.name);
    if (header == u"Estimate_H") {
        if (c.status == 0)
            where << t + QStringLiteral(".Status = 0");
        else if (c.status == 1)
            where << t + QStringLiteral(".Status <> 0");
    } else if (header == u"Order_H") {
        if (c.status == 0 || c.status == 1)
            where << QStringLiteral("%1.Status = %2").arg(t).arg(c.status);
    } else {
        if (c.status == 0)
            where << t + QStringLiteral(".SeikyuID = 0");
        else if (c.status == 1)
            where << t + QStringLiteral(".SeikyuID > 0");
        // Slips taxed at invoicing have no form and are never listed.
        where << t + QStringLiteral(".DenpyoType = 0");
    }
    QStringList lineTerms;
    if (!c.itemCode.isEmpty())
        lineTerms << QStringLiteral("%1.ItemCode = '%2'").arg(b, SqlQuote(c.itemCode));
    if (!c.itemName.isEmpty())
        lineTerms << Contains(b + QStringLiteral(".ItemName"), c.itemName);
    // The slips that have a matching line, each once. A subquery of its own
    // rather than one per slip: correlated, it would walk every line of a
    // common item for every slip.
    if (!lineTerms.isEmpty())
        where << QStringLiteral("%1.ID IN (SELECT %2.HeaderID FROM %2 WHERE %3)")
                     .arg(t, b, lineTerms.join(QStringLiteral(" AND ")));
    if (!where.isEmpty())
        statement += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    if (c.ordered) {
        const QString dir = c.descending ? QStringLiteral(" DESC") : QString();
        statement += QStringLiteral(" ORDER BY %1.\"Date\"%2, %1.ID%2").arg(t, dir);
    }
    return statement;
}

QStringList SlipStatusChoices(const QString& header)
{
    if (header == u"Estimate_H")
        return {QStringLiteral("未成立"), QStringLiteral("成立"), QString()};
    if (header == u"Sales_H")
        return {QStringLiteral("未請求"), QStringLiteral("請求済み"), QString()};
    if (header == u"Order_H")
        return {QStringLiteral("未納品"), QStringLiteral("納品済み"), QString()};
    if (header == u"Stock_H")
        return {QStringLiteral("未払い"), QStringLiteral("支払済み"), QString()};
    return {};
}
