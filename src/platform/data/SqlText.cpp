#include "platform/data/SqlText.h"

#include "platform/text/Cp932.h"

QString SqlMoney(const CMny& value)
{
    CMny stored;
    if (!value.IsValid() || !value.Round(stored, CMny::kRoundHalfUp, 4))
        return QStringLiteral("NULL");
    // A negative literal is bracketed: written after a minus sign, "--" would
    // turn the rest of the statement into a comment.
    return stored.GetValue() < 0 ? u'(' % QString::number(stored.GetValue()) % u')'
                                 : QString::number(stored.GetValue());
}

CSqlValue SqlDateValue(const QDate& date)
{
    if (!date.isValid())
        return {};
    return date.toString(u"yyyy-MM-dd");
}

CSqlValue SqlMoneyValue(const CMny& value)
{
    CMny rounded, stored;
    if (!value.IsValid() || !value.Round(rounded, CMny::kRoundHalfUp, 4) || !rounded.Rescale(4, stored))
        return {};
    return qint64(stored.GetValue());
}

CSqlValue SqlTextValue(const QString& text, bool emptyIsNone)
{
    if (emptyIsNone && text.isEmpty())
        return {};
    return text;
}

QString SqlDate(const QDate& date)
{
    if (!date.isValid())
        return QStringLiteral("NULL");
    return u'\'' % date.toString(u"yyyy-MM-dd") % u'\'';
}

QString SqlDate(const QDateTime& dateTime)
{
    return SqlDate(dateTime.toLocalTime().date());
}

QString SqlQuote(const QString& text)
{
    QString out = text;
    return out.replace(u'\'', QLatin1String("''"));
}

QString SqlLikeEscape(const QString& text)
{
    QString out;
    out.reserve(text.size() + 4);
    for (QChar c : text) {
        if (c == u'\\' || c == u'%' || c == u'_')
            out += u'\\';
        out += c;
    }
    return out;
}

QString SqlFoldedColumn(const QString& column, const QString& foldedValue)
{
    QString expression = column;
    for (const Cp932::SAlias& alias : Cp932::Aliases()) {
        if (foldedValue.contains(QChar(alias.to)))
            expression = QStringLiteral("replace(%1, char(%2), char(%3))")
                             .arg(expression)
                             .arg(int(alias.from))
                             .arg(int(alias.to));
    }
    // A function's result has no collation of its own.
    return expression == column ? column : expression + QStringLiteral(" COLLATE NOCASE");
}

QString SqlSlipTax(const QString& alias)
{
    // Two comparisons: a list after IN is looked up in a table of its own
    // for every slip read. The tax types are whole numbers.
    return QStringLiteral("iif(%1TaxType BETWEEN 2 AND 4 OR %1DenpyoType <> 0, %1Tax, 0)").arg(alias);
}

QString SqlSlipBilled(const QString& alias)
{
    return QStringLiteral("(COALESCE(%1Amount, 0) + COALESCE(%2, 0))").arg(alias, SqlSlipTax(alias));
}
