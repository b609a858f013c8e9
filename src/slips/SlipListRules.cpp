#include "slips/SlipListRules.h"

#include "platform/data/Record.h"
#include "platform/data/TradeSide.h"
#include "platform/text/TextHelpers.h"

#include <QDate>

namespace
{

// Quotes and sales are of the sales side, orders and purchases of the
// purchase side; only sales and purchases are closed.
constexpr const CTradeSide& S = CTradeSide::Sales();
constexpr const CTradeSide& P = CTradeSide::Purchases();

const CSlipMode kModes[] = {
    {4, TB_ESTIMATE_H, 1, u"－見積一覧", 3, S.code, S.partner, nullptr, TB_ESTIMATE_B, 3001},
    {5, S.header, 2, u"－売上一覧", 4, S.code, S.partner, S.closing, S.lines, 3009},
    {6, TB_ORDER_H, 4, u"－注文一覧", 5, P.code, P.partner, nullptr, TB_ORDER_B, 0},
    {7, P.header, 5, u"－仕入一覧", 6, P.code, P.partner, P.closing, P.lines, 0},
};

} // namespace

const CSlipMode* GetSlipMode(int viewKind)
{
    for (const CSlipMode& mode : kModes) {
        if (mode.viewKind == viewKind)
            return &mode;
    }
    return nullptr;
}

const CSlipMode* GetSlipModeOfTable(const QString& header)
{
    for (const CSlipMode& mode : kModes) {
        if (header == QLatin1String(mode.header))
            return &mode;
    }
    return nullptr;
}

const CTb* SlipField(const COneRecord* record, const QString& field)
{
    return record ? record->GetOneField(QString(), field) : nullptr;
}

QString SlipFieldText(const COneRecord* record, const QString& field)
{
    const CTb* tb = SlipField(record, field);
    return tb ? tb->GetText() : QString();
}

bool SlipFieldInt(const COneRecord* record, const QString& field, int& value)
{
    const CTb* tb = SlipField(record, field);
    return tb && tb->GetData(value);
}

QString GetSlipValueText(const COneRecord* record, const QString& field)
{
    if (field == u"TaxType" || field == u"TudoFlg") {
        int value = -1;
        if (!SlipFieldInt(record, field, value))
            return {};
        static const char16_t* const kTax[] = {u"しない", u"請求時", u"納品ごと", u"明細ごと", u"内税"};
        static const char16_t* const kTudo[] = {u"都度", u"締め"};
        if (field == u"TaxType")
            return value >= 0 && value <= 4 ? QString::fromUtf16(kTax[value]) : QString();
        return value >= 0 && value <= 1 ? QString::fromUtf16(kTudo[value]) : QString();
    }
    if (field == u"Company_Section_Name") {
        const QString joined = SlipFieldText(record, QStringLiteral("Company")) + u' ' +
                               SlipFieldText(record, QStringLiteral("Section")) + u' ' +
                               SlipFieldText(record, QStringLiteral("Name"));
        return joined.trimmed();
    }
    return SlipFieldText(record, field);
}

namespace
{

bool BareNameIs(const QString& name, const QString& field)
{
    const qsizetype dot = name.indexOf(u'.');
    return EqualsNoAsciiCase(dot < 0 ? QStringView(name) : QStringView(name).mid(dot + 1), field);
}

} // namespace

QString GetSlipCellText(const CQXColSet& columns, const COneRecord* record, int column,
                        std::vector<int>* hints)
{
    if (!record || column <= 0 || column >= columns.m_cols.size())
        return {};
    const QString& field = columns.m_cols[column].m_strField;
    QString text;
    const bool plain = field != u"TaxType" && field != u"TudoFlg" && field != u"Company_Section_Name";
    if (plain && hints && size_t(column) < hints->size()) {
        int& hint = (*hints)[size_t(column)];
        const CTb* tb = nullptr;
        if (hint >= 0 && hint < record->GetCount() && BareNameIs(record->GetAt(hint)->GetName(), field))
            tb = record->GetAt(hint);
        for (int i = 0; !tb && i < record->GetCount(); ++i) {
            if (BareNameIs(record->GetAt(i)->GetName(), field)) {
                hint = i;
                tb = record->GetAt(i);
            }
        }
        if (tb)
            text = tb->GetText();
    } else {
        text = GetSlipValueText(record, field);
    }
    if (field == u"Total" || field == u"Amount" || field == u"Tax")
        text = InsertThousandsSeparators(text);
    return text;
}

bool GetSlipCheckState(int viewKind, const CQXColSet& columns, const COneRecord* record)
{
    if (!record || columns.m_cols.isEmpty())
        return false;
    const QString text = GetSlipValueText(record, columns.m_cols[0].m_strField);
    if (viewKind == 6)
        return text == u"1";
    return !text.isEmpty() && text != u"0";
}

QString SlipPeriodLabel(const QString& from, const QString& to)
{
    if (from.isEmpty() && to.isEmpty())
        return QStringLiteral("期間 : 指定なし");
    return QStringLiteral("期間 : ") + from + u'～' + to;
}

QString SlipCountLabel(int count)
{
    return QStringLiteral("件数 : %1件").arg(count);
}

QString SlipLabelDate(const QDate& date)
{
    return date.isValid() ? QStringLiteral("%1/%2/%3").arg(date.year()).arg(date.month()).arg(date.day())
                          : QString();
}

QStringList MakeIdConditions(const QList<qint64>& ids, int batch, const QString& field)
{
    QStringList conditions;
    if (batch < 1)
        batch = 1;
    for (qsizetype start = 0; start < ids.size(); start += batch) {
        QStringList part;
        for (qsizetype i = start; i < ids.size() && i < start + batch; ++i)
            part << QString::number(ids[i]);
        conditions << QStringLiteral("WHERE ") + field + QStringLiteral(" IN (") + part.join(u',') + u')';
    }
    return conditions;
}

int DecideNewStatus(const QList<int>& statuses)
{
    int zeros = 0, others = 0;
    for (int status : statuses)
        ++(status == 0 ? zeros : others);
    return zeros >= others ? 1 : 0;
}

QList<CBatchPass> PlanBatchPrint(const QList<CBatchSlip>& slips)
{
    QList<CBatchPass> passes;
    for (const CBatchSlip& slip : slips) {
        if (slip.layout == 0)
            continue;
        auto it = std::find_if(passes.begin(), passes.end(),
                               [&](const CBatchPass& p) { return p.layout == slip.layout; });
        if (it == passes.end()) {
            passes.append(CBatchPass{slip.layout, {}});
            it = passes.end() - 1;
        }
        it->slips.append(slip);
    }
    return passes;
}
